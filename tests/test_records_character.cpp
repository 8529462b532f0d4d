// Classes, factions, races, skills and birthsigns: layouts, the writers' fixed order, the runs of rank
// names and reactions, and damaged records.
#include <gtest/gtest.h>

#include "fixture_builder.h"
#include "records/character.h"
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
std::string Rnam(std::string_view name) {
    return Sub("RNAM", Fixed(name, 32));
}
std::string Fadt() {
    return Sub("FADT", Counting(60, 100));
}
std::string Reaction(std::string_view id, int32_t v) {
    return ZSub("ANAM", id) + Sub("INTV", I32(v));
}
std::string Npcs(std::string_view id) {
    return Sub("NPCS", Fixed(id, 32));
}
std::string Radt() {
    return Sub("RADT", Counting(30, 1) + F32(1.0f) + F32(0.95f) + F32(1.1f) + F32(0.9f) + I32(3));
}
std::string Faction(std::string_view body, uint32_t flags = 0) {
    return Record("FACT", ZSub("NAME", "fac") + ZSub("FNAM", "The Faction") + std::string(body), flags);
}

void ExpectSavedAs(const std::string& in, const std::string& expected) {
    RecordStore s;
    int32_t count = testutil::Load(in, s);
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(repairs, 0u);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}
void ExpectExact(const std::string& bytes) {
    ExpectSavedAs(bytes, bytes);
}

// The whole records of one tag in a well-formed file, found by walking the record headers.
std::vector<std::string> RecordsOf(const std::string& file, std::string_view tag) {
    std::vector<std::string> found;
    for (size_t at = 0; at + 16 <= file.size();) {
        ByteReader r(std::string_view(file).substr(at + 4, 4));
        size_t whole = 16 + r.u32();
        if (file.compare(at, 4, tag) == 0) found.push_back(file.substr(at, whole));
        at += whole;
    }
    return found;
}

} // namespace

TEST(ClassRecords, FieldsAndFixedOrderWithTheFlagByteAlone) {
    std::string bytes = File({Record("CLAS", ZSub("NAME", "cls") + ZSub("FNAM", "Class") + Cldt(1) +
                                                 Sub("DESC", "No terminator"))});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    ASSERT_EQ(s.tblCLAS.size(), 1u);
    const CLASRecord& c = s.tblCLAS[0];
    EXPECT_EQ(c.Attribute1, 1);
    EXPECT_EQ(c.Specialization, 3);
    EXPECT_EQ(c.Skills[0], 4);
    EXPECT_EQ(c.Skills[9], 13);
    EXPECT_EQ(c.Playable, 1);
    EXPECT_EQ(c.AutoCalc, 1);
    EXPECT_EQ(c.DESC, "No terminator");
    // Any order in, the writer's order out; the upper bytes of the flags word come back cleared.
    ExpectSavedAs(File({Record("CLAS", Sub("DESC", "No terminator") + Cldt(0xABCDEF01) +
                                           ZSub("FNAM", "Class") + ZSub("NAME", "cls"))}),
                  bytes);
}

TEST(FactionRecords, RankNamesAndReactionsComeBackByteForByte) {
    std::string ranks;
    for (int i = 0; i < 10; ++i) ranks += Rnam("Rank " + std::to_string(i));
    std::string full = File({Faction(ranks + Fadt() + Reaction("Ashlanders", -1) + Reaction("Twin Lamps", 0) +
                                     Reaction("Fighters Guild", 5))});
    ExpectExact(full);
    RecordStore s;
    testutil::Load(full, s);
    ASSERT_EQ(s.tblFACT.size(), 1u);
    const FACTRecord& f = s.tblFACT[0];
    EXPECT_EQ(f.RankNames[9].RankName, Fixed("Rank 9", 32));
    EXPECT_EQ(f.RankNames[9].RNAMLen, 32);
    EXPECT_EQ(f.Attribute2, 101);
    EXPECT_EQ(f.Ranks[0].Attribute1, 102);
    EXPECT_EQ(f.Ranks[9].Reputation, 151);
    EXPECT_EQ(f.Skills[5], 157);
    EXPECT_EQ(f.FactionFlags, 159);
    ASSERT_EQ(f.Reactions.size(), 3u);
    EXPECT_EQ(f.Reactions[0].ANAM, std::string("Ashlanders\0", 11)) << "the terminator is kept";
    EXPECT_EQ(f.Reactions[0].INTV, -1);
    // Ranks 0 to 4 only: five RNAM subrecords.
    ExpectExact(File({Faction(Rnam("a") + Rnam("b") + Rnam("c") + Rnam("d") + Rnam("e") + Fadt())}));
}

