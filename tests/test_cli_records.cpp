// dump, build and diff: records as JSON both ways, and what two files hold differently.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "cli_runner.h"
#include "fixture_builder.h"
#include "generator/generator.h"
#include "outline/outline.h"
#include "record_json.h"
#include "test_util.h"
#include "text_1252.h"

using namespace fixture;
using testutil::Cli;

namespace {

// Subrecords that decode only in part, or not at all: a float NaN with a payload, -0.0 and the largest
// float, a string with bytes after its terminator, a layout of the wrong length, an unknown subrecord, an
// unknown record whose body is not subrecords, and texts with quotes, controls and characters above 127.
std::string OddFile() {
    const float nan = std::bit_cast<float>(0x7FC01234u), big = std::numeric_limits<float>::max();
    return File({Record("GMST", ZSub("NAME", "fOdd") + Sub("FLTV", F32(nan))),
                 Record("GMST", ZSub("NAME", "fZero") + Sub("FLTV", F32(-0.0f))),
                 Record("GMST", ZSub("NAME", "fBig") + Sub("FLTV", F32(big)) + Sub("FLTV", F32(0.1f))),
                 Record("NPC_", Sub("NAME", std::string("a\0b\0", 4)) + Sub("NPDT", "short") +
                                    Sub("XTRA", "\x01\x02")),
                 Record("ZZZZ", "no subrecords here", 0x2000, 7),
                 Record("BOOK", ZSub("NAME", "b") + Sub("TEXT", "\"Caf\xE9\"\r\n\t\x01\x80\x81 \\"))});
}

std::string DumpThenBuild(const std::string& bytes) {
    std::string back;
    auto error = vellum::cli::BuildRecords(vellum::cli::DumpRecords(bytes), back);
    EXPECT_FALSE(error) << *error;
    return back;
}

} // namespace

TEST(CliRecords, DumpThenBuildGivesBackEveryByte) {
    namespace gen = vellum::gen;
    const std::string files[] = {testutil::ReadFile(testutil::SharedFixture("all_types.esp")),
                                 testutil::ReadFile(std::string(VELLUM_SOURCE_DIR) + "/examples/Sample.esp"),
                                 gen::GeneratePlugin(gen::SamplePreset()),
                                 gen::GeneratePlugin(gen::SmallPreset(50)),
                                 gen::GeneratePlugin(gen::UnusualPreset()),
                                 gen::GeneratePlugin(gen::MasterPreset()),
                                 OddFile()};
    for (const std::string& bytes : files) {
        ASSERT_GT(bytes.size(), 100u);
        EXPECT_TRUE(DumpThenBuild(bytes) == bytes) << "a file of " << bytes.size() << " bytes";
    }
}

