// The dialogue tools. Export to text and import back: the text format, the reading rules of the import
// (skipping, stripping, multi-line values, curly quotes, line breaks), topic renames, the 512-character rule
// with the response editor, the error reports, and whole round trips. Loop detection: the wildcard matcher,
// choice conditions and lines, and the check with the result editor's answers. Topic renaming: the four
// replacement passes, the rows, Apply with its bookkeeping, stale rows and the 512-character question.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <tuple>

#include "dialogue/export_text.h"
#include "dialogue/import_text.h"
#include "dialogue/loops.h"
#include "dialogue/rename_topics.h"
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

// A condition of a response; the loop check looks for choice conditions (type 1, function 50).
struct Cond {
    char type = '1';
    std::string function = "50";
    char comparison = '0';
    int32_t value = 1;
    bool isFloat = false;
    std::string name;
};

Cond Choice(int32_t n, char comparison = '0') {
    Cond c;
    c.value = n;
    c.comparison = comparison;
    return c;
}

// A response in the writer's order of subrecords: flags 0x20 marks it deleted, type 4 a journal entry.
std::string Info(std::string_view id, std::string_view text, std::string_view result = "",
                 std::string_view actor = "fargoth", uint32_t flags = 0, int32_t type = 0,
                 const std::vector<Cond>& conds = {}) {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + Sub("DATA", I32(type) + I32(0) + U32(0));
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    for (size_t k = 0; k < conds.size(); ++k) {
        const Cond& c = conds[k];
        body += Sub("SCVR",
                    std::string(1, static_cast<char>('0' + k)) + c.type + c.function + c.comparison + c.name);
        body += c.isFloat ? Sub("FLTV", F32(static_cast<float>(c.value))) : Sub("INTV", I32(c.value));
    }
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body, flags);
}
std::string Info(std::string_view id, std::string_view text, std::string_view result,
                 const std::vector<Cond>& conds, std::string_view actor = "fargoth", uint32_t flags = 0) {
    return Info(id, text, result, actor, flags, 0, conds);
}

// A loaded file on disk, so that the log lines can name it; no bytes: an empty store, as with no file open.
struct Loaded {
    TempDir dir;
    std::string path = dir.file("Dialogue.esp");
    RecordStore store;
    int32_t count = 0;
    explicit Loaded(const std::string& bytes) {
        testutil::WriteFile(path, bytes);
        if (!bytes.empty()) count = testutil::Load(bytes, store);
    }
    std::string save() const { return testutil::Save(store, count, 0); }
    // Saved and read back: every length must have been kept in step.
    RecordStore reread(std::string* bytes = nullptr) const {
        const std::string out = save();
        if (bytes) *bytes = out;
        RecordStore back;
        testutil::Load(out, back);
        return back;
    }
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
    LoopCheckOutcome check(FakeUi& ui) { return CheckLoops(store, ui, path); }
    // Renames by the rows' texts: pairs of topic index in tblDIAL and new name.
    RenameOutcome apply(const std::vector<std::pair<size_t, std::string>>& renames, FakeUi& ui,
                        RenameOptions options = {}) {
        std::vector<TopicRow> rows = ListTopicRows(store);
        for (const auto& [index, name] : renames)
            for (TopicRow& row : rows)
                if (row.index == index) row.text = name;
        return ApplyTopicRenames(store, rows, options, ui);
    }
};

// One field of every response, in table order.
std::vector<std::string> Column(const RecordStore& s, std::string INFORecord::*field) {
    std::vector<std::string> out;
    for (const INFORecord& r : s.tblINFO) out.push_back(r.*field);
    return out;
}

std::string Renamed(std::string text, std::string_view from, std::string_view to) {
    ReplaceTopicName(text, from, to);
    return text;
}

std::string ThreeResponses() {
    return File({Dial("Background"), Info("1", "I am \"Fargoth\".", "", "fargoth"),
                 Info("2", "Line one\r\nLine two", "Journal \"A\" 10\r\nGoodbye", "hrisskar"),
                 Dial("Journal"), Info("3", "Caf\xE9 na\xEFve", ";only a comment", "", 0, 4)});
}

const char* kThreeExport = "\"1\"\r\n\"Background\"\r\n\"fargoth\"\r\n\"I am \"\"Fargoth\"\".\"\r\n\"\"\r\n"
                           "\r\n\r\n"
                           "\"2\"\r\n\"Background\"\r\n\"hrisskar\"\r\n\"Line one\r\nLine two\"\r\n"
                           "\"Journal \"\"A\"\" 10\r\nGoodbye\"\r\n"
                           "\r\n\r\n"
                           "\"3\"\r\n\"Journal\"\r\n\"\"\r\n\"Caf\xE9 na\xEFve\"\r\n\";only a comment\"\r\n";

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
                                    type ? "" : "npc_" + std::to_string(r), 0, type));
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
FakeUi ExpectUnchangedByExportAndImport(const std::string& bytes, size_t atLeast) {
    Loaded f(bytes);
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

// One response with the given conditions and result; returns the choice numbers the editor was shown with.
std::vector<int32_t> Shown(std::string_view result, const std::vector<Cond>& conds) {
    Loaded f(File({Dial("T"), Info("r", "Text.", result, conds)}));
    FakeUi ui;
    EXPECT_EQ(f.check(ui).end, LoopCheckEnd::Completed);
    std::vector<int32_t> choices;
    for (const ResultEdit& e : ui.resultEdits) choices.push_back(e.Choice);
    return choices;
}

} // namespace

