// Dialogue export to text and import back: the text format, the reading rules of the import (skipping,
// stripping, multi-line values, curly quotes, line breaks), topic renames, the 512-character rule with the
// response editor, the error reports, and whole round trips on real and generated files.
#include <gtest/gtest.h>

#include <filesystem>

#include "dialogue/export_text.h"
#include "dialogue/import_text.h"
#include "dialogue/response_editor.h"
#include "dialogue/text_util.h"
#include "errors.h"
#include "fixture_builder.h"
#include "test_util.h"

#ifdef VELLUM_HAVE_GENERATOR
#include "generator/generator.h"
#endif

using namespace vellum;
using namespace fixture;
using testutil::TempDir;

namespace {

std::string Dial(std::string_view name, uint8_t type = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)));
}

std::string Info(std::string_view id, std::string_view text, std::string_view result = "",
                 std::string_view actor = "fargoth", int32_t type = 0) {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + Sub("DATA", I32(type) + I32(0) + U32(0));
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body);
}

// A loaded file on disk, so that the log lines can name it.
struct Loaded {
    TempDir dir;
    std::string path;
    RecordStore store;
    int32_t count = 0;
    explicit Loaded(const std::string& bytes, const std::string& name = "Dialogue.esp") {
        path = dir.file(name);
        testutil::WriteFile(path, bytes);
        count = testutil::Load(bytes, store);
    }
    std::string save() const { return testutil::Save(store, count, 0); }
    std::string exportText() {
        FakeUi ui;
        return BuildDialogueText(store, ui);
    }
    // Imports text (written to a file first) answering the line-break question with breaks.
    ImportOutcome import(const std::string& text, FakeUi& ui, Answer lineBreaks = Answer::No) {
        std::string file = dir.file("edited.txt");
        testutil::WriteFile(file, text);
        ui.answers.push_front(lineBreaks);
        return ImportDialogueText(file, store, ui, path);
    }
};

std::string ThreeResponses() {
    return File({Dial("Background"), Info("1", "I am \"Fargoth\".", "", "fargoth"),
                 Info("2", "Line one\r\nLine two", "Journal \"A\" 10\r\nGoodbye", "hrisskar"),
                 Dial("Journal"), Info("3", "Caf\xE9 na\xEFve", ";only a comment", "", 4)});
}

const char* kThreeExport = "\"1\"\r\n\"Background\"\r\n\"fargoth\"\r\n\"I am \"\"Fargoth\"\".\"\r\n\"\"\r\n"
                           "\r\n\r\n"
                           "\"2\"\r\n\"Background\"\r\n\"hrisskar\"\r\n\"Line one\r\nLine two\"\r\n"
                           "\"Journal \"\"A\"\" 10\r\nGoodbye\"\r\n"
                           "\r\n\r\n"
                           "\"3\"\r\n\"Journal\"\r\n\"\"\r\n\"Caf\xE9 na\xEFve\"\r\n\";only a comment\"\r\n";

std::vector<std::string> Topics(const RecordStore& s) {
    std::vector<std::string> out;
    for (const INFORecord& r : s.tblINFO) out.push_back(r.Topic);
    return out;
}

const std::vector<std::string> kImportFailed = {"-An error occured during dialogue importing."};

// The report of a text file that ends too soon, at the given offset.
std::string PastTheEnd(size_t offset) {
    return "An error occured  at Offset 0x" + HexCapitals(offset) +
           " while importing the dialogue.\r\n\r\n62: Input past end of file";
}

// A hand-written text file of entries: no separator after the last one.
std::string Entries(std::string text) {
    text.resize(text.size() - 4);
    return text;
}

// One entry of a hand-written text file, with its separator.
std::string Entry(std::string_view id, std::string_view topic, std::string_view text,
                  std::string_view result = "") {
    return "\"" + std::string(id) + "\"\r\n\"" + std::string(topic) + "\"\r\n\"actor\"\r\n\"" +
           std::string(text) + "\"\r\n\"" + std::string(result) + "\"\r\n\r\n\r\n";
}

