// Scripts (SCPT) and start scripts (SSCR): the variable-name split and join, the saved-game parts, the
// source text rule for saved games, the written order, what is kept whole, damaged records and the real
// plugin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture_builder.h"
#include "records/scripts.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

std::string Schd(std::string_view name, int32_t shorts, int32_t longs, int32_t floats, int32_t dataSize = 4,
                 int32_t varSize = 0) {
    return Sub("SCHD",
               Fixed(name, 32) + I32(shorts) + I32(longs) + I32(floats) + I32(dataSize) + I32(varSize));
}
// The variable list as the game stores it: every name followed by one zero byte.
std::string Scvr(const std::vector<std::string>& names) {
    std::string data;
    for (const std::string& n : names) data += Z(n);
    return Sub("SCVR", data);
}
std::string Text(std::string_view s) {
    return Sub("SCTX", s);
}

const std::string kCode = std::string("\x01\x00\x02\x00\xff", 5); // compiled code holds zero bytes
const std::string kSchd = Schd("s", 0, 0, 0);
const std::string kSlsd = Sub("SLSD", U16(1) + U16(0xFFFF) + U16(300));
const std::string kSlfd = Sub("SLFD", F32(1.5f) + F32(-2.25f));
const std::string kSlcs = Sub("SLCS", std::string("\0\1\2\3", 4));
const std::string kRnam = Sub("RNAM", "player");
const std::string kData = Sub("DATA", Z("3242152102596924"));
const std::string kName = Sub("NAME", Z("start_me"));

struct Case {
    const char* what;
    std::string in;  // the record as read
    std::string out; // the record as written
    int32_t type = kFileTypePlugin;
};

} // namespace

TEST(Scripts, RecordsAreWrittenAsExpectedAndAgainTheSame) {
    const Case cases[] = {
        {"game order",
         Record("SCPT", Schd("c", 2, 1, 3) + Scvr({"sa", "sb", "l", "fx", "fy", "fz"}) + Sub("SCDT", kCode) +
                            Text("begin c\r\nend")),
         ""},
        {"no variables, no list", Record("SCPT", kSchd + Sub("SCDT", kCode) + Text("end")), ""},
        {"any order comes back in the game's",
         Record("SCPT", Text("t") + Sub("SCDT", kCode) + Scvr({"v"}) + Schd("o", 1, 0, 0)),
         Record("SCPT", Schd("o", 1, 0, 0) + Scvr({"v"}) + Sub("SCDT", kCode) + Text("t"))},
        {"names beyond the counts are kept",
         Record("SCPT", Schd("m", 1, 0, 1) + Scvr({"s", "f", "x1", "x2"}) + Text("")), ""},
        {"fewer names than the counts", Record("SCPT", Schd("l", 2, 2, 1) + Scvr({"a", "b", "c"}) + Text("")),
         ""},
        {"an empty name keeps its place",
         Record("SCPT", Schd("g", 2, 0, 1) + Scvr({"", "b", "c"}) + Text("")), ""},
        {"a list before any header", Record("SCPT", Scvr({"kept"}) + kSchd + Text("")),
         Record("SCPT", kSchd + Scvr({"kept"}) + Text(""))},
        {"a repeated list and header: the last ones count",
         Record("SCPT",
                Scvr({"a", "x"}) + Schd("r", 1, 0, 0) + Scvr({"b", "c"}) + Schd("r", 2, 0, 0) + Text("")),
         Record("SCPT", Schd("r", 2, 0, 0) + Scvr({"b", "c"}) + Text(""))},
        {"no header", Record("SCPT", Sub("SCDT", kCode) + Text("end")), ""},
        {"a header of another length is kept whole",
         Record("SCPT", Sub("SCHD", Fixed("cut", 32) + I32(1)) + Scvr({"s"}) + Text("t")), ""},
        {"a list without its last zero is kept whole",
         Record("SCPT", Schd("z", 1, 0, 0) + Sub("SCVR", "ab") + Text("")), ""},
        {"an empty code is kept whole", Record("SCPT", kSchd + Sub("SCDT", "") + Text("x")), ""},
        {"an unknown subrecord stays in its place",
         Record("SCPT",
                Schd("u", 1, 0, 0) + Sub("XTRA", "abc") + Scvr({"v"}) + Sub("SCDT", kCode) + Text("")),
         ""},
        {"DELE is consumed and not written", Record("SCPT", kSchd + Dele() + Text("end"), 0x20),
         Record("SCPT", kSchd + Text("end"), 0x20)},
        {"a missing text is added to a plugin", Record("SCPT", kSchd), Record("SCPT", kSchd + Text(""))},
        {"an empty text stays in a master", Record("SCPT", kSchd + Text("")), "", kFileTypeMaster},
        {"an empty text leaves a saved game", Record("SCPT", kSchd + Text("")), Record("SCPT", kSchd),
         kFileTypeSavedGame},
        {"a text stays in a saved game", Record("SCPT", kSchd + Text("begin")), "", kFileTypeSavedGame},
        {"saved-game parts in the game's order, the reference last",
         Record("SCPT", kRnam + kSlfd + Schd("p", 3, 0, 2) + kSlsd + Scvr({"a", "b", "c", "x", "y"}) + kSlcs),
         Record("SCPT", Schd("p", 3, 0, 2) + Scvr({"a", "b", "c", "x", "y"}) + kSlcs + kSlsd + kSlfd + kRnam),
         kFileTypeSavedGame},
        {"values that are not whole are kept whole",
         Record("SCPT",
                kSchd + Sub("SLSD", U16(7) + U8(9)) + Sub("SLFD", F32(3.0f) + "\1\2") + Sub("SLSD", "")),
         "", kFileTypeSavedGame},
        {"start script: NAME before DATA", Record("SSCR", kData + kName), Record("SSCR", kName + kData)},
        {"start script deleted: DELE first, both strings kept", Record("SSCR", kData + kName + Dele(), 0x20),
         Record("SSCR", Dele() + kName + kData, 0x20)},
        {"start script flagged deleted gets DELE", Record("SSCR", kName + kData, 0x20),
         Record("SSCR", Dele() + kName + kData, 0x20)},
        {"start script not deleted loses a DELE", Record("SSCR", kName + Dele() + kData),
         Record("SSCR", kName + kData)},
        {"start script with an empty DATA and an unknown subrecord",
         Record("SSCR", Sub("DATA", "") + kName + Sub("XTRA", "") + Sub("DATA", "1")), ""},
    };
    for (const Case& c : cases) {
        const std::string want = File({c.out.empty() ? c.in : c.out}, c.type);
        const std::string once = testutil::RoundTrip(File({c.in}, c.type), c.type);
        EXPECT_EQ(once, want) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once, c.type), once) << c.what << ": second round trip";
    }
}

