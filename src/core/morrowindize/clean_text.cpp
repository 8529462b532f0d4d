#include "morrowindize/clean_text.h"

#include <cstdint>
#include <vector>

#include "morrowindize/rule_tables.h"
#include "morrowindize/text_replace.h"

namespace vellum {

namespace cleanup {

namespace {

constexpr Case S = Case::Sensitive;
constexpr Case I = Case::Ignore;

// A text from which characters are taken out without moving the rest: each position knows the next position
// still in the text, so a long text with many replacements costs time in proportion to its length.
class ShrinkingText {
  public:
    explicit ShrinkingText(std::string s) : s_(std::move(s)), next_(s_.size() + 1) {
        for (size_t i = 0; i <= s_.size(); ++i) next_[i] = static_cast<uint32_t>(i);
    }
    size_t size() const { return s_.size(); }
    // The first position at or after i still in the text (size() when none).
    size_t live(size_t i) {
        size_t r = i;
        while (next_[r] != r) r = next_[r];
        while (next_[i] != i) {
            const size_t up = next_[i];
            next_[i] = static_cast<uint32_t>(r);
            i = up;
        }
        return r;
    }
    // The first occurrence starting at or after from, or npos.
    size_t find(size_t from, std::string_view what, Case mode) {
        for (size_t i = live(from); i < s_.size(); i = live(i + 1))
            if (matchesAt(i, what, mode)) return i;
        return std::string::npos;
    }
    // Replaces the occurrence of `count` characters starting at i by the single character c.
    void replace(size_t i, size_t count, char c) {
        s_[i] = c;
        size_t j = live(i + 1);
        for (size_t k = 1; k < count && j < s_.size(); ++k) {
            next_[j] = static_cast<uint32_t>(j + 1);
            j = live(j + 1);
        }
    }
    std::string str() {
        std::string out;
        out.reserve(s_.size());
        for (size_t i = live(0); i < s_.size(); i = live(i + 1)) out += s_[i];
        return out;
    }

  private:
    bool matchesAt(size_t i, std::string_view what, Case mode) {
        for (char w : what) {
            if (i >= s_.size()) return false;
            const char c = s_[i];
            if (mode == Case::Ignore ? ToLower1252(c) != ToLower1252(w) : c != w) return false;
            i = live(i + 1);
        }
        return true;
    }

    std::string s_;
    std::vector<uint32_t> next_;
};

} // namespace

void SpaceQuotesGeneral(std::string& text, bool& quoteOpen) {
    const std::string marker(kQuoteMarker);
    const std::string opening = marker + " ", closing = " " + marker;
    ReplaceAll(text, "\"", " " + marker + " ", S);
    if (!ContainsText(text, marker, I)) return;
    ShrinkingText t(std::move(text));
    // No replacement ever makes a new occurrence (the quote put in is no part of any of the three texts), so
    // no occurrence can appear before the place where the last search found the first one.
    size_t fromAny = 0, fromOpening = 0, fromClosing = 0;
    int idle = 0;
    for (;;) {
        const size_t any = t.find(fromAny, marker, I);
        if (any == std::string::npos) break;
        fromAny = any;
        const std::string& what = quoteOpen ? closing : opening;
        size_t& from = quoteOpen ? fromClosing : fromOpening;
        const size_t at = t.find(from, what, S);
        from = at == std::string::npos ? t.size() : at;
        if (at != std::string::npos) t.replace(at, what.size(), '"');
        quoteOpen = !quoteOpen;
        if (at != std::string::npos)
            idle = 0;
        else if (++idle == 2)
            break;
    }
    text = t.str();
}

void SpaceQuotes(std::string& text, bool& quoteOpen) {
    if (text.find('"') == std::string::npos && !ContainsText(text, kQuoteMarker, I)) return;
    // Unless the text itself holds part of the marker word, the only markers are those put in for its quotes,
    // each with its two blanks, and they turn into quotes from left to right, alternately opening and
    // closing.
    if (ContainsText(text, "ThisIsAQuote", I)) {
        SpaceQuotesGeneral(text, quoteOpen);
        return;
    }
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (c != '"') {
            out += c;
        } else {
            out += quoteOpen ? "\" " : " \"";
            quoteOpen = !quoteOpen;
        }
    }
    text.swap(out);
}

void CapitalizeSentencesByPasses(std::string& text, bool ellipsis) {
    for (char small = 'a'; small <= 'z'; ++small) {
        if (!ellipsis) ReplaceAll(text, "...", kEllipsisMarker, I);
        if (!text.empty()) text[0] = ToUpper1252(text[0]);
        const char capital = static_cast<char>(small - 'a' + 'A');
        for (char end : {'.', '?', '!'}) {
            const char from[3] = {end, ' ', small}, to[3] = {end, ' ', capital};
            ReplaceAll(text, std::string_view(from, 3), std::string_view(to, 3), S);
        }
        if (!ellipsis) ReplaceAll(text, kEllipsisMarker, "...", S);
    }
}

void CapitalizeSentences(std::string& text, bool ellipsis) {
    // The ellipsis marker can only mix with the text around it where the text holds "xx" in some case; every
    // other text gets, in one pass, what the 26 passes give: the marker stands exactly where the leftmost
    // non-overlapping "..." stood, and capitalising one letter never makes or breaks another occurrence.
    if (!ellipsis && ContainsText(text, "xx", I)) {
        CapitalizeSentencesByPasses(text, ellipsis);
        return;
    }
    if (text.empty()) return;
    text[0] = ToUpper1252(text[0]);
    size_t hiddenUntil = 0; // positions before this belong to an ellipsis hidden by the marker
    for (size_t i = 0; i + 2 < text.size(); ++i) {
        const char c = text[i];
        if (!ellipsis && c == '.' && i >= hiddenUntil && text[i + 1] == '.' && text[i + 2] == '.')
            hiddenUntil = i + 3;
        if ((c == '.' || c == '?' || c == '!') && text[i + 1] == ' ' && text[i + 2] >= 'a' &&
            text[i + 2] <= 'z') {
            if (c == '.' && i < hiddenUntil) continue;
            text[i + 2] = static_cast<char>(text[i + 2] - 'a' + 'A');
        }
    }
}

void SpacePunctuation(std::string& text) {
    auto isMark = [](char c) { return c == '.' || c == ',' || c == '?' || c == '!' || c == ';' || c == ':'; };
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 4);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool markNext = i + 1 < text.size() && isMark(text[i + 1]);
        if (c == ' ' && markNext) continue; // the blank before a mark goes
        out += c;
        if (isMark(c) && !markNext) out += ' '; // the blank after a mark, unless a mark follows it
    }
    text.swap(out);
}

