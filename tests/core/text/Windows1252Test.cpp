#include "text/Windows1252.h"

#include <gtest/gtest.h>

using namespace vexilor::text;

TEST(Windows1252, MapsTheHighRangeBothWays)
{
    struct Case { unsigned char byte; char16_t unit; };
    const Case cases[] = {
        {0x41, u'A'}, {0x80, 0x20AC}, {0x85, 0x2026}, {0x9F, 0x0178}, {0x81, 0x0081},
        {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF}, {0x00, 0x0000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeWindows1252(c.byte), c.unit) << int(c.byte);
        char out = 0;
        EXPECT_TRUE(encodeWindows1252(c.unit, out));
        EXPECT_EQ(static_cast<unsigned char>(out), c.byte);
    }
}

TEST(Windows1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(toWindows1252(u"a\u4E2D\u0100\xD800z"), "a???z");
}

TEST(Utf8, RoundTripsAndReplacesInvalidInput)
{
    const std::u16string text = u"Caf\u00E9 \u4E2D \U0001F600";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xC3"), u"\xFFFD");
    EXPECT_EQ(fromUtf8("a\xFF" "b"), u"a\xFFFD" "b");
    EXPECT_EQ(toUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}
