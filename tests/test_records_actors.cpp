// NPC and creature records: fields as read, exact write-back, the writer's fixed order, the runs of repeated
// subrecords, and the program's own decisions for input that the game's tools do not write.
#include <gtest/gtest.h>

#include <random>

#include "fixture_builder.h"
#include "records/actors.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// n bytes seed, seed+1, ...
std::string Pattern(size_t n, uint8_t seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i);
    return s;
}
std::array<uint8_t, 8> Bytes8(uint8_t seed) {
    std::array<uint8_t, 8> a{};
    for (size_t i = 0; i < 8; ++i) a[i] = static_cast<uint8_t>(seed + i);
    return a;
}
std::string Flag(uint8_t b0, uint8_t b1, uint8_t b2 = 0, uint8_t b3 = 0) {
    return Sub("FLAG", U8(b0) + U8(b1) + U8(b2) + U8(b3));
}
std::string Npco(int32_t count, std::string_view id) {
    return Sub("NPCO", I32(count) + Fixed(id, 32));
}
std::string Npcs(std::string_view id) {
    return Sub("NPCS", Fixed(id, 32));
}
std::string Aidt(uint8_t seed, int32_t flags) {
    return Sub("AIDT", Pattern(8, seed) + I32(flags));
}
std::string AiW(int16_t distance, int16_t duration, uint8_t hour, uint8_t seed, uint8_t tail) {
    return Sub("AI_W",
               U16(uint16_t(distance)) + U16(uint16_t(duration)) + U8(hour) + Pattern(8, seed) + U8(tail));
}
std::string AiT(int32_t x, int32_t tail) {
    return Sub("AI_T", I32(x) + I32(x + 1) + I32(x + 2) + I32(tail));
}
std::string AiEF(std::string_view tag, int32_t x, int16_t duration, std::string_view target,
                 int16_t tail = 0) {
    return Sub(tag, I32(x) + I32(x + 1) + I32(x + 2) + U16(uint16_t(duration)) + Fixed(target, 32) +
                        U16(uint16_t(tail)));
}
std::string AiA(std::string_view target, uint8_t tail) {
    return Sub("AI_A", Fixed(target, 32) + U8(tail));
}
std::string Dodt(int32_t base) {
    std::string d;
    for (int32_t i = 0; i < 6; ++i) d += I32(base + i);
    return Sub("DODT", d);
}
std::string Npc(std::string_view body, uint32_t flags = 0) {
    return Record("NPC_", body, flags);
}
std::string Crea(std::string_view body, uint32_t flags = 0) {
    return Record("CREA", body, flags);
}

// Saves the store and checks that no record needed its Size repaired.
std::string SaveNoRepair(const RecordStore& s, int32_t count) {
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    return out;
}

// A one-record file read and written back: the output, and the store read from the input.
std::string SaveOne(const std::string& record, RecordStore& s) {
    return SaveNoRepair(s, testutil::Load(File({record}), s));
}

// An NPC with every subrecord, in the order the writer writes them.
const std::string kFullNpcBody =
    ZSub("NAME", "guard01") + ZSub("MODL", "b\\guard.nif") + ZSub("FNAM", "Guard") +
    ZSub("RNAM", "Imperial") + ZSub("CNAM", "Guard") + ZSub("ANAM", "Imperial Legion") +
    ZSub("BNAM", "b_head_01") + ZSub("KNAM", "b_hair_01") + ZSub("SCRI", "guardScript") +
    Sub("NPDT", Pattern(46, 1) + U8(7) + Pattern(5, 100)) + Flag(0x11, 0x04) + Sub("INDX", I32(9)) +
    Npco(3, "iron_sword") + Npco(-1, "gold_001") + Npcs("fireball") + Npcs("shield") + Aidt(30, 0x70) +
    Dodt(100) + ZSub("DNAM", "Balmora") + Dodt(200) + AiW(512, 5, 6, 40, 1) + AiT(10, 1) + AiT(20, 0) +
    AiEF("AI_E", 30, 12, "escortee") + ZSub("CNDT", "Vivec") + AiEF("AI_E", 40, 0, "other") +
    AiEF("AI_F", 50, 3, "leader", 1) + AiEF("AI_F", 60, 4, "leader") + ZSub("CNDT", "Ald'ruhn") +
    AiA("lever", 1);

