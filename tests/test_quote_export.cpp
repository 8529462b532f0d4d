// The quote exports: which responses become quotes, the speaker look-up, the placeholders, the names asked
// for, the XML stream and the 576-byte records of Brindle quote files, the log line and the failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "dialogue/export_text.h"
#include "dialogue/quote_export.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using testutil::TempDir;

namespace {

std::string Dial(std::string_view name) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(0)));
}

std::string Info(std::string_view id, std::string_view actor, std::string_view text) {
    std::string body = ZSub("INAM", id) + Sub("DATA", std::string(12, '\0'));
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    return Record("INFO", body);
}

std::string Npc(std::string_view id, std::string_view name, std::string_view race = "Dark Elf",
                std::string_view cls = "Commoner", std::string_view faction = "") {
    std::string body = ZSub("NAME", id) + ZSub("FNAM", name) + ZSub("RNAM", race) + ZSub("CNAM", cls);
    if (!faction.empty()) body += ZSub("ANAM", faction);
    body += Sub("NPDT", std::string(12, '\0')) + Sub("FLAG", U32(0));
    return Record("NPC_", body);
}

std::string Crea(std::string_view id, std::string_view name) {
    return Record("CREA", ZSub("NAME", id) + ZSub("FNAM", name) + Sub("NPDT", std::string(96, '\0')) +
                              Sub("FLAG", U32(0)));
}

// A loaded file and a folder for the exports.
struct Loaded {
    TempDir dir;
    RecordStore store;
    std::string path = dir.file("Quotes.esp");
    explicit Loaded(const std::string& bytes) {
        testutil::WriteFile(path, bytes);
        testutil::Load(bytes, store);
    }
};

std::string Quote(std::string_view text, std::string_view npc, std::string_view city) {
    return "<quote><text>" + std::string(text) + "</text><npc>" + std::string(npc) + "</npc><city>" +
           std::string(city) + "</city></quote>";
}

std::string BrqRecord(std::string_view name, std::string_view city, std::string_view text) {
    return Fixed(name, 32) + Fixed(city, 32) + Fixed(text, 512);
}

} // namespace

TEST(QuoteExport, SkipsResponsesWithoutActorOrWithPlayerPlaceholders) {
    Loaded f(File({Npc("fargoth", "Fargoth"), Dial("Greeting"), Info("1", "", "A journal line."),
                   Info("2", "fargoth", "Hello, %pcname."), Info("3", "fargoth", "Well met, %RANK."),
                   Info("4", "fargoth", "Hello there."), Info("5", "fargoth", "100% PCs? No, 100%Pc.")}));
    FakeUi ui;
    ui.inputs = {"Seyda Neen"};
    std::string out = f.dir.file("q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(out),
              "<quotes>" + Quote("Hello there.", "Fargoth", "Seyda Neen") + "</quotes>");
    // The log line counts every response of the file, the skipped ones too.
    ASSERT_EQ(ui.log.size(), 1u);
    EXPECT_EQ(ui.log[0], "-Exported 5 responses from \"Quotes.esp\" successfully.");
    ASSERT_EQ(ui.inputPrompts.size(), 1u);
    EXPECT_EQ(ui.inputPrompts[0], "Please, enter the name of the city to export from:");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.25, 0.5, 0.75, 1.0, 0.0}));
}

TEST(QuoteExport, FillsPlaceholdersInAnyCaseInTheirOrder) {
    // The class ID holds "%Name", which the later pass fills; the race holds "%class", which stays, because
    // the class pass is over when the race is put in.
    Loaded f(File({Npc("trader", "Ralen", "x%classx", "Trader %Name", "Hlaalu"), Dial("Greeting"),
                   Info("1", "TRADER", "I am %NAME, a %Class of %rAcE blood, %FACTION sworn. %name! %Nam")}));
    FakeUi ui;
    ui.inputs = {"Balmora"};
    std::string out = f.dir.file("q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(out),
              "<quotes>" +
                  Quote("I am Ralen, a Trader Ralen of x%classx blood, Hlaalu sworn. Ralen! %Nam", "Ralen",
                        "Balmora") +
                  "</quotes>");

    QuoteSpeaker s{"N", "R", "C", "F"};
    EXPECT_EQ(QuoteText("%CLASS%class%Race%RACE%faction%NAME%", s), "CCRRFN%");
    EXPECT_EQ(QuoteText("%%name%%", s), "%N%%") << "a match starts at the first place it can";
    EXPECT_EQ(QuoteText("no placeholders", s), "no placeholders");
}

