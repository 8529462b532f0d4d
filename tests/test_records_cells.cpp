// Cells and their references, and path grids: reading into fields, writing back in the game's file layout,
// the persistent and temporary groups around NAM0, moved references, saved-game extras, deleted cells and
// references, points and connections, and what the reader keeps whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "esfile/esfile.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// The records after the TES3 header of a whole file.
std::string AfterHeader(const std::string& file) {
    if (file.size() < 16) return {};
    uint32_t size = static_cast<uint8_t>(file[4]) | static_cast<uint8_t>(file[5]) << 8 |
                    static_cast<uint8_t>(file[6]) << 16 | static_cast<uint8_t>(file[7]) << 24;
    return file.substr(16 + size);
}

std::string Six(float first) {
    return F32(first) + F32(2.5f) + F32(-3) + F32(0.25f) + F32(0) + F32(1);
}
std::string CellHead(std::string_view name, int32_t flags = 1, int32_t x = 0, int32_t y = 0) {
    return ZSub("NAME", name) + Sub("DATA", I32(flags) + I32(x) + I32(y));
}
// A plain reference: FRMR, NAME, the given subrecords, DATA.
std::string Ref(uint32_t index, std::string_view id, std::string_view middle = {}) {
    return Sub("FRMR", U32(index)) + ZSub("NAME", id) + std::string(middle) + Sub("DATA", Six(float(index)));
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
    std::string out; // the records written after the header
};

// File -> store -> file; the second save of the written file must give the same bytes.
Trip RoundTrip(const std::vector<std::string>& records) {
    Trip t;
    const std::string saved = testutil::Save(t.store, testutil::Load(File(records), t.store));
    t.out = AfterHeader(saved);
    EXPECT_EQ(testutil::RoundTrip(saved), saved) << "a second save changes nothing";
    return t;
}

// One cell written by WriteCELL, which must show no message.
std::string Written(const CELLRecord& cell) {
    ByteWriter w;
    FakeUi ui;
    WriteCELL(w, cell, ui);
    EXPECT_TRUE(ui.messages.empty());
    return w.buffer();
}

} // namespace

// The shared plugin's cells hold the other fields; the golden outputs pin how they save.
TEST(CellRecord, FieldsTheSharedPluginLacksAreReadAndWrittenBackExactly) {
    const std::string persistent = Sub("FRMR", U32(0x03000102)) + ZSub("NAME", "guard_npc") +
                                   Sub("DODT", Six(100)) + ZSub("DNAM", "Balmora, Guild") +
                                   Sub("NAM9", I32(12)) + Sub("DATA", Six(9));
    const std::string body = CellHead("Balmora", 2, -3, -2) + Sub("NAM5", "\x01\x02\x03" + U8(0)) +
                             Sub("NAM8", "map note") + Sub("MPCD", I32(1) + I32(2) + I32(3)) + persistent +
                             Sub("NAM0", I32(1)) + Ref(7, "chair");

    // The byte-exact save checks the fields; these are what it cannot see.
    const CELLRecord got = testutil::ReadBody(ReadCELL, body);
    const FRMRData &p = got.References.at(0), &chair = got.References.at(1);
    EXPECT_EQ(std::make_tuple(p.Persistent, chair.Persistent, p.RefIndexHigh, p.Rare.allocated(),
                              chair.Rare.allocated()),
              std::make_tuple(1, 0, 3, true, false))
        << "a plain reference makes no second allocation";
    EXPECT_EQ(RoundTrip({Record("CELL", body, 0, 5)}).out, Record("CELL", body, 0, 5));
}