// ======== export and import ========

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
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
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
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
              (std::vector<std::string>{"", "\"\r\n\"", "say \"\r\nmore \"x\""}));
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
    // doubled quote).
    Loaded g(File({Dial("T"), Info("a", "\x93Hi\x94 there"), Info("b", "x \x94\x93 y"), Info("c", "plain")}));
    EXPECT_TRUE(g.import(g.exportText(), ui).completed);
    EXPECT_EQ(Column(g.store, &INFORecord::NAME),
              (std::vector<std::string>{"\"Hi\" there", "x \" y", "plain"}));
    EXPECT_EQ(std::tie(g.store.tblINFO[0].NAMELen, g.store.tblINFO[1].NAMELen), std::make_tuple(10, 5));
    g.save();
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
    EXPECT_EQ(Column(h.store, &INFORecord::NAME), (std::vector<std::string>{"second", "second"}));
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
    EXPECT_EQ(Column(f.store, &INFORecord::Topic),
              (std::vector<std::string>{"renamed", "renamed", "somewhere"}));

    // Renaming to a name that exists merges the responses; a later rename of that name takes them all.
    Loaded g(File({Dial("one"), Info("a", "x"), Dial("two"), Info("b", "y")}));
    EXPECT_TRUE(g.import(Entries(Entry("a", "two", "x") + Entry("b", "three", "y")), ui).completed);
    EXPECT_EQ(std::tie(g.store.tblDIAL[0].NAME, g.store.tblDIAL[1].NAME), std::make_tuple("three", "two"));
    EXPECT_EQ(Column(g.store, &INFORecord::Topic), (std::vector<std::string>{"three", "three"}));
}

// ---- import: the 512-character rule ----

