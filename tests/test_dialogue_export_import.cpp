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

std::vector<std::string> Texts(const RecordStore& s) {
    std::vector<std::string> out;
    for (const INFORecord& r : s.tblINFO) out.push_back(r.NAME);
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
    // A name without an extension runs the text export.
    EXPECT_EQ(ExportDialogue(f.dir.file("dialogue"), f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(f.dir.file("dialogue")), kThreeExport);
    EXPECT_EQ(ui.log,
              (std::vector<std::string>{"-Exported 3 responses from \"Dialogue.esp\" successfully."}));
    EXPECT_TRUE(ui.messages.empty() && ui.inputPrompts.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));

    // Only the last three letters of the name choose the export, in either case.
    const std::vector<std::pair<std::string, ExportKind>> cases = {
        {"quotes.xMl", ExportKind::QuoteXml}, {"Q.BRQ", ExportKind::QuoteBrq}, {"dialogue", ExportKind::Text},
        {"xmlfile.txt", ExportKind::Text},    {"noxml", ExportKind::QuoteXml}, {"ml", ExportKind::Text}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(ExportKindForName(name), kind) << name;
}

TEST(DialogueExport, FailuresAreReported) {
    // Without responses the file is emptied.
    for (const std::string& bytes :
         {File({Dial("lonely")}), File({Dial("t"), Info("", "text without id")})}) {
        Loaded f(bytes);
        FakeUi ui;
        const std::string out = f.dir.file("out.txt");
        testutil::WriteFile(out, "old content");
        EXPECT_EQ(ExportDialogue(out, f.store, ui, f.path), ExportResult::NoResponses);
        EXPECT_TRUE(std::filesystem::exists(out));
        EXPECT_EQ(testutil::ReadFile(out), "");
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(std::tie(ui.messages[0].text, ui.messages[0].title, ui.messages[0].buttons),
                  std::make_tuple("The operation encountered an error.", "Vellum", Buttons::OK));
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
    }
    // A file that cannot be written: nothing is left.
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
    const ShownMessage& m = ui.messages[0];
    EXPECT_EQ(std::tie(m.text, m.title, m.buttons, m.kind),
              std::make_tuple("Do you want to remove line breaks?", "Vellum", Buttons::YesNo,
                              Ask::RemoveLineBreaks));
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Imported 3 responses to \"Dialogue.esp\" successfully."}));
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));

    ExpectUnchangedByExportAndImport(testutil::ReadFile(testutil::SharedFixture("all_types.esp")), 7);
    // The program's own file of awkward texts, curly quotes too.
    ExpectUnchangedByExportAndImport(AwkwardResponses(), 120);
#ifdef VELLUM_HAVE_GENERATOR
    ExpectUnchangedByExportAndImport(gen::GeneratePlugin(gen::SmallPreset(3000)), 3000);
#endif
}

