// The command line's quote exports (export-dialogue to .xml and .brq with --city and --npc-name) and its NPC
// list (npc-list): arguments, answers to the questions, files written, log lines and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "fixture_builder.h"
#include "npclist/npc_list.h"
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

std::string Info(std::string_view id, std::string_view actor, std::string_view text) {
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
                 Info("1", "guard_1", "Halt, I am %Name."), Info("2", "guard_2", "Move along."),
                 Info("3", "stray_dog", "Woof."), Info("4", "fargoth", "Hello, %PCName."),
                 Info("5", "FARGOTH", "Hello.")});
}

std::string Brq(std::string_view name, std::string_view city, std::string_view text) {
    return Fixed(name, 32) + Fixed(city, 32) + Fixed(text, 512);
}

} // namespace

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
                                     Info("1", "a_1", "One."), Info("2", "a_2", "Two.")}));
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
