// Object records (statics, doors, items, containers, body parts, lights, armour, clothing, tools, activators,
// apparatus, ingredients, books, potions) and world records (sounds, regions, land textures, sound
// generators, levelled lists): fields, writer order, value rules, subrecords kept whole, deleted records.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "fixture_builder.h"
#include "records/world.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using testutil::ReadBody;
using testutil::RoundTrip;
using namespace std::string_literals;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

std::string I16(int16_t v) {
    return U16(static_cast<uint16_t>(v));
}
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}
// NAME, then `insert`, then MODL and FNAM of an object.
std::string Head(const std::string& id, const std::string& insert = "") {
    return ZSub("NAME", id) + insert + ZSub("MODL", id + ".nif") + ZSub("FNAM", "The " + id);
}
std::string Wpdt(uint32_t flags) {
    return Sub("WPDT", F32(12.5f) + I32(100) + I16(5) + I16(800) + F32(1.25f) + F32(1.0f) + I16(50) +
                           Bytes({1, 2, 3, 4, 5, 6}) + U32(flags));
}
std::string Lhdt(int alpha) {
    return Sub("LHDT", F32(2.f) + I32(7) + I32(-1) + I32(256) + Bytes({10, 20, 30, alpha}) + I32(0x1A));
}
std::string Effect(int16_t id, int pad = 0) {
    return Sub("ENAM", I16(id) + Bytes({4, 255, 2, pad, pad, pad}) + I32(5) + I32(10) + I32(1) + I32(20));
}
std::string Npco(int32_t count, std::string_view id) {
    return Sub("NPCO", I32(count) + Fixed(id, 32));
}
std::string Part(int index, const std::string& male, const std::string& female) {
    std::string s = Sub("INDX", U8(static_cast<uint8_t>(index)));
    if (!male.empty()) s += ZSub("BNAM", male);
    if (!female.empty()) s += ZSub("CNAM", female);
    return s;
}
std::string Tool(int32_t third, int32_t fourth) {
    return F32(2.f) + I32(10) + I32(third) + I32(fourth);
}

