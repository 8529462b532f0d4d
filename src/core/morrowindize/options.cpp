#include "morrowindize/options.h"

namespace vellum {

const std::array<MorrowindizeOptionInfo, 11>& MorrowindizeOptionList() {
    using O = MorrowindizeOptions;
    static const std::array<MorrowindizeOptionInfo, 11> list{{
        {&O::isLineBreaks, "isLineBreaks", "chkLines", "Remove Line Breaks",
         "Replace line breaks with spaces.", "--remove-line-breaks"},
        {&O::isAmerican, "isAmerican", "chkAmerican", "Use American Spelling",
         "Replace British spelling with American for consistency with original Morrowind.", "--american"},
        {&O::isSentences, "isSentences", "chkCap", "Capitalize New Sentences",
         "Capitalize the first letter in every new sentence.", "--capitalize-sentences"},
        {&O::isSpaceQuotes, "isSpaceQuotes", "chkQuotes", "Fix Quotes Spaces",
         "Remove spaces after the beginning quote and before the finishing quote. This function is still a "
         "BETA.",
         "--fix-quote-spaces"},
        {&O::isSlang, "isSlang", "chkSlang", "Remove Slang",
         "Replace slang and swearing with words closer to morrowind style.", "--remove-slang"},
        {&O::isTemple, "isTemple", "chkTemple", "Capitalize \"Temple\"",
         "Capitalize the word \"Temple\", as is done in Morrowind.ESM. Should be avoided for example when "
         "someone "
         "in your dialogue is referring to a non-dunmer temple.",
         "--capitalize-temple"},
        {&O::isDashes, "isDashes", "chkDash", "Force Single Dashes",
         "Replace double dashes(m-dashes) with single ones(n-dashes).", "--single-dashes"},
        {&O::isEllipsis, "isEllipsis", "chkEllipsis", "Capitalize After Ellipsis",
         "Capitalize the first letter after an ellipsis.", "--capitalize-after-ellipsis"},
        {&O::isSquare, "isSquare", "chkSquare", "Force Square Brackets",
         "Replace \"()\" and \"{}\" with \"[]\", for consistency with original Morrowind.",
         "--square-brackets"},
        {&O::isDashSpaces, "isDashSpaces", "chkDashSpacing", "Force Spaced Dashes",
         "Wrap dashes(not hyphens) with spaces.", "--spaced-dashes"},
        {&O::isMainEnglish, "isMainEnglish", "chkEng", "Fix Proper Names",
         "Correct English proper names, such as Daedra or Vvardenfell.", "--proper-names"},
    }};
    return list;
}

const std::array<std::string_view, 11>& OptionsFormOrder() {
    static const std::array<std::string_view, 11> order{
        "chkEng", "chkAmerican",    "chkQuotes", "chkSquare", "chkSlang",   "chkTemple",
        "chkCap", "chkDashSpacing", "chkDash",   "chkLines",  "chkEllipsis"};
    return order;
}

const std::array<std::string_view, 11>& OptionsLoadOrder() {
    static const std::array<std::string_view, 11> order{
        "chkLines",       "chkAmerican", "chkSlang",  "chkDash",   "chkCap", "chkEllipsis",
        "chkDashSpacing", "chkSquare",   "chkTemple", "chkQuotes", "chkEng"};
    return order;
}

} // namespace vellum
