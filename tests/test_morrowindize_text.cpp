// Morrowindize on single texts: the replacement primitive, the three tables, the options and every cleaning
// step with its oddities (a blank after every period, the ellipsis marker, the carried quote flag).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "dialogue/text_util.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/options.h"
#include "morrowindize/rule_tables.h"
#include "morrowindize/text_replace.h"

using namespace vellum;

namespace {

std::string Replaced(std::string text, std::string_view what, std::string_view with, Case mode) {
    ReplaceAll(text, what, with, mode);
    return text;
}

MorrowindizeOptions NoOptions() {
    MorrowindizeOptions o;
    o.isMainEnglish = false;
    return o;
}

std::string Clean(std::string_view text, const MorrowindizeOptions& o = {}) {
    bool open = false;
    return CleanText(text, o, open);
}

} // namespace

TEST(MorrowindizeReplace, AllOccurrencesLeftToRightWithoutOverlapOrRescanning) {
    EXPECT_EQ(Replaced("aaaa", "aa", "a", Case::Sensitive), "aa");
    EXPECT_EQ(Replaced("aaa", "aa", "b", Case::Sensitive), "ba");
    EXPECT_EQ(Replaced("ab", "a", "aa", Case::Sensitive), "aab");
    EXPECT_EQ(Replaced("....", "...", ".", Case::Sensitive), "..");
    EXPECT_EQ(Replaced("--x--", "--", "-", Case::Ignore), "-x-");
    // An empty search text matches nothing.
    EXPECT_EQ(Replaced("abc", "", "x", Case::Ignore), "abc");
    // Case-sensitive rows leave other cases alone.
    EXPECT_EQ(Replaced("Armour armour ARMOUR", "armour", "armor", Case::Sensitive), "Armour armor ARMOUR");
}