// One well-formed record of every type, subrecords in the writer's order, tables in the file's order;
// `insert` stands right after every NAME.
std::vector<std::string> Samples(const std::string& insert = "") {
    return {
        Record("STAT", ZSub("NAME", "rock") + insert + ZSub("MODL", "rock.nif"), 0x2000, 5),
        Record("DOOR", Head("door", insert) + ZSub("SCRI", "doorScript") + ZSub("SNAM", "Door Open") +
                           ZSub("ANAM", "Door Close")),
        Record("MISC", Head("misc", insert) + Sub("MCDT", F32(0.5f) + I32(3) + I32(-7)) +
                           ZSub("SCRI", "miscScript") + ZSub("ITEX", "misc.dds")),
        Record("WEAP", Head("sword", insert) + Wpdt(1) + ZSub("SCRI", "swordScript") +
                           ZSub("ITEX", "sword.dds") + ZSub("ENAM", "fireEnch")),
        Record("CONT", Head("chest", insert) + Sub("CNDT", F32(100.f)) + Sub("FLAG", U32(8)) +
                           Sub("INDX", I32(3)) + ZSub("SCRI", "chestScript") + Npco(1, "gold_001") +
                           Npco(-2, "apple") + Npco(5, std::string("pick\0x", 6))),
        Record("BODY", Head("body", insert) + Sub("BYDT", Bytes({1, 0, 2, 3}))),
        Record("LIGH", Head("lamp", insert) + ZSub("ITEX", "lamp.dds") + Lhdt(0) +
                           ZSub("SCRI", "lampScript") + ZSub("SNAM", "Fire")),
        Record("ARMO", Head("helm", insert) + ZSub("SCRI", "helmScript") +
                           Sub("AODT", I32(1) + F32(5.f) + I32(50) + I32(300) + I32(20) + I32(15)) +
                           ZSub("ITEX", "helm.dds") + Part(0, "helm_m", "") +
                           Part(1, "pauldron_m", "pauldron_f") + ZSub("ENAM", "shieldEnch")),
        Record("CLOT", Head("shirt", insert) + ZSub("SCRI", "shirtScript") +
                           Sub("CTDT", I32(8) + F32(1.f) + I16(40) + I16(-2)) + ZSub("ITEX", "shirt.dds") +
                           Part(2, "shirt_m", "shirt_f") + ZSub("ENAM", "shirtEnch")),
        Record("REPA", Head("hammer", insert) + Sub("RIDT", Tool(25, 3)) + ZSub("SCRI", "hammerScript") +
                           ZSub("ITEX", "hammer.dds")),
        Record("ACTI", Head("lever", insert) + ZSub("SCRI", "leverScript")),
        Record("APPA", Head("mortar", insert) + ZSub("SCRI", "mortarScript") +
                           Sub("AADT", I32(0) + F32(1.5f) + F32(3.f) + I32(20)) + ZSub("ITEX", "mortar.dds")),
        Record("LOCK", Head("pick", insert) + Sub("LKDT", Tool(77, 15)) + ZSub("SCRI", "pickScript") +
                           ZSub("ITEX", "pick.dds")),
        Record("PROB", Head("probe", insert) + Sub("PBDT", Tool(88, 25)) + ZSub("SCRI", "probeScript") +
                           ZSub("ITEX", "probe.dds")),
        Record("INGR",
               Head("root", insert) +
                   Sub("IRDT", F32(0.1f) + I32(1) + I32(10) + I32(-1) + I32(-1) + I32(-1) + I32(-1) + I32(4) +
                                   I32(-1) + I32(-1) + I32(-1) + I32(-1) + I32(6) + I32(-1)) +
                   ZSub("SCRI", "rootScript") + ZSub("ITEX", "root.dds")),
        Record("BOOK", Head("book", insert) + Sub("BKDT", F32(3.f) + I32(50) + I32(1) + I32(-1) + I32(100)) +
                           ZSub("SCRI", "bookScript") + ZSub("ITEX", "book.dds") +
                           Sub("TEXT", "<p>Once upon") + ZSub("ENAM", "bookEnch")),
        Record("ALCH", Head("potion", insert) + Sub("ALDT", F32(1.f) + I32(40) + I32(1)) +
                           ZSub("SCRI", "potionScript") + ZSub("TEXT", "potion.dds") + Effect(79) +
                           Effect(17)),
    };
}

// A file of one record.
std::string One(std::string_view tag, const std::string& body, uint32_t flags = 0) {
    return File({Record(tag, body, flags)});
}

std::string Snam(std::string_view id, uint8_t chance) {
    return Sub("SNAM", Fixed(id, 32) + U8(chance));
}
std::string Entry(std::string_view entryTag, std::string_view id, int16_t level) {
    return ZSub(entryTag, id) + Sub("INTV", U16(static_cast<uint16_t>(level)));
}

const std::string kName = ZSub("NAME", "n");
const std::string kSoun = ZSub("FNAM", "f.wav") + Sub("DATA", "\1\2\3");
const std::string kRegn = ZSub("FNAM", "R") + Sub("WEAT", std::string(8, '\1')) + Sub("CNAM", "\1\2\3\0"s);
const std::string kList = Sub("DATA", U32(3)) + Sub("NNAM", U8(25)) + Sub("INDX", I32(2));
const std::string kXtra = Sub("XTRA", "kept");

struct WorldCase {
    const char* what;
    std::string in;  // the record as read
    std::string out; // the record as written; empty: as read
};
} // namespace

