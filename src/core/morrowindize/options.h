// The eleven clean-up options. They are part of the program's state for as long as it runs (nothing is kept
// between runs); the window's options dialog and the command line both read and set this one structure.
#pragma once

#include <array>
#include <string_view>

namespace vellum {

struct MorrowindizeOptions {
    bool isLineBreaks = false;  // CR LF becomes a blank
    bool isAmerican = false;    // the spelling table
    bool isSentences = false;   // capitals at the start of sentences
    bool isSpaceQuotes = false; // blanks outside quotes, none inside
    bool isSlang = false;       // the slang table
    bool isTemple = false;      // the name table's "temple" row (only together with isMainEnglish)
    bool isDashes = false;      // runs of dashes are left as they are (off: every run becomes one dash)
    bool isEllipsis = false;    // an ellipsis ends a sentence (only together with isSentences)
    bool isSquare = false;      // round and curly brackets become square ones
    bool isDashSpaces = false;  // blanks around dashes
    bool isMainEnglish = true;  // the name table
    bool operator==(const MorrowindizeOptions&) const = default;
};

// One option as the options dialog and the command line present it.
struct MorrowindizeOptionInfo {
    bool MorrowindizeOptions::*flag;
    std::string_view variable; // the window's name for the option
    std::string_view checkBox; // its check box in the options dialog
    std::string_view caption;
    std::string_view toolTip;
    std::string_view
        cliFlag; // the command line's flag that turns the option on ("--no-" + name turns it off)
};

// The options in the order of MorrowindizeOptions.
const std::array<MorrowindizeOptionInfo, 11>& MorrowindizeOptionList();

// The options dialog: the window caption, the order of its check boxes on the form, and the order in which
// loading it sets them from the options.
inline constexpr std::string_view kOptionsDialogCaption = "Vellum - Options";
inline constexpr std::string_view kOptionsOkCaption = "Ok", kOptionsOkToolTip = "Accept changes.";
inline constexpr std::string_view kOptionsCancelCaption = "Cancel", kOptionsCancelToolTip = "Cancel changes.";
const std::array<std::string_view, 11>& OptionsFormOrder();
const std::array<std::string_view, 11>& OptionsLoadOrder();

// "Capitalize After Ellipsis" is available only together with "Capitalize New Sentences": the dialog enables
// chkEllipsis while chkCap is checked, and clearing chkCap clears and disables it (chkEllipsis starts
// disabled, and loading the dialog sets chkCap before chkEllipsis).
inline bool EllipsisAvailable(const MorrowindizeOptions& o) {
    return o.isSentences;
}
// Applies that rule to a set of options (what clicking chkCap does to the pair).
inline void ApplyCapitalizeRule(MorrowindizeOptions& o) {
    if (!o.isSentences) o.isEllipsis = false;
}

} // namespace vellum
