// Morrowindize on many arbitrary texts: every text ends, stays within its limits, and the quick ways the
// clean-up takes (table rows skipped when they cannot match, the one-pass quote and sentence steps) give
// exactly what the plain step-by-step rules give.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "morrowindize/clean_text.h"
#include "morrowindize/options.h"
#include "morrowindize/rule_tables.h"
#include "morrowindize/text_replace.h"

using namespace vellum;

namespace {

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

size_t CountQuotes(std::string_view t) {
    size_t n = 0;
    for (char c : t) n += (c == '"' || c == '\x93' || c == '\x94') ? 1 : 0;
    return n;
}

} // namespace

TEST(MorrowindizeRandom, ArbitraryTextsEndAndStayWithinLimits) {
    // The pieces, separated by '|'.
    std::vector<std::string> pieces;
    std::string all =
        "\"|\"|.|...|....|-|--| |  |,|?|!|;|:|\r\n|\t|\x85|\x93|\x94|\x97|\x06|@|#|(|}|&|a|e|x|X|xx|"
        "\xE9|\xFF|hello|gonna |IMHO|vivec|daedra|temple|Gro-|colour|XXThisIsAQuoteXX|thisisaquote|"
        "XXThisIsAnEllipsisXX|ThisIsAnEllipsis";
    for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = all.find('|', start);
        pieces.push_back(all.substr(start, bar - start));
    }
    TextMaker maker(20240611, pieces);
    std::mt19937 pick(7);
    bool open = false;
    for (int i = 0; i < 20000; ++i) {
        const std::string in = maker.make(40);
        MorrowindizeOptions o;
        for (const MorrowindizeOptionInfo& info : MorrowindizeOptionList()) o.*info.flag = pick() % 2 == 1;
        const bool openBefore = open;
        const std::string out = CleanText(in, o, open);
        SCOPED_TRACE(testing::Message() << "text " << i << ": [" << in << "]");
        // No character grows into more than five ("&" into " and ", "IMHO" into 20 for 4).
        EXPECT_LE(out.size(), 5 * in.size() + 4);
        // The working markers never stay behind unless the text held their words itself (once "@" and "#"
        // are gone).
        std::string plain = in;
        ReplaceAll(plain, "@", "", Case::Sensitive);
        ReplaceAll(plain, "#", "", Case::Sensitive);
        if (!ContainsText(plain, "thisisaquote", Case::Ignore)) {
            EXPECT_FALSE(ContainsText(out, kQuoteMarker, Case::Ignore));
            if (o.isSpaceQuotes) {
                EXPECT_EQ(CountQuotes(out), CountQuotes(in));
            }
        }
        if (!ContainsText(plain, "thisisanellipsis", Case::Ignore)) {
            EXPECT_FALSE(ContainsText(out, kEllipsisMarker, Case::Ignore));
        }
        if (!o.isSpaceQuotes) {
            EXPECT_EQ(open, openBefore);
        }
        // Step 8 leaves single blanks; only the tables (" and ") bring double ones back.
        if (!o.isMainEnglish && !o.isSlang && !o.isAmerican) {
            EXPECT_EQ(out.find("  "), std::string::npos);
        }
    }
}

TEST(MorrowindizeRandom, QuickQuoteStepsMatchTheStepAsWritten) {
    TextMaker maker(99, {"\"", "\"", "\"", " ", "a", "X", "x", "XX", "XXThisIsAQuoteXX", "ThisIsAQuote",
                         "xxthisisaquotexx", " XXThisIsAQuoteXX", "XXThisIsAQuoteXX "});
    for (int i = 0; i < 20000; ++i) {
        const std::string in = maker.make(12);
        for (bool start : {false, true}) {
            std::string expected = in, quick = in, general = in;
            bool e = start, q = start, g = start;
            QuoteStepAsWritten(expected, e);
            cleanup::SpaceQuotes(quick, q);
            cleanup::SpaceQuotesGeneral(general, g);
            ASSERT_EQ(quick, expected) << "[" << in << "] " << start;
            ASSERT_EQ(q, e) << "[" << in << "] " << start;
            ASSERT_EQ(general, expected) << "[" << in << "] " << start;
            ASSERT_EQ(g, e) << "[" << in << "] " << start;
        }
    }
}

TEST(MorrowindizeRandom, OnePassSentencesMatchTheTwentySixPasses) {
    TextMaker maker(5, {".", ".", " ", " ", "?", "!", "a", "b", "z", "q", "x", "X", "xx", "\xE9", "...",
                        "XXThisIsAnEllipsisXX", "ThisIsAnEllipsis", ". x", "... "});
    for (int i = 0; i < 30000; ++i) {
        const std::string in = maker.make(16);
        for (bool ellipsis : {false, true}) {
            std::string quick = in, passes = in;
            cleanup::CapitalizeSentences(quick, ellipsis);
            cleanup::CapitalizeSentencesByPasses(passes, ellipsis);
            ASSERT_EQ(quick, passes) << "[" << in << "] " << ellipsis;
        }
    }
}

TEST(MorrowindizeRandom, OnePassPunctuationMatchesTheTwelveReplacements) {
    TextMaker maker(11, {" ", " ", "  ", ".", ",", "?", "!", ";", ":", "a", "...", " ,", ". ", "x"});
    for (int i = 0; i < 30000; ++i) {
        const std::string in = maker.make(14);
        std::string expected = in, quick = in;
        for (const char* mark : {".", ",", "?", "!", ";", ":"})
            ReplaceAll(expected, mark, std::string(mark) + " ", Case::Sensitive);
        for (const char* mark : {",", ".", ";", ":", "!", "?"})
            ReplaceAll(expected, std::string(" ") + mark, mark, Case::Sensitive);
        cleanup::SpacePunctuation(quick);
        ASSERT_EQ(quick, expected) << "[" << in << "]";
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
