// The command-line program: info and save, help and errors, damaged files, dialogue export and import, the
// quote exports and NPC list, loop listing and topic renaming: arguments, exit status, log lines, files
// written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "dialogue/export_text.h"
#include "dialogue/loops.h"
#include "fixture_builder.h"
#include "npclist/npc_list.h"
#include "test_util.h"
#include "text_1252.h"

using namespace vellum;
using namespace fixture;
using testutil::Cli;
using testutil::CliRun;
using testutil::TempDir;

namespace {

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// A plugin with a topic and a response, then 7 bytes that frame no record, then another topic. garbageAt is
// set to the offset of those bytes.
std::string DamagedTown(size_t* garbageAt = nullptr) {
    const std::string front = Header(3) + Record("DIAL", ZSub("NAME", "Rumors") + Sub("DATA", U8(0))) +
                              Record("INFO", ZSub("INAM", "1") + Sub("DATA", std::string(12, '\0')) +
                                                 ZSub("ONAM", "fargoth") + Sub("NAME", "Ash storms again."));
    if (garbageAt) *garbageAt = front.size();
    return front + std::string(7, '\xFF') + Record("DIAL", ZSub("NAME", "Ashlanders") + Sub("DATA", U8(0)));
}

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

// A response said by the given actor, as the quote exports read it.
std::string Said(std::string_view id, std::string_view actor, std::string_view text) {
    return Record("INFO", ZSub("INAM", id) + Sub("DATA", std::string(12, '\0')) + ZSub("ONAM", actor) +
                              Sub("NAME", text));
}

std::string Npc(std::string_view id, std::string_view name, std::string_view faction = "") {
    std::string body =
        ZSub("NAME", id) + ZSub("FNAM", name) + ZSub("RNAM", "Dark Elf") + ZSub("CNAM", "Guard");
    if (!faction.empty()) body += ZSub("ANAM", faction);
    return Record("NPC_", body + Sub("NPDT", std::string(12, '\0')) + Sub("FLAG", U32(0)));
}

std::string Cell(std::string_view name, const std::vector<std::string>& ids) {
    std::string body = ZSub("NAME", name) + Sub("DATA", I32(1) + I32(0) + I32(0));
    uint32_t i = 1;
    for (const std::string& id : ids)
        body += Sub("FRMR", U32(i++)) + ZSub("NAME", id) + Sub("DATA", std::string(24, '\0'));
    return Record("CELL", body);
}

std::string Town() {
    return File({Npc("guard_1", "Hlaalu_Watchman"), Npc("guard_2", "Redoran_Sentry"),
                 Npc("fargoth", "Fargoth"), Npc("hlaalu guard", "Hlaalu Guard"),
                 Cell("Seyda Neen, Census Office", {"fargoth", "guard_1"}),
                 Cell("Seyda Neen", {"hlaalu guard", "guard_2"}), Dial("Greeting"),
                 Said("1", "guard_1", "Halt, I am %Name."), Said("2", "guard_2", "Move along."),
                 Said("3", "stray_dog", "Woof."), Said("4", "fargoth", "Hello, %PCName."),
                 Said("5", "FARGOTH", "Hello.")});
}

std::string Brq(std::string_view name, std::string_view city, std::string_view text) {
    return Fixed(name, 32) + Fixed(city, 32) + Fixed(text, 512);
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

TEST(CliInfo, ReadsTheSharedPluginWithTheShortReadLine) {
    CliRun r = Cli({"info", testutil::SharedFixture("all_types.esp")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "-Reading \"all_types.esp\"...");
    EXPECT_EQ(lines[1].rfind("-Read 80 records from \"all_types.esp\" successfully in ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].find("File should contain"), std::string::npos);
    // One line per table in the panel's order, then Unknown and Total.
    ASSERT_EQ(lines.size(), 2u + 55u + 2u);
    EXPECT_EQ(lines[2], "ACTI: 2");
    EXPECT_EQ(lines[2 + 39], "STAT: 2");
    EXPECT_EQ(lines[2 + 40], "SSCR: 1");
    EXPECT_EQ(lines[2 + 42], "WEAP: 2");
    EXPECT_EQ(lines[2 + 43], "CNTC: 0");
    EXPECT_EQ(lines[lines.size() - 2], "Unknown: 0");
    EXPECT_EQ(lines.back(), "Total: 80");
}

TEST(CliInfo, CountMismatchAndRefusedFiles) {
    TempDir dir;
    // The header announces 5 records, the file holds 1.
    std::string bytes = Record("TES3", Hedr(0, 5)) + Record("LAND", Sub("VHGT", "x"));
    testutil::WriteFile(dir.file("short.esp"), bytes);
    CliRun r = Cli({"info", dir.file("short.esp")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(" seconds. File should contain 5 record(s).\n"), std::string::npos) << r.out;

    testutil::WriteFile(dir.file("notes.txt"), bytes);
    r = Cli({"info", dir.file("notes.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("-Failed reading \"notes.txt\"."), std::string::npos);
    EXPECT_NE(r.err.find("The selected file is invalid."), std::string::npos);
}

TEST(CliInfo, UnknownRecordAnswers) {
    TempDir dir;
    std::string bytes = File({Record("LAND", Sub("VHGT", "a")), Record("ABCD", Sub("DATA", "x")),
                              Record("LAND", Sub("VHGT", "b"))});
    testutil::WriteFile(dir.file("u.esp"), bytes);
    CliRun all = Cli({"info", dir.file("u.esp")});
    EXPECT_NE(all.out.find("Unknown: 1\nTotal: 4\n"), std::string::npos) << all.out;
    CliRun no = Cli({"info", dir.file("u.esp"), "--unknown=no"});
    EXPECT_EQ(no.status, 0);
    EXPECT_NE(no.out.find("LAND: 0"), std::string::npos) << "stopping empties the store";
    EXPECT_NE(no.out.find("Total: 2"), std::string::npos);
    CliRun bad = Cli({"info", dir.file("u.esp"), "--unknown=maybe"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--unknown"), std::string::npos);
}

TEST(CliSave, SecondSaveIsByteIdenticalAndSavedGamesNeedConsent) {
    TempDir dir;
    CliRun r = Cli({"save", testutil::SharedFixture("all_types.esp"), dir.file("once.esp")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Writing \"once.esp\"..."), std::string::npos);
    EXPECT_NE(r.out.find("-Finished writing \"once.esp\" in "), std::string::npos);
    EXPECT_NE(r.out.find(" seconds. 80 records have been written."), std::string::npos);
    std::string once = testutil::ReadFile(dir.file("once.esp"));
    std::string why;
    EXPECT_TRUE(CheckWellFormed(once, &why)) << why;
    ASSERT_EQ(Cli({"save", dir.file("once.esp"), dir.file("twice.esp")}).status, 0);
    EXPECT_EQ(testutil::ReadFile(dir.file("twice.esp")), once);

    RecordStore a;
    EXPECT_EQ(testutil::Load(once, a), 80);

    CliRun ess = Cli({"save", dir.file("once.esp"), dir.file("game.ess")});
    EXPECT_EQ(ess.status, 1);
    EXPECT_NE(ess.out.find("-Nothing has been written."), std::string::npos);
    CliRun essOk = Cli({"save", dir.file("once.esp"), dir.file("game.ess"), "--allow-ess"});
    EXPECT_EQ(essOk.status, 0);
    RecordStore game;
    testutil::Load(testutil::ReadFile(dir.file("game.ess")), game);
    EXPECT_EQ(game.tblTES3.at(0).FileType, 32);
}

TEST(CliSave, FailedSaveLeavesTheTargetAlone) {
    if (!testutil::kFoldersCanBeLocked) GTEST_SKIP() << "folders cannot be locked here";
    TempDir dir;
    std::filesystem::create_directory(dir.file("locked"));
    testutil::WriteFile(dir.file("locked/mine.esp"), "precious");
    std::filesystem::permissions(dir.file("locked"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    CliRun r = Cli({"save", testutil::SharedFixture("all_types.esp"), dir.file("locked/mine.esp")});
    std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("-Nothing has been written."), std::string::npos);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(dir.file("locked/mine.esp")), "precious");
}

TEST(CliHelp, ProgramAndCommandHelpAndErrors) {
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("info"), std::string::npos);
    EXPECT_NE(help.out.find("save"), std::string::npos);
    CliRun infoHelp = Cli({"info", "--help"});
    EXPECT_EQ(infoHelp.status, 0);
    EXPECT_NE(infoHelp.out.find("Usage: vellum-cli info FILE"), std::string::npos);
    EXPECT_EQ(Cli({}).status, 2);
    CliRun unknown = Cli({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
    EXPECT_EQ(Cli({"info"}).status, 2);
    EXPECT_EQ(Cli({"info", "a.esp", "--bogus"}).status, 2);
}

TEST(CliBinary, RunsWithoutStandardInput) {
    std::string cmd = std::string(VELLUM_CLI_PATH) + " info \"" + testutil::SharedFixture("all_types.esp") +
                      "\" < /dev/null > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

TEST(CliInfo, RefusesFilesThatAreNotMorrowindDataFiles) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {"text.esp", "Hello, this is a text file.\r\n"},
        {"empty.esp", ""},
        {"glob.esp", Record("GLOB", ZSub("NAME", "x")) + Header(0)},
    };
    for (const auto& [name, bytes] : cases) {
        testutil::WriteFile(dir.file(name), bytes);
        CliRun r = Cli({"info", dir.file(name)});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.out.find("-Failed reading \"" + name + "\"."), std::string::npos) << r.out;
        EXPECT_NE(r.err.find("\"" + name + "\" is not a Morrowind data file"), std::string::npos) << r.err;
    }
}

TEST(CliInfo, DamagedFileExitsThreeWithTheReport) {
    TempDir dir;
    size_t at = 0;
    testutil::WriteFile(dir.file("Town.esp"), DamagedTown(&at));
    CliRun r = Cli({"info", dir.file("Town.esp")});
    EXPECT_EQ(r.status, 3);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[2].rfind("-Damage at offset " + std::to_string(at) + ": expected ", 0), 0u) << lines[2];
    EXPECT_TRUE(lines[2].ends_with("; 7 byte(s) skipped.")) << lines[2];
    EXPECT_EQ(lines[3].rfind("-The file is damaged: 7 byte(s) in 1 place(s) could not be read.", 0), 0u);
    EXPECT_EQ(lines.back(), "Total: 4") << "every record around the damage is counted";
}

TEST(CliDamage, WritingCommandsRefuseADamagedFileUnlessToldToSalvage) {
    TempDir dir;
    size_t at = 0;
    const std::string in = dir.file("Town.esp"), edited = dir.file("town.txt"), out = dir.file("out.esp");
    testutil::WriteFile(in, DamagedTown(&at));
    ASSERT_EQ(Cli({"export-dialogue", in, edited}).status, 0);
    const std::vector<std::vector<std::string>> commands = {
        {"save", in, out},
        {"import-dialogue", in, edited, "-o", out},
        {"morrowindize", in, "-o", out},
        {"rename-topic", in, "Rumors", "Hearsay", "-o", out},
    };
    for (std::vector<std::string> words : commands) {
        SCOPED_TRACE(words[0]);
        std::filesystem::remove(out);
        CliRun refused = Cli(words);
        EXPECT_EQ(refused.status, 3);
        EXPECT_FALSE(std::filesystem::exists(out));
        const std::vector<std::string> err = Lines(refused.err);
        ASSERT_EQ(err.size(), 3u) << refused.err;
        EXPECT_EQ(err[0].rfind("-Damage at offset " + std::to_string(at) + ": expected ", 0), 0u) << err[0];
        EXPECT_EQ(err[1].rfind("-The file is damaged: 7 byte(s) in 1 place(s)", 0), 0u) << err[1];
        EXPECT_EQ(err[2], "vellum-cli " + words[0] +
                              ": \"Town.esp\" is damaged; nothing written (--salvage writes the file without "
                              "the damaged bytes)");

        words.push_back("--salvage");
        CliRun salvaged = Cli(words);
        ASSERT_EQ(salvaged.status, 0) << salvaged.err;
        const std::string bytes = testutil::ReadFile(out);
        EXPECT_TRUE(CheckWellFormed(bytes));
        RecordStore back;
        EXPECT_EQ(testutil::Load(bytes, back), 4);
        EXPECT_TRUE(back.damage.empty());
        EXPECT_EQ(back.tblDIAL.size(), 2u);
        EXPECT_EQ(back.tblINFO.size(), 1u);
    }
    EXPECT_EQ(testutil::ReadFile(in), DamagedTown());
}

// The commands that only read go on with what could be read, and say so in one line first.
TEST(CliDamage, ReadingCommandsGoOnAndSaySo) {
    TempDir dir;
    const std::string in = dir.file("Town.esp");
    testutil::WriteFile(in, DamagedTown());
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"export-dialogue", in, dir.file("town.txt")}, 0},
        {{"loops", in}, 0},
        {{"npc-list", in, "--cell", "Seyda", "-o", dir.file("npcs.txt")}, 1}, // no cells to list
        {{"info", in}, 3},
    };
    for (const auto& [words, status] : cases) {
        CliRun r = Cli(words);
        EXPECT_EQ(r.status, status) << words[0] << ": " << r.err;
        EXPECT_EQ(Lines(r.err).at(0), "vellum-cli " + words[0] +
                                          ": \"Town.esp\" is damaged (7 byte(s) could not be read); going on "
                                          "with the records that were read");
    }
}

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

TEST(CliExports, QuoteXmlNamesTheCity) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp"), out = dir.file("quotes.xml");
    testutil::WriteFile(plugin, Town());
    CliRun r = Cli({"export-dialogue", plugin, out, "--city", "Seyda Neen"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Exported 5 responses from \"Town.esp\" successfully."), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(out),
              "<quotes>"
              "<quote><text>Halt, I am Hlaalu_Watchman.</text><npc>Hlaalu_Watchman</npc><city>Seyda "
              "Neen</city></quote>"
              "<quote><text>Move along.</text><npc>Redoran_Sentry</npc><city>Seyda Neen</city></quote>"
              "<quote><text>Woof.</text><npc>Stray_dog</npc><city>Seyda Neen</city></quote>"
              "<quote><text>Hello.</text><npc>Fargoth</npc><city>Seyda Neen</city></quote>"
              "</quotes>");

    // Without --city the city is empty.
    r = Cli({"export-dialogue", plugin, dir.file("nocity.XML")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(testutil::ReadFile(dir.file("nocity.XML")).find("<city></city>"), std::string::npos);
}

TEST(CliExports, QuoteFileTakesNamesFromTheOptions) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp"), out = dir.file("quotes.brq");
    testutil::WriteFile(plugin, Town());
    CliRun r = Cli({"export-dialogue", plugin, out, "--city=Vivec", "--npc-name", "GUARD_1=Dreven",
                    "--npc-name=stray_dog=Rover"});
    EXPECT_EQ(r.status, 0) << r.err;
    // guard_2 has no answer: the ID in proper case.
    EXPECT_EQ(testutil::ReadFile(out),
              Brq("Dreven", "Vivec", "Halt, I am Hlaalu_Watchman.") + Brq("Guard_2", "Vivec", "Move along.") +
                  Brq("Rover", "Vivec", "Woof.") + Brq("Fargoth", "Vivec", "Hello."));
}

TEST(CliExports, QuoteOptionsAreChecked) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp");
    testutil::WriteFile(plugin, Town());
    CliRun r = Cli({"export-dialogue", plugin, dir.file("out.txt"), "--city", "Vivec"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--city and --npc-name belong to quote exports"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));
    r = Cli({"export-dialogue", plugin, dir.file("q.brq"), "--npc-name", "no-equals-sign"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--npc-name takes ID=NAME"), std::string::npos);
    r = Cli({"export-dialogue", plugin, dir.file("q.brq"), "--npc-name", "=Name"});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("q.brq")));

    // Two speakers of the same name cannot get different answers: the question cannot tell them apart.
    std::string twins = dir.file("Twins.esp");
    testutil::WriteFile(twins, File({Npc("a_1", "Twin_Guard"), Npc("a_2", "Twin_Guard"), Dial("Greeting"),
                                     Said("1", "a_1", "One."), Said("2", "a_2", "Two.")}));
    r = Cli(
        {"export-dialogue", twins, dir.file("t.brq"), "--npc-name", "a_1=Left", "--npc-name", "a_2=Right"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("two names"), std::string::npos);
    r = Cli(
        {"export-dialogue", twins, dir.file("t.brq"), "--npc-name", "a_1=Same", "--npc-name", "a_2=Same"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testutil::ReadFile(dir.file("t.brq")), Brq("Same", "", "One.") + Brq("Same", "", "Two."));
}

TEST(CliExports, NpcListWritesEachFormat) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp");
    testutil::WriteFile(plugin, Town());
    RecordStore store;
    testutil::Load(Town(), store);
    for (auto [format, markup] :
         {std::pair{"text", NpcListMarkup::PureText}, std::pair{"html", NpcListMarkup::Html},
          std::pair{"phpbb", NpcListMarkup::PhpBB}}) {
        for (bool clones : {false, true}) {
            std::string out = dir.file(std::string("list-") + format + (clones ? "-clones" : ""));
            std::vector<std::string> words{"npc-list", plugin, "--cell", "Seyda",
                                           "--format", format, "-o",     out};
            if (clones) words.push_back("--clones");
            CliRun r = Cli(words);
            EXPECT_EQ(r.status, 0) << r.err;
            FakeUi ui;
            int32_t count = 0;
            EXPECT_EQ(testutil::ReadFile(out), BuildNpcList({"Seyda", markup, clones}, store, ui, count))
                << format;
            EXPECT_EQ(count, clones ? 4 : 3) << "\"Hlaalu Guard\" is a clone";
            EXPECT_NE(r.out.find("-Generating NPC List for cell \"*Seyda*\" from \"Town.esp\"..."),
                      std::string::npos);
            EXPECT_NE(r.out.find("-Listed " + std::to_string(count) + " NPCs in"), std::string::npos);
        }
    }
    // The default format is plain text.
    ASSERT_EQ(Cli({"npc-list", plugin, "--cell", "Census", "-o", dir.file("plain.txt")}).status, 0);
    EXPECT_EQ(testutil::ReadFile(dir.file("plain.txt")).substr(0, 28), "Seyda Neen, Census Office:\r\n");
}

TEST(CliExports, NpcListReportsNothingToListAndWrongArguments) {
    TempDir dir;
    std::string plugin = dir.file("Town.esp");
    testutil::WriteFile(plugin, Town());
    CliRun r = Cli({"npc-list", plugin, "--cell", "seyda", "-o", dir.file("none.txt")});
    EXPECT_EQ(r.status, 1) << "the cell text is case sensitive";
    EXPECT_NE(r.out.find("-No NPCs found in given cell in \"Town.esp\""), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(dir.file("none.txt")), "Total NPCs: 0");

    std::string noCells = dir.file("NoCells.esp");
    testutil::WriteFile(noCells, File({Npc("a", "A")}));
    r = Cli({"npc-list", noCells, "--cell", "x", "-o", dir.file("x.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No cells found in current file."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.txt")));
    std::string noNpcs = dir.file("NoNpcs.esp");
    testutil::WriteFile(noNpcs, File({Cell("Empty", {})}));
    r = Cli({"npc-list", noNpcs, "--cell", "x", "-o", dir.file("x.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No NPCs found in current file."), std::string::npos);

    EXPECT_EQ(Cli({"npc-list", plugin, "-o", dir.file("x.txt")}).status, 2);
    EXPECT_EQ(Cli({"npc-list", plugin, "--cell", "Seyda"}).status, 2);
    EXPECT_EQ(Cli({"npc-list", plugin, "--cell", "", "-o", dir.file("x.txt")}).status, 2);
    r = Cli({"npc-list", plugin, "--cell", "Seyda", "--format", "pdf", "-o", dir.file("x.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--format takes text, html or phpbb"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.txt")));
    EXPECT_NE(Cli({"npc-list", "--help"}).out.find("Usage: vellum-cli npc-list"), std::string::npos);
}

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
