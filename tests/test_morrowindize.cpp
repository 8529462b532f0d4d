// Morrowindize: the replacement primitive, the tables and every cleaning step on single texts; the quick
// ways against the plain rules on random texts; the run over a loaded file, its 512-character rule and
// errors.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "dialogue/text_util.h"
#include "fixture_builder.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/morrowindize.h"
#include "morrowindize/options.h"
#include "morrowindize/rule_tables.h"
#include "morrowindize/text_replace.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using namespace fixture::tools;

namespace {

enum Flag : unsigned {
    Eng = 1,
    Us = 2,
    Slang = 4,
    Temple = 8,
    Lines = 16,
    Square = 32,
    DashSp = 64,
    Dashes = 128,
    Sent = 256,
    Ell = 512,
    Quotes = 1024,
    All = 2047
};

// The options in the order of the flag bits.
constexpr bool MorrowindizeOptions::*kFlagged[] = {
    &MorrowindizeOptions::isMainEnglish, &MorrowindizeOptions::isAmerican,
    &MorrowindizeOptions::isSlang,       &MorrowindizeOptions::isTemple,
    &MorrowindizeOptions::isLineBreaks,  &MorrowindizeOptions::isSquare,
    &MorrowindizeOptions::isDashSpaces,  &MorrowindizeOptions::isDashes,
    &MorrowindizeOptions::isSentences,   &MorrowindizeOptions::isEllipsis,
    &MorrowindizeOptions::isSpaceQuotes};

MorrowindizeOptions Opts(unsigned f) {
    MorrowindizeOptions o;
    for (size_t i = 0; i < std::size(kFlagged); ++i) o.*kFlagged[i] = (f >> i & 1) != 0;
    return o;
}

struct CleanCase {
    unsigned flags;
    std::string in, expected;
};

// Each row: the options, a text, and the whole text the clean-up must give.
const std::vector<CleanCase> kCleanCases = {
    // Steps that run with every option off.
    {0, "Hello ,world", "Hello, world"},
    {0, "3.5", "3. 5"},
    {0, "  mail@home #1  ", "mailhome 1"},
    // Curly quotes and apostrophes, the backquote, tab; the left single quote (145) is left.
    {0, "\x93It\x92s\x94 `x`\t\x91y", "\"It's\" 'x' \x91y"},
    // The ellipsis character; four dots become three in one pass (five become four).
    {0, "Wait\x85 no.... yes..... end", "Wait... no... yes.... end"},
    {0, "What ?! Yes ; no : maybe .", "What?! Yes; no: maybe."},
    // Em dash and the control character 6 become dashes; every run of dashes becomes one.
    {0,
     "a---b \x97\x97 c\x06"
     "d",
     "a-b - c-d"},
    // A closing quote followed by a blank and a mark loses the blank (not for ";").
    {0, "\"Go\" . \"Now\" ; \"So\" !", "\"Go\". \"Now\"; \"So\"!"},
    {0, "one\r\ntwo", "one\r\ntwo"},
    {Lines, "one\r\ntwo\nthree", "one two\nthree"},
    {0, "   ", ""},
    // The name table: rows in order, matching inside words, its case-sensitive rows.
    {Eng, "VVARDENFELL and vvardenfell", "Vvardenfell and Vvardenfell"},
    // "aedra" first gives "dAedra", which the later "daedra" row turns into "Daedra".
    {Eng, "The daedra", "The Daedra"},
    // The blanks of "&" come on top of the single blanks the clean-up left.
    {Eng, "A & B", "A  and  B"},
    {Eng, "GRO-bash and Gra - Lash", "gro-bash and gra-Lash"},
    {Eng, "in vivec city", "in Vivec city"},
    // A blank that belongs to the row: " khul" does not touch "khul" at the start.
    {Eng, "khul", "khul"},
    {Eng, "to khul now", "to Khuul now"},
    {Eng, "kuama Kuama KUAMA", "kwama Kwama KUAMA"},
    // The temple row needs both the name table and the temple option.
    {Eng, "the tribunal temple", "the Tribunal temple"},
    {Eng | Temple, "the tribunal temple", "the Tribunal Temple"},
    {Temple, "the tribunal temple", "the tribunal temple"},
    // Spelling and slang are case-sensitive.
    {Us, "The armoury of Honour", "The armory of Honor"},
    {Us, "ARMOUR", "ARMOUR"},
    {Slang, "gonna", "gonna"},
    {Slang, "gonna go", "going to go"},
    // The later "IMO" row does not touch what "IMHO" became.
    {Slang, "IMHO", "in my humble opinion"},
    {Slang, "IMO", "in my opinion"},
    // Brackets and dashes.
    {0, "(a) {b}", "(a) {b}"},
    {Square, "(a) {b}", "[a] [b]"},
    {DashSp, "word -next", "word - next"},
    {DashSp, "word-- next", "word - next"},
    {DashSp, "well-known", "well-known"},
    // "Force Single Dashes" leaves runs of dashes as they are.
    {Dashes, "a---b", "a---b"},
    {Dashes | DashSp, "word --next", "word -- next"},
    {Dashes | DashSp, "word- next", "word- next"},
    // Sentences and the ellipsis.
    {Sent, "hello. how are you? fine! and you", "Hello. How are you? Fine! And you"},
    {Sent, "Wait... then", "Wait... then"},
    // Only a to z are capitalised after a sentence end; the first character takes any capital form.
    {Sent, "\xE9t\xE9. \xE9t\xE9. ok", "\xC9t\xE9. \xE9t\xE9. Ok"},
    {Sent, "it is 3.5 ells. yes", "It is 3. 5 ells. Yes"},
    {Sent | Ell, "Wait... then", "Wait... Then"},
    // Capitalize After Ellipsis without Capitalize New Sentences has nothing to work on.
    {Ell, "wait... then. so", "wait... then. so"},
    // Quote spacing; the blanks inside the quotes that the text already had stay.
    {Quotes, "He said\"hello\"to me", "He said \"hello\" to me"},
    {Quotes, "He said \" hello \" to me", "He said \" hello \" to me"},
    // The quote opens the text: the blank put before it stays, since trimming came earlier.
    {Quotes, "\"Hi,\" he said.", " \"Hi, \" he said."},
    {Quotes, "\"\"", " \"\" "},
    // The blank put after a closing quote goes again before a mark.
    {Quotes, "\"a\"?\"b\":", " \"a\"? \"b\":"},
    {0, "He said\"hello\"to me", "He said\"hello\"to me"},
    // Every option on runs the steps in order.
    {All, "the (colour) --of vivec's temple... i'm gonna go\t\"now\"",
     "The [color] -- of Vivec's Temple... I'm going to go \"now\" "},
};

struct ReplaceCase {
    std::string text, what, with;
    Case mode;
    std::string expected;
};

const std::vector<ReplaceCase> kReplaceCases = {
    // All occurrences, left to right, without overlap or rescanning.
    {"aaaa", "aa", "a", Case::Sensitive, "aa"},
    {"aaa", "aa", "b", Case::Sensitive, "ba"},
    {"ab", "a", "aa", Case::Sensitive, "aab"},
    {"--x--", "--", "-", Case::Ignore, "-x-"},
    {"abc", "", "x", Case::Ignore, "abc"},
    {"Armour armour ARMOUR", "armour", "armor", Case::Sensitive, "Armour armor ARMOUR"},
    // Ignoring case covers the letters of the code page and inserts the replacement as written.
    {"VVARDENFELL vvardenfell VvArDeNfElL", "vvardenfell", "Vvardenfell", Case::Ignore,
     "Vvardenfell Vvardenfell Vvardenfell"},
    {"\xC9t\xC9 \xE9t\xE9", "\xE9t\xE9", "x", Case::Ignore, "x x"},
    // S caron, OE, Z caron, Y diaeresis.
    {"\x8A\x9A\x8C\x9C\x8E\x9E\x9F\xFF", "\x9A\x8A\x9C\x8C\x9E\x8E\xFF\x9F", "y", Case::Ignore, "y"},
    // The multiplication and division signs are no case pair; nor are other symbols.
    {"\xD7", "\xF7", "x", Case::Ignore, "\xD7"},
    {"[{", "{[", "x", Case::Ignore, "[{"},
    {"\xDF", "ss", "x", Case::Ignore, "\xDF"},
};

// The quote step as the rules say it, replacement by replacement, with the one addition that two turns in a
// row without a replacement end it.
void QuoteStepAsWritten(std::string& t, bool& open) {
    const std::string m(kQuoteMarker);
    ReplaceAll(t, "\"", " " + m + " ", Case::Sensitive);
    int idle = 0;
    while (ContainsText(t, m, Case::Ignore)) {
        const bool done = open ? ReplaceFirst(t, " " + m, "\"", Case::Sensitive)
                               : ReplaceFirst(t, m + " ", "\"", Case::Sensitive);
        open = !open;
        if (done)
            idle = 0;
        else if (++idle == 2)
            break;
    }
}

// A table as the rules say it: every row in order over the whole text.
std::string RowByRow(std::string t, std::span<const RuleRow> rows, bool temple) {
    for (const RuleRow& r : rows)
        if (r.use == RowUse::Always || temple) ReplaceAll(t, r.find, r.with, r.mode);
    return t;
}

// Random texts made of the given pieces, with now and then an arbitrary byte.
class TextMaker {
  public:
    TextMaker(uint32_t seed, std::vector<std::string> pieces) : rng_(seed), pieces_(std::move(pieces)) {}
    std::string make(size_t maxPieces) {
        std::string t;
        const size_t n = std::uniform_int_distribution<size_t>(0, maxPieces)(rng_);
        for (size_t i = 0; i < n; ++i) {
            if (coin(8))
                t += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng_));
            else
                t += pieces_[std::uniform_int_distribution<size_t>(0, pieces_.size() - 1)(rng_)];
        }
        if (coin(4)) flipCase(t);
        return t;
    }
    bool coin(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(rng_) == 1; }
    void flipCase(std::string& t) {
        for (char& c : t)
            if (coin(3)) c = coin(2) ? ToUpper1252(c) : ToLower1252(c);
    }

  private:
    std::mt19937 rng_;
    std::vector<std::string> pieces_;
};