TEST(CellRecord, RareSubrecordsAreCopiedAndComparedByValue) {
    const CELLRecord cell = testutil::ReadBody(
        ReadCELL, CellHead("Door") + Ref(1, "door", ZSub("DNAM", "Inside")) + Ref(2, "rock"));
    const FRMRData &door = cell.References.at(0), &rock = cell.References.at(1);
    EXPECT_EQ(rock.Rare->DNAM, "") << "an empty part reads as default values";
    FRMRData copy = door; // deep: changing the copy leaves the original as it was
    EXPECT_EQ(copy, door);
    copy.Rare.edit().DNAM = "Outside";
    EXPECT_EQ(door.Rare->DNAM, "Inside");
    EXPECT_NE(copy, door);
    copy = rock;
    EXPECT_FALSE(copy.Rare.allocated()) << "assigning a reference without the part drops it";
    // A part holding only default values equals no part at all, both ways round, and is written the same.
    CELLRecord edited = cell;
    edited.References[1].Rare.edit();
    EXPECT_TRUE(edited.References[1] == rock && rock == edited.References[1]);
    EXPECT_EQ(Written(edited), Written(cell));
    edited.References[1].Rare.edit().DATA2Len = 24;
    EXPECT_NE(edited.References[1], rock);
}

TEST(CellRecord, WriterOrderAndNormalisedValues) {
    // Header subrecords and reference subrecords in another order than the writer's; NAM5 and AMBI with
    // fourth bytes set; a ZNAM of value 5; a deleted reference with DELE value 0; a deleted cell whose DELE
    // comes late and holds 7.
    const std::string in = Sub("AMBI", "abc\x09"
                                       "def\x09"
                                       "ghi\x09" +
                                           F32(1)) +
                           Sub("NAM5", "xyz\x07") + CellHead("Hut") + Sub("DELE", U32(7)) +
                           Sub("FRMR", U32(1)) + ZSub("NAME", "door") + Sub("DATA", Six(1)) +
                           Sub("UNAM", U8(0)) + Sub("XSCL", F32(2)) + Sub("ZNAM", U8(5)) +
                           Sub("DELE", U32(0));
    const std::string expected =
        ZSub("NAME", "Hut") + Sub("DELE", U32(0)) + Sub("DATA", I32(1) + I32(0) + I32(0)) +
        Sub("NAM5", "xyz" + U8(0)) + Sub("AMBI", "abc" + U8(0) + "def" + U8(0) + "ghi" + U8(0) + F32(1)) +
        Sub("FRMR", U32(1)) + ZSub("NAME", "door") + Sub("XSCL", F32(2)) + Sub("UNAM", U8(0)) +
        Sub("ZNAM", U8(0)) + Sub("DATA", Six(1)) + Sub("DELE", "\x64\x2c\x48" + U8(0));
    Trip t = RoundTrip({Record("CELL", in)});
    const CELLRecord& c = t.store.tblCELL.at(0);
    EXPECT_EQ(c.Deleted, 1);
    EXPECT_EQ(c.References.at(0).Deleted, 1);
    EXPECT_EQ(c.References.at(0).HasZNAM, 1);
    EXPECT_EQ(t.out, Record("CELL", expected));
}

TEST(CellRecord, PersistentReferencesBeforeNAM0AndTheOthersAfterIt) {
    // As read: each group keeps its order; a cell without references is its header subrecords and NAM0.
    std::string body = CellHead("Keep") + Ref(1, "a") + Ref(2, "b") + Sub("NAM0", I32(2)) + Ref(3, "c");
    Trip t = RoundTrip({Record("CELL", body), Record("CELL", CellHead("Empty") + Sub("NAM0", I32(0)))});
    EXPECT_EQ(t.out, Record("CELL", body) + Record("CELL", CellHead("Empty") + Sub("NAM0", I32(0))));
    EXPECT_TRUE(t.store.tblCELL[1].References.empty());

    // Built in memory with the groups mixed: the writer gathers them.
    CELLRecord c = t.store.tblCELL[0];
    std::swap(c.References[0], c.References[2]); // c, b, a with c temporary
    EXPECT_EQ(Written(c), Record("CELL", CellHead("Keep") + Ref(2, "b") + Ref(1, "a") + Sub("NAM0", I32(2)) +
                                             Ref(3, "c")));
}

