// Plain substring replacement over Windows-1252 text, the primitive every clean-up step is made of.
//
// A replacement replaces every occurrence from left to right; occurrences do not overlap and the inserted
// text is not searched again. Ignoring case compares the letters of Windows-1252 case-insensitively (A-Z and
// the accented and other capitals of the code page with their small forms); the replacement is inserted
// exactly as written. An empty search text matches nothing.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "text_case.h"

namespace vellum {

enum class Case { Sensitive, Ignore };

// The position of the first occurrence of what at or after from, or npos.
size_t FindText(std::string_view text, std::string_view what, size_t from, Case mode);
inline bool ContainsText(std::string_view text, std::string_view what, Case mode) {
    return FindText(text, what, 0, mode) != std::string_view::npos;
}

// Replaces every occurrence. Returns true when the text changed (an occurrence that already reads exactly
// as the replacement leaves it unchanged).
bool ReplaceAll(std::string& text, std::string_view what, std::string_view with, Case mode);
// Replaces the first occurrence only; returns whether there was one.
bool ReplaceFirst(std::string& text, std::string_view what, std::string_view with, Case mode);

} // namespace vellum