// A store loaded from records, with the log lines naming "my.esp".
struct Cleaning {
    testutil::TempDir dir;
    std::string path = dir.file("my.esp");
    RecordStore store;
    int32_t count = 0;
    explicit Cleaning(const std::vector<std::string>& records) {
        testutil::WriteFile(path, "x"); // the log lines name only files that exist
        count = testutil::Load(File(records), store);
    }
    MorrowindizeOutcome operator()(FakeUi& ui, const MorrowindizeOptions& o = Opts(0)) {
        return Morrowindize(store, o, path, ui);
    }
    std::vector<std::string> texts() const { return testutil::Column(store, &INFORecord::NAME); }
    // Saved and read back: the same texts, and every length still describes what is written.
    void expectConsistent() const {
        RecordStore again;
        testutil::Load(testutil::Save(store, count, 0), again);
        EXPECT_EQ(testutil::Column(again, &INFORecord::NAME), texts());
        for (const INFORecord& r : again.tblINFO)
            EXPECT_EQ(r.NAMELen, static_cast<int32_t>(r.NAME.size())) << r.INAM;
    }
};

} // namespace

TEST(MorrowindizeReplace, Table) {
    for (const ReplaceCase& c : kReplaceCases) {
        std::string t = c.text;
        ReplaceAll(t, c.what, c.with, c.mode);
        EXPECT_EQ(t, c.expected) << c.text << " / " << c.what;
    }
    EXPECT_TRUE(EqualsIgnoreCase("Gro-MALOG \xC0", "gro-malog \xE0"));
    EXPECT_FALSE(EqualsIgnoreCase("Gro-Malog", "Gro Malog"));
}