TEST(FactionRecords, ANewRunStartsAgainAtTheFirstSlot) {
    // Reactions: only the last run survives.
    ExpectSavedAs(File({Faction(Reaction("A", 1) + Reaction("B", 2) + Fadt() + Reaction("C", 3))}),
                  File({Faction(Fadt() + Reaction("C", 3))}));
    // Rank names: the new run overwrites from slot 0 and leaves the later slots.
    ExpectSavedAs(File({Faction(Rnam("r0") + Rnam("r1") + Rnam("r2") + Fadt() + Rnam("q0"))}),
                  File({Faction(Rnam("q0") + Rnam("r1") + Rnam("r2") + Fadt())}));
}

// Decision: rank names beyond the tenth slot are skipped by their stored length and taken off the Size;
// the record reads on with the subrecords after them.
TEST(FactionRecords, RankNamesBeyondTheLastSlotAreDropped) {
    std::string ten, twelve;
    for (int i = 0; i < 12; ++i) (i < 10 ? ten : twelve) += Rnam("n" + std::to_string(i));
    ExpectSavedAs(File({Faction(ten + twelve + Fadt() + Reaction("X", 4))}),
                  File({Faction(ten + Fadt() + Reaction("X", 4))}));
}

// Decision: an ANAM that is not followed by its INTV keeps the value 0 without an INTV; the tag after it is
// read as the next subrecord, and the reaction is written back without INTV.
TEST(FactionRecords, ReactionWithoutValueKeepsTheRecordReadable) {
    std::string bytes = File({Faction(Fadt() + ZSub("ANAM", "Lonely") + Reaction("Next", 7))});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    ASSERT_EQ(s.tblFACT[0].Reactions.size(), 2u);
    EXPECT_EQ(s.tblFACT[0].Reactions[0].INTVLen, 0);
    EXPECT_EQ(s.tblFACT[0].Reactions[1].INTV, 7);
    EXPECT_EQ(testutil::RoundTrip(File({Faction(ZSub("ANAM", "Lonely") + Fadt())})),
              File({Faction(Fadt() + ZSub("ANAM", "Lonely"))}));
}

TEST(RaceRecords, SpellsGoOnAcrossRunsAndComeBeforeTheDescription) {
    std::string bytes =
        File({Record("RACE", ZSub("NAME", "race") + ZSub("FNAM", "Race") + Radt() + Npcs("spell one") +
                                 Npcs("spell two") + Sub("DESC", std::string("Desc\0", 5)))});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    const RACERecord& r = s.tblRACE.at(0);
    EXPECT_EQ(r.SkillBonuses[6].Bonus, 14);
    EXPECT_EQ(r.Attributes[7].Female, 30);
    EXPECT_EQ(r.HeightFemale, 0.95f);
    EXPECT_EQ(r.WeightFemale, 0.9f);
    EXPECT_EQ(r.RaceFlags, 3);
    ASSERT_EQ(r.Specials.size(), 2u);
    EXPECT_EQ(r.Specials[1].SpellID, Fixed("spell two", 32));
    ExpectSavedAs(File({Record("RACE", Npcs("spell one") + ZSub("NAME", "race") +
                                           Sub("DESC", std::string("Desc\0", 5)) + Npcs("spell two") +
                                           Radt() + ZSub("FNAM", "Race"))}),
                  bytes);
}

TEST(SkillAndBirthsignRecords, LayoutsAndOptionalSubrecords) {
    std::string skill = Record(
        "SKIL", Sub("INDX", I32(20)) + Sub("SKDT", I32(7) + I32(2) + F32(1) + F32(2) + F32(0.5f) + F32(1)) +
                    Sub("DESC", "Skill"));
    std::string sign = Record("BSGN", ZSub("NAME", "sign") + ZSub("FNAM", "Sign") + Sub("DESC", "Stars") +
                                          Npcs("blessing") + Npcs("curse"));
    ExpectExact(File({skill, sign}));
    RecordStore s;
    testutil::Load(File({skill, sign}), s);
    EXPECT_EQ(s.tblSKIL.at(0).INDX, 20);
    EXPECT_EQ(s.tblSKIL[0].UseValues[2], 0.5f);
    EXPECT_EQ(s.tblBSGN.at(0).TNAMLen, 0) << "no texture: no TNAM";
    EXPECT_EQ(s.tblBSGN[0].Specials.size(), 2u);
    std::string withTexture =
        Record("BSGN", ZSub("NAME", "sign") + ZSub("TNAM", "tx.dds") + Npcs("blessing"));
    ExpectExact(File({withTexture}));
}