TEST(MorrowindizeReplace, IgnoringCaseCoversTheLettersOfTheCodePageAndInsertsTheReplacementAsWritten) {
    EXPECT_EQ(Replaced("VVARDENFELL vvardenfell VvArDeNfElL", "vvardenfell", "Vvardenfell", Case::Ignore),
              "Vvardenfell Vvardenfell Vvardenfell");
    // E acute (201/233), S caron (138/154), OE (140/156), Z caron (142/158), Y diaeresis (159/255).
    EXPECT_EQ(Replaced("\xC9t\xC9 \xE9t\xE9", "\xE9t\xE9", "x", Case::Ignore), "x x");
    EXPECT_EQ(
        Replaced("\x8A\x9A\x8C\x9C\x8E\x9E\x9F\xFF", "\x9A\x8A\x9C\x8C\x9E\x8E\xFF\x9F", "y", Case::Ignore),
        "y");
    // The multiplication and division signs are no case pair; nor are the letters and other symbols.
    EXPECT_EQ(Replaced("\xD7", "\xF7", "x", Case::Ignore), "\xD7");
    EXPECT_EQ(Replaced("[{", "{[", "x", Case::Ignore), "[{");
    EXPECT_EQ(Replaced("\xDF", "ss", "x", Case::Ignore), "\xDF");
    EXPECT_TRUE(EqualsIgnoreCase("Gro-MALOG \xC0", "gro-malog \xE0"));
    EXPECT_FALSE(EqualsIgnoreCase("Gro-Malog", "Gro Malog"));
    EXPECT_EQ(ToUpper1252('\xFF'), '\x9F');
    EXPECT_EQ(ToUpper1252('\xDF'), '\xDF');
    EXPECT_EQ(ToUpper1252('\xF7'), '\xF7');
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

TEST(MorrowindizeTables, RowCountsCaseModesAndTheTempleRow) {
    ASSERT_EQ(SpellingTable().size(), 39u);
    ASSERT_EQ(NameTable().size(), 401u);
    ASSERT_EQ(SlangTable().size(), 34u);
    for (const RuleRow& r : SpellingTable()) EXPECT_EQ(r.mode, Case::Sensitive) << r.find;
    for (const RuleRow& r : SlangTable()) EXPECT_EQ(r.mode, Case::Sensitive) << r.find;
    std::vector<std::string_view> sensitive, temple;
    for (const RuleRow& r : NameTable()) {
        if (r.mode == Case::Sensitive) sensitive.push_back(r.find);
        if (r.use == RowUse::OnlyWithTemple) temple.push_back(r.find);
        EXPECT_FALSE(r.find.empty());
    }
    EXPECT_EQ(sensitive,
              (std::vector<std::string_view>{"kuama", "Kuama", "nwah", "Nwah", " swit ", " Swit "}));
    ASSERT_EQ(temple.size(), 1u);
    EXPECT_EQ(temple[0], "temple");
    // The ends and a few rows from the middle, by position.
    EXPECT_EQ(SpellingTable()[0].find, "apologise");
    EXPECT_EQ(SpellingTable()[38].with, "Judgment");
    EXPECT_EQ(NameTable()[0].find, "&");
    EXPECT_EQ(NameTable()[0].with, " and ");
    EXPECT_EQ(NameTable()[400].with, " S'wit ");
    EXPECT_EQ(SlangTable()[0].find, " gonna");
    EXPECT_EQ(SlangTable()[33].find, "wasteting");
    auto indexOf = [](std::string_view find) {
        for (size_t i = 0; i < NameTable().size(); ++i)
            if (NameTable()[i].find == find) return i;
        return NameTable().size();
    };
    EXPECT_LT(indexOf("aedra"), indexOf("daedra"));
    EXPECT_LT(indexOf("tribunal"), indexOf("temple"));
    EXPECT_EQ(NameTable()[indexOf("Gro - ")].with, "gro-");
}

TEST(MorrowindizeTables, RowsApplyInOrderAndMatchInsideWords) {
    MorrowindizeOptions names = NoOptions();
    names.isMainEnglish = true;
    EXPECT_EQ(Clean("VVARDENFELL and vvardenfell", names), "Vvardenfell and Vvardenfell");
    EXPECT_EQ(Clean("morowind", names), "Morrowind");
    // "aedra" first gives "dAedra", which the later "daedra" row turns into "Daedra".
    EXPECT_EQ(Clean("The daedra", names), "The Daedra");
    // The blanks of "&" come on top of the single blanks the clean-up left.
    EXPECT_EQ(Clean("A & B", names), "A  and  B");
    EXPECT_EQ(Clean("Gro-Malog", names), "gro-Malog");
    EXPECT_EQ(Clean("GRO-bash and Gra - Lash", names), "gro-bash and gra-Lash");
    EXPECT_EQ(Clean("in vivec city", names), "in Vivec city");
    // A blank that belongs to the row: " khul" does not touch "khul" at the start.
    EXPECT_EQ(Clean("khul", names), "khul");
    EXPECT_EQ(Clean("to khul now", names), "to Khuul now");
    // The case-sensitive rows.
    EXPECT_EQ(Clean("kuama Kuama KUAMA", names), "kwama Kwama KUAMA");
    EXPECT_EQ(Clean("nwah Nwah NWAH", names), "n'wah N'wah NWAH");
}

TEST(MorrowindizeTables, SpellingAndSlangAreCaseSensitive) {
    MorrowindizeOptions us = NoOptions();
    us.isAmerican = true;
    EXPECT_EQ(Clean("The armoury of Honour", us), "The armory of Honor");
    EXPECT_EQ(Clean("ARMOUR", us), "ARMOUR");
    EXPECT_EQ(Clean("bahaviour", us), "behavior");
    MorrowindizeOptions slang = NoOptions();
    slang.isSlang = true;
    EXPECT_EQ(Clean("gonna", slang), "gonna");
    EXPECT_EQ(Clean("gonna go", slang), "going to go");
    EXPECT_EQ(Clean("I'm gonna", slang), "I'm going to");
    // The later "IMO" row does not touch what "IMHO" became.
    EXPECT_EQ(Clean("IMHO", slang), "in my humble opinion");
    EXPECT_EQ(Clean("IMO", slang), "in my opinion");
    EXPECT_EQ(Clean("shit happens", slang), "waste happens");
    EXPECT_EQ(Clean("Dollar and euro", slang), "Drake and drake");
}

TEST(MorrowindizeTables, TheTempleRowNeedsTheTempleOption) {
    MorrowindizeOptions o; // proper names on by default
    EXPECT_EQ(Clean("the tribunal temple", o), "the Tribunal temple");
    o.isTemple = true;
    EXPECT_EQ(Clean("the tribunal temple", o), "the Tribunal Temple");
    // Without the name table the temple option does nothing.
    o.isMainEnglish = false;
    EXPECT_EQ(Clean("the tribunal temple", o), "the tribunal temple");
}

TEST(MorrowindizeOptions, DefaultsListAndTheCapitalizeRule) {
    MorrowindizeOptions o;
    int on = 0;
    for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList()) on += o.*info.flag ? 1 : 0;
    EXPECT_EQ(on, 1);
    EXPECT_TRUE(o.isMainEnglish);
    const auto& list = MorrowindizeOptionList();
    EXPECT_EQ(list[0].variable, "isLineBreaks");
    EXPECT_EQ(list[5].caption, "Capitalize \"Temple\"");
    EXPECT_EQ(list[10].checkBox, "chkEng");
    EXPECT_EQ(list[8].toolTip,
              "Replace \"()\" and \"{}\" with \"[]\", for consistency with original Morrowind.");
    // Every check box appears once in each of the dialog's orders.
    for (const MorrowindizeOptionInfo& info : list) {
        EXPECT_EQ(std::count(OptionsFormOrder().begin(), OptionsFormOrder().end(), info.checkBox), 1);
        EXPECT_EQ(std::count(OptionsLoadOrder().begin(), OptionsLoadOrder().end(), info.checkBox), 1);
    }
    EXPECT_EQ(OptionsFormOrder().front(), "chkEng");
    EXPECT_EQ(OptionsLoadOrder().front(), "chkLines");
    // Clearing "Capitalize New Sentences" clears "Capitalize After Ellipsis".
    o.isEllipsis = true;
    EXPECT_FALSE(EllipsisAvailable(o));
    ApplyCapitalizeRule(o);
    EXPECT_FALSE(o.isEllipsis);
    o.isSentences = o.isEllipsis = true;
    ApplyCapitalizeRule(o);
    EXPECT_TRUE(o.isEllipsis);
}

