// Global variables and game settings: the value rules applied on reading, the writers' fixed order, and
// subrecords of other lengths or tags, which come back as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fixture_builder.h"
#include "records/globals.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

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

TEST(GlobalsRoundTrip, OneSettingValueAndDeletedRecordsAreShort) {
    // The first value set in the order string, integer, float is written, whatever the file's order.
    ExpectSavedAs(File({Gmst("sBoth", Sub("INTV", I32(4)) + Sub("STRV", "text"))}),
                  File({Gmst("sBoth", Sub("STRV", "text"))}));
    ExpectSavedAs(File({Gmst("iBoth", Sub("FLTV", F32(2.0f)) + Sub("INTV", I32(4)))}),
                  File({Gmst("iBoth", Sub("INTV", I32(4)))}));
    // Deleted: the name and DELE only, with or without the data in the file.
    std::string deletedGlob = Record("GLOB", ZSub("NAME", "gone") + Dele(), 0x20);
    ExpectExact(File({deletedGlob}));
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
    GMSTRecord shortInt = testutil::ReadBody(ReadGMST, Sub("NAME", "i") + Sub("INTV", "\1\2"));
    EXPECT_EQ(shortInt.INTVLen, 0) << "a value kept whole is not a value of the setting";
    EXPECT_TRUE(shortInt.extras.has("INTV"_tag));
}

// A record that lacks a subrecord its writer writes (the type letter, the value, the name) is written
// without it.
TEST(GlobalsDamaged, MissingSubrecordsAreLeftOut) {
    ExpectExact(
        File({Record("GMST", Sub("INTV", I32(1))), Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "l"))}));
}