TEST(ObjectRecords, EveryTypeRoundTripsByteForByte) {
    std::string in = File(Samples());
    RecordStore s;
    std::string out = testutil::Save(s, testutil::Load(in, s));
    EXPECT_EQ(out, in);
    EXPECT_EQ(
        s.tblSTAT[0],
        (STATRecord{
            .Header1 = 5, .Flags = 0x2000, .NAMELen = 5, .NAME = "rock", .MODLLen = 9, .MODL = "rock.nif"}));
}

// Data layouts whose fields are not in the file's order or keep unusual bytes; the samples above check that
// the writers put the fields back.
// clang-format off
TEST(ObjectRecords, DataFieldsLandWhereTheyBelong) {
    const std::string pick("pick\0x", 6); // item IDs are 32 characters, zero bytes kept
    EXPECT_EQ(ReadBody(ReadCONT, Sub("CNDT", F32(100.f)) + Sub("FLAG", U32(0x12345608)) +
                                     Sub("INDX", I32(3)) + Npco(-2, "apple") + Npco(5, pick)),
              (CONTRecord{.CNDTLen = 4, .Weight = 100.f, .INDXLen = 4, .INDX = 3, .FLAGLen = 4,
                          .ContainerFlags = 8,
                          .Items = {{36, -2, Fixed("apple", 32)}, {36, 5, Fixed(pick, 32)}}}));
    // Part names keep their terminator; within a part the male name is BNAM, whatever the order.
    EXPECT_EQ(ReadBody(ReadARMO, Sub("AODT", I32(1) + F32(5.f) + I32(50) + I32(300) + I32(20) + I32(15)) +
                                     Part(0, "helm_m", "") + Sub("INDX", U8(1)) + ZSub("CNAM", "pauldron_f") +
                                     ZSub("BNAM", "pauldron_m")),
              (ARMORecord{.AODTLen = 24, .ArmorType = 1, .Weight = 5.f, .Value = 50, .Health = 300,
                          .EnchantPoints = 20, .ArmorRating = 15,
                          .Parts = {PartData{1, 0, 7, Z("helm_m"), 0, ""},
                                    PartData{1, 1, 11, Z("pauldron_m"), 11, Z("pauldron_f")}}}));
    // Repair tools store the uses first; lock picks and probes the quality.
    EXPECT_EQ(ReadBody(ReadREPA, Sub("RIDT", Tool(25, 3))),
              (REPARecord{.DataLen = 16, .Weight = 2.f, .Value = 10, .Quality = 3, .Uses = 25}));
    EXPECT_EQ(ReadBody(ReadLOCK, Sub("LKDT", Tool(25, 3))),
              (LOCKRecord{.DataLen = 16, .Weight = 2.f, .Value = 10, .Quality = 25, .Uses = 3}));
    EXPECT_EQ(ReadBody(ReadPROB, Sub("PBDT", Tool(25, 3))), ReadBody(ReadLOCK, Sub("LKDT", Tool(25, 3))));
    // The book's text has no terminator.
    EXPECT_EQ(ReadBody(ReadBOOK, Sub("BKDT", F32(3.f) + I32(50) + I32(1) + I32(-1) + I32(100)) +
                                     Sub("TEXT", "<p>Once")),
              (BOOKRecord{.BKDTLen = 20, .Weight = 3.f, .Value = 50, .Scroll = 1, .SkillID = -1,
                          .EnchantPoints = 100, .TEXTLen = 7, .TEXT = "<p>Once"}));
    EXPECT_EQ(ReadBody(ReadALCH, Sub("ALDT", F32(1.f) + I32(40) + I32(1)) + ZSub("TEXT", "p.dds") +
                                     Effect(79, 0xEE) + Effect(17)),
              (ALCHRecord{.TEXTLen = 6, .TEXT = "p.dds", .ALDTLen = 12, .Weight = 1.f, .Value = 40,
                          .AutoCalc = 1,
                          .Effects = {EffectData{24, 79, 4, 255, 2, 5, 10, 1, 20},
                                      EffectData{24, 17, 4, 255, 2, 5, 10, 1, 20}}}));
}
// clang-format on

