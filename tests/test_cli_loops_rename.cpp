// The command line's loop listing and topic renaming: output as text and JSON, exit status, the options,
// the refusals that write nothing, and the saved result.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "dialogue/loops.h"
#include "fixture_builder.h"
#include "test_util.h"
#include "text_1252.h"

using namespace vellum;
using namespace fixture;
using testutil::Cli;
using testutil::CliRun;
using testutil::TempDir;

namespace {

std::string Dial(std::string_view name, uint8_t type = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)));
}

// A response; choice > 0 adds a choice condition with that number.
std::string Info(std::string_view id, std::string_view text, std::string_view result = "", int32_t choice = 0,
                 std::string_view actor = "fargoth") {
    std::string body = ZSub("INAM", id) + Sub("DATA", std::string(12, '\0')) + ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    if (choice > 0) body += Sub("SCVR", std::string("01500")) + Sub("INTV", I32(choice));
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body);
}

struct Plugin {
    TempDir dir;
    std::string path = dir.file("Town.esp");
    explicit Plugin(const std::string& bytes) { testutil::WriteFile(path, bytes); }
    RecordStore load(const std::string& file) const {
        RecordStore s;
        testutil::Load(testutil::ReadFile(file), s);
        return s;
    }
};

std::string LoopingFile() {
    return File({Dial("Caf\xE9 talk"), Info("1", "Again?", "Choice \"Yes\" 1 \"No\" 2", 1, "d\xE9nise"),
                 Info("2", "Fine.", "Choice \"Quote \\\" tab\t\" 3", 0), Dial("Greeting", 2),
                 Info("3", "Hi.", "choice, \"Hi\", 2\r\nChoice \"Bye\" 2 ; \"comment\"", 2)});
}

} // namespace