const std::string kFullCreaBody =
    ZSub("NAME", "rat_01") + ZSub("MODL", "r\\rat.nif") + ZSub("CNAM", "rat_sound") + ZSub("FNAM", "Rat") +
    ZSub("SCRI", "ratScript") + Sub("NPDT", Pattern(96, 9)) + Flag(0x48, 0x08) + Sub("INDX", I32(2)) +
    Sub("XSCL", F32(1.5f)) + Npco(1, "ingred_rat_meat") + Npcs("disease") + Aidt(60, 3) + Dodt(300) +
    AiW(100, 0, 0, 70, 0) + AiT(70, 0) + AiEF("AI_E", 80, 1, "x") + AiEF("AI_F", 90, 2, "y") + AiA("z", 0);

} // namespace

TEST(ActorRecords, NpcWithBothNpdtFormsReadsEveryFieldAndWritesBackExactly) {
    const std::string autocalc =
        Npc(ZSub("NAME", "trader") + Sub("NPDT", Pattern(4, 1) + U8(3) + Pattern(7, 50)) + Flag(0x10, 0));
    const std::string bytes = File({Npc(kFullNpcBody, 0x2400), autocalc});
    RecordStore s;
    const int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblNPC_.size(), 2u);
    const NPC_Record& n = s.tblNPC_[0];
    EXPECT_EQ(n.Size, int32_t(kFullNpcBody.size()));
    EXPECT_EQ(n.Flags, 0x2400);
    EXPECT_EQ(n.NAMELen, 8);
    EXPECT_EQ(n.NAME, "guard01");
    EXPECT_EQ(n.RNAM, "Imperial");
    EXPECT_EQ(n.ANAM, "Imperial Legion");
    EXPECT_EQ(n.KNAM, "b_hair_01");
    EXPECT_EQ(n.NPDTLen, 52);
    EXPECT_EQ(n.NPDTLong[0], 1);
    EXPECT_EQ(n.NPDTLong[51], 104);
    EXPECT_EQ(n.NPDTShort, (std::array<uint8_t, 12>{})) << "only the form in use is filled";
    EXPECT_EQ(FactionRank(n), 7);
    EXPECT_TRUE(IsFemale(n));
    EXPECT_EQ(n.FLAG1, 4);
    EXPECT_EQ(n.INDXLen, 4);
    EXPECT_EQ(n.INDX, 9);
    ASSERT_EQ(n.NPCO.size(), 2u);
    EXPECT_EQ(n.NPCO[1].Count, -1);
    EXPECT_EQ(n.NPCO[1].ItemID, Fixed("gold_001", 32));
    ASSERT_EQ(n.NPCS.size(), 2u);
    EXPECT_EQ(n.NPCS[1].SpellID, Fixed("shield", 32));
    EXPECT_EQ(n.AIDTBytes, Bytes8(30));
    EXPECT_EQ(n.AIFlags, 0x70);
    ASSERT_EQ(n.AI_W.size(), 1u);
    EXPECT_EQ(n.AI_W[0].Distance, 512);
    EXPECT_EQ(n.AI_W[0].TimeOfDay, 6);
    EXPECT_EQ(n.AI_W[0].Idles, Bytes8(40));
    EXPECT_EQ(n.AI_W[0].Tail, 1);
    ASSERT_EQ(n.AI_T.size(), 2u);
    EXPECT_EQ(n.AI_T[1].Z, 22);
    ASSERT_EQ(n.AI_E.size(), 2u);
    EXPECT_EQ(n.AI_E[0].Duration, 12);
    EXPECT_EQ(n.AI_E[0].TargetID, Fixed("escortee", 32));
    EXPECT_EQ(n.AI_E[0].CNDTLen, 6);
    EXPECT_EQ(n.AI_E[0].CNDT, "Vivec");
    EXPECT_EQ(n.AI_E[1].CNDTLen, 0);
    ASSERT_EQ(n.AI_F.size(), 2u);
    EXPECT_EQ(n.AI_F[0].Tail, 1);
    EXPECT_EQ(n.AI_F[1].CNDT, "Ald'ruhn");
    ASSERT_EQ(n.AI_A.size(), 1u);
    EXPECT_EQ(n.AI_A[0].Tail, 1);
    EXPECT_EQ(n.Destinations[0].DODT[5], 105);
    EXPECT_EQ(n.Destinations[0].DNAM, "Balmora");
    EXPECT_EQ(n.Destinations[1].DODTLen, 24);
    EXPECT_EQ(n.Destinations[1].DNAMLen, 0);
    EXPECT_EQ(n.Destinations[2].DODTLen, 0);

    const NPC_Record& a = s.tblNPC_[1];
    EXPECT_EQ(a.NPDTLen, 12);
    EXPECT_EQ(a.NPDTShort[4], 3);
    EXPECT_EQ(FactionRank(a), 3);
    EXPECT_FALSE(IsFemale(a));
    EXPECT_EQ(a.NPDTLong, (std::array<uint8_t, 52>{}));
    EXPECT_TRUE(a.NPCO.empty() && a.AI_W.empty() && a.AIDTLen == 0) << "absent subrecords stay absent";

    const std::string out = SaveNoRepair(s, count);
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}