// The bytes of a flag word above its first byte, a light's alpha byte and the padding after an effect's
// range are not kept: they come back as zeros.
TEST(ObjectRecords, UnkeptBytesAreWrittenBackAsZeros) {
    auto chest = [](uint32_t flags) { return One("CONT", Head("c") + Sub("FLAG", U32(flags))); };
    auto potion = [](int pad) { return One("ALCH", Head("p") + Effect(3, pad)); };
    const std::pair<std::string, std::string> cases[] = {
        {One("WEAP", Head("w") + Wpdt(0xABCDEF05)), One("WEAP", Head("w") + Wpdt(0x05))},
        {chest(0x12345609), chest(0x09)},
        {One("LIGH", Head("l") + Lhdt(0x7F)), One("LIGH", Head("l") + Lhdt(0))},
        {potion(0xEE), potion(0)},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundTrip(in), out);
}

TEST(ObjectRecords, SubrecordsAreWrittenInTheWritersOrder) {
    std::string aadt = Sub("AADT", I32(1) + F32(1) + F32(2) + I32(3));
    std::string ctdt = Sub("CTDT", I32(1) + F32(1) + I16(2) + I16(3));
    std::string aldt = Sub("ALDT", F32(1) + I32(2) + I32(0));
    std::string icon = ZSub("TEXT", "p.dds"), script = ZSub("SCRI", "s");
    std::string armo = Head("a") + Sub("AODT", std::string(24, '\1'));
    const std::pair<std::string, std::string> cases[] = {
        {One("APPA", Head("a") + aadt + ZSub("ITEX", "i") + script),
         One("APPA", Head("a") + script + aadt + ZSub("ITEX", "i"))},
        {One("CLOT", ZSub("ENAM", "e") + Head("c") + ctdt + script),
         One("CLOT", Head("c") + script + ctdt + ZSub("ENAM", "e"))},
        // The order the game's own editor uses for potions; effects fill their slots across the record.
        {One("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + icon + Effect(1) + script + ZSub("FNAM", "f") +
                         aldt + Effect(2)),
         One("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + ZSub("FNAM", "f") + aldt + script + icon +
                         Effect(1) + Effect(2))},
        // Within a part the male name comes first.
        {One("ARMO", armo + Sub("INDX", U8(4)) + ZSub("CNAM", "f") + ZSub("BNAM", "m")),
         One("ARMO", armo + Part(4, "m", "f"))},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundTrip(in), out);
}

// Decision: a subrecord that is absent is not written, MODL and the data subrecord included (rather than
// one whose size does not match its contents); a subrecord that comes twice keeps its later value.
TEST(ObjectRecords, AbsentSubrecordsAreLeftOutAndRepeatedOnesKeepTheLaterValue) {
    for (const std::string& in : {One("DOOR", Head("door")), One("CONT", Head("c") + Sub("FLAG", U32(0))),
                                  One("WEAP", ZSub("NAME", "w") + ZSub("FNAM", "f") + ZSub("ITEX", "i")),
                                  One("LIGH", ZSub("NAME", "l") + Lhdt(0))})
        EXPECT_EQ(RoundTrip(in), in);
    EXPECT_EQ(
        RoundTrip(One("MISC", ZSub("FNAM", "old name") + Head("m") + Sub("MCDT", std::string(12, '\1')) +
                                  Sub("MCDT", std::string(12, '\3')))),
        One("MISC", Head("m") + Sub("MCDT", std::string(12, '\3'))));
}

TEST(ObjectRecords, UnknownSubrecordsComeBackInTheirPlace) {
    std::string in = File(Samples(Sub("XXXX", "what") + Sub("YYYY", "")));
    RecordStore s;
    std::string out = testutil::Save(s, testutil::Load(in, s));
    EXPECT_EQ(out, in);
    EXPECT_EQ(s.tblBOOK[0].extras.subs.size(), 2u);
    EXPECT_EQ(s.tblBOOK[0].TEXT, "<p>Once upon") << "reading goes on after them";
}

