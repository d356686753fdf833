#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"
#include "text/CodePage.h"

namespace vexilor {
namespace {

text::CodePage page(unsigned number)
{
    const std::optional<text::CodePage> cp = text::CodePage::make(number);
    if (!cp)
        ADD_FAILURE() << "code page " << number << " is not available";
    return cp.value_or(text::CodePage());
}

std::string fixture(const char* name)
{
    std::ifstream in(std::string(VEXILOR_FIXTURES_DIR) + "/codepage/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file in code page 932 whose names hold kanji, katakana and half-width katakana, some with
// '\\', '[' or ']' as their second byte (made by tests/fixtures/codepage/make-japanese.py).
TEST(CodePageFiles, AJapaneseFileReadsEditsAndWritesBackByteForByte)
{
    const std::string file = fixture("japanese.res");
    ASSERT_FALSE(file.empty());
    const text::CodePage sjis = page(932);

    CRestrictionsModel model;
    const RestrictionsParseResult r = parseRestrictions(model, file, {.codePage = sjis});
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches()) << std::hex << r.crcStated << " " << r.crcComputed;
    EXPECT_EQ(model.deviceName(), u"東京本社");
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"第１スタジオ"));
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"表ソース・ゼロ"));
    EXPECT_TRUE(model.exists(EntityKind::Class, u"オペレーター"));
    EXPECT_TRUE(model.exists(EntityKind::User, u"山田太郎"));
    EXPECT_TRUE(model.exists(EntityKind::User, u"ﾃｽﾄ"));
    EXPECT_EQ(model.classOf(u"山田太郎"), u"オペレーター");
    ASSERT_EQ(model.studioRefs(EntityKind::User, u"山田太郎").size(), 1u);
    EXPECT_EQ(model.studioRefs(EntityKind::User, u"山田太郎")[0].studio, u"表ソース・ゼロ");
    const CRestrictionRecord* cls = model.findRecord(EntityKind::Class, u"オペレーター");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->findFeature(u"ファイル表示"), std::optional<bool>(true));
    EXPECT_TRUE(cls->featureExplicit(u"ファイル表示"));

    EXPECT_EQ(restrictionsFileBytes(model, {.codePage = sjis}), file);

    // Edited: a studio renamed (its reference follows) and the file written and read again.
    ASSERT_TRUE(model.renameStudio(u"表ソース・ゼロ", u"音声卓ソ"));
    const std::optional<std::string> edited = restrictionsFileBytes(model, {.codePage = sjis});
    ASSERT_TRUE(edited);
    EXPECT_NE(edited->find("[STUDIO \"\x89\xB9\x90\xBA\x91\xEC\x83\x5C\"]\r\n"), std::string::npos);
    CRestrictionsModel back;
    const RestrictionsParseResult again = parseRestrictions(back, *edited, {.codePage = sjis});
    ASSERT_TRUE(again.ok) << again.errorText;
    EXPECT_TRUE(again.crcMatches());
    EXPECT_EQ(canonicalDump(back), canonicalDump(model));
    EXPECT_EQ(back.studioRefs(EntityKind::User, u"山田太郎")[0].studio, u"音声卓ソ");
    EXPECT_EQ(restrictionsFileBytes(back, {.codePage = sjis}), edited);
}

TEST(CodePageFiles, TheCrcTakesOneLowByteForEachCharacterOfTwoBytes)
{
    // 日 is 0x93 0xFA in the file and U+65E5 in memory: the CRC takes 0xE5 once.
    CRestrictionsModel model;
    const RestrictionsParseResult r =
        parseRestrictions(model, "[STUDIO \"\x93\xFA\"]\r\n[CRC 0]", {.codePage = page(932)});
    ASSERT_TRUE(r.ok) << r.errorText;
    CRestrictionsCrc crc;
    const std::string low = "[STUDIO \"\xE5\"]\n";
    crc.update(reinterpret_cast<const std::uint8_t*>(low.data()), low.size());
    EXPECT_EQ(r.crcComputed, crc.value());
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"日"));
}

