// Global variables and game settings: the value rules applied on reading, the writers' fixed order and the
// handling of damaged records.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fixture_builder.h"
#include "records/globals.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

std::string Glob(std::string_view name, std::string_view type, float value, uint32_t flags = 0) {
    return Record("GLOB", ZSub("NAME", name) + Sub("FNAM", type) + Sub("FLTV", F32(value)), flags);
}
std::string Gmst(std::string_view name, std::string_view valueSubs, uint32_t flags = 0) {
    return Record("GMST", Sub("NAME", Z(name)) + std::string(valueSubs), flags);
}

// The value a global holds after reading a file with it alone.
float ReadGlobal(std::string_view name, std::string_view type, float value) {
    RecordStore s;
    testutil::Load(File({Glob(name, type, value)}), s);
    EXPECT_EQ(s.tblGLOB.size(), 1u);
    return s.tblGLOB.empty() ? -1.0f : s.tblGLOB[0].FLTV;
}

// Loads, saves (no size repairs) and checks the result; a second round trip gives the same bytes.
void ExpectSavedAs(const std::string& in, const std::string& expected) {
    RecordStore s;
    int32_t count = testutil::Load(in, s);
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(repairs, 0u);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}

} // namespace

TEST(GlobalValues, ShortsAreRoundedHalfToEvenWithinTheirRange) {
    EXPECT_EQ(ReadGlobal("a", "s", 12.5f), 12.0f);
    EXPECT_EQ(ReadGlobal("a", "s", 13.5f), 14.0f);
    EXPECT_EQ(ReadGlobal("a", "s", -2.5f), -2.0f);
    EXPECT_EQ(ReadGlobal("a", "s", 7.25f), 7.0f);
    EXPECT_EQ(ReadGlobal("a", "s", 40000.0f), 0.0f);
    EXPECT_EQ(ReadGlobal("a", "s", -32767.0f), -32767.0f);
    EXPECT_EQ(ReadGlobal("a", "s", 32767.0f), 32767.0f);
    EXPECT_EQ(ReadGlobal("a", "s", 32767.5f), 0.0f) << "just outside the range";
    EXPECT_EQ(ReadGlobal("a", "s", -32768.0f), 0.0f);
    EXPECT_EQ(ReadGlobal("a", "s", std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(GlobalValues, LongsAreRoundedWithoutRangeAndFloatsKept) {
    EXPECT_EQ(ReadGlobal("a", "l", 100000.5f), 100000.0f);
    EXPECT_EQ(ReadGlobal("a", "l", 100001.5f), 100002.0f);
    EXPECT_EQ(ReadGlobal("a", "l", -40000.75f), -40001.0f);
    EXPECT_EQ(ReadGlobal("a", "l", 3e9f), 3e9f);
    EXPECT_EQ(ReadGlobal("a", "f", 0.3f), 0.3f);
    EXPECT_EQ(ReadGlobal("a", "f", 12.5f), 12.5f);
    EXPECT_EQ(ReadGlobal("a", "S", 12.5f), 12.5f) << "the type letter is compared with its case";
    EXPECT_TRUE(std::isnan(ReadGlobal("a", "f", std::numeric_limits<float>::quiet_NaN())));
}

TEST(GlobalValues, RatsKilledReadsAsZeroOnlyWithExactCase) {
    EXPECT_EQ(ReadGlobal("ratskilled", "s", 5.0f), 0.0f);
    EXPECT_EQ(ReadGlobal("ratskilled", "f", 2.5f), 0.0f);
    EXPECT_EQ(ReadGlobal("RatsKilled", "s", 5.0f), 5.0f);
}

TEST(GlobalValues, RulesUseWhatWasReadBeforeTheValue) {
    // The value comes first: no type is known yet, so 12.5 is kept; the writer puts FNAM before FLTV, so the
    // saved file reads as 12.
    std::string in = Record("GLOB", Sub("FLTV", F32(12.5f)) + Sub("FNAM", "s") + ZSub("NAME", "late"));
    RecordStore s;
    int32_t count = testutil::Load(File({in}), s);
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(out, File({Glob("late", "s", 12.5f)}));
    EXPECT_EQ(repairs, 0u);
    EXPECT_EQ(testutil::RoundTrip(out), File({Glob("late", "s", 12.0f)}));
}

TEST(SettingValues, FloatsKeepFourDecimalsHalfToEven) {
    EXPECT_EQ(RoundSettingValue(0.333333f), 0.3333f);
    EXPECT_EQ(RoundSettingValue(1.23456f), 1.2346f);
    EXPECT_EQ(RoundSettingValue(0.03125f), 0.0312f) << "exactly halfway: to the even digit";
    EXPECT_EQ(RoundSettingValue(0.09375f), 0.0938f);
    EXPECT_EQ(RoundSettingValue(-0.09375f), -0.0938f);
    EXPECT_EQ(RoundSettingValue(250.0f), 250.0f);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    // Read and written back rounded.
    ExpectSavedAs(File({Gmst("fX", Sub("FLTV", F32(0.333333f)))}),
                  File({Gmst("fX", Sub("FLTV", F32(0.3333f)))}));
}

TEST(GlobalsRoundTrip, WellFormedRecordsComeBackByteForByte) {
    std::string bytes = File({Gmst("sText", Sub("STRV", "Hello")), Gmst("iCount", Sub("INTV", I32(-7))),
                              Gmst("fMult", Sub("FLTV", F32(1.5f))), Record("GMST", Sub("NAME", "bare")),
                              Glob("g_short", "s", -3.0f), Glob("g_float", "f", 0.3f)});
    ExpectSavedAs(bytes, bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    ASSERT_EQ(s.tblGMST.size(), 4u);
    EXPECT_EQ(s.tblGMST[0].NAME, std::string("sText\0", 6)) << "setting names keep every stored character";
    EXPECT_EQ(s.tblGMST[0].STRV, "Hello");
    EXPECT_EQ(s.tblGMST[1].INTV, -7);
    EXPECT_EQ(s.tblGMST[3].STRVLen + s.tblGMST[3].INTVLen + s.tblGMST[3].FLTVLen, 0);
    ASSERT_EQ(s.tblGLOB.size(), 2u);
    EXPECT_EQ(s.tblGLOB[0].NAME, "g_short");
    EXPECT_EQ(s.tblGLOB[0].NAMELen, 8);
    EXPECT_EQ(s.tblGLOB[0].FNAM, "s");
}

TEST(GlobalsRoundTrip, OneSettingValueAndDeletedRecordsAreShort) {
    // STRV wins over INTV whatever their order; the Size follows what is written.
    ExpectSavedAs(File({Gmst("sBoth", Sub("INTV", I32(4)) + Sub("STRV", "text"))}),
                  File({Gmst("sBoth", Sub("STRV", "text"))}));
    ExpectSavedAs(File({Gmst("iBoth", Sub("FLTV", F32(2.0f)) + Sub("INTV", I32(4)))}),
                  File({Gmst("iBoth", Sub("INTV", I32(4)))}));
    // Deleted: the name and DELE only, with or without the data in the file.
    std::string deletedGlob = Record("GLOB", ZSub("NAME", "gone") + Dele(), 0x20);
    ExpectSavedAs(File({deletedGlob}), File({deletedGlob}));
    ExpectSavedAs(
        File({Record("GLOB", ZSub("NAME", "gone") + Sub("FNAM", "l") + Sub("FLTV", F32(3)) + Dele(), 0x20)}),
        File({deletedGlob}));
    ExpectSavedAs(File({Gmst("sGone", Sub("STRV", "x") + Dele(), 0x20)}),
                  File({Gmst("sGone", Dele(), 0x20)}));
    // A deleted record without DELE gets one; a DELE in a record that is not deleted is left out.
    ExpectSavedAs(File({Record("GLOB", ZSub("NAME", "gone"), 0x20)}), File({deletedGlob}));
    ExpectSavedAs(File({Record("GLOB", ZSub("NAME", "k") + Dele() + Sub("FNAM", "f") + Sub("FLTV", F32(1)))}),
                  File({Glob("k", "f", 1)}));
}

// Decision: a type letter whose subrecord is longer than 1 byte keeps its first character; the other bytes
// are skipped, so the record reads on, and taken off the Size; the letter is written back alone. An empty
// FNAM is left out.
TEST(GlobalsDamaged, TypeLetterOfAnotherSizeIsCutToOneCharacter) {
    std::string in = Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "sxx") + Sub("FLTV", F32(12.5f)));
    RecordStore s;
    testutil::Load(File({in}), s);
    ASSERT_EQ(s.tblGLOB.size(), 1u);
    EXPECT_EQ(s.tblGLOB[0].FNAM, "s");
    EXPECT_EQ(s.tblGLOB[0].FNAMLen, 1);
    EXPECT_EQ(s.tblGLOB[0].FLTV, 12.0f) << "the value that follows is read and the short rule applies";
    ExpectSavedAs(File({in}), File({Glob("g", "s", 12.0f)}));
    ExpectSavedAs(File({Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "") + Sub("FLTV", F32(12.5f)))}),
                  File({Record("GLOB", ZSub("NAME", "g") + Sub("FLTV", F32(12.5f)))}));
}