TEST(MorrowindizeReplace, ReportsAChangeOnlyWhenTheTextChanged) {
    std::string t = "Vivec and Vivec";
    EXPECT_FALSE(ReplaceAll(t, "vivec", "Vivec", Case::Ignore));
    EXPECT_TRUE(ReplaceAll(t, "and", "&", Case::Ignore));
    EXPECT_EQ(t, "Vivec & Vivec");
    std::string u = "one two two";
    EXPECT_TRUE(ReplaceFirst(u, "two", "2", Case::Sensitive));
    EXPECT_EQ(u, "one 2 two");
    EXPECT_FALSE(ReplaceFirst(u, "three", "3", Case::Sensitive));
}

TEST(MorrowindizeSteps, Table) {
    for (const CleanCase& c : kCleanCases) {
        bool open = false;
        EXPECT_EQ(CleanText(c.in, Opts(c.flags), open), c.expected)
            << "flags " << c.flags << ": [" << c.in << "]";
    }
}

TEST(MorrowindizeOptions, DefaultsAndTheCapitalizeRule) {
    MorrowindizeOptions o;
    int on = 0;
    for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList()) on += o.*info.flag ? 1 : 0;
    EXPECT_EQ(std::make_pair(on, o.isMainEnglish), std::make_pair(1, true));
    // Clearing "Capitalize New Sentences" clears "Capitalize After Ellipsis".
    o.isEllipsis = true;
    EXPECT_FALSE(EllipsisAvailable(o));
    ApplyCapitalizeRule(o);
    EXPECT_FALSE(o.isEllipsis);
    o.isSentences = o.isEllipsis = true;
    ApplyCapitalizeRule(o);
    EXPECT_TRUE(o.isEllipsis);
}