TEST(ActorRecords, CreatureWithEveryFieldReadsAndWritesBackExactly) {
    RecordStore s;
    const std::string record = Crea(kFullCreaBody);
    EXPECT_EQ(SaveOne(record, s), File({record}));
    ASSERT_EQ(s.tblCREA.size(), 1u);
    const CREARecord& c = s.tblCREA[0];
    EXPECT_EQ(c.NAME, "rat_01");
    EXPECT_EQ(c.CNAM, "rat_sound");
    EXPECT_EQ(c.FNAM, "Rat");
    EXPECT_EQ(c.NPDTBlock[0], 96) << "the block begins with the NPDT size";
    EXPECT_EQ(c.NPDTBlock[4], 9);
    EXPECT_EQ(c.NPDTBlock[99], 9 + 95);
    EXPECT_EQ(c.FLAG0, 0x48);
    EXPECT_EQ(c.XSCLLen, 4);
    EXPECT_EQ(c.XSCL, 0x3FC00000); // 1.5f, bit for bit
    EXPECT_EQ(c.INDX, 2);
    EXPECT_EQ(c.NPCO.size() + c.NPCS.size() + c.AI_W.size() + c.AI_T.size() + c.AI_E.size() + c.AI_F.size() +
                  c.AI_A.size(),
              7u);
    EXPECT_EQ(c.Destinations[0].DODT[0], 300);
    EXPECT_EQ(c.AI_A[0].TargetID, Fixed("z", 32));
}

// The writer's fixed order: strings, NPDT, FLAG, INDX (XSCL), NPCO, NPCS, AIDT, destinations, then the AI
// packages grouped by kind W, T, E, F, A. The FLAG word keeps its first two bytes only.
TEST(ActorRecords, WriterOrderAndFlagBytesAreNormalised) {
    const std::string npdt = Sub("NPDT", Pattern(52, 0));
    const std::string in = Npc(
        AiT(1, 0) + ZSub("SCRI", "s") + Flag(1, 2, 3, 4) + ZSub("NAME", "n") + AiW(1, 2, 3, 4, 5) +
        AiA("a", 0) + AiEF("AI_F", 7, 0, "f") + ZSub("CNDT", "c") + AiT(2, 0) + npdt + Sub("INDX", I32(1)) +
        Dodt(0) + Npcs("sp") + AiEF("AI_E", 9, 0, "e") + Npco(1, "i") + Aidt(0, 0) + ZSub("MODL", "m"));
    const std::string out = Npc(
        ZSub("NAME", "n") + ZSub("MODL", "m") + ZSub("SCRI", "s") + npdt + Flag(1, 2) + Sub("INDX", I32(1)) +
        Npco(1, "i") + Npcs("sp") + Aidt(0, 0) + Dodt(0) + AiW(1, 2, 3, 4, 5) + AiT(1, 0) + AiT(2, 0) +
        AiEF("AI_E", 9, 0, "e") + AiEF("AI_F", 7, 0, "f") + ZSub("CNDT", "c") + AiA("a", 0));
    RecordStore s;
    EXPECT_EQ(SaveOne(in, s), File({out}));

    const std::string creaIn = Crea(ZSub("NAME", "c") + Sub("XSCL", I32(5)) + Flag(0, 1, 0xFF, 0xFF) +
                                    Sub("INDX", I32(3)) + Sub("NPDT", Pattern(96, 1)));
    const std::string creaOut = Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(96, 1)) + Flag(0, 1) +
                                     Sub("INDX", I32(3)) + Sub("XSCL", I32(5)));
    EXPECT_EQ(SaveOne(creaIn, s), File({creaOut}));
}