TEST(MorrowindizeSteps, FixedStepsRunWithEveryOptionOff) {
    const MorrowindizeOptions off = NoOptions();
    EXPECT_EQ(Clean("Hello ,world", off), "Hello, world");
    EXPECT_EQ(Clean("3.5", off), "3. 5");
    EXPECT_EQ(Clean("  mail@home #1  ", off), "mailhome 1");
    // Curly quotes and apostrophes, the backquote, tab; the left single quote (145) is left.
    EXPECT_EQ(Clean("\x93It\x92s\x94 `x`\t\x91y", off), "\"It's\" 'x' \x91y");
    // The ellipsis character; four dots become three in one pass (five become four).
    EXPECT_EQ(Clean("Wait\x85 no.... yes..... end", off), "Wait... no... yes.... end");
    EXPECT_EQ(Clean("What ?! Yes ; no : maybe .", off), "What?! Yes; no: maybe.");
    // Em dash and the control character 6 become dashes; every run of dashes becomes one.
    EXPECT_EQ(Clean("a---b \x97\x97 c\x06"
                    "d",
                    off),
              "a-b - c-d");
    // A closing quote followed by a blank and a mark loses the blank (not for ";").
    EXPECT_EQ(Clean("\"Go\" . \"Now\" ; \"So\" !", off), "\"Go\". \"Now\"; \"So\"!");
    // Line breaks stay unless the option is on.
    EXPECT_EQ(Clean("one\r\ntwo", off), "one\r\ntwo");
    MorrowindizeOptions lines = off;
    lines.isLineBreaks = true;
    EXPECT_EQ(Clean("one\r\ntwo\nthree", lines), "one two\nthree");
    EXPECT_EQ(Clean("", off), "");
    EXPECT_EQ(Clean("   ", off), "");
}