TEST(DialogueImport, OverLongTextsWithEachAnswer) {
    const std::string long600(600, 'a'), long700(700, 'b'), long800(800, 'c');
    const std::string bytes = File({Dial("T"), Info("r1", "x", "", "fargoth"), Info("r2", "x"),
                                    Info("r3", "x"), Dial("J", 4), Info("r4", "x", "", "", 0, 4)});
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
        EXPECT_EQ(Column(f.store, &INFORecord::NAME),
                  (std::vector<std::string>{long600.substr(0, 512), long700.substr(0, 512),
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
    EXPECT_EQ(Column(f.store, &INFORecord::NAME), (std::vector<std::string>{"new 1", "old 2", "old 3"}));
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

// ======== loop detection ========

// ---- the wildcard matcher ----

// Accented capitals match their small forms; ? and brackets are ordinary characters; head and tail may not
// share characters; with several stars each part is found after the one before, the tail at the very end.
TEST(LoopWildcards, StarIsTheOnlySpecialCharacterAndCaseIsIgnored) {
    const std::pair<std::string, std::string> match[] = {{"", ""},
                                                         {"", "*"},
                                                         {"Anything at all", "*"},
                                                         {"ABC", "abc"},
                                                         {"\xC9T\xC9", "\xE9t\xE9"},
                                                         {"a?c", "a?c"},
                                                         {"a#1", "a#1"},
                                                         {"aXbYbZ", "a*b*Z"},
                                                         {"abcbc", "*bc"},
                                                         {"abcab", "a*ab"},
                                                         {"aab", "*ab"},
                                                         {"xAyBz", "*a*b*"},
                                                         {"ab", "**"},
                                                         {"xaaabx", "*aab*"},
                                                         {"abababc", "*ababc"},
                                                         {"aabaabab", "*aabab*"},
                                                         {"abab", "*b*b"}};
    const std::pair<std::string, std::string> noMatch[] = {
        {"a", ""},    {"abc", "ab"},   {"abc", "a?c"}, {"abc", "a[b]c"},
        {"a1", "a#"}, {"ab", "a*b*b"}, {"ba", "*a*b"}, {"abaabx", "*abab*"}};
    for (const auto& [text, pattern] : match)
        EXPECT_TRUE(WildcardMatch(text, pattern)) << text << " / " << pattern;
    for (const auto& [text, pattern] : noMatch)
        EXPECT_FALSE(WildcardMatch(text, pattern)) << text << " / " << pattern;
}

TEST(LoopChoices, AnEmptySlotIsNoChoiceCondition) {
    SCVRData c;
    std::tie(c.CondType, c.CondFunction, c.CondComparison, c.SCVRLen) = std::make_tuple("1", "50", "0", 5);
    EXPECT_TRUE(IsChoiceCondition(c));
    c.SCVRLen = 0;
    EXPECT_FALSE(IsChoiceCondition(c));
}

TEST(LoopChoices, ChoiceLinesInFourSteps) {
    using Lines = std::vector<std::string>;
    // Two blanks become one in one pass: three become two, four become two, five become three.
    EXPECT_EQ(ChoiceLines("a  b   c    d     e"), (Lines{"a b  c  d   e"}));
    // Commas go after the blanks: a comma between two blanks leaves two blanks.
    EXPECT_EQ(ChoiceLines("Choice, \"Yes\", 1"), (Lines{"Choice \"Yes\" 1"}));
    EXPECT_EQ(ChoiceLines("a , b"), (Lines{"a  b"}));
    // Split at CR LF only; a lone LF or CR stays in its line.
    EXPECT_EQ(ChoiceLines("one\r\ntwo\nthree\rfour\r\n"), (Lines{"one", "two\nthree\rfour", ""}));
    // A comment is cut and the rest trimmed of blanks; lines without ";" keep their blanks.
    EXPECT_EQ(ChoiceLines("  x ; note; more\r\n  y  \r\n;all comment"), (Lines{"x", " y ", ""}));
    EXPECT_EQ(ChoiceLines("\t x\t;"), (Lines{"\t x\t"})) << "only blanks are trimmed";
    // A comma between CR and LF makes a line break of them.
    EXPECT_EQ(ChoiceLines("a\r,\nb"), (Lines{"a", "b"}));
}

TEST(LoopChoices, ALineOffersAChoiceByEitherPattern) {
    const std::string both = "Choice \"Yes\" 1 \"No\" 2";
    const struct {
        std::string line;
        int32_t choice;
        bool offered;
    } cases[] = {
        {both, 2, true}, // the line ends with the number
        {both, 1, true}, // the number is followed by a blank and more
        {both, 3, false},
        {"Choice \"Yes\" 12", 1, false},
        {"Choice \"Yes\" 21", 1, false},
        {"Choice \"Yes\" 12 \"No\" 21", 1, false},
        {"Choice \"Yes\" 12 \"No\" 21", 12, true},
        {"if ( x ) CHOICE \"a\" 3 endif", 3, true},
        {"choice \"Back\" -1", -1, true},
        {"choice \"Back\" -1", 1, false},
        {"Choice \"\" 0", 0, true},
        {"Choice  \"Yes\" 1", 1, false}, // one blank before the quote
        {"Choice \"Yes\"  1", 1, false}, // one blank before the number
        {"Choice \"Yes\" 1x", 1, false},
        {"Choice \"Yes\" 1 ", 1, true},
        {"Choices \"Yes\" 1", 1, false}, // Choice, one blank, a quote
        {"MessageBox \"Choice \"x\" 5\"", 5, false},
        {"MessageBox \"x\" Choice \"x\" 5", 5, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OffersChoice(c.line, c.choice), c.offered) << c.line << " / " << c.choice;
}

// ---- the check: which responses are shown ----

TEST(LoopCheck, WhichLinesAndConditionsAreShown) {
    const std::string both = "Choice \"Yes\" 1 \"No\" 2";
    Cond function51 = Choice(1), variable = Choice(1), asFloat = Choice(2), journal;
    function51.function = "51"; // only the choice function of a function condition counts
    variable.type = '2';
    variable.name = "choice";
    asFloat.isFloat = true; // an operand stored as a float leaves the choice number 0
    journal.type = '4';
    journal.function = "JX";
    journal.name = "quest";
    struct Case {
        std::string result;
        std::vector<Cond> conds;
        std::vector<int32_t> shown;
    };
    const std::vector<Case> cases = {
        {both, {Choice(2)}, {2}},
        {both, {Choice(1)}, {1}},
        {"  choice, \"Again\",  1   ; back", {Choice(1)}, {1}}, // the lines are cleaned
        {";Choice \"Again\" 1", {Choice(1)}, {}},               // all comment
        {both, {Choice(1, '1'), Choice(2, '1')}, {}},           // comparison 1 is never used
        {both, {Choice(2, '3')}, {2}},
        {both, {Choice(2, '5')}, {2}},
        {both, {function51}, {}},
        {both, {variable}, {}},
        {both, {asFloat}, {}},
        {"Choice \"Nothing\" 0", {asFloat}, {0}},
        {both, {Choice(2), journal, Choice(1)}, {2, 1}}, // each slot its own number, in slot order
        {"Choice \"A\" 1\r\nGoodbye\r\nchoice \"B\" 1 \"C\" 3", {Choice(1)}, {1, 1}}}; // two lines
    for (size_t k = 0; k < cases.size(); ++k)
        EXPECT_EQ(Shown(cases[k].result, cases[k].conds), cases[k].shown) << "case " << k;
}

TEST(LoopCheck, TheEditorIsGivenTheResponseAndTheDeletedOnesAreExaminedToo) {
    Loaded f(File({Dial("Background"), Info("a", "No loop.", "Choice \"x\" 3", {Choice(1)}),
                   Info("b", "Loop here.", "Choice \"x\" 1\r\nGoodbye", {Choice(1)}, "hrisskar flat-foot"),
                   Dial("Other"), Info("c", "Gone.", "Choice \"x\" 2", {Choice(2)}, "fargoth", 0x20)}));
    FakeUi ui;
    LoopCheckOutcome r = f.check(ui);
    EXPECT_EQ(std::tie(r.end, r.shown), std::make_tuple(LoopCheckEnd::Completed, size_t{2}));
    ASSERT_EQ(ui.resultEdits.size(), 2u);
    // No answer yet: closing the editor counts as Skip.
    const ResultEdit& e = ui.resultEdits[0];
    EXPECT_EQ(std::tie(e.Actor, e.Topic, e.Response, e.Result, e.Choice, e.fiAccept),
              std::make_tuple("hrisskar flat-foot", "Background", "Loop here.", "Choice \"x\" 1\r\nGoodbye",
                              1, "2"));
    EXPECT_EQ(ui.resultEdits[1].Topic, "Other") << "a deleted response is examined";
    // FindLoops lists the same showings.
    std::vector<LoopFinding> found = FindLoops(f.store);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(std::tie(found[0].info, found[0].slot, found[0].choice, found[0].line),
              std::make_tuple(size_t{1}, 0, int32_t{1}, std::string("Choice \"x\" 1")));
    EXPECT_EQ(found[1].info, 2u);
}

// ---- the check: answers and bookkeeping ----

TEST(LoopCheck, SkipOkUnchangedAndOkWithLongerTexts) {
    const std::string bytes = File(
        {Dial("T"), Info("r", "Would you like to hear it again?", "Choice \"Yes\" 1 \"No\" 2", {Choice(1)})});
    for (const char* answer : {"2", "0"}) { // Skip, and OK with unchanged texts, change nothing
        Loaded f(bytes);
        const RecordStore before = f.store;
        FakeUi ui;
        ui.onEditResult = [&](ResultEdit& e) { e.fiAccept = answer; };
        EXPECT_EQ(f.check(ui).shown, 1u);
        EXPECT_EQ(f.store.tblINFO, before.tblINFO) << answer;
    }
    Loaded f(bytes);
    const INFORecord before = f.store.tblINFO[0];
    FakeUi ui;
    ui.onEditResult = [](ResultEdit& e) {
        e.Response += " Say so.  ";
        e.Result = "Choice \"Yes\" 3 \"No\" 2";
        e.fiAccept = "0";
    };
    f.check(ui);
    const INFORecord& rec = f.store.tblINFO[0];
    EXPECT_EQ(std::tie(rec.NAME, rec.NAMELen, rec.BNAM, rec.BNAMLen),
              std::make_tuple(before.NAME + " Say so.  ", before.NAMELen + 10, "Choice \"Yes\" 3 \"No\" 2",
                              before.BNAMLen));
    EXPECT_EQ(f.reread().tblINFO[0].NAME, rec.NAME);

    // Emptying the result drops its subrecord; giving text to an empty response adds one.
    Loaded g(File({Dial("T"), Info("r", "", "Choice \"Yes\" 1", {Choice(1)})}));
    ui.onEditResult = [](ResultEdit& e) {
        e.Response = "Hello.";
        e.Result.clear();
        e.fiAccept = "0";
    };
    g.check(ui);
    EXPECT_EQ(std::tie(g.store.tblINFO[0].NAMELen, g.store.tblINFO[0].BNAMLen), std::make_tuple(6, 0));
    RecordStore back = g.reread();
    EXPECT_EQ(std::tie(back.tblINFO[0].NAME, back.tblINFO[0].BNAMLen), std::make_tuple("Hello.", 0));
}

TEST(LoopCheck, TheAnswerIsReadAsANumber) {
    struct Case {
        std::string fiAccept;
        LoopCheckEnd end;
        size_t accepted;
    };
    for (const Case& c : {Case{"0", LoopCheckEnd::Completed, 1}, Case{"1", LoopCheckEnd::Cancelled, 0},
                          Case{"2", LoopCheckEnd::Completed, 0}, Case{" 1", LoopCheckEnd::Cancelled, 0},
                          Case{"1 ", LoopCheckEnd::Cancelled, 0}, Case{"7", LoopCheckEnd::Completed, 0},
                          Case{"-1", LoopCheckEnd::Completed, 0}, Case{"", LoopCheckEnd::Completed, 1},
                          Case{"x", LoopCheckEnd::Completed, 1}, Case{"01", LoopCheckEnd::Cancelled, 0}}) {
        Loaded f(File({Dial("T"), Info("r", "Text.", "Choice \"A\" 1", {Choice(1)})}));
        FakeUi ui;
        ui.onEditResult = [&](ResultEdit& e) {
            e.Response = "Edited.";
            e.fiAccept = c.fiAccept;
        };
        LoopCheckOutcome r = f.check(ui);
        EXPECT_EQ(r.end, c.end) << "\"" << c.fiAccept << "\"";
        EXPECT_EQ(r.accepted, c.accepted) << "\"" << c.fiAccept << "\"";
        EXPECT_EQ(f.store.tblINFO[0].NAME, c.accepted ? "Edited." : "Text.");
    }
    EXPECT_EQ(ResultEditorAnswer("99999999999999"), INT32_MAX);
}

TEST(LoopCheck, EditsTakeEffectForTheNextSlotButNotTheRestOfThePass) {
    // Two lines offer 1 under slot 0; slot 1 offers 2. The first showing rewrites the result so that no line
    // offers 1 or 2 any more: the second line of the same pass is still shown, with the accepted texts, and
    // slot 1 examines the new result and finds nothing. With Skip the result stays, and slot 1 finds its
    // line.
    const std::string bytes = File(
        {Dial("T"), Info("r", "Text.", "Choice \"A\" 1\r\nChoice \"B\" 1 \"C\" 2", {Choice(1), Choice(2)})});
    Loaded f(bytes);
    FakeUi ui;
    ui.onEditResult = [](ResultEdit& e) {
        e.Response = "Changed text.";
        e.Result = "Goodbye";
        e.fiAccept = "0";
    };
    EXPECT_EQ(f.check(ui).end, LoopCheckEnd::Completed);
    ASSERT_EQ(ui.resultEdits.size(), 2u);
    EXPECT_EQ(ui.resultEdits[0].Response, "Text.");
    const ResultEdit& second = ui.resultEdits[1];
    EXPECT_EQ(std::tie(second.Response, second.Result, second.Choice),
              std::make_tuple("Changed text.", "Goodbye", 1));
    EXPECT_EQ(f.store.tblINFO[0].BNAM, "Goodbye");
    f.reread();

    Loaded g(bytes);
    FakeUi skip;
    g.check(skip);
    ASSERT_EQ(skip.resultEdits.size(), 3u);
    EXPECT_EQ(skip.resultEdits[2].Choice, 2);
}

// ---- the check: log, progress, cancel and errors ----

TEST(LoopCheck, LogLinesAndProgress) {
    Loaded f(File({Dial("T"), Info("a", "x", "Choice \"A\" 1", {Choice(1)}), Info("b", "y", ""),
                   Info("c", "z", "Goodbye")}));
    FakeUi ui;
    EXPECT_EQ(f.check(ui).end, LoopCheckEnd::Completed);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Checking 3 responses from \"Dialogue.esp\" for loops...",
                                                "-Loop check successful."}));
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    EXPECT_TRUE(ui.messages.empty());

    // One response: the progress shows it done. None: one log line.
    Loaded one(File({Dial("T"), Info("a", "x", "")}));
    FakeUi oneUi;
    one.check(oneUi);
    EXPECT_EQ(oneUi.progress, (std::vector<double>{1.0, 0.0}));
    Loaded none(File({Dial("Lonely")}));
    FakeUi noneUi;
    EXPECT_EQ(none.check(noneUi).end, LoopCheckEnd::NoResponses);
    EXPECT_EQ(noneUi.log, (std::vector<std::string>{"-\"Dialogue.esp\" contains no dialogue responses."}));
    EXPECT_EQ(noneUi.progress, (std::vector<double>{0.0}));
    EXPECT_TRUE(FindLoops(none.store).empty());
}

TEST(LoopCheck, CancelOrAnErrorStopsTheCheckAndEarlierEditsStay) {
    struct Case {
        std::function<void(ResultEdit&)> second; // the answer to the second showing
        LoopCheckEnd end;
        std::string lastLog, message;
        double progress;
    };
    const std::vector<Case> cases = {
        {[](ResultEdit& e) { e.fiAccept = "1"; }, LoopCheckEnd::Cancelled, "-Loop check cancelled.", "",
         0.5}, // the progress bar keeps its value
        {[](ResultEdit&) { throw std::bad_alloc(); }, LoopCheckEnd::Failed,
         "-An error occured during loop detection.",
         "Vellum has encountered an error number #7: Out of memory.", 0.0},
        {[](ResultEdit&) { throw std::runtime_error("broken"); }, LoopCheckEnd::Failed,
         "-An error occured during loop detection.",
         "Vellum has encountered an error number #5: Invalid procedure call or argument.", 0.0}};
    for (const Case& c : cases) {
        Loaded f(File({Dial("T"), Info("a", "x", "Choice \"A\" 1", {Choice(1)}),
                       Info("b", "y", "Choice \"A\" 1", {Choice(1)}),
                       Info("c", "z", "Choice \"A\" 1", {Choice(1)})}));
        FakeUi ui;
        int shown = 0;
        ui.onEditResult = [&](ResultEdit& e) {
            if (++shown == 2) return c.second(e);
            e.Response = "kept";
            e.fiAccept = "0";
        };
        EXPECT_EQ(f.check(ui).end, c.end) << c.lastLog;
        EXPECT_EQ(shown, 2);
        EXPECT_EQ(ui.log, (std::vector<std::string>{
                              "-Checking 3 responses from \"Dialogue.esp\" for loops...", c.lastLog}));
        ASSERT_EQ(ui.messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(std::tie(ui.messages[0].text, ui.messages[0].title, ui.messages[0].buttons),
                      std::make_tuple(c.message, "Vellum", Buttons::OK));
        }
        EXPECT_EQ(ui.progress.back(), c.progress);
        EXPECT_EQ(f.store.tblINFO[0].NAME, "kept") << "edits before the stop stay";
        EXPECT_EQ(f.store.tblINFO[1].NAME, "y");
        f.reread();
    }
    EXPECT_EQ(LoopCheckErrorMessage(RunError::SubscriptOutOfRange),
              "Vellum has encountered an error number #9: Subscript out of range.");
}

// ======== topic renaming ========

// ---- the replacement passes ----

TEST(RenameTopicPasses, AsIsLowerUpperAndProperCase) {
    EXPECT_EQ(Renamed("Ash, ash, ASH and Ashlander; aSh stays.", "Ash", "Dust"),
              "Dust, dust, DUST and Dustlander; aSh stays.");
    EXPECT_EQ(
        Renamed("latest rumors, LATEST RUMORS, Latest Rumors, Latest rumors", "latest rumors", "new gossip"),
        "new gossip, NEW GOSSIP, New Gossip, Latest rumors")
        << "only the first letter in upper case is none of the four forms";
    // When the new name in lower case holds the old one, passes 1 and 2 both replace it.
    EXPECT_EQ(Renamed("Any rumors? rumors!", "rumors", "latest rumors"),
              "Any latest latest rumors? latest latest rumors!");
    // A change of letter case alone.
    EXPECT_EQ(Renamed("vivec, Vivec, VIVEC", "vivec", "Vivec"), "Vivec, Vivec, VIVEC");
    // Proper case: words part at blanks, tabs, line breaks and zeros, not at apostrophes or hyphens.
    EXPECT_EQ(Renamed("Fargoth's Ring and fargoth's ring", "fargoth's ring", "the ring"),
              "The Ring and the ring");
    EXPECT_EQ(Renamed("Red\tMountain", "red\tmountain", "ghost\tgate"), "Ghost\tGate");
    EXPECT_EQ(Renamed("Cliff-Racer, Cliff-racer", "cliff-racer", "kagouti"), "Cliff-Racer, Kagouti");
    EXPECT_EQ(Renamed("\xC9LAN \xE9lan \xC9lan", "\xE9lan", "\xC9\x63u"), "\xC9\x43U \xC9\x63u \xC9\x63u")
        << "accented letters have both cases";
    // Occurrences do not overlap and inserted text is not searched again.
    EXPECT_EQ(Renamed("aaaa", "aa", "a"), "a");
    std::string unchanged = "Nothing to see.";
    EXPECT_FALSE(ReplaceTopicName(unchanged, "Ash", "Dust"));
    EXPECT_TRUE(ReplaceTopicName(unchanged, "see", "do"));
}

// ---- Apply ----

TEST(RenameTopicApply, RenamesTopicResponsesTextsAndResultsWithTheirSizes) {
    Loaded f(File({Dial("Ash"), Info("a1", "Ash storms come from the Ashlands.", "Journal \"ash_quest\" 10"),
                   Info("a2", "", "AddTopic \"Ash\""), Dial("Other"),
                   Info("o1", "ASH everywhere: ash, Ash, ASH, ash, Ash!", "", "hrisskar"),
                   Info("o2", "Gone ash.", "ash", "fargoth", 0x20), Info("o3", "No mention.")}));
    const RecordStore before = f.store;
    FakeUi ui;
    RenameOutcome r = f.apply({{0, "Dust"}}, ui);
    EXPECT_EQ(std::tie(r.status, r.topicsRenamed, r.responsesMoved, r.textsChanged, r.resultsChanged),
              std::make_tuple(RenameStatus::Applied, size_t{1}, size_t{2}, size_t{3}, size_t{3}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::tie(f.store.tblDIAL[0].NAME, f.store.tblDIAL[0].NAMELen),
              std::make_tuple("Dust", before.tblDIAL[0].NAMELen + 1));
    EXPECT_EQ(f.store.tblDIAL[1], before.tblDIAL[1]);
    EXPECT_EQ(Column(f.store, &INFORecord::Topic),
              (std::vector<std::string>{"Dust", "Dust", "Other", "Other", "Other"}));
    // Texts of any topic; a deleted response's text is written, its result is not.
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
              (std::vector<std::string>{"Dust storms come from the Dustlands.", "",
                                        "DUST everywhere: dust, Dust, DUST, dust, Dust!", "Gone dust.",
                                        "No mention."}));
    EXPECT_EQ(Column(f.store, &INFORecord::BNAM),
              (std::vector<std::string>{"Journal \"dust_quest\" 10", "AddTopic \"Dust\"", "", "dust", ""}));
    const auto& infos = f.store.tblINFO;
    EXPECT_EQ(std::tie(infos[0].NAMELen, infos[2].NAMELen, infos[3].BNAMLen),
              std::make_tuple(before.tblINFO[0].NAMELen + 2, before.tblINFO[2].NAMELen + 6, 4));
    EXPECT_EQ(infos[4], before.tblINFO[4]);

    // After a save the responses stand under the topic's new name, right after it, in their order.
    std::string bytes;
    RecordStore back = f.reread(&bytes);
    EXPECT_EQ(Column(back, &INFORecord::INAM), (std::vector<std::string>{"a1", "a2", "o1", "o2", "o3"}));
    EXPECT_EQ(Column(back, &INFORecord::Topic), Column(f.store, &INFORecord::Topic));
    EXPECT_LT(bytes.find("Dust\0", 0, 5), bytes.find("a1\0", 0, 3));

    // Responses belong to the topic they stand under, not to its name: a topic renamed alone keeps them.
    Loaded g(File({Dial("Ash"), Info("a1", "x"), Info("a2", "y")}));
    SetTopicName(g.store.tblDIAL[0], "Dust");
    EXPECT_EQ(Column(g.reread(), &INFORecord::Topic), (std::vector<std::string>{"Dust", "Dust"}));
}

TEST(RenameTopicApply, OptionsChooseTextsAndResults) {
    for (bool responses : {false, true}) {
        for (bool results : {false, true}) {
            Loaded f(File({Dial("Ash"), Info("a1", "Ash here.", "ash there")}));
            FakeUi ui;
            f.apply({{0, "Dust"}}, ui, RenameOptions{responses, results});
            const INFORecord& rec = f.store.tblINFO[0];
            // Responses always move with their topic.
            EXPECT_EQ(std::tie(rec.Topic, rec.NAME, rec.BNAM),
                      std::make_tuple("Dust", responses ? "Dust here." : "Ash here.",
                                      results ? "dust there" : "ash there"));
            f.reread();
        }
    }
}

TEST(RenameTopicApply, SeveralRowsInTableOrderEachOverTheWholeFile) {
    // red becomes blue, then blue becomes green: a text saying red ends up saying green, because the second
    // rename runs over what the first left. Greetings are not offered.
    Loaded f(File({Dial("red"), Info("r", "red", "", "a"), Dial("Greeting", 2),
                   Info("g", "Blue and red.", "", "b"), Dial("blue"), Info("b", "blue", "", "c")}));
    const RecordStore before = f.store;
    FakeUi ui;
    EXPECT_EQ(f.apply({{0, "blue"}, {2, "green"}}, ui).topicsRenamed, 2u);
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
              (std::vector<std::string>{"green", "Green and green.", "green"}));
    EXPECT_EQ(Column(f.store, &INFORecord::Topic), (std::vector<std::string>{"green", "Greeting", "green"}));
    EXPECT_EQ(std::tie(f.store.tblDIAL[0].NAME, f.store.tblDIAL[1].NAME, f.store.tblDIAL[2].NAME),
              std::make_tuple("blue", "Greeting", "green"));
    EXPECT_EQ(f.store.tblDIAL[2].NAMELen, before.tblDIAL[2].NAMELen + 1);

    // A change of letter case alone; nothing prevents a name another topic already has.
    Loaded h(
        File({Dial("vivec"), Info("v1", "vivec and Vivec and VIVEC", "AddTopic \"vivec\""), Dial("two")}));
    const int32_t hBefore = h.store.tblDIAL[0].NAMELen;
    h.apply({{0, "Vivec"}, {1, "Vivec"}}, ui);
    EXPECT_EQ(std::tie(h.store.tblDIAL[0].NAME, h.store.tblDIAL[0].NAMELen, h.store.tblDIAL[1].NAME),
              std::make_tuple("Vivec", hBefore, "Vivec"));
    const INFORecord& rec = h.store.tblINFO[0];
    EXPECT_EQ(std::tie(rec.Topic, rec.NAME, rec.BNAM),
              std::make_tuple("Vivec", "Vivec and Vivec and VIVEC", "AddTopic \"Vivec\""));
    EXPECT_EQ(h.reread().tblINFO[0].Topic, "Vivec");
}

TEST(RenameTopicApply, AppliedRowsTakeTheirNewNamesAndASecondApplyChangesNothing) {
    Loaded f(File({Dial("Ash"), Info("a", "Ash")}));
    std::vector<TopicRow> rows = ListTopicRows(f.store);
    rows[0].text = "Dust";
    FakeUi ui;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).status, RenameStatus::Applied);
    EXPECT_EQ(rows[0].name, "Dust");
    const RecordStore after = f.store;
    RenameOutcome again = ApplyTopicRenames(f.store, rows, {}, ui);
    EXPECT_EQ(std::tie(again.status, again.topicsRenamed), std::make_tuple(RenameStatus::Applied, size_t{0}));
    EXPECT_EQ(f.store.tblINFO, after.tblINFO);
    // The same rows go on working for the next rename.
    rows[0].text = "Ash";
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).topicsRenamed, 1u);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "Ash");
}