// A run of NPCO or NPCS starts its list again; AI packages of one kind collect across runs. The entries the
// later run replaces are gone, and the record's Size shrinks by their bytes.
TEST(ActorRecords, InventoryAndSpellRunsRestartWhileAiPackagesCollect) {
    const std::string head = ZSub("NAME", "n") + Sub("NPDT", Pattern(12, 0)) + Flag(0, 0);
    const std::string in =
        Npc(head + Npco(1, "a") + Npcs("x") + AiW(1, 0, 0, 0, 0) + Npco(2, "b") + Npco(3, "c") + AiT(5, 0) +
            AiW(2, 0, 0, 0, 0) + Npcs("y") + AiW(3, 0, 0, 0, 0));
    RecordStore s;
    const std::string out = SaveOne(in, s);
    const NPC_Record& n = s.tblNPC_.at(0);
    ASSERT_EQ(n.NPCO.size(), 2u);
    EXPECT_EQ(n.NPCO[0].ItemID, Fixed("b", 32));
    ASSERT_EQ(n.NPCS.size(), 1u);
    EXPECT_EQ(n.NPCS[0].SpellID, Fixed("y", 32));
    ASSERT_EQ(n.AI_W.size(), 3u);
    EXPECT_EQ(n.AI_W[2].Distance, 3);
    EXPECT_EQ(n.Size, int32_t(in.size() - 16 - Npco(1, "a").size() - Npcs("x").size()));
    EXPECT_EQ(out, File({Npc(head + Npco(2, "b") + Npco(3, "c") + Npcs("y") + AiW(1, 0, 0, 0, 0) +
                             AiW(2, 0, 0, 0, 0) + AiW(3, 0, 0, 0, 0) + AiT(5, 0))}));
}

// CNDT belongs to the AI_E or AI_F right before it and DNAM to the DODT right before it; anywhere else the
// tag ends the record and the reading driver takes it for the next record's tag.
TEST(ActorRecords, CndtAndDnamOnlyFollowTheirPackage) {
    for (const std::string& stray : {ZSub("CNDT", "Vivec"), ZSub("DNAM", "Vivec")}) {
        for (const std::string& before : {AiW(1, 0, 0, 0, 0), Npco(1, "i"), AiA("a", 0)}) {
            RecordStore s;
            testutil::Load(File({Npc(ZSub("NAME", "n") + before + stray + ZSub("FNAM", "after"))}), s);
            ASSERT_EQ(s.tblNPC_.size(), 1u);
            EXPECT_EQ(s.tblNPC_[0].FNAMLen, 0) << "the record ended at the stray " << stray.substr(0, 4);
            ASSERT_FALSE(s.tblUnknown.empty());
            EXPECT_EQ(s.tblUnknown[0].Tag, stray.substr(0, 4));
        }
    }
    RecordStore s;
    testutil::Load(File({Crea(ZSub("NAME", "c") + Dodt(0) + ZSub("DNAM", "d") + AiEF("AI_F", 0, 0, "t") +
                              ZSub("CNDT", "e") + ZSub("FNAM", "after"))}),
                   s);
    ASSERT_EQ(s.tblCREA.size(), 1u);
    EXPECT_EQ(s.tblCREA[0].Destinations[0].DNAM, "d");
    EXPECT_EQ(s.tblCREA[0].AI_F.at(0).CNDT, "e");
    EXPECT_EQ(s.tblCREA[0].FNAM, "after");
    EXPECT_TRUE(s.tblUnknown.empty());
}

