// Windows-1252 text (the data files' one byte per character) to and from UTF-8 (terminals, JSON).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellum::cli {

// The characters of 0x80 to 0x9F; the five bytes the code page leaves undefined stand for the control
// characters of the same number, as Windows converts them.
inline constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline uint32_t Cp1252ToCodePoint(unsigned char c) {
    return c >= 0x80 && c <= 0x9F ? kCp1252High[c - 0x80] : c;
}

inline void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

inline std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

// A command-line word as Windows-1252: a word in valid UTF-8 whose characters the code page holds is
// converted; any other word (plain ASCII, or bytes that are already Windows-1252) is taken as it is.
inline std::string WordToCp1252(std::string_view w) {
    std::string out;
    bool converted = false;
    for (size_t i = 0; i < w.size();) {
        const unsigned char b = static_cast<unsigned char>(w[i]);
        uint32_t cp;
        size_t len;
        if (b < 0x80) {
            cp = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu;
            len = 3;
        } else {
            return std::string(w);
        }
        if (i + len > w.size()) return std::string(w);
        for (size_t k = 1; k < len; ++k) {
            const unsigned char c = static_cast<unsigned char>(w[i + k]);
            if ((c & 0xC0) != 0x80) return std::string(w);
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800)) return std::string(w); // overlong form
        std::optional<unsigned char> byte;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) byte = static_cast<unsigned char>(cp);
        for (size_t k = 0; !byte && k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp) byte = static_cast<unsigned char>(0x80 + k);
        if (!byte) return std::string(w);
        out += static_cast<char>(*byte);
        converted |= len > 1;
        i += len;
    }
    return converted ? out : std::string(w);
}

} // namespace vellum::cli