// A data subrecord whose length is not that of its layout is kept whole, in its place, and its fields stay
// absent so that no default one is written beside it.
TEST(ObjectRecords, DataOfAnotherLengthComesBackUnchanged) {
    const struct {
        const char* record;
        const char* data;
        size_t bytes;
    } layouts[] = {{"MISC", "MCDT", 12}, {"WEAP", "WPDT", 32}, {"CONT", "CNDT", 4},  {"CONT", "FLAG", 4},
                   {"CONT", "INDX", 4},  {"CONT", "NPCO", 36}, {"BODY", "BYDT", 4},  {"LIGH", "LHDT", 24},
                   {"ARMO", "AODT", 24}, {"ARMO", "INDX", 1},  {"CLOT", "CTDT", 12}, {"CLOT", "INDX", 1},
                   {"REPA", "RIDT", 16}, {"LOCK", "LKDT", 16}, {"PROB", "PBDT", 16}, {"APPA", "AADT", 16},
                   {"INGR", "IRDT", 56}, {"BOOK", "BKDT", 20}, {"ALCH", "ALDT", 12}, {"ALCH", "ENAM", 24}};
    for (const auto& l : layouts)
        for (size_t n : {l.bytes - 1, l.bytes + 1}) {
            // A part name after a kept INDX is kept with it.
            std::string in = One(l.record, Head("x", Sub(l.data, std::string(n, '\7')) + ZSub("BNAM", "b")));
            EXPECT_EQ(RoundTrip(in), in) << l.record << " " << l.data << " " << n;
        }
}

// Parts beyond the seventh slot and effects beyond the eighth are kept whole and come back in their place.
TEST(ObjectRecords, PartsAndEffectsBeyondTheSlotsAreKept) {
    std::string armo = Head("a") + Sub("AODT", std::string(24, '\2'));
    std::string parts;
    for (int i = 0; i < 9; ++i) parts += Part(i, "m" + std::to_string(i), i % 2 ? "f" : "");
    std::string alch = Head("p") + Sub("ALDT", F32(1) + I32(2) + I32(0));
    std::string effects;
    for (int i = 0; i < 10; ++i) effects += Effect(static_cast<int16_t>(i));
    std::string in = File({Record("ARMO", armo + parts + ZSub("ENAM", "e")), Record("ALCH", alch + effects)});
    RecordStore s;
    EXPECT_EQ(testutil::Save(s, testutil::Load(in, s)), in);
    EXPECT_EQ(s.tblARMO[0].Parts[6].BNAM, Z("m6"));
    EXPECT_EQ(s.tblARMO[0].extras.subs.size(), 5u) << "two parts: INDX, BNAM, CNAM; INDX, BNAM";
    EXPECT_EQ(s.tblARMO[0].ENAM, "e");
    EXPECT_EQ(s.tblALCH[0].Effects[7].EffectID, 7);
    EXPECT_EQ(s.tblALCH[0].extras.subs.size(), 2u);
}

// Deleted records are written as the game writes them: NAME and DELE, nothing else; the extras go too.
TEST(ObjectRecords, DeletedRecordsKeepOnlyTheirName) {
    for (const std::string& sample : Samples(Sub("XXXX", "kept?"))) {
        std::string tag = sample.substr(0, 4);
        std::string deleted = One(tag, ZSub("NAME", "gone") + Dele(), 20);
        EXPECT_EQ(RoundTrip(deleted), deleted) << tag;
        std::string name = sample.substr(24, sample.find('\0', 24) - 24);
        EXPECT_EQ(RoundTrip(One(tag, Dele() + sample.substr(16), 0x2020)),
                  One(tag, ZSub("NAME", name) + Dele(), 0x2020))
            << tag;
    }
    // A deleted record that had no DELE gets one; a DELE in a record whose flags do not mark it deleted is
    // dropped.
    EXPECT_EQ(RoundTrip(One("WEAP", ZSub("NAME", "w"), 20)), One("WEAP", ZSub("NAME", "w") + Dele(), 20));
    EXPECT_EQ(RoundTrip(One("STAT", ZSub("NAME", "s") + Dele() + ZSub("MODL", "m"), 19)),
              One("STAT", ZSub("NAME", "s") + ZSub("MODL", "m"), 19));
}