TEST(QuoteExport, FindsTheFirstNpcThenTheCreatureIgnoringCase) {
    Loaded f(File({Npc("Vivec", "Vivec the First", "Chimer", "God", "Tribunal"),
                   Npc("VIVEC", "Vivec the Second", "Dunmer", "Poet", "Temple"),
                   Crea("vivec", "Vivec Creature"), Crea("ViVeC", "Second Creature"), Crea("scrib", "Scrib"),
                   Dial("Greeting"), Info("1", "vivec", "%Name, %race %class of the %faction."),
                   Info("2", "SCRIB", "%Name %race.")}));
    const QuoteSpeakers speakers(f.store);
    QuoteSpeaker v = speakers.find("vIVEC");
    EXPECT_EQ(v.name, "Vivec Creature") << "the creature's name wins";
    EXPECT_EQ(v.race, "Chimer") << "race, class and faction of the first NPC";
    EXPECT_EQ(v.cls, "God");
    EXPECT_EQ(v.faction, "Tribunal");
    QuoteSpeaker scrib = speakers.find("Scrib");
    EXPECT_EQ(scrib.name, "Scrib");
    EXPECT_TRUE(scrib.race.empty() && scrib.cls.empty() && scrib.faction.empty());

    FakeUi ui;
    ui.inputs = {std::nullopt};
    std::string out = f.dir.file("q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(out),
              "<quotes>" + Quote("Vivec Creature, Chimer God of the Tribunal.", "Vivec Creature", "") +
                  Quote("Scrib .", "Scrib", "") + "</quotes>")
        << "a cancelled city question gives an empty city";
}

