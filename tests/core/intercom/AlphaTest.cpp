#include "intercom/Alpha.h"

#include <gtest/gtest.h>

#include <string>

namespace vexilor {
namespace {

TEST(Alpha, StartsWithTheDefaultTextsAndSelectsFieldsBySizeCode)
{
    CAlpha alpha;
    EXPECT_EQ(alpha.alpha4, u"N000");
    EXPECT_EQ(alpha.alpha6, u"N00000");
    EXPECT_EQ(alpha.alpha8, u"N0000000");
    EXPECT_EQ(alpha.alphaUnicode, u"N0000000");

    alpha.alpha4 = u"four";
    alpha.alpha6 = u"six";
    alpha.alpha8 = u"eight";
    alpha.alphaUnicode = u"uni";
    const struct {
        unsigned code;
        std::u16string_view expected;
    } fields[] = {{4, u"four"}, {6, u"six"}, {8, u"eight"}, {16, u"uni"},
                  {0, u"four"}, {5, u"four"}, {7, u"four"}, {32, u"four"}};
    for (const auto& f : fields) {
        EXPECT_EQ(alpha.Field(f.code), f.expected) << "size code " << f.code;
    }
}

TEST(Alpha, SetAlphaFitsTheTextToItsWidthAndMapsIt)
{
    const std::u16string ideographicSpace(1, u'\u3000');
    const struct {
        std::u16string text;
        unsigned code;
        std::u16string expected;
    } cases[] = {
        {u"AB", 6, u"AB    "},
        {u"ABCDEFGHIJ", 4, u"ABCD"},
        {u"ABCDEFGHIJ", 8, u"ABCDEFGH"},
        {u"", 8, u"        "},
        {u"ABCDEFGHIJ", 16, u"\uFF21\uFF22\uFF23\uFF24\uFF25\uFF26\uFF27\uFF28"},
        {u"AB", 16, u"\uFF21\uFF22\u3000\u3000\u3000\u3000\u3000\u3000"},
        // Two half-width units make one full-width character; the width is padded again.
        {u"\uFF76\uFF9E\uFF77\uFF9E", 16, u"\u30AC\u30AE\u3000\u3000\u3000\u3000\u3000\u3000"},
        {u"\u3042\u3044", 6, u"\uFF71\uFF72    "},           // hiragana to half-width katakana
        {u"\uFF21\uFF22", 8, u"AB      "},                    // full width to half width
        // Voiced katakana take two units each, so the half-width text is cut to the width...
        {u"\u30AC\u30AE\u30B0\u30B2", 4, u"\uFF76\uFF9E\uFF77\uFF9E"},
        // ...but never between a base and its mark: that would show another character.
        {u"abc\u30AC", 4, u"abc "},
    };
    for (const auto& c : cases) {
        CAlpha alpha;
        alpha.SetAlpha(c.text, c.code);
        EXPECT_EQ(alpha.Field(c.code), c.expected) << "size code " << c.code;
        EXPECT_EQ(alpha.Field(c.code).size(), c.code == 16 ? 8u : c.code);
    }
}

TEST(Alpha, SetAlphaWithAnUnknownSizeCodeStoresNothing)
{
    for (unsigned code : {0u, 5u, 7u, 12u}) {
        CAlpha alpha;
        alpha.SetAlpha(u"XYZ", code);
        EXPECT_EQ(alpha, CAlpha{}) << "size code " << code;
    }
}

TEST(Alpha, SetAlphaChangesOnlyItsOwnField)
{
    CAlpha alpha;
    alpha.SetAlpha(u"MIC", 8);
    EXPECT_EQ(alpha.alpha8, u"MIC     ");
    EXPECT_EQ(alpha.alpha4, u"N000");
    EXPECT_EQ(alpha.alpha6, u"N00000");
    EXPECT_EQ(alpha.alphaUnicode, u"N0000000");
}

TEST(AlphaString, HoldsAtMostEightUnitsAndComparesWithStrings)
{
    CAlphaString text = std::u16string(u"0123456789");
    EXPECT_EQ(text, u"01234567");
    EXPECT_EQ(text.size(), 8u);
    text = u"";
    EXPECT_TRUE(text.empty());
    // Zero units are kept like any other: a received Unicode alpha is its 8 units.
    const std::u16string withZero(u"AB\0\0CD\0\0", 8);
    text = withZero;
    EXPECT_EQ(text, withZero);
    EXPECT_EQ(text.str(), withZero);
}

}  // namespace
}  // namespace vexilor