TEST(DialogueImport, CommentsShortLinesAndLineEndsBetweenValues) {
    Loaded f(File({Dial("T"), Info("a", "old"), Info("b", "old")}));
    std::string text =
        "; a comment before everything\r\n\r\nx\r\n\"a\"\r\n;between\r\n\"T\"\r\n\"anyone\"\r\n"
        "\"new \"\"a\"\"\r\n;inside a value this is text\"\r\n\"\"\r\n\r\n\r\n"
        "\"b\"\r\n\"T\"\r\n\"\"\r\n\"new b\"\r\n\";result\r\nline\"\r\n";
    FakeUi ui;
    EXPECT_TRUE(f.import(text, ui).completed);
    EXPECT_EQ(Texts(f.store),
              (std::vector<std::string>{"new \"a\"\r\n;inside a value this is text", "new b"}));
    EXPECT_EQ(f.store.tblINFO[1].BNAM, ";result\r\nline");
    f.save();

    // A file whose editor ended its lines with LF alone reads the same way.
    Loaded g(File({Dial("T"), Info("a", "old"), Info("b", "old")}));
    EXPECT_TRUE(g.import("\"a\"\n\"T\"\n\"\"\n\"one\ntwo\"\n\"\"\n\n\n\"b\"\n\"T\"\n\"\"\n\"x\"\n\"y\"\n", ui)
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
    EXPECT_EQ(Texts(f.store), (std::vector<std::string>{"", "\"\r\n\"", "say \"\r\nmore \"x\""}));
    EXPECT_EQ(f.store.tblINFO[0].NAMELen, 0);
    f.save();
}

TEST(DialogueImport, CurlyQuotesAreStraightenedOnDiskAndInTexts) {
    Loaded f(File({Dial("T"), Info("a", "old")}));
    std::string text =
        "\x93"
        "a\x94\r\n\x93T\x94\r\n\x93\x94\r\n\x93She said \x93\x93hi\x94\x94.\x94\r\n\x93\x94\r\n";
    FakeUi ui;
    EXPECT_TRUE(f.import(text, ui).completed);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "She said \"hi\".");
    EXPECT_EQ(testutil::ReadFile(f.dir.file("edited.txt")),
              "\"a\"\r\n\"T\"\r\n\"\"\r\n\"She said \"\"hi\"\".\"\r\n\"\"\r\n");

    // The straightening does not know delimiters from text: curly quotes inside a text come back as straight
    // quotes of the same length; a pair of them standing together becomes one quote (the pair reads as a
    // doubled quote); and a text that ends in a curly quote cannot be brought back at all, because its last
    // quote then pairs with the closing one and the value runs on into the next entry.
    Loaded g(File({Dial("T"), Info("a", "\x93Hi\x94 there"), Info("b", "x \x94\x93 y"), Info("c", "plain")}));
    EXPECT_TRUE(g.import(g.exportText(), ui).completed);
    EXPECT_EQ(Texts(g.store), (std::vector<std::string>{"\"Hi\" there", "x \" y", "plain"}));
    EXPECT_EQ(std::tie(g.store.tblINFO[0].NAMELen, g.store.tblINFO[1].NAMELen), std::make_tuple(10, 5));
    g.save();

    Loaded h(File({Dial("T"), Info("a", "He said \x93hello.\x94"), Info("b", "next")}));
    FakeUi hui;
    EXPECT_FALSE(h.import(h.exportText(), hui).completed);
    EXPECT_NE(hui.messages.back().text.find("Required ID: \"b\""), std::string::npos);
    const std::string& runOn = h.store.tblINFO[0].NAME;
    EXPECT_EQ(runOn.rfind("He said \"hello.\"\r\n", 0), 0u) << runOn;
    EXPECT_NE(runOn.find("\"b"), std::string::npos) << "the value ran on into the next entry";
}

