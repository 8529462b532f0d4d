// Morrowindize on single texts: the replacement primitive, the three tables, the options and every cleaning
// step with its oddities (a blank after every period, the ellipsis marker, the carried quote flag).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogue/text_util.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/options.h"
#include "morrowindize/text_replace.h"

using namespace vellum;

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

MorrowindizeOptions Opts(unsigned f) {
    MorrowindizeOptions o;
    o.isMainEnglish = (f & Eng) != 0;
    o.isAmerican = (f & Us) != 0;
    o.isSlang = (f & Slang) != 0;
    o.isTemple = (f & Temple) != 0;
    o.isLineBreaks = (f & Lines) != 0;
    o.isSquare = (f & Square) != 0;
    o.isDashSpaces = (f & DashSp) != 0;
    o.isDashes = (f & Dashes) != 0;
    o.isSentences = (f & Sent) != 0;
    o.isEllipsis = (f & Ell) != 0;
    o.isSpaceQuotes = (f & Quotes) != 0;
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
    {0, "", ""},
    {0, "   ", ""},
    // The name table: rows in order, matching inside words, its case-sensitive rows.
    {Eng, "VVARDENFELL and vvardenfell", "Vvardenfell and Vvardenfell"},
    {Eng, "morowind", "Morrowind"},
    // "aedra" first gives "dAedra", which the later "daedra" row turns into "Daedra".
    {Eng, "The daedra", "The Daedra"},
    // The blanks of "&" come on top of the single blanks the clean-up left.
    {Eng, "A & B", "A  and  B"},
    {Eng, "Gro-Malog", "gro-Malog"},
    {Eng, "GRO-bash and Gra - Lash", "gro-bash and gra-Lash"},
    {Eng, "in vivec city", "in Vivec city"},
    // A blank that belongs to the row: " khul" does not touch "khul" at the start.
    {Eng, "khul", "khul"},
    {Eng, "to khul now", "to Khuul now"},
    {Eng, "kuama Kuama KUAMA", "kwama Kwama KUAMA"},
    {Eng, "nwah Nwah NWAH", "n'wah N'wah NWAH"},
    // The temple row needs both the name table and the temple option.
    {Eng, "the tribunal temple", "the Tribunal temple"},
    {Eng | Temple, "the tribunal temple", "the Tribunal Temple"},
    {Temple, "the tribunal temple", "the tribunal temple"},
    // Spelling and slang are case-sensitive.
    {Us, "The armoury of Honour", "The armory of Honor"},
    {Us, "ARMOUR", "ARMOUR"},
    {Us, "bahaviour", "behavior"},
    {Slang, "gonna", "gonna"},
    {Slang, "gonna go", "going to go"},
    {Slang, "I'm gonna", "I'm going to"},
    // The later "IMO" row does not touch what "IMHO" became.
    {Slang, "IMHO", "in my humble opinion"},
    {Slang, "IMO", "in my opinion"},
    {Slang, "shit happens", "waste happens"},
    {Slang, "Dollar and euro", "Drake and drake"},
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
    {Quotes, "He said \"go\".", "He said \"go\"."},
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
    {"....", "...", ".", Case::Sensitive, ".."},
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

} // namespace

TEST(MorrowindizeReplace, Table) {
    for (const ReplaceCase& c : kReplaceCases) {
        std::string t = c.text;
        ReplaceAll(t, c.what, c.with, c.mode);
        EXPECT_EQ(t, c.expected) << c.text << " / " << c.what;
    }
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
    EXPECT_EQ(on, 1);
    EXPECT_TRUE(o.isMainEnglish);
    // Clearing "Capitalize New Sentences" clears "Capitalize After Ellipsis".
    o.isEllipsis = true;
    EXPECT_FALSE(EllipsisAvailable(o));
    ApplyCapitalizeRule(o);
    EXPECT_FALSE(o.isEllipsis);
    o.isSentences = o.isEllipsis = true;
    ApplyCapitalizeRule(o);
    EXPECT_TRUE(o.isEllipsis);
}

TEST(MorrowindizeSteps, TheEllipsisMarkerMixesWithTextThatHoldsItsPieces) {
    // A text that holds the marker word gets it turned into an ellipsis by the pass that restores it;
    // "XXThisIsAnEllipsis..." reads as the marker one place early once the dots are hidden.
    const struct {
        std::string in;
        bool ellipsis;
        std::string expected;
    } cases[] = {{"see XXThisIsAnEllipsisXX. now", false, "See .... Now"},
                 {"XXThisIsAnEllipsis... go", false, "...ThisIsAnEllipsisXX go"},
                 {"XXThisIsAnEllipsis... go", true, "XXThisIsAnEllipsis... Go"}};
    for (const auto& c : cases) {
        std::string t = c.in;
        cleanup::CapitalizeSentences(t, c.ellipsis);
        EXPECT_EQ(t, c.expected) << c.in;
    }
}

TEST(MorrowindizeSteps, TheOpenQuoteFlagCarriesFromOneTextToTheNext) {
    const MorrowindizeOptions o = Opts(Quotes);
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
    CleanText("a \"b", Opts(0), untouched);
    EXPECT_TRUE(untouched);
}

TEST(MorrowindizeSteps, QuoteStepEndsOnTextsThatHoldTheMarkerWordThemselves) {
    const struct {
        std::string in;
        bool open;
        std::string expected;
        bool openAfter;
    } cases[] = {
        // The marker word in another case: neither replacement finds it; text and flag stay.
        {"a xxthisisaquotexx b", false, "a xxthisisaquotexx b", false},
        {"a xxthisisaquotexx b", true, "a xxthisisaquotexx b", true},
        {"a  \"b\" XXTHISISAQUOTEXX", false, "a   \"b\"  XXTHISISAQUOTEXX", false},
        // Glued to other letters on both sides: the same.
        {"fooXXThisIsAQuoteXXbar", false, "fooXXThisIsAQuoteXXbar", false},
        // One turn finds nothing but the next does: the flag turns on without a replacement, then the closing
        // form is found.
        {"say XXThisIsAQuoteXXfoo", false, "say\"foo", false},
        // Glued before a quote: the marker word takes the blank of the quote's own marker.
        {"fooXXThisIsAQuoteXX\"bar\"", false, "foo\"\"bar\" ", true},
    };
    for (const auto& c : cases) {
        std::string t = c.in;
        bool open = c.open;
        cleanup::SpaceQuotes(t, open);
        EXPECT_EQ(t, c.expected) << c.in;
        EXPECT_EQ(open, c.openAfter) << c.in;
    }
}
