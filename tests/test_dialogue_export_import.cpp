// Dialogue export to text and import back: the text format, the reading rules of the import (skipping,
// stripping, multi-line values, curly quotes, line breaks), topic renames, the 512-character rule with the
// response editor, the error reports, and whole round trips on real and generated files.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

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

// A file of many responses under several topics: quotes, multi-line texts, lone CR and LF inside texts,
// 8-bit characters, empty texts and results, journal responses.
std::string ManyResponses(int topics, int responses, unsigned seed = 3, bool curlyQuotes = false) {
    std::mt19937 rng(seed);
    std::vector<std::string> texts = {
        "Plain words.",
        "He said \"hello\" and \"\"left\"\".",
        "First line\r\nSecond line\r\n\r\nFourth \"quoted\"",
        "Ends in a \"quote\"",
        "\"Starts with a quote",
        "Lone\nline feed and lone\rcarriage return",
        "Caf\xE9, na\xEFve, \xC6sir \x85",
        "Semicolon line\r\n;not a comment inside a value",
        "Trailing break\r\n",
        "",
        "A",
        std::string(300, 'x') + " \"" + std::string(100, 'y') + "\"",
    };
    if (curlyQuotes)
        texts.push_back("\x93"
                        "Curly\x94 quotes from a word processor");
    const std::vector<std::string> results = {"",
                                              "",
                                              "Goodbye",
                                              "Journal \"Q_1\" 10\r\nChoice \"Yes\" 1 \"No\" 2",
                                              ";comment\r\nset x to 1\r\n",
                                              "\"x\""};
    std::vector<std::string> recs;
    int id = 100;
    for (int t = 0; t < topics; ++t) {
        uint8_t type = static_cast<uint8_t>(t % 5);
        std::string name = (t % 3 == 0 ? "Topic " : "topic ") + std::to_string(t);
        recs.push_back(Dial(name, type));
        int count = responses / topics + (t < responses % topics ? 1 : 0);
        for (int k = 0; k < count; ++k, ++id) {
            recs.push_back(Info(std::to_string(id) + "5" + std::to_string(rng() % 100000),
                                texts[rng() % texts.size()], results[rng() % results.size()],
                                type == 4 ? "" : "npc_" + std::to_string(rng() % 50), type));
        }
    }
    return File(recs);
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
    // 3 x 5 value lines (the two-line text and result take one more line each) and 2 x 2 separator lines.
    size_t lines = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
    EXPECT_EQ(lines, 3u * 5 + 2 + 2 * 2);
    ASSERT_EQ(ui.log.size(), 1u);
    EXPECT_EQ(ui.log[0], "-Exported 3 responses from \"Dialogue.esp\" successfully.");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
}

TEST(DialogueExport, TheNameChoosesTheExport) {
    EXPECT_EQ(ExportKindForName("quotes.XML"), ExportKind::QuoteXml);
    EXPECT_EQ(ExportKindForName("quotes.xMl"), ExportKind::QuoteXml);
    EXPECT_EQ(ExportKindForName("q.brq"), ExportKind::QuoteBrq);
    EXPECT_EQ(ExportKindForName("Q.BRQ"), ExportKind::QuoteBrq);
    EXPECT_EQ(ExportKindForName("dialogue.txt"), ExportKind::Text);
    EXPECT_EQ(ExportKindForName("dialogue"), ExportKind::Text);
    EXPECT_EQ(ExportKindForName("xmlfile.txt"), ExportKind::Text);
    EXPECT_EQ(ExportKindForName("noxml"), ExportKind::QuoteXml) << "only the last three letters count";
    EXPECT_EQ(ExportKindForName("ml"), ExportKind::Text);

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
    Loaded f(ThreeResponses());
    const RecordStore before = f.store;
    const std::string plain = f.save();
    FakeUi ui;
    ImportOutcome r = f.import(f.exportText(), ui);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.passes, 1u);
    EXPECT_EQ(f.store.tblINFO, before.tblINFO);
    EXPECT_EQ(f.store.tblDIAL, before.tblDIAL);
    EXPECT_EQ(f.save(), plain);
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
    Loaded f(bytes, "all_types.esp");
    const RecordStore before = f.store;
    const std::string plain = f.save();
    FakeUi exportUi;
    std::string txt = f.dir.file("all.txt");
    ASSERT_EQ(ExportDialogue(txt, f.store, exportUi, f.path), ExportResult::Exported);
    EXPECT_EQ(exportUi.log.back(), "-Exported 7 responses from \"all_types.esp\" successfully.");
    FakeUi ui;
    ui.answers = {Answer::No};
    EXPECT_TRUE(ImportDialogueText(txt, f.store, ui, f.path).completed);
    EXPECT_EQ(f.store.tblDIAL, before.tblDIAL);
    EXPECT_EQ(f.store.tblINFO, before.tblINFO);
    EXPECT_EQ(f.save(), plain);
}

