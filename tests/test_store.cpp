// The record store: the spare element during a read, trimming, counts.
#include <gtest/gtest.h>

#include "store/store.h"

using namespace vellum;

TEST(Store, ClearGivesEveryTableOneSpareElementAndTrimRemovesIt) {
    RecordStore s;
    s.damage.spans.push_back({1, "x", 2});
    ClearStore(s);
    for (const TableCount& c : TableCounts(s)) EXPECT_EQ(c.count, 0) << c.tag;
    EXPECT_EQ(s.tblSTLN.size(), 1u);
    EXPECT_EQ(s.tblUnknown.size(), 1u);
    EXPECT_TRUE(s.damage.empty());
    for (const char* data : {"a", "b", "c"}) AppendRecord(s.tblLAND, OpaqueRecord{"LAND", 0, 0, data});
    // During the read: upper bound 3 (three records and the spare one).
    ASSERT_EQ(s.tblLAND.size(), 4u);
    EXPECT_EQ(RecordCountOf(s, s.tblLAND), 3);
    TrimStore(s);
    ASSERT_EQ(s.tblLAND.size(), 3u);
    EXPECT_EQ(s.tblLAND[2].Data, "c") << "file order is kept";
    EXPECT_TRUE(s.tblGLOB.empty()) << "a table without records has no elements after trimming";
    TrimStore(s); // trimming again leaves empty tables empty and does not fail
    EXPECT_TRUE(s.tblGLOB.empty());
    EXPECT_EQ(s.tblLAND.size(), 2u);
}