TEST(CliRecords, TheCommandsRoundTripAndTheDumpIsDeterministic) {
    testutil::TempDir dir;
    const std::string plugin = testutil::SharedFixture("all_types.esp");
    ASSERT_EQ(Cli({"dump", plugin, "-o", dir.file("a.json")}).status, 0);
    EXPECT_EQ(Cli({"dump", plugin}).out, testutil::ReadFile(dir.file("a.json")));
    ASSERT_EQ(Cli({"build", dir.file("a.json"), "-o", dir.file("a.esp")}).status, 0);
    EXPECT_TRUE(testutil::ReadFile(dir.file("a.esp")) == testutil::ReadFile(plugin));
    // A damaged file is refused with its report, as the other commands refuse it.
    testutil::WriteFile(dir.file("bad.esp"), Header(1) + "\xFF\xFF\xFF");
    const testutil::CliRun bad = Cli({"dump", dir.file("bad.esp"), "-o", dir.file("bad.json")});
    EXPECT_EQ(bad.status, 3);
    EXPECT_NE(bad.err.find("is damaged; nothing written"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.json")));
    // A field a line: a changed value shows as one changed line of the dump.
    const std::string text = Cli({"dump", plugin}).out;
    EXPECT_NE(text.find("\n        \"Level\": "), std::string::npos);
    EXPECT_NE(text.find("\n      {\"FNAM\": \""), std::string::npos);
}

TEST(CliRecords, BadJsonIsRefusedWithItsRecordAndFieldAndNothingIsWritten) {
    const std::string npc =
        R"({"tag": "NPC_", "header1": 0, "flags": 0, "subrecords": [{"NAME": "fargoth"}, )";
    const struct {
        std::string json, error;
    } cases[] = {
        {"[" + npc, " is not valid JSON: "},
        {"[" + npc +
             R"({"NPDT": {"Level": "5", "Disposition": 1, "Reputation": 0, "Rank": 0, "Unknown": [0, 0, 0],)"
             R"( "Gold": 0}}]}])",
         R"(: record 1 (NPC_ "fargoth"), NPDT.Level: expected an integer, found text; nothing written)"},
        {"[" + npc +
             R"({"NPDT": {"Level": 18446744073709551615, "Disposition": 1, "Reputation": 0, "Rank": 0,)"
             R"( "Unknown": [0, 0, 0], "Gold": 0}}]}])",
         R"(NPDT.Level: the integer 18446744073709551615 does not fit the field)"},
        {"[" + npc + R"({"NPDT": {"Level": 1, "Gold": 0}}]}])",
         R"(: record 1 (NPC_ "fargoth"), NPDT: fields that match no layout of NPDT)"},
        {R"([{"tag": "NPC_", "header1": 0, "subrecords": []}])",
         R"(: record 1 (NPC_), missing field "flags")"},
        {R"([{"tag": "NPC_", "header1": true, "flags": 0, "subrecords": []}])",
         R"(: record 1 (NPC_), header1: expected a text, number, list or fields, found true)"},
        {R"([{"tag": "ABCD", "header1": 0, "flags": 0, "hex": "3:"}])",
         R"(: record 1 (ABCD), hex: hex digits in pairs expected)"},
        {R"([{"tag": "ABCD", "header1": 0, "flags": 0}])",
         R"(: record 1 (ABCD), either "subrecords" or "hex" expected)"},
        {R"([{"tag": "ABCD", "header1": 0, "flags": 0, "subrecords": [{"DATA": {"Size": 1}}]}])",
         R"(: record 1 (ABCD), DATA: fields that match no layout of DATA)"},
        {"[" + npc + R"({"NPCO": {"Count": 1, "Name": "x"}}]}])",
         R"(: record 1 (NPC_ "fargoth"), NPCO: fields that match no layout of NPCO)"},
        {"[" + npc + R"({"FNAM": "Fargoth \u65e5"}]}])",
         R"(: record 1 (NPC_ "fargoth"), FNAM: a text with characters outside Windows-1252)"},
        {"[" + npc +
             R"({"NPCO": {"Count": 1, "Item": "a name far longer than the thirty-two characters"}}]}])",
         R"(NPCO.Item: a text of at most 32 characters)"},
    };
    testutil::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        testutil::WriteFile(dir.file("in.json"), c.json);
        const testutil::CliRun r = Cli({"build", dir.file("in.json"), "-o", dir.file("out.esp")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.esp")));
    }
}

TEST(CliRecords, DiffListsAddedRemovedAndChangedRecordsByTypeAndId) {
    auto npc = [](int level, const std::string& name, char unknown = 0) {
        return Record("NPC_", ZSub("NAME", "fargoth") + ZSub("FNAM", name) +
                                  Sub("NPDT", U16(uint16_t(level)) + std::string(3, '\0') + unknown +
                                                  std::string(2, '\0') + I32(10)));
    };
    const std::string setting = Record("GMST", ZSub("NAME", "iLevel") + Sub("INTV", I32(3)));
    const std::string topic = Record("DIAL", ZSub("NAME", "Greeting") + Sub("DATA", U8(0)));
    auto info = [](const std::string& id, const std::string& text) {
        return Record("INFO", ZSub("INAM", id) + Sub("NAME", text));
    };
    const std::string a = File({setting, npc(5, "Fargoth"), Record("WEAP", ZSub("NAME", "dagger")), topic,
                                info("1", "Hello."), info("2", "Bye.")});
    // The setting moves (no difference), the NPC changes, the weapon goes, an item comes, a response loses
    // its text and another changes.
    const std::string b =
        File({npc(6, "Fargoth the Wise", 1), topic, Record("INFO", ZSub("INAM", "1")), info("2", "Farewell."),
              Record("MISC", ZSub("NAME", "spoon"), 0x400), setting});
    testutil::TempDir dir;
    testutil::WriteFile(dir.file("a.esp"), a);
    testutil::WriteFile(dir.file("b.esp"), b);
    const testutil::CliRun r = Cli({"diff", dir.file("a.esp"), dir.file("b.esp")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "changed NPC_ \"fargoth\"\n"
                     "  FNAM: \"Fargoth\" -> \"Fargoth the Wise\"\n"
                     "  NPDT.Level: 5 -> 6\n"
                     "  NPDT.Unknown[0]: 0 -> 1\n"
                     "removed WEAP \"dagger\"\n"
                     "changed INFO \"1\" in topic \"Greeting\"\n"
                     "  NAME: \"Hello.\" -> (none)\n"
                     "changed INFO \"2\" in topic \"Greeting\"\n"
                     "  NAME: \"Bye.\" -> \"Farewell.\"\n"
                     "added MISC \"spoon\"\n");
    const auto j = nlohmann::json::parse(Cli({"diff", dir.file("a.esp"), dir.file("b.esp"), "--json"}).out);
    EXPECT_EQ(j[2],
              nlohmann::json::parse(R"({"change": "changed", "tag": "INFO", "id": "1", "topic": "Greeting",
        "fields": [{"field": "NAME", "old": "Hello.", "new": null}]})"));
    const testutil::CliRun same = Cli({"diff", dir.file("a.esp"), dir.file("a.esp")});
    EXPECT_EQ(std::make_tuple(same.status, same.out), std::make_tuple(0, ""));
}

TEST(CliRecords, DiffOfAMorrowindizedCopyNamesTheCleanedResponses) {
    testutil::TempDir dir;
    const std::string plugin = dir.file("Town.esp"), clean = dir.file("clean.esp");
    testutil::WriteFile(plugin, vellum::gen::GeneratePlugin(vellum::gen::SamplePreset()));
    ASSERT_EQ(Cli({"morrowindize", plugin, "-o", clean}).status, 0);
    // The responses the clean-up changed, by topic and ID, from the stores of both files.
    vellum::RecordStore before, after;
    testutil::Load(testutil::ReadFile(plugin), before);
    testutil::Load(testutil::ReadFile(clean), after);
    std::set<std::pair<std::string, std::string>> expected, listed;
    for (size_t i = 0; i < before.tblINFO.size(); ++i)
        if (before.tblINFO[i].NAME != after.tblINFO[i].NAME)
            expected.insert({before.tblINFO[i].Topic, before.tblINFO[i].INAM});
    ASSERT_FALSE(expected.empty());
    const testutil::CliRun r = Cli({"diff", plugin, clean, "--json"});
    EXPECT_EQ(r.status, 1);
    for (const auto& c : nlohmann::json::parse(r.out)) {
        EXPECT_EQ(std::make_tuple(c["change"], c["fields"].size(), c["fields"][0]["field"]),
                  std::make_tuple("changed", size_t{1}, "NAME"));
        listed.insert({vellum::cli::WordToCp1252(c["topic"].get<std::string>()),
                       vellum::cli::WordToCp1252(c["id"].get<std::string>())});
    }
    EXPECT_EQ(listed, expected);
}

// The record browser's list names each record by its ID and display name, read straight from its bytes.
TEST(RecordTitles, IdAndNameOfEachKindOfRecord) {
    const std::string bytes =
        File({Record("NPC_", ZSub("NAME", "fargoth") + ZSub("FNAM", "Fargoth")), Dial("Greeting"),
              Record("INFO", ZSub("INAM", "7") + Sub("NAME", "Hello.")),
              Record("CELL", ZSub("NAME", "") + Sub("DATA", U32(2) + I32(3) + I32(-2))),
              Record("LAND", Sub("INTV", I32(3) + I32(-2)) + Sub("VHGT", "x")),
              Record("NPC_", ZSub("NAME", "odd") + Sub("FNAM", std::string("Nam\0junk", 8)))});
    std::vector<std::string> titles;
    for (const vellum::RecordSpan& span : vellum::FrameRecords(bytes)) {
        const vellum::RecordTitle t = vellum::TitleOf(bytes, span);
        titles.push_back(t.id + "|" + t.name);
    }
    // The header has neither; a cell or landscape without a name is known by its grid; a name that is not
    // plain text (bytes after its end) is left out rather than shown as hex.
    EXPECT_EQ(titles, (std::vector<std::string>{"|", "fargoth|Fargoth", "Greeting|", "7|Hello.", "3, -2|",
                                                "3, -2|", "odd|"}));
}
