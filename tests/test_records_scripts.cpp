// Scripts (SCPT) and start scripts (SSCR): the variable-name split and join, the saved-game parts, the
// source text rule for saved games, the written order, damaged records and the real plugin.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture_builder.h"
#include "records/scripts.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

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

struct Saved {
    RecordStore store;
    std::string out;
    uint64_t repairs = 0;
};

// Reads bytes and writes them back as a file of the given type.
Saved ReadAndSave(const std::string& bytes, int32_t fileType = kFileTypePlugin) {
    Saved s;
    int32_t count = testutil::Load(bytes, s.store);
    s.out = testutil::Save(s.store, count, fileType, &s.repairs);
    return s;
}

// The one script of a file.
SCPTRecord OneScript(const std::string& bytes) {
    RecordStore s;
    testutil::Load(bytes, s);
    EXPECT_EQ(s.tblSCPT.size(), 1u);
    return s.tblSCPT.empty() ? SCPTRecord{} : s.tblSCPT[0];
}

const std::string kCode = std::string("\x01\x00\x02\x00\xff", 5); // compiled code holds zero bytes

} // namespace

TEST(Scripts, VariableNamesAreSplitByTypeAndJoinedBackByteForByte) {
    std::string scpt =
        Record("SCPT", Schd("counter", 2, 1, 3) + Scvr({"sa", "sb", "lone", "fx", "fy", "fz"}) +
                           Sub("SCDT", kCode) + Text("begin counter\r\nend"));
    std::string file = File({scpt});
    Saved s = ReadAndSave(file);
    ASSERT_EQ(s.store.tblSCPT.size(), 1u);
    const SCPTRecord& rec = s.store.tblSCPT[0];
    EXPECT_EQ(rec.ShortNames, (std::vector<std::string>{"sa", "sb"}));
    EXPECT_EQ(rec.LongNames, (std::vector<std::string>{"lone"}));
    EXPECT_EQ(rec.FloatNames, (std::vector<std::string>{"fx", "fy", "fz"}));
    EXPECT_EQ(rec.SCVRLen, 20);
    EXPECT_EQ(rec.ScriptName, Fixed("counter", 32)) << "the header's name keeps its zero bytes";
    EXPECT_EQ(rec.NumShorts, 2);
    EXPECT_EQ(rec.NumFloats, 3);
    EXPECT_EQ(rec.ScriptDataSize, 4);
    EXPECT_EQ(rec.SCDT, kCode);
    EXPECT_EQ(rec.SCDTLen, 5);
    EXPECT_EQ(rec.SCTX, "begin counter\r\nend");
    EXPECT_EQ(s.out, file);
    EXPECT_EQ(s.repairs, 0u);
    EXPECT_EQ(ReadAndSave(s.out).out, s.out) << "second round trip";
}

TEST(Scripts, TypesWithoutVariablesStayEmptyAndAScriptWithoutVariablesHasNoList) {
    // Only floats: the short and long arrays get no elements.
    SCPTRecord floats = OneScript(File({Record("SCPT", Schd("f", 0, 0, 2) + Scvr({"a", "b"}) + Text("x"))}));
    EXPECT_TRUE(floats.ShortNames.empty());
    EXPECT_TRUE(floats.LongNames.empty());
    EXPECT_EQ(floats.FloatNames, (std::vector<std::string>{"a", "b"}));

    std::string bare = File({Record("SCPT", Schd("bare", 0, 0, 0) + Sub("SCDT", kCode) + Text("end"))});
    Saved s = ReadAndSave(bare);
    EXPECT_EQ(s.store.tblSCPT[0].SCVRLen, 0);
    EXPECT_EQ(s.out, bare) << "no SCVR is added";
    EXPECT_EQ(s.out.find("SCVR"), std::string::npos);
}