// Every awkward text with every result, under a topic and a journal: quotes, multi-line texts, lone CR and LF
// inside texts, 8-bit characters, curly quotes, empty texts and results.
std::string AwkwardResponses() {
    const std::vector<std::string> texts = {"Plain words.",
                                            "He said \"hello\" and \"\"left\"\".",
                                            "First line\r\nSecond line\r\n\r\nFourth \"quoted\"",
                                            "Ends in a \"quote\"",
                                            "\"Starts with a quote",
                                            "Lone\nline feed and lone\rcarriage return",
                                            "Caf\xE9, na\xEFve, \xC6sir \x85",
                                            "Semicolon line\r\n;not a comment inside a value",
                                            "Trailing break\r\n",
                                            "",
                                            std::string(300, 'x') + " \"" + std::string(100, 'y') + "\"",
                                            "\x93"
                                            "Curly\x94 quotes from a word processor"};
    const std::vector<std::string> results = {"", "Goodbye",
                                              "Journal \"Q_1\" 10\r\nChoice \"Yes\" 1 \"No\" 2",
                                              ";comment\r\nset x to 1\r\n", "\"x\""};
    std::vector<std::string> recs;
    for (uint8_t type : {0, 4}) {
        recs.push_back(Dial(type ? "Journal" : "Topic", type));
        for (size_t t = 0; t < texts.size(); ++t)
            for (size_t r = 0; r < results.size(); ++r)
                recs.push_back(Info(std::to_string(type * 1000 + t * 10 + r), texts[t], results[r],
                                    type ? "" : "npc_" + std::to_string(r), type));
    }
    return File(recs);
}

// The import turns curly double quotes into straight ones wherever they stand, texts included; a file whose
// texts hold curly quotes comes back with straight ones and otherwise unchanged (the lengths stay the same).
RecordStore WithStraightQuotes(RecordStore s) {
    for (INFORecord& r : s.tblINFO) {
        StraightenQuotes(r.NAME);
        StraightenQuotes(r.BNAM);
    }
    return s;
}

// Exports and imports the file unchanged; returns the import's window for further checks.
FakeUi ExpectUnchangedByExportAndImport(const std::string& bytes, size_t atLeast,
                                        const std::string& name = "Dialogue.esp") {
    Loaded f(bytes, name);
    FakeUi ui;
    EXPECT_GE(f.store.tblINFO.size(), atLeast);
    const RecordStore expected = WithStraightQuotes(f.store);
    ImportOutcome r = f.import(f.exportText(), ui);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.passes, 1u);
    EXPECT_EQ(f.store.tblDIAL, expected.tblDIAL);
    EXPECT_EQ(f.store.tblINFO, expected.tblINFO);
    EXPECT_EQ(f.save(), testutil::Save(expected, f.count));
    return ui;
}

} // namespace

// ---- export ----

