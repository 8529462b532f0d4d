// Character and magic records (classes, factions, races, skills, birthsigns, magic effects, spells,
// enchantments) and global values (globals, game settings): layouts, the writers' fixed order, value rules,
// runs of rank names, reactions and effects, and subrecords of other lengths or tags, which come back as
// they were.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "fixture_builder.h"
#include "records/character.h"
#include "records/globals.h"
#include "records/magic.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// n 32-bit values counting up from first.
std::string Counting(int n, int32_t first) {
    std::string s;
    for (int i = 0; i < n; ++i) s += I32(first + i);
    return s;
}
std::string Cldt(uint32_t flagsWord) {
    return Sub("CLDT", Counting(13, 1) + U32(flagsWord) + I32(1));
}
std::string Rnam(std::string_view name, size_t length = 32) {
    return Sub("RNAM", Fixed(name, length));
}
std::string Fadt() {
    return Sub("FADT", Counting(60, 100));
}
std::string Reaction(std::string_view id, int32_t v) {
    return ZSub("ANAM", id) + Sub("INTV", I32(v));
}
std::string Npcs(std::string_view id, size_t length = 32) {
    return Sub("NPCS", Fixed(id, length));
}
std::string Radt() {
    return Sub("RADT", Counting(30, 1) + F32(1.0f) + F32(0.95f) + F32(1.1f) + F32(0.9f) + I32(3));
}
std::string Faction(std::string_view body, uint32_t flags = 0) {
    return Record("FACT", ZSub("NAME", "fac") + ZSub("FNAM", "The Faction") + std::string(body), flags);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string Glob(std::string_view name, std::string_view type, float value, uint32_t flags = 0) {
    return Record("GLOB", ZSub("NAME", name) + Sub("FNAM", type) + Sub("FLTV", F32(value)), flags);
}
std::string Gmst(std::string_view name, std::string_view valueSubs, uint32_t flags = 0) {
    return Record("GMST", Sub("NAME", Z(name)) + std::string(valueSubs), flags);
}

// The value a global holds once read.
float ReadGlobal(std::string_view name, std::string_view type, float value) {
    return testutil::ReadBody(ReadGLOB, ZSub("NAME", name) + Sub("FNAM", type) + Sub("FLTV", F32(value)))
        .FLTV;
}

// One effect; the three bytes after Range are given so that tests can put garbage there.
std::string Enam(int16_t id, uint8_t range = 1, std::string_view pad = std::string_view("\0\0\0", 3)) {
    return Sub("ENAM", U16(static_cast<uint16_t>(id)) + U8(0xFF) + U8(3) + U8(range) + std::string(pad) +
                           I32(1) + I32(2) + I32(3) + I32(4));
}
std::string Medt() {
    return Sub("MEDT", I32(4) + F32(1.5f) + I32(0x600) + I32(5) + I32(6) + I32(7) + F32(3) + F32(2) + F32(4));
}
std::string Spell(std::string_view effects, uint32_t flagsWord = 7, uint32_t flags = 0) {
    return Record("SPEL",
                  ZSub("NAME", "spell") + ZSub("FNAM", "Spell") +
                      Sub("SPDT", I32(1) + I32(21) + U32(flagsWord)) + std::string(effects),
                  flags);
}
std::string Ench(std::string_view effects, uint32_t autoCalcWord = 1) {
    return Record("ENCH", ZSub("NAME", "ench") +
                              Sub("ENDT", I32(2) + I32(10) + I32(100) + U32(autoCalcWord)) +
                              std::string(effects));
}

// Loads and saves; a second round trip gives the same bytes.
void ExpectSavedAs(const std::string& in, const std::string& expected) {
    RecordStore s;
    int32_t count = testutil::Load(in, s);
    std::string out = testutil::Save(s, count);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}
void ExpectExact(const std::string& bytes) {
    ExpectSavedAs(bytes, bytes);
}

} // namespace

