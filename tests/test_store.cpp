// The record store: clearing and trimming.
#include <gtest/gtest.h>

#include "store/store.h"

using namespace vellum;

TEST(Store, ClearEmptiesEveryTableAndTheDamageAndTrimKeepsFileOrder) {
    RecordStore s;
    s.damage.spans.push_back({1, "x", 2});
    AppendRecord(s.tblGLOB, GLOBRecord{});
    ClearStore(s);
    for (const TableCount& c : TableCounts(s)) EXPECT_EQ(c.count, 0) << c.tag;
    EXPECT_TRUE(s.damage.empty());
    for (const char* data : {"a", "b", "c"}) AppendRecord(s.tblLAND, OpaqueRecord{"LAND", 0, 0, data});
    EXPECT_EQ(RecordCountOf(s, s.tblLAND), 3);
    TrimStore(s);
    ASSERT_EQ(s.tblLAND.size(), 3u);
    EXPECT_EQ(s.tblLAND[2].Data, "c");
    EXPECT_TRUE(s.tblGLOB.empty());
}