TEST(CliLoops, ListsEveryShowingAndExitsOneWhenThereAreAny) {
    Plugin p(LoopingFile());
    CliRun r = Cli({"loops", p.path});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(
        r.out,
        "Topic \"Caf\xE9 talk\", actor \"d\xE9nise\", response \"1\", choice 1: Choice \"Yes\" 1 \"No\" 2\n"
        "Topic \"Greeting\", actor \"fargoth\", response \"3\", choice 2: choice \"Hi\" 2\n"
        "Topic \"Greeting\", actor \"fargoth\", response \"3\", choice 2: Choice \"Bye\" 2\n"
        "3 loops found in 2 of 3 responses.\n");
    EXPECT_EQ(r.err, "");

    // Without loops: status 0; without responses: the log's wording.
    Plugin clean(File({Dial("T"), Info("1", "x", "Choice \"a\" 2", 1)}));
    r = Cli({"loops", clean.path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "No loops found in 1 responses.\n");
    Plugin none(File({Dial("T")}));
    r = Cli({"loops", none.path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\"Town.esp\" contains no dialogue responses.\n");
}

TEST(CliLoops, JsonIsUtf8WithEscapes) {
    Plugin p(LoopingFile());
    CliRun r = Cli({"loops", p.path, "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.out,
        "{\"responses\": 3, \"responsesShown\": 2, \"loops\": [\n"
        "  {\"topic\": \"Caf\xC3\xA9 talk\", \"actor\": \"d\xC3\xA9nise\", \"id\": \"1\", \"index\": 0, "
        "\"slot\": 0, \"choice\": 1, \"line\": \"Choice \\\"Yes\\\" 1 \\\"No\\\" 2\"},\n"
        "  {\"topic\": \"Greeting\", \"actor\": \"fargoth\", \"id\": \"3\", \"index\": 2, \"slot\": 0, "
        "\"choice\": 2, \"line\": \"choice \\\"Hi\\\" 2\"},\n"
        "  {\"topic\": \"Greeting\", \"actor\": \"fargoth\", \"id\": \"3\", \"index\": 2, \"slot\": 0, "
        "\"choice\": 2, \"line\": \"Choice \\\"Bye\\\" 2\"}\n"
        "]}\n");
    Plugin clean(File({Dial("T"), Info("1", "x")}));
    r = Cli({"loops", clean.path, "--json"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "{\"responses\": 1, \"responsesShown\": 0, \"loops\": []}\n");

    EXPECT_EQ(cli::Cp1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8");
}

TEST(CliLoops, TheListIsWhatTheCheckShows) {
    std::string real = testutil::SharedFixture("all_types.esp");
    RecordStore s;
    testutil::Load(testutil::ReadFile(real), s);
    const size_t found = FindLoops(s).size();
    CliRun r = Cli({"loops", real});
    EXPECT_EQ(r.status, found ? 1 : 0) << r.out << r.err;
    EXPECT_NE(r.out.find(std::to_string(s.tblINFO.size()) + " responses."), std::string::npos) << r.out;
}

TEST(CliLoops, WrongArgumentsAndUnreadableFiles) {
    Plugin p(LoopingFile());
    EXPECT_EQ(Cli({"loops"}).status, 2);
    EXPECT_EQ(Cli({"loops", p.path, p.path}).status, 2);
    EXPECT_EQ(Cli({"loops", p.path, "--xml"}).status, 2);
    EXPECT_EQ(Cli({"loops", p.path, "--unknown=maybe"}).status, 2);
    EXPECT_NE(Cli({"loops", "--help"}).out.find("--json"), std::string::npos);
    CliRun r = Cli({"loops", p.dir.file("missing.esp")});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("could not read"), std::string::npos);
}

TEST(CliRenameTopic, RenamesAndSaves) {
    Plugin p(
        File({Dial("Ash"), Info("1", "Ash and ash and ASH, Ashlander.", "AddTopic \"Ash\""), Dial("Vivec"),
              Info("2", "Ask about ash.", "Journal \"ash\" 1"), Dial("ash", 2), Info("3", "Hello.")}));
    std::string out = p.dir.file("Out.esp");
    CliRun r = Cli({"rename-topic", p.path, "Ash", "Dust", "Vivec", "Lord Vivec", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Reading \"Town.esp\"..."), std::string::npos);
    EXPECT_NE(r.out.find("Renamed 2 topics: 2 responses moved, 2 texts and 2 results changed."),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("-Finished writing \"Out.esp\""), std::string::npos) << r.out;
    RecordStore s = p.load(out);
    ASSERT_EQ(s.tblDIAL.size(), 3u);
    EXPECT_EQ(s.tblDIAL[0].NAME, "Dust");
    EXPECT_EQ(s.tblDIAL[1].NAME, "Lord Vivec");
    EXPECT_EQ(s.tblDIAL[2].NAME, "ash") << "a greeting of the same name is not a topic";
    ASSERT_EQ(s.tblINFO.size(), 3u);
    EXPECT_EQ(s.tblINFO[0].Topic, "Dust");
    EXPECT_EQ(s.tblINFO[0].NAME, "Dust and dust and DUST, Dustlander.");
    EXPECT_EQ(s.tblINFO[0].BNAM, "AddTopic \"Dust\"");
    EXPECT_EQ(s.tblINFO[1].Topic, "Lord Vivec");
    EXPECT_EQ(s.tblINFO[1].NAME, "Ask about dust.");
    EXPECT_EQ(s.tblINFO[2].Topic, "ash");

    // The switches; OLD apart from letter case; a word in UTF-8 meets the file's Windows-1252.
    r = Cli({"rename-topic", p.path, "ASH", "Caf\xC3\xA9", "-o", out, "--no-results"});
    ASSERT_EQ(r.status, 0) << r.err;
    s = p.load(out);
    EXPECT_EQ(s.tblDIAL[0].NAME, "Caf\xE9");
    EXPECT_EQ(s.tblINFO[0].NAME, "Caf\xE9 and caf\xE9 and CAF\xC9, Caf\xE9lander.");
    EXPECT_EQ(s.tblINFO[0].BNAM, "AddTopic \"Ash\"");
    r = Cli({"rename-topic", p.path, "Ash", "Dust", "-o", out, "--no-responses"});
    ASSERT_EQ(r.status, 0) << r.err;
    s = p.load(out);
    EXPECT_EQ(s.tblINFO[0].NAME, "Ash and ash and ASH, Ashlander.");
    EXPECT_EQ(s.tblINFO[0].BNAM, "AddTopic \"Dust\"");
    EXPECT_EQ(s.tblINFO[0].Topic, "Dust");
}

TEST(CliRenameTopic, OldMustNameATopicAndNothingIsWrittenOtherwise) {
    Plugin p(File({Dial("Ash"), Info("1", "x"), Dial("Greeting 0", 2), Info("2", "y"), Dial("q", 4)}));
    std::string out = p.dir.file("Out.esp");
    CliRun r = Cli({"rename-topic", p.path, "Greeting 0", "Hello", "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("\"Greeting 0\" is a greeting (dialogue type 2), not a topic"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    r = Cli({"rename-topic", p.path, "Nowhere", "Hello", "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("there is no topic named \"Nowhere\""), std::string::npos) << r.err;
    r = Cli({"rename-topic", p.path, "Ash", "Dust", "Q", "Quest", "-o", out});
    EXPECT_EQ(r.status, 1) << "one bad pair stops them all";
    EXPECT_NE(r.err.find("journal"), std::string::npos);
    r = Cli({"rename-topic", p.path, "Ash", "Dust", "ash", "Soot", "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("more than once"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));

    // Topics that differ only in letter case must be named exactly.
    Plugin two(File({Dial("vivec"), Dial("Vivec")}));
    r = Cli({"rename-topic", two.path, "VIVEC", "x", "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("differ only in letter case"), std::string::npos);
    r = Cli({"rename-topic", two.path, "Vivec", "x", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(p.load(out).tblDIAL[0].NAME, "vivec");
    EXPECT_EQ(p.load(out).tblDIAL[1].NAME, "x");
}

TEST(CliRenameTopic, OverLongResponsesFollowTheOption) {
    const std::string text = "ash " + std::string(508, 'z');
    Plugin p(File({Dial("ash"), Info("r1", text), Info("r2", "short ash")}));
    std::string out = p.dir.file("Out.esp");
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--over-512=fail"}}) {
        std::vector<std::string> words = {"rename-topic", p.path, "ash", "dusts", "-o", out};
        words.insert(words.end(), extra.begin(), extra.end());
        CliRun r = Cli(words);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("\"r1\" is longer than 512 characters"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    CliRun r = Cli({"rename-topic", p.path, "ash", "dusts", "-o", out, "--over-512=trim"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Response \"r1\" was cut to 512 characters."), std::string::npos);
    RecordStore s = p.load(out);
    EXPECT_EQ(s.tblINFO[0].NAME, ("dusts " + std::string(508, 'z')).substr(0, 512));
    EXPECT_EQ(s.tblINFO[1].NAME, "short dusts");
}

TEST(CliRenameTopic, WrongArguments) {
    Plugin p(File({Dial("Ash"), Info("1", "x")}));
    std::string out = p.dir.file("Out.esp");
    EXPECT_EQ(Cli({"rename-topic", p.path, "Ash", "Dust"}).status, 2) << "-o is required";
    EXPECT_EQ(Cli({"rename-topic", p.path, "Ash", "-o", out}).status, 2) << "NEW is missing";
    EXPECT_EQ(Cli({"rename-topic", p.path, "-o", out}).status, 2);
    EXPECT_EQ(Cli({"rename-topic", p.path, "Ash", "", "-o", out}).status, 2) << "an empty name";
    EXPECT_EQ(Cli({"rename-topic", p.path, "Ash", "Dust", "-o", out, "--over-512=maybe"}).status, 2);
    EXPECT_EQ(Cli({"rename-topic", p.path, "Ash", "Dust", "-o", out, "--json"}).status, 2);
    EXPECT_NE(Cli({"rename-topic", "--help"}).out.find("--no-responses"), std::string::npos);
    EXPECT_EQ(Cli({"rename-topic", p.dir.file("missing.esp"), "Ash", "Dust", "-o", out}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));

    // Words that are not UTF-8 are taken as Windows-1252 as they are; those that are, converted.
    EXPECT_EQ(cli::WordToCp1252("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(cli::WordToCp1252("Caf\xC3\xA9 \xE2\x80\x94 \xE2\x82\xAC"), "Caf\xE9 \x97 \x80");
    EXPECT_EQ(cli::WordToCp1252("\xE4\xB8\xAD"), "\xE4\xB8\xAD") << "a character the code page lacks";
    EXPECT_EQ(cli::WordToCp1252("plain"), "plain");
}