TEST(Scripts, SubrecordsAreWrittenInTheGamesOrderWhateverTheFileHad) {
    std::string schd = Schd("order", 1, 0, 0);
    std::string scvr = Scvr({"v"});
    std::string scdt = Sub("SCDT", kCode);
    std::string sctx = Text("text");
    Saved s = ReadAndSave(File({Record("SCPT", sctx + scdt + scvr + schd)}));
    EXPECT_EQ(s.out, File({Record("SCPT", schd + scvr + scdt + sctx)}));
    EXPECT_EQ(s.repairs, 0u);
    EXPECT_EQ(s.store.tblSCPT[0].ShortNames, (std::vector<std::string>{"v"}))
        << "a list read before its header is still filed by the header's counts";
}

TEST(Scripts, EmptySourceTextIsKeptInPluginsAndMastersButLeftOutOfSavedGames) {
    std::string schd = Schd("quiet", 0, 0, 0);
    std::string withEmpty = Record("SCPT", schd + Text(""));
    std::string without = Record("SCPT", schd);

    for (int32_t type : {kFileTypePlugin, kFileTypeMaster}) {
        Saved s = ReadAndSave(File({withEmpty}, type), type);
        EXPECT_EQ(s.out, File({withEmpty}, type)) << "an SCTX of size 0 stays, type " << type;
        EXPECT_EQ(s.repairs, 0u);
    }
    Saved game = ReadAndSave(File({withEmpty}, kFileTypeSavedGame), kFileTypeSavedGame);
    EXPECT_EQ(game.out, File({without}, kFileTypeSavedGame)) << "the empty text is left out of a saved game";

    // A script read without any text gets an empty one in a plugin; the writer corrects the Size for it.
    Saved added = ReadAndSave(File({without}));
    EXPECT_EQ(added.out, File({withEmpty}));
    EXPECT_EQ(added.repairs, 1u);
    // A saved game keeps a text that is not empty.
    std::string withText = Record("SCPT", schd + Text("begin"));
    EXPECT_EQ(ReadAndSave(File({withText}, kFileTypeSavedGame), kFileTypeSavedGame).out,
              File({withText}, kFileTypeSavedGame));
}

TEST(Scripts, SavedGamePartsAreReadAndWrittenWithTheReferenceLast) {
    std::string schd = Schd("game", 3, 0, 2);
    std::string scvr = Scvr({"a", "b", "c", "x", "y"});
    std::string slsd = Sub("SLSD", U16(1) + U16(0xFFFF) + U16(300));
    std::string slfd = Sub("SLFD", F32(1.5f) + F32(-2.25f));
    std::string slcs = Sub("SLCS", std::string("\0\1\2\3", 4));
    std::string rnam = Sub("RNAM", "player");
    std::string scdt = Sub("SCDT", kCode);
    std::string in = Record("SCPT", rnam + slfd + schd + slsd + scvr + slcs + scdt);
    Saved s = ReadAndSave(File({in}, kFileTypeSavedGame), kFileTypeSavedGame);
    const SCPTRecord& rec = s.store.tblSCPT[0];
    EXPECT_EQ(rec.SLSDLen, 6);
    EXPECT_EQ(rec.ShortValues, (std::vector<int16_t>{1, -1, 300}));
    EXPECT_EQ(rec.FloatValues, (std::vector<float>{1.5f, -2.25f}));
    EXPECT_EQ(rec.SLCS, std::string("\0\1\2\3", 4));
    EXPECT_EQ(rec.RNAM, "player");
    EXPECT_EQ(rec.RNAMLen, 6);
    EXPECT_EQ(s.out,
              File({Record("SCPT", schd + scvr + scdt + slcs + slsd + slfd + rnam)}, kFileTypeSavedGame));
    EXPECT_EQ(s.repairs, 0u);
}