TEST(DialogueExport, WritesFiveValuesPerResponseWithSeparatorsAndDoubledQuotes) {
    Loaded f(ThreeResponses());
    FakeUi ui;
    std::string out = f.dir.file("out.txt");
    EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::Exported);
    std::string text = testutil::ReadFile(out);
    EXPECT_EQ(text, kThreeExport);
    EXPECT_EQ(ui.log,
              (std::vector<std::string>{"-Exported 3 responses from \"Dialogue.esp\" successfully."}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
}

TEST(DialogueExport, TheNameChoosesTheExport) {
    // Only the last three letters count, in either case.
    const std::vector<std::pair<std::string, ExportKind>> cases = {{"quotes.xMl", ExportKind::QuoteXml},
                                                                   {"Q.BRQ", ExportKind::QuoteBrq},
                                                                   {"q.brq", ExportKind::QuoteBrq},
                                                                   {"dialogue", ExportKind::Text},
                                                                   {"xmlfile.txt", ExportKind::Text},
                                                                   {"noxml", ExportKind::QuoteXml},
                                                                   {"ml", ExportKind::Text}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(ExportKindForName(name), kind) << name;

    // A name ending in XML in capitals runs the quote export (which asks for a city), not the text export;
    // a name without an extension runs the text export.
    Loaded f(ThreeResponses());
    FakeUi ui;
    ExportDialogue(f.dir.file("quotes.XML"), f.store, ui, f.path);
    EXPECT_FALSE(ui.inputPrompts.empty());
    EXPECT_NE(testutil::ReadFile(f.dir.file("quotes.XML")), kThreeExport);
    FakeUi plain;
    EXPECT_EQ(ExportDialogue(f.dir.file("dialogue"), f.store, plain, f.path), ExportResult::Exported);
    EXPECT_TRUE(plain.inputPrompts.empty());
    EXPECT_EQ(testutil::ReadFile(f.dir.file("dialogue")), kThreeExport);
}

TEST(DialogueExport, WithoutResponsesTheFileIsEmptyAndTheErrorReported) {
    for (const std::string& bytes :
         {File({Dial("lonely")}), File({Dial("t"), Info("", "text without id")})}) {
        Loaded f(bytes);
        FakeUi ui;
        std::string out = f.dir.file("out.txt");
        testutil::WriteFile(out, "old content");
        EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::NoResponses);
        EXPECT_TRUE(std::filesystem::exists(out));
        EXPECT_EQ(testutil::ReadFile(out), "");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "The operation encountered an error.");
        EXPECT_EQ(ui.messages[0].title, "Vellum");
        EXPECT_EQ(ui.messages[0].buttons, Buttons::OK);
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
    }
}

TEST(DialogueExport, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    Loaded f(ThreeResponses());
    std::filesystem::create_directory(f.dir.file("a folder.txt"));
    for (const std::string& target : {f.dir.file("missing/out.txt"), f.dir.file("a folder.txt")}) {
        FakeUi ui;
        EXPECT_EQ(ExportDialogue(target, f.store, ui, f.path), ExportResult::WriteFailed);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find("could not be written"), std::string::npos);
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
    }
    EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("a folder.txt")));
    EXPECT_FALSE(std::filesystem::exists(f.dir.file("missing")));
}

// ---- import: whole round trips ----

TEST(DialogueImport, AnUnchangedExportGivesTheSameStoreAndTheSameFile) {
    FakeUi ui = ExpectUnchangedByExportAndImport(ThreeResponses(), 3);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Do you want to remove line breaks?");
    EXPECT_EQ(ui.messages[0].title, "Vellum");
    EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.messages[0].kind, Ask::RemoveLineBreaks);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Imported 3 responses to \"Dialogue.esp\" successfully."}));
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
}

TEST(DialogueImport, RealPluginSurvivesExportAndImport) {
    std::string bytes = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(bytes.empty());
    FakeUi ui = ExpectUnchangedByExportAndImport(bytes, 7, "all_types.esp");
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Imported 7 responses to \"all_types.esp\" successfully."}));
}

TEST(DialogueImport, ThousandsOfGeneratedResponsesSurviveExportAndImport) {
#ifdef VELLUM_HAVE_GENERATOR
    ExpectUnchangedByExportAndImport(gen::GeneratePlugin(gen::SmallPreset(3000)), 3000);
#endif
    // The program's own file of awkward texts, curly quotes too.
    ExpectUnchangedByExportAndImport(AwkwardResponses(), 120);
}

