// Path grids: points and connections read into fields and written back in the game's file layout, and
// records whose point count and subrecord sizes disagree.
#include <gtest/gtest.h>

#include "esfile/esfile.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

std::string AfterHeader(const std::string& file) {
    if (file.size() < 16) return {};
    uint32_t size = static_cast<uint8_t>(file[4]) | static_cast<uint8_t>(file[5]) << 8 |
                    static_cast<uint8_t>(file[6]) << 16 | static_cast<uint8_t>(file[7]) << 24;
    return file.substr(16 + size);
}

std::string Data(int16_t points, int32_t x = 2, int32_t y = -3) {
    return Sub("DATA", I32(x) + I32(y) + U16(0x400) + U16(static_cast<uint16_t>(points)));
}
std::string Point(int32_t x, uint8_t connections) {
    return I32(x) + I32(-x) + I32(100) + U8(1) + U8(connections) + U8(0) + U8(0xEE);
}
std::string Points(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += Point(10 * i, 1);
    return s;
}
std::string Links(std::initializer_list<int32_t> v) {
    std::string s;
    for (int32_t i : v) s += I32(i);
    return s;
}

struct Trip {
    RecordStore store;
    std::string out;
    uint64_t repairs = 0;
};

// File -> store -> file; the second save of the written file must give the same bytes.
Trip RoundTrip(const std::vector<std::string>& records) {
    Trip t;
    int32_t count = testutil::Load(File(records), t.store);
    std::string saved = testutil::Save(t.store, count, 0, &t.repairs);
    t.out = AfterHeader(saved);
    RecordStore again;
    int32_t count2 = testutil::Load(saved, again);
    uint64_t repairs2 = 0;
    EXPECT_EQ(testutil::Save(again, count2, 0, &repairs2), saved) << "a second save changes nothing";
    EXPECT_EQ(repairs2, 0u);
    return t;
}

} // namespace