TEST(World, RecordsAreWrittenAsExpectedAndAgainTheSame) {
    const WorldCase cases[] = {
        {"sound", Record("SOUN", kName + kSoun, 0, 7), ""},
        {"sound in any order", Record("SOUN", Sub("DATA", "\1\2\3") + ZSub("FNAM", "f.wav") + kName),
         Record("SOUN", kName + kSoun)},
        {"sound without data or file", Record("SOUN", kName + ZSub("FNAM", "f.wav")), ""},
        {"sound without file", Record("SOUN", kName + Sub("DATA", "\1\1\1")), ""},
        {"a string of size 0 gets its terminator", Record("SOUN", kName + Sub("FNAM", "")),
         Record("SOUN", kName + ZSub("FNAM", ""))},
        {"an unknown subrecord stays in its place", Record("SOUN", kName + kXtra + kSoun), ""},
        {"sound data of another length is kept whole",
         Record("SOUN", kName + Sub("DATA", "\5\6") + ZSub("FNAM", "f")), ""},
        {"region",
         Record("REGN", kName + ZSub("FNAM", "Isles") + Sub("WEAT", "\1\2\3\4\5\6\7\x08\x09\x37"s) +
                            ZSub("BNAM", "ex_sleep") + Sub("CNAM", "\x4d\x20\x10\0"s) + Snam("drip", 12) +
                            Snam("wind", 50) + Sub("WNAM", I32(-3))),
         ""},
        {"region with 8 weather chances", Record("REGN", kName + kRegn), ""},
        {"colour filler written as zero",
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\xff")),
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\0"s))},
        {"region without weather or colour", Record("REGN", kName + ZSub("FNAM", "Dry")), ""},
        {"empty weather is kept whole", Record("REGN", kName + Sub("WEAT", "") + kRegn), ""},
        {"every run of sounds is kept",
         Record("REGN", kName + Snam("a", 1) + Snam("b", 2) + ZSub("BNAM", "c") + Snam("last", 3)),
         Record("REGN", kName + ZSub("BNAM", "c") + Snam("a", 1) + Snam("b", 2) + Snam("last", 3))},
        {"colour and sound of other lengths are kept whole",
         Record("REGN", kName + kRegn + Sub("CNAM", "\1\2\3") + Sub("SNAM", "short") + Sub("WNAM", U16(1))),
         ""},
        {"land texture", Record("LTEX", kName + Sub("INTV", I32(17)) + ZSub("DATA", "Tx_road.tga")), ""},
        {"land texture without number", Record("LTEX", kName + ZSub("DATA", "t.tga")), ""},
        {"sound generator: sound before creature, flag word cleared",
         Record("SNDG", kName + Sub("DATA", U32(0x01020307)) + ZSub("CNAM", "guar") + ZSub("SNAM", "Fall")),
         Record("SNDG", kName + Sub("DATA", U32(7)) + ZSub("SNAM", "Fall") + ZSub("CNAM", "guar"))},
        {"sound generator without creature", Record("SNDG", kName + Sub("DATA", U32(2)) + ZSub("SNAM", "s")),
         ""},
        {"levelled list, five entries in order",
         Record("LEVI",
                kName + kList + Entry("INAM", "a", 1) + Entry("INAM", "bb", 5) + Entry("INAM", "a", 10) +
                    Entry("INAM", "ccc", -2) + Entry("INAM", "d", 300),
                0x2000),
         ""},
        {"creature list: CNAM entries, game order, flag word cleared",
         Record("LEVC", Sub("NNAM", U8(0)) + kName + Sub("DATA", U32(0xFFFFFF01)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4)),
         Record("LEVC", kName + Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4))},
        {"an item entry in a creature list is kept whole", Record("LEVC", kName + Entry("INAM", "x", 1)), ""},
        {"entries without level",
         Record("LEVI", kName + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) + ZSub("INAM", "tail") +
                            Sub("INDX", I32(3))),
         Record("LEVI", kName + Sub("INDX", I32(3)) + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) +
                            ZSub("INAM", "tail"))},
        {"an entry name of size 0 keeps the entry",
         Record("LEVI", kName + Sub("INAM", "") + Sub("INTV", U16(4))),
         Record("LEVI", kName + Entry("INAM", "", 4))},
        {"list parts and levels of other lengths are kept whole",
         Record("LEVI", kName + Sub("NNAM", U32(0xFF33)) + Sub("DATA", U16(2)) + Entry("INAM", "x", 1) +
                            Sub("INTV", I32(9)) + ZSub("INAM", "y") + Sub("INTV", I32(9)) + kXtra),
         ""},
    };
    for (const WorldCase& c : cases) {
        const std::string want = File({c.out.empty() ? c.in : c.out});
        const std::string once = testutil::RoundTrip(File({c.in}));
        EXPECT_EQ(once, want) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once), once) << c.what << ": second round trip";
    }
}