TEST(DialogueImport, CommentsShortLinesAndLineEndsBetweenValues) {
    Loaded f(File({Dial("T"), Info("a", "old"), Info("b", "old")}));
    std::string text =
        "; a comment before everything\r\n\r\nx\r\n\"a\"\r\n;between\r\n\"T\"\r\n\"anyone\"\r\n"
        "\"new \"\"a\"\"\r\n;inside a value this is text\"\r\n\"\"\r\n\r\n\r\n"
        "\"b\"\r\n\"T\"\r\n\"\"\r\n\"new b\"\r\n\";result\r\nline\"\r\n";
    FakeUi ui;
    EXPECT_TRUE(f.import(text, ui).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "new \"a\"\r\n;inside a value this is text");
    EXPECT_EQ(f.store.tblINFO[1].NAME, "new b");
    EXPECT_EQ(f.store.tblINFO[1].BNAM, ";result\r\nline");
    f.save();

    // A file whose editor ended its lines with LF alone reads the same way.
    Loaded g(File({Dial("T"), Info("a", "old"), Info("b", "old")}));
    FakeUi gui;
    EXPECT_TRUE(
        g.import("\"a\"\n\"T\"\n\"\"\n\"one\ntwo\"\n\"\"\n\n\n\"b\"\n\"T\"\n\"\"\n\"x\"\n\"y\"\n", gui)
            .completed);
    EXPECT_EQ(g.store.tblINFO[0].NAME, "one\r\ntwo");
    EXPECT_EQ(g.store.tblINFO[1].BNAM, "y");
}

TEST(DialogueImport, ValuesCloseOnAnOddRunOfQuotes) {
    Loaded f(File({Dial("T"), Info("a", "x"), Info("b", "x"), Info("c", "x")}));
    // "" is the empty value; a first line of quotes only does not close; an even run at the end does not
    // close; an odd run does.
    std::string text = Entry("a", "T", "", "") +
                       "\"b\"\r\n\"T\"\r\n\"\"\r\n\"\"\"\r\n\"\"\"\r\n\"\"\r\n\"c\"\r\n\"T\"\r\n"
                       "\"\"\r\n\"say \"\"\r\nmore \"\"x\"\"\"\r\n\"\"\r\n";
    FakeUi ui;
    EXPECT_TRUE(f.import(text, ui).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "");
    EXPECT_EQ(f.store.tblINFO[0].NAMELen, 0);
    EXPECT_EQ(f.store.tblINFO[1].NAME, "\"\r\n\"") << "the quote line, a break and the closing line";
    EXPECT_EQ(f.store.tblINFO[2].NAME, "say \"\r\nmore \"x\"");
    f.save();
}

TEST(DialogueImport, CurlyQuotesAreStraightenedOnDiskToo) {
    Loaded f(File({Dial("T"), Info("a", "old")}));
    std::string text =
        "\x93"
        "a\x94\r\n\x93T\x94\r\n\x93\x94\r\n\x93She said \x93\x93hi\x94\x94.\x94\r\n\x93\x94\r\n";
    FakeUi ui;
    EXPECT_TRUE(f.import(text, ui).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "She said \"hi\".");
    std::string onDisk = testutil::ReadFile(f.dir.file("edited.txt"));
    EXPECT_EQ(onDisk.size(), text.size());
    EXPECT_EQ(onDisk, "\"a\"\r\n\"T\"\r\n\"\"\r\n\"She said \"\"hi\"\".\"\r\n\"\"\r\n");
}

TEST(DialogueImport, CurlyQuotesInsideTextsComeBackStraight) {
    // The straightening does not know delimiters from text: curly quotes inside a text come back as straight
    // quotes of the same length; a pair of them standing together becomes one quote (the pair reads as a
    // doubled quote); and a text that ends in a curly quote cannot be brought back at all, because its last
    // quote then pairs with the closing one and the value runs on into the next entry.
    Loaded f(File({Dial("T"), Info("a", "\x93Hi\x94 there"), Info("b", "x \x94\x93 y"), Info("c", "plain")}));
    FakeUi ui;
    EXPECT_TRUE(f.import(f.exportText(), ui).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "\"Hi\" there");
    EXPECT_EQ(f.store.tblINFO[0].NAMELen, 10);
    EXPECT_EQ(f.store.tblINFO[1].NAME, "x \" y");
    EXPECT_EQ(f.store.tblINFO[1].NAMELen, 5);
    f.save();

    Loaded g(File({Dial("T"), Info("a", "He said \x93hello.\x94"), Info("b", "next")}));
    FakeUi gui;
    EXPECT_FALSE(g.import(g.exportText(), gui).completed);
    EXPECT_NE(gui.messages.back().text.find("Required ID: \"b\""), std::string::npos);
    const std::string& runOn = g.store.tblINFO[0].NAME;
    EXPECT_EQ(runOn.rfind("He said \"hello.\"\r\n", 0), 0u) << runOn;
    EXPECT_NE(runOn.find("\"b"), std::string::npos) << "the value ran on into the next entry";
}

