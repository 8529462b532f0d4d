// Path grids: points and connections read into fields and written back in the game's file layout, and
// records whose point count and subrecord sizes disagree.
#include <gtest/gtest.h>

#include "esfile/esfile.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

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
};

// File -> store -> file; the second save of the written file must give the same bytes.
Trip RoundTrip(const std::vector<std::string>& records) {
    Trip t;
    const std::string saved = testutil::Save(t.store, testutil::Load(File(records), t.store));
    t.out = AfterHeader(saved);
    EXPECT_EQ(testutil::RoundTrip(saved), saved) << "a second save changes nothing";
    return t;
}

} // namespace

TEST(PathGridRecord, PointsAndConnectionsAreReadAndWrittenBackExactly) {
    std::string body = Data(3) + ZSub("NAME", "Caldera Mine") +
                       Sub("PGRP", Point(5, 2) + Point(-7, 1) + Point(9, 0)) + Sub("PGRC", Links({1, 2, 0}));
    // clang-format off
    const PGRDRecord want{.DATALen = 12, .GridX = 2, .GridY = -3, .DATAWord = 0x400, .PointCount = 3,
                          .NAMELen = 13, .NAME = "Caldera Mine", .PGRPLen = 48,
                          .Points = {{5, -5, 100, {1, 2, 0, 0xEE}}, {-7, 7, 100, {1, 1, 0, 0xEE}},
                                     {9, -9, 100, {1, 0, 0, 0xEE}}},
                          .PGRCLen = 12, .Connections = {1, 2, 0}};
    // clang-format on
    EXPECT_EQ(testutil::ReadBody(ReadPGRD, body), want);
    EXPECT_EQ(want.Points[0].ConnectionCount(), 2);
    EXPECT_EQ(RoundTrip({Record("PGRD", body, 0, 9)}).out, Record("PGRD", body, 0, 9));
}

TEST(PathGridRecord, DataComesFirstAndAGridWithoutPointsIsHeaderDataAndName) {
    std::string in = ZSub("NAME", "Hut") + Sub("PGRC", Links({0})) + Data(1) + Sub("PGRP", Point(1, 1));
    Trip t = RoundTrip({Record("PGRD", in), Record("PGRD", ZSub("NAME", "Bare") + Data(0))});
    EXPECT_EQ(t.out, Record("PGRD", Data(1) + ZSub("NAME", "Hut") + Sub("PGRP", Point(1, 1)) +
                                        Sub("PGRC", Links({0}))) +
                         Record("PGRD", Data(0) + ZSub("NAME", "Bare")));
}

TEST(PathGridRecord, SubrecordsTheGridDoesNotHoldAreKeptInTheirPlace) {
    // Decisions: a PGRP of whole points and a PGRC of whole connections are read whatever number DATA
    // announces; one that is empty or cut inside an entry, a DATA of another length, a repeated subrecord and
    // a DELE (a path grid has no deleted state; its Flags alone say it is deleted) are kept whole in their
    // place. A NAME of size 0 is written with its terminator.
    struct Case {
        const char* what;
        std::string in, out;
        size_t points;
    };
    const Case cases[] = {
        {"PGRP before DATA", ZSub("NAME", "a") + Sub("PGRP", Points(2)) + Data(2),
         Data(2) + ZSub("NAME", "a") + Sub("PGRP", Points(2)), 2},
        {"more points than DATA announces", Data(1) + ZSub("NAME", "b") + Sub("PGRP", Points(3)), "", 3},
        {"a piece of a point", Data(4) + ZSub("NAME", "c") + Sub("PGRP", Points(2) + "half"), "", 0},
        {"no points announced", Data(0) + ZSub("NAME", "d") + Sub("PGRP", Points(2)), "", 2},
        {"a piece of a connection", Data(0) + ZSub("NAME", "e") + Sub("PGRC", Links({4, 5}) + "xy"), "", 0},
        {"a repeated PGRP", Data(1) + ZSub("NAME", "f") + Sub("PGRP", Point(7, 0)) + Sub("PGRP", Point(8, 0)),
         "", 1},
        {"an empty PGRP and PGRC", Data(0) + ZSub("NAME", "g") + Sub("PGRP", "") + Sub("PGRC", ""), "", 0},
        {"a DELE", Data(0) + ZSub("NAME", "h") + Dele() + Sub("XXXX", "x"), "", 0},
        {"empty DATA and NAME", Sub("DATA", "") + Sub("NAME", ""), Sub("DATA", "") + ZSub("NAME", ""), 0},
    };
    for (const Case& c : cases) {
        Trip t = RoundTrip({Record("PGRD", c.in, 0x20), Record("PGRD", Data(0) + ZSub("NAME", "next"))});
        ASSERT_EQ(t.store.tblPGRD.size(), 2u) << c.what;
        EXPECT_EQ(t.store.tblPGRD[0].Points.size(), c.points) << c.what;
        EXPECT_EQ(t.out, Record("PGRD", c.out.empty() ? c.in : c.out, 0x20) +
                             Record("PGRD", Data(0) + ZSub("NAME", "next")))
            << c.what;
    }
    EXPECT_EQ(testutil::ReadBody(ReadPGRD, cases[5].in).Points.at(0).X, 7)
        << "the first PGRP gives the points";

    // A grid built in memory is written with the points and connections its lists hold.
    PGRDRecord g;
    g.PGRPLen = 64;
    g.Points.resize(1);
    g.PGRCLen = 40;
    g.Connections = {3};
    EXPECT_EQ(testutil::WriteOne(WritePGRD, g),
              Record("PGRD", Sub("DATA", std::string(12, '\0')) + ZSub("NAME", "") +
                                 Sub("PGRP", std::string(16, '\0')) + Sub("PGRC", I32(3))));
}
