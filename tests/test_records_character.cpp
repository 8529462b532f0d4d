// Classes, factions, races, skills and birthsigns: layouts, the writers' fixed order, the runs of rank
// names and reactions, and subrecords of other lengths or tags, which come back as they were.
#include <gtest/gtest.h>

#include <tuple>

#include "fixture_builder.h"
#include "records/character.h"
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
    EXPECT_EQ(testutil::ReadBody(ReadFACT, Rnam("twenty", 20)).RankNames[0],
              (RankNameData{20, Fixed("twenty", 20)}));
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

TEST(CharacterDeleted, NameOrIndexAndDeleOnly) {
    std::string deletedSkill = Record("SKIL", Sub("INDX", I32(3)) + Dele(), 0x20);
    ExpectExact(File({deletedSkill}));
    ExpectSavedAs(File({Record("SKIL", Sub("INDX", I32(3)) + Sub("SKDT", Counting(6, 0)) + Dele(), 0x20)}),
                  File({deletedSkill}));
    ExpectSavedAs(File({Faction(Rnam("a") + Fadt() + Reaction("B", 1) + Dele(), 0x20)}),
                  File({Record("FACT", ZSub("NAME", "fac") + Dele(), 0x20)}));
    ExpectSavedAs(File({Record("CLAS", ZSub("NAME", "cls") + Cldt(1), 0x20)}),
                  File({Record("CLAS", ZSub("NAME", "cls") + Dele(), 0x20)}));
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
    CLASRecord c = testutil::ReadBody(ReadCLAS, Sub("CLDT", Counting(14, 1)));
    EXPECT_EQ(c.CLDTLen, 0);
    EXPECT_EQ(c.extras, (Extras{{{0, Sub("CLDT", Counting(14, 1))}}}));
    FACTRecord f = testutil::ReadBody(ReadFACT, twelve);
    EXPECT_EQ(f.RankNames[9].RankName, Fixed("n9", 32));
    EXPECT_EQ(f.extras, (Extras{{{10, Rnam("n10")}, {11, Rnam("n11")}}}));
}

// A record that lacks its data subrecord (or another subrecord its writer writes) is written without it.
TEST(CharacterDamaged, MissingDataSubrecordsAreLeftOut) {
    ExpectExact(
        File({Record("CLAS", ZSub("NAME", "cls") + ZSub("FNAM", "Class")),
              Record("FACT", ZSub("NAME", "fac") + Rnam("only")), Record("RACE", ZSub("NAME", "race")),
              Record("SKIL", Sub("INDX", I32(1)) + Sub("DESC", "d")), Record("BSGN", Npcs("x"))}));
}
