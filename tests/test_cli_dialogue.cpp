// The command line's dialogue export and import: arguments, answers to the questions from options, log
// lines, exit status, and the saved result.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "dialogue/export_text.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using testutil::Cli;
using testutil::CliRun;
using testutil::TempDir;

namespace {

std::string Dial(std::string_view name) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(0)));
}

std::string Info(std::string_view id, std::string_view text, std::string_view result = "") {
    std::string body = ZSub("INAM", id) + Sub("DATA", std::string(12, '\0')) + ZSub("ONAM", "fargoth");
    if (!text.empty()) body += Sub("NAME", text);
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body);
}

// A plugin with a few responses, exported with the command line.
struct Exported {
    TempDir dir;
    std::string plugin = dir.file("Town.esp");
    std::string text = dir.file("town.txt");
    explicit Exported(const std::string& bytes) {
        testutil::WriteFile(plugin, bytes);
        CliRun r = Cli({"export-dialogue", plugin, text});
        EXPECT_EQ(r.status, 0) << r.err;
    }
};

std::string TwoResponses() {
    return File({Dial("Rumors"), Info("1", "Line one\r\nLine two", "Goodbye"), Info("2", "Say \"hi\".")});
}

} // namespace

TEST(CliDialogue, ExportWritesTheTextFileAndPrintsTheLogLines) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp");
    testutil::WriteFile(plugin, TwoResponses());
    CliRun r = Cli({"export-dialogue", plugin, dir.file("out.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Reading \"Town.esp\"..."), std::string::npos);
    EXPECT_NE(r.out.find("-Exported 2 responses from \"Town.esp\" successfully."), std::string::npos);
    RecordStore s;
    testutil::Load(TwoResponses(), s);
    FakeUi ui;
    EXPECT_EQ(testutil::ReadFile(dir.file("out.txt")), BuildDialogueText(s, ui));

    // No responses: an empty file, the error on standard error, status 1.
    std::string empty = dir.file("Empty.esp");
    testutil::WriteFile(empty, File({Dial("alone")}));
    r = Cli({"export-dialogue", empty, dir.file("none.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The operation encountered an error."), std::string::npos);
    EXPECT_NE(r.out.find("-An error occured during dialogue exporting."), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(dir.file("none.txt")), "");

    // An OUT ending in xml runs the XML quote export.
    r = Cli({"export-dialogue", plugin, dir.file("quotes.xml")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testutil::ReadFile(dir.file("quotes.xml")).substr(0, 8), "<quotes>");
}

TEST(CliDialogue, ImportOfAnUnchangedExportSavesTheSameFileAsSave) {
    Exported e(TwoResponses());
    std::string out = e.dir.file("Out.esp"), plain = e.dir.file("Plain.esp");
    CliRun r = Cli({"import-dialogue", e.plugin, e.text, "-o", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Imported 2 responses to \"Town.esp\" successfully."), std::string::npos);
    EXPECT_NE(r.out.find("-Finished writing \"Out.esp\""), std::string::npos);
    ASSERT_EQ(Cli({"save", e.plugin, plain}).status, 0);
    EXPECT_EQ(testutil::ReadFile(out), testutil::ReadFile(plain));

    std::string real = testutil::SharedFixture("all_types.esp");
    r = Cli({"export-dialogue", real, e.dir.file("all.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Cli({"import-dialogue", real, e.dir.file("all.txt"), "-o", e.dir.file("all.esp")});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(Cli({"save", real, e.dir.file("all_plain.esp")}).status, 0);
    EXPECT_EQ(testutil::ReadFile(e.dir.file("all.esp")), testutil::ReadFile(e.dir.file("all_plain.esp")));
}

TEST(CliDialogue, LineBreaksAndRenamesReachTheSavedFile) {
    Exported e(TwoResponses());
    std::string text = testutil::ReadFile(e.text);
    for (size_t p = text.find("\"Rumors\""); p != std::string::npos; p = text.find("\"Rumors\"", p + 1))
        text.replace(p, 8, "\"Gossip\"");
    testutil::WriteFile(e.text, text);
    std::string out = e.dir.file("Out.esp");
    CliRun r = Cli({"import-dialogue", e.plugin, e.text, "--remove-line-breaks", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    RecordStore s;
    testutil::Load(testutil::ReadFile(out), s);
    ASSERT_EQ(s.tblDIAL.size(), 1u);
    EXPECT_EQ(s.tblDIAL[0].NAME, "Gossip");
    ASSERT_EQ(s.tblINFO.size(), 2u);
    EXPECT_EQ(s.tblINFO[0].NAME, "Line one Line two");
    EXPECT_EQ(s.tblINFO[1].Topic, "Gossip");
}

TEST(CliDialogue, OverLongTextsFollowTheOption) {
    Exported e(File({Dial("T"), Info("1", "short"), Info("2", "short")}));
    std::string text = testutil::ReadFile(e.text);
    std::string longText(600, 'z');
    for (size_t p = text.find("\"short\""); p != std::string::npos; p = text.find("\"short\"", p + 1))
        text.replace(p, 7, "\"" + longText + "\"");
    testutil::WriteFile(e.text, text);

    std::string out = e.dir.file("Out.esp");
    for (const std::vector<std::string>& failing :
         {std::vector<std::string>{}, std::vector<std::string>{"--over-512=fail"}}) {
        std::vector<std::string> words = {"import-dialogue", e.plugin, e.text, "-o", out};
        words.insert(words.end(), failing.begin(), failing.end());
        CliRun r = Cli(words);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("\"1\""), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("-Imported"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    for (const char* mode : {"--over-512=trim", "--over-512=no-to-all"}) {
        CliRun r = Cli({"import-dialogue", e.plugin, e.text, "-o", out, mode});
        ASSERT_EQ(r.status, 0) << r.err;
        RecordStore s;
        testutil::Load(testutil::ReadFile(out), s);
        EXPECT_EQ(s.tblINFO[0].NAME, longText.substr(0, 512)) << mode;
        EXPECT_EQ(s.tblINFO[1].NAME, longText.substr(0, 512)) << mode;
    }
}

TEST(CliDialogue, ErrorsAndWrongArguments) {
    Exported e(TwoResponses());
    std::string out = e.dir.file("Out.esp");
    EXPECT_EQ(Cli({"import-dialogue", e.plugin, e.text}).status, 2) << "-o is required";
    EXPECT_EQ(Cli({"import-dialogue", e.plugin, "-o", out}).status, 2);
    EXPECT_EQ(Cli({"import-dialogue", e.plugin, e.text, "-o", out, "--over-512=maybe"}).status, 2);
    EXPECT_EQ(Cli({"import-dialogue", e.plugin, e.text, "-o", out, "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"export-dialogue", e.plugin}).status, 2);
    EXPECT_NE(Cli({"import-dialogue", "--help"}).out.find("--over-512"), std::string::npos);

    // A wrong ID: the message, the error line, status 1 and nothing written.
    std::string text = testutil::ReadFile(e.text);
    text.replace(text.find("\"2\""), 3, "\"9\"");
    testutil::WriteFile(e.text, text);
    CliRun r = Cli({"import-dialogue", e.plugin, e.text, "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("The file has been edited incorrectly. Current offset: 0x"), std::string::npos);
    EXPECT_NE(r.out.find("-An error occured during dialogue importing."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    // A plugin that cannot be read.
    r = Cli({"export-dialogue", e.dir.file("missing.esp"), e.dir.file("x.txt")});
    EXPECT_EQ(r.status, 1);
}