TEST(DialogueImport, RemovingLineBreaksJoinsTextsButNotResults) {
    Loaded f(File({Dial("T"), Info("a", "x")}));
    FakeUi ui;
    EXPECT_TRUE(
        f.import(Entries(Entry("a", "T", "one\r\ntwo\r\nthree", "r1\r\nr2")), ui, Answer::Yes).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "one two three");
    EXPECT_EQ(f.store.tblINFO[0].BNAM, "r1\r\nr2");
    f.save();
}

TEST(DialogueImport, SizeRuleForTextsAndResults) {
    Loaded f(File({Dial("T"), Info("a", "", "", "x"), Info("b", "twelve chars", "result", "x")}));
    FakeUi ui;
    EXPECT_TRUE(
        f.import(Entries(Entry("a", "T", "new text", "set") + Entry("b", "T", "", "result!")), ui).completed);
    const INFORecord& a = f.store.tblINFO[0];
    const INFORecord& b = f.store.tblINFO[1];
    EXPECT_EQ(a.NAMELen, 8);
    EXPECT_EQ(a.BNAMLen, 3);
    EXPECT_EQ(b.NAMELen, 0);
    EXPECT_EQ(b.BNAMLen, 7);
    RecordStore back;
    testutil::Load(f.save(), back);
    EXPECT_EQ(back.tblINFO, f.store.tblINFO);
}

TEST(DialogueImport, MoreEntriesStartAgainAtTheFirstResponse) {
    Loaded f(File({Dial("T"), Info("a", "x"), Info("b", "x")}));
    FakeUi ui;
    std::string text = Entries(Entry("a", "T", "first") + Entry("b", "T", "first") +
                               Entry("a", "T", "second") + Entry("b", "T", "second"));
    ImportOutcome r = f.import(text, ui);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.passes, 2u);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "second");
    EXPECT_EQ(ui.log.size(), 2u);
    EXPECT_EQ(ui.log[1], "-Imported 2 responses to \"Dialogue.esp\" successfully.");
}

// ---- import: topic renames ----

TEST(DialogueImport, ARenameInEveryEntryRenamesTheTopicOnce) {
    Loaded f(File({Dial("Rumors"), Info("a", "x"), Info("b", "y"), Dial("Other"), Info("c", "z")}));
    FakeUi ui;
    EXPECT_TRUE(f.import(Entries(Entry("a", "Latest Rumors", "x") + Entry("b", "latest rumors", "y") +
                                 Entry("c", "Other", "z")),
                         ui)
                    .completed);
    // The second entry's change of letter case alone is not noticed.
    EXPECT_EQ(f.store.tblINFO[1].Topic, "Latest Rumors");
    EXPECT_EQ(f.save(),
              File({Dial("Latest Rumors"), Info("a", "x"), Info("b", "y"), Dial("Other"), Info("c", "z")}));
}

TEST(DialogueImport, ARenameInTheFirstEntryOnlyIsUndoneByTheNext) {
    const std::string bytes = File({Dial("Rumors"), Info("a", "x"), Info("b", "y")});
    Loaded f(bytes);
    const RecordStore before = f.store;
    FakeUi ui;
    EXPECT_TRUE(f.import(Entries(Entry("a", "Gossip", "x") + Entry("b", "Rumors", "y")), ui).completed);
    EXPECT_EQ(f.store.tblDIAL, before.tblDIAL);
    EXPECT_EQ(f.store.tblINFO, before.tblINFO);
    EXPECT_EQ(f.save(), bytes);
}