TEST(RenameTopicApply, RowsThatNoLongerFitTheStoreAreRefused) {
    const std::string bytes =
        File({Dial("Ash"), Info("a", "Ash"), Dial("Hi", 2), Dial("Vos"), Info("v", "Vos")});
    Loaded f(bytes);
    std::vector<TopicRow> rows = ListTopicRows(f.store);
    rows[0].text = "Dust";
    std::vector<TopicRow> moved = rows, empty = rows; // the same names at other places; an empty name
    moved[1].index = 1;
    empty[1].text.clear();
    Loaded renamed(bytes), fewer(File({Dial("Ash"), Info("a", "Ash")})), retyped(bytes), closed("");
    SetTopicName(renamed.store.tblDIAL[0], "Ashes"); // renamed meanwhile (say by an import)
    retyped.store.tblDIAL.at(2).DialType = 1;        // no longer offered
    const struct {
        Loaded& f;
        const std::vector<TopicRow>& rows;
        RenameStatus status;
    } cases[] = {{renamed, rows, RenameStatus::StaleRows}, {fewer, rows, RenameStatus::StaleRows},
                 {closed, rows, RenameStatus::StaleRows},  {f, moved, RenameStatus::StaleRows},
                 {retyped, rows, RenameStatus::StaleRows}, {f, empty, RenameStatus::EmptyName}};
    for (const auto& c : cases) {
        const RecordStore before = c.f.store;
        std::vector<TopicRow> r = c.rows;
        FakeUi ui;
        EXPECT_EQ(ApplyTopicRenames(c.f.store, r, {}, ui).status, c.status);
        EXPECT_EQ(c.f.store.tblDIAL, before.tblDIAL) << "nothing changed";
        EXPECT_EQ(c.f.store.tblINFO, before.tblINFO);
        EXPECT_TRUE(ui.progress.empty());
    }
    // The same rows apply to the store they were listed from.
    FakeUi ui;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).status, RenameStatus::Applied);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "Dust");
}