namespace {

// The import turns curly double quotes into straight ones wherever they stand, texts included; a file whose
// texts hold curly quotes comes back with straight ones and otherwise unchanged (the lengths stay the same).
RecordStore WithStraightQuotes(RecordStore s) {
    for (INFORecord& r : s.tblINFO) {
        StraightenQuotes(r.NAME);
        StraightenQuotes(r.BNAM);
    }
    return s;
}

void ExpectUnchangedByExportAndImport(const std::string& bytes, size_t atLeast) {
    Loaded f(bytes);
    ASSERT_GE(f.store.tblINFO.size(), atLeast);
    const RecordStore expected = WithStraightQuotes(f.store);
    std::string text = f.exportText();
    FakeUi ui;
    ImportOutcome r = f.import(text, ui);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.passes, 1u);
    EXPECT_EQ(f.store.tblDIAL, expected.tblDIAL);
    EXPECT_EQ(f.store.tblINFO, expected.tblINFO);
    EXPECT_EQ(f.save(), testutil::Save(expected, f.count));
}

} // namespace

TEST(DialogueImport, ThousandsOfGeneratedResponsesSurviveExportAndImport) {
#ifdef VELLUM_HAVE_GENERATOR
    ExpectUnchangedByExportAndImport(gen::GeneratePlugin(gen::SmallPreset(3000)), 3000);
#endif
    // The program's own file of awkward texts: nothing at all changes.
    Loaded f(ManyResponses(40, 3000));
    const RecordStore before = f.store;
    const std::string plain = f.save();
    FakeUi ui;
    EXPECT_TRUE(f.import(f.exportText(), ui).completed);
    EXPECT_EQ(f.store.tblDIAL, before.tblDIAL);
    EXPECT_EQ(f.store.tblINFO, before.tblINFO);
    EXPECT_EQ(f.save(), plain);
    ExpectUnchangedByExportAndImport(ManyResponses(40, 3000, 11, true), 3000);
}

TEST(DialogueImport, ThirtyThousandResponsesSurviveExportAndImport) {
    Loaded f(ManyResponses(600, 30000, 9));
    ASSERT_EQ(f.store.tblINFO.size(), 30000u);
    const RecordStore before = f.store;
    using Clock = std::chrono::steady_clock;
    FakeUi exportUi;
    auto t0 = Clock::now();
    ASSERT_EQ(ExportDialogue(f.dir.file("big.txt"), f.store, exportUi, f.path), ExportResult::Exported);
    auto t1 = Clock::now();
    FakeUi ui;
    ui.answers = {Answer::No};
    // Rename every topic in every entry, so the topic bookkeeping runs for each topic.
    std::string text = testutil::ReadFile(f.dir.file("big.txt"));
    for (size_t p = text.find("\"Topic "); p != std::string::npos; p = text.find("\"Topic ", p + 1))
        text[p + 1] = 'X';
    testutil::WriteFile(f.dir.file("big.txt"), text);
    auto t2 = Clock::now();
    ImportOutcome r = ImportDialogueText(f.dir.file("big.txt"), f.store, ui, f.path);
    auto t3 = Clock::now();
    EXPECT_TRUE(r.completed);
    const double exportMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
    const double importMs = std::chrono::duration<double, std::milli>(t3 - t2).count();
    std::cout << "[ timing   ] export " << exportMs << " ms, import with renames " << importMs << " ms\n";
    // Generous bounds (the test machine may be busy); a scan per response would take far longer.
    size_t renamed = 0;
    for (const DIALRecord& d : f.store.tblDIAL) renamed += d.NAME.rfind("Xopic ", 0) == 0;
    EXPECT_EQ(renamed, 200u);
    for (size_t i = 0; i < f.store.tblINFO.size(); ++i) {
        const std::string& was = before.tblINFO[i].Topic;
        ASSERT_EQ(f.store.tblINFO[i].Topic, was[0] == 'T' ? "X" + was.substr(1) : was);
    }
}

