#include "dialogue/text_util.h"

#include "text_case.h"

namespace vellum {

namespace {

bool IsWordSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\0';
}

} // namespace

char LowerChar(char c) {
    return ToLower1252(c);
}
char UpperChar(char c) {
    return ToUpper1252(c);
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerChar(c);
    return out;
}

std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperChar(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    return true;
}

std::string ProperCase(std::string_view s) {
    std::string out(s);
    bool wordStart = true;
    for (char& c : out) {
        if (IsWordSeparator(c)) {
            wordStart = true;
            continue;
        }
        c = wordStart ? UpperChar(c) : LowerChar(c);
        wordStart = false;
    }
    return out;
}

} // namespace vellum
