// Loop detection: the wildcard matcher, choice conditions and choice lines, and the check itself with the
// result editor's answers, the bookkeeping of accepted edits, its log lines, progress and error report.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <tuple>

#include "dialogue/loops.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// ---- building files ----

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

std::string Dial(std::string_view name) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(0)));
}

// A response in the writer's order of subrecords.
std::string Info(std::string_view id, std::string_view text, std::string_view result,
                 const std::vector<Cond>& conds = {}, std::string_view actor = "fargoth",
                 uint32_t flags = 0) {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + Sub("DATA", I32(0) + I32(0) + U32(0));
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

struct Loaded {
    testutil::TempDir dir;
    std::string path;
    RecordStore store;
    int32_t count = 0;
    explicit Loaded(const std::string& bytes) {
        path = dir.file("Loops.esp");
        testutil::WriteFile(path, bytes);
        count = testutil::Load(bytes, store);
    }
    LoopCheckOutcome check(FakeUi& ui) { return CheckLoops(store, ui, path); }
    // Saves and reads back; every length must have been kept in step.
    RecordStore reread() const {
        const std::string bytes = testutil::Save(store, count, 0);
        RecordStore back;
        testutil::Load(bytes, back);
        return back;
    }
};

// One response with the given conditions and result; returns the choice numbers the editor was shown with.
std::vector<int32_t> Shown(std::string_view result, const std::vector<Cond>& conds) {
    Loaded f(File({Dial("T"), Info("r", "Text.", result, conds)}));
    FakeUi ui;
    EXPECT_EQ(f.check(ui).end, LoopCheckEnd::Completed);
    std::vector<int32_t> choices;
    for (const ResultEdit& e : ui.resultEdits) choices.push_back(e.Choice);
    return choices;
}

// A plain backtracking matcher to compare the linear one with.
bool Reference(std::string_view t, std::string_view p) {
    if (p.empty()) return t.empty();
    if (p[0] == '*') {
        for (size_t i = 0; i <= t.size(); ++i)
            if (Reference(t.substr(i), p.substr(1))) return true;
        return false;
    }
    return !t.empty() &&
           std::tolower(static_cast<unsigned char>(t[0])) == std::tolower(static_cast<unsigned char>(p[0])) &&
           Reference(t.substr(1), p.substr(1));
}

} // namespace

// ---- the wildcard matcher ----

TEST(LoopWildcards, StarIsTheOnlySpecialCharacterAndCaseIsIgnored) {
    EXPECT_TRUE(WildcardMatch("", ""));
    EXPECT_TRUE(WildcardMatch("", "*"));
    EXPECT_FALSE(WildcardMatch("a", ""));
    EXPECT_TRUE(WildcardMatch("Anything at all", "*"));
    EXPECT_TRUE(WildcardMatch("ABC", "abc"));
    EXPECT_TRUE(WildcardMatch("\xC9T\xC9", "\xE9t\xE9")) << "accented capitals match their small forms";
    EXPECT_FALSE(WildcardMatch("abc", "ab"));
    EXPECT_TRUE(WildcardMatch("a?c", "a?c"));
    EXPECT_FALSE(WildcardMatch("abc", "a?c")) << "? is an ordinary character";
    EXPECT_FALSE(WildcardMatch("abc", "a[b]c")) << "so are brackets";
    EXPECT_TRUE(WildcardMatch("a#1", "a#1"));
    EXPECT_FALSE(WildcardMatch("a1", "a#"));
    EXPECT_FALSE(WildcardMatch("ab", "a*b*b")) << "head and tail may not share characters";
}

TEST(LoopWildcards, AgreesWithABacktrackingMatcherOnRandomInputs) {
    std::mt19937 rng(20240611);
    const std::string alphabet = "abAB*\" 1";
    auto word = [&](size_t maxLen, bool stars) {
        std::string s;
        const size_t n = rng() % (maxLen + 1);
        for (size_t i = 0; i < n; ++i) {
            char c = alphabet[rng() % alphabet.size()];
            if (!stars && c == '*') c = 'a';
            s += c;
        }
        return s;
    };
    for (int round = 0; round < 30000; ++round) {
        const std::string p = word(8, true), t = word(12, round % 2 == 0);
        ASSERT_EQ(WildcardMatch(t, p), Reference(t, p)) << "text \"" << t << "\" pattern \"" << p << "\"";
    }
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
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Checking 3 responses from \"Loops.esp\" for loops...",
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
    EXPECT_EQ(noneUi.log, (std::vector<std::string>{"-\"Loops.esp\" contains no dialogue responses."}));
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
        EXPECT_EQ(ui.log, (std::vector<std::string>{"-Checking 3 responses from \"Loops.esp\" for loops...",
                                                    c.lastLog}));
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
