// The dialogue tools: export to text and import back (reading rules, topic renames, the 512-character rule,
// error reports, round trips); loop detection (wildcards, choice lines, the check and its answers); topic
// renaming (the four passes, Apply, stale rows, the 512-character question).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
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

using namespace vellum;
using namespace fixture;
using namespace fixture::tools;
using testutil::Column;
using testutil::TempDir;

namespace {

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
    RecordStore reread() const {
        RecordStore back;
        testutil::Load(save(), back);
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

std::string ThreeResponses() {
    return File({Dial("Background"), Info("1", "I am \"Fargoth\".", "", "fargoth"),
                 Info("2", "Line one\r\nLine two", "Journal \"A\" 10\r\nGoodbye", "hrisskar"),
                 Dial("Journal"), Info("3", "Caf\xE9 na\xEFve", ";only a comment", "", 0, 4)});
}

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
    std::vector<std::string> texts = {"Plain words.",
                                      "He said \"hello\" and \"\"left\"\".",
                                      "First line\r\nSecond line\r\n\r\nFourth \"quoted\"",
                                      "Ends in a \"quote\"",
                                      "\"Starts with a quote",
                                      "Lone\nline feed and lone\rcarriage return",
                                      "Caf\xE9, na\xEFve, \xC6sir \x85",
                                      "Semicolon line\r\n;not a comment inside a value",
                                      "Trailing break\r\n",
                                      "",
                                      "\x93\x43urly\x94 quotes from a word processor"};
    texts.push_back(std::string(300, 'x') + " \"" + std::string(100, 'y') + "\"");
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

// What the result editor was shown: text|result|choice.
std::vector<std::string> Showings(const FakeUi& ui) {
    std::vector<std::string> out;
    for (const ResultEdit& e : ui.resultEdits)
        out.push_back(e.Response + "|" + e.Result + "|" + std::to_string(e.Choice));
    return out;
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

// The topic names, then each response as topic|text|result.
std::vector<std::string> Summary(const RecordStore& s) {
    std::vector<std::string> out;
    for (const auto& d : s.tblDIAL) out.push_back("#" + d.NAME);
    for (const INFORecord& r : s.tblINFO) out.push_back(r.Topic + "|" + r.NAME + "|" + r.BNAM);
    return out;
}

// Every length agrees with its text, before and after a save and a read back, which keeps the texts.
void ExpectLengthsKept(const Loaded& f) {
    const RecordStore back = f.reread();
    for (const RecordStore* store : {&f.store, &back})
        for (const INFORecord& r : store->tblINFO)
            EXPECT_EQ(
                std::make_pair(r.NAMELen, r.BNAMLen),
                std::make_pair(static_cast<int32_t>(r.NAME.size()), static_cast<int32_t>(r.BNAM.size())))
                << r.INAM;
    EXPECT_EQ(Column(back, &INFORecord::NAME), Column(f.store, &INFORecord::NAME));
}

// The questions about responses longer than 512 characters, from the given message on, name them in turn.
void ExpectTooLongQuestions(const FakeUi& ui, size_t from, const std::vector<std::string>& ids) {
    ASSERT_EQ(ui.messages.size(), from + ids.size());
    for (size_t k = 0; k < ids.size(); ++k) {
        const ShownMessage& m = ui.messages[from + k];
        EXPECT_EQ(std::tie(m.buttons, m.kind), std::make_tuple(Buttons::YesNoCancel, Ask::TextTooLong));
        EXPECT_NE(m.text.find("\"" + ids[k] + "\""), std::string::npos) << m.text;
    }
}

} // namespace

// ======== export and import ========

TEST(DialogueExport, WritesTheTextAndTheNameChoosesTheKind) {
    Loaded f(ThreeResponses());
    FakeUi ui;
    EXPECT_EQ(ExportDialogue(f.dir.file("dialogue"), f.store, ui, f.path), ExportResult::Exported);
    EXPECT_EQ(testutil::ReadFile(f.dir.file("dialogue")), f.exportText());
    EXPECT_TRUE(ui.messages.empty() && ui.inputPrompts.empty());
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    // A name without an extension ran the text export; only the last three letters choose, in either case.
    const std::pair<std::string, ExportKind> cases[] = {
        {"quotes.xMl", ExportKind::QuoteXml}, {"Q.BRQ", ExportKind::QuoteBrq}, {"dialogue", ExportKind::Text},
        {"xmlfile.txt", ExportKind::Text},    {"noxml", ExportKind::QuoteXml}, {"ml", ExportKind::Text}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(ExportKindForName(name), kind) << name;
}

// Without responses the file is emptied; a file that cannot be written is not left behind.
TEST(DialogueExport, FailuresAreReported) {
    Loaded f(ThreeResponses()), lonely(File({Dial("lonely")})), noId(File({Dial("t"), Info("", "no id")}));
    std::filesystem::create_directory(f.dir.file("a folder.txt"));
    const struct {
        Loaded& f;
        std::string target;
        ExportResult result;
    } cases[] = {{lonely, lonely.dir.file("out.txt"), ExportResult::NoResponses},
                 {noId, noId.dir.file("out.txt"), ExportResult::NoResponses},
                 {f, f.dir.file("missing/out.txt"), ExportResult::WriteFailed},
                 {f, f.dir.file("a folder.txt"), ExportResult::WriteFailed}};
    for (const auto& c : cases) {
        if (c.result == ExportResult::NoResponses) testutil::WriteFile(c.target, "old content");
        FakeUi ui;
        EXPECT_EQ(ExportDialogue(c.target, c.f.store, ui, c.f.path), c.result);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-An error occured during dialogue exporting."}));
        if (c.result == ExportResult::NoResponses) {
            EXPECT_EQ(testutil::ReadFile(c.target), "");
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("a folder.txt")) &&
                !std::filesystem::exists(f.dir.file("missing")));
}

// The program's own file of awkward texts, curly quotes too.
TEST(DialogueImport, AnUnchangedExportGivesTheSameStoreAndTheSameFile) {
    Loaded f(AwkwardResponses());
    FakeUi ui;
    ASSERT_EQ(f.store.tblINFO.size(), 120u);
    // The import turns curly double quotes into straight ones wherever they stand, texts included.
    RecordStore expected = f.store;
    for (INFORecord& r : expected.tblINFO) {
        StraightenQuotes(r.NAME);
        StraightenQuotes(r.BNAM);
    }
    ImportOutcome r = f.import(f.exportText(), ui);
    EXPECT_EQ(std::tie(r.completed, r.passes), std::make_tuple(true, size_t{1}));
    EXPECT_EQ(std::tie(f.store.tblDIAL, f.store.tblINFO), std::tie(expected.tblDIAL, expected.tblINFO));
    EXPECT_EQ(f.save(), testutil::Save(expected, f.count));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(std::tie(ui.messages[0].buttons, ui.messages[0].kind),
              std::make_tuple(Buttons::YesNo, Ask::RemoveLineBreaks));
    // The progress goes over the responses in steps and back to 0.
    EXPECT_EQ(std::make_tuple(ui.progress.size(), ui.progress[1], ui.progress[119], ui.progress[120]),
              std::make_tuple(size_t{121}, 1.0 / 119, 1.0, 0.0));
}

// Hand-written text files: what the store holds afterwards. The text "<export>" stands for the file's own
// export.
TEST(DialogueImport, ReadingRulesSizesTopicRenamesAndPasses) {
    const std::string ab = File({Dial("T"), Info("a", "old"), Info("b", "old")});
    struct Case {
        std::string bytes, text; // "<export>": the file's own export
        std::vector<std::string> store;
        Answer lineBreaks = Answer::No;
        size_t passes = 1;
    };
    const std::vector<Case> cases = {
        // Comments, short lines and line ends between values; then lines ended by LF alone.
        {ab,
         "; a comment before everything\r\n\r\nx\r\n\"a\"\r\n;between\r\n\"T\"\r\n\"anyone\"\r\n"
         "\"new \"\"a\"\"\r\n;inside a value this is text\"\r\n\"\"\r\n\r\n\r\n"
         "\"b\"\r\n\"T\"\r\n\"\"\r\n\"new b\"\r\n\";result\r\nline\"\r\n",
         {"#T", "T|new \"a\"\r\n;inside a value this is text|", "T|new b|;result\r\nline"}},
        {ab,
         "\"a\"\n\"T\"\n\"\"\n\"one\ntwo\"\n\"\"\n\n\n\"b\"\n\"T\"\n\"\"\n\"x\"\n\"y\"\n",
         {"#T", "T|one\r\ntwo|", "T|x|y"}},
        // "" is empty; a first line of quotes only or an even run at the end does not close, an odd run does.
        {File({Dial("T"), Info("a", "x"), Info("b", "x"), Info("c", "x")}),
         Entry("a", "T", "", "") + "\"b\"\r\n\"T\"\r\n\"\"\r\n\"\"\"\r\n\"\"\"\r\n\"\"\r\n\"c\"\r\n\"T\"\r\n"
                                   "\"\"\r\n\"say \"\"\r\nmore \"\"x\"\"\"\r\n\"\"\r\n",
         {"#T", "T||", "T|\"\r\n\"|", "T|say \"\r\nmore \"x\"|"}},
        // Curly quotes, straightened on disk too; a pair standing together in a text reads as a doubled
        // quote.
        {File({Dial("T"), Info("a", "old")}),
         "\x93\x61\x94\r\n\x93T\x94\r\n\x93\x94\r\n\x93She said \x93\x93hi\x94\x94.\x94\r\n\x93\x94\r\n",
         {"#T", "T|She said \"hi\".|"}},
        {File({Dial("T"), Info("a", "\x93Hi\x94 there"), Info("b", "x \x94\x93 y")}),
         "<export>",
         {"#T", "T|\"Hi\" there|", "T|x \" y|"}},
        // Removing line breaks joins texts, not results.
        {File({Dial("T"), Info("a", "x")}),
         Entries(Entry("a", "T", "one\r\ntwo\r\nthree", "r1\r\nr2")),
         {"#T", "T|one two three|r1\r\nr2"},
         Answer::Yes},
        {File({Dial("T"), Info("a", "", "", "x"), Info("b", "twelve chars", "result", "x")}),
         Entries(Entry("a", "T", "new text", "set") + Entry("b", "T", "", "result!")),
         {"#T", "T|new text|set", "T||result!"}},
        // More entries than responses start again at the first; IDs compare without regard to case.
        {File({Dial("T"), Info("a", "x"), Info("B", "x")}),
         Entries(Entry("a", "T", "1") + Entry("b", "T", "1") + Entry("A", "T", "2") + Entry("b", "T", "2")),
         {"#T", "T|2|", "T|2|"},
         Answer::No,
         2},
        // A rename in every entry renames the topic once; a later change of letter case alone is not noticed.
        {File({Dial("Rumors"), Info("a", "x"), Info("b", "y"), Dial("Other"), Info("c", "z")}),
         Entries(Entry("a", "Latest Rumors", "x") + Entry("b", "latest rumors", "y") +
                 Entry("c", "Other", "z")),
         {"#Latest Rumors", "#Other", "Latest Rumors|x|", "Latest Rumors|y|", "Other|z|"}},
        // A rename in the first entry only is undone by the next.
        {File({Dial("Rumors"), Info("a", "x"), Info("b", "y")}),
         Entries(Entry("a", "Gossip", "x") + Entry("b", "Rumors", "y")),
         {"#Rumors", "Rumors|x|", "Rumors|y|"}},
        // Of two topics of the same name (letter case aside) the first is renamed and its responses follow.
        {File({Dial("dup"), Info("a", "x"), Dial("DUP"), Info("b", "y")}),
         Entries(Entry("a", "renamed", "x") + Entry("b", "renamed", "y")),
         {"#renamed", "#DUP", "renamed|x|", "renamed|y|"}},
        // Renaming to a name that exists merges the responses; a later rename of that name takes them all.
        {File({Dial("one"), Info("a", "x"), Dial("two"), Info("b", "y")}),
         Entries(Entry("a", "two", "x") + Entry("b", "three", "y")),
         {"#three", "#two", "three|x|", "three|y|"}}};
    for (size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        Loaded f(c.bytes);
        FakeUi ui;
        ImportOutcome r = f.import(c.text == "<export>" ? f.exportText() : c.text, ui, c.lineBreaks);
        EXPECT_EQ(std::tie(r.completed, r.passes), std::make_tuple(true, c.passes)) << "case " << k;
        EXPECT_EQ(Summary(f.store), c.store) << "case " << k;
        EXPECT_EQ(testutil::ReadFile(f.dir.file("edited.txt")).find_first_of("\x93\x94"), std::string::npos);
        ExpectLengthsKept(f);
    }
}

TEST(DialogueImport, OverLongTextsWithEachAnswer) {
    const std::string long600(600, 'a'), long700(700, 'b'), long800(800, 'c');
    const std::string bytes = File({Dial("T"), Info("r1", "x", "", "fargoth"), Info("r2", "x"),
                                    Info("r3", "x"), Dial("J", 4), Info("r4", "x", "", "", 0, 4)});
    const std::string text = Entries(Entry("r1", "T", long600) + Entry("r2", "T", long700) +
                                     Entry("r3", "T", long600) + Entry("r4", "J", long800));
    std::vector<std::string> cut = {long600.substr(0, 512), long700.substr(0, 512), long600.substr(0, 512),
                                    long800.substr(0, 512)};
    // No trims this one only; Cancel trims it and every later one without asking.
    Loaded f(bytes);
    FakeUi ui;
    ui.answers = {Answer::No, Answer::Cancel};
    ImportOutcome r = f.import(text, ui);
    EXPECT_EQ(std::tie(r.completed, r.overLong),
              std::make_tuple(true, std::vector<std::string>{"r1", "r2", "r3", "r4"}));
    ExpectTooLongQuestions(ui, 1, {"r1", "r2"});
    EXPECT_EQ(Column(f.store, &INFORecord::NAME), cut);
    EXPECT_TRUE(ui.responseEdits.empty());
    ExpectLengthsKept(f);
    // Yes opens the editor with actor, topic and text; what it returns is stored, cut to 512 when the user
    // cancelled with the text still too long.
    Loaded g(bytes);
    FakeUi yes;
    yes.defaultAnswer = Answer::Yes;
    yes.onEditResponse = [](ResponseEdit& e) {
        if (e.Topic == "J") e.Response = "Shortened by hand.";
    };
    EXPECT_TRUE(g.import(text, yes).completed);
    ASSERT_EQ(yes.responseEdits.size(), 4u);
    const ResponseEdit &first = yes.responseEdits[0], &journal = yes.responseEdits[3];
    EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response, journal.Actor, journal.Topic),
              std::make_tuple("fargoth", "T", long600, "Journal Entry", "J"));
    cut[3] = "Shortened by hand.";
    EXPECT_EQ(Column(g.store, &INFORecord::NAME), cut);
    ExpectLengthsKept(g);
}

// Failures: the report, the log, and what the responses hold afterwards.
TEST(DialogueImport, FailuresAreReported) {
    const std::string two = File({Dial("T"), Info("a", "x"), Info("b", "y")});
    const std::string fewer = Entry("a", "T", "changed");
    const std::string threeExtra = Loaded(ThreeResponses()).exportText() + "\r\n";
    const std::string mismatch = Entry("first", "T", "new 1") +
                                 "; padding to reach an offset with letters in it: " + std::string(150, '-') +
                                 "\r\n" + Entry("FIRST", "T", "new 2") + Entry("third", "T", "new 3");
    struct Case {
        std::string bytes, text, message;    // "missing": no text file; no message: the question alone
        std::vector<std::string> names = {}; // the texts afterwards
        size_t passes = 0;
    };
    const std::vector<Case> cases = {
        // An extra blank line after the last entry ends with an error after the success.
        {ThreeResponses(), threeExtra, PastTheEnd(threeExtra.size() + 1),
         Column(Loaded(ThreeResponses()).store, &INFORecord::NAME), 1},
        // The offset in hexadecimal capitals; responses before the failing entry keep their new texts.
        {File({Dial("T"), Info("first", "old 1"), Info("second", "old 2"), Info("third", "old 3")}),
         mismatch,
         "The file has been edited incorrectly. Current offset: 0xFB.\r\nRequired ID: \"second\".\r\n"
         "Found ID: FIRST.",
         {"new 1", "old 2", "old 3"}},
        // Fewer entries than responses: what was read stays.
        {two, fewer, PastTheEnd(fewer.size() + 1), {"changed", "y"}},
        {two, "\"a\"\r\n\"T\"\r\n\"\"\r\n\"never\r\nclosed\r\n", "62: Input past end of file", {"x", "y"}},
        // The file ends where an entry's text should begin.
        {two, "\"a\"\r\n\"T\"\r\n\"Actor\"\r\n", "62: Input past end of file", {"x", "y"}},
        // No responses loaded: the table has no elements.
        {File({Dial("T")}), Entry("a", "T", "x"),
         "An error occured  at Offset 0x1 while importing the dialogue.\r\n\r\n9: Subscript out of range"},
        {two, "missing", "53: File not found", {"x", "y"}},
        // An empty text file ends the import at once, with no log line.
        {two, "", "", {"x", "y"}}};
    for (const Case& c : cases) {
        Loaded f(c.bytes);
        FakeUi ui;
        ui.answers = {Answer::No};
        const std::string file = f.dir.file(c.text == "missing" ? "gone.txt" : "edited.txt");
        if (c.text != "missing") testutil::WriteFile(file, c.text);
        ImportOutcome r = ImportDialogueText(file, f.store, ui, f.path);
        EXPECT_EQ(std::tie(r.completed, r.passes), std::make_tuple(c.message.empty(), c.passes)) << c.message;
        ASSERT_EQ(ui.messages.size(), c.message.empty() ? 1u : 2u) << c.message;
        if (!c.message.empty()) {
            EXPECT_NE(ui.messages[1].text.find(c.message), std::string::npos) << ui.messages[1].text;
            EXPECT_EQ(ui.messages[1].buttons, Buttons::OK);
        }
        std::vector<std::string> log;
        if (!c.message.empty()) log.push_back("-An error occured during dialogue importing.");
        if (c.passes) log.insert(log.begin(), "-Imported 3 responses to \"Dialogue.esp\" successfully.");
        EXPECT_EQ(ui.log, log) << c.message;
        EXPECT_EQ(Column(f.store, &INFORecord::NAME), c.names) << c.message;
        // After a failure the progress bar is empty.
        EXPECT_TRUE(c.message.empty() || ui.progress.empty() || ui.progress.back() == 0.0) << c.message;
    }
}

TEST(DialogueTextUtil, LetterCaseAndTheEditorLimit) {
    EXPECT_EQ(ProperCase(std::string("a\tb\nc\rd\ve\ff\0g", 13)), std::string("A\tB\nC\rD\vE\fF\0G", 13));
    EXPECT_EQ(ToUpper("a\xFF\x9A\xF7"), "A\x9F\x8A\xF7");
    EXPECT_EQ(ToLower("\xD7\xDF\xC0"), "\xD7\xDF\xE0");
    EXPECT_EQ(std::make_tuple(EqualsIgnoreCase("Caf\xC9", "cAF\xE9"), EqualsIgnoreCase("abc", "abcd"),
                              AcceptEnabled(std::string(512, 'x')), AcceptEnabled(std::string(513, 'x'))),
              std::make_tuple(true, false, true, false));
}

// ======== loop detection ========

// Accented capitals match their small forms; ? and brackets are ordinary characters; head and tail may not
// share characters; with several stars each part is found after the one before, the tail at the very end.
// The lists hold pairs of text and pattern.
TEST(LoopWildcards, StarIsTheOnlySpecialCharacterAndCaseIsIgnored) {
    const std::vector<std::string> match = {"",         "",        "",      "*",         "Anything at all",
                                            "*",        "ABC",     "abc",   "\xC9T\xC9", "\xE9t\xE9",
                                            "a?c",      "a?c",     "a#1",   "a#1",       "aXbYbZ",
                                            "a*b*Z",    "abcbc",   "*bc",   "abcab",     "a*ab",
                                            "aab",      "*ab",     "xAyBz", "*a*b*",     "ab",
                                            "**",       "xaaabx",  "*aab*", "abababc",   "*ababc",
                                            "aabaabab", "*aabab*", "abab",  "*b*b"};
    const std::vector<std::string> noMatch = {"a",  "",   "abc", "ab",    "abc", "a?c",  "abc",    "a[b]c",
                                              "a1", "a#", "ab",  "a*b*b", "ba",  "*a*b", "abaabx", "*abab*"};
    for (size_t k = 0; k < match.size(); k += 2)
        EXPECT_TRUE(WildcardMatch(match[k], match[k + 1])) << match[k];
    for (size_t k = 0; k < noMatch.size(); k += 2)
        EXPECT_FALSE(WildcardMatch(noMatch[k], noMatch[k + 1])) << noMatch[k];
}

TEST(LoopChoices, ChoiceLinesInFourStepsAndEmptySlots) {
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
    SCVRData c;
    std::tie(c.CondType, c.CondFunction, c.CondComparison, c.SCVRLen) = std::make_tuple("1", "50", "0", 5);
    EXPECT_TRUE(IsChoiceCondition(c));
    c.SCVRLen = 0;
    EXPECT_FALSE(IsChoiceCondition(c)) << "an empty slot";
}

// The number ends the line or is followed by a blank and more; "Choice", one blank, a quote, and one blank
// before the number. Each case is a line, then @ and the choice number.
TEST(LoopChoices, ALineOffersAChoiceByEitherPattern) {
    const std::vector<std::string> offered = {"Choice \"Yes\" 1 \"No\" 2@2",
                                              "Choice \"Yes\" 1 \"No\" 2@1",
                                              "Choice \"Yes\" 12 \"No\" 21@12",
                                              "if ( x ) CHOICE \"a\" 3 endif@3",
                                              "choice \"Back\" -1@-1",
                                              "Choice \"\" 0@0",
                                              "Choice \"Yes\" 1 @1",
                                              "MessageBox \"x\" Choice \"x\" 5@5"};
    const std::vector<std::string> notOffered = {
        "Choice \"Yes\" 1 \"No\" 2@3", "Choice \"Yes\" 12@1",
        "Choice \"Yes\" 21@1",         "Choice \"Yes\" 12 \"No\" 21@1",
        "choice \"Back\" -1@1",        "Choice  \"Yes\" 1@1",
        "Choice \"Yes\"  1@1",         "Choice \"Yes\" 1x@1",
        "Choices \"Yes\" 1@1",         "MessageBox \"Choice \"x\" 5\"@5"};
    for (const auto& [lines, expected] : {std::pair{&offered, true}, std::pair{&notOffered, false}}) {
        for (const std::string& c : *lines) {
            const size_t at = c.rfind('@');
            EXPECT_EQ(OffersChoice(c.substr(0, at), std::stoi(c.substr(at + 1))), expected) << c;
        }
    }
}

TEST(LoopCheck, WhichLinesAndConditionsAreShown) {
    const std::string both = "Choice \"Yes\" 1 \"No\" 2";
    // Only the choice function of a function condition counts; an operand stored as a float leaves the
    // choice number 0.
    const Cond function51{'1', "51", '0', 1, false, ""}, variable{'2', "50", '0', 1, false, "choice"},
        asFloat{'1', "50", '0', 2, true, ""}, journal{'4', "JX", '0', 1, false, "quest"};
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
    // A deleted response is examined too. No answer yet: closing the editor counts as Skip.
    EXPECT_EQ(Showings(ui),
              (std::vector<std::string>{"Loop here.|Choice \"x\" 1\r\nGoodbye|1", "Gone.|Choice \"x\" 2|2"}));
    const ResultEdit& e = ui.resultEdits[0];
    EXPECT_EQ(std::tie(e.Actor, e.Topic, e.fiAccept, ui.resultEdits[1].Topic),
              std::make_tuple("hrisskar flat-foot", "Background", "2", "Other"));
}

// The answer is read as a number: 0 (and what reads as no number) accepts the edits, 1 cancels, others skip.
TEST(LoopCheck, TheAnswersToTheResultEditor) {
    const struct {
        std::string fiAccept;
        LoopCheckEnd end;
        size_t accepted;
    } cases[] = {{"0", LoopCheckEnd::Completed, 1},  {"1", LoopCheckEnd::Cancelled, 0},
                 {"2", LoopCheckEnd::Completed, 0},  {" 1", LoopCheckEnd::Cancelled, 0},
                 {"1 ", LoopCheckEnd::Cancelled, 0}, {"7", LoopCheckEnd::Completed, 0},
                 {"-1", LoopCheckEnd::Completed, 0}, {"", LoopCheckEnd::Completed, 1},
                 {"x", LoopCheckEnd::Completed, 1},  {"01", LoopCheckEnd::Cancelled, 0}};
    for (const auto& c : cases) {
        // Giving text to an empty response adds its subrecord; emptying the result drops one.
        Loaded f(File({Dial("T"), Info("r", "", "Choice \"Yes\" 1 \"No\" 2", {Choice(1)})}));
        FakeUi ui;
        ui.onEditResult = [&](ResultEdit& e) {
            e.Response += "Say so.  ";
            e.Result.clear();
            e.fiAccept = c.fiAccept;
        };
        LoopCheckOutcome r = f.check(ui);
        EXPECT_EQ(std::tie(r.end, r.accepted), std::make_tuple(c.end, c.accepted))
            << "\"" << c.fiAccept << "\"";
        EXPECT_EQ(std::tie(f.store.tblINFO[0].NAME, f.store.tblINFO[0].BNAM),
                  c.accepted ? std::make_tuple("Say so.  ", "")
                             : std::make_tuple("", "Choice \"Yes\" 1 \"No\" 2"));
        ExpectLengthsKept(f);
    }
    EXPECT_EQ(ResultEditorAnswer("99999999999999"), INT32_MAX);
}

TEST(LoopCheck, EditsTakeEffectForTheNextSlotButNotTheRestOfThePass) {
    // Two lines offer 1 under slot 0; slot 1 offers 2. Accepting a result that offers neither: the second
    // line of the pass is still shown, with the accepted texts; slot 1 finds nothing. With Skip it finds 2.
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
    const std::string result = "Choice \"A\" 1\r\nChoice \"B\" 1 \"C\" 2";
    EXPECT_EQ(Showings(ui), (std::vector<std::string>{"Text.|" + result + "|1", "Changed text.|Goodbye|1"}));
    EXPECT_EQ(Summary(f.store), (std::vector<std::string>{"#T", "T|Changed text.|Goodbye"}));
    Loaded g(bytes);
    FakeUi skip;
    g.check(skip);
    EXPECT_EQ(Showings(skip), (std::vector<std::string>{"Text.|" + result + "|1", "Text.|" + result + "|1",
                                                        "Text.|" + result + "|2"}));
}

TEST(LoopCheck, ProgressAndNoResponses) {
    const std::pair<std::string, std::vector<double>> cases[] = {
        {File({Dial("T"), Info("a", "x", "Choice \"A\" 1", {Choice(1)}), Info("b", "y"), Info("c", "z")}),
         {0.0, 0.5, 1.0, 0.0}},
        {File({Dial("T"), Info("a", "x")}), {1.0, 0.0}}, // one response: the progress shows it done
        {File({Dial("Lonely")}), {0.0}}};
    for (const auto& [bytes, progress] : cases) {
        Loaded f(bytes);
        FakeUi ui;
        const bool none = f.store.tblINFO.empty();
        EXPECT_EQ(f.check(ui).end, none ? LoopCheckEnd::NoResponses : LoopCheckEnd::Completed);
        EXPECT_EQ(std::make_tuple(ui.progress, ui.messages.size(), ui.log.size()),
                  std::make_tuple(progress, size_t{0}, none ? size_t{1} : size_t{2}));
        EXPECT_EQ(ui.log.at(ui.log.size() - 1),
                  none ? "-\"Dialogue.esp\" contains no dialogue responses." : "-Loop check successful.");
    }
}

TEST(LoopCheck, CancelOrAnErrorStopsTheCheckAndEarlierEditsStay) {
    const std::string error = "-An error occured during loop detection.";
    const struct {
        std::function<void(ResultEdit&)> second; // the answer to the second showing
        LoopCheckEnd end;
        std::string lastLog, message;
        double progress; // after a cancel the progress bar keeps its value
    } cases[] = {
        {[](ResultEdit& e) { e.fiAccept = "1"; }, LoopCheckEnd::Cancelled, "-Loop check cancelled.", "", 0.5},
        {[](ResultEdit&) { throw std::bad_alloc(); }, LoopCheckEnd::Failed, error,
         "Vellum has encountered an error number #7: Out of memory.", 0.0},
        {[](ResultEdit&) { throw std::runtime_error("broken"); }, LoopCheckEnd::Failed, error,
         "Vellum has encountered an error number #5: Invalid procedure call or argument.", 0.0}};
    for (const auto& c : cases) {
        const std::string result = "Choice \"A\" 1";
        Loaded f(File({Dial("T"), Info("a", "x", result, {Choice(1)}), Info("b", "y", result, {Choice(1)}),
                       Info("c", "z", result, {Choice(1)})}));
        FakeUi ui;
        int shown = 0;
        ui.onEditResult = [&](ResultEdit& e) {
            if (++shown == 2) return c.second(e);
            e.Response = "kept";
            e.fiAccept = "0";
        };
        const LoopCheckEnd end = f.check(ui).end;
        EXPECT_EQ(std::make_tuple(end, shown, ui.log.back(), ui.messages.empty() ? "" : ui.messages[0].text,
                                  ui.progress.back()),
                  std::make_tuple(c.end, 2, c.lastLog, c.message, c.progress));
        EXPECT_EQ(Column(f.store, &INFORecord::NAME), (std::vector<std::string>{"kept", "y", "z"}));
        ExpectLengthsKept(f);
    }
}

// ======== topic renaming ========

// As is, lower case, upper case and proper case, in that order over the text; only the first letter in upper
// case is none of the four forms.
TEST(RenameTopicPasses, AsIsLowerUpperAndProperCase) {
    const struct {
        std::string text, from, to, expected;
    } cases[] = {
        {"Ash, ash, ASH and Ashlander; aSh stays.", "Ash", "Dust",
         "Dust, dust, DUST and Dustlander; aSh stays."},
        {"latest rumors, LATEST RUMORS, Latest Rumors, Latest rumors", "latest rumors", "new gossip",
         "new gossip, NEW GOSSIP, New Gossip, Latest rumors"},
        // When the new name in lower case holds the old one, passes 1 and 2 both replace it.
        {"Any rumors? rumors!", "rumors", "latest rumors", "Any latest latest rumors? latest latest rumors!"},
        {"vivec, Vivec, VIVEC", "vivec", "Vivec", "Vivec, Vivec, VIVEC"},
        // Proper case: words part at blanks, tabs, line breaks and zeros, not at apostrophes or hyphens.
        {"Fargoth's Ring and fargoth's ring", "fargoth's ring", "the ring", "The Ring and the ring"},
        {"Red\tMountain", "red\tmountain", "ghost\tgate", "Ghost\tGate"},
        {"Cliff-Racer, Cliff-racer", "cliff-racer", "kagouti", "Cliff-Racer, Kagouti"},
        {"\xC9LAN \xE9lan \xC9lan", "\xE9lan", "\xC9\x63u", "\xC9\x43U \xC9\x63u \xC9\x63u"},
        // Occurrences do not overlap and inserted text is not searched again.
        {"aaaa", "aa", "a", "a"}};
    for (const auto& c : cases) {
        std::string text = c.text;
        ReplaceTopicName(text, c.from, c.to);
        EXPECT_EQ(text, c.expected) << c.text;
    }
    std::string unchanged = "Nothing to see.";
    EXPECT_FALSE(ReplaceTopicName(unchanged, "Ash", "Dust"));
    EXPECT_TRUE(ReplaceTopicName(unchanged, "see", "do"));
}

TEST(RenameTopicApply, RenamesTopicResponsesTextsAndResultsWithTheirSizes) {
    Loaded f(File({Dial("Ash"), Info("a1", "Ash storms come from the Ashlands.", "Journal \"ash_quest\" 10"),
                   Info("a2", "", "AddTopic \"Ash\""), Dial("Other"),
                   Info("o1", "ASH everywhere: ash, Ash, ASH, ash, Ash!", "", "hrisskar"),
                   Info("o2", "Gone ash.", "ash", "fargoth", 0x20), Info("o3", "No mention.")}));
    const RecordStore before = f.store;
    FakeUi ui;
    RenameOutcome r = f.apply({{0, "Dust"}}, ui);
    EXPECT_EQ(std::make_tuple(r.status, r.topicsRenamed, r.responsesMoved, r.textsChanged, r.resultsChanged,
                              ui.messages.size()),
              std::make_tuple(RenameStatus::Applied, size_t{1}, size_t{2}, size_t{3}, size_t{3}, size_t{0}));
    EXPECT_EQ(f.store.tblDIAL[0].NAMELen, before.tblDIAL[0].NAMELen + 1);
    // Texts of any topic; a deleted response's text is written, its result is not.
    EXPECT_EQ(Summary(f.store),
              (std::vector<std::string>{
                  "#Dust", "#Other", "Dust|Dust storms come from the Dustlands.|Journal \"dust_quest\" 10",
                  "Dust||AddTopic \"Dust\"", "Other|DUST everywhere: dust, Dust, DUST, dust, Dust!|",
                  "Other|Gone dust.|dust", "Other|No mention.|"}));
    ExpectLengthsKept(f);
    // After a save the responses stand under the topic's new name, right after it.
    const std::string bytes = f.save();
    EXPECT_LT(bytes.find("Dust\0", 0, 5), bytes.find("a1\0", 0, 3));

    // Responses belong to the topic they stand under, not to its name: a topic renamed alone keeps them.
    Loaded g(File({Dial("Ash"), Info("a1", "x"), Info("a2", "y")}));
    SetTopicName(g.store.tblDIAL[0], "Dust");
    EXPECT_EQ(Column(g.reread(), &INFORecord::Topic), (std::vector<std::string>{"Dust", "Dust"}));
}

// The options choose texts and results (responses always move with their topic); several rows go in table
// order, each over what the one before left; a change of letter case alone; a name another topic has.
TEST(RenameTopicApply, OptionsSeveralRowsAndLetterCase) {
    const std::string ash = File({Dial("Ash"), Info("a1", "Ash here.", "ash there")});
    const struct {
        std::string bytes;
        std::vector<std::pair<size_t, std::string>> renames;
        RenameOptions options;
        std::vector<std::string> store;
        std::vector<double> progress; // over the topic table
    } cases[] = {
        {ash, {{0, "Dust"}}, {true, true}, {"#Dust", "Dust|Dust here.|dust there"}, {1.0, 0.0}},
        {ash, {{0, "Dust"}}, {true, false}, {"#Dust", "Dust|Dust here.|ash there"}, {1.0, 0.0}},
        {ash, {{0, "Dust"}}, {false, true}, {"#Dust", "Dust|Ash here.|dust there"}, {1.0, 0.0}},
        {ash, {{0, "Dust"}}, {false, false}, {"#Dust", "Dust|Ash here.|ash there"}, {1.0, 0.0}},
        {"", {}, {}, {}, {0.0}}, // no file open
        // Greetings are not offered.
        {File({Dial("red"), Info("r", "red", "", "a"), Dial("Greeting", 2),
               Info("g", "Blue and red.", "", "b"), Dial("blue"), Info("b", "blue", "", "c")}),
         {{0, "blue"}, {2, "green"}},
         {},
         {"#blue", "#Greeting", "#green", "green|green|", "Greeting|Green and green.|", "green|green|"},
         {0.0, 0.5, 1.0, 0.0}},
        {File({Dial("vivec"), Info("v1", "vivec and Vivec and VIVEC", "AddTopic \"vivec\""), Dial("two")}),
         {{0, "Vivec"}, {1, "Vivec"}},
         {},
         {"#Vivec", "#Vivec", "Vivec|Vivec and Vivec and VIVEC|AddTopic \"Vivec\""},
         {0.0, 1.0, 0.0}}};
    for (const auto& c : cases) {
        Loaded f(c.bytes);
        FakeUi ui;
        EXPECT_EQ(f.apply(c.renames, ui, c.options).topicsRenamed, c.renames.size());
        EXPECT_EQ(std::make_tuple(Summary(f.store), ui.progress), std::tie(c.store, c.progress));
        ExpectLengthsKept(f);
    }
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
        EXPECT_EQ(std::tie(c.f.store.tblDIAL, c.f.store.tblINFO), std::tie(before.tblDIAL, before.tblINFO));
        EXPECT_TRUE(ui.progress.empty());
    }
    // The same rows apply to the store they were listed from and take their new names; a second Apply
    // changes nothing, and the rows go on working for the next rename.
    FakeUi ui;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).status, RenameStatus::Applied);
    EXPECT_EQ(std::tie(rows[0].name, f.store.tblINFO[0].NAME), std::make_tuple("Dust", "Dust"));
    const RecordStore after = f.store;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).topicsRenamed, 0u);
    EXPECT_EQ(f.store.tblINFO, after.tblINFO);
    rows[0].text = "Ash";
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).topicsRenamed, 1u);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "Ash");
}

