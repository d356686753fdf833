#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <string>

using vexilor::text::CodePage;

namespace {

CodePage page(unsigned number)
{
    const std::optional<CodePage> cp = CodePage::make(number);
    if (!cp)
        ADD_FAILURE() << "code page " << number << " is not available";
    return cp.value_or(CodePage());
}

}  // namespace

TEST(CodePage, ConvertsTextBothWaysInEachCodePage)
{
    struct Case {
        unsigned number;
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {1252, "Caf\xE9 \x80", u"Caf\u00E9 \u20AC"},
        {1250, "\xA3\xF3\x64\x9F \x8A", u"\u0141\u00F3d\u017A \u0160"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8", u"\u041F\u0440\u0438\u0432\u0435\u0442 \u0401"},
        // Shift-JIS: kanji whose second byte is '\\' (0x5C) or '[' (0x5B), half-width katakana.
        {932, "\x93\xFA\x96\x7B \x95\x5C\x83\x5C\x83\x5B \xB1\xB2", u"\u65E5\u672C \u8868\u30BD\u30BC \uFF71\uFF72"},
        {936, "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
        {949, "\xC7\xD1\xB1\xDB", u"\uD55C\uAE00"},
        {950, "\xA4\xA4\xA4\xE5\xA5\x5C", u"\u4E2D\u6587\u529F"},
    };
    for (const Case& c : cases) {
        const CodePage cp = page(c.number);
        EXPECT_EQ(cp.number(), c.number);
        EXPECT_EQ(cp.decode(c.bytes), c.text) << c.number;
        EXPECT_EQ(cp.encode(c.text), c.bytes) << c.number;
        EXPECT_EQ(cp.firstUnencodable(c.text), std::nullopt) << c.number;
    }
}

TEST(CodePage, EveryByteOfASingleByteCodePageSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    for (const unsigned number : {1250u, 1251u, 1252u}) {
        const CodePage cp = page(number);
        EXPECT_FALSE(cp.isMultiByte());
        EXPECT_EQ(cp.encode(cp.decode(all)), all) << number;
    }
}

TEST(CodePage, FindsTheFirstCharacterItCannotHold)
{
    struct Case {
        unsigned number;
        std::u16string text;
        std::optional<std::size_t> first;
    };
    const Case cases[] = {
        {1252, u"Caf\u00E9", std::nullopt},
        {1252, u"Pok\u00F3j \u65E5", 6},
        {1252, u"\u0141", 0},
        {1250, u"\u0141\u00F3d\u017A \u00E6", 5},
        {1251, u"\u041F\u0440\u0438 \u0141", 4},
        {932, u"\u65E5\u672C\uFF71", std::nullopt},
        {932, u"\u65E5\u0141", 1},
        {932, u"\u4E2D\uD55C", 1},
        {949, u"\uD55C\u30A2", std::nullopt},
        // A surrogate pair, a lone surrogate and the replacement character are never held.
        {932, u"a\U0001F600", 1},
        {1252, u"ab\xDC00", 2},
        {932, u"\uFFFD", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(page(c.number).firstUnencodable(c.text), c.first) << c.number;
    // What cannot be held goes out as '?': callers that must not lose it ask first.
    EXPECT_EQ(page(932).encode(u"\u65E5\u0141x"), "\x93\xFA?x");
}

TEST(CodePage, BadMultiByteSequencesDecodeToReplacementsWithoutSwallowingTheNextByte)
{
    const CodePage cp = page(932);
    ASSERT_TRUE(cp.isMultiByte());
    EXPECT_TRUE(cp.isLeadByte(0x81));
    EXPECT_FALSE(cp.isLeadByte(0x5C));
    // A lead byte before a quote, before a blank, at the end; a byte no code assigns.
    EXPECT_EQ(cp.decode("\x81\"a\""), u"\uFFFD\"a\"");
    EXPECT_EQ(cp.decode("\x81 x"), u"\uFFFD x");
    EXPECT_EQ(cp.decode("ab\x93"), u"ab\uFFFD");
    EXPECT_EQ(cp.decode("\x81\x7F!"), u"\uFFFD\x7F!");
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    EXPECT_LE(cp.decode(garbage).size(), garbage.size());
}

TEST(CodePage, CutsToAFieldWithoutSplittingATwoByteCharacter)
{
    const CodePage sjis = page(932);
    const std::string bytes = sjis.encode(u"a\u65E5\u672C");  // 1 + 2 + 2 bytes
    EXPECT_EQ(sjis.fit(bytes, 8), 5u);
    EXPECT_EQ(sjis.fit(bytes, 4), 3u);
    EXPECT_EQ(sjis.fit(bytes, 2), 1u);
    EXPECT_EQ(sjis.fit("\xB1\xB2\xB3\xB4\xB5", 4), 4u);
    EXPECT_EQ(page(1251).fit("abcdef", 4), 4u);
}

TEST(CodePage, ListsWhatThePlatformConvertsAndRefusesTheRest)
{
    const std::vector<unsigned> pages = vexilor::text::convertibleCodePages();
    for (const unsigned number : {932u, 936u, 949u, 950u, 1250u, 1251u, 1252u})
        EXPECT_NE(std::find(pages.begin(), pages.end(), number), pages.end()) << number;
    // Not a code page; a code page that is not ASCII underneath (EBCDIC); UTF-8 is not an ANSI
    // code page of this table-driven kind either but would keep ASCII, so it is only refused
    // when the platform lacks it.
    EXPECT_FALSE(CodePage::make(4711));
    EXPECT_FALSE(CodePage::make(37));
    EXPECT_EQ(vexilor::text::codePageLabel(1250), u"1250 (Central European)");
    EXPECT_EQ(CodePage(), *CodePage::make(1252));
}