TEST(DialogueImport, RenamesFollowTheFirstMatchingTopic) {
    // Two topics of the same name (letter case aside): the first is renamed and every response of that name
    // follows; the second topic keeps its name and loses them at the next save. A response whose topic does
    // not exist takes the new name alone.
    Loaded f(File({Dial("dup"), Info("a", "x"), Dial("DUP"), Info("b", "y"), Info("c", "z")}));
    f.store.tblINFO[2].Topic = "nowhere";
    FakeUi ui;
    EXPECT_TRUE(f.import(Entries(Entry("a", "renamed", "x") + Entry("b", "renamed", "y") +
                                 Entry("c", "somewhere", "z")),
                         ui)
                    .completed);
    EXPECT_EQ(f.store.tblDIAL[0].NAME, "renamed");
    EXPECT_EQ(f.store.tblDIAL[1].NAME, "DUP");
    EXPECT_EQ(Topics(f.store), (std::vector<std::string>{"renamed", "renamed", "somewhere"}));

    // Renaming to a name that exists merges the responses; a later rename of that name takes them all.
    Loaded g(File({Dial("one"), Info("a", "x"), Dial("two"), Info("b", "y")}));
    FakeUi gui;
    EXPECT_TRUE(g.import(Entries(Entry("a", "two", "x") + Entry("b", "three", "y")), gui).completed);
    EXPECT_EQ(g.store.tblDIAL[0].NAME, "three") << "the first topic named two is the renamed one";
    EXPECT_EQ(g.store.tblDIAL[1].NAME, "two");
    EXPECT_EQ(Topics(g.store), (std::vector<std::string>{"three", "three"}));
}

// ---- import: the 512-character rule ----

TEST(DialogueImport, OverLongTextsWithEachAnswer) {
    const std::string long600(600, 'a'), long700(700, 'b'), long800(800, 'c');
    auto file = [] {
        return File({Dial("T"), Info("r1", "x", "", "fargoth"), Info("r2", "x"), Info("r3", "x"),
                     Dial("J", 4), Info("r4", "x", "", "", 4)});
    };
    const std::string text = Entries(Entry("r1", "T", long600) + Entry("r2", "T", long700) +
                                     Entry("r3", "T", long600) + Entry("r4", "J", long800));
    const std::string question =
        "The response \"r1\" is bigger than 512 characters. Do you want to edit it by hand? "
        "Otherwise it will be trimmed to fit.\r\n\r\nCancel is \"No to all\"";
    {
        // No trims this one only; Cancel trims it and every later one without asking.
        Loaded f(file());
        FakeUi ui;
        ui.answers = {Answer::No, Answer::Cancel};
        ImportOutcome r = f.import(text, ui);
        EXPECT_TRUE(r.completed);
        ASSERT_EQ(ui.messages.size(), 1u + 2);
        EXPECT_EQ(ui.messages[1].text, question);
        EXPECT_EQ(ui.messages[1].title, "Vellum Warning");
        EXPECT_EQ(ui.messages[1].buttons, Buttons::YesNoCancel);
        EXPECT_EQ(ui.messages[1].icon, Icon::Information);
        EXPECT_EQ(ui.messages[1].kind, Ask::TextTooLong);
        EXPECT_NE(ui.messages[2].text.find("\"r2\""), std::string::npos);
        for (const INFORecord& rec : f.store.tblINFO) {
            EXPECT_EQ(rec.NAME.size(), 512u) << rec.INAM;
            EXPECT_EQ(rec.NAMELen, 512);
        }
        EXPECT_EQ(r.overLong, (std::vector<std::string>{"r1", "r2", "r3", "r4"}));
        EXPECT_TRUE(ui.responseEdits.empty());
        f.save();
    }
    {
        // Yes opens the editor with actor, topic and text; what it returns is stored, cut to 512 when the
        // user cancelled with the text still too long.
        Loaded f(file());
        FakeUi ui;
        ui.defaultAnswer = Answer::Yes;
        ui.onEditResponse = [](ResponseEdit& e) {
            if (e.Topic == "J") e.Response = "Shortened by hand.";
        };
        EXPECT_TRUE(f.import(text, ui).completed);
        ASSERT_EQ(ui.responseEdits.size(), 4u);
        EXPECT_EQ(ui.responseEdits[0].Actor, "fargoth");
        EXPECT_EQ(ui.responseEdits[0].Topic, "T");
        EXPECT_EQ(ui.responseEdits[0].Response, long600);
        EXPECT_EQ(ui.responseEdits[3].Actor, "Journal Entry");
        EXPECT_EQ(ui.responseEdits[3].Topic, "J");
        EXPECT_EQ(f.store.tblINFO[0].NAME, long600.substr(0, 512));
        EXPECT_EQ(f.store.tblINFO[3].NAME, "Shortened by hand.");
        EXPECT_EQ(f.store.tblINFO[3].NAMELen, 18);
        f.save();
    }
}

