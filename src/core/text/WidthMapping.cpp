#include "text/WidthMapping.h"

#include <array>
#include <cstddef>

namespace vexilor::text {

namespace {

constexpr char16_t kHalfKanaFirst = 0xFF61;
constexpr char16_t kHalfKanaLast = 0xFF9F;
constexpr char16_t kHalfVoiced = 0xFF9E;
constexpr char16_t kHalfSemiVoiced = 0xFF9F;

// Full-width counterparts of U+FF61 to U+FF9F, in order.
constexpr char16_t kFullKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // FF61-FF68
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // FF69-FF70
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // FF71-FF78
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // FF79-FF80
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // FF81-FF88
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // FF89-FF90
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // FF91-FF98
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // FF99-FF9F
};
static_assert(std::size(kFullKana) == kHalfKanaLast - kHalfKanaFirst + 1);

// Katakana written as a base and a voiced (or semi-voiced) mark: the combined character, the
// full-width base and the half-width mark.
struct Composite {
    char16_t combined;
    char16_t base;
    char16_t mark;
};
constexpr char16_t V = kHalfVoiced;
constexpr char16_t S = kHalfSemiVoiced;
constexpr Composite kComposites[] = {
    // ga gi gu ge go, za ji zu ze zo, da di du de do, ba bi bu be bo
    {0x30AC, 0x30AB, V}, {0x30AE, 0x30AD, V}, {0x30B0, 0x30AF, V}, {0x30B2, 0x30B1, V},
    {0x30B4, 0x30B3, V}, {0x30B6, 0x30B5, V}, {0x30B8, 0x30B7, V}, {0x30BA, 0x30B9, V},
    {0x30BC, 0x30BB, V}, {0x30BE, 0x30BD, V}, {0x30C0, 0x30BF, V}, {0x30C2, 0x30C1, V},
    {0x30C5, 0x30C4, V}, {0x30C7, 0x30C6, V}, {0x30C9, 0x30C8, V}, {0x30D0, 0x30CF, V},
    {0x30D3, 0x30D2, V}, {0x30D6, 0x30D5, V}, {0x30D9, 0x30D8, V}, {0x30DC, 0x30DB, V},
    // pa pi pu pe po
    {0x30D1, 0x30CF, S}, {0x30D4, 0x30D2, S}, {0x30D7, 0x30D5, S}, {0x30DA, 0x30D8, S},
    {0x30DD, 0x30DB, S},
    // vu va vo
    {0x30F4, 0x30A6, V}, {0x30F7, 0x30EF, V}, {0x30FA, 0x30F2, V},
};

constexpr bool isHalfKana(char16_t c) { return c >= kHalfKanaFirst && c <= kHalfKanaLast; }

char16_t fullOfSingle(char16_t c)
{
    if (c == u' ') {
        return 0x3000;
    }
    if (c >= 0x21 && c <= 0x7E) {
        return static_cast<char16_t>(c + 0xFEE0);
    }
    if (isHalfKana(c)) {
        return kFullKana[c - kHalfKanaFirst];
    }
    return c;
}

// The half-width unit of a full-width character, or 0 when it has none of its own.
char16_t halfOfSingle(char16_t c)
{
    if (c == 0x3000) {
        return u' ';
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {
        return static_cast<char16_t>(c - 0xFEE0);
    }
    if (c == 0x3099) {  // combining marks take the half-width marks too
        return kHalfVoiced;
    }
    if (c == 0x309A) {
        return kHalfSemiVoiced;
    }
    if (c < 0x3001 || c > 0x30FC) {
        return 0;
    }
    for (std::size_t i = 0; i < std::size(kFullKana); ++i) {
        if (kFullKana[i] == c) {
            return static_cast<char16_t>(kHalfKanaFirst + i);
        }
    }
    return 0;
}

const Composite* composeOf(char16_t fullBase, char16_t halfMark)
{
    if (halfMark != kHalfVoiced && halfMark != kHalfSemiVoiced) {
        return nullptr;
    }
    for (const Composite& k : kComposites) {
        if (k.base == fullBase && k.mark == halfMark) {
            return &k;
        }
    }
    return nullptr;
}

const Composite* decomposeOf(char16_t combined)
{
    if (combined < 0x30AC || combined > 0x30FA) {
        return nullptr;
    }
    for (const Composite& k : kComposites) {
        if (k.combined == combined) {
            return &k;
        }
    }
    return nullptr;
}

}  // namespace

char16_t hiraganaToKatakana(char16_t unit)
{
    if ((unit >= 0x3041 && unit <= 0x3096) || unit == 0x309D || unit == 0x309E) {
        return static_cast<char16_t>(unit + 0x60);
    }
    return unit;
}

std::u16string toFullWidth(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (isHalfKana(c) && i + 1 < text.size()) {
            if (const Composite* k = composeOf(kFullKana[c - kHalfKanaFirst], text[i + 1])) {
                out.push_back(k->combined);
                ++i;
                continue;
            }
        }
        out.push_back(fullOfSingle(c));
    }
    return out;
}

std::u16string toHalfWidthKatakana(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        c = hiraganaToKatakana(c);
        if (const Composite* k = decomposeOf(c)) {
            out.push_back(halfOfSingle(k->base));
            out.push_back(k->mark);
            continue;
        }
        const char16_t half = halfOfSingle(c);
        out.push_back(half != 0 ? half : c);
    }
    return out;
}

}  // namespace vexilor::text
