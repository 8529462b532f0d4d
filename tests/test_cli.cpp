// The command-line program: arguments, exit statuses and files written by each command; damaged files;
// --dry-run, --json and --check. The tools are tested on their own; here only what each command adds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_runner.h"
#include "dialogue/export_text.h"
#include "dialogue/loops.h"
#include "dialogue/rename_topics.h"
#include "fixture_builder.h"
#include "generator/generator.h"
#include "morrowindize/options.h"
#include "npclist/npc_list.h"
#include "store/changes.h"
#include "test_util.h"
#include "text_1252.h"

using namespace vellum;
using namespace fixture;
using namespace fixture::tools;
using nlohmann::json;
using testutil::Cli;
using testutil::CliRun;
using testutil::Column;
using testutil::TempDir;
using Words = std::vector<std::string>;

namespace {

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// The words of a command and more words after them.
Words operator+(Words words, const Words& more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A plugin with a topic and a response, then 7 bytes that frame no record, then another topic. garbageAt is
// set to the offset of those bytes.
std::string DamagedTown(size_t* garbageAt = nullptr) {
    const std::string front = Header(3) + Dial("Rumors") + Info("1", "Ash storms again.");
    if (garbageAt) *garbageAt = front.size();
    return front + std::string(7, '\xFF') + Dial("Ashlanders");
}

RecordStore LoadFile(const std::string& path) {
    RecordStore s;
    testutil::Load(testutil::ReadFile(path), s);
    return s;
}

// A plugin "Town.esp" in a fresh folder, and the output file the commands are told to write.
struct Plugin {
    TempDir dir;
    std::string path = dir.file("Town.esp");
    std::string out = dir.file("Out.esp");
    explicit Plugin(const std::string& bytes) { testutil::WriteFile(path, bytes); }
};

std::string Town() {
    return File({Npc("guard_1", "Hlaalu_Watchman"), Npc("guard_2", "Redoran_Sentry"),
                 Npc("fargoth", "Fargoth"), Npc("hlaalu guard", "Hlaalu Guard"),
                 Cell("Seyda Neen, Census Office", {"fargoth", "guard_1"}),
                 Cell("Seyda Neen", {"hlaalu guard", "guard_2"}), Dial("Greeting"),
                 Info("1", "Halt, I am %Name.", "", "guard_1"), Info("2", "Move along.", "", "guard_2"),
                 Info("3", "Woof.", "", "stray_dog"), Info("4", "Hello, %PCName."),
                 Info("5", "Hello.", "", "FARGOTH")});
}

// Every quoted `from` of the text replaced by `to`.
std::string ReplaceQuoted(std::string text, const std::string& from, const std::string& to) {
    const std::string f = "\"" + from + "\"", t = "\"" + to + "\"";
    for (size_t p = text.find(f); p != std::string::npos; p = text.find(f, p + t.size()))
        text.replace(p, f.size(), t);
    return text;
}

} // namespace

// ---- info, save, help ----

TEST(CliInfo, CountMismatchAndFilesThatAreNotMorrowindDataFiles) {
    TempDir dir;
    // The header announces 5 records, the file holds 1.
    const std::string shortFile = Record("TES3", Hedr(0, 5)) + Record("LAND", Sub("VHGT", "x"));
    const struct {
        std::string name, bytes;
        int status;
        std::string out, err;
    } cases[] = {
        {"short.esp", shortFile, 0, " seconds. File should contain 5 record(s).\n", ""},
        {"notes.txt", shortFile, 1, "-Failed reading \"notes.txt\".", "The selected file is invalid."},
        {"text.esp", "Hello, this is a text file.\r\n", 1, "-Failed reading \"text.esp\".",
         "\"text.esp\" is not a Morrowind data file"},
        {"empty.esp", "", 1, "-Failed reading \"empty.esp\".", "\"empty.esp\" is not a Morrowind data file"},
    };
    for (const auto& c : cases) {
        testutil::WriteFile(dir.file(c.name), c.bytes);
        CliRun r = Cli({"info", dir.file(c.name)});
        EXPECT_EQ(std::make_tuple(r.status, Has(r.out, c.out), Has(r.err, c.err)),
                  std::make_tuple(c.status, true, true))
            << c.name << "\n"
            << r.out << r.err;
    }
}

TEST(CliInfo, UnknownRecordAnswers) {
    Plugin p(File({Record("LAND", Sub("VHGT", "a")), Record("ABCD", Sub("DATA", "x")),
                   Record("LAND", Sub("VHGT", "b"))}));
    EXPECT_TRUE(Has(Cli({"info", p.path}).out, "Unknown: 1\nTotal: 4\n"));
    CliRun no = Cli({"info", p.path, "--unknown=no"});
    EXPECT_EQ(std::make_tuple(no.status, Has(no.out, "LAND: 0")), std::make_tuple(0, true))
        << "stopping empties the store";
    EXPECT_EQ(Cli({"info", p.path, "--unknown=maybe"}).status, 2);
}

TEST(CliSave, SavedGamesNeedConsent) {
    TempDir dir;
    // The bytes a save writes are pinned by the golden runs.
    ASSERT_EQ(Cli({"save", testutil::SharedFixture("all_types.esp"), dir.file("once.esp")}).status, 0);

    CliRun ess = Cli({"save", dir.file("once.esp"), dir.file("game.ess")});
    EXPECT_EQ(ess.status, 1);
    EXPECT_TRUE(Has(ess.out, "-Nothing has been written."));
    EXPECT_EQ(Cli({"save", dir.file("once.esp"), dir.file("game.ess"), "--allow-ess"}).status, 0);
    EXPECT_EQ(LoadFile(dir.file("game.ess")).tblTES3.at(0).FileType, 32);
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
    EXPECT_TRUE(Has(r.out, "-Nothing has been written."));
    EXPECT_TRUE(Has(r.err, "could not be written"));
    EXPECT_EQ(testutil::ReadFile(dir.file("locked/mine.esp")), "precious");
}

// Status 2 for every wrong use of a command, with nothing written (the reports --check, --json and
// --dry-run one at a time, and none of them with -o); 0 for help (the options in it: CliMorrowindize).
TEST(CliArguments, WrongUsesExitTwoAndWriteNothing) {
    Plugin p(File({Dial("Ash"), Info("1", "x")}));
    const std::string txt = p.dir.file("x.txt");
    testutil::WriteFile(txt, "");
    const std::vector<Words> wrong = {{},
                                      {"frobnicate"},
                                      {"info", p.path, "--bogus"},
                                      {"loops"},
                                      {"loops", p.path, p.path},
                                      {"export-dialogue", p.path},
                                      {"import-dialogue", p.path, txt},
                                      {"import-dialogue", p.path, txt, "-o", p.out, "--over-512=maybe"},
                                      {"rename-topic", p.path, "Ash", "Dust"},
                                      {"rename-topic", p.path, "Ash", "-o", p.out},
                                      {"rename-topic", p.path, "Ash", "", "-o", p.out},
                                      {"rename-topic", p.path, "Ash", "Dust", "-o", p.out, "--json"},
                                      {"npc-list", p.path, "-o", p.out},
                                      {"npc-list", p.path, "--cell", "", "-o", p.out},
                                      {"npc-list", p.path, "--cell", "Seyda", "--format", "pdf", "-o", p.out},
                                      {"morrowindize", "--text=x", "--american", "--no-american"},
                                      {"morrowindize", "--text=x", "--capitalize-after-ellipsis"},
                                      {"morrowindize", p.path},
                                      {"morrowindize", p.path, "--check", "--json"},
                                      {"morrowindize", p.path, "--dry-run", "-o", p.out},
                                      {"morrowindize", "--text", "a", "--check"}};
    for (const Words& words : wrong) {
        CliRun r = Cli(words);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(words) << r.err;
        EXPECT_FALSE(std::filesystem::exists(p.out)) << testing::PrintToString(words);
    }
    EXPECT_TRUE(
        Has(Cli({"morrowindize", "--text=x", "--capitalize-after-ellipsis"}).err, "--capitalize-sentences"));
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

TEST(CliBinary, RunsWithoutStandardInput) {
    std::string cmd = std::string(VELLUM_CLI_PATH) + " info \"" + testutil::SharedFixture("all_types.esp") +
                      "\" < /dev/null > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

// ---- damaged files ----

TEST(CliDamage, WritingCommandsRefuseADamagedFileUnlessToldToSalvage) {
    TempDir dir;
    const std::string in = dir.file("Town.esp"), edited = dir.file("town.txt"), out = dir.file("out.esp");
    testutil::WriteFile(in, DamagedTown());
    ASSERT_EQ(Cli({"export-dialogue", in, edited}).status, 0);
    const std::vector<Words> commands = {
        {"save", in, out},
        {"import-dialogue", in, edited, "-o", out},
        {"morrowindize", in, "-o", out},
        {"rename-topic", in, "Rumors", "Hearsay", "-o", out},
    };
    for (Words words : commands) {
        SCOPED_TRACE(words[0]);
        std::filesystem::remove(out);
        CliRun refused = Cli(words);
        EXPECT_EQ(refused.status, 3);
        EXPECT_FALSE(std::filesystem::exists(out));
        // The report lines as info prints them, then the refusal.
        const std::vector<std::string> err = Lines(refused.err);
        ASSERT_EQ(err.size(), 3u) << refused.err;
        EXPECT_EQ(err[2], "vellum-cli " + words[0] +
                              ": \"Town.esp\" is damaged; nothing written (--salvage writes the file without "
                              "the damaged bytes)");

        words.push_back("--salvage");
        CliRun salvaged = Cli(words);
        ASSERT_EQ(salvaged.status, 0) << salvaged.err;
        const std::string bytes = testutil::ReadFile(out);
        RecordStore back;
        const int32_t count = testutil::Load(bytes, back);
        EXPECT_EQ(std::make_tuple(CheckWellFormed(bytes), count, back.damage.empty(), back.tblDIAL.size(),
                                  back.tblINFO.size()),
                  std::make_tuple(true, 4, true, size_t{2}, size_t{1}));
    }
    EXPECT_EQ(testutil::ReadFile(in), DamagedTown());
}

// The commands that only read go on with what could be read, and say so in one line first; info exits 3
// with the report, in text and in JSON.
TEST(CliDamage, ReadingCommandsGoOnAndSaySo) {
    TempDir dir;
    size_t at = 0;
    const std::string in = dir.file("Town.esp");
    testutil::WriteFile(in, DamagedTown(&at));
    const std::pair<Words, int> cases[] = {
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
    CliRun r = Cli({"info", in});
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[2].rfind("-Damage at offset " + std::to_string(at) + ": expected ", 0), 0u) << lines[2];
    EXPECT_TRUE(lines[2].ends_with("; 7 byte(s) skipped.")) << lines[2];
    EXPECT_EQ(lines[3].rfind("-The file is damaged: 7 byte(s) in 1 place(s) could not be read.", 0), 0u);
    EXPECT_EQ(lines.back(), "Total: 4") << "every record around the damage is counted";
    r = Cli({"info", in, "--json"});
    EXPECT_EQ(r.status, 3);
    const json info = json::parse(r.out);
    EXPECT_EQ(std::make_tuple(info.at("counts").at("INFO"), info.at("damage").at("skippedBytes")),
              std::make_tuple(1, 7));
    EXPECT_EQ(info.at("damage").at("spans").size(), info.at("damage").at("lines").size());
    EXPECT_TRUE(json::parse(Cli({"info", testutil::SharedFixture("all_types.esp"), "--json"}).out)
                    .at("damage")
                    .is_null());
}

// ---- loops ----

TEST(CliLoops, ListsEveryShowingAndExitsOneWhenThereAreAny) {
    Plugin p(File({Dial("Caf\xE9 talk"),
                   Info("1", "Again?", "Choice \"Yes\" 1 \"No\" 2", {Choice(1)}, "d\xE9nise"),
                   Info("2", "Fine.", "Choice \"Quote \\\" tab\t\" 3"), Dial("Greeting", 2),
                   Info("3", "Hi.", "choice, \"Hi\", 2\r\nChoice \"Bye\" 2 ; \"comment\"", {Choice(2)})}));
    CliRun r = Cli({"loops", p.path});
    EXPECT_EQ(std::make_tuple(r.status, r.err), std::make_tuple(1, ""));
    EXPECT_EQ(
        r.out,
        "Topic \"Caf\xE9 talk\", actor \"d\xE9nise\", response \"1\", choice 1: Choice \"Yes\" 1 \"No\" 2\n"
        "Topic \"Greeting\", actor \"fargoth\", response \"3\", choice 2: choice \"Hi\" 2\n"
        "Topic \"Greeting\", actor \"fargoth\", response \"3\", choice 2: Choice \"Bye\" 2\n"
        "3 loops found in 2 of 3 responses.\n");
    // The JSON is UTF-8 with its quotes escaped.
    r = Cli({"loops", p.path, "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        json::parse(r.out).at("loops").at(0),
        json::parse(
            "{\"topic\": \"Caf\xC3\xA9 talk\", \"actor\": \"d\xC3\xA9nise\", \"id\": \"1\", \"index\": 0, "
            "\"slot\": 0, \"choice\": 1, \"line\": \"Choice \\\"Yes\\\" 1 \\\"No\\\" 2\"}"));

    // Without loops: status 0; without responses: the log's wording; a file that cannot be read: 3.
    Plugin clean(File({Dial("T"), Info("1", "x", "Choice \"a\" 2", {Choice(1)})}));
    r = Cli({"loops", clean.path});
    EXPECT_EQ(std::make_tuple(r.status, r.out), std::make_tuple(0, "No loops found in 1 responses.\n"));
    Plugin none(File({Dial("T")}));
    EXPECT_EQ(Cli({"loops", none.path}).out, "\"Town.esp\" contains no dialogue responses.\n");
    r = Cli({"loops", p.dir.file("missing.esp")});
    EXPECT_EQ(std::make_tuple(r.status, Has(r.err, "could not read")), std::make_tuple(3, true));
}

// ---- rename-topic ----

TEST(CliRenameTopic, RenamesEveryPairUnderTheSwitchesAndSaves) {
    Plugin p(File({Dial("Ash"), Info("1", "Ash and ash.", "AddTopic \"Ash\""), Dial("Vivec"),
                   Info("2", "ash"), Dial("ash", 2), Info("3", "Hello.")}));
    auto first = [&] {
        const INFORecord i = LoadFile(p.out).tblINFO.at(0);
        return std::make_tuple(i.Topic, i.NAME, i.BNAM);
    };
    // A greeting of the same name is not a topic.
    CliRun r = Cli({"rename-topic", p.path, "Ash", "Dust", "Vivec", "Lord Vivec", "-o", p.out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Renamed 2 topics: 2 responses moved, 2 texts and 1 results changed.")) << r.out;
    EXPECT_EQ(Column(LoadFile(p.out), &INFORecord::Topic), (Words{"Dust", "Lord Vivec", "ash"}));
    // OLD apart from letter case; a word in UTF-8 meets the file's Windows-1252.
    ASSERT_EQ(Cli({"rename-topic", p.path, "ASH", "Caf\xC3\xA9", "-o", p.out, "--no-results"}).status, 0);
    EXPECT_EQ(first(), std::make_tuple("Caf\xE9", "Caf\xE9 and caf\xE9.", "AddTopic \"Ash\""));
    ASSERT_EQ(Cli({"rename-topic", p.path, "Ash", "Dust", "-o", p.out, "--no-responses"}).status, 0);
    EXPECT_EQ(first(), std::make_tuple("Dust", "Ash and ash.", "AddTopic \"Dust\""));

    // Refusals write nothing; one bad pair stops them all.
    Plugin two(File({Dial("vivec"), Dial("Vivec"), Dial("Greeting 0", 2), Dial("q", 4)}));
    const std::pair<Words, std::string> refused[] = {
        {{"Greeting 0", "Hello"}, "\"Greeting 0\" is a greeting (dialogue type 2), not a topic"},
        {{"Nowhere", "Hello"}, "there is no topic named \"Nowhere\""},
        {{"Vivec", "Dust", "Q", "Quest"}, "journal"},
        {{"Vivec", "Dust", "Vivec", "Soot"}, "more than once"},
        {{"VIVEC", "x"}, "differ only in letter case"},
    };
    for (const auto& [pairs, message] : refused) {
        r = Cli(Words{"rename-topic", two.path} + pairs + Words{"-o", two.out});
        EXPECT_EQ(r.status, 1) << message;
        EXPECT_TRUE(Has(r.err, message)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(two.out));
    }
    ASSERT_EQ(Cli({"rename-topic", two.path, "Vivec", "x", "-o", two.out}).status, 0);
    EXPECT_EQ(LoadFile(two.out).tblDIAL.at(1).NAME, "x");
}

TEST(CliRenameTopic, OverLongResponsesFollowTheOption) {
    Plugin p(File({Dial("ash"), Info("r1", "ash " + std::string(508, 'z')), Info("r2", "short ash")}));
    for (const Words& extra : {Words{}, Words{"--over-512=fail"}}) {
        CliRun r = Cli(Words{"rename-topic", p.path, "ash", "dusts", "-o", p.out} + extra);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, "\"r1\" is longer than 512 characters")) << r.err;
        EXPECT_FALSE(std::filesystem::exists(p.out));
    }
    CliRun r = Cli({"rename-topic", p.path, "ash", "dusts", "-o", p.out, "--over-512=trim"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "Response \"r1\" was cut to 512 characters."));
    EXPECT_EQ(Column(LoadFile(p.out), &INFORecord::NAME),
              (Words{("dusts " + std::string(508, 'z')).substr(0, 512), "short dusts"}));
}

// ---- export-dialogue: quotes ----

TEST(CliExports, QuoteExportsTakeTheCityAndNamesFromTheOptions) {
    Plugin p(Town());
    const std::string brq = p.dir.file("quotes.brq");
    // --city is pinned by the golden runs.
    CliRun r =
        Cli({"export-dialogue", p.path, brq, "--npc-name", "GUARD_1=Dreven", "--npc-name=stray_dog=Rover"});
    EXPECT_EQ(r.status, 0) << r.err;
    // guard_2 has no answer: the ID in proper case; without --city the city is empty.
    EXPECT_EQ(testutil::ReadFile(brq), Brq("Dreven", "", "Halt, I am Hlaalu_Watchman.") +
                                           Brq("Guard_2", "", "Move along.") + Brq("Rover", "", "Woof.") +
                                           Brq("Fargoth", "", "Hello."));

    // Two speakers of the same name cannot get different answers: the question cannot tell them apart.
    testutil::WriteFile(p.path, File({Npc("a_1", "Twin_Guard"), Npc("a_2", "Twin_Guard"), Dial("Greeting"),
                                      Info("1", "One.", "", "a_1"), Info("2", "Two.", "", "a_2")}));
    const std::string q = p.dir.file("q.brq");
    const std::pair<Words, std::string> wrong[] = {
        {{p.dir.file("out.txt"), "--city", "Vivec"}, "--city and --npc-name belong to quote exports"},
        {{q, "--npc-name", "no-equals-sign"}, "--npc-name takes ID=NAME"},
        {{q, "--npc-name", "=Name"}, ""},
        {{q, "--npc-name", "a_1=Left", "--npc-name", "a_2=Right"}, "two names"},
    };
    for (const auto& [args, message] : wrong) {
        r = Cli(Words{"export-dialogue", p.path} + args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_TRUE(Has(r.err, message)) << r.err;
        EXPECT_FALSE(std::filesystem::exists(args[0]));
    }
    ASSERT_EQ(
        Cli({"export-dialogue", p.path, brq, "--npc-name", "a_1=Same", "--npc-name", "a_2=Same"}).status, 0);
    EXPECT_EQ(testutil::ReadFile(brq), Brq("Same", "", "One.") + Brq("Same", "", "Two."));
}

// ---- npc-list ----

// Each --format is pinned by the golden outputs; here the defaults: plain text, clones left out.
TEST(CliNpcList, DefaultsToPlainTextWithoutClones) {
    Plugin p(Town());
    RecordStore store = LoadFile(p.path);
    FakeUi ui;
    int32_t count = 0;
    CliRun r = Cli({"npc-list", p.path, "--cell", "Seyda", "-o", p.out});
    EXPECT_TRUE(Has(r.out, "-Listed 3 NPCs in")) << r.out; // "Hlaalu Guard" is a clone
    EXPECT_EQ(testutil::ReadFile(p.out),
              BuildNpcList({"Seyda", NpcListMarkup::PureText, false}, store, ui, count));
}

TEST(CliNpcList, NothingToListExitsOne) {
    Plugin p(Town());
    CliRun r = Cli({"npc-list", p.path, "--cell", "seyda", "-o", p.out});
    EXPECT_EQ(r.status, 1) << "the cell text is case sensitive";
    EXPECT_TRUE(Has(r.out, "-No NPCs found in given cell in \"Town.esp\""));
    EXPECT_EQ(testutil::ReadFile(p.out), "Total NPCs: 0");

    const std::pair<std::string, std::string> files[] = {
        {File({Npc("a", "A")}), "No cells found in current file."},
        {File({Cell("Empty", {})}), "No NPCs found in current file."}};
    for (const auto& [bytes, message] : files) {
        Plugin q(bytes);
        r = Cli({"npc-list", q.path, "--cell", "x", "-o", q.out});
        EXPECT_EQ(std::make_tuple(r.status, Has(r.err, message), std::filesystem::exists(q.out)),
                  std::make_tuple(1, true, false))
            << message;
    }
}

// ---- export-dialogue and import-dialogue ----

TEST(CliDialogue, ExportWithoutResponsesEmptiesTheFileAndExitsOne) {
    Plugin empty(File({Dial("alone")}));
    const std::string text = empty.dir.file("out.txt");
    CliRun r = Cli({"export-dialogue", empty.path, text});
    EXPECT_EQ(std::make_tuple(r.status, testutil::ReadFile(text)), std::make_tuple(1, ""));
    EXPECT_EQ(Cli({"export-dialogue", empty.dir.file("missing.esp"), text}).status, 1);
}

TEST(CliDialogue, ImportAppliesLineBreaksRenamesAndTheLengthOption) {
    Plugin p(File({Dial("Rumors"), Info("1", "Line one\r\nLine two", "Goodbye"), Info("2", "Say \"hi\".")}));
    const std::string text = p.dir.file("t.txt");
    ASSERT_EQ(Cli({"export-dialogue", p.path, text}).status, 0);
    const std::string exported = testutil::ReadFile(text);
    testutil::WriteFile(text, ReplaceQuoted(exported, "Rumors", "Gossip"));
    ASSERT_EQ(Cli({"import-dialogue", p.path, text, "--remove-line-breaks", "-o", p.out}).status, 0);
    RecordStore s = LoadFile(p.out);
    EXPECT_EQ(std::tie(s.tblDIAL.at(0).NAME, s.tblINFO.at(0).NAME, s.tblINFO.at(1).Topic),
              std::make_tuple("Gossip", "Line one Line two", "Gossip"));

    // Texts over 512 characters fail the import unless trimmed.
    const std::string longText(600, 'z');
    testutil::WriteFile(text, ReplaceQuoted(ReplaceQuoted(exported, "Say \"\"hi\"\".", longText),
                                            "Line one\r\nLine two", longText));
    std::filesystem::remove(p.out);
    for (const Words& failing : {Words{}, Words{"--over-512=fail"}}) {
        CliRun r = Cli(Words{"import-dialogue", p.path, text, "-o", p.out} + failing);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.err, "\"1\"")) << r.err;
        EXPECT_FALSE(Has(r.out, "-Imported"));
        EXPECT_FALSE(std::filesystem::exists(p.out));
    }
    for (const char* mode : {"--over-512=trim", "--over-512=no-to-all"}) {
        ASSERT_EQ(Cli({"import-dialogue", p.path, text, "-o", p.out, mode}).status, 0) << mode;
        s = LoadFile(p.out);
        EXPECT_EQ(std::tie(s.tblINFO[0].NAME, s.tblINFO[1].NAME),
                  std::make_tuple(longText.substr(0, 512), longText.substr(0, 512)))
            << mode;
    }

    // A wrong ID: the message, the error line, status 1 and nothing written.
    std::filesystem::remove(p.out);
    testutil::WriteFile(text, ReplaceQuoted(exported, "2", "9"));
    EXPECT_EQ(Cli({"import-dialogue", p.path, text, "-o", p.out}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(p.out));
}

// ---- morrowindize ----

TEST(CliMorrowindize, CleansGivenTextsUnderTheFlags) {
    const std::pair<Words, std::string> cases[] = {
        {{"--text", "Hello ,world"}, "Hello, world\n"},
        {{"--text=the tribunal temple", "--capitalize-temple"}, "the Tribunal Temple\n"},
        {{"--text=the tribunal temple", "--no-proper-names", "--capitalize-temple"}, "the tribunal temple\n"},
        // Several texts are consecutive responses: the open quote carries over.
        {{"--fix-quote-spaces", "--text", "He said \"hi", "--text", "there\" he said"},
         "He said \"hi\nthere\" he said\n"},
        // --all turns everything on; a --no- flag takes one option back.
        {{"--all", "--text=gonna go... now"}, "Going to go... Now\n"},
        {{"--all", "--no-remove-slang", "--text=gonna go"}, "Gonna go\n"},
    };
    for (const auto& [flags, out] : cases) {
        EXPECT_EQ(Cli(Words{"morrowindize"} + flags).out, out) << flags[0];
    }
    // Over 512 characters after clean-up: the original text, or a failure.
    CliRun kept = Cli({"morrowindize", "--text", Growing(3)});
    EXPECT_EQ(std::tie(kept.status, kept.out), std::make_tuple(0, Growing(3) + "\n"));
    EXPECT_TRUE(Has(kept.err, "513 characters"));
    CliRun failed = Cli({"morrowindize", "--text", Growing(3), "--over-512=fail"});
    EXPECT_EQ(std::tie(failed.status, failed.out), std::make_tuple(1, std::string()));
    // Every option has its flag in the help.
    const std::string help = Cli({"morrowindize", "--help"}).out;
    for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList())
        EXPECT_TRUE(Has(help, std::string(o.cliFlag))) << o.cliFlag;
}

TEST(CliMorrowindize, CleansAFileAndSavesItAsOut) {
    Plugin p(File({Dial("greeting"), Info("1", "Hello ,world"), Info("2", Growing(3), "", "jiub")}));
    // The log and the warning are pinned by the golden runs.
    CliRun r = Cli({"morrowindize", p.path, "-o", p.out});
    ASSERT_EQ(r.status, 0) << r.err;
    RecordStore s = LoadFile(p.out);
    EXPECT_EQ(std::tie(s.tblINFO.at(0).NAME, s.tblINFO.at(1).NAME),
              std::make_tuple("Hello, world", Growing(3)));

    const std::string failOut = p.dir.file("fail.esp");
    r = Cli({"morrowindize", p.path, "--output", failOut, "--over-512=fail"});
    EXPECT_EQ(std::make_tuple(r.status, std::filesystem::exists(failOut), Has(r.err, "nothing written")),
              std::make_tuple(1, false, true));

    // A file without responses is written unchanged.
    Plugin none(File({Dial("lonely")}));
    r = Cli({"morrowindize", none.path, "-o", none.out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testutil::ReadFile(none.out), testutil::ReadFile(none.path));
}

// ---- --dry-run, --json and --check ----

namespace {

// (field, record, text after) of every change, as the real run's output file holds them.
using Changed = std::set<std::tuple<std::string, size_t, std::string>>;

Changed FromStores(const RecordStore& before, const RecordStore& after) {
    static const char* kWhat[] = {"text", "result", "topic", "name"};
    Changed out;
    for (const TextChange& c : CompareDialogue(TakeDialogueTexts(before), after))
        out.insert({kWhat[static_cast<int>(c.field)], c.record, cli::Cp1252ToUtf8(c.after.text)});
    return out;
}

Changed FromJson(const std::string& text) {
    Changed out;
    for (const json& e : json::parse(text))
        out.insert({e.at("field").get<std::string>(), e.at("index").get<size_t>(),
                    e.at("after").get<std::string>()});
    return out;
}

// The (what, response ID) pairs the diff's headings name, responses and results only.
std::multiset<std::pair<std::string, std::string>> DiffNames(const std::string& diff) {
    std::multiset<std::pair<std::string, std::string>> out;
    std::istringstream in(diff);
    for (std::string line; std::getline(in, line);) {
        const size_t id = line.find(" response \"");
        if (line.rfind("--- topic ", 0) != 0 || id == std::string::npos) continue;
        const size_t end = line.find('"', id + 11);
        const std::string what = line.substr(end + 2);
        if (what == "text" || what == "result") out.insert({what, line.substr(id + 11, end - id - 11)});
    }
    return out;
}

std::multiset<std::pair<std::string, std::string>> Names(const Changed& changed, const RecordStore& store) {
    std::multiset<std::pair<std::string, std::string>> out;
    for (const auto& [what, record, after] : changed)
        if (what == "text" || what == "result") out.insert({what, store.tblINFO[record].INAM});
    return out;
}

struct Workspace {
    testutil::TempDir dir;
    std::string plugin = dir.file("Town.esp");
    std::string edited = dir.file("edited.txt");
    std::string topic;
    Workspace() {
        testutil::WriteFile(plugin, gen::GeneratePlugin(gen::SamplePreset()));
        EXPECT_EQ(Cli({"export-dialogue", plugin, edited}).status, 0);
        // Every "the" of the texts becomes "thee", in responses and results alike.
        std::string text = testutil::ReadFile(edited);
        for (size_t at = 0; (at = text.find(" the ", at)) != std::string::npos; at += 5)
            text.insert(at + 4, "e");
        testutil::WriteFile(edited, text);
        topic = ListTopicRows(LoadFile(plugin)).at(1).name;
    }
};

} // namespace

TEST(CliChanges, DryRunsWriteNothingAndNameWhatTheRealRunChanges) {
    Workspace w;
    const std::string original = testutil::ReadFile(w.plugin), editedText = testutil::ReadFile(w.edited);
    const RecordStore loaded = LoadFile(w.plugin);
    const struct {
        std::vector<std::string> words; // without -o and the report flag
        bool cleanAfter;                // running the same command on its output changes nothing
    } commands[] = {
        {{"morrowindize", w.plugin, "--all"}, true},
        {{"morrowindize", w.plugin, "--american", "--no-proper-names"}, true},
        {{"import-dialogue", w.plugin, w.edited, "--over-512=trim"}, false},
        {{"rename-topic", w.plugin, w.topic, "Quite New Topic"}, false},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.words[0] + " " + c.words.back());
        auto run = [&](const Words& extra, const std::string& file) {
            Words words = c.words;
            words[1] = file;
            return Cli(words + extra);
        };
        const CliRun dry = run({"--dry-run"}, w.plugin), asJson = run({"--json"}, w.plugin),
                     check = run({"--check"}, w.plugin);
        EXPECT_EQ(std::make_pair(dry.status, asJson.status), std::make_pair(0, 0)) << dry.err << asJson.err;
        EXPECT_EQ(std::make_tuple(testutil::ReadFile(w.plugin), testutil::ReadFile(w.edited)),
                  std::tie(original, editedText));

        const std::string out = w.dir.file("out.esp");
        ASSERT_EQ(run({"-o", out}, w.plugin).status, 0);
        const Changed real = FromStores(loaded, LoadFile(out));
        ASSERT_FALSE(real.empty());
        EXPECT_EQ(FromJson(asJson.out), real);
        EXPECT_EQ(DiffNames(dry.out), Names(real, loaded));
        EXPECT_EQ(check.status, 1);
        EXPECT_EQ(check.out.back(), '\n');
        EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 1);
        if (c.cleanAfter) {
            const CliRun again = run({"--check"}, out);
            EXPECT_EQ(again.status, 0) << again.out;
            EXPECT_EQ(again.out, out + ": nothing would change.\n");
        }
        std::filesystem::remove(out);
        testutil::WriteFile(w.edited, editedText); // the real import straightened its quotes
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path()), {}), 2)
        << "nothing else written";
}