// The quick quote, sentence and punctuation steps against their plain forms, on random texts of their own
// pieces.
TEST(MorrowindizeRandom, QuickStepsMatchTheirPlainForms) {
    TextMaker quotes(99, {"\"", "\"", "\"", " ", "a", "X", "x", "XX", "XXThisIsAQuoteXX", "ThisIsAQuote",
                          "xxthisisaquotexx", " XXThisIsAQuoteXX", "XXThisIsAQuoteXX "});
    TextMaker sentences(5, {".", ".", " ", " ", "?", "!", "a", "b", "z", "q", "x", "X", "xx", "\xE9", "...",
                            "XXThisIsAnEllipsisXX", "ThisIsAnEllipsis", ". x", "... "});
    TextMaker marks(11, {" ", " ", "  ", ".", ",", "?", "!", ";", ":", "a", "...", " ,", ". ", "x"});
    for (int i = 0; i < 30000; ++i) {
        const std::string q = quotes.make(12), s = sentences.make(16), p = marks.make(14);
        for (bool flag : {false, true}) { // the open quote carried in; ellipsis capitals
            std::string expected = q, quick = q, general = q, one = s, passes = s;
            bool e = flag, k = flag, g = flag;
            QuoteStepAsWritten(expected, e);
            cleanup::SpaceQuotes(quick, k);
            cleanup::SpaceQuotesGeneral(general, g);
            ASSERT_EQ(std::tie(quick, k), std::tie(expected, e)) << "[" << q << "] " << flag;
            ASSERT_EQ(std::tie(general, g), std::tie(expected, e)) << "[" << q << "] " << flag;
            cleanup::CapitalizeSentences(one, flag);
            cleanup::CapitalizeSentencesByPasses(passes, flag);
            ASSERT_EQ(one, passes) << "[" << s << "] " << flag;
        }
        std::string expected = p, quick = p;
        for (const char* mark : {".", ",", "?", "!", ";", ":"})
            ReplaceAll(expected, mark, std::string(mark) + " ", Case::Sensitive);
        for (const char* mark : {",", ".", ";", ":", "!", "?"})
            ReplaceAll(expected, std::string(" ") + mark, mark, Case::Sensitive);
        cleanup::SpacePunctuation(quick);
        ASSERT_EQ(quick, expected) << "[" << p << "]";
    }
}

