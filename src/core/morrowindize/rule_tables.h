// The three replacement tables of the clean-up: spelling (British to American and common misspellings),
// proper names of the game world, and slang. The rows and their order are data: later rows see the result of
// earlier ones, and a more general row that stands earlier wins over a more particular one that follows.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morrowindize/text_replace.h"

namespace vellum {

enum class RowUse { Always, OnlyWithTemple };

struct RuleRow {
    std::string_view find; // may begin or end with a blank, which is then part of the text found and put in
    std::string_view with;
    Case mode = Case::Ignore;
    RowUse use = RowUse::Always;
};

std::span<const RuleRow> SpellingTable(); // 39 rows, all case-sensitive
std::span<const RuleRow> NameTable();     // 401 rows; the "temple" row only with the Temple option
std::span<const RuleRow> SlangTable();    // 34 rows, all case-sensitive

// A table made ready for many texts. Applying it gives exactly what replacing row by row in table order
// gives; rows whose search text cannot occur in the text (one of its character pairs, compared ignoring
// case, is missing) are skipped without a search.
class CompiledTable {
  public:
    explicit CompiledTable(std::span<const RuleRow> rows);
    // withTemple enables the rows marked OnlyWithTemple.
    void apply(std::string& text, bool withTemple) const;
    size_t size() const { return rows_.size(); }

  private:
    friend void ApplyTables(std::string& text, std::span<const CompiledTable* const> tables, bool withTemple);
    // The first test of each row, kept apart so that the walk over the rows stays within a few cache lines.
    struct Gate {
        uint16_t key = 0; // a character pair of the search text, or its one character, folded
        uint8_t kind = 0; // kPair, kSingle or kNever (an empty search text)
        bool onlyWithTemple = false;
    };
    struct Row {
        RuleRow rule;
        uint32_t firstKey = 0, keyCount = 0; // the row's other character pairs in keys_
    };
    std::vector<Gate> gates_;
    std::vector<Row> rows_;
    std::vector<uint16_t> keys_;
};

// Applies several tables one after the other (the same as applying each in turn), looking at the text's
// character pairs once for all of them.
void ApplyTables(std::string& text, std::span<const CompiledTable* const> tables, bool withTemple);

const CompiledTable& CompiledSpellingTable();
const CompiledTable& CompiledNameTable();
const CompiledTable& CompiledSlangTable();

} // namespace vellum
