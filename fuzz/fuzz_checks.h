// The properties that the fuzz targets check, one checking function per target. The libFuzzer programs call
// them on every generated input; the regression test of the test suite calls them on every saved input of
// fuzz/regressions/<target>/, so an input that once failed keeps being checked in ordinary builds.
//
// Each check returns an empty string when every property holds, and otherwise a description of the first
// property that failed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/store.h"

namespace vellum::fuzz {

// Data file round trip. The input is read as a data file (unknown records answered "Yes To All"): it is
// refused exactly when it does not begin with a whole TES3 record. A well-formed input (CheckWellFormed)
// keeps as many records of each tag as it holds; any other input is reported damaged. Either way the store's
// save is well-formed, holds its records, and reads back without damage into the same number of records per
// table and the same unknown records; a save of that second store gives the same bytes as the first save.
std::string CheckFileRoundTrip(std::string_view data);

// Dialogue import. The first input byte chooses the answers (see ImportConfig), the rest is the text file.
// It is imported into a copy of ImportBaseStore(). Afterwards every length field matches its text, no
// response text is longer than 512 characters, and a save is well-formed and reads back without unknown
// records or damage.
std::string CheckDialogueImport(std::string_view data);

// Morrowindize. Input: two bytes of options (see CleanUpInput), one byte of answers, then response texts
// separated by kTextSeparator. The texts go into a copy of ImportBaseStore() with their bookkeeping, and a
// clean-up runs over them. Each response ends with its cleaned text when that is at most 512 characters,
// otherwise with what the 512-character rule gives; lengths stay in step and a save is well-formed; and the
// quick forms of the clean-up steps give what their literal forms give.
std::string CheckCleanUp(std::string_view data);

// Wildcards of the loop check. Input: a pattern, a zero byte, a text. The matcher must agree with a plain
// backtracking matcher; the choice test for a number taken from the text must agree with the two patterns
// it stands for; and the choice lines of the text must be those of the literal four-step recipe.
std::string CheckWildcard(std::string_view data);

struct Target {
    std::string_view name; // the fuzz program is fuzz_<name>, its saved inputs fuzz/regressions/<name>/
    std::string (*check)(std::string_view data);
};
const std::array<Target, 4>& Targets();

// The loaded plugin that the import and clean-up checks work on: the small generated plugin, with a few
// deleted records, read into a trimmed store.
const RecordStore& ImportBaseStore();
// Its bytes.
const std::string& ImportBaseFile();

// The import's first input byte.
struct ImportConfig {
    uint8_t tooLongAnswer = 0; // bits 0-1: the answer to the 512-character question: 0 Yes, 1 No, 2 Cancel,
                               // 3 Yes and No by turns
    uint8_t editorAction = 0;  // bits 2-3: the editor 0 keeps the text, 1 cuts it to 400, 2 lengthens it,
                               // 3 empties it
    bool removeLineBreaks = false; // bit 4
    static ImportConfig From(uint8_t byte);
    uint8_t byte() const;
};
std::string ImportInput(ImportConfig config, std::string_view text);

inline constexpr char kTextSeparator = '\xB6';
std::string CleanUpInput(uint16_t optionBits, uint8_t answers, const std::string* texts, size_t count);
std::string WildcardInput(std::string_view pattern, std::string_view text);

// A plain matcher: "*" matches any run, other characters themselves, letter case ignored (Windows-1252).
bool ReferenceWildcardMatch(std::string_view text, std::string_view pattern);

} // namespace vellum::fuzz