// Decision: a DELE inside a script is consumed like in every other record instead of ending the record
// (which would make the rest of the file read as garbage). Scripts are never written with DELE, so its
// 12 bytes leave the script's Size and the saved file stays consistent.
TEST(ScriptDecisions, DeleInsideAScriptIsConsumedAndDropped) {
    std::string body = Schd("gone", 0, 0, 0) + Text("end");
    std::string next = Record("SSCR", Sub("NAME", "gone"));
    std::string file = File({Record("SCPT", Schd("gone", 0, 0, 0) + Dele() + Text("end"), 0x20), next});
    RecordStore store;
    int32_t count = testutil::Load(file, store);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(store.tblUnknown.empty()) << "DELE is not taken for a record";
    ASSERT_EQ(store.tblSCPT.size(), 1u);
    EXPECT_EQ(store.tblSCPT[0].SCTX, "end") << "the subrecords after DELE belong to the script";
    EXPECT_EQ(store.tblSCPT[0].Size, static_cast<int32_t>(body.size()));
    ASSERT_EQ(store.tblSSCR.size(), 1u);
    uint64_t repairs = 9;
    EXPECT_EQ(testutil::Save(store, count, 0, &repairs), File({Record("SCPT", body, 0x20), next}));
    EXPECT_EQ(repairs, 0u);
}

// Decision: the header's counts decide where the names go; names beyond their sum are dropped and the
// list's length and the Size shrink by their bytes. Too few names leave the later types short. A list
// that keeps no name is not written.
TEST(ScriptDecisions, VariableCountsThatDisagreeWithTheList) {
    {
        Saved s =
            ReadAndSave(File({Record("SCPT", Schd("more", 1, 0, 1) + Scvr({"s", "f", "extra1", "x2"}))}));
        const SCPTRecord& rec = s.store.tblSCPT[0];
        EXPECT_EQ(rec.ShortNames, (std::vector<std::string>{"s"}));
        EXPECT_EQ(rec.FloatNames, (std::vector<std::string>{"f"}));
        EXPECT_EQ(rec.SCVRLen, 4);
        EXPECT_EQ(s.out, File({Record("SCPT", Schd("more", 1, 0, 1) + Scvr({"s", "f"}) + Text(""))}));
        EXPECT_EQ(s.repairs, 1u) << "only the SCTX added for the plugin";
    }
    {
        Saved s =
            ReadAndSave(File({Record("SCPT", Schd("less", 2, 2, 1) + Scvr({"a", "b", "c"}) + Text(""))}));
        const SCPTRecord& rec = s.store.tblSCPT[0];
        EXPECT_EQ(rec.ShortNames.size(), 2u);
        EXPECT_EQ(rec.LongNames, (std::vector<std::string>{"c"}));
        EXPECT_TRUE(rec.FloatNames.empty());
        EXPECT_EQ(rec.NumFloats, 1) << "the header is carried as read";
        EXPECT_EQ(s.repairs, 0u);
        EXPECT_EQ(s.out, File({Record("SCPT", Schd("less", 2, 2, 1) + Scvr({"a", "b", "c"}) + Text(""))}));
    }
    {
        // No counts at all: every name is dropped and so is the list.
        Saved s = ReadAndSave(File({Record("SCPT", Scvr({"lost"}) + Schd("none", 0, 0, 0) + Text(""))}));
        EXPECT_EQ(s.store.tblSCPT[0].SCVRLen, 0);
        EXPECT_EQ(s.out, File({Record("SCPT", Schd("none", 0, 0, 0) + Text(""))}));
        EXPECT_EQ(s.repairs, 0u);
    }
    {
        // An empty name inside the list is a name like any other and keeps its place.
        std::string in = File({Record("SCPT", Schd("gap", 2, 0, 1) + Scvr({"", "b", "c"}) + Text(""))});
        Saved s = ReadAndSave(in);
        EXPECT_EQ(s.store.tblSCPT[0].ShortNames, (std::vector<std::string>{"", "b"}));
        EXPECT_EQ(s.out, in);
    }
}

