#pragma once

#include <string>
#include <string_view>

namespace vexilor::text {

// Full-width form: ASCII 0x21-0x7E to U+FF01-FF5E, space to U+3000, half-width katakana (and
// their punctuation) to full-width katakana. A half-width base followed by a half-width voiced or
// semi-voiced mark becomes the one combined character (U+FF76 U+FF9E gives U+30AC). Everything
// else is kept.
std::u16string toFullWidth(std::u16string_view text);

// Half-width form: hiragana first become katakana, then the reverse of toFullWidth; a voiced
// katakana becomes its half-width base followed by the half-width mark, so the result can be
// longer than the input. Everything else is kept.
std::u16string toHalfWidthKatakana(std::u16string_view text);

// Hiragana U+3041-3096 and the iteration marks U+309D-309E to their katakana.
char16_t hiraganaToKatakana(char16_t unit);

}  // namespace vexilor::text