// Decisions on travel destinations: the record holds four. A fifth and any further DODT (with its DNAM) is
// dropped on reading and the record's Size loses its bytes, so the next save needs no size repair. A later
// run of DODT, separated from the first by another subrecord, fills the slots from the first one again and
// replaces the earlier destinations, like a later run of NPCO replaces the inventory.
TEST(ActorRecords, AtMostFourDestinationsAndALaterRunReplacesThem) {
    const std::string head = ZSub("NAME", "n") + Sub("NPDT", Pattern(52, 0)) + Flag(0, 0);
    const std::string four =
        Dodt(10) + ZSub("DNAM", "one") + Dodt(20) + Dodt(30) + ZSub("DNAM", "three") + Dodt(40);
    RecordStore s;
    std::string out =
        SaveOne(Crea(ZSub("NAME", "c") + four + Dodt(50) + ZSub("DNAM", "fifth") + Dodt(60)), s);
    const CREARecord& c = s.tblCREA.at(0);
    EXPECT_EQ(c.Destinations[3].DODT[0], 40);
    EXPECT_EQ(c.Destinations[2].DNAM, "three");
    EXPECT_EQ(c.Size, int32_t(ZSub("NAME", "c").size() + four.size() + 8 + 96 + 12));
    EXPECT_EQ(out, File({Crea(ZSub("NAME", "c") + Sub("NPDT", std::string(96, '\0')) + Flag(0, 0) + four)}));

    out = SaveOne(Npc(head + four + AiW(1, 0, 0, 0, 0) + Dodt(70) + ZSub("DNAM", "new")), s);
    const NPC_Record& n = s.tblNPC_.at(0);
    EXPECT_EQ(n.Destinations[0].DNAM, "new");
    EXPECT_EQ(n.Destinations[1].DODTLen, 0);
    EXPECT_EQ(out, File({Npc(head + Dodt(70) + ZSub("DNAM", "new") + AiW(1, 0, 0, 0, 0))}));
}

// Decision on subrecords stored with length 0: such a subrecord carries no data, so nothing after its size
// is read and the subrecords after it are read as usual. An optional one (strings, INDX, XSCL, AIDT, an
// inventory or spell entry, an AI package with its CNDT, a destination with its DNAM, a CNDT or DNAM) counts
// as absent and is not written; NAME, NPDT and FLAG, which are always written, come out empty or as zero
// bytes. The record's Size follows, so the next save needs no size repair.
TEST(ActorRecords, SubrecordsWithLengthZeroHoldNothing) {
    const std::string in = Npc(
        Sub("NAME", "") + Sub("MODL", "") + ZSub("FNAM", "kept") + Sub("NPDT", "") + Sub("FLAG", "") +
        Sub("INDX", "") + Npco(1, "a") + Sub("NPCO", "") + Npco(2, "b") + Sub("NPCS", "") + Sub("AIDT", "") +
        Dodt(1) + Sub("DODT", "") + ZSub("DNAM", "gone") + Dodt(2) + Sub("DNAM", "") + Sub("AI_W", "") +
        Sub("AI_E", "") + ZSub("CNDT", "gone") + AiEF("AI_E", 1, 0, "t") + Sub("CNDT", "") + Sub("AI_A", ""));
    RecordStore s;
    const std::string out = SaveOne(in, s);
    const NPC_Record& n = s.tblNPC_.at(0);
    EXPECT_EQ(n.NAMELen, 0);
    EXPECT_EQ(n.FNAM, "kept");
    EXPECT_EQ(n.NPDTLen, 0);
    EXPECT_EQ(n.NPCO.size(), 2u);
    EXPECT_TRUE(n.NPCS.empty());
    EXPECT_EQ(n.Destinations[1].DODT[0], 2);
    EXPECT_EQ(n.Destinations[2].DODTLen, 0);
    EXPECT_EQ(n.AI_E.size(), 1u);
    EXPECT_EQ(out, File({Npc(ZSub("NAME", "") + ZSub("FNAM", "kept") + Sub("NPDT", std::string(52, '\0')) +
                             Flag(0, 0) + Npco(1, "a") + Npco(2, "b") + Dodt(1) + Dodt(2) +
                             AiEF("AI_E", 1, 0, "t"))}));

    const std::string crea = Crea(ZSub("NAME", "c") + Sub("NPDT", "") + Sub("XSCL", "") + Sub("SCRI", ""));
    EXPECT_EQ(SaveOne(crea, s),
              File({Crea(ZSub("NAME", "c") + Sub("NPDT", std::string(96, '\0')) + Flag(0, 0))}));
    EXPECT_EQ(s.tblCREA.at(0).NPDTBlock, (std::array<uint8_t, 100>{}));
}