TEST(CellRecord, TwoDataAndSavedGameExtras) {
    // Both DATA are kept; the saved-game subrecords come back after ZNAM and before DATA with their sizes and
    // bytes.
    std::string extras = Sub("ACDT", std::string("\x01\x00\x02", 3)) + Sub("CHRD", "") + Sub("WNAM", "w");
    std::string in = Sub("FRMR", U32(4)) + ZSub("NAME", "npc") + Sub("DATA", Six(1)) + Sub("DATA", Six(2)) +
                     extras + Sub("ZNAM", U8(0));
    std::string out = Sub("FRMR", U32(4)) + ZSub("NAME", "npc") + Sub("ZNAM", U8(0)) + extras +
                      Sub("DATA", Six(1)) + Sub("DATA", Six(2));
    Trip t = RoundTrip({Record("CELL", CellHead("Save") + in)});
    EXPECT_EQ(t.out, Record("CELL", CellHead("Save") + out));
    EXPECT_TRUE(IsSavedGameReferenceTag("LSHN"));
    EXPECT_FALSE(IsSavedGameReferenceTag("acdt"));
}

TEST(CellRecord, WhatTheFieldsDoNotHoldAndMovedReferencesComeBackInTheirPlace) {
    struct Case {
        const char* what;
        std::string body;
    };
    const Case cases[] = {
        {"moved references with their cell or grid",
         CellHead("Outside", 2, 1, 1) + Sub("MVRF", U32(0x01000009)) + Sub("CNAM", Z("Vivec, Arena")) +
             Ref(9, "a") + Sub("NAM0", I32(1)) + Sub("MVRF", U32(10)) + Sub("CNDT", I32(-4) + I32(7)) +
             Ref(10, "b")},
        {"an unknown subrecord inside a reference",
         CellHead("A") + Ref(1, "x", Sub("XXXX", "abc")) + Sub("NAM0", I32(1)) + Ref(2, "y")},
        {"an unknown subrecord among the cell's", CellHead("B") + ZSub("RGNN", "R") + Sub("XXXX", "") +
                                                      Sub("WHGT", F32(1)) + Ref(1, "x") + Sub("YYYY", "z")},
        {"a map subrecord", CellHead("C") + Sub("MPNT", std::string(40, 'm')) + Sub("NAM0", I32(0))},
        {"a cell DATA of another length",
         ZSub("NAME", "D") + Sub("DATA", I32(1) + I32(2)) + ZSub("RGNN", "R")},
        {"fixed subrecords of other lengths",
         CellHead("E") + Sub("NAM5", "abc") + Sub("AMBI", std::string(12, 'a')) +
             Sub("MPCD", I32(1) + I32(2) + I32(3) + I32(4)) +
             Ref(1, "r",
                 Sub("XSCL", "") + Sub("FLTV", "\x05\x01") + Sub("UNAM", U32(1)) + Sub("ZNAM", "") +
                     Sub("DODT", Six(1) + "x") + Sub("DELE", U32(0) + U32(0)))},
        {"subrecords beyond their one field",
         CellHead("F") + ZSub("NAME", "again") + Sub("NAM0", I32(1)) + Sub("FRMR", U32(1)) +
             ZSub("NAME", "x") + Sub("ZNAM", U8(0)) + Sub("ZNAM", U8(0)) + Sub("DATA", Six(1)) +
             Sub("DATA", Six(2)) + Sub("DATA", Six(3)) + Sub("NAM0", I32(2))},
        {"reference subrecords before any FRMR", CellHead("G") + ZSub("DNAM", "d") + Sub("XSCL", F32(1)) +
                                                     Sub("CNDT", I32(1) + I32(2)) + Sub("ACDT", "a") +
                                                     Sub("NAM0", I32(0))},
        {"an FRMR of another length",
         CellHead("H") + Sub("FRMR", "ab") + ZSub("NAME", "x") + Sub("DATA", Six(1))},
        {"moved references whose MVRF, grid or cell does not fit",
         CellHead("I", 2, 1, 1) + Sub("MVRF", U32(5)) + Sub("CNDT", I32(1)) + Ref(5, "m") +
             Sub("MVRF", U32(6)) + Sub("CNAM", "") + Ref(6, "n") + Sub("MVRF", "x") +
             Sub("CNDT", I32(1) + I32(2)) + Ref(7, "o")},
        {"a moved reference without its FRMR", CellHead("J") + Ref(1, "a") + Sub("MVRF", U32(3)) +
                                                   Sub("CNDT", I32(1) + I32(2)) + Sub("NAM0", I32(1)) +
                                                   Ref(2, "b")},
        {"an empty NAM8 and a DELE of another length", CellHead("K") + Sub("DELE", U8(1)) + Sub("NAM8", "")},
    };
    for (const Case& c : cases) {
        Trip t = RoundTrip({Record("CELL", c.body), Record("CELL", CellHead("Next"))});
        EXPECT_EQ(t.out, Record("CELL", c.body) + Record("CELL", CellHead("Next"))) << c.what;
    }
    const CELLRecord i = testutil::ReadBody(ReadCELL, cases[9].body);
    ASSERT_EQ(i.References.size(), 3u);
    EXPECT_EQ(i.References[0].Rare->DestinationKept + i.References[1].Rare->DestinationKept, 2);
    EXPECT_EQ(i.References[2].NAME, "o");
    EXPECT_EQ(i.extras.subs.size(), 3u);
}

