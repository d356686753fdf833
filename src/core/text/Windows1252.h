#pragma once

#include <string>
#include <string_view>

namespace vexilor::text {

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
