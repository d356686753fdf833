#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vexilor::text {

namespace detail {

// 0x80..0x9F; the rest of the code page equals Latin-1.
inline constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace detail

// The UTF-16 unit of one byte, usable in constant expressions (tables of byte classes).
constexpr char16_t windows1252Unit(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? detail::kWindows1252High[byte - 0x80]
                                        : static_cast<char16_t>(byte);
}

// Every byte's unit, for converting a run of bytes one lookup each.
inline constexpr std::array<char16_t, 256> kWindows1252Units = [] {
    std::array<char16_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b)
        t[b] = windows1252Unit(static_cast<unsigned char>(b));
    return t;
}();

// The 8-bit code page of restrictions files and of the 8-bit texts of configuration files.
// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page leaves unassigned, map to the C1
// control of the same value in both directions, so every byte survives a round trip.
std::u16string fromWindows1252(std::string_view bytes);
// Characters the code page cannot hold (surrogate halves included) become '?'.
std::string toWindows1252(std::u16string_view text);
// One unit; returns false (and '?') for a character outside the code page.
bool encodeWindows1252(char16_t unit, char& out);
char16_t decodeWindows1252(unsigned char byte);

// UTF-8 <-> UTF-16 for the command-line tools and tests; invalid input becomes U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view bytes);

}  // namespace vexilor::text
