// Letter case of Windows-1252 text: A-Z, the accented capitals and small letters of the code page, and the
// pairs S/s with caron, OE/oe, Z/z with caron and Y/y with diaeresis. Every other byte has no case.
#pragma once

#include <array>

namespace vellum {

namespace textcase {
struct Tables {
    std::array<unsigned char, 256> lower{}, upper{};
};
constexpr Tables MakeTables() {
    Tables t;
    for (int c = 0; c < 256; ++c) t.lower[c] = t.upper[c] = static_cast<unsigned char>(c);
    auto pair = [&t](int capital, int small) {
        t.lower[capital] = static_cast<unsigned char>(small);
        t.upper[small] = static_cast<unsigned char>(capital);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 192; c <= 222; ++c)
        if (c != 215) pair(c, c + 32); // the multiplication and division signs are no letters
    pair(138, 154);                    // S with caron
    pair(140, 156);                    // OE ligature
    pair(142, 158);                    // Z with caron
    pair(159, 255);                    // Y with diaeresis
    return t;
}
inline constexpr Tables kTables = MakeTables();
} // namespace textcase

// The small form of a Windows-1252 letter; other characters are returned as they are.
inline char ToLower1252(char c) {
    return static_cast<char>(textcase::kTables.lower[static_cast<unsigned char>(c)]);
}
// The capital form of a Windows-1252 letter; other characters (the sharp s among them) as they are.
inline char ToUpper1252(char c) {
    return static_cast<char>(textcase::kTables.upper[static_cast<unsigned char>(c)]);
}

} // namespace vellum
