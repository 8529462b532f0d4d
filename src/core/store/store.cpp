#include "store/store.h"

#include <algorithm>

namespace vellum {

void ClearStore(RecordStore& s) {
#define VELLUM_CLEAR_TABLE(TAG, TABLE, TYPE, LABEL)                                                          \
    s.TABLE.clear();                                                                                         \
    s.TABLE.emplace_back();
    VELLUM_TABLES(VELLUM_CLEAR_TABLE)
#undef VELLUM_CLEAR_TABLE
    s.currentTopic.clear();
    s.hasSpare = true;
}

void TrimStore(RecordStore& s) {
#define VELLUM_TRIM_TABLE(TAG, TABLE, TYPE, LABEL)                                                           \
    if (!s.TABLE.empty()) s.TABLE.pop_back();
    VELLUM_TABLES(VELLUM_TRIM_TABLE)
#undef VELLUM_TRIM_TABLE
    s.currentTopic.clear();
    s.hasSpare = false;
}

std::vector<TableCount> TableCounts(const RecordStore& s) {
    std::vector<TableCount> counts;
    counts.reserve(kTableCount);
#define VELLUM_COUNT_TABLE(TAG, TABLE, TYPE, LABEL)                                                          \
    counts.push_back({LABEL == kUnknownLabel ? std::string_view("Unknown:") : std::string_view(TAG ":"),     \
                      LABEL, RecordCountOf(s, s.TABLE)});
    VELLUM_TABLES(VELLUM_COUNT_TABLE)
#undef VELLUM_COUNT_TABLE
    std::sort(counts.begin(), counts.end(),
              [](const TableCount& a, const TableCount& b) { return a.label < b.label; });
    return counts;
}

const std::array<int, 55>& CountPanelOrder() {
    static const std::array<int, 55> order = [] {
        std::array<int, 55> o{};
        int k = 0;
        for (int i = 0; i <= 42; ++i) o[k++] = i;
        for (int i = 45; i <= 56; ++i) o[k++] = i;
        return o;
    }();
    return order;
}

} // namespace vellum