TEST(CellRecord, MovedReferenceThatCannotBeWritten) {
    // An MVRF followed by its FRMR without the cell it moved to cannot be written: it is left out whole, the
    // rest of the cell is written, and the message is shown once for the cell, whichever group it is in.
    std::string in = CellHead("Broken") + Ref(1, "kept_a") + Sub("NAM0", I32(1)) + Sub("MVRF", U32(5)) +
                     Ref(5, "lost_a") + Sub("MVRF", U32(6)) + Ref(6, "lost_b") + Ref(2, "kept_b");
    RecordStore s;
    int32_t count = testutil::Load(
        File({Record("CELL", in), Record("CELL", CellHead("Next") + Sub("MVRF", U32(7)) + Ref(7, "lost_c"))}),
        s);
    ASSERT_EQ(s.tblCELL.at(0).References.size(), 4u);
    EXPECT_EQ(s.tblCELL[0].References[1].NAME, "lost_a");

    FakeUi ui;
    std::string saved = BuildESFile(s, ui, count, 0);
    EXPECT_TRUE(CheckWellFormed(saved));
    EXPECT_EQ(AfterHeader(saved),
              Record("CELL", CellHead("Broken") + Ref(1, "kept_a") + Sub("NAM0", I32(1)) + Ref(2, "kept_b")) +
                  Record("CELL", CellHead("Next")));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Error while writing moved reference.");
}

TEST(PathGridRecord, SubrecordsTheGridDoesNotHoldAreKeptInTheirPlace) {
    // Decisions: a PGRP of whole points and a PGRC of whole connections are read whatever number DATA
    // announces; one that is empty or cut inside an entry, a DATA of another length, a repeated subrecord and
    // a DELE (a path grid has no deleted state; its Flags alone say it is deleted) are kept whole in their
    // place. A NAME of size 0 is written with its terminator; a grid without points is DATA and NAME.
    struct Case {
        const char* what;
        std::string in, out;
        size_t points;
    };
    const Case cases[] = {
        {"DATA comes first, then NAME, points, connections",
         ZSub("NAME", "a") + Sub("PGRC", Links({1, 0})) + Sub("PGRP", Points(2)) + Data(2),
         Data(2) + ZSub("NAME", "a") + Sub("PGRP", Points(2)) + Sub("PGRC", Links({1, 0})), 2},
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