TEST(PathGridRecord, PointsAndConnectionsAreReadAndWrittenBackExactly) {
    std::string body = Data(3) + ZSub("NAME", "Caldera Mine") +
                       Sub("PGRP", Point(5, 2) + Point(-7, 1) + Point(9, 0)) + Sub("PGRC", Links({1, 2, 0}));
    Trip t = RoundTrip({Record("PGRD", body, 0, 9)});
    ASSERT_EQ(t.store.tblPGRD.size(), 1u);
    const PGRDRecord& g = t.store.tblPGRD[0];
    EXPECT_EQ(g.Header1, 9);
    EXPECT_EQ(g.GridX, 2);
    EXPECT_EQ(g.GridY, -3);
    EXPECT_EQ(g.DATAWord, 0x400);
    EXPECT_EQ(g.PointCount, 3);
    EXPECT_EQ(g.NAME, "Caldera Mine");
    EXPECT_EQ(g.PGRPLen, 48);
    ASSERT_EQ(g.Points.size(), 3u);
    EXPECT_EQ(g.Points[1].X, -7);
    EXPECT_EQ(g.Points[1].Y, 7);
    EXPECT_EQ(g.Points[1].Z, 100);
    EXPECT_EQ(g.Points[0].ConnectionCount(), 2);
    EXPECT_EQ(g.Points[2].PointBytes, (std::array<uint8_t, 4>{1, 0, 0, 0xEE}));
    EXPECT_EQ(g.PGRCLen, 12);
    EXPECT_EQ(g.Connections, (std::vector<int32_t>{1, 2, 0}));
    EXPECT_EQ(t.out, Record("PGRD", body, 0, 9));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(PathGridRecord, DataComesFirstAndAGridWithoutPointsIsHeaderDataAndName) {
    std::string in = ZSub("NAME", "Hut") + Sub("PGRC", Links({0})) + Data(1) + Sub("PGRP", Point(1, 1));
    Trip t = RoundTrip({Record("PGRD", in), Record("PGRD", ZSub("NAME", "Bare") + Data(0))});
    EXPECT_EQ(t.out, Record("PGRD", Data(1) + ZSub("NAME", "Hut") + Sub("PGRP", Point(1, 1)) +
                                        Sub("PGRC", Links({0}))) +
                         Record("PGRD", Data(0) + ZSub("NAME", "Bare")));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(PathGridRecord, DeletionIsNotPartOfAPathGrid) {
    // DELE ends the record and goes back to the driver as a record tag; a deleted Flags value adds nothing.
    RecordStore s;
    testutil::Load(File({Record("PGRD", Data(0) + ZSub("NAME", "Gone") + Dele(), 0x20)}), s);
    ASSERT_EQ(s.tblPGRD.size(), 1u);
    EXPECT_EQ(s.tblPGRD[0].NAME, "Gone");
    ASSERT_FALSE(s.tblUnknown.empty());
    EXPECT_EQ(s.tblUnknown[0].Tag, "DELE");

    PGRDRecord g = s.tblPGRD[0];
    ByteWriter w;
    WritePGRD(w, g);
    EXPECT_EQ(w.buffer(), Record("PGRD", Data(0) + ZSub("NAME", "Gone"), 0x20));
}

TEST(PathGridRecord, PointCountAndSizesThatDisagree) {
    // Decisions: the points come from the last PGRP once the whole record is read, so a DATA after the PGRP
    // still gives their number; there are as many as DATA announces, as far as the PGRP holds whole points.
    // Points beyond the count, a piece of a point and a piece of a connection are dropped, and a PGRP or PGRC
    // left with nothing is not written; the stored lengths stay as read and the Size loses the dropped bytes.
    struct Case {
        const char* what;
        std::string in, out;
        size_t points;
    };
    const Case cases[] = {
        {"PGRP before DATA", ZSub("NAME", "a") + Sub("PGRP", Points(2)) + Data(2),
         Data(2) + ZSub("NAME", "a") + Sub("PGRP", Points(2)), 2},
        {"more points than DATA announces", Data(1) + ZSub("NAME", "b") + Sub("PGRP", Points(3)),
         Data(1) + ZSub("NAME", "b") + Sub("PGRP", Points(1)), 1},
        {"fewer points than DATA announces", Data(4) + ZSub("NAME", "c") + Sub("PGRP", Points(2) + "half"),
         Data(4) + ZSub("NAME", "c") + Sub("PGRP", Points(2)), 2},
        {"no points announced", Data(0) + ZSub("NAME", "d") + Sub("PGRP", Points(2)),
         Data(0) + ZSub("NAME", "d"), 0},
        {"a piece of a connection", Data(0) + ZSub("NAME", "e") + Sub("PGRC", Links({4, 5}) + "xy"),
         Data(0) + ZSub("NAME", "e") + Sub("PGRC", Links({4, 5})), 0},
        {"a repeated PGRP", Data(1) + ZSub("NAME", "f") + Sub("PGRP", Point(7, 0)) + Sub("PGRP", Point(8, 0)),
         Data(1) + ZSub("NAME", "f") + Sub("PGRP", Point(8, 0)), 1},
        {"empty DATA and NAME", Sub("DATA", "") + Sub("NAME", ""),
         Sub("DATA", std::string(12, '\0')) + ZSub("NAME", ""), 0},
    };
    for (const Case& c : cases) {
        Trip t = RoundTrip({Record("PGRD", c.in)});
        ASSERT_EQ(t.store.tblPGRD.size(), 1u) << c.what;
        EXPECT_EQ(t.store.tblPGRD[0].Points.size(), c.points) << c.what;
        EXPECT_EQ(t.out, Record("PGRD", c.out)) << c.what;
        EXPECT_EQ(t.repairs, 0u) << c.what;
    }
    RecordStore s;
    testutil::Load(File({Record("PGRD", cases[1].in)}), s);
    EXPECT_EQ(s.tblPGRD.at(0).PGRPLen, 48) << "the stored length stays as read";

    // A grid built in memory whose sizes announce more than its lists hold: only the listed ones are written.
    PGRDRecord g;
    g.PGRPLen = 64;
    g.Points.resize(1);
    g.PGRCLen = 40;
    g.Connections = {3};
    ByteWriter w;
    WritePGRD(w, g);
    EXPECT_EQ(w.buffer(), Record("PGRD", Sub("DATA", std::string(12, '\0')) + ZSub("NAME", "") +
                                             Sub("PGRP", std::string(16, '\0')) + Sub("PGRC", I32(3))));
}

TEST(PathGridRecord, EveryPrefixOfAFileIsReadAndWrittenWellFormed) {
    std::string file = File(
        {Record("PGRD", Data(2) + ZSub("NAME", "Grid") + Sub("PGRP", Points(2)) + Sub("PGRC", Links({1, 0}))),
         Record("PGRD", Data(1) + ZSub("NAME", "Two") + Sub("PGRP", Points(1)))});
    for (size_t n = 0; n <= file.size(); ++n) {
        RecordStore s;
        int32_t count = testutil::Load(file.substr(0, n), s);
        std::string once = testutil::Save(s, count);
        RecordStore again;
        int32_t count2 = testutil::Load(once, again);
        ASSERT_EQ(testutil::Save(again, count2), once) << "prefix of " << n << " bytes";
    }
}

TEST(PathGridRecord, PathGridOfTheSharedPluginSurvivesASave) {
    std::string bytes = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(bytes.empty());
    RecordStore s;
    int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblPGRD.size(), 1u);
    const PGRDRecord& g = s.tblPGRD[0];
    EXPECT_EQ(g.NAME, "test_interior");
    EXPECT_EQ(g.PointCount, 4);
    EXPECT_EQ(g.Points.size(), 4u);
    int connections = 0;
    for (const PGRPData& p : g.Points) connections += p.ConnectionCount();
    EXPECT_EQ(size_t(connections), g.Connections.size()) << "each point's connections are listed";
    uint64_t repairs = 0;
    std::string saved = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    RecordStore again;
    testutil::Load(saved, again);
    EXPECT_EQ(again.tblPGRD, s.tblPGRD);
}
