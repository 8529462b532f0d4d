// The count panel of the main window: which table each count label shows, in the panel's own order. The
// labels are laid out by tag in alphabetical order (0 ACTI to 42 WEAP, with STAT before SSCR), then 43 the
// unknown records, 44 the total and 45 to 56 the records that only saved games hold. The command line's
// `info` prints the counts in the same order. Standard C++ only, so that the command line can use it too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/store.h"

namespace vellum {

inline constexpr int kCountLabels = 57;
inline constexpr int kUnknownLabel = 43;
inline constexpr int kTotalLabel = 44;

// The tag each label counts, by label index; "" for the unknown records and the total.
inline constexpr std::array<std::string_view, kCountLabels> kCountLabelTags = {
    "ACTI", "ALCH", "APPA", "ARMO", "BODY", "BOOK", "BSGN", "CELL", "CLAS", "CLOT", "CONT", "CREA",
    "DIAL", "DOOR", "ENCH", "FACT", "GLOB", "GMST", "INFO", "INGR", "LAND", "LEVC", "LEVI", "LIGH",
    "LOCK", "LTEX", "MGEF", "MISC", "NPC_", "PGRD", "PROB", "RACE", "REGN", "REPA", "SCPT", "SKIL",
    "SNDG", "SOUN", "SPEL", "STAT", "SSCR", "TES3", "WEAP", "",     "",     "CNTC", "CREC", "FMAP",
    "GAME", "JOUR", "KLST", "NPCC", "PCDT", "QUES", "REFR", "SPLM", "STLN"};

// The name beside a count label: "ACTI:", ..., "Unknown:", "Total:".
inline std::string CountLabelName(int label) {
    if (label == kUnknownLabel) return "Unknown:";
    if (label == kTotalLabel) return "Total:";
    return std::string(kCountLabelTags[static_cast<size_t>(label)]) + ":";
}

// The count of every label but the total, by label index.
inline std::array<int64_t, kCountLabels> CountsByLabel(const RecordStore& store) {
    std::array<int64_t, kCountLabels> counts{};
    for (const TableCount& c : TableCounts(store)) {
        if (c.tag.empty()) {
            counts[kUnknownLabel] = c.count;
            continue;
        }
        for (int i = 0; i < kCountLabels; ++i)
            if (kCountLabelTags[static_cast<size_t>(i)] == c.tag) counts[static_cast<size_t>(i)] = c.count;
    }
    return counts;
}

} // namespace vellum
