#include "morrowindize/text_replace.h"

#include <cstring>

namespace vellum {

namespace {

inline unsigned char Low(char c) {
    return textcase::kTables.lower[static_cast<unsigned char>(c)];
}

// Whether any character of s has another letter case.
bool HasCasedLetters(std::string_view s) {
    for (char c : s)
        if (Low(c) != static_cast<unsigned char>(c) || ToUpper1252(c) != c) return true;
    return false;
}

size_t FindIgnoringCase(std::string_view text, std::string_view what, size_t from) {
    const size_t n = text.size(), m = what.size();
    if (m > n) return std::string_view::npos;
    const unsigned char first = Low(what[0]);
    const char a = static_cast<char>(first), b = ToUpper1252(a);
    // The first character has at most two forms; the rare third (a capital whose small form is shared) cannot
    // occur in Windows-1252, where the case pairs are one to one.
    for (size_t i = from; i + m <= n; ++i) {
        const char c = text[i];
        if (c != a && c != b) continue;
        size_t k = 1;
        while (k < m && Low(text[i + k]) == Low(what[k])) ++k;
        if (k == m) return i;
    }
    return std::string_view::npos;
}

// The search texts are short and their first character is often common (a blank, a period): find the first
// character with memchr and compare the rest in place.
size_t FindExact(std::string_view text, std::string_view what, size_t from) {
    const size_t n = text.size(), m = what.size();
    if (m > n) return std::string_view::npos;
    const char* const base = text.data();
    const char* p = base + from;
    const char* const last = base + (n - m); // the last place an occurrence can start
    while (p <= last) {
        p = static_cast<const char*>(std::memchr(p, what[0], static_cast<size_t>(last - p) + 1));
        if (p == nullptr) return std::string_view::npos;
        size_t k = 1;
        while (k < m && p[k] == what[k]) ++k;
        if (k == m) return static_cast<size_t>(p - base);
        ++p;
    }
    return std::string_view::npos;
}

} // namespace

size_t FindText(std::string_view text, std::string_view what, size_t from, Case mode) {
    if (what.empty() || from > text.size()) return std::string_view::npos;
    if (mode == Case::Ignore && HasCasedLetters(what)) return FindIgnoringCase(text, what, from);
    return FindExact(text, what, from);
}

bool ReplaceAll(std::string& text, std::string_view what, std::string_view with, Case mode) {
    if (what.empty()) return false;
    if (mode == Case::Ignore && !HasCasedLetters(what)) mode = Case::Sensitive;
    size_t pos = FindText(text, what, 0, mode);
    if (pos == std::string::npos) return false;
    std::string out;
    out.reserve(with.size() > what.size() ? text.size() + 4 * (with.size() - what.size()) : text.size());
    bool changed = false;
    size_t last = 0;
    while (pos != std::string::npos) {
        out.append(text, last, pos - last);
        if (!changed && std::string_view(text).substr(pos, what.size()) != with) changed = true;
        out.append(with);
        last = pos + what.size();
        pos = FindText(text, what, last, mode);
    }
    if (!changed) return false;
    out.append(text, last, std::string::npos);
    text.swap(out);
    return true;
}

bool ReplaceFirst(std::string& text, std::string_view what, std::string_view with, Case mode) {
    size_t pos = FindText(text, what, 0, mode);
    if (pos == std::string::npos) return false;
    text.replace(pos, what.size(), with);
    return true;
}

} // namespace vellum