// Decision on an NPDT whose size does not fit the layout: the subrecord is read as far as its size goes, so
// the subrecords after it are still read. An NPC's NPDT of any size but 12 fills the 52-byte form (missing
// bytes zero, bytes beyond dropped); a creature's fills the 96 data bytes likewise. Written back in full
// size.
TEST(ActorRecords, NpdtOfAnUnexpectedSizeIsReadAsFarAsItGoes) {
    RecordStore s;
    std::string out = SaveOne(Npc(ZSub("NAME", "n") + Sub("NPDT", Pattern(40, 1)) + Flag(1, 0)), s);
    EXPECT_EQ(s.tblNPC_.at(0).NPDTLen, 40);
    EXPECT_TRUE(IsFemale(s.tblNPC_[0]));
    EXPECT_EQ(out, File({Npc(ZSub("NAME", "n") + Sub("NPDT", Pattern(40, 1) + std::string(12, '\0')) +
                             Flag(1, 0))}));

    out = SaveOne(Npc(ZSub("NAME", "n") + Sub("NPDT", Pattern(60, 1)) + Flag(1, 0)), s);
    EXPECT_EQ(out, File({Npc(ZSub("NAME", "n") + Sub("NPDT", Pattern(52, 1)) + Flag(1, 0))}));

    out = SaveOne(Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(80, 1)) + Flag(2, 0)), s);
    EXPECT_EQ(s.tblCREA.at(0).NPDTBlock[0], 80);
    EXPECT_EQ(out, File({Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(80, 1) + std::string(16, '\0')) +
                              Flag(2, 0))}));

    out = SaveOne(Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(100, 1)) + Flag(2, 0)), s);
    EXPECT_EQ(out, File({Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(96, 1)) + Flag(2, 0))}));
}

// A deleted record is written as its header, NAME and DELE; DELE inside a record that is not deleted is read
// past and not written (the deleted state is in Flags). A later string subrecord of a tag replaces the
// earlier.
TEST(ActorRecords, DeletedRecordsDeleAndRepeatedTags) {
    RecordStore s;
    EXPECT_EQ(SaveOne(Npc(kFullNpcBody + Dele(), 0x20), s),
              File({Npc(ZSub("NAME", "guard01") + Dele(), 0x20)}));
    EXPECT_EQ(s.tblNPC_.at(0).RNAM, "Imperial") << "read in full all the same";
    EXPECT_EQ(SaveOne(Crea(kFullCreaBody, 0x14), s), File({Crea(ZSub("NAME", "rat_01") + Dele(), 0x14)}));

    const std::string rest = Sub("NPDT", Pattern(12, 0)) + Flag(0, 0);
    EXPECT_EQ(
        SaveOne(Npc(ZSub("NAME", "n") + Dele() + ZSub("FNAM", "first") + rest + ZSub("FNAM", "second"), 0x13),
                s),
        File({Npc(ZSub("NAME", "n") + ZSub("FNAM", "second") + rest, 0x13)}));
}