TEST(QuoteExport, UnknownActorsAndEmptyNamesGetTheActorIdInProperCase) {
    Loaded f(
        File({Npc("nameless", ""), Dial("Greeting"), Info("1", "  old_MAN jones ", "I am %Name the %class."),
              Info("2", "Nameless", "No name.")}));
    EXPECT_EQ(FallbackQuoteName("  old_MAN jones "), "Old_man Jones");
    EXPECT_EQ(FallbackQuoteName("o'NEILL"), "O'neill");
    FakeUi ui;
    ui.inputs = {"Ald'ruhn"};
    std::string out = f.dir.file("q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    // The XML export asks nothing about names, not even for a name with "_".
    EXPECT_EQ(ui.inputPrompts.size(), 1u);
    EXPECT_EQ(testutil::ReadFile(out), "<quotes>" + Quote("I am  the .", "Old_man Jones", "Ald'ruhn") +
                                           Quote("No name.", "Nameless", "Ald'ruhn") + "</quotes>");
}

TEST(QuoteExport, XmlIsWrittenWithoutEscaping) {
    Loaded f(
        File({Npc("a&b", "<Ann & Bo>"), Dial("Greeting"), Info("1", "a&b", "1 < 2 & \"quoted\" </text>")}));
    FakeUi ui;
    ui.inputs = {"Vivec & <Sons>"};
    std::string out = f.dir.file("q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(out),
              "<quotes>" + Quote("1 < 2 & \"quoted\" </text>", "<Ann & Bo>", "Vivec & <Sons>") + "</quotes>");
}

TEST(QuoteExport, QuoteFileHoldsOneRecordOf576BytesPerQuote) {
    const std::string longText(600, 'x');
    const std::string name32(32, 'N');
    Loaded f(File({Npc("plain", "Plain Name"), Npc("exact", name32), Npc("long", std::string(40, 'L')),
                   Dial("Greeting"), Info("1", "plain", "Short text."), Info("2", "exact", longText),
                   Info("3", "long", "%Name"), Info("4", "", "skipped")}));
    FakeUi ui;
    ui.inputs = {"A city name that is longer than thirty-two letters"};
    std::string out = f.dir.file("quotes.BRQ");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    const std::string bytes = testutil::ReadFile(out);
    ASSERT_EQ(bytes.size(), 3 * kQuoteRecordSize);
    const std::string city = "A city name that is longer than ";
    EXPECT_EQ(bytes.substr(0, 576), BrqRecord("Plain Name", city, "Short text."));
    EXPECT_EQ(bytes.substr(576, 576), name32 + city + std::string(512, 'x')) << "fields are cut, not refused";
    EXPECT_EQ(bytes.substr(1152, 32), std::string(32, 'L'));
    EXPECT_EQ(bytes.substr(1152 + 64, 512), Fixed(std::string(40, 'L'), 512))
        << "the text keeps the full name";
    EXPECT_EQ(ui.log.back(), "-Exported 4 responses from \"Quotes.esp\" successfully.");
}

TEST(QuoteExport, QuoteFileAsksForNamesHoldingAnUnderscore) {
    Loaded f(File({Npc("guard_1", "Hlaalu_Guard"), Npc("guard_2", "Redoran_Guard"),
                   Npc("guard_3", "Telvanni_Guard"), Dial("Greeting"), Info("1", "guard_1", "Halt."),
                   Info("2", "guard_2", "Move along."), Info("3", "guard_3", "Begone."),
                   Info("4", "stray_dog", "Woof."), Info("5", "guard_1", "Again.")}));
    FakeUi ui;
    ui.inputs = {"Vivec",
                 "Dreven",        // guard_1: the answer is used
                 std::nullopt,    // guard_2: cancelled: the ID in proper case, which holds "_", is asked
                 "Second Answer", //   and the answer to that question is used
                 "",              // guard_3: empty: the same second question
                 std::nullopt,    //   cancelled too: an empty name
                 "Rover",         // stray_dog: no speaker, so only the second question
                 std::nullopt,    // guard_1 again: asked again
                 std::nullopt};
    std::string out = f.dir.file("q.brq");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(ui.inputPrompts, (std::vector<std::string>{
                                   "Please, enter the name of the city to export from:",
                                   "Enter a name for the NPC:\r\n\r\nHlaalu_Guard",
                                   "Enter a name for the NPC:\r\n\r\nRedoran_Guard", "Guard_2",
                                   "Enter a name for the NPC:\r\n\r\nTelvanni_Guard", "Guard_3", "Stray_dog",
                                   "Enter a name for the NPC:\r\n\r\nHlaalu_Guard", "Guard_1"}));
    EXPECT_EQ(testutil::ReadFile(out),
              BrqRecord("Dreven", "Vivec", "Halt.") + BrqRecord("Second Answer", "Vivec", "Move along.") +
                  BrqRecord("", "Vivec", "Begone.") + BrqRecord("Rover", "Vivec", "Woof.") +
                  BrqRecord("", "Vivec", "Again."));
}

TEST(QuoteExport, QuoteFileUsesTheProperCaseIdWithoutAskingWhenItHasNoUnderscore) {
    Loaded f(File({Npc("silent one", ""), Dial("Greeting"), Info("1", "silent one", "..."),
                   Info("2", "MISSING person", "Who?")}));
    FakeUi ui;
    std::string out = f.dir.file("q.brq");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(ui.inputPrompts.size(), 1u) << "only the city is asked";
    EXPECT_EQ(testutil::ReadFile(out),
              BrqRecord("Silent One", "", "...") + BrqRecord("Missing Person", "", "Who?"));
}

TEST(QuoteExport, WithoutResponsesTheErrorIsReportedAfterTheCityQuestion) {
    for (const std::string& bytes :
         {File({Dial("lonely")}), File({Dial("t"), Info("", "fargoth", "no id")})}) {
        Loaded f(bytes);
        {
            FakeUi ui;
            std::string out = f.dir.file("none.xml");
            testutil::WriteFile(out, "old content");
            EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::NoResponses);
            EXPECT_EQ(testutil::ReadFile(out), "<quotes>");
            EXPECT_EQ(ui.inputPrompts.size(), 1u);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, "The operation encountered an error.");
            EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
            EXPECT_EQ(ui.progress, (std::vector<double>{0.0}));
        }
        {
            FakeUi ui;
            std::string out = f.dir.file("none.brq");
            EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::NoResponses);
            EXPECT_TRUE(std::filesystem::exists(out));
            EXPECT_EQ(testutil::ReadFile(out), "");
            EXPECT_TRUE(ui.messages.empty()) << "the quote file export shows no message";
            EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
        }
    }
}

TEST(QuoteExport, AFileThatCannotBeWrittenIsReportedAndLeftAlone) {
    Loaded f(File({Npc("a", "A"), Dial("Greeting"), Info("1", "a", "Hello.")}));
    FakeUi ui;
    std::string out = f.dir.file("missing-folder/q.xml");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("could not be written"), std::string::npos);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
}