TEST(CodePageFiles, NamesInEachCodePageReadBackTheSame)
{
    struct Case {
        unsigned number;
        std::u16string studio, cls, user, feature;
    };
    const Case cases[] = {
        {1250, u"Łódź Studio", u"Operátoři", u"Śliwiński", u"Zvláštní.Volba"},
        {1251, u"Студия А", u"Операторы", u"Иванов", u"Меню.Файл"},
        {1252, u"Café Étoile", u"Opérateurs", u"Ærøskøbing", u"Menü.Öffnen"},
        {932, u"スタジオ表", u"オペレーター", u"ﾃｽﾄ[ﾕｰｻﾞｰ]", u"ファイル.開く"},
        {936, u"演播室", u"操作员", u"张伟", u"文件.打开"},
        {949, u"스튜디오", u"운영자", u"김철수", u"파일.열기"},
        {950, u"錄音室", u"操作員", u"許功蓋", u"檔案.開啟"},
    };
    for (const Case& c : cases) {
        const text::CodePage cp = page(c.number);
        CRestrictionsModel model;
        model.newFile(c.user);
        model.setDeviceName(c.studio);
        CRestrictionRecord studio;
        studio.setResource(u"KP.Edit", 3, true);
        studio.setResourceExplicit(u"KP.Edit", 3, true);
        model.putRecord(EntityKind::Studio, c.studio, studio);
        CRestrictionRecord cls;
        cls.setExplicitFeature(c.feature, true);
        model.putRecord(EntityKind::Class, c.cls, cls);
        model.setStudioRefs(EntityKind::Class, c.cls, {{c.studio, StudioOp::Add}});
        model.setClassOf(c.user, c.cls);

        const std::optional<std::string> bytes = restrictionsFileBytes(model, {.codePage = cp});
        ASSERT_TRUE(bytes) << c.number;
        EXPECT_EQ(bytes->find('?'), std::string::npos) << c.number << "\n" << *bytes;
        CRestrictionsModel back;
        const RestrictionsParseResult r = parseRestrictions(back, *bytes, {.codePage = cp});
        ASSERT_TRUE(r.ok) << c.number << " " << r.errorText << *bytes;
        EXPECT_TRUE(r.crcMatches()) << c.number;
        EXPECT_EQ(canonicalDump(back), canonicalDump(model)) << c.number;
        EXPECT_EQ(restrictionsFileBytes(back, {.codePage = cp}), bytes) << c.number;
    }
}

TEST(CodePageFiles, BrokenTwoByteCharactersAreReadWithoutLosingTheLine)
{
    const text::CodePage sjis = page(932);
    // A lead byte before the closing quote stands alone; the quote still closes the name.
    CRestrictionsModel model;
    RestrictionsParseResult r = parseRestrictions(model, "[STUDIO \"a\x81\"]\r\n", {.codePage = sjis});
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"a\uFFFD"));
    // A name with a lead byte is not an identifier; unquoted it is a parse error, not a misreading.
    r = parseRestrictions(model, "[STUDIO A]\r\n\x93\xFA = Y\r\n", {.codePage = sjis});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.message, "Unknown directive/parse error.");

    // Garbage of every byte value, in lines and quotes, is read to an answer in every code page.
    std::mt19937 rng(7);
    for (const unsigned number : {932u, 936u, 949u, 950u, 1250u, 1251u}) {
        const text::CodePage cp = page(number);
        for (int round = 0; round < 50; ++round) {
            std::string bytes = "[STUDIO \"";
            for (int i = 0; i < 300; ++i) {
                const unsigned v = rng() % 280;
                bytes.push_back(v >= 256 ? "\"\r\n[]= "[v % 7] : static_cast<char>(v));
            }
            CRestrictionsModel garbage;
            const RestrictionsParseResult g = parseRestrictions(garbage, bytes, {.codePage = cp});
            if (g.ok) {
                EXPECT_TRUE(restrictionsFileBytes(garbage, {.codePage = cp}));
            }
        }
    }
}

}  // namespace
}  // namespace vexilor