// The program's own records: lists whose first entry has length 0 are not written, nor are empty slots.
TEST(ActorRecords, WriterLeavesOutListsWhoseFirstEntryHasNoLength) {
    NPC_Record n;
    n.NAME = "built";
    n.NPDTLen = 12;
    n.NPCO = {NPCOData{0, 1, "a"}, NPCOData{36, 2, "b"}};
    n.AI_T = {AI_TData{0, 1, 2, 3, 4}};
    n.AI_A = {AI_AData{33, "x", 1}};
    n.Destinations[1] = DODTData{24, {}, 0, ""};
    ByteWriter w;
    WriteNPC_(w, n);
    const std::string body = ZSub("NAME", "built") + Sub("NPDT", std::string(12, '\0')) + Flag(0, 0) +
                             Dodt(0).substr(0, 8) + std::string(24, '\0') + AiA("x", 1);
    EXPECT_EQ(w.buffer().substr(16), body);
}

// Every prefix of a file with both record types reads without harm and saves as a well-formed file that reads
// back to the same bytes; so do files with bytes changed at random.
TEST(ActorRecords, DamagedInputSavesWellFormed) {
    const std::string bytes =
        File({Npc(ZSub("NAME", "n") + Sub("NPDT", Pattern(12, 1)) + Flag(1, 0) + Npco(1, "i") + Dodt(5) +
                  ZSub("DNAM", "d") + AiEF("AI_E", 1, 2, "t") + ZSub("CNDT", "c") + AiW(1, 2, 3, 4, 5)),
              Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(96, 2)) + Sub("XSCL", I32(1)) + AiA("a", 1))});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        const std::string once = testutil::RoundTrip(bytes.substr(0, n));
        EXPECT_EQ(testutil::RoundTrip(once), once) << "cut at " << n;
    }
    std::mt19937 rng(77);
    for (int round = 0; round < 300; ++round) {
        std::string junk = bytes;
        for (int k = 0; k < 4; ++k) junk[rng() % junk.size()] = static_cast<char>(rng());
        RecordStore s;
        testutil::Save(s, testutil::Load(junk, s)); // Save checks that the output is well-formed
    }
}

TEST(ActorRecords, SharedPluginSurvivesASaveFieldForField) {
    const std::string bytes = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(bytes.empty());
    RecordStore s;
    const int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblNPC_.size(), 2u);
    ASSERT_EQ(s.tblCREA.size(), 1u);
    for (const NPC_Record& n : s.tblNPC_) {
        EXPECT_FALSE(n.NAME.empty());
        EXPECT_FALSE(n.FNAM.empty());
        EXPECT_FALSE(n.RNAM.empty());
        EXPECT_FALSE(n.NPCO.empty());
        EXPECT_EQ(n.AI_E.size(), 3u);
        EXPECT_EQ(n.AI_F.size(), 3u);
        EXPECT_EQ(n.AI_F[2].CNDT, "test_interior");
        EXPECT_EQ(n.Destinations[1].DNAM, "test_interior");
    }
    EXPECT_EQ(s.tblNPC_[0].NPDTLen, 52);
    EXPECT_EQ(s.tblNPC_[1].NPDTLen, 12);
    const CREARecord& c = s.tblCREA[0];
    EXPECT_EQ(c.NAME, "test_creature");
    EXPECT_EQ(c.NPDTBlock[0], 96);
    EXPECT_EQ(c.XSCLLen, 4);
    EXPECT_EQ(c.AI_T.size(), 1u);

    for (const NPC_Record& n : s.tblNPC_) {
        ByteWriter w;
        WriteNPC_(w, n);
        EXPECT_EQ(w.sizeRepairs(), 0u) << n.NAME;
    }
    ByteWriter w;
    WriteCREA(w, c);
    EXPECT_EQ(w.sizeRepairs(), 0u);

    const std::string out = testutil::Save(s, count);
    RecordStore again;
    testutil::Load(out, again);
    EXPECT_EQ(again.tblNPC_, s.tblNPC_);
    EXPECT_EQ(again.tblCREA, s.tblCREA);
}