// ---- import: reading rules ----

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
    std::string s = "\x93\x94 x \x94";
    EXPECT_TRUE(StraightenQuotes(s));
    EXPECT_EQ(s, "\"\" x \"");
    std::string plain = "no curly";
    EXPECT_FALSE(StraightenQuotes(plain));
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
    const DIALRecord& d = f.store.tblDIAL[0];
    EXPECT_EQ(d.NAME, "Latest Rumors") << "a change of letter case alone is not noticed";
    EXPECT_EQ(d.NAMELen, 14);
    EXPECT_EQ(f.store.tblINFO[0].Topic, "Latest Rumors");
    EXPECT_EQ(f.store.tblINFO[1].Topic, "Latest Rumors");
    EXPECT_EQ(f.store.tblINFO[2].Topic, "Other");
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
    EXPECT_EQ(f.store.tblINFO[0].Topic, "renamed");
    EXPECT_EQ(f.store.tblINFO[1].Topic, "renamed");
    EXPECT_EQ(f.store.tblINFO[2].Topic, "somewhere");

    // Renaming to a name that exists merges the responses; a later rename of that name takes them all.
    Loaded g(File({Dial("one"), Info("a", "x"), Dial("two"), Info("b", "y")}));
    FakeUi gui;
    EXPECT_TRUE(g.import(Entries(Entry("a", "two", "x") + Entry("b", "three", "y")), gui).completed);
    EXPECT_EQ(g.store.tblDIAL[0].NAME, "three") << "the first topic named two is the renamed one";
    EXPECT_EQ(g.store.tblDIAL[1].NAME, "two");
    EXPECT_EQ(g.store.tblINFO[0].Topic, "three");
    EXPECT_EQ(g.store.tblINFO[1].Topic, "three");
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
    EXPECT_EQ(ui.messages[1].text, "An error occured  at Offset 0x" + HexCapitals(text.size() + 1) +
                                       " while importing the dialogue.\r\n\r\n62: Input past end of file");
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
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue importing."}));
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