// Decision: saved-game values are read as whole values only; the bytes of an incomplete last value are
// dropped with the length and the Size shrinking by them, and a subrecord left without any value is not
// written.
TEST(ScriptDecisions, LocalValuesWithAnIncompleteLastValue) {
    std::string schd = Schd("odd", 0, 0, 0);
    Saved s = ReadAndSave(
        File({Record("SCPT", schd + Sub("SLSD", U16(7) + U16(8) + U8(9)) + Sub("SLFD", F32(3.0f) + "\1\2"))},
             kFileTypeSavedGame),
        kFileTypeSavedGame);
    const SCPTRecord& rec = s.store.tblSCPT[0];
    EXPECT_EQ(rec.ShortValues, (std::vector<int16_t>{7, 8}));
    EXPECT_EQ(rec.SLSDLen, 4);
    EXPECT_EQ(rec.FloatValues, (std::vector<float>{3.0f}));
    EXPECT_EQ(rec.SLFDLen, 4);
    EXPECT_EQ(s.out, File({Record("SCPT", schd + Sub("SLSD", U16(7) + U16(8)) + Sub("SLFD", F32(3.0f)))},
                          kFileTypeSavedGame));
    EXPECT_EQ(s.repairs, 0u);

    Saved tiny = ReadAndSave(File({Record("SCPT", schd + Sub("SLSD", U8(1)) + Sub("SLFD", "abc"))}, 32), 32);
    EXPECT_TRUE(tiny.store.tblSCPT[0].ShortValues.empty());
    EXPECT_EQ(tiny.store.tblSCPT[0].SLSDLen, 0);
    EXPECT_EQ(tiny.out, File({Record("SCPT", schd)}, 32));
    EXPECT_EQ(tiny.repairs, 0u);
}

// Decision: a script without its header is written without one (nothing is invented), and a header of
// the wrong size is read by its size, missing bytes as zeros, and written with the header's 52 bytes.
TEST(ScriptDecisions, MissingOrMisSizedHeader) {
    std::string noHeader = File({Record("SCPT", Sub("SCDT", kCode) + Text("end"))});
    Saved s = ReadAndSave(noHeader);
    EXPECT_EQ(s.out, noHeader);
    EXPECT_EQ(s.repairs, 0u);

    std::string shortHeader = Sub("SCHD", Fixed("cut", 32) + I32(1));
    Saved cut = ReadAndSave(File({Record("SCPT", shortHeader + Scvr({"s"}) + Text("t"))}));
    EXPECT_EQ(cut.store.tblSCPT[0].NumShorts, 1);
    EXPECT_EQ(cut.store.tblSCPT[0].LocalVarSize, 0);
    EXPECT_EQ(cut.store.tblSCPT[0].ShortNames, (std::vector<std::string>{"s"}));
    EXPECT_EQ(cut.out, File({Record("SCPT", Schd("cut", 1, 0, 0, 0, 0) + Scvr({"s"}) + Text("t"))}));
    EXPECT_EQ(cut.repairs, 0u);
}

TEST(StartScripts, NameIsWrittenBeforeDataAndStringsKeepTheirBytes) {
    // As the game stores them: DATA then NAME, both with a terminating zero inside the length.
    std::string data = Sub("DATA", Z("3242152102596924"));
    std::string name = Sub("NAME", Z("start_me"));
    Saved s = ReadAndSave(File({Record("SSCR", data + name)}));
    ASSERT_EQ(s.store.tblSSCR.size(), 1u);
    const SSCRRecord& rec = s.store.tblSSCR[0];
    EXPECT_EQ(rec.NAME, Z("start_me")) << "held with whatever the file stored";
    EXPECT_EQ(rec.NAMELen, 9);
    EXPECT_EQ(rec.DATALen, 17);
    EXPECT_EQ(s.out, File({Record("SSCR", name + data)}));
    EXPECT_EQ(s.repairs, 0u);
    EXPECT_EQ(ReadAndSave(s.out).out, s.out);
}

TEST(StartScripts, DeletedEntryWritesDeleFirstAndKeepsBothStrings) {
    std::string data = Sub("DATA", "12");
    std::string name = Sub("NAME", "old");
    Saved s = ReadAndSave(File({Record("SSCR", data + name + Dele(), 0x20)}));
    EXPECT_EQ(s.out, File({Record("SSCR", Dele() + name + data, 0x20)}));
    EXPECT_EQ(s.repairs, 0u);
    // A deleted entry read without DELE gets it, and its Size grows by it.
    Saved flagged = ReadAndSave(File({Record("SSCR", name + data, 0x20)}));
    EXPECT_EQ(flagged.out, File({Record("SSCR", Dele() + name + data, 0x20)}));
    EXPECT_EQ(flagged.repairs, 0u);
    // A DELE in an entry that is not deleted is not written back.
    Saved stray = ReadAndSave(File({Record("SSCR", name + Dele() + data)}));
    EXPECT_EQ(stray.out, File({Record("SSCR", name + data)}));
    EXPECT_EQ(stray.repairs, 0u);
}

