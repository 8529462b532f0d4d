// NPC and creature records: fields as read, exact write-back, the writer's fixed order, entries collected
// across runs, and subrecords kept whole in their place (unknown tags, lengths that do not fit the layout,
// destinations beyond the slots, a CNDT or DNAM away from its package).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

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
template <size_t N> std::array<uint8_t, N> Arr(std::string_view bytes) {
    std::array<uint8_t, N> a{};
    std::memcpy(a.data(), bytes.data(), std::min(N, bytes.size()));
    return a;
}
std::string Flag(uint8_t b0, uint8_t b1, uint8_t b2 = 0, uint8_t b3 = 0) {
    return Sub("FLAG", U8(b0) + U8(b1) + U8(b2) + U8(b3));
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
// The body with sub inserted before its subrecord number at (after the last one when at is their count).
std::string Insert(std::string_view body, size_t at, std::string_view sub) {
    size_t pos = 0;
    for (uint32_t len = 0; at > 0; --at, pos += 8 + len) std::memcpy(&len, body.data() + pos + 4, 4);
    return std::string(body.substr(0, pos)) + std::string(sub) + std::string(body.substr(pos));
}

// A one-record file read and written back: the output, and the store read from the input.
std::string SaveOne(const std::string& record, RecordStore& s) {
    return testutil::Save(s, testutil::Load(File({record}), s));
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

TEST(ActorRecords, EveryFieldIsReadAndWrittenBackExactly) {
    const std::string autocalc =
        Npc(ZSub("NAME", "trader") + Sub("NPDT", Pattern(4, 1) + U8(3) + Pattern(7, 50)) + Flag(0x10, 0));
    const std::string bytes = File({Npc(kFullNpcBody, 0x2400), autocalc, Crea(kFullCreaBody)});
    RecordStore s;
    const int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblNPC_.size(), 2u);
    // The byte-exact save below checks the fields; these are what it cannot see: where a CNDT or DNAM lands,
    // and the values derived from the data.
    const NPC_Record& n = s.tblNPC_[0];
    EXPECT_EQ(std::make_tuple(n.Destinations[0].DNAM, n.Destinations[1].DNAMLen, n.AI_E[0].CNDT,
                              n.AI_E[1].CNDTLen, n.AI_F[0].CNDTLen, n.AI_F[1].CNDT),
              std::make_tuple("Balmora", 0, "Vivec", 0, 0, "Ald'ruhn"));
    EXPECT_EQ(std::make_tuple(s.tblCREA.at(0).XSCL, FactionRank(n), IsFemale(n)),
              std::make_tuple(0x3FC00000u, 7, true))
        << "XSCL: 1.5f, bit for bit";

    const NPC_Record& a = s.tblNPC_[1];
    EXPECT_EQ(std::make_tuple(a.NPDTLen, FactionRank(a), IsFemale(a)), std::make_tuple(12, 3, false));
    EXPECT_EQ(a.NPDTShort, Arr<12>(Pattern(4, 1) + U8(3) + Pattern(7, 50)));
    EXPECT_EQ(a.NPDTLong, (std::array<uint8_t, 52>{})) << "only the form in use is filled";
    EXPECT_EQ(testutil::Save(s, count), bytes);
}

// An unknown subrecord anywhere in a record comes back in its place, and the records after it are read.
TEST(ActorRecords, UnknownSubrecordComesBackInItsPlace) {
    const std::string unknown = Sub("XYZW", "abc"), next = Crea(kFullCreaBody);
    for (size_t at = 0; at <= 30; ++at) { // kFullNpcBody holds 30 subrecords
        const std::string bytes = File({Npc(Insert(kFullNpcBody, at, unknown)), next});
        RecordStore s;
        const std::string out = testutil::Save(s, testutil::Load(bytes, s));
        EXPECT_EQ(out, bytes) << "at " << at; // so the records after it are read, and read again the same
        ASSERT_FALSE(s.tblNPC_.at(0).extras.empty()) << "at " << at;
        EXPECT_EQ(s.tblNPC_[0].extras.subs[0], (KeptSub{uint32_t(at), unknown}));
    }
}

// A subrecord whose length does not fit its layout, a DODT beyond the four slots, and a CNDT or DNAM that
// does not follow its package or DODT at once are kept whole in their place; the record reads as it would
// without them, and no default subrecord is written in place of a kept NPDT or FLAG.
struct KeptCase {
    bool creature;
    std::string before, kept, after;
    size_t pieces; // subrecords in kept
};

template <class Rec>
void ExpectKeptWhole(void (*read)(Body&, Rec&), void (*write)(ByteWriter&, const Rec&), std::string_view tag,
                     const KeptCase& c) {
    const std::string body = ZSub("NAME", "n") + c.before + c.kept + c.after;
    Rec rec = testutil::ReadBody(read, body);
    EXPECT_EQ(testutil::WriteOne(write, rec), Record(tag, body)) << c.kept.substr(0, 4);
    EXPECT_EQ(rec.extras.subs.size(), c.pieces) << c.kept.substr(0, 4);
    rec.extras = {};
    EXPECT_EQ(rec, testutil::ReadBody(read, ZSub("NAME", "n") + c.before + c.after)) << c.kept.substr(0, 4);
}

TEST(ActorRecords, SubrecordsThatDoNotFitAreKeptWhole) {
    const std::string npdt = Sub("NPDT", Pattern(12, 0)), head = npdt + Flag(0, 0);
    const std::string four = Dodt(10) + ZSub("DNAM", "one") + Dodt(20) + Dodt(30) + Dodt(40);
    const std::vector<KeptCase> cases = {
        {false, "", Sub("NPDT", Pattern(40, 1)), Flag(1, 0), 1},
        {false, "", Sub("NPDT", ""), Flag(1, 0), 1},
        {false, npdt, Sub("FLAG", "ab"), Npco(1, "i"), 1},
        {false, head, Sub("INDX", Pattern(8, 1)), Npco(1, "i"), 1},
        {false, head, Sub("NPCO", Pattern(35, 1)), Npcs("s"), 1},
        {false, head, Sub("NPCS", ""), Aidt(1, 2), 1},
        {false, head, Sub("AIDT", Pattern(11, 1)), Dodt(1), 1},
        {false, head, Sub("DODT", Pattern(20, 1)) + ZSub("DNAM", "d"), AiW(1, 2, 3, 4, 5), 2},
        {false, head + four, Dodt(50) + ZSub("DNAM", "fifth") + Dodt(60), AiT(1, 0), 3},
        {false, head, Sub("AI_W", Pattern(13, 1)), AiT(1, 0), 1},
        {false, head, Sub("AI_T", Pattern(17, 1)), AiA("a", 0), 1},
        {false, head, Sub("AI_E", Pattern(47, 1)) + ZSub("CNDT", "c"), AiA("a", 0), 2},
        {false, head, Sub("AI_F", ""), AiA("a", 0), 1},
        {false, head, Sub("AI_A", Pattern(34, 1)), "", 1},
        {false, head + AiW(1, 2, 3, 4, 5), ZSub("CNDT", "c"), AiA("a", 0), 1},
        {false, head + Npco(1, "i"), ZSub("DNAM", "d"), AiA("a", 0), 1},
        {false, head + Dodt(1), Sub("DNAM", ""), AiA("a", 0), 1},
        {false, head + AiEF("AI_E", 1, 0, "t"), ZSub("DNAM", "d"), AiA("a", 0), 1},
        {false, head + AiEF("AI_F", 1, 0, "t") + ZSub("CNDT", "a"), ZSub("CNDT", "b"), AiA("a", 0), 1},
        {false, head, Sub("ZZZZ", "x"), AiA("a", 0), 1},
        {true, "", Sub("NPDT", Pattern(80, 1)), Flag(2, 0), 1},
        {true, Sub("NPDT", Pattern(96, 1)) + Flag(0, 0), Sub("XSCL", "abc"), Npco(1, "i"), 1},
    };
    for (const KeptCase& c : cases) {
        if (c.creature)
            ExpectKeptWhole(ReadCREA, WriteCREA, "CREA", c);
        else
            ExpectKeptWhole(ReadNPC_, WriteNPC_, "NPC_", c);
    }
}

// Records read and written back (twice, the same): the writer's fixed order is strings, NPDT, FLAG, INDX
// (XSCL), NPCO, NPCS, AIDT, destinations, then the AI packages grouped by kind W, T, E, F, A; lists collect
// across runs in file order; the FLAG word keeps its first two bytes; a deleted record is its NAME and DELE;
// a DELE in a record not flagged deleted is dropped; a later string of a tag replaces the earlier.
TEST(ActorRecords, WrittenInTheWritersOrder) {
    const std::string npdt = Sub("NPDT", Pattern(52, 0)),
                      head = ZSub("NAME", "n") + Sub("NPDT", Pattern(12, 0));
    const std::string shortSpell = Sub("NPCS", "fifteen_charact"),
                      rest = Sub("NPDT", Pattern(12, 0)) + Flag(0, 0);
    const struct {
        const char* what;
        std::string in, out;
    } cases[] = {
        {"fixed order",
         Npc(AiT(1, 0) + ZSub("SCRI", "s") + Flag(1, 2, 3, 4) + ZSub("NAME", "n") + AiW(1, 2, 3, 4, 5) +
             AiA("a", 0) + AiEF("AI_F", 7, 0, "f") + ZSub("CNDT", "c") + AiT(2, 0) + npdt +
             Sub("INDX", I32(1)) + Dodt(0) + Npcs("sp") + AiEF("AI_E", 9, 0, "e") + Npco(1, "i") +
             Aidt(0, 0) + ZSub("MODL", "m")),
         Npc(ZSub("NAME", "n") + ZSub("MODL", "m") + ZSub("SCRI", "s") + npdt + Flag(1, 2) +
             Sub("INDX", I32(1)) + Npco(1, "i") + Npcs("sp") + Aidt(0, 0) + Dodt(0) + AiW(1, 2, 3, 4, 5) +
             AiT(1, 0) + AiT(2, 0) + AiEF("AI_E", 9, 0, "e") + AiEF("AI_F", 7, 0, "f") + ZSub("CNDT", "c") +
             AiA("a", 0))},
        {"creature order",
         Crea(ZSub("NAME", "c") + Sub("XSCL", I32(5)) + Flag(0, 1, 0xFF, 0xFF) + Sub("INDX", I32(3)) +
              Sub("NPDT", Pattern(96, 1))),
         Crea(ZSub("NAME", "c") + Sub("NPDT", Pattern(96, 1)) + Flag(0, 1) + Sub("INDX", I32(3)) +
              Sub("XSCL", I32(5)))},
        {"no NPDT and FLAG: zero ones", Crea(ZSub("NAME", "c")),
         Crea(ZSub("NAME", "c") + Sub("NPDT", std::string(96, '\0')) + Flag(0, 0))},
        {"runs",
         Npc(head + Flag(0, 0) + Npco(1, "a") + Npcs("x") + AiW(1, 0, 0, 0, 0) + Dodt(10) + Npco(2, "b") +
             Npco(3, "c") + AiT(5, 0) + Dodt(20) + ZSub("DNAM", "two") + AiW(2, 0, 0, 0, 0) + shortSpell +
             AiW(3, 0, 0, 0, 0)),
         Npc(head + Flag(0, 0) + Npco(1, "a") + Npco(2, "b") + Npco(3, "c") + Npcs("x") + shortSpell +
             Dodt(10) + Dodt(20) + ZSub("DNAM", "two") + AiW(1, 0, 0, 0, 0) + AiW(2, 0, 0, 0, 0) +
             AiW(3, 0, 0, 0, 0) + AiT(5, 0))},
        {"deleted NPC", Npc(kFullNpcBody + Sub("XYZW", "abc") + Dele(), 0x20),
         Npc(ZSub("NAME", "guard01") + Dele(), 0x20)},
        {"deleted creature", Crea(kFullCreaBody, 0x14), Crea(ZSub("NAME", "rat_01") + Dele(), 0x14)},
        {"stray DELE, repeated FNAM",
         Npc(ZSub("NAME", "n") + Dele() + ZSub("FNAM", "first") + rest + ZSub("FNAM", "second"), 0x13),
         Npc(ZSub("NAME", "n") + ZSub("FNAM", "second") + rest, 0x13)},
    };
    for (const auto& c : cases) {
        RecordStore s;
        const std::string out = SaveOne(c.in, s);
        EXPECT_EQ(out, File({c.out})) << c.what;
        EXPECT_EQ(testutil::RoundTrip(out), out) << c.what;
    }
    RecordStore s;
    SaveOne(cases[3].in, s);
    EXPECT_EQ(s.tblNPC_.at(0).NPCS, (std::vector<NPCSData>{{32, Fixed("x", 32)}, {15, "fifteen_charact"}}));
    SaveOne(cases[4].in, s);
    EXPECT_EQ(s.tblNPC_.at(0).RNAM, "Imperial") << "a deleted record is read in full all the same";
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
    EXPECT_EQ(testutil::WriteOne(WriteNPC_, n),
              Npc(ZSub("NAME", "built") + Sub("NPDT", std::string(12, '\0')) + Flag(0, 0) +
                  Sub("DODT", std::string(24, '\0')) + AiA("x", 1)));
}
