#include "text/FileCodePage.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace vexilor::text;

TEST(FileCodePage, FindsTheFirstCharacterTheCodePageCannotHold)
{
    struct Case {
        std::u16string text;
        std::optional<std::size_t> first;
        char32_t character;
    };
    const Case cases[] = {
        {u"Studio A", std::nullopt, 0},
        {u"Caf\u00E9 \u00C5ngstr\u00F6m \u00FF", std::nullopt, 0},
        // The code page's own characters in 0x80..0x9F and the C1 controls it passes through.
        {u"\u20AC \u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
         u"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178"
         u"\u0081\u008D\u008F\u0090\u009D",
         std::nullopt, 0},
        // U+0080 is not the Euro sign's byte read back.
        {u"ab\u0080", 2, 0x80},
        {u"\u30B9\u30BF\u30B8\u30AA", 0, 0x30B9},
        {u"News \u30C6\u30EC\u30D3", 5, 0x30C6},
        {u"Ok\u0100", 2, 0x100},
        {u"x\U0001F600y", 1, 0x1F600},
        {std::u16string(u"a") + char16_t(0xDC00), 1, 0xDC00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(firstUnencodable(c.text), c.first) << toUtf8(c.text);
        if (c.first) {
            EXPECT_EQ(codePointAt(c.text, *c.first), c.character) << toUtf8(c.text);
        }
    }
}