TEST(MorrowindizeRandom, SkippingRowsThatCannotMatchChangesNothing) {
    // Texts made of the tables' own words, cut, joined and in random case, so that rows do match.
    std::vector<std::string> pieces{" ", " ", ".", "-", "'", "&", "a", "s"};
    for (auto table : {SpellingTable(), NameTable(), SlangTable()}) {
        for (const RuleRow& r : table) {
            pieces.emplace_back(r.find);
            pieces.emplace_back(r.with);
            pieces.emplace_back(r.find.substr(0, r.find.size() / 2));
            pieces.emplace_back(r.find.substr(r.find.size() / 2));
        }
    }
    TextMaker maker(31337, pieces);
    const struct {
        std::span<const RuleRow> rows;
        const CompiledTable& compiled;
    } tables[] = {{SpellingTable(), CompiledSpellingTable()},
                  {NameTable(), CompiledNameTable()},
                  {SlangTable(), CompiledSlangTable()}};
    int changedTexts = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string in = maker.make(10);
        for (const auto& t : tables) {
            for (bool temple : {false, true}) {
                std::string quick = in;
                t.compiled.apply(quick, temple);
                const std::string expected = RowByRow(in, t.rows, temple);
                ASSERT_EQ(quick, expected) << "[" << in << "]";
                changedTexts += expected != in ? 1 : 0;
            }
        }
    }
    EXPECT_GT(changedTexts, 1000); // the texts did exercise the rows
    // The three tables in one go, as the clean-up applies them.
    const CompiledTable* all[] = {&CompiledSpellingTable(), &CompiledNameTable(), &CompiledSlangTable()};
    for (int i = 0; i < 4000; ++i) {
        const std::string in = maker.make(10);
        std::string quick = in;
        ApplyTables(quick, all, false);
        std::string expected = in;
        for (const auto& t : tables) expected = RowByRow(expected, t.rows, false);
        ASSERT_EQ(quick, expected) << "[" << in << "]";
    }
}

TEST(MorrowindizeRun, CleansEveryResponseAndCountsTheChangedOnes) {
    Cleaning run({Dial("greeting"), Info("1", "Hello ,world"), Info("2", "All is well."),
                  Info("3", "the daedra of morowind"), Dial("other"), Info("4", "a---b  c  "),
                  Info("5", "in vivec city"), Info("6", "@#"), Info("7", "")});
    FakeUi ui;
    MorrowindizeOutcome out = run(ui, Opts(Eng));
    // A change of letter case alone is applied but not counted; "@#" becomes empty and drops its subrecord.
    EXPECT_EQ(run.texts(),
              (std::vector<std::string>{"Hello, world", "All is well.", "the Daedra of Morrowind", "a-b c",
                                        "in Vivec city", "", ""}));
    EXPECT_EQ(std::make_tuple(out.completed, out.changed, run.store.tblINFO[5].NAMELen),
              std::make_tuple(true, 4, 0));
    EXPECT_EQ(ui.log, (std::vector<std::string>{
                          "-Morrowindizing 7 responses from \"my.esp\"...",
                          "-4 responses from \"my.esp\" have been Morrowindized successfully."}));
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 1 / 6.0, 2 / 6.0, 3 / 6.0, 4 / 6.0, 5 / 6.0, 1.0, 0.0}));
    EXPECT_TRUE(ui.messages.empty());
    run.expectConsistent();

    // Nothing counted: its own log line; one response does not move the progress bar.
    Cleaning clean({Dial("t"), Info("1", "in vivec city")});
    FakeUi ui2;
    EXPECT_EQ(clean(ui2, Opts(Eng)).changed, 0);
    EXPECT_EQ(clean.texts(), (std::vector<std::string>{"in Vivec city"}));
    EXPECT_EQ(ui2.log.back(), "-All dialogues in \"my.esp\" are already Morrowindish.");
    EXPECT_EQ(ui2.progress, (std::vector<double>{0.0}));

    Cleaning none({Dial("lonely")});
    FakeUi ui3;
    EXPECT_FALSE(none(ui3).completed);
    EXPECT_EQ(ui3.log, (std::vector<std::string>{"-\"my.esp\" contains no dialogue responses."}));
    EXPECT_EQ(ui3.progress, (std::vector<double>{0.0}));
}

TEST(MorrowindizeRun, TheQuoteFlagCarriesAcrossResponsesAndStartsOffEachRun) {
    Cleaning run({Dial("a"), Info("1", "He said \"hi"), Dial("b"), Info("2", "there\" he said"),
                  Info("3", "say\"no\"now")});
    FakeUi ui;
    run(ui, Opts(Quotes));
    EXPECT_EQ(run.texts(), (std::vector<std::string>{"He said \"hi", "there\" he said", "say \"no\" now"}));
    Cleaning second({Dial("b"), Info("2", "there\" he said")});
    second(ui, Opts(Quotes));
    EXPECT_EQ(second.texts(), (std::vector<std::string>{"there \" he said"}));
}