void CollapseRuns(std::string& text, char c) {
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c && out > 0 && text[out - 1] == c) continue;
        text[out++] = text[i];
    }
    text.resize(out);
}

} // namespace cleanup

namespace {

constexpr Case S = Case::Sensitive;

void TrimBlanks(std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
}

} // namespace

std::string CleanText(std::string_view input, const MorrowindizeOptions& o, bool& quoteOpen) {
    std::string t(input);
    // 1. Line breaks.
    if (o.isLineBreaks) ReplaceAll(t, "\r\n", " ", S);
    // 2. Characters: ellipsis, four dots (one pass), apostrophes, stray symbols, curly quotes, tabs.
    ReplaceAll(t, "\x85", "...", S);
    ReplaceAll(t, "....", "...", S);
    ReplaceAll(t, "\x92", "'", S);
    ReplaceAll(t, "`", "'", S);
    ReplaceAll(t, "@", "", S);
    ReplaceAll(t, "#", "", S);
    ReplaceAll(t, "\x94", "\"", S);
    ReplaceAll(t, "\x93", "\"", S);
    ReplaceAll(t, "\t", " ", S);
    // 3. Brackets.
    if (o.isSquare) {
        ReplaceAll(t, "(", "[", S);
        ReplaceAll(t, "{", "[", S);
        ReplaceAll(t, ")", "]", S);
        ReplaceAll(t, "}", "]", S);
    }
    // 4. Dashes: the em dash and the control character 6.
    ReplaceAll(t, "\x97", "-", S);
    ReplaceAll(t, std::string_view("\x06", 1), "-", S);
    // 5. Dash form.
    if (!o.isDashes) {
        cleanup::CollapseRuns(t, '-');
        if (o.isDashSpaces) {
            ReplaceAll(t, " -", " - ", S);
            ReplaceAll(t, "- ", " - ", S);
        }
    } else if (o.isDashSpaces) {
        ReplaceAll(t, " --", " -- ", S);
        ReplaceAll(t, "-- ", " -- ", S);
    }
    // 6. Punctuation spacing: a blank after each mark, none before, none at the ends.
    cleanup::SpacePunctuation(t);
    TrimBlanks(t);
    // 7. Quote spacing.
    if (o.isSpaceQuotes) cleanup::SpaceQuotes(t, quoteOpen);
    // 8. Single blanks, and no blank between a closing quote and a mark.
    cleanup::CollapseRuns(t, ' ');
    for (const char* mark : {".", ",", "?", "!", ":"})
        ReplaceAll(t, std::string("\" ") + mark, std::string("\"") + mark, S);
    // 9 to 11. The tables: spelling, proper names, slang.
    const CompiledTable* tables[3];
    size_t count = 0;
    if (o.isAmerican) tables[count++] = &CompiledSpellingTable();
    if (o.isMainEnglish) tables[count++] = &CompiledNameTable();
    if (o.isSlang) tables[count++] = &CompiledSlangTable();
    if (count > 0) ApplyTables(t, std::span<const CompiledTable* const>(tables, count), o.isTemple);
    // 12. Capitals at the start of sentences.
    if (o.isSentences) cleanup::CapitalizeSentences(t, o.isEllipsis);
    return t;
}

} // namespace vellum