// ---- import: failures ----

TEST(DialogueImport, AnExtraBlankLineAfterTheLastEntryEndsWithAnErrorAfterTheSuccess) {
    Loaded f(ThreeResponses());
    std::string text = f.exportText() + "\r\n";
    FakeUi ui;
    ImportOutcome r = f.import(text, ui);
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.passes, 1u);
    ASSERT_EQ(ui.log.size(), 2u);
    EXPECT_EQ(ui.log[0], "-Imported 3 responses to \"Dialogue.esp\" successfully.");
    EXPECT_EQ(ui.log[1], "-An error occured during dialogue importing.");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, PastTheEnd(text.size() + 1));
    EXPECT_EQ(ui.messages[1].buttons, Buttons::OK);
    EXPECT_EQ(ui.progress.back(), 0.0);
}

TEST(DialogueImport, AnIdMismatchStopsWithTheOffsetInHexadecimalCapitals) {
    Loaded f(File({Dial("T"), Info("first", "old 1"), Info("second", "old 2"), Info("third", "old 3")}));
    std::string before = Entry("first", "T", "new 1") +
                         "; padding to reach an offset with letters in it: " + std::string(150, '-') + "\r\n";
    std::string text = before + Entry("FIRST", "T", "new 2") + Entry("third", "T", "new 3");
    FakeUi ui;
    ImportOutcome r = f.import(text, ui);
    EXPECT_FALSE(r.completed);
    const size_t offset = before.size() + std::string("\"FIRST\"\r\n").size() + 1;
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "The file has been edited incorrectly. Current offset: 0x" +
                                       HexCapitals(offset) +
                                       ".\r\nRequired ID: \"second\".\r\nFound ID: FIRST.");
    EXPECT_EQ(HexCapitals(offset), "FB");
    EXPECT_EQ(ui.log, kImportFailed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "new 1") << "responses before the failing entry keep their new texts";
    EXPECT_EQ(f.store.tblINFO[1].NAME, "old 2");
    EXPECT_EQ(f.store.tblINFO[2].NAME, "old 3");
    f.save();

    // IDs compare without regard to letter case.
    Loaded g(File({Dial("T"), Info("MixedCase", "x")}));
    FakeUi gui;
    EXPECT_TRUE(g.import(Entries(Entry("mixedcase", "T", "y")), gui).completed);
    EXPECT_EQ(g.store.tblINFO[0].NAME, "y");
}