TEST(MorrowindizeSteps, BracketsAndDashForms) {
    MorrowindizeOptions o = NoOptions();
    EXPECT_EQ(Clean("(a) {b}", o), "(a) {b}");
    o.isSquare = true;
    EXPECT_EQ(Clean("(a) {b}", o), "[a] [b]");

    MorrowindizeOptions dashes = NoOptions();
    EXPECT_EQ(Clean("a---b", dashes), "a-b");
    dashes.isDashSpaces = true;
    EXPECT_EQ(Clean("word -next", dashes), "word - next");
    EXPECT_EQ(Clean("word-- next", dashes), "word - next");
    EXPECT_EQ(Clean("well-known", dashes), "well-known");
    // "Force Single Dashes" leaves runs of dashes as they are.
    MorrowindizeOptions single = NoOptions();
    single.isDashes = true;
    EXPECT_EQ(Clean("a---b", single), "a---b");
    single.isDashSpaces = true;
    EXPECT_EQ(Clean("word --next", single), "word -- next");
    EXPECT_EQ(Clean("word- next", single), "word- next");
}

TEST(MorrowindizeSteps, SentencesAndEllipsis) {
    MorrowindizeOptions o = NoOptions();
    o.isSentences = true;
    EXPECT_EQ(Clean("hello. how are you? fine! and you", o), "Hello. How are you? Fine! And you");
    EXPECT_EQ(Clean("Wait... then", o), "Wait... then");
    // Only a to z are capitalised after a sentence end; the first character takes any capital form.
    EXPECT_EQ(Clean("\xE9t\xE9. \xE9t\xE9. ok", o), "\xC9t\xE9. \xE9t\xE9. Ok");
    // "3.5" became "3. 5"; digits have no capitals.
    EXPECT_EQ(Clean("it is 3.5 ells. yes", o), "It is 3. 5 ells. Yes");
    o.isEllipsis = true;
    EXPECT_EQ(Clean("Wait... then", o), "Wait... Then");
    // Capitalize After Ellipsis without Capitalize New Sentences has nothing to work on.
    MorrowindizeOptions only = NoOptions();
    only.isEllipsis = true;
    EXPECT_EQ(Clean("wait... then. so", only), "wait... then. so");
}

TEST(MorrowindizeSteps, TheEllipsisMarkerMixesWithTextThatHoldsItsPieces) {
    // A text that holds the marker word gets it turned into an ellipsis by the pass that restores it.
    EXPECT_EQ(
        [] {
            std::string t = "see XXThisIsAnEllipsisXX. now";
            cleanup::CapitalizeSentences(t, false);
            return t;
        }(),
        "See .... Now");
    // "XXThisIsAnEllipsis..." reads as the marker one place early once the dots are hidden.
    std::string t = "XXThisIsAnEllipsis... go";
    cleanup::CapitalizeSentences(t, false);
    EXPECT_EQ(t, "...ThisIsAnEllipsisXX go");
    std::string u = "XXThisIsAnEllipsis... go";
    cleanup::CapitalizeSentences(u, true);
    EXPECT_EQ(u, "XXThisIsAnEllipsis... Go");
}

