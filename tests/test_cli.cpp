// The command-line program: info and save, their answers to questions, help and errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli_runner.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
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
    using namespace fixture;
    const std::string front = Header(3) + Record("DIAL", ZSub("NAME", "Rumors") + Sub("DATA", U8(0))) +
                              Record("INFO", ZSub("INAM", "1") + Sub("DATA", std::string(12, '\0')) +
                                                 ZSub("ONAM", "fargoth") + Sub("NAME", "Ash storms again."));
    if (garbageAt) *garbageAt = front.size();
    return front + std::string(7, '\xFF') + Record("DIAL", ZSub("NAME", "Ashlanders") + Sub("DATA", U8(0)));
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
    std::string bytes =
        fixture::Record("TES3", fixture::Hedr(0, 5)) + fixture::Record("LAND", fixture::Sub("VHGT", "x"));
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
    using namespace fixture;
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
        {"glob.esp", fixture::Record("GLOB", fixture::ZSub("NAME", "x")) + fixture::Header(0)},
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