// Decision: a record that lacks a subrecord its writer always writes (the type letter, the value, the
// name) is written without it, so that it stays as long as its Size says.
TEST(GlobalsDamaged, MissingSubrecordsAreLeftOut) {
    std::string noValue = Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "l"));
    ExpectSavedAs(File({noValue}), File({noValue}));
    std::string noName = Record("GMST", Sub("INTV", I32(1)));
    ExpectSavedAs(File({noName}), File({noName}));
}

TEST(GlobalsDamaged, EveryPrefixSavesToAStableWellFormedFile) {
    std::string bytes =
        File({Gmst("sA", Sub("STRV", "abc")), Glob("g", "s", 2.5f), Gmst("fB", Sub("FLTV", F32(1)))});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        std::string once = testutil::RoundTrip(bytes.substr(0, n));
        ASSERT_EQ(testutil::RoundTrip(once), once) << "prefix of " << n << " bytes";
    }
}

TEST(GlobalsRealPlugin, AllRecordsReadAndComeBackEqual) {
    RecordStore s;
    int32_t count = testutil::Load(testutil::ReadFile(testutil::SharedFixture("all_types.esp")), s);
    ASSERT_EQ(s.tblGMST.size(), 3u);
    ASSERT_EQ(s.tblGLOB.size(), 3u);
    for (const GMSTRecord& g : s.tblGMST) {
        EXPECT_GT(g.NAMELen, 1);
        EXPECT_EQ((g.STRVLen != 0) + (g.INTVLen != 0) + (g.FLTVLen != 0), 1) << g.NAME;
    }
    EXPECT_EQ(s.tblGMST[1].INTV, 2);
    for (const GLOBRecord& g : s.tblGLOB) {
        EXPECT_EQ(g.NAME.substr(0, 12), "test_global_");
        EXPECT_EQ(g.FNAM, g.NAME.substr(12));
    }
    RecordStore back;
    testutil::Load(testutil::Save(s, count), back);
    EXPECT_EQ(back.tblGMST, s.tblGMST);
    EXPECT_EQ(back.tblGLOB, s.tblGLOB);
}