TEST(MorrowindizeRun, LongResultsAskAndEachAnswerDoesItsPart) {
    const std::string long1 = Growing(3), long2 = Growing(4), fits = Growing(2);
    Cleaning run({Dial("Background"), Info("1", long1), Info("2", long2, "", "jiub"), Info("3", long1),
                  Dial("Quest", 4), Info("4", long2, "", "fargoth", 0, 4), Info("5", fits)});
    const INFORecord before0 = run.store.tblINFO[0];
    FakeUi ui;
    // No; Yes with an edited text; Yes with the editor cancelled; Yes for a journal entry.
    ui.answers = {Answer::No, Answer::Yes, Answer::Yes, Answer::Yes};
    int edits = 0;
    ui.onEditResponse = [&edits](ResponseEdit& e) {
        ++edits;
        if (edits == 1) e.Response = "Shortened by hand.";
        if (edits == 3) e.Response = std::string(512, 'j');
    };
    MorrowindizeOutcome out = run(ui);
    ASSERT_EQ(ui.messages.size(), 4u);
    for (const ShownMessage& m : ui.messages) EXPECT_EQ(m.kind, Ask::TextTooLong);
    EXPECT_EQ(run.store.tblINFO[0], before0) << "No: the old text with its own length and size";
    // Yes: the editor sees actor, topic and the cleaned text (a journal entry as such), and its text is taken
    // unless still too long; exactly 512 characters after clean up ask nothing.
    ASSERT_EQ(ui.responseEdits.size(), 3u);
    const ResponseEdit &first = ui.responseEdits[0], &journal = ui.responseEdits[2];
    EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response, ui.responseEdits[1].Response, journal.Actor,
                       journal.Topic),
              std::make_tuple("jiub", "Background", Grown(4), Grown(3), "Journal Entry", "Quest"));
    EXPECT_EQ(run.texts(), (std::vector<std::string>{long1, "Shortened by hand.", long1,
                                                     std::string(512, 'j'), Grown(2)}));
    EXPECT_EQ(out.changed, 3);
    run.expectConsistent();
}

TEST(MorrowindizeRun, CancelMeansNoToAllForTheRestOfTheRun) {
    Cleaning run({Dial("t"), Info("1", Growing(3)), Info("2", Growing(5)), Info("3", "ok ,then")});
    FakeUi ui;
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(run(ui).changed, 1);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.responseEdits.empty());
    EXPECT_EQ(run.texts(), (std::vector<std::string>{Growing(3), Growing(5), "ok, then"}));
    FakeUi again; // the next run asks again
    again.answers = {Answer::No, Answer::No};
    run(again);
    EXPECT_EQ(again.messages.size(), 2u);
}

TEST(MorrowindizeRun, AnErrorEndsTheRunAndTheResponseInHandKeepsItsOldText) {
    Cleaning run({Dial("t"), Info("1", "one ,two"), Info("2", Growing(3)), Info("3", "three ,four")});
    const INFORecord inHand = run.store.tblINFO[1], after = run.store.tblINFO[2];
    FakeUi ui;
    ui.answers = {Answer::Yes};
    ui.onEditResponse = [](ResponseEdit& e) {
        e.Response = "short";
        throw std::runtime_error("the editor broke");
    };
    EXPECT_FALSE(run(ui).completed);
    EXPECT_EQ(run.store.tblINFO[0].NAME, "one, two");
    EXPECT_EQ(std::tie(run.store.tblINFO[1], run.store.tblINFO[2]), std::tie(inHand, after));
    EXPECT_EQ(ui.messages.size(), 2u) << "the question, then the error";
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Morrowindizing 3 responses from \"my.esp\"...",
                                                "-An error occured during dialogue clean-up."}));
    EXPECT_EQ(ui.progress.back(), 0.0);
    run.expectConsistent();
}

TEST(MorrowindizeRun, DeletedResponsesAreCleanedAndStayConsistent) {
    // A deleted response as the game writes it: IDs, text and the deletion marker only.
    Cleaning run({Dial("t"), Record("INFO",
                                    ZSub("INAM", "1") + ZSub("PNAM", "") + ZSub("NNAM", "") +
                                        Sub("NAME", "gone ,now") + Dele(),
                                    0x20)});
    FakeUi ui;
    run(ui);
    EXPECT_EQ(run.texts(), (std::vector<std::string>{"gone, now"}));
    run.expectConsistent();
}