TEST(Scripts, FieldsAreReadAndVariableNamesFiledByType) {
    const SCPTRecord want{.SCHDLen = kSCHDSize,
                          .ScriptName = Fixed("counter", 32),
                          .NumShorts = 2,
                          .NumLongs = 1,
                          .NumFloats = 2,
                          .ScriptDataSize = 4,
                          .LocalVarSize = 12,
                          .SCVRLen = 19,
                          .ShortNames = {"sa", "sb"},
                          .LongNames = {"l"},
                          .FloatNames = {"fx", "fy"},
                          .ExtraNames = {"more"},
                          .SCDTLen = 5,
                          .SCDT = kCode,
                          .SCTXLen = 3,
                          .SCTX = "end",
                          .RNAMLen = 6,
                          .RNAM = "player",
                          .SLSDLen = 6,
                          .ShortValues = {1, -1, 300},
                          .SLFDLen = 8,
                          .FloatValues = {1.5f, -2.25f},
                          .SLCSLen = 4,
                          .SLCS = std::string("\0\1\2\3", 4)};
    // The list comes before its header: the header's counts still file it.
    const std::string body = Scvr({"sa", "sb", "l", "fx", "fy", "more"}) + Schd("counter", 2, 1, 2, 4, 12) +
                             Sub("SCDT", kCode) + Text("end") + kSlsd + kSlfd + kSlcs + kRnam;
    EXPECT_EQ(testutil::ReadBody(ReadSCPT, body), want);

    const SSCRRecord start{.DATALen = 17, .DATA = Z("3242152102596924"), .NAMELen = 9, .NAME = Z("start_me")};
    EXPECT_EQ(testutil::ReadBody(ReadSSCR, kData + kName), start) << "strings held with what the file stored";
}

// Every prefix of a file with scripts, and lengths that run far past the file, read without harm and save
// as a well-formed file that saves again to the same bytes.
TEST(Scripts, DamagedFilesSaveWellFormedAndStable) {
    std::string bytes = File(
        {Record("SCPT", Schd("trunc", 1, 1, 1) + Scvr({"short1", "long1", "float1"}) + Sub("SCDT", kCode) +
                            Text("begin trunc\r\nend") + Sub("SLSD", U16(3)) + kSlfd + kSlcs + kRnam),
         Record("SSCR", kData + kName)});
    for (int32_t type : {kFileTypePlugin, kFileTypeSavedGame}) {
        for (size_t n = 0; n <= bytes.size(); ++n) {
            std::string once = testutil::RoundTrip(bytes.substr(0, n), type);
            EXPECT_EQ(testutil::RoundTrip(once, type), once) << "cut at " << n << ", type " << type;
        }
    }
    std::string absurd =
        Header(1) + Record("SCPT", Schd("big", 1, 0, 0) + SubWithSize("SLSD", 0x7FFFFFF0u, "ab") +
                                       SubWithSize("SCVR", 0x7FFFFFF0u, "x"));
    std::string once = testutil::RoundTrip(absurd, kFileTypeSavedGame);
    EXPECT_LT(once.size(), 4 * ByteReader::kMaxPadding) << "only what the file holds";
    EXPECT_EQ(testutil::RoundTrip(once, kFileTypeSavedGame), once);
}
