// The command-line program: info and save, their answers to questions, help and errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using testutil::TempDir;

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun Invoke(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    int status = vellum::cli::RunCli(words, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

} // namespace

TEST(CliInfo, ReadsTheSharedPluginWithTheShortReadLine) {
    CliRun r = Invoke({"info", testutil::SharedFixture("all_types.esp")});
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
    CliRun r = Invoke({"info", dir.file("short.esp")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(" seconds. File should contain 5 record(s).\n"), std::string::npos) << r.out;

    testutil::WriteFile(dir.file("notes.txt"), bytes);
    r = Invoke({"info", dir.file("notes.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("-Failed reading \"notes.txt\"."), std::string::npos);
    EXPECT_NE(r.err.find("The selected file is invalid."), std::string::npos);
}

TEST(CliInfo, UnknownRecordAnswers) {
    TempDir dir;
    using namespace fixture;
    std::string bytes =
        File({Record("LAND", Sub("VHGT", "a")), Record("ABCD", "x"), Record("LAND", Sub("VHGT", "b"))});
    testutil::WriteFile(dir.file("u.esp"), bytes);
    CliRun all = Invoke({"info", dir.file("u.esp")});
    EXPECT_NE(all.out.find("Unknown: 1\nTotal: 4\n"), std::string::npos) << all.out;
    CliRun no = Invoke({"info", dir.file("u.esp"), "--unknown=no"});
    EXPECT_EQ(no.status, 0);
    EXPECT_NE(no.out.find("LAND: 0"), std::string::npos) << "stopping empties the store";
    EXPECT_NE(no.out.find("Total: 2"), std::string::npos);
    CliRun bad = Invoke({"info", dir.file("u.esp"), "--unknown=maybe"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--unknown"), std::string::npos);
}

TEST(CliSave, SecondSaveIsByteIdenticalAndSavedGamesNeedConsent) {
    TempDir dir;
    CliRun r = Invoke({"save", testutil::SharedFixture("all_types.esp"), dir.file("once.esp")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Writing \"once.esp\"..."), std::string::npos);
    EXPECT_NE(r.out.find("-Finished writing \"once.esp\" in "), std::string::npos);
    EXPECT_NE(r.out.find(" seconds. 80 records have been written."), std::string::npos);
    std::string once = testutil::ReadFile(dir.file("once.esp"));
    std::string why;
    EXPECT_TRUE(CheckWellFormed(once, &why)) << why;
    ASSERT_EQ(Invoke({"save", dir.file("once.esp"), dir.file("twice.esp")}).status, 0);
    EXPECT_EQ(testutil::ReadFile(dir.file("twice.esp")), once);

    RecordStore a;
    EXPECT_EQ(testutil::Load(once, a), 80);

    CliRun ess = Invoke({"save", dir.file("once.esp"), dir.file("game.ess")});
    EXPECT_EQ(ess.status, 1);
    EXPECT_NE(ess.out.find("-Nothing has been written."), std::string::npos);
    CliRun essOk = Invoke({"save", dir.file("once.esp"), dir.file("game.ess"), "--allow-ess"});
    EXPECT_EQ(essOk.status, 0);
    RecordStore game;
    testutil::Load(testutil::ReadFile(dir.file("game.ess")), game);
    EXPECT_EQ(game.tblTES3.at(0).FileType, 32);
}

TEST(CliSave, FailedSaveLeavesTheTargetAlone) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("locked"));
    testutil::WriteFile(dir.file("locked/mine.esp"), "precious");
    std::filesystem::permissions(dir.file("locked"),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    CliRun r = Invoke({"save", testutil::SharedFixture("all_types.esp"), dir.file("locked/mine.esp")});
    std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("-Nothing has been written."), std::string::npos);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(dir.file("locked/mine.esp")), "precious");
}

TEST(CliHelp, ProgramAndCommandHelpAndErrors) {
    CliRun help = Invoke({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("info"), std::string::npos);
    EXPECT_NE(help.out.find("save"), std::string::npos);
    CliRun infoHelp = Invoke({"info", "--help"});
    EXPECT_EQ(infoHelp.status, 0);
    EXPECT_NE(infoHelp.out.find("Usage: vellum-cli info FILE"), std::string::npos);
    EXPECT_EQ(Invoke({}).status, 2);
    CliRun unknown = Invoke({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
    EXPECT_EQ(Invoke({"info"}).status, 2);
    EXPECT_EQ(Invoke({"info", "a.esp", "--bogus"}).status, 2);
}

TEST(CliBinary, RunsWithoutStandardInput) {
    std::string cmd = std::string(VELLUM_CLI_PATH) + " info \"" + testutil::SharedFixture("all_types.esp") +
                      "\" < /dev/null > /dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}