TEST(DialogueImport, LineBreaksSizesAndMorePasses) {
    // Removing line breaks joins texts, not results.
    Loaded f(File({Dial("T"), Info("a", "x")}));
    FakeUi ui;
    EXPECT_TRUE(
        f.import(Entries(Entry("a", "T", "one\r\ntwo\r\nthree", "r1\r\nr2")), ui, Answer::Yes).completed);
    EXPECT_EQ(std::tie(f.store.tblINFO[0].NAME, f.store.tblINFO[0].BNAM),
              std::make_tuple("one two three", "r1\r\nr2"));
    f.save();

    // Texts and results get lengths that match their new sizes.
    Loaded g(File({Dial("T"), Info("a", "", "", "x"), Info("b", "twelve chars", "result", "x")}));
    EXPECT_TRUE(
        g.import(Entries(Entry("a", "T", "new text", "set") + Entry("b", "T", "", "result!")), ui).completed);
    const INFORecord &a = g.store.tblINFO[0], &b = g.store.tblINFO[1];
    EXPECT_EQ(std::tie(a.NAMELen, a.BNAMLen, b.NAMELen, b.BNAMLen), std::make_tuple(8, 3, 0, 7));
    RecordStore back;
    testutil::Load(g.save(), back);
    EXPECT_EQ(back.tblINFO, g.store.tblINFO);

    // More entries than responses start again at the first response; IDs compare without regard to case.
    Loaded h(File({Dial("T"), Info("a", "x"), Info("B", "x")}));
    FakeUi hui;
    ImportOutcome r = h.import(Entries(Entry("a", "T", "first") + Entry("b", "T", "first") +
                                       Entry("A", "T", "second") + Entry("b", "T", "second")),
                               hui);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.passes, 2u);
    EXPECT_EQ(Texts(h.store), (std::vector<std::string>{"second", "second"}));
    EXPECT_EQ(hui.log,
              (std::vector<std::string>(2, "-Imported 2 responses to \"Dialogue.esp\" successfully.")));
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
    EXPECT_EQ(f.save(),
              File({Dial("Latest Rumors"), Info("a", "x"), Info("b", "y"), Dial("Other"), Info("c", "z")}));

    // A rename in the first entry only is undone by the next.
    const std::string bytes = File({Dial("Rumors"), Info("a", "x"), Info("b", "y")});
    Loaded g(bytes);
    EXPECT_TRUE(g.import(Entries(Entry("a", "Gossip", "x") + Entry("b", "Rumors", "y")), ui).completed);
    EXPECT_EQ(g.save(), bytes);
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
    EXPECT_EQ(std::tie(f.store.tblDIAL[0].NAME, f.store.tblDIAL[1].NAME), std::make_tuple("renamed", "DUP"));
    EXPECT_EQ(Topics(f.store), (std::vector<std::string>{"renamed", "renamed", "somewhere"}));

    // Renaming to a name that exists merges the responses; a later rename of that name takes them all.
    Loaded g(File({Dial("one"), Info("a", "x"), Dial("two"), Info("b", "y")}));
    EXPECT_TRUE(g.import(Entries(Entry("a", "two", "x") + Entry("b", "three", "y")), ui).completed);
    EXPECT_EQ(std::tie(g.store.tblDIAL[0].NAME, g.store.tblDIAL[1].NAME), std::make_tuple("three", "two"));
    EXPECT_EQ(Topics(g.store), (std::vector<std::string>{"three", "three"}));
}

// ---- import: the 512-character rule ----

TEST(DialogueImport, OverLongTextsWithEachAnswer) {
    const std::string long600(600, 'a'), long700(700, 'b'), long800(800, 'c');
    const std::string bytes = File({Dial("T"), Info("r1", "x", "", "fargoth"), Info("r2", "x"),
                                    Info("r3", "x"), Dial("J", 4), Info("r4", "x", "", "", 4)});
    const std::string text = Entries(Entry("r1", "T", long600) + Entry("r2", "T", long700) +
                                     Entry("r3", "T", long600) + Entry("r4", "J", long800));
    {
        // No trims this one only; Cancel trims it and every later one without asking.
        Loaded f(bytes);
        FakeUi ui;
        ui.answers = {Answer::No, Answer::Cancel};
        ImportOutcome r = f.import(text, ui);
        EXPECT_TRUE(r.completed);
        ASSERT_EQ(ui.messages.size(), 3u);
        const ShownMessage& m = ui.messages[1];
        EXPECT_EQ(
            std::tie(m.text, m.title, m.buttons, m.icon, m.kind),
            std::make_tuple("The response \"r1\" is bigger than 512 characters. Do you want to edit it by "
                            "hand? Otherwise it will be trimmed to fit.\r\n\r\nCancel is \"No to all\"",
                            "Vellum Warning", Buttons::YesNoCancel, Icon::Information, Ask::TextTooLong));
        EXPECT_NE(ui.messages[2].text.find("\"r2\""), std::string::npos);
        EXPECT_EQ(Texts(f.store), (std::vector<std::string>{long600.substr(0, 512), long700.substr(0, 512),
                                                            long600.substr(0, 512), long800.substr(0, 512)}));
        for (const INFORecord& rec : f.store.tblINFO) EXPECT_EQ(rec.NAMELen, 512);
        EXPECT_EQ(r.overLong, (std::vector<std::string>{"r1", "r2", "r3", "r4"}));
        EXPECT_TRUE(ui.responseEdits.empty());
        f.save();
    }
    {
        // Yes opens the editor with actor, topic and text; what it returns is stored, cut to 512 when the
        // user cancelled with the text still too long.
        Loaded f(bytes);
        FakeUi ui;
        ui.defaultAnswer = Answer::Yes;
        ui.onEditResponse = [](ResponseEdit& e) {
            if (e.Topic == "J") e.Response = "Shortened by hand.";
        };
        EXPECT_TRUE(f.import(text, ui).completed);
        ASSERT_EQ(ui.responseEdits.size(), 4u);
        const ResponseEdit &first = ui.responseEdits[0], &journal = ui.responseEdits[3];
        EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response),
                  std::make_tuple("fargoth", "T", long600));
        EXPECT_EQ(std::tie(journal.Actor, journal.Topic), std::make_tuple("Journal Entry", "J"));
        EXPECT_EQ(f.store.tblINFO[0].NAME, long600.substr(0, 512));
        EXPECT_EQ(std::tie(f.store.tblINFO[3].NAME, f.store.tblINFO[3].NAMELen),
                  std::make_tuple("Shortened by hand.", 18));
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
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Imported 3 responses to \"Dialogue.esp\" successfully.",
                                                "-An error occured during dialogue importing."}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(std::tie(ui.messages[1].text, ui.messages[1].buttons),
              std::make_tuple(PastTheEnd(text.size() + 1), Buttons::OK));
    EXPECT_EQ(ui.progress.back(), 0.0);
}

