#include "text/FileCodePage.h"


namespace vexilor::text {

std::optional<std::size_t> firstUnencodable(std::u16string_view text, const CodePage& codePage)
{
    // The code page holds exactly the characters that read back as themselves.
    return codePage.firstUnencodable(text);
}

char32_t codePointAt(std::u16string_view text, std::size_t pos)
{
    const char16_t unit = text[pos];
    if (unit >= 0xD800 && unit <= 0xDBFF && pos + 1 < text.size() && text[pos + 1] >= 0xDC00
        && text[pos + 1] <= 0xDFFF)
        return 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[pos + 1]) - 0xDC00);
    return unit;
}

}  // namespace vexilor::text
