#include "store/store.h"

namespace vellum {

void ClearStore(RecordStore& s) {
#define VELLUM_CLEAR_TABLE(TAG, TYPE, RANK, IO)                                                              \
    s.tbl##TAG.clear();                                                                                      \
    s.tbl##TAG.emplace_back();
    VELLUM_RECORD_TYPES(VELLUM_CLEAR_TABLE)
#undef VELLUM_CLEAR_TABLE
    s.tblUnknown.clear();
    s.tblUnknown.emplace_back();
    s.damage = {};
    s.hasSpare = true;
}

void TrimStore(RecordStore& s) {
#define VELLUM_TRIM_TABLE(TAG, TYPE, RANK, IO)                                                               \
    if (!s.tbl##TAG.empty()) s.tbl##TAG.pop_back();
    VELLUM_RECORD_TYPES(VELLUM_TRIM_TABLE)
#undef VELLUM_TRIM_TABLE
    if (!s.tblUnknown.empty()) s.tblUnknown.pop_back();
    s.hasSpare = false;
}

std::vector<TableCount> TableCounts(const RecordStore& s) {
    std::vector<TableCount> counts;
    counts.reserve(kRecordTypeCount + 1);
#define VELLUM_COUNT_TABLE(TAG, TYPE, RANK, IO) counts.push_back({#TAG, RecordCountOf(s, s.tbl##TAG)});
    VELLUM_RECORD_TYPES(VELLUM_COUNT_TABLE)
#undef VELLUM_COUNT_TABLE
    counts.push_back({"", RecordCountOf(s, s.tblUnknown)});
    return counts;
}

} // namespace vellum
