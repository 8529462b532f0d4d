// Letter case of Windows-1252 text (one byte per character), as the dialogue tools compare and show it.
#pragma once

#include <string>
#include <string_view>

namespace vellum {

// One character in lower or upper case. Besides A to Z, the accented letters of the code page have both
// cases (e.g. 0xC9 and 0xE9), as do 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E and 0x9F/0xFF.
char LowerChar(char c);
char UpperChar(char c);
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
// Equality ignoring letter case (the tools' comparisons of IDs and names).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The first letter of every word in upper case and all other letters in lower case. Words are separated by
// spaces, tabs, line feeds, carriage returns, vertical tabs, form feeds and zero characters; an apostrophe
// does not separate words, so a possessive keeps its lower-case s.
std::string ProperCase(std::string_view s);

} // namespace vellum