TEST(CharacterDeleted, NameOrIndexAndDeleOnly) {
    std::string deletedSkill = Record("SKIL", Sub("INDX", I32(3)) + Dele(), 0x20);
    ExpectExact(File({deletedSkill}));
    ExpectSavedAs(File({Record("SKIL", Sub("INDX", I32(3)) + Sub("SKDT", Counting(6, 0)) + Dele(), 0x20)}),
                  File({deletedSkill}));
    // A deleted faction with all its data: the data leaves the Size.
    ExpectSavedAs(File({Faction(Rnam("a") + Fadt() + Reaction("B", 1) + Dele(), 0x20)}),
                  File({Record("FACT", ZSub("NAME", "fac") + Dele(), 0x20)}));
    std::string deletedClass = Record("CLAS", ZSub("NAME", "cls") + Dele(), 0x20);
    ExpectSavedAs(File({Record("CLAS", ZSub("NAME", "cls") + Cldt(1), 0x20)}), File({deletedClass}));
}

// Decision: a record that lacks its data subrecord (or another subrecord its writer always writes) is
// written without it, so that it stays as long as its Size says.
TEST(CharacterDamaged, MissingDataSubrecordsAreLeftOut) {
    ExpectExact(
        File({Record("CLAS", ZSub("NAME", "cls") + ZSub("FNAM", "Class")),
              Record("FACT", ZSub("NAME", "fac") + Rnam("only")), Record("RACE", ZSub("NAME", "race")),
              Record("SKIL", Sub("INDX", I32(1)) + Sub("DESC", "d")), Record("BSGN", Npcs("x"))}));
}

TEST(CharacterDamaged, EveryPrefixSavesToAStableWellFormedFile) {
    std::string bytes =
        File({Record("CLAS", ZSub("NAME", "c") + Cldt(1)), Faction(Rnam("r") + Fadt() + Reaction("A", 1)),
              Record("RACE", ZSub("NAME", "r") + Radt() + Npcs("s")),
              Record("SKIL", Sub("INDX", I32(1)) + Sub("SKDT", Counting(6, 0))),
              Record("BSGN", ZSub("NAME", "b") + Npcs("s"))});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        std::string once = testutil::RoundTrip(bytes.substr(0, n));
        ASSERT_EQ(testutil::RoundTrip(once), once) << "prefix of " << n << " bytes";
    }
}

TEST(CharacterRealPlugin, AllRecordsReadAndComeBackEqual) {
    std::string file = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblCLAS.size(), 1u);
    ASSERT_EQ(s.tblFACT.size(), 1u);
    ASSERT_EQ(s.tblRACE.size(), 1u);
    ASSERT_EQ(s.tblSKIL.size(), 1u);
    ASSERT_EQ(s.tblBSGN.size(), 1u);
    EXPECT_EQ(s.tblCLAS[0].NAME, "test_class");
    EXPECT_EQ(s.tblCLAS[0].CLDTLen, 60);
    const FACTRecord& f = s.tblFACT[0];
    EXPECT_EQ(f.RankNames[2].RankName, "01234567890123456789012345678901");
    EXPECT_EQ(f.RankNames[3].RNAMLen, 0);
    ASSERT_EQ(f.Reactions.size(), 3u);
    EXPECT_EQ(f.Reactions[2].ANAM, std::string("Fighters Guild\0", 15));
    EXPECT_EQ(s.tblRACE[0].Specials.size(), 2u);
    EXPECT_EQ(s.tblSKIL[0].INDX, 20);
    EXPECT_EQ(s.tblBSGN[0].TNAM, "_land_default.dds");
    // Written back alone: the same structures, and the same bytes for each record, since the file has them
    // in the writers' order.
    RecordStore mine;
    mine.tblTES3 = s.tblTES3;
    mine.tblCLAS = s.tblCLAS;
    mine.tblFACT = s.tblFACT;
    mine.tblRACE = s.tblRACE;
    mine.tblSKIL = s.tblSKIL;
    mine.tblBSGN = s.tblBSGN;
    uint64_t repairs = 99;
    std::string out = testutil::Save(mine, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_EQ(back.tblCLAS, s.tblCLAS);
    EXPECT_EQ(back.tblFACT, s.tblFACT);
    EXPECT_EQ(back.tblRACE, s.tblRACE);
    EXPECT_EQ(back.tblSKIL, s.tblSKIL);
    EXPECT_EQ(back.tblBSGN, s.tblBSGN);
    for (const char* tag : {"CLAS", "FACT", "RACE", "SKIL", "BSGN"})
        EXPECT_EQ(RecordsOf(out, tag), RecordsOf(file, tag));
}
