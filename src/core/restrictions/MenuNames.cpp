#include "restrictions/MenuNames.h"

#include <algorithm>
#include <iterator>

namespace vexilor {
namespace {

struct Range {
    char16_t first;
    char16_t last;
};

// Code units above Latin-1 that are neither letters nor digits: combining marks, punctuation,
// symbols and spaces of the blocks menus use. Everything else above Latin-1 (the letters of other
// scripts, CJK ideographs, kana, hangul, surrogate halves) counts as a letter, so that translated
// texts keep their words. Sorted, for the binary search.
constexpr Range kNotLetters[] = {
    {0x02C2, 0x02C5}, {0x02D2, 0x02DF}, {0x02E5, 0x02EB}, {0x02ED, 0x02ED}, {0x02EF, 0x036F},
    {0x0375, 0x0375}, {0x037E, 0x037E}, {0x0384, 0x0385}, {0x0387, 0x0387}, {0x055A, 0x055F},
    {0x0589, 0x058A}, {0x0591, 0x05C7}, {0x05F3, 0x05F4}, {0x0600, 0x061F}, {0x064B, 0x065F},
    {0x066A, 0x066D}, {0x06D4, 0x06D4}, {0x0964, 0x0965}, {0x0970, 0x0970}, {0x0E3F, 0x0E3F},
    {0x0E4F, 0x0E4F}, {0x0E5A, 0x0E5B}, {0x1FBD, 0x1FBD}, {0x1FBF, 0x1FC1}, {0x1FCD, 0x1FCF},
    {0x1FDD, 0x1FDF}, {0x1FED, 0x1FEF}, {0x1FFD, 0x1FFE}, {0x2000, 0x2BFF}, {0x2E00, 0x2E7F},
    {0x3000, 0x3004}, {0x3008, 0x3020}, {0x3030, 0x3030}, {0x303D, 0x303F}, {0x3099, 0x309C},
    {0x30A0, 0x30A0}, {0x30FB, 0x30FB}, {0xE000, 0xF8FF}, {0xFD3E, 0xFD3F}, {0xFE00, 0xFE6F},
    {0xFEFF, 0xFEFF}, {0xFF01, 0xFF0F}, {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65},
    {0xFFE0, 0xFFFF},
};

bool isOpeningParenthesis(char16_t c) { return c == u'(' || c == 0xFF08; }
bool isClosingParenthesis(char16_t c) { return c == u')' || c == 0xFF09; }

// Length of a mnemonic written in parentheses at the start of text, "(F)" or "(&F)"; 0 if none.
std::size_t mnemonicLength(std::u16string_view text)
{
    std::size_t i = 1;
    if (i < text.size() && text[i] == u'&')
        ++i;
    if (i + 1 < text.size() && isMenuLetterOrDigit(text[i]) && isClosingParenthesis(text[i + 1]))
        return i + 2;
    return 0;
}

struct ShapeEntry {
    int depth;
    bool popup;
    bool operator==(const ShapeEntry&) const = default;
};

void collectShape(const std::vector<CMenuItem>& menu, int depth, std::vector<ShapeEntry>& out)
{
    for (const CMenuItem& item : menu) {
        if (item.kind == CMenuItem::Kind::Popup) {
            out.push_back({depth, true});
            collectShape(item.children, depth + 1, out);
        } else if (item.kind == CMenuItem::Kind::Command && item.id != 0) {
            out.push_back({depth, false});
        }
    }
}

}  // namespace

bool isMenuLetterOrDigit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    if (c < 0x100)
        return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
    const auto it = std::upper_bound(std::begin(kNotLetters), std::end(kNotLetters), c,
                                     [](char16_t unit, const Range& r) { return unit < r.first; });
    return it == std::begin(kNotLetters) || c > std::prev(it)->last;
}

std::u16string cleanMenuText(std::u16string_view text, MenuTextMode mode)
{
    const bool display = mode == MenuTextMode::Display;
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\t')
            break;
        if (c == u' ') {
            if (display)
                out.push_back(c);
            continue;
        }
        if (display && isOpeningParenthesis(c)) {
            // A mnemonic in parentheses would read as a stray letter ("Open O"); drop it whole.
            if (const std::size_t n = mnemonicLength(text.substr(i)); n != 0)
                i += n - 1;
            continue;
        }
        if (isMenuLetterOrDigit(c))
            out.push_back(c);
    }
    return out;
}

void walkMenu(const std::vector<CMenuItem>& menu, std::u16string_view prefix,
              std::u16string_view separator, MenuTextMode mode, std::vector<std::u16string>& out)
{
    for (const CMenuItem& item : menu) {
        const bool popup = item.kind == CMenuItem::Kind::Popup;
        if (!popup && (item.kind != CMenuItem::Kind::Command || item.id == 0))
            continue;
        std::u16string name;
        if (!prefix.empty()) {
            name.append(prefix);
            name.append(separator);
        }
        name += cleanMenuText(item.text, mode);
        out.push_back(name);
        if (popup)
            walkMenu(item.children, name, separator, mode, out);
    }
}

std::vector<std::u16string> menuKeys(const std::vector<CMenuItem>& menu)
{
    std::vector<std::u16string> keys;
    walkMenu(menu, u"Menu", u".", MenuTextMode::Key, keys);
    return keys;
}

std::vector<std::u16string> menuTexts(const std::vector<CMenuItem>& menu)
{
    std::vector<std::u16string> texts;
    walkMenu(menu, u"", u" / ", MenuTextMode::Display, texts);
    return texts;
}

bool sameMenuShape(const std::vector<CMenuItem>& a, const std::vector<CMenuItem>& b)
{
    std::vector<ShapeEntry> shapeA;
    std::vector<ShapeEntry> shapeB;
    collectShape(a, 0, shapeA);
    collectShape(b, 0, shapeB);
    return shapeA == shapeB;
}

}  // namespace vexilor
