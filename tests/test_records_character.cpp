// Character and magic records (classes, factions, races, skills, birthsigns, magic effects, spells,
// enchantments) and global values (globals, game settings): layouts, the writers' fixed order, value rules,
// runs of rank names, reactions and effects, and subrecords of other lengths or tags, which come back as
// they were.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fixture_builder.h"
#include "records/character.h"
#include "records/globals.h"
#include "records/magic.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

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

// A deleted record as written: its key and DELE.
std::string Gone(std::string_view tag, const std::string& key) {
    return Record(tag, key + Dele(), 0x20);
}

struct Case {
    const char* what;
    std::vector<std::string> in;  // the records as read
    std::vector<std::string> out; // the records as written; empty: as read
};

} // namespace

// Records read and written back (twice, the same). The byte-exact rows check the fields; the others the
// writers' fixed order, the value rules, runs of rank names, reactions and effects, and what is kept whole.
TEST(CharacterAndMagic, RecordsAreWrittenAsExpectedAndAgainTheSame) {
    const std::string cls =
        ZSub("NAME", "cls") + ZSub("FNAM", "Class") + Cldt(1) + Sub("DESC", "No terminator");
    std::string twelve, ten;
    for (int i = 0; i < 12; ++i) twelve += Rnam("n" + std::to_string(i));
    for (int i = 0; i < 10; ++i) ten += Enam(static_cast<int16_t>(i + 1));
    const std::string desc = Sub("DESC", std::string("Desc\0", 5));
    const std::string race = ZSub("NAME", "race") + ZSub("FNAM", "Race") + Radt() + Npcs("spell one") +
                             Npcs("spell two", 15) + desc;
    const std::string mgef = Sub("INDX", I32(59)) + Medt() + ZSub("ITEX", "icon.tga") +
                             ZSub("PTEX", "p.tga") + ZSub("BSND", "b") + ZSub("CSND", "c") +
                             ZSub("HSND", "h") + ZSub("ASND", "a") + ZSub("BVFX", "bv") + ZSub("CVFX", "cv") +
                             ZSub("HVFX", "hv") + ZSub("AVFX", "av") + Sub("DESC", "Moves things");
    const std::string spell = Spell(Enam(85) + Enam(47, 0) + Enam(61, 2)), xtra = Sub("XTRA", "kept?");
    const Case cases[] = {
        // The upper bytes of the flags word come back cleared.
        {"class in any order",
         {Record("CLAS", Sub("DESC", "No terminator") + Cldt(0xABCDEF01) + ZSub("FNAM", "Class") +
                             ZSub("NAME", "cls"))},
         {Record("CLAS", cls)}},
        {"five ranks, names of other lengths",
         {Faction(Rnam("a") + Rnam("b") + Rnam("c") + Rnam("d", 20) + Rnam("e", 40) + Fadt())},
         {}},
        {"a new run of reactions replaces the old",
         {Faction(Reaction("A", 1) + Reaction("B", 2) + Fadt() + Reaction("C", 3))},
         {Faction(Fadt() + Reaction("C", 3))}},
        {"a new run of rank names starts again at slot 0",
         {Faction(Rnam("r0") + Rnam("r1") + Rnam("r2") + Fadt() + Rnam("q0"))},
         {Faction(Rnam("q0") + Rnam("r1") + Rnam("r2") + Fadt())}},
        // An ANAM without its INTV keeps the value 0 and is written without one; an INTV that follows no
        // ANAM is kept whole in its place.
        {"reactions without value",
         {Faction(Fadt() + ZSub("ANAM", "Lonely") + Reaction("Next", 7) + Sub("ANAM", ""))},
         {}},
        {"a lonely reaction after the data",
         {Faction(ZSub("ANAM", "Lonely") + Fadt())},
         {Faction(Fadt() + ZSub("ANAM", "Lonely"))}},
        {"values without reaction",
         {Faction(Sub("INTV", I32(1)) + Fadt() + Reaction("A", 1) + Sub("INTV", I32(2)))},
         {}},
        {"race: spells go on across runs, before the description",
         {Record("RACE", Npcs("spell one") + ZSub("NAME", "race") + desc + Npcs("spell two", 15) + Radt() +
                             ZSub("FNAM", "Race"))},
         {Record("RACE", race)}},
        // Cast visual before bolt visual and the description first in the file.
        {"magic effect in any order",
         {Record("MGEF", Sub("DESC", "Moves things") + ZSub("AVFX", "av") + ZSub("CVFX", "cv") + Medt() +
                             ZSub("BVFX", "bv") + ZSub("HVFX", "hv") + ZSub("ASND", "a") + ZSub("HSND", "h") +
                             ZSub("CSND", "c") + ZSub("BSND", "b") + ZSub("PTEX", "p.tga") +
                             ZSub("ITEX", "icon.tga") + Sub("INDX", I32(59)))},
         {Record("MGEF", mgef)}},
        {"magic effect without sounds and visuals",
         {Record("MGEF", Sub("INDX", I32(1)) + Medt() + ZSub("ITEX", "i"))},
         {}},
        // Garbage after SpellFlags, after Range and in an enchantment's AutoCalc word is written as zeros.
        {"spell garbage",
         {Spell(Enam(85, 1, "xyz") + Enam(47, 0) + Enam(61, 2, "\1\1\1"), 0xFFFFFF07)},
         {spell}},
        {"enchantment garbage", {Ench(Enam(85) + Enam(0), 0x01020301)}, {Ench(Enam(85) + Enam(0))}},
        {"spells before enchantments", {Ench(Enam(2)), Spell(Enam(1))}, {Spell(Enam(1)), Ench(Enam(2))}},
        {"a setting's float keeps four decimals",
         {Gmst("fX", Sub("FLTV", F32(0.333333f)))},
         {Gmst("fX", Sub("FLTV", F32(0.3333f)))}},
        // The first value set in the order string, integer, float is written, whatever the file's order.
        {"two values",
         {Gmst("sBoth", Sub("INTV", I32(4)) + Sub("STRV", "text")),
          Gmst("iBoth", Sub("FLTV", F32(2.0f)) + Sub("INTV", I32(4)))},
         {Gmst("sBoth", Sub("STRV", "text")), Gmst("iBoth", Sub("INTV", I32(4)))}},
        // A type letter of another length keeps all its characters, an empty one included.
        {"type letters: long, with its zero, empty",
         {Glob("g", "sxx", 12.5f), Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", std::string("s\0", 2))),
          Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "") + Sub("FLTV", F32(12.5f)))},
         {Glob("g", "sxx", 12.0f), Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", std::string("s\0", 2))),
          Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "") + Sub("FLTV", F32(12.5f)))}},
        // Subrecords of other lengths or tags, rank names beyond the tenth slot, effects beyond the eighth
        // and empty spell entries are kept whole in their place (a run goes on across them).
        {"kept whole",
         {Gmst("iShort", Sub("INTV", "\1\2") + Sub("FLTV", F32(2.0f))),
          Gmst("fLong", Sub("XTRA", "") + Sub("FLTV", "123456")),
          Record("GLOB", ZSub("NAME", "g") + Sub("XTRA", "?") + Sub("FNAM", "f") + Sub("FLTV", "12345678")),
          Glob("next", "l", 4),
          Record("CLAS",
                 ZSub("NAME", "c") + Sub("CLDT", Counting(14, 1)) + Sub("XTRA", "x") + Sub("DESC", "d")),
          Faction(twelve + Fadt() + Reaction("X", 4)), Faction(Sub("FADT", Counting(59, 0)) + Rnam("a")),
          Faction(Rnam("a") + Rnam("", 0) + Rnam("c") + Reaction("A", 1) + Sub("INTV", "\1\2")),
          Faction(Rnam("a") + Sub("XXXX", "") + Rnam("b") + ZSub("ANAM", "A") + Sub("XXXX", "") +
                  Reaction("B", 2)),
          Record("RACE", ZSub("NAME", "r") + Sub("RADT", Counting(36, 1)) + Npcs("", 0) + Npcs("s")),
          Record("SKIL", Sub("INDX", "\1\2") + Sub("SKDT", Counting(5, 0)) + Sub("DESC", "d")),
          Record("MGEF", Sub("INDX", "\1\2") + Sub("MEDT", std::string(32, '\3')) + ZSub("ITEX", "i")),
          Record("BSGN", Sub("XTRA", "") + ZSub("NAME", "b") + Npcs("s") + Sub("ZZZZ", "end")), Spell(ten),
          Record("SPEL", ZSub("NAME", "s") + Sub("SPDT", I32(1) + I32(2)) + Enam(1) +
                             Sub("ENAM", std::string(20, '\1')) + Enam(2) + Sub("XTRA", "?")),
          Record("ENCH", ZSub("NAME", "e") + ten), Ench(Sub("ZZZZ", "") + Enam(1)),
          Record("ENCH", Sub("ENDT", std::string(20, '\2')) + Enam(1))},
         {}},
        // A record that lacks its data subrecord (or another its writer writes) is written without it.
        {"missing subrecords",
         {Record("GMST", Sub("INTV", I32(1))), Record("GMST", Sub("NAME", "bare")),
          Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "l")),
          Record("CLAS", ZSub("NAME", "cls") + ZSub("FNAM", "Class")),
          Record("FACT", ZSub("NAME", "fac") + Rnam("only")), Record("RACE", ZSub("NAME", "race")),
          Record("SKIL", Sub("INDX", I32(1)) + Sub("DESC", "d")),
          Record("MGEF", Sub("INDX", I32(3)) + ZSub("PTEX", "p")), Record("MGEF", Medt()),
          Record("BSGN", Npcs("x")), Record("SPEL", ZSub("NAME", "s") + Enam(4)), Record("ENCH", Enam(5))},
         {}},
        // A deleted record is its name (a skill or magic effect: its index) and DELE, whatever data and kept
        // subrecords it holds; one flagged deleted without DELE gets it.
        {"deleted",
         {Record("SKIL", Sub("INDX", I32(3)) + Sub("SKDT", Counting(6, 0)) + xtra + Dele(), 0x20),
          Faction(Rnam("a") + Fadt() + Reaction("B", 1) + xtra + Dele(), 0x20),
          Record("CLAS", ZSub("NAME", "cls") + Cldt(1), 0x20),
          Record("RACE", ZSub("NAME", "r") + Radt() + Npcs("s") + Dele(), 0x20),
          Record("BSGN", ZSub("NAME", "b") + ZSub("FNAM", "B") + Npcs("s") + Dele(), 0x20),
          Record("GLOB", ZSub("NAME", "gone") + Sub("FNAM", "l") + Sub("FLTV", F32(3)) + xtra + Dele(), 0x20),
          Gmst("sGone", Sub("STRV", "x") + Dele(), 0x20), Spell(Enam(1), 7, 0x20),
          Record("MGEF", Sub("INDX", I32(12)) + Medt() + ZSub("ITEX", "i") + Dele(), 0x20),
          Record("ENCH", ZSub("NAME", "ench") + Sub("ENDT", std::string(16, '\1')) + Enam(1) + Dele(), 0x20)},
         {Gone("GMST", Sub("NAME", Z("sGone"))), Gone("GLOB", ZSub("NAME", "gone")),
          Gone("CLAS", ZSub("NAME", "cls")), Gone("FACT", ZSub("NAME", "fac")),
          Gone("RACE", ZSub("NAME", "r")), Gone("SKIL", Sub("INDX", I32(3))),
          Gone("MGEF", Sub("INDX", I32(12))), Gone("BSGN", ZSub("NAME", "b")),
          Gone("SPEL", ZSub("NAME", "spell")), Gone("ENCH", ZSub("NAME", "ench"))}},
    };
    for (const Case& c : cases) {
        const std::string once = testutil::RoundTrip(File(c.in));
        EXPECT_EQ(once, File(c.out.empty() ? c.in : c.out)) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once), once) << c.what << ": second round trip";
    }
    // What a round trip cannot see: an effect kept whole takes no slot.
    const SPELRecord kept =
        testutil::ReadBody(ReadSPEL, Enam(1) + Sub("ENAM", std::string(20, '\1')) + Enam(2));
    EXPECT_EQ(kept.Effects[1].EffectID, 2);
    // A reaction keeps the lengths of the file: the name with its zero, a value of 4 bytes.
    EXPECT_EQ(testutil::ReadBody(ReadFACT, Fadt() + Reaction("A", 1)).Reactions,
              (std::vector<ReactionData>{{2, std::string("A\0", 2), 4, 1}}));
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
}
