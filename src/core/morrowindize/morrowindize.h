// Morrowindize: cleans the text of every dialogue response of the loaded file in place, under the options,
// with the 512-character rule, the response editor for texts that grew too long, and the log lines.
#pragma once

#include <string>
#include <string_view>

#include "morrowindize/options.h"
#include "store/store.h"
#include "ui.h"

namespace vellum {

// The question asked when a cleaned text is longer than the game's limit.
inline constexpr std::string_view kCleanUpTitle = "Clean Up";
inline constexpr std::string_view kTextTooLongQuestion =
    "One of the responses has become more than 512 characters after clean up. Do you want to edit it by "
    "hand? "
    "Otherwise original text will be used.\r\n\r\nCancel is \"No to all\"";
inline constexpr size_t kMaxResponseLength = 512;

struct MorrowindizeOutcome {
    int changed = 0;        // responses whose text changed other than in letter case
    bool completed = false; // false when the run stopped at an error or the file has no responses
};

// Runs the clean-up over tblINFO from the first response to the last. currentFile names the loaded file in
// the log lines. Responses finished before an error keep their new texts; the one in hand keeps its old text.
MorrowindizeOutcome Morrowindize(RecordStore& store, const MorrowindizeOptions& options,
                                 const std::string& currentFile, Ui& ui);

} // namespace vellum