TEST(World, DeletedRecordsAreWrittenAsNameAndDele) {
    const std::pair<std::string, std::string> cases[] = {
        {"SOUN", kSoun},
        {"REGN", kRegn},
        {"LTEX", Sub("INTV", I32(1)) + ZSub("DATA", "x.tga")},
        {"SNDG", Sub("DATA", U32(1)) + ZSub("SNAM", "s")},
        {"LEVI", kList + Entry("INAM", "i", 1)},
        {"LEVC", kList + Entry("CNAM", "c", 1)},
    };
    for (const auto& [tag, rest] : cases) {
        // Its data, kept subrecords included, is dropped. (A missing or stray DELE: the objects' test above.)
        EXPECT_EQ(testutil::RoundTrip(File({Record(tag, kName + rest + kXtra + Dele(), 0x20)})),
                  File({Record(tag, kName + Dele(), 0x20)}))
            << tag;
    }
}

TEST(World, FieldsAreRead) {
    REGNRecord region{.NAMELen = 2,
                      .NAME = "n",
                      .FNAMLen = 2,
                      .FNAM = "R",
                      .WEATLen = 8,
                      .Weather = std::vector<uint8_t>(8, 1),
                      .CNAMLen = 4,
                      .Red = 1,
                      .Green = 2,
                      .Blue = 3,
                      .Sounds = {{33, Fixed("wind", 32), 50}, {33, Fixed("drip", 32), 12}},
                      .WNAMLen = 4,
                      .WNAM = -3};
    region.extras.subs = {{5, kXtra}};
    EXPECT_EQ(testutil::ReadBody(ReadREGN, kName + Snam("wind", 50) + kRegn + kXtra + Sub("WNAM", I32(-3)) +
                                               Snam("drip", 12)),
              region);

    const LEVIRecord list{.NAMELen = 2,
                          .NAME = "n",
                          .DATALen = 4,
                          .ListFlags = 3,
                          .NNAMLen = 1,
                          .ChanceNone = 25,
                          .INDXLen = 4,
                          .INDX = 2,
                          .Items = {{2, "a", 2, -2}, {4, "bcd", 0, 0}}};
    EXPECT_EQ(testutil::ReadBody(ReadLEVC, kName + kList + Entry("CNAM", "a", -2) + ZSub("CNAM", "bcd")),
              list);
}