TEST(DialogueImport, ShortFilesAndMissingFilesAreReported) {
    const std::string two = File({Dial("T"), Info("a", "x"), Info("b", "y")});
    const std::string fewer = Entry("a", "T", "changed");
    struct Case {
        std::string bytes, text, message, firstText;
    };
    const std::vector<Case> cases = {
        // Fewer entries than responses: what was read stays.
        {two, fewer, PastTheEnd(fewer.size() + 1), "changed"},
        // An entry cut in the middle of a multi-line text.
        {two, "\"a\"\r\n\"T\"\r\n\"\"\r\n\"never\r\nclosed\r\n", "62: Input past end of file", "x"},
        // No responses loaded: the table has no elements.
        {File({Dial("T")}), Entry("a", "T", "x"),
         "An error occured  at Offset 0x1 while importing the dialogue.\r\n\r\n9: Subscript out of range",
         ""},
        // A text file that does not exist.
        {two, "missing", "53: File not found", "x"}};
    for (const Case& c : cases) {
        Loaded f(c.bytes);
        FakeUi ui;
        ui.answers = {Answer::No};
        const std::string file = c.text == "missing" ? f.dir.file("gone.txt") : f.dir.file("edited.txt");
        if (c.text != "missing") testutil::WriteFile(file, c.text);
        ImportOutcome r = ImportDialogueText(file, f.store, ui, f.path);
        EXPECT_FALSE(r.completed);
        EXPECT_EQ(r.passes, 0u);
        ASSERT_EQ(ui.messages.size(), 2u) << c.message;
        EXPECT_NE(ui.messages[1].text.find(c.message), std::string::npos) << ui.messages[1].text;
        EXPECT_EQ(ui.log, kImportFailed);
        if (!c.firstText.empty()) {
            EXPECT_EQ(f.store.tblINFO[0].NAME, c.firstText);
        }
    }
    // An empty text file ends the import at once: no message besides the question, no log line.
    Loaded f(two);
    FakeUi ui;
    EXPECT_EQ(f.import("", ui).passes, 0u);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.log.empty());
}

// ---- shared pieces ----

TEST(DialogueTextUtil, ProperCaseAndLetterCase) {
    EXPECT_EQ(ProperCase("HRISSKAR FLAT-FOOT"), "Hrisskar Flat-foot");
    EXPECT_EQ(ProperCase("fargoth's ring"), "Fargoth's Ring") << "an apostrophe does not separate words";
    EXPECT_EQ(ProperCase("a\tb\nc\rd\ve\ff"), "A\tB\nC\rD\vE\fF");
    EXPECT_EQ(ProperCase(std::string("x\0y", 3)), std::string("X\0Y", 3));
    EXPECT_EQ(ProperCase("\xE9LISE \xC9TOILE"), "\xC9lise \xC9toile") << "accented letters have both cases";
    EXPECT_EQ(ToUpper("a\xFF\x9A\xF7"), "A\x9F\x8A\xF7");
    EXPECT_EQ(ToLower("\xD7\xDF\xC0"), "\xD7\xDF\xE0");
    EXPECT_TRUE(EqualsIgnoreCase("Caf\xC9", "cAF\xE9"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
}

TEST(DialogueTextUtil, ResponseEditorContract) {
    EXPECT_EQ(ActorLabel("yagrum bagarn"), "Actor: Yagrum Bagarn");
    EXPECT_EQ(ActorLabel("Journal Entry"), "Journal Entry");
    EXPECT_EQ(TopicLabel("latest rumors"), "Topic: latest rumors");
    EXPECT_EQ(LengthLabel(std::string(513, 'x')), "Length: 513");
    EXPECT_TRUE(AcceptEnabled(std::string(512, 'x')));
    EXPECT_FALSE(AcceptEnabled(std::string(513, 'x')));
    INFORecord journal;
    journal.InfoType = 4;
    journal.ONAM = "someone";
    EXPECT_EQ(EditorActor(journal), "Journal Entry");
    journal.InfoType = 0;
    EXPECT_EQ(EditorActor(journal), "someone");
}

TEST(DialogueTextUtil, SystemErrorsAndHexadecimal) {
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::no_such_file_or_directory)),
              RunError::FileNotFound);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::permission_denied)),
              RunError::PermissionDenied);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::no_space_on_device)), RunError::DiskFull);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::is_a_directory)), RunError::PathFileAccess);
    EXPECT_EQ(HexCapitals(0xABCDEF12u), "ABCDEF12");
}