TEST(MorrowindizeSteps, QuoteSpacing) {
    MorrowindizeOptions o = NoOptions();
    o.isSpaceQuotes = true;
    EXPECT_EQ(Clean("He said\"hello\"to me", o), "He said \"hello\" to me");
    // The blanks inside the quotes that the text already had stay.
    EXPECT_EQ(Clean("He said \" hello \" to me", o), "He said \" hello \" to me");
    // The quote opens the text: the blank put before it stays, since trimming came earlier.
    EXPECT_EQ(Clean("\"Hi,\" he said.", o), " \"Hi, \" he said.");
    EXPECT_EQ(Clean("\"\"", o), " \"\" ");
    // The blank put after a closing quote goes again before a mark.
    EXPECT_EQ(Clean("He said \"go\".", o), "He said \"go\".");
    EXPECT_EQ(Clean("\"a\"?\"b\":", o), " \"a\"? \"b\":");
    // Without the option, quotes are left where they are.
    EXPECT_EQ(Clean("He said\"hello\"to me", NoOptions()), "He said\"hello\"to me");
}

TEST(MorrowindizeSteps, TheOpenQuoteFlagCarriesFromOneTextToTheNext) {
    MorrowindizeOptions o = NoOptions();
    o.isSpaceQuotes = true;
    bool open = false;
    EXPECT_EQ(CleanText("He said \"hi", o, open), "He said \"hi");
    EXPECT_TRUE(open);
    EXPECT_EQ(CleanText("there\" he said", o, open), "there\" he said");
    EXPECT_FALSE(open);
    // The same second text with the flag off takes its quote for an opening one.
    EXPECT_EQ(CleanText("there\" he said", o, open), "there \" he said");
    EXPECT_TRUE(open);
    // Without the option the flag is not touched.
    bool untouched = true;
    CleanText("a \"b", NoOptions(), untouched);
    EXPECT_TRUE(untouched);
}

TEST(MorrowindizeSteps, QuoteStepEndsOnTextsThatHoldTheMarkerWordThemselves) {
    // The marker word in another case: neither replacement finds it. The step ends with the text as it stands
    // and the flag as it was.
    for (bool start : {false, true}) {
        std::string t = "a xxthisisaquotexx b";
        bool open = start;
        cleanup::SpaceQuotes(t, open);
        EXPECT_EQ(t, "a xxthisisaquotexx b");
        EXPECT_EQ(open, start);
    }
    std::string t = "a  \"b\" XXTHISISAQUOTEXX";
    bool open = false;
    cleanup::SpaceQuotes(t, open);
    EXPECT_EQ(t, "a   \"b\"  XXTHISISAQUOTEXX");
    EXPECT_FALSE(open);
    // Glued to other letters on both sides: the same.
    std::string g = "fooXXThisIsAQuoteXXbar";
    open = false;
    cleanup::SpaceQuotes(g, open);
    EXPECT_EQ(g, "fooXXThisIsAQuoteXXbar");
    EXPECT_FALSE(open);
    // Where one turn finds nothing but the next does, the text ends by itself and is handled as written: the
    // flag turns on without a replacement, then the closing form is found.
    std::string s = "say XXThisIsAQuoteXXfoo";
    open = false;
    cleanup::SpaceQuotes(s, open);
    EXPECT_EQ(s, "say\"foo");
    EXPECT_FALSE(open);
    // Glued before a quote: the marker word takes the blank of the quote's own marker.
    std::string q = "fooXXThisIsAQuoteXX\"bar\"";
    open = false;
    cleanup::SpaceQuotes(q, open);
    EXPECT_EQ(q, "foo\"\"bar\" ");
    EXPECT_TRUE(open);
}

TEST(MorrowindizeSteps, EveryOptionOnRunsTheStepsInOrder) {
    MorrowindizeOptions all;
    for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList()) all.*info.flag = true;
    // Brackets, spaced double dashes, quotes, spelling, names with Temple, slang, sentences after an
    // ellipsis. The closing quote keeps the blank put after it: trimming came before the quote step.
    EXPECT_EQ(Clean("the (colour) --of vivec's temple... i'm gonna go\t\"now\"", all),
              "The [color] -- of Vivec's Temple... I'm going to go \"now\" ");
}
