// The record store: the spare element during a read, trimming, counts.
#include <gtest/gtest.h>

#include "store/store.h"

using namespace vellum;

TEST(Store, ClearGivesEveryTableOneSpareElement) {
    RecordStore s;
    s.currentTopic = "Ash";
    ClearStore(s);
    EXPECT_EQ(s.tblGLOB.size(), 1u);
    EXPECT_EQ(s.tblINFO.size(), 1u);
    EXPECT_EQ(s.tblUnknown.size(), 1u);
    EXPECT_EQ(s.tblSTLN.size(), 1u);
    EXPECT_TRUE(s.currentTopic.empty());
    for (const TableCount& c : TableCounts(s)) EXPECT_EQ(c.count, 0) << c.name;
}

TEST(Store, AppendKeepsFileOrderAndTrimRemovesTheSpare) {
    RecordStore s;
    ClearStore(s);
    for (int i = 0; i < 3; ++i) {
        OpaqueRecord r;
        r.Tag = "LAND";
        r.Size = i;
        AppendRecord(s.tblLAND, std::move(r));
    }
    // During the read: upper bound 3 (three records and the spare one).
    ASSERT_EQ(s.tblLAND.size(), 4u);
    EXPECT_EQ(RecordCountOf(s, s.tblLAND), 3);
    s.currentTopic = "x";
    TrimStore(s);
    ASSERT_EQ(s.tblLAND.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.tblLAND[i].Size, i);
    EXPECT_TRUE(s.tblGLOB.empty()) << "a table without records has no elements after trimming";
    EXPECT_TRUE(s.currentTopic.empty());
    // Trimming again leaves empty tables empty and does not fail.
    TrimStore(s);
    EXPECT_TRUE(s.tblGLOB.empty());
    EXPECT_EQ(s.tblLAND.size(), 2u);
}

TEST(Store, CountsAreOrderedByLabelAndPanelOrderSkipsUnknownAndTotal) {
    RecordStore s;
    ClearStore(s);
    std::vector<TableCount> counts = TableCounts(s);
    ASSERT_EQ(counts.size(), 56u);
    EXPECT_EQ(counts.front().name, "ACTI:");
    EXPECT_EQ(counts[39].name, "STAT:") << "STAT stands before SSCR in the panel";
    EXPECT_EQ(counts[40].name, "SSCR:");
    EXPECT_EQ(counts[42].name, "WEAP:");
    EXPECT_EQ(counts[43].name, "Unknown:");
    EXPECT_EQ(counts[44].name, "CNTC:") << "label 44 is the total, not a table";
    const auto& order = CountPanelOrder();
    EXPECT_EQ(order[42], 42);
    EXPECT_EQ(order[43], 45);
    EXPECT_EQ(order.back(), 56);
}