// Decision: an entry lacking NAME or DATA, or holding one of size 0, is written without it, and the Size
// follows.
TEST(StartScriptDecisions, MissingOrEmptyStringsAreLeftOut) {
    std::string name = Sub("NAME", "only");
    Saved s = ReadAndSave(File({Record("SSCR", name)}));
    EXPECT_EQ(s.out, File({Record("SSCR", name)}));
    Saved empty = ReadAndSave(File({Record("SSCR", Sub("DATA", "") + name)}));
    EXPECT_EQ(empty.out, File({Record("SSCR", name)}));
    EXPECT_EQ(empty.repairs, 0u);
}

// Every prefix of a file with scripts reads without harm and is saved as a well-formed file that saves
// again to the same bytes.
TEST(ScriptDamage, EveryPrefixSavesWellFormedAndStable) {
    std::string bytes =
        File({Record("SCPT", Schd("trunc", 1, 1, 1) + Scvr({"short1", "long1", "float1"}) +
                                 Sub("SCDT", kCode) + Text("begin trunc\r\nend") + Sub("SLSD", U16(3)) +
                                 Sub("SLFD", F32(2.0f)) + Sub("SLCS", "cs") + Sub("RNAM", "ref")),
              Record("SSCR", Sub("DATA", Z("123")) + Sub("NAME", Z("trunc")))});
    for (int32_t type : {kFileTypePlugin, kFileTypeSavedGame}) {
        for (size_t n = 0; n <= bytes.size(); ++n) {
            Saved once = ReadAndSave(bytes.substr(0, n), type);
            EXPECT_EQ(ReadAndSave(once.out, type).out, once.out) << "cut at " << n << ", type " << type;
        }
    }
}

TEST(ScriptDamage, AbsurdLengthsDoNotAllocateOrRunAway) {
    std::string bytes =
        Header(1) + Record("SCPT", Schd("big", 1, 0, 0) + SubWithSize("SLSD", 0x7FFFFFF0u, "ab") +
                                       SubWithSize("SCVR", 0x7FFFFFF0u, "x"));
    Saved once = ReadAndSave(bytes, kFileTypeSavedGame);
    EXPECT_LT(once.out.size(), 4 * ByteReader::kMaxPadding)
        << "only what the file holds, and a bounded filler";
    EXPECT_EQ(ReadAndSave(once.out, kFileTypeSavedGame).out, once.out);
}

TEST(ScriptsInRealPlugin, ReadAndSurviveSaving) {
    RecordStore store;
    int32_t count = testutil::Load(testutil::ReadFile(testutil::SharedFixture("all_types.esp")), store);
    ASSERT_GT(count, 1);
    ASSERT_EQ(store.tblSCPT.size(), 1u);
    const SCPTRecord& scpt = store.tblSCPT[0];
    EXPECT_EQ(scpt.ScriptName.substr(0, 12), Z("test_script"));
    EXPECT_EQ(scpt.ShortNames, (std::vector<std::string>{"test_short"}));
    EXPECT_EQ(scpt.LongNames, (std::vector<std::string>{"test_long"}));
    EXPECT_EQ(scpt.FloatNames, (std::vector<std::string>{"test_float"}));
    EXPECT_EQ(scpt.SCTX.substr(0, 17), "begin test_script");
    EXPECT_EQ(static_cast<int32_t>(scpt.SCTX.size()), scpt.SCTXLen);
    ASSERT_EQ(store.tblSSCR.size(), 1u);
    EXPECT_EQ(store.tblSSCR[0].NAME, Z("test_script"));
    EXPECT_FALSE(store.tblSSCR[0].DATA.empty());
    EXPECT_TRUE(store.tblUnknown.empty());

    std::string out = testutil::Save(store, count);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_EQ(back.tblSCPT, store.tblSCPT);
    EXPECT_EQ(back.tblSSCR, store.tblSSCR);
}