TEST(DialogueImport, AnIdMismatchStopsWithTheOffsetInHexadecimalCapitals) {
    Loaded f(File({Dial("T"), Info("first", "old 1"), Info("second", "old 2"), Info("third", "old 3")}));
    std::string before = Entry("first", "T", "new 1") +
                         "; padding to reach an offset with letters in it: " + std::string(150, '-') + "\r\n";
    std::string text = before + Entry("FIRST", "T", "new 2") + Entry("third", "T", "new 3");
    FakeUi ui;
    EXPECT_FALSE(f.import(text, ui).completed);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "The file has been edited incorrectly. Current offset: 0xFB.\r\n"
                                   "Required ID: \"second\".\r\nFound ID: FIRST.");
    EXPECT_EQ(ui.log, kImportFailed);
    // Responses before the failing entry keep their new texts.
    EXPECT_EQ(Texts(f.store), (std::vector<std::string>{"new 1", "old 2", "old 3"}));
    f.save();
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

TEST(DialogueTextUtil, LetterCaseEditorLabelsAndErrors) {
    EXPECT_EQ(ProperCase("HRISSKAR FLAT-FOOT"), "Hrisskar Flat-foot");
    EXPECT_EQ(ProperCase("fargoth's ring"), "Fargoth's Ring") << "an apostrophe does not separate words";
    EXPECT_EQ(ProperCase(std::string("a\tb\nc\rd\ve\ff\0g", 13)), std::string("A\tB\nC\rD\vE\fF\0G", 13));
    EXPECT_EQ(ProperCase("\xE9LISE \xC9TOILE"), "\xC9lise \xC9toile") << "accented letters have both cases";
    EXPECT_EQ(ToUpper("a\xFF\x9A\xF7"), "A\x9F\x8A\xF7");
    EXPECT_EQ(ToLower("\xD7\xDF\xC0"), "\xD7\xDF\xE0");
    EXPECT_TRUE(EqualsIgnoreCase("Caf\xC9", "cAF\xE9"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));

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

    const std::pair<std::errc, RunError> errors[] = {
        {std::errc::no_such_file_or_directory, RunError::FileNotFound},
        {std::errc::permission_denied, RunError::PermissionDenied},
        {std::errc::no_space_on_device, RunError::DiskFull},
        {std::errc::is_a_directory, RunError::PathFileAccess}};
    for (const auto& [code, error] : errors)
        EXPECT_EQ(ErrorForSystemError(std::make_error_code(code)), error);
    EXPECT_EQ(HexCapitals(0xABCDEF12u), "ABCDEF12");
}
