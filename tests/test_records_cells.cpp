// Cells and their references: reading into fields, writing back in the game's file layout, the persistent and
// temporary groups around NAM0, moved references, saved-game extras, deleted cells and references, and
// damaged input.
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
// A plain reference: FRMR, NAME, DATA.
std::string Ref(uint32_t index, std::string_view id, std::string_view middle = {}) {
    return Sub("FRMR", U32(index)) + ZSub("NAME", id) + std::string(middle) + Sub("DATA", Six(float(index)));
}

struct Trip {
    RecordStore store;
    std::string out; // the records written after the header
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

TEST(CellRecord, EveryFieldIsReadAndWrittenBackExactly) {
    const std::string persistent =
        Sub("FRMR", U32(0x03000102)) + ZSub("NAME", "guard_npc") + Sub("XSCL", F32(1.25f)) +
        Sub("DODT", Six(100)) + ZSub("DNAM", "Balmora, Guild") + Sub("FLTV", I32(50)) +
        ZSub("KNAM", "key_a") + ZSub("TNAM", "trap_fire") + ZSub("ANAM", "owner_npc") +
        ZSub("CNAM", "faction_x") + Sub("UNAM", U8(1)) + ZSub("BNAM", "global_g") + Sub("XCHG", F32(7.5f)) +
        Sub("INTV", I32(-4)) + Sub("NAM9", I32(12)) + Sub("INDX", I32(2)) + ZSub("XSOL", "soul_c") +
        Sub("DATA", Six(9));
    const std::string body =
        CellHead("Balmora", 2, -3, -2) + ZSub("RGNN", "West Gash Region") +
        Sub("NAM5", "\x01\x02\x03" + U8(0)) + Sub("NAM8", "map note") +
        Sub("MPCD", I32(1) + I32(2) + I32(3)) + Sub("WHGT", F32(-12.5f)) +
        Sub("AMBI", "\x0a\x0b\x0c" + U8(0) + "\x14\x15\x16" + U8(0) + "\x1e\x1f\x20" + U8(0) + F32(0.75f)) +
        Sub("INTV", I32(33)) + persistent + Sub("NAM0", I32(1)) + Ref(7, "chair");
    Trip t = RoundTrip({Record("CELL", body, 0, 5)});
    ASSERT_EQ(t.store.tblCELL.size(), 1u);
    const CELLRecord& c = t.store.tblCELL[0];
    EXPECT_EQ(c.Size, int32_t(body.size()));
    EXPECT_EQ(c.Header1, 5);
    EXPECT_EQ(c.NAME, "Balmora");
    EXPECT_EQ(c.NAMELen, 8);
    EXPECT_EQ(c.CellFlags, 2);
    EXPECT_EQ(c.GridX, -3);
    EXPECT_EQ(c.GridY, -2);
    EXPECT_EQ(c.RGNN, "West Gash Region");
    EXPECT_EQ(c.RGNNLen, 17);
    EXPECT_EQ(c.NAM5, (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(c.NAM8, "map note");
    EXPECT_EQ(c.MPCD, (std::array<int32_t, 3>{1, 2, 3}));
    EXPECT_EQ(c.WHGT, -12.5f);
    EXPECT_EQ(c.Sunlight, (std::array<uint8_t, 3>{0x14, 0x15, 0x16}));
    EXPECT_EQ(c.Fog, (std::array<uint8_t, 3>{0x1e, 0x1f, 0x20}));
    EXPECT_EQ(c.FogDensity, 0.75f);
    EXPECT_EQ(c.INTV, 33);
    EXPECT_EQ(c.NAM0, 1);
    ASSERT_EQ(c.References.size(), 2u);
    const FRMRData& p = c.References[0];
    EXPECT_EQ(p.Persistent, 1);
    EXPECT_EQ(p.RefIndex, (std::array<uint8_t, 3>{2, 1, 0}));
    EXPECT_EQ(p.RefIndexHigh, 3);
    EXPECT_EQ(p.NAME, "guard_npc");
    EXPECT_EQ(p.XSCL, 1.25f);
    EXPECT_EQ(p.Rare->DODT[0], 100.0f);
    EXPECT_EQ(p.Rare->DNAM, "Balmora, Guild");
    EXPECT_EQ(p.FLTV, 50);
    EXPECT_EQ(p.Rare->KNAM, "key_a");
    EXPECT_EQ(p.Rare->TNAM, "trap_fire");
    EXPECT_EQ(p.Rare->ANAM, "owner_npc");
    EXPECT_EQ(p.Rare->CNAM, "faction_x");
    EXPECT_EQ(p.UNAM, 1);
    EXPECT_EQ(p.Rare->BNAM, "global_g");
    EXPECT_EQ(p.XCHG, 7.5f);
    EXPECT_EQ(p.INTV, -4);
    EXPECT_EQ(p.NAM9, 12);
    EXPECT_EQ(p.INDX, 2);
    EXPECT_EQ(p.Rare->XSOL, "soul_c");
    EXPECT_EQ(p.DATA, (std::array<float, 6>{9, 2.5f, -3, 0.25f, 0, 1}));
    EXPECT_EQ(p.Rare->DATA2Len, 0);
    EXPECT_EQ(c.References[1].Persistent, 0);
    EXPECT_EQ(c.References[1].NAME, "chair");
    EXPECT_TRUE(p.Rare.allocated());
    EXPECT_FALSE(c.References[1].Rare.allocated()) << "a plain reference makes no second allocation";
    EXPECT_EQ(t.out, Record("CELL", body, 0, 5));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(CellRecord, RareSubrecordsAreCopiedAndComparedByValue) {
    Trip t = RoundTrip(
        {Record("CELL", CellHead("Door") + Ref(1, "door", ZSub("DNAM", "Inside") + Sub("ACDT", "ab")) +
                            Ref(2, "rock"))});
    const auto& refs = t.store.tblCELL.at(0).References;
    ASSERT_EQ(refs.size(), 2u);
    ASSERT_TRUE(refs[0].Rare.allocated());
    EXPECT_FALSE(refs[1].Rare.allocated());
    EXPECT_TRUE(refs[1].Rare->DNAM.empty()) << "an empty part reads as default values";
    EXPECT_FALSE(refs[1].Rare.allocated()) << "reading does not allocate";

    // Copies are deep: changing the copy leaves the original as it was.
    FRMRData copy = refs[0];
    EXPECT_EQ(copy, refs[0]);
    EXPECT_NE(&*copy.Rare, &*refs[0].Rare);
    copy.Rare.edit().DNAM = "Outside";
    copy.Rare.edit().Extras.clear();
    EXPECT_EQ(refs[0].Rare->DNAM, "Inside");
    EXPECT_EQ(refs[0].Rare->Extras, std::vector<std::string>{"ACDTab"});
    EXPECT_NE(copy, refs[0]);
    copy = refs[1];
    EXPECT_FALSE(copy.Rare.allocated()) << "assigning a reference without the part drops it";
    EXPECT_EQ(copy, refs[1]);

    // An allocated part holding only default values equals no part at all, both ways round, and is written
    // the same.
    FRMRData touched = refs[1];
    touched.Rare.edit();
    EXPECT_TRUE(touched.Rare.allocated());
    EXPECT_EQ(touched, refs[1]);
    EXPECT_EQ(refs[1], touched);
    touched.Rare.edit().DATA2Len = 24;
    EXPECT_NE(touched, refs[1]);
    touched.Rare.edit().DATA2Len = 0;
    FRMRData moved = std::move(touched);
    EXPECT_EQ(moved, refs[1]);

    CELLRecord cell = t.store.tblCELL[0];
    cell.References[1].Rare.edit();
    ByteWriter w;
    FakeUi ui;
    WriteCELL(w, cell, ui);
    EXPECT_EQ(w.buffer(), t.out);

    // A field set through the part in memory is written in its place among the reference's subrecords.
    cell.References[1].Rare.edit().KNAM = "key";
    cell.References[1].Rare.edit().KNAMLen = 4;
    cell.References[1].FLTV = 30;
    cell.References[1].FLTVLen = 4;
    ByteWriter w2;
    WriteCELL(w2, cell, ui);
    EXPECT_NE(w2.buffer().find(Sub("FLTV", I32(30)) + ZSub("KNAM", "key") + Sub("DATA", Six(2))),
              std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
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
    EXPECT_EQ(t.repairs, 0u);
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
    ByteWriter w;
    FakeUi ui;
    WriteCELL(w, c, ui);
    EXPECT_EQ(w.buffer(), Record("CELL", CellHead("Keep") + Ref(2, "b") + Ref(1, "a") + Sub("NAM0", I32(2)) +
                                             Ref(3, "c")));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(CellRecord, MovedReferencesKeepTheirCellOrGrid) {
    std::string byName = Sub("MVRF", U32(0x01000009)) + Sub("CNAM", Z("Vivec, Arena")) + Ref(9, "moved_a");
    std::string byGrid = Sub("MVRF", U32(10)) + Sub("CNDT", I32(-4) + I32(7)) + Ref(10, "moved_b");
    std::string body = CellHead("Outside", 2, 1, 1) + byName + Sub("NAM0", I32(1)) + byGrid;
    Trip t = RoundTrip({Record("CELL", body)});
    const auto& refs = t.store.tblCELL.at(0).References;
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0].Rare->MovedCell, std::string("Vivec, Arena", 13)) << "the terminating zero is kept";
    EXPECT_EQ(refs[0].Rare->MovedCellLen, 13);
    EXPECT_EQ(refs[0].MVRFIndexHigh, 1);
    EXPECT_EQ(refs[0].NAME, "moved_a");
    EXPECT_EQ(refs[0].Persistent, 1);
    EXPECT_EQ(refs[1].Rare->CNDTGridX, -4);
    EXPECT_EQ(refs[1].Rare->CNDTGridY, 7);
    EXPECT_EQ(refs[1].RefIndex[0], 10);
    EXPECT_EQ(refs[1].Persistent, 0);
    EXPECT_EQ(t.out, Record("CELL", body));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(CellRecord, TwoDataInARowAndSavedGameExtras) {
    // DATA DATA keeps both; extras come back after ZNAM and before DATA with their sizes and bytes.
    std::string extras = Sub("ACDT", std::string("\x01\x00\x02", 3)) + Sub("CHRD", "") + Sub("WNAM", "w");
    std::string in = Sub("FRMR", U32(4)) + ZSub("NAME", "npc") + Sub("DATA", Six(1)) + Sub("DATA", Six(2)) +
                     extras + Sub("ZNAM", U8(0));
    std::string out = Sub("FRMR", U32(4)) + ZSub("NAME", "npc") + Sub("ZNAM", U8(0)) + extras +
                      Sub("DATA", Six(1)) + Sub("DATA", Six(2));
    Trip t = RoundTrip({Record("CELL", CellHead("Save") + in)});
    const FRMRData& r = t.store.tblCELL.at(0).References.at(0);
    EXPECT_EQ(r.DATA[0], 1.0f);
    EXPECT_EQ(r.Rare->DATA2[0], 2.0f);
    ASSERT_EQ(r.Rare->Extras.size(), 3u);
    EXPECT_EQ(r.Rare->Extras[0], std::string("ACDT\x01\x00\x02", 7));
    EXPECT_EQ(r.Rare->Extras[1], "CHRD");
    EXPECT_EQ(t.out, Record("CELL", CellHead("Save") + out));
    EXPECT_EQ(t.repairs, 0u);

    for (const char* tag :
         {"LVCR", "ACDT", "ACSC", "ACSL", "CREC", "SCRI", "SLCS", "SLSD", "CRED", "SLFD", "CHRD", "STPR",
          "ACTN", "MNAM", "ANIS", "LSTN", "ND3D", "CSTN", "TGTN", "CSHN", "FGTN", "LSHN", "AADT", "WNAM"})
        EXPECT_TRUE(IsSavedGameReferenceTag(tag)) << tag;
    for (const char* tag : {"NAME", "DATA", "ZNAM", "XXXX", "acdt"})
        EXPECT_FALSE(IsSavedGameReferenceTag(tag));
}

TEST(CellRecord, DroppedAndRepeatedSubrecordsMoveTheSize) {
    // Decision: MPNT is not kept, and a subrecord that appears again keeps only its last value (a DATA that
    // does not follow the first at once, a second NAM0); the cell's Size loses those bytes so that the
    // written Size describes the written bytes.
    std::string in = CellHead("Map") + Sub("MPNT", std::string(40, 'm')) + Sub("NAM0", I32(1)) +
                     Sub("FRMR", U32(1)) + ZSub("NAME", "x") + Sub("DATA", Six(1)) + Sub("XSCL", F32(3)) +
                     Sub("DATA", Six(5)) + Sub("NAM0", I32(2));
    std::string out = CellHead("Map") + Sub("NAM0", I32(2)) + Sub("FRMR", U32(1)) + ZSub("NAME", "x") +
                      Sub("XSCL", F32(3)) + Sub("DATA", Six(5));
    Trip t = RoundTrip({Record("CELL", in)});
    EXPECT_EQ(t.store.tblCELL.at(0).Size, int32_t(out.size()));
    EXPECT_EQ(t.out, Record("CELL", out));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(CellRecord, SubrecordsOfLengthZeroOrOfAnotherSize) {
    // Decision: a subrecord is read by its own size. Of length 0 it holds nothing: an optional one is then
    // absent and left out, one the writer always writes (the cell's NAME and DATA, a reference's ZNAM) is
    // written in full with zeros. Shorter than its layout, the missing bytes read as zeros; longer, the bytes
    // beyond the layout are stepped over and the subrecords after it are still found. The Size follows.
    std::string in = Sub("NAME", "") + Sub("DATA", "") + Sub("RGNN", "") +
                     Sub("MPCD", I32(1) + I32(2) + I32(3) + I32(4)) + Sub("FRMR", U32(1)) +
                     ZSub("NAME", "r") + Sub("XSCL", "") + Sub("FLTV", std::string("\x05\x01", 2)) +
                     Sub("ZNAM", "");
    std::string out = ZSub("NAME", "") + Sub("DATA", std::string(12, '\0')) +
                      Sub("MPCD", I32(1) + I32(2) + I32(3)) + Sub("FRMR", U32(1)) + ZSub("NAME", "r") +
                      Sub("FLTV", I32(0x105)) + Sub("ZNAM", U8(0));
    Trip t = RoundTrip({Record("CELL", in)});
    const CELLRecord& c = t.store.tblCELL.at(0);
    EXPECT_EQ(c.NAMELen, 0);
    EXPECT_EQ(c.RGNNLen, 0);
    EXPECT_EQ(c.MPCDLen, 16);
    EXPECT_EQ(c.References.at(0).FLTV, 0x105);
    EXPECT_EQ(c.References.at(0).XSCLLen, 0);
    EXPECT_EQ(t.out, Record("CELL", out));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(CellRecord, MovedReferenceThatCannotBeWritten) {
    // Decision: an MVRF followed by neither CNDT nor CNAM is read on from the FRMR after it, without skipping
    // anything. Such a reference cannot be written: it is left out whole, the rest of the cell is written,
    // and the message is shown once for the cell. Its bytes are taken off the Size when it is read, so the
    // written cell stays well-formed without a repair.
    std::string bad1 = Sub("MVRF", U32(5)) + Ref(5, "lost_a");
    std::string bad2 = Sub("MVRF", U32(6)) + Ref(6, "lost_b");
    std::string in =
        CellHead("Broken") + Ref(1, "kept_a") + bad1 + Sub("NAM0", I32(1)) + bad2 + Ref(2, "kept_b");
    RecordStore s;
    int32_t count = testutil::Load(File({Record("CELL", in), Record("CELL", CellHead("Next"))}), s);
    ASSERT_EQ(s.tblCELL.size(), 2u);
    const auto& refs = s.tblCELL[0].References;
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_EQ(refs[1].NAME, "lost_a");
    EXPECT_EQ(refs[1].MVRFLen, 4);
    EXPECT_EQ(refs[1].FRMRLen, 4);

    FakeUi ui;
    uint64_t repairs = 0;
    std::string saved = BuildESFile(s, ui, count, 0, &repairs);
    EXPECT_TRUE(CheckWellFormed(saved));
    EXPECT_EQ(repairs, 0u);
    EXPECT_EQ(AfterHeader(saved),
              Record("CELL", CellHead("Broken") + Ref(1, "kept_a") + Sub("NAM0", I32(1)) + Ref(2, "kept_b")) +
                  Record("CELL", CellHead("Next")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Error while writing moved reference.");
    EXPECT_EQ(ui.messages[0].title, "Vellum");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::OK);
    EXPECT_EQ(ui.messages[0].kind, Ask::Error);
}

TEST(CellRecord, ReferencesWithoutTheirFRMR) {
    // Decision: a moved reference whose FRMR does not follow its CNDT or CNAM ends there, and the tag goes
    // back to the cell; like every reference it is written with its FRMR and NAME. When the first reference
    // of a cell has no FRMR, none of the cell's references is written, and the Size is taken down by their
    // bytes.
    std::string in = CellHead("Grid") + Ref(1, "first") + Sub("MVRF", U32(3)) + Sub("CNDT", I32(1) + I32(2)) +
                     Sub("NAM0", I32(1)) + Ref(2, "second");
    Trip t = RoundTrip({Record("CELL", in)});
    ASSERT_EQ(t.store.tblCELL.at(0).References.size(), 3u);
    EXPECT_EQ(t.store.tblCELL[0].NAM0Len, 4);
    EXPECT_EQ(t.out, Record("CELL", CellHead("Grid") + Ref(1, "first") + Sub("MVRF", U32(3)) +
                                        Sub("CNDT", I32(1) + I32(2)) + Sub("FRMR", U32(0)) +
                                        ZSub("NAME", "") + Sub("NAM0", I32(1)) + Ref(2, "second")));
    EXPECT_EQ(t.repairs, 0u);

    std::string noFrmr =
        CellHead("Gone") + Sub("FRMR", "") + ZSub("NAME", "a") + Ref(2, "b") + Sub("NAM0", I32(0));
    t = RoundTrip({Record("CELL", noFrmr)});
    EXPECT_EQ(t.store.tblCELL.at(0).References.size(), 2u);
    EXPECT_EQ(t.out, Record("CELL", CellHead("Gone") + Sub("NAM0", I32(0))));
    EXPECT_EQ(t.repairs, 0u);
}

TEST(CellRecord, TheRecordEndsAtATagItDoesNotKnow) {
    // LAND after a reference ends the cell; the driver reads it as the next record.
    Trip t = RoundTrip({Record("CELL", CellHead("A") + Ref(1, "x")), Record("LAND", Sub("VHGT", "hh"))});
    EXPECT_EQ(t.store.tblCELL.at(0).References.size(), 1u);
    EXPECT_EQ(t.store.tblLAND.size(), 1u);
}

TEST(CellRecord, EveryPrefixOfAFileIsReadAndWrittenWellFormed) {
    std::string cell = CellHead("Town", 2, 3, 4) + ZSub("RGNN", "R") + Sub("AMBI", std::string(16, '\x01')) +
                       Ref(1, "p", Sub("XSCL", F32(1)) + Sub("ACDT", "xyz") + Sub("ZNAM", U8(0))) +
                       Sub("MVRF", U32(2)) + Sub("CNAM", Z("Elsewhere")) + Ref(2, "m") + Sub("NAM0", I32(1)) +
                       Sub("MVRF", U32(3)) + Sub("CNDT", I32(1) + I32(1)) + Ref(3, "n", Sub("DELE", U32(0)));
    std::string file =
        File({Record("CELL", cell, 0x400), Record("CELL", CellHead("Two") + Sub("MPNT", "abcd"))});
    for (size_t n = 0; n <= file.size(); ++n) {
        RecordStore s;
        int32_t count = testutil::Load(file.substr(0, n), s);
        std::string once = testutil::Save(s, count);
        RecordStore again;
        int32_t count2 = testutil::Load(once, again);
        ASSERT_EQ(testutil::Save(again, count2), once) << "prefix of " << n << " bytes";
    }
}

TEST(CellRecord, ManyReferencesAreReadIntoOneListSizedOnce) {
    std::string before, after;
    for (uint32_t i = 0; i < 20000; ++i)
        (i < 10000 ? before : after) += Ref(i, "ref_" + std::to_string(i % 97));
    std::string body = CellHead("Big") + before + Sub("NAM0", I32(10000)) + after;
    Trip t = RoundTrip({Record("CELL", body)});
    const auto& list = t.store.tblCELL.at(0).References;
    ASSERT_EQ(list.size(), 20000u);
    EXPECT_EQ(list.capacity(), list.size()) << "the list is sized from the FRMR count before reading";
    EXPECT_EQ(list[9999].Persistent, 1);
    EXPECT_EQ(list[10000].Persistent, 0);
    EXPECT_EQ(t.out, Record("CELL", body));
}

TEST(CellRecord, CellsOfTheSharedPluginSurviveASave) {
    std::string bytes = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(bytes.empty());
    RecordStore s;
    int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblCELL.size(), 3u);
    EXPECT_EQ(s.tblCELL[0].NAME, "test_exterior");
    EXPECT_EQ(s.tblCELL[0].RGNN, "Bitter Coast Region");
    EXPECT_EQ(s.tblCELL[0].GridX, -15);
    EXPECT_EQ(s.tblCELL[0].GridY, -8);
    EXPECT_TRUE(s.tblCELL[0].References.empty());
    EXPECT_EQ(s.tblCELL[1].References.size(), 3u);
    EXPECT_EQ(s.tblCELL[1].References[1].RefIndexHigh, 3);
    EXPECT_EQ(s.tblCELL[1].RGNNLen, 0);
    const auto& refs = s.tblCELL[2].References;
    ASSERT_EQ(refs.size(), 39u);
    EXPECT_EQ(std::count_if(refs.begin(), refs.end(), [](const FRMRData& r) { return r.Persistent == 1; }),
              19);
    EXPECT_EQ(refs[0].NAME, "test_npc");
    for (const CELLRecord& c : s.tblCELL) {
        EXPECT_FALSE(c.NAME.empty());
        for (const FRMRData& r : c.References) EXPECT_FALSE(r.NAME.empty());
    }
    uint64_t repairs = 0;
    std::string saved = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    RecordStore again;
    testutil::Load(saved, again);
    EXPECT_EQ(again.tblCELL, s.tblCELL);
}