TEST(RenameTopicApply, ProgressOverTheTopicTable) {
    Loaded f(File({Dial("a"), Dial("Greeting", 2), Dial("b")}));
    FakeUi ui, oneUi, noneUi;
    f.apply({{2, "c"}}, ui);
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    Loaded one(File({Dial("a")}));
    one.apply({}, oneUi);
    EXPECT_EQ(oneUi.progress, (std::vector<double>{1.0, 0.0}));
    Loaded none("");
    EXPECT_EQ(none.apply({}, noneUi).status, RenameStatus::Applied);
    EXPECT_EQ(noneUi.progress, (std::vector<double>{0.0}));
}

// ---- the 512-character rule ----

TEST(RenameTopicApply, OverLongResponsesWithEachAnswer) {
    // Each text grows past 512 characters when ash becomes dusts.
    const std::string text = "ash " + std::string(508, '.'), grown = "dusts " + std::string(508, '.');
    const std::string bytes =
        File({Dial("ash"), Info("r1", text, "", "fargoth"), Info("r2", text, "", "hrisskar"),
              Dial("Journal", 4), Info("r3", text, text, "", 0, 4)});
    {
        // No cuts this one; Cancel cuts it and every later one without asking. Results are never cut.
        Loaded f(bytes);
        FakeUi ui;
        ui.answers = {Answer::No, Answer::Cancel};
        RenameOutcome r = f.apply({{0, "dusts"}}, ui);
        ASSERT_EQ(ui.messages.size(), 2u);
        const ShownMessage& m = ui.messages[0];
        EXPECT_EQ(
            std::tie(m.text, m.title, m.buttons, m.icon, m.kind),
            std::make_tuple("The response \"r1\" is longer than 512 characters. Do you want to edit it by "
                            "hand? Otherwise it will be trimmed to fit.\r\n\r\nCancel is \"No to all\"",
                            "Vellum Warning", Buttons::YesNoCancel, Icon::Information, Ask::TextTooLong));
        EXPECT_NE(ui.messages[1].text.find("\"r2\""), std::string::npos);
        EXPECT_EQ(Column(f.store, &INFORecord::NAME), std::vector<std::string>(3, grown.substr(0, 512)));
        for (const INFORecord& rec : f.store.tblINFO) EXPECT_EQ(rec.NAMELen, 512);
        EXPECT_EQ(f.store.tblINFO[2].BNAM, "dusts " + std::string(508, '.'));
        EXPECT_EQ(r.overLong, (std::vector<std::string>{"r1", "r2", "r3"}));
        EXPECT_TRUE(ui.responseEdits.empty());
        f.reread();

        // No to all lasts for one Apply.
        FakeUi next;
        next.answers = {Answer::No};
        SetResponseText(f.store.tblINFO[0], grown);
        f.apply({{0, "DUSTS"}}, next);
        EXPECT_EQ(next.messages.size(), 1u);
    }
    {
        // Yes opens the response editor with the speaker's ID (also for a journal entry) and the new topic
        // name. What it returns is kept; a text still too long is cut to 512; an emptied text drops its
        // subrecord.
        Loaded f(bytes);
        FakeUi ui;
        ui.defaultAnswer = Answer::Yes;
        int call = 0;
        ui.onEditResponse = [&](ResponseEdit& e) {
            ++call;
            if (call == 1) e.Response = "Short now.";
            if (call == 2) e.Response += "more"; // Cancel in the editor: still too long
            if (call == 3) e.Response.clear();
        };
        f.apply({{0, "dusts"}}, ui);
        ASSERT_EQ(ui.responseEdits.size(), 3u);
        const ResponseEdit &first = ui.responseEdits[0], &journal = ui.responseEdits[2];
        EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response),
                  std::make_tuple("fargoth", "dusts", grown));
        EXPECT_EQ(std::tie(journal.Actor, journal.Topic), std::make_tuple("", "Journal"));
        EXPECT_EQ(Column(f.store, &INFORecord::NAME),
                  (std::vector<std::string>{"Short now.", "dusts " + std::string(506, '.'), ""}));
        EXPECT_EQ(f.reread().tblINFO[2].NAMELen, 0);
    }
    {
        // A text that was already too long is offered even when the rename does not touch it.
        Loaded f(File({Dial("Vos"), Info("v", "x"), Dial("Other"), Info("o", std::string(600, 'o'))}));
        FakeUi ui;
        ui.answers = {Answer::No};
        f.apply({{0, "Molag Mar"}}, ui);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(f.store.tblINFO[1].NAME.size(), 512u);
        f.reread();
    }
}