TEST(DialogueImport, FewerEntriesThanResponsesAndOtherShortFiles) {
    {
        Loaded f(File({Dial("T"), Info("a", "x"), Info("b", "y")}));
        FakeUi ui;
        std::string text = Entry("a", "T", "changed");
        ImportOutcome r = f.import(text, ui);
        EXPECT_FALSE(r.completed);
        EXPECT_EQ(r.passes, 0u);
        ASSERT_EQ(ui.messages.size(), 2u);
        EXPECT_EQ(ui.messages[1].text,
                  "An error occured  at Offset 0x" + HexCapitals(text.size() + 1) +
                      " while importing the dialogue.\r\n\r\n62: Input past end of file");
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue importing."}));
        EXPECT_EQ(f.store.tblINFO[0].NAME, "changed");
    }
    {
        // An entry cut in the middle of a multi-line text.
        Loaded f(File({Dial("T"), Info("a", "x")}));
        FakeUi ui;
        EXPECT_FALSE(f.import("\"a\"\r\n\"T\"\r\n\"\"\r\n\"never\r\nclosed\r\n", ui).completed);
        EXPECT_NE(ui.messages.back().text.find("62: Input past end of file"), std::string::npos);
        EXPECT_EQ(f.store.tblINFO[0].NAME, "x");
    }
    {
        // An empty text file ends the import at once: no message besides the question, no log line.
        Loaded f(File({Dial("T"), Info("a", "x")}));
        FakeUi ui;
        ImportOutcome r = f.import("", ui);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.log.empty());
        EXPECT_EQ(r.passes, 0u);
    }
    {
        // No responses loaded: the table has no elements.
        Loaded f(File({Dial("T")}));
        FakeUi ui;
        EXPECT_FALSE(f.import(Entry("a", "T", "x"), ui).completed);
        ASSERT_EQ(ui.messages.size(), 2u);
        EXPECT_EQ(
            ui.messages[1].text,
            "An error occured  at Offset 0x1 while importing the dialogue.\r\n\r\n9: Subscript out of range");
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue importing."}));
    }
    {
        // A text file that does not exist.
        Loaded f(File({Dial("T"), Info("a", "x")}));
        FakeUi ui;
        ui.answers = {Answer::No};
        EXPECT_FALSE(ImportDialogueText(f.dir.file("gone.txt"), f.store, ui, f.path).completed);
        ASSERT_EQ(ui.messages.size(), 2u);
        EXPECT_NE(ui.messages[1].text.find("53: File not found"), std::string::npos);
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue importing."}));
    }
}

// ---- shared pieces ----

TEST(DialogueTextUtil, ProperCaseAndLetterCase) {
    EXPECT_EQ(ProperCase("fargoth of seyda neen"), "Fargoth Of Seyda Neen");
    EXPECT_EQ(ProperCase("HRISSKAR FLAT-FOOT"), "Hrisskar Flat-foot");
    EXPECT_EQ(ProperCase("fargoth's ring"), "Fargoth's Ring") << "an apostrophe does not separate words";
    EXPECT_EQ(ProperCase("a\tb\nc\rd\ve\ff"), "A\tB\nC\rD\vE\fF");
    EXPECT_EQ(ProperCase(std::string("x\0y", 3)), std::string("X\0Y", 3));
    EXPECT_EQ(ProperCase("\xE9LISE \xC9TOILE"), "\xC9lise \xC9toile") << "accented letters have both cases";
    EXPECT_EQ(ProperCase("  two  blanks "), "  Two  Blanks ");
    EXPECT_EQ(ToUpper("a\xFF\x9A\xF7"), "A\x9F\x8A\xF7");
    EXPECT_EQ(ToLower("\xD7\xDF\xC0"), "\xD7\xDF\xE0");
    EXPECT_TRUE(EqualsIgnoreCase("Caf\xC9", "cAF\xE9"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
}

TEST(DialogueTextUtil, ResponseEditorContract) {
    EXPECT_EQ(ActorLabel("fargoth"), "Actor: Fargoth");
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

TEST(DialogueTextUtil, ErrorTableAndHexadecimal) {
    EXPECT_EQ(ErrorLine(RunError::InputPastEndOfFile), "62: Input past end of file");
    EXPECT_EQ(ErrorLine(RunError::SubscriptOutOfRange), "9: Subscript out of range");
    EXPECT_EQ(ErrorLine(RunError::FileNotFound), "53: File not found");
    EXPECT_EQ(ErrorNumber(RunError::PathFileAccess), 75);
    EXPECT_EQ(ErrorNumber(RunError::PermissionDenied), 70);
    EXPECT_EQ(ErrorNumber(RunError::DiskFull), 61);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::no_such_file_or_directory)),
              RunError::FileNotFound);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::permission_denied)),
              RunError::PermissionDenied);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::no_space_on_device)), RunError::DiskFull);
    EXPECT_EQ(ErrorForSystemError(std::make_error_code(std::errc::is_a_directory)), RunError::PathFileAccess);
    EXPECT_EQ(HexCapitals(0), "0");
    EXPECT_EQ(HexCapitals(255), "FF");
    EXPECT_EQ(HexCapitals(0xABCDEF12u), "ABCDEF12");
}