TEST(RenameTopicApply, OverLongResponsesWithEachAnswer) {
    // Each text grows past 512 characters when ash becomes dusts.
    const std::string text = "ash " + std::string(508, '.'), grown = "dusts " + std::string(508, '.');
    const std::string bytes =
        File({Dial("ash"), Info("r1", text, "", "fargoth"), Info("r2", text, "", "hrisskar"),
              Dial("Journal", 4), Info("r3", text, text, "", 0, 4)});
    // No cuts this one; Cancel cuts it and every later one without asking. Results are never cut.
    Loaded f(bytes);
    FakeUi ui;
    ui.answers = {Answer::No, Answer::Cancel};
    RenameOutcome r = f.apply({{0, "dusts"}}, ui);
    ExpectTooLongQuestions(ui, 0, {"r1", "r2"});
    const std::string cut = grown.substr(0, 512);
    EXPECT_EQ(Summary(f.store),
              (std::vector<std::string>{"#dusts", "#Journal", "dusts|" + cut + "|", "dusts|" + cut + "|",
                                        "Journal|" + cut + "|" + grown}));
    EXPECT_EQ(r.overLong, (std::vector<std::string>{"r1", "r2", "r3"}));
    EXPECT_TRUE(ui.responseEdits.empty());
    ExpectLengthsKept(f);
    // No to all lasts for one Apply.
    FakeUi next;
    next.answers = {Answer::No};
    SetResponseText(f.store.tblINFO[0], grown);
    f.apply({{0, "DUSTS"}}, next);
    EXPECT_EQ(next.messages.size(), 1u);

    // Yes opens the response editor with the speaker's ID (also for a journal entry) and the new topic name.
    // What it returns is kept; a text still too long is cut to 512; an emptied text drops its subrecord.
    Loaded g(bytes);
    FakeUi yes;
    yes.defaultAnswer = Answer::Yes;
    int call = 0;
    yes.onEditResponse = [&](ResponseEdit& e) {
        ++call;
        if (call == 1) e.Response = "Short now.";
        if (call == 2) e.Response += "more"; // Cancel in the editor: still too long
        if (call == 3) e.Response.clear();
    };
    g.apply({{0, "dusts"}}, yes);
    ASSERT_EQ(yes.responseEdits.size(), 3u);
    const ResponseEdit &first = yes.responseEdits[0], &journal = yes.responseEdits[2];
    EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response, journal.Actor, journal.Topic),
              std::make_tuple("fargoth", "dusts", grown, "", "Journal"));
    EXPECT_EQ(Column(g.store, &INFORecord::NAME),
              (std::vector<std::string>{"Short now.", "dusts " + std::string(506, '.'), ""}));
    ExpectLengthsKept(g);

    // A text that was already too long is offered even when the rename does not touch it.
    Loaded h(File({Dial("Vos"), Info("v", "x"), Dial("Other"), Info("o", std::string(600, 'o'))}));
    FakeUi no;
    no.answers = {Answer::No};
    h.apply({{0, "Molag Mar"}}, no);
    ExpectTooLongQuestions(no, 0, {"o"});
    EXPECT_EQ(Column(h.store, &INFORecord::NAME), (std::vector<std::string>{"x", std::string(512, 'o')}));
    ExpectLengthsKept(h);
}
