#include "intercom/ConfigurationFile.h"
#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace vexilor {
namespace {

text::CodePage page(unsigned number)
{
    const std::optional<text::CodePage> cp = text::CodePage::make(number);
    if (!cp)
        ADD_FAILURE() << "code page " << number << " is not available";
    return cp.value_or(text::CodePage());
}

std::span<const std::uint8_t> asBytes(const std::string& s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// A configuration whose 8-bit alphas and descriptions are Japanese: half-width katakana (one byte
// each in 932) and kanji (two bytes, some with '\\' as the second byte).
CIntercom japanese()
{
    CIntercom icom;
    icom.mainAddress = u"10.0.0.1";
    CAlpha& mic = icom.alphas[ResourceKey(0, 1)];
    mic.SetAlpha(u"ﾏｲｸ", kAlphaSize4);
    mic.SetAlpha(u"ﾏｲｸ1", kAlphaSize6);
    mic.SetAlpha(u"表ｿｰｽ", kAlphaSize8);
    CAlpha& desk = icom.alphas[ResourceKey(1, 2)];
    desk.SetAlpha(u"音声", kAlphaSize4);
    desk.SetAlpha(u"音声卓", kAlphaSize6);
    desk.SetAlpha(u"音声卓A", kAlphaSize8);
    icom.descriptions[ResourceKey(0, 1)].text = u"スタジオ１のマイク";
    return icom;
}

TEST(ConfigurationFileCodePage, JapaneseAlphasAndDescriptionsGoOutIn932AndReadBackByteForByte)
{
    const text::CodePage sjis = page(932);
    const std::string bytes = ConfigurationFileBytes(japanese(), sjis);
    // Keypanel 1: the three 8-bit alphas (twice); 表 is 0x95 0x5C.
    EXPECT_NE(bytes.find(std::string("001\xCF\xB2\xB8 \xCF\xB2\xB8\x31  \x95\x5C\xBF\xB0\xBD   ", 21)),
              std::string::npos);
    // Party line 2: "音声" fills four bytes; "音声卓" is six; "音声卓A " is eight.
    EXPECT_NE(bytes.find("002\x89\xB9\x90\xBA\x89\xB9\x90\xBA\x91\xEC\x89\xB9\x90\xBA\x91\xEC" "A "),
              std::string::npos);

    CIntercom back;
    ASSERT_TRUE(LoadConfigurationBytes(back, asBytes(bytes), u"japanese.cfg", sjis));
    const CIntercom want = japanese();
    EXPECT_EQ(back.alphas.at(ResourceKey(0, 1)).alpha8, want.alphas.at(ResourceKey(0, 1)).alpha8);
    EXPECT_EQ(back.alphas.at(ResourceKey(1, 2)).alpha4, u"音声  ");
    EXPECT_EQ(back.alphas.at(ResourceKey(1, 2)).alpha6, u"音声卓   ");
    EXPECT_EQ(back.descriptions.at(ResourceKey(0, 1)).text.substr(0, 9), u"スタジオ１のマイク");
    EXPECT_EQ(back.mainAddress, u"10.0.0.1");
    EXPECT_EQ(ConfigurationFileBytes(back, sjis), bytes);

    // Edited: one alpha changed; the file read back holds it and writes the same bytes again.
    back.alphas[ResourceKey(0, 1)].SetAlpha(u"司会", kAlphaSize8);
    const std::string edited = ConfigurationFileBytes(back, sjis);
    CIntercom again;
    ASSERT_TRUE(LoadConfigurationBytes(again, asBytes(edited), u"japanese.cfg", sjis));
    EXPECT_EQ(again.alphas.at(ResourceKey(0, 1)).alpha8, u"司会      ");
    EXPECT_EQ(ConfigurationFileBytes(again, sjis), edited);
}

TEST(ConfigurationFileCodePage, ATextTooLongForItsFieldIsCutBetweenCharacters)
{
    CIntercom icom;
    // One byte, then twelve two-byte kanji: 25 bytes for a 24-byte field.
    icom.descriptions[ResourceKey(0, 1)].text = u"a" + std::u16string(12, u'表');
    const text::CodePage sjis = page(932);
    const std::string bytes = ConfigurationFileBytes(icom, sjis);
    std::string want = "a";
    for (int i = 0; i < 11; ++i)
        want += "\x95\x5C";
    want.push_back('\0');
    const std::size_t at = bytes.find(want);
    ASSERT_NE(at, std::string::npos);
    // The field read alone holds whole characters (the Unicode record, read later, wins in a
    // file).
    EXPECT_EQ(sjis.decode(bytes.substr(at, 24)), u"a" + std::u16string(11, u'表') + u'\0');
}

TEST(ConfigurationFileCodePage, SingleByteCodePagesRoundTripTheirAlphas)
{
    struct Case {
        unsigned number;
        std::u16string alpha;
        std::string bytes;
    };
    const Case cases[] = {
        {1250, u"Łódź", "\xA3\xF3\x64\x9F"},
        {1251, u"Эфир", "\xDD\xF4\xE8\xF0"},
        {1252, u"Café", "Caf\xE9"},
    };
    for (const Case& c : cases) {
        const text::CodePage cp = page(c.number);
        CIntercom icom;
        icom.alphas[ResourceKey(0, 1)].SetAlpha(c.alpha, kAlphaSize4);
        const std::string bytes = ConfigurationFileBytes(icom, cp);
        EXPECT_NE(bytes.find("001" + c.bytes), std::string::npos) << c.number;
        CIntercom back;
        ASSERT_TRUE(LoadConfigurationBytes(back, asBytes(bytes), u"x.cfg", cp)) << c.number;
        EXPECT_EQ(back.alphas.at(ResourceKey(0, 1)).alpha4, c.alpha) << c.number;
        EXPECT_EQ(ConfigurationFileBytes(back, cp), bytes) << c.number;
    }
}

}  // namespace
}  // namespace vexilor