TEST(ClassRecords, FieldsAndFixedOrderWithTheFlagByteAlone) {
    std::string body = ZSub("NAME", "cls") + ZSub("FNAM", "Class") + Cldt(1) + Sub("DESC", "No terminator");
    ExpectExact(File({Record("CLAS", body)}));
    const CLASRecord c = testutil::ReadBody(ReadCLAS, body);
    EXPECT_EQ(std::tie(c.NAME, c.FNAM, c.CLDTLen, c.Attribute1, c.Attribute2, c.Specialization, c.Playable,
                       c.AutoCalc, c.DESC),
              std::make_tuple("cls", "Class", 60, 1, 2, 3, 1, 1, "No terminator"));
    EXPECT_EQ(c.Skills, (std::array<int32_t, 10>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    // Any order in, the writer's order out; the upper bytes of the flags word come back cleared.
    ExpectSavedAs(File({Record("CLAS", Sub("DESC", "No terminator") + Cldt(0xABCDEF01) +
                                           ZSub("FNAM", "Class") + ZSub("NAME", "cls"))}),
                  File({Record("CLAS", body)}));
}

TEST(FactionRecords, RankNamesAndReactionsComeBackByteForByte) {
    std::string ranks;
    for (int i = 0; i < 10; ++i) ranks += Rnam("Rank " + std::to_string(i));
    std::string body = ranks + Fadt() + Reaction("Ashlanders", -1) + Reaction("Twin Lamps", 0);
    ExpectExact(File({Faction(body)}));
    FACTRecord f = testutil::ReadBody(ReadFACT, ZSub("NAME", "fac") + body);
    EXPECT_EQ(f.RankNames[9], (RankNameData{32, Fixed("Rank 9", 32)}));
    EXPECT_EQ(f.Ranks[9], (RankData{147, 148, 149, 150, 151}));
    EXPECT_EQ(std::tie(f.Attribute2, f.Skills[5], f.FactionFlags), std::make_tuple(101, 157, 159));
    EXPECT_EQ(f.Reactions, (std::vector<ReactionData>{{11, std::string("Ashlanders\0", 11), 4, -1},
                                                      {11, std::string("Twin Lamps\0", 11), 4, 0}}));
    // Ranks 0 to 4 only: five RNAM subrecords; rank names of another length keep it.
    ExpectExact(File({Faction(Rnam("a") + Rnam("b") + Rnam("c") + Rnam("d", 20) + Rnam("e", 40) + Fadt())}));
}

TEST(FactionRecords, ANewRunStartsAgainAtTheFirstSlot) {
    // Reactions: only the last run survives.
    ExpectSavedAs(File({Faction(Reaction("A", 1) + Reaction("B", 2) + Fadt() + Reaction("C", 3))}),
                  File({Faction(Fadt() + Reaction("C", 3))}));
    // Rank names: the new run overwrites from slot 0 and leaves the later slots.
    ExpectSavedAs(File({Faction(Rnam("r0") + Rnam("r1") + Rnam("r2") + Fadt() + Rnam("q0"))}),
                  File({Faction(Rnam("q0") + Rnam("r1") + Rnam("r2") + Fadt())}));
}

// An ANAM that is not followed by its INTV keeps the value 0 without an INTV and is written back so; an
// INTV that follows no ANAM is kept whole in its place.
TEST(FactionRecords, ReactionsWithoutValueAndValuesWithoutReaction) {
    std::string body = Fadt() + ZSub("ANAM", "Lonely") + Reaction("Next", 7) + Sub("ANAM", "");
    ExpectExact(File({Faction(body)}));
    EXPECT_EQ(testutil::ReadBody(ReadFACT, body).Reactions,
              (std::vector<ReactionData>{
                  {7, std::string("Lonely\0", 7)}, {5, std::string("Next\0", 5), 4, 7}, {}}));
    ExpectSavedAs(File({Faction(ZSub("ANAM", "Lonely") + Fadt())}),
                  File({Faction(Fadt() + ZSub("ANAM", "Lonely"))}));
    ExpectExact(File({Faction(Sub("INTV", I32(1)) + Fadt() + Reaction("A", 1) + Sub("INTV", I32(2)))}));
}

TEST(RaceRecords, SpellsGoOnAcrossRunsAndComeBeforeTheDescription) {
    std::string desc = Sub("DESC", std::string("Desc\0", 5));
    std::string body = ZSub("NAME", "race") + ZSub("FNAM", "Race") + Radt() + Npcs("spell one") +
                       Npcs("spell two", 15) + desc;
    ExpectExact(File({Record("RACE", body)}));
    const RACERecord r = testutil::ReadBody(ReadRACE, body);
    EXPECT_EQ(r.SkillBonuses[6], (SkillBonusData{13, 14}));
    EXPECT_EQ(r.Attributes[7], (AttributeValueData{29, 30}));
    EXPECT_EQ(std::tie(r.HeightFemale, r.WeightFemale, r.RaceFlags), std::make_tuple(0.95f, 0.9f, 3));
    EXPECT_EQ(r.Specials,
              (std::vector<NPCSData>{{32, Fixed("spell one", 32)}, {15, Fixed("spell two", 15)}}));
    ExpectSavedAs(File({Record("RACE", Npcs("spell one") + ZSub("NAME", "race") + desc +
                                           Npcs("spell two", 15) + Radt() + ZSub("FNAM", "Race"))}),
                  File({Record("RACE", body)}));
}

TEST(SkillAndBirthsignRecords, LayoutsAndOptionalSubrecords) {
    std::string skill = Sub("INDX", I32(20)) +
                        Sub("SKDT", I32(7) + I32(2) + F32(1) + F32(2) + F32(0.5f) + F32(1)) +
                        Sub("DESC", "Skill");
    std::string signBody = ZSub("NAME", "sign") + ZSub("FNAM", "Sign") + Sub("DESC", "Stars") +
                           Npcs("blessing", 24) + Npcs("curse");
    ExpectExact(File({Record("SKIL", skill), Record("BSGN", signBody)}));
    const SKILRecord k = testutil::ReadBody(ReadSKIL, skill);
    EXPECT_EQ(std::tie(k.INDX, k.SKDTLen, k.Attribute, k.Specialization, k.DESC),
              std::make_tuple(20, 24, 7, 2, "Skill"));
    EXPECT_EQ(k.UseValues, (std::array<float, 4>{1, 2, 0.5f, 1}));
    const BSGNRecord g = testutil::ReadBody(ReadBSGN, signBody);
    EXPECT_EQ(std::tie(g.NAME, g.FNAM, g.TNAMLen, g.DESC), std::make_tuple("sign", "Sign", 0, "Stars"))
        << "no texture: no TNAM";
    EXPECT_EQ(g.Specials, (std::vector<NPCSData>{{24, Fixed("blessing", 24)}, {32, Fixed("curse", 32)}}));
    ExpectExact(File({Record("BSGN", ZSub("NAME", "sign") + ZSub("TNAM", "tx.dds") + Npcs("blessing"))}));
}

// Data subrecords of another length than their layout's, rank names beyond the tenth slot, empty spell
// entries and subrecords of other tags are kept whole and come back in their place (a run of rank names or
// reactions goes on across them); the fields they would have filled stay absent.
TEST(CharacterKept, SubrecordsOfOtherLengthsAndTagsComeBackInTheirPlace) {
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += Rnam("n" + std::to_string(i));
    for (const std::string& bytes : {
             File({Record("CLAS", ZSub("NAME", "c") + Sub("CLDT", Counting(14, 1)) + Sub("XTRA", "x") +
                                      Sub("DESC", "d"))}),
             File({Faction(twelve + Fadt() + Reaction("X", 4)),
                   Faction(Sub("FADT", Counting(59, 0)) + Rnam("a"))}),
             File({Faction(Rnam("a") + Rnam("", 0) + Rnam("c") + Reaction("A", 1) + Sub("INTV", "\1\2"))}),
             File({Faction(Rnam("a") + Sub("XXXX", "") + Rnam("b") + ZSub("ANAM", "A") + Sub("XXXX", "") +
                           Reaction("B", 2))}),
             File({Record("RACE",
                          ZSub("NAME", "r") + Sub("RADT", Counting(36, 1)) + Npcs("", 0) + Npcs("s"))}),
             File({Record("SKIL", Sub("INDX", "\1\2") + Sub("SKDT", Counting(5, 0)) + Sub("DESC", "d"))}),
             File({Record("BSGN", Sub("XTRA", "") + ZSub("NAME", "b") + Npcs("s") + Sub("ZZZZ", "end"))}),
         })
        ExpectExact(bytes);
}

TEST(GlobalValues, RulesOfTheNameAndTheTypeLetter) {
    // A short is rounded half to even within -32767..32767 (0 outside), a long without range; the letter is
    // the first character of the type, compared with its case; "ratskilled" (exactly) reads as 0.
    const struct {
        const char *name, *type;
        float in, out;
    } cases[] = {
        {"a", "s", 12.5f, 12.0f},         {"a", "s", 13.5f, 14.0f},          {"a", "s", -2.5f, -2.0f},
        {"a", "s", 7.25f, 7.0f},          {"a", "s", -32767.0f, -32767.0f},  {"a", "s", 32767.0f, 32767.0f},
        {"a", "s", 32767.5f, 0.0f},       {"a", "s", -32768.0f, 0.0f},       {"a", "s", 40000.0f, 0.0f},
        {"a", "s", kNaN, 0.0f},           {"a", "sxx", 12.5f, 12.0f},        {"a", "l", 100000.5f, 100000.0f},
        {"a", "l", 100001.5f, 100002.0f}, {"a", "l", -40000.75f, -40001.0f}, {"a", "l", 3e9f, 3e9f},
        {"a", "f", 0.3f, 0.3f},           {"a", "f", 12.5f, 12.5f},          {"a", "S", 12.5f, 12.5f},
        {"ratskilled", "s", 5.0f, 0.0f},  {"ratskilled", "f", 2.5f, 0.0f},   {"RatsKilled", "s", 5.0f, 5.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(ReadGlobal(c.name, c.type, c.in), c.out) << c.name << " " << c.type << " " << c.in;
    EXPECT_TRUE(std::isnan(ReadGlobal("a", "f", kNaN)));
}

TEST(GlobalValues, RulesUseWhatWasReadBeforeTheValue) {
    // The value comes first: no type is known yet, so 12.5 is kept; the writer puts FNAM before FLTV, so the
    // saved file reads as 12.
    std::string in = Record("GLOB", Sub("FLTV", F32(12.5f)) + Sub("FNAM", "s") + ZSub("NAME", "late"));
    std::string out = testutil::RoundTrip(File({in}));
    EXPECT_EQ(out, File({Glob("late", "s", 12.5f)}));
    EXPECT_EQ(testutil::RoundTrip(out), File({Glob("late", "s", 12.0f)}));
}

TEST(SettingValues, FloatsKeepFourDecimalsHalfToEven) {
    const std::pair<float, float> cases[] = {{0.333333f, 0.3333f}, {1.23456f, 1.2346f},   {0.03125f, 0.0312f},
                                             {0.09375f, 0.0938f},  {-0.09375f, -0.0938f}, {250.0f, 250.0f}};
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundSettingValue(in), out) << in;
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    ExpectSavedAs(File({Gmst("fX", Sub("FLTV", F32(0.333333f)))}),
                  File({Gmst("fX", Sub("FLTV", F32(0.3333f)))}));
}

TEST(GlobalsRoundTrip, WellFormedRecordsComeBackByteForByte) {
    std::string bytes = File({Gmst("sText", Sub("STRV", "Hello")), Gmst("iCount", Sub("INTV", I32(-7))),
                              Gmst("fMult", Sub("FLTV", F32(1.5f))), Record("GMST", Sub("NAME", "bare")),
                              Glob("g_short", "s", -3.0f), Glob("g_float", "f", 0.3f)});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    const std::vector<GMSTRecord> settings = {
        {.NAMELen = 6, .NAME = std::string("sText\0", 6), .STRVLen = 5, .STRV = "Hello"},
        {.NAMELen = 7, .NAME = std::string("iCount\0", 7), .INTVLen = 4, .INTV = -7},
        {.NAMELen = 6, .NAME = std::string("fMult\0", 6), .FLTVLen = 4, .FLTV = 1.5f},
        {.NAMELen = 4, .NAME = "bare"}};
    EXPECT_EQ(s.tblGMST, settings);
    const std::vector<GLOBRecord> globals = {
        {.NAMELen = 8, .NAME = "g_short", .FNAMLen = 1, .FNAM = "s", .FLTVLen = 4, .FLTV = -3.0f},
        {.NAMELen = 8, .NAME = "g_float", .FNAMLen = 1, .FNAM = "f", .FLTVLen = 4, .FLTV = 0.3f}};
    EXPECT_EQ(s.tblGLOB, globals);
}

TEST(GlobalsRoundTrip, OnlyOneSettingValueIsWritten) {
    // The first value set in the order string, integer, float is written, whatever the file's order.
    ExpectSavedAs(File({Gmst("sBoth", Sub("INTV", I32(4)) + Sub("STRV", "text"))}),
                  File({Gmst("sBoth", Sub("STRV", "text"))}));
    ExpectSavedAs(File({Gmst("iBoth", Sub("FLTV", F32(2.0f)) + Sub("INTV", I32(4)))}),
                  File({Gmst("iBoth", Sub("INTV", I32(4)))}));
}

// A type letter of another length keeps all its characters (an empty one included), a value of another
// length than 4 bytes is kept whole, and so is a subrecord of another tag: each comes back in its place.
TEST(GlobalsKept, SubrecordsOfOtherLengthsAndTagsComeBackInTheirPlace) {
    ExpectSavedAs(File({Glob("g", "sxx", 12.5f)}), File({Glob("g", "sxx", 12.0f)}));
    GLOBRecord longType =
        testutil::ReadBody(ReadGLOB, ZSub("NAME", "g") + Sub("FNAM", std::string("s\0", 2)));
    EXPECT_EQ(longType, (GLOBRecord{.NAMELen = 2, .NAME = "g", .FNAMLen = 2, .FNAM = std::string("s\0", 2)}));
    for (const std::string& bytes : {
             File({Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "") + Sub("FLTV", F32(12.5f)))}),
             File({Record("GLOB", ZSub("NAME", "g") + Sub("XTRA", "?") + Sub("FNAM", "f") +
                                      Sub("FLTV", "12345678"))}),
             File({Gmst("iShort", Sub("INTV", "\1\2") + Sub("FLTV", F32(2.0f)))}),
             File({Gmst("fLong", Sub("XTRA", "") + Sub("FLTV", "123456")), Glob("next", "l", 4)}),
         })
        ExpectExact(bytes);
}

TEST(MagicEffectRecords, FieldsAndTheWritersOrderOfStrings) {
    std::string ordered = ZSub("ITEX", "icon.tga") + ZSub("PTEX", "p.tga") + ZSub("BSND", "b") +
                          ZSub("CSND", "c") + ZSub("HSND", "h") + ZSub("ASND", "a") + ZSub("BVFX", "bv") +
                          ZSub("CVFX", "cv") + ZSub("HVFX", "hv") + ZSub("AVFX", "av");
    std::string body = Sub("INDX", I32(59)) + Medt() + ordered + Sub("DESC", "Moves things");
    ExpectExact(File({Record("MGEF", body)}));
    const MGEFRecord m = testutil::ReadBody(ReadMGEF, body);
    EXPECT_EQ(std::tie(m.INDX, m.MEDTLen, m.School, m.BaseCost, m.EffectFlags, m.Red, m.Green, m.Blue,
                       m.SpeedX, m.SizeX, m.SizeCap),
              std::make_tuple(59, 36, 4, 1.5f, 0x600, 5, 6, 7, 3.0f, 2.0f, 4.0f));
    EXPECT_EQ(std::tie(m.ITEX, m.BSND, m.CVFX, m.AVFXLen, m.DESC),
              std::make_tuple("icon.tga", "b", "cv", 3, "Moves things"));
    // Cast visual before bolt visual and the description first in the file: the writer's order comes back.
    std::string shuffled = Sub("DESC", "Moves things") + ZSub("AVFX", "av") + ZSub("CVFX", "cv") + Medt() +
                           ZSub("BVFX", "bv") + ZSub("HVFX", "hv") + ZSub("ASND", "a") + ZSub("HSND", "h") +
                           ZSub("CSND", "c") + ZSub("BSND", "b") + ZSub("PTEX", "p.tga") +
                           ZSub("ITEX", "icon.tga") + Sub("INDX", I32(59));
    ExpectSavedAs(File({Record("MGEF", shuffled)}), File({Record("MGEF", body)}));
    // Without sounds and visuals: none written.
    ExpectExact(File({Record("MGEF", Sub("INDX", I32(1)) + Medt() + ZSub("ITEX", "i"))}));
}

TEST(SpellRecords, UsedSlotsOnlyAndZerosAfterTheFlagBytes) {
    std::string bytes = File({Spell(Enam(85) + Enam(47, 0) + Enam(61, 2))});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    const SPELRecord& sp = s.tblSPEL.at(0);
    EXPECT_EQ(std::tie(sp.SPDTLen, sp.SpellType, sp.Cost, sp.SpellFlags), std::make_tuple(12, 1, 21, 7));
    EXPECT_EQ(sp.Effects[1], (EffectData{24, 47, 0xFF, 3, 0, 1, 2, 3, 4}));
    EXPECT_EQ(sp.Effects[2], (EffectData{24, 61, 0xFF, 3, 2, 1, 2, 3, 4}));
    // Garbage after SpellFlags and after Range is written back as zeros.
    ExpectSavedAs(File({Spell(Enam(85, 1, "xyz") + Enam(47, 0) + Enam(61, 2, "\1\1\1"), 0xFFFFFF07)}), bytes);
    // An enchantment's AutoCalc word likewise.
    std::string ench = File({Ench(Enam(85) + Enam(0))});
    ExpectExact(ench);
    ExpectSavedAs(File({Ench(Enam(85) + Enam(0), 0x01020301)}), ench);
    testutil::Load(ench, s);
    const ENCHRecord& en = s.tblENCH.at(0);
    EXPECT_EQ(std::tie(en.EnchantType, en.Cost, en.Charge, en.AutoCalc), std::make_tuple(2, 10, 100, 1));
}

TEST(MagicRecords, SpellsAreWrittenBeforeEnchantments) {
    ExpectSavedAs(File({Ench(Enam(2)), Spell(Enam(1))}), File({Spell(Enam(1)), Ench(Enam(2))}));
}

// Effects beyond the eighth slot, data subrecords of another length than their layout's (an effect among
// them does not take a slot) and subrecords of other tags are kept whole and come back in their place; the
// fields they would have filled stay absent.
TEST(MagicKept, SubrecordsOfOtherLengthsAndTagsComeBackInTheirPlace) {
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += Enam(static_cast<int16_t>(i + 1));
    const std::string shortEnam = Sub("ENAM", std::string(20, '\1'));
    for (const std::string& bytes : {
             File({Spell(ten), Record("ENCH", ZSub("NAME", "e") + ten)}),
             File({Record("SPEL", ZSub("NAME", "s") + Sub("SPDT", I32(1) + I32(2)) + Enam(1) + shortEnam +
                                      Enam(2) + Sub("XTRA", "?"))}),
             File({Ench(Sub("ZZZZ", "") + Enam(1)),
                   Record("ENCH", Sub("ENDT", std::string(20, '\2')) + Enam(1))}),
             File({Record("MGEF",
                          Sub("INDX", "\1\2") + Sub("MEDT", std::string(32, '\3')) + ZSub("ITEX", "i"))}),
         })
        ExpectExact(bytes);
    EXPECT_EQ(testutil::ReadBody(ReadSPEL, Enam(1) + shortEnam + Enam(2)).Effects[1].EffectID, 2)
        << "an effect kept whole takes no slot";
}

// A deleted record is written as its name (a skill or magic effect: its index) and DELE, whatever data and
// kept subrecords it holds; one flagged deleted without DELE gets it.
TEST(CharacterAndMagicDeleted, NameOrIndexAndDeleOnly) {
    const std::string xtra = Sub("XTRA", "kept?");
    const std::pair<std::string, std::string> cases[] = {
        {Record("SKIL", Sub("INDX", I32(3)) + Sub("SKDT", Counting(6, 0)) + xtra + Dele(), 0x20),
         Record("SKIL", Sub("INDX", I32(3)) + Dele(), 0x20)},
        {Faction(Rnam("a") + Fadt() + Reaction("B", 1) + xtra + Dele(), 0x20),
         Record("FACT", ZSub("NAME", "fac") + Dele(), 0x20)},
        {Record("CLAS", ZSub("NAME", "cls") + Cldt(1), 0x20),
         Record("CLAS", ZSub("NAME", "cls") + Dele(), 0x20)},
        {Record("RACE", ZSub("NAME", "r") + Radt() + Npcs("s") + Dele(), 0x20),
         Record("RACE", ZSub("NAME", "r") + Dele(), 0x20)},
        {Record("BSGN", ZSub("NAME", "b") + ZSub("FNAM", "B") + Npcs("s") + Dele(), 0x20),
         Record("BSGN", ZSub("NAME", "b") + Dele(), 0x20)},
        {Record("GLOB", ZSub("NAME", "gone") + Sub("FNAM", "l") + Sub("FLTV", F32(3)) + xtra + Dele(), 0x20),
         Record("GLOB", ZSub("NAME", "gone") + Dele(), 0x20)},
        {Gmst("sGone", Sub("STRV", "x") + Dele(), 0x20), Gmst("sGone", Dele(), 0x20)},
        {Spell(Enam(1), 7, 0x20), Record("SPEL", ZSub("NAME", "spell") + Dele(), 0x20)},
        {Record("MGEF", Sub("INDX", I32(12)) + Medt() + ZSub("ITEX", "i") + Dele(), 0x20),
         Record("MGEF", Sub("INDX", I32(12)) + Dele(), 0x20)},
        {Record("ENCH", ZSub("NAME", "ench") + Sub("ENDT", std::string(16, '\1')) + Enam(1) + Dele(), 0x20),
         Record("ENCH", ZSub("NAME", "ench") + Dele(), 0x20)},
    };
    for (const auto& [in, out] : cases) ExpectSavedAs(File({in}), File({out}));
}

// A record that lacks its data subrecord (or another subrecord its writer writes) is written without it.
TEST(CharacterAndMagicDamaged, MissingSubrecordsAreLeftOut) {
    ExpectExact(File(
        {Record("GMST", Sub("INTV", I32(1))), Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "l")),
         Record("CLAS", ZSub("NAME", "cls") + ZSub("FNAM", "Class")),
         Record("FACT", ZSub("NAME", "fac") + Rnam("only")), Record("RACE", ZSub("NAME", "race")),
         Record("SKIL", Sub("INDX", I32(1)) + Sub("DESC", "d")),
         Record("MGEF", Sub("INDX", I32(3)) + ZSub("PTEX", "p")), Record("MGEF", Medt()),
         Record("BSGN", Npcs("x")), Record("SPEL", ZSub("NAME", "s") + Enam(4)), Record("ENCH", Enam(5))}));
}
