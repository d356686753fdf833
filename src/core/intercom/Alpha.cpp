#include "intercom/Alpha.h"

#include <cstdio>

#include "text/WidthMapping.h"

namespace vexilor {

namespace {

constexpr bool isHalfWidthMark(char16_t c) { return c == 0xFF9E || c == 0xFF9F; }

// Width mapping can change the length (two half-width units make one full-width character and
// back), so the mapped text is fitted to the width again: cut, never leaving a base whose voiced
// mark was cut off, and padded with the space of that width.
std::u16string fitToWidth(std::u16string text, std::size_t width, char16_t space)
{
    if (text.size() > width) {
        const bool splitsMark = isHalfWidthMark(text[width]);
        text.resize(width);
        if (splitsMark && width > 0) {
            text[width - 1] = space;
        }
    }
    text.resize(width, space);
    return text;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const CAlphaString& text)
{
    out << '"';
    for (char16_t c : text.view()) {
        if (c >= 0x20 && c < 0x7F) {
            out << static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
            out << buffer;
        }
    }
    return out << '"';
}

CAlphaString& CAlpha::Field(unsigned sizeCode)
{
    switch (sizeCode) {
    case 6:
        return alpha6;
    case 8:
        return alpha8;
    case 16:
        return alphaUnicode;
    default:
        return alpha4;
    }
}

const CAlphaString& CAlpha::Field(unsigned sizeCode) const
{
    return const_cast<CAlpha*>(this)->Field(sizeCode);
}

void CAlpha::SetAlpha(std::u16string_view text, unsigned sizeCode)
{
    if (sizeCode != 4 && sizeCode != 6 && sizeCode != 8 && sizeCode != 16) {
        return;
    }
    const std::size_t width = sizeCode == 16 ? 8 : sizeCode;
    std::u16string fitted(text.substr(0, width));
    fitted.resize(width, u' ');

    CAlphaString& field = Field(sizeCode);
    if (field == fitted) {
        return;
    }
    if (sizeCode == 16) {
        field = fitToWidth(text::toFullWidth(fitted), width, u'\u3000');
    } else {
        field = fitToWidth(text::toHalfWidthKatakana(fitted), width, u' ');
    }
}

}  // namespace vexilor
