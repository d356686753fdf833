#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <optional>
#include <tuple>
#include <vector>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

namespace vexilor {
namespace {

RestrictionsParseResult parse(CRestrictionsModel& model, const std::string& text)
{
    return parseRestrictions(model, text);
}

struct MessageCase {
    std::string file;
    int line;
    std::string message;
};

TEST(RestrictionsParser, ReportsEveryErrorWithItsLineNumber)
{
    const std::vector<MessageCase> cases = {
        {"[USER a]\r\n[CRC 1234]\r\n\r\n// late\r\n", 4,
         "CRC is required to be the last line in the file."},
        {"[DEVICE d]\r\n[USER u]\r\n[DEVICE \"e\"]\r\n", 3, "DEVICE already defined in this file."},
        {"[STUDIO s]\n[CLASS c]\n[STUDIO s]\n", 3, "Studio already defined in this file."},
        {"[CLASS c]\n[CLASS c]\n", 2, "Class already defined in this file."},
        {"[USER \"u\"]\n\n[USER u]\n", 3, "User already defined in this file."},
        {"[STUDIO s]\nstudio += s\n", 2,
         "Studio add/set instructions are not permitted outside of class/user declarations."},
        {"studio = s\n", 1,
         "Studio add/set instructions are not permitted outside of class/user declarations."},
        {"[CLASS c]\nstudio += later\n[STUDIO later]\n", 2, "Studio not declared."},
        {"[STUDIO s]\n[USER u]\nstudio @= s\n", 3, "Unknown instruction (=/+=/-= ?)"},
        {"[CLASS c]\n[CLASS d]\nclass = c\n", 3,
         "Class set instructions are not permitted outside of user declarations, and must be the "
         "first statement after a declaration."},
        {"[CLASS c]\n[USER u]\nKP.Alphas = Y\nclass = c\n", 4,
         "Class set instructions are not permitted outside of user declarations, and must be the "
         "first statement after a declaration."},
        {"[CLASS c]\n[USER u]\nclass = c\nclass = c\n", 4,
         "Class set instructions are not permitted outside of user declarations, and must be the "
         "first statement after a declaration."},
        {"[USER u]\nclass = nobody\n", 2, "Class not declared."},
        {"[CLASS c]\n[USER u]\nclass += c\n", 3, "Only the set(=) instruction is permitted here."},
        {"[CLASS c]\n[USER u]\nclass @= c\n", 3, "Only the set(=) instruction is permitted here."},
        {"KP.Alphas = Y\n", 1, "Features can only be specified in classes and users."},
        {"[STUDIO s]\nKP.Alphas = N\n", 2, "Features can only be specified in classes and users."},
        {"// header\nKP.Edit = 1\n", 2, "Resource instruction before studio/class/user declaration."},
        {"[USER u]\nKP.Edit = 1-3 x\n", 2, "Unknown directive/parse error."},
        {"[USER u]\nhello\n", 2, "Unknown directive/parse error."},
        {"[USER u]\nKP.Edit = 1,\n", 2, "Unknown directive/parse error."},
        {"[USER u]\nKP.Edit = 70000\n", 2, "Resource number out of range."},
        {"[USER u]\nKP.Edit += 1-65536\n", 2, "Resource number out of range."},
        {"[USER u]\nKP.Edit -= 123456789012345678901234567890\n", 2, "Resource number out of range."},
    };
    for (const MessageCase& c : cases) {
        CRestrictionsModel model;
        const RestrictionsParseResult r = parse(model, c.file);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_EQ(r.line, c.line) << c.file;
        EXPECT_EQ(r.message, c.message) << c.file;
        EXPECT_EQ(r.errorText, "[" + std::to_string(c.line) + "]:" + c.message + "\n") << c.file;
        EXPECT_FALSE(model.loaded()) << c.file;
        EXPECT_FALSE(model.documentValid()) << c.file;
    }
}

TEST(RestrictionsParser, UnreadableFileIsReportedAtLineZero)
{
    CRestrictionsModel model;
    model.newFile(u"Default");
    const auto r = readRestrictionsFile(model, std::filesystem::path(VEXILOR_FIXTURES_DIR) /
                                                   "no-such-dir" / "missing.res");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorText, "[0]:Could not open file.\n");
    EXPECT_FALSE(model.exists(EntityKind::User, u"Default"));
    EXPECT_FALSE(model.loaded());
}

TEST(RestrictionsParser, KeepsCompletedSectionsAndDropsTheOneBeingReadOnFailure)
{
    CRestrictionsModel model;
    const auto r = parse(model,
                         "[DEVICE d]\n[STUDIO s]\nKP.Edit = 1\n[CLASS c]\n[USER u]\nclass = c\n"
                         "studio += s\nKP.Alphas = Y\nbroken line\n");
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.line, 9);
    EXPECT_EQ(model.deviceName(), u"d");
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"s"));
    EXPECT_TRUE(model.exists(EntityKind::Class, u"c"));
    EXPECT_FALSE(model.exists(EntityKind::User, u"u"));
    EXPECT_EQ(model.classOf(u"u"), u"");
    EXPECT_TRUE(model.studioRefs(EntityKind::User, u"u").empty());
    EXPECT_FALSE(model.loaded());
}

TEST(RestrictionsParser, KeywordsAreCaseBlindAndNamesCaseSensitive)
{
    CRestrictionsModel model;
    const auto r = parse(model,
                         "[device \"D\"]\n[Studio s]\n[STUDIO S]\n[cLaSs C]\n[user Tom]\n[USER tom]\n"
                         "CLASS=C\nstudio+=s\nSTUDIO -= \"S\"\nKP.Alphas = y\nKP.Aliases = n\n");
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"s"));
    EXPECT_TRUE(model.exists(EntityKind::Studio, u"S"));
    EXPECT_TRUE(model.exists(EntityKind::User, u"Tom"));
    EXPECT_TRUE(model.exists(EntityKind::User, u"tom"));
    EXPECT_EQ(model.classOf(u"tom"), u"C");
    EXPECT_EQ(model.classOf(u"Tom"), u"");
    EXPECT_EQ(model.studioRefs(EntityKind::User, u"tom"),
              (std::vector<StudioRef>{{u"s", StudioOp::Add}, {u"S", StudioOp::Remove}}));
    const CRestrictionRecord* tom = model.findRecord(EntityKind::User, u"tom");
    ASSERT_NE(tom, nullptr);
    EXPECT_TRUE(tom->featureValue(u"KP.Alphas"));
    EXPECT_TRUE(tom->featureExplicit(u"KP.Aliases"));
    EXPECT_FALSE(tom->featureValue(u"KP.Aliases"));
    EXPECT_FALSE(tom->featureExplicit(u"kp.alphas"));
}

TEST(RestrictionsParser, ReadsTheCrcLineWithoutRequiringIt)
{
    struct CrcCase {
        std::string tail;
        bool ok;
        bool seen;
        bool matches;
    };
    const std::string body = "[USER u]\r\nKP.Edit = 3-1\r\n";
    CRestrictionsCrc crc;
    crc.update(u"[USER u]\nKP.Edit = 3-1\n");
    char right[32];
    std::snprintf(right, sizeof right, "[CRC %x]", crc.value());
    char upper[32];
    std::snprintf(upper, sizeof upper, "[ crc %X ]\r\n\r\n  \r\n", crc.value());
    const std::vector<CrcCase> cases = {
        {"", true, false, false},
        {right, true, true, true},
        {upper, true, true, true},
        {"[CRC 1]", true, true, false},
        {"[CRC 1000000000000000000000000000]", true, true, false},
        {std::string(right) + "\r\n// after", false, true, true},
    };
    for (const CrcCase& c : cases) {
        CRestrictionsModel model;
        const auto r = parse(model, body + c.tail);
        EXPECT_EQ(r.ok, c.ok) << c.tail << r.errorText;
        EXPECT_EQ(r.crcSeen, c.seen) << c.tail;
        EXPECT_EQ(r.crcMatches(), c.matches) << c.tail;
        if (c.seen) {
            EXPECT_EQ(r.crcComputed, crc.value()) << c.tail;
        }
    }
}

TEST(RestrictionsParser, CrcOfTheLastLineWithoutLineEndAddsOne)
{
    CRestrictionsCrc crc;
    crc.update(u"[USER u]\n// no line end\n");
    char stated[32];
    std::snprintf(stated, sizeof stated, "[CRC %x]", crc.value());
    // A CRC line cannot follow an unterminated line, so split the last line with a lone CR
    // instead: it is not a line end and the CRC covers it as it stands.
    CRestrictionsModel model;
    auto r = parse(model, "[USER u]\r\n// no line end\n" + std::string(stated));
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches());

    CRestrictionsCrc lone;
    lone.update(u"[USER u]\r\n");
    char stated2[32];
    std::snprintf(stated2, sizeof stated2, "[CRC %x]", lone.value());
    r = parse(model, "[USER u]\r\r\n" + std::string(stated2));
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches());
}

TEST(RestrictionsParser, ClassLineMayFollowStudioReferences)
{
    CRestrictionsModel model;
    const auto r = parse(model, "[STUDIO s]\n[CLASS c]\n[USER u]\nstudio = s\nclass = c\n");
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_EQ(model.classOf(u"u"), u"c");
    EXPECT_EQ(model.studioRefs(EntityKind::User, u"u"),
              (std::vector<StudioRef>{{u"s", StudioOp::Set}}));
}

struct ResourceLinesCase {
    const char* what;
    std::string section;
    std::string lines;
    std::vector<std::uint32_t> explicitOnes;  // among 1..10
    std::vector<std::uint32_t> allowedOnes;   // value true among 1..10
    bool tailExplicit;
};

TEST(RestrictionsParser, ResourceLinesSetValuesAndExplicitMarks)
{
    const std::vector<ResourceLinesCase> cases = {
        {"class: = list states every resource", "[CLASS c]", "KP.Edit = 5",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {5}, true},
        {"studio: = list states the listed ones", "[STUDIO s]", "KP.Edit = 5", {5}, {5}, false},
        {"ranges in either order", "[USER u]", "KP.Edit += 3-1 , 7", {1, 2, 3, 7}, {1, 2, 3, 7},
         false},
        {"@= after = * inherits again", "[USER u]", "KP.Edit = *\nKP.Edit @= 5",
         {1, 2, 3, 4, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true},
        {"-= on nothing marks without values", "[USER u]", "KP.Edit -= 2", {2}, {}, false},
        {"-= * denies all", "[USER u]", "KP.Edit += 4\nKP.Edit -= *",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {}, true},
        {"+= then -= ", "[CLASS c]", "KP.Edit += 1-6\nKP.Edit -= 2-3", {1, 2, 3, 4, 5, 6},
         {1, 4, 5, 6}, false},
    };
    for (const ResourceLinesCase& c : cases) {
        CRestrictionsModel model;
        const auto r = parse(model, "[STUDIO s0]\n" + c.section + "\n" + c.lines + "\n");
        ASSERT_TRUE(r.ok) << c.what << r.errorText;
        const EntityKind kind = c.section[1] == 'S'   ? EntityKind::Studio
                                : c.section[1] == 'C' ? EntityKind::Class
                                                      : EntityKind::User;
        const std::u16string name(1, static_cast<char16_t>(c.section[c.section.size() - 2]));
        ASSERT_TRUE(model.exists(kind, name)) << c.what;
        const CRestrictionRecord& rec = *model.findRecord(kind, name);
        for (std::uint32_t n = 1; n <= 10; ++n) {
            const bool isExplicit = std::count(c.explicitOnes.begin(), c.explicitOnes.end(), n) > 0;
            const bool allowed = std::count(c.allowedOnes.begin(), c.allowedOnes.end(), n) > 0;
            EXPECT_EQ(rec.resourceExplicit(u"KP.Edit", n), isExplicit) << c.what << " n=" << n;
            EXPECT_EQ(rec.resourceValue(u"KP.Edit", n), allowed) << c.what << " n=" << n;
        }
        EXPECT_EQ(rec.resourceExplicit(u"KP.Edit", 5000), c.tailExplicit) << c.what;
    }
}

// A section's feature lines end in key order with the last line of a key winning, whether every
// key is a known feature key (placed by number) or not (sorted by text).
TEST(RestrictionsParser, FeatureLinesEndInKeyOrderWithTheLastLineOfAKeyWinning)
{
    struct FeatureLinesCase {
        const char* what;
        std::vector<std::pair<std::string, bool>> lines;
    };
    const FeatureLinesCase cases[] = {
        {"known keys out of order, one twice",
         {{"Menus.All", true}, {"KP.Alphas", false}, {"Icom.Config", true}, {"KP.Alphas", true},
          {"App.Prefs.Alpha", false}, {"Icom.Comm", true}}},
        {"a key that is no feature key among known ones",
         {{"Menus.All", true}, {"Zeta.Custom", false}, {"KP.Alphas", true}, {"Zeta.Custom", true}}},
        {"a key in another case and a near miss",
         {{"kp.alphas", true}, {"KP.Alphas", false}, {"KP.Alpha", true}}},
        {"a quoted key and one with a code-page byte",
         {{"\"Icom.Config\"", false}, {"Icom.Config", true}, {"Caf\xe9.Key", true}}},
    };
    for (const FeatureLinesCase& c : cases) {
        std::string file = "[USER u]\r\n";
        CRestrictionRecord expected;
        for (const auto& [key, value] : c.lines) {
            file += key + (value ? " = Y\r\n" : " = N\r\n");
            const std::string unquoted = key.front() == '"' ? key.substr(1, key.size() - 2) : key;
            std::u16string wide;
            for (const char b : unquoted)
                wide.push_back(b == '\xe9' ? u'\u00e9' : static_cast<char16_t>(b));
            expected.setExplicitFeature(wide, value);
        }
        CRestrictionsModel model;
        const auto r = parse(model, file);
        ASSERT_TRUE(r.ok) << c.what << r.errorText;
        std::vector<std::tuple<std::u16string, std::optional<bool>, std::optional<bool>>> want, got;
        expected.forEachFeatureEntry([&](std::u16string_view k, auto v, auto e) { want.emplace_back(k, v, e); });
        model.findRecord(EntityKind::User, u"u")->forEachFeatureEntry(
            [&](std::u16string_view k, auto v, auto e) { got.emplace_back(k, v, e); });
        EXPECT_EQ(got, want) << c.what;
    }
}

TEST(RestrictionsParser, QuotedNamesHaveNoEscapes)
{
    CRestrictionsModel model;
    auto r = parse(model, "[USER \"a b\"]\n\"odd key\" = Y\n");
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(model.findRecord(EntityKind::User, u"a b")->featureValue(u"odd key"));

    for (const char* line : {"[USER \"say \"hi\"\"]\n", "[USER \"\"]\n", "[USER \"open]\n"}) {
        r = parse(model, line);
        EXPECT_EQ(r.errorText, "[1]:Unknown directive/parse error.\n") << line;
    }
}

TEST(RestrictionsParser, IdentifiersNeedADelimiterAfterThem)
{
    struct Case {
        const char* line;
        bool ok;
    };
    const Case cases[] = {
        {"KP.Edit=1-2,4", true},  {"KP.Edit =1 // note", true}, {"KP.Edit @=1", true},
        {"KP.Edit@= 1", false},   {"KP.Edit = 1//x", false},     {"KP.Edit @ = 1", false},
        {"KP.Edit + = 1", false}, {"_KP = 1", false},            {"K\xe9y = Y", true},
        {"KP.Edit = *5", false},  {"Key = Yes", false},         {"Key = N // no", true},
    };
    for (const Case& c : cases) {
        CRestrictionsModel model;
        const auto r = parse(model, std::string("[USER u]\n") + c.line + "\n");
        EXPECT_EQ(r.ok, c.ok) << c.line << ": " << r.errorText;
    }
}

// Lines are read as Windows-1252 bytes: a byte is classed by the character it stands for, names
// come out in UTF-16 and the CRC covers the low byte of each character, not the byte.
TEST(RestrictionsParser, BytesStandForTheirCodePageCharacters)
{
    struct Case {
        std::string line;
        bool ok;
    };
    const Case cases[] = {
        {"K\x8a = Y", true},           // S caron is a letter
        {"KP.Edit\xa0=\xa0" "1", true},  // no-break space is a blank
        {"KP.Edit\x85= 1", false},     // the ellipsis is neither
        {"K\x80 = Y", false},          // nor is the euro sign
    };
    for (const Case& c : cases) {
        CRestrictionsModel model;
        const auto r = parse(model, "[USER u]\n" + c.line + "\n");
        EXPECT_EQ(r.ok, c.ok) << c.line << ": " << r.errorText;
    }

    // Enough lines to pass the CRC's collecting buffer several times, with characters whose low
    // byte differs from their byte, and the last line without a line end.
    std::string file = "[STUDIO \"S\x80\"]\r\n[USER \"Zo\x80\x8a\"]\r\nstudio=\"S\x80\"\r\n";
    std::u16string converted = u"[STUDIO \"S\u20ac\"]\n[USER \"Zo\u20ac\u0160\"]\nstudio=\"S\u20ac\"\n";
    for (int i = 0; i < 6000; ++i) {
        const std::string n = std::to_string(i);
        file += "K" + n + "\x8a = Y\r\n// \x9f\x80 " + n + "\n";
        converted += u"K" + std::u16string(n.begin(), n.end()) + u"\u0160 = Y\n// \u0178\u20ac "
            + std::u16string(n.begin(), n.end()) + u"\n";
    }
    file += "\"Q\xe9\" = N";
    converted += u"\"Q\u00e9\" = N\n";
    CRestrictionsCrc crc;
    crc.update(converted);
    char stated[32];
    std::snprintf(stated, sizeof stated, "[CRC %x]", crc.value());
    // A CRC line cannot follow an unterminated line: check the stated CRC on a terminated copy.
    CRestrictionsModel model;
    auto r = parse(model, file + "\r\n" + stated);
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches());
    EXPECT_EQ(r.crcComputed, crc.value());
    const CRestrictionRecord* user = model.findRecord(EntityKind::User, u"Zo\u20ac\u0160");
    ASSERT_NE(user, nullptr);
    EXPECT_TRUE(user->featureValue(u"K5999\u0160"));
    EXPECT_EQ(user->findFeature(u"Q\u00e9"), std::optional<bool>(false));
    EXPECT_EQ(model.studioRefs(EntityKind::User, u"Zo\u20ac\u0160"),
              (std::vector<StudioRef>{{u"S\u20ac", StudioOp::Set}}));
    r = parse(model, file);
    EXPECT_TRUE(r.ok) << r.errorText;
}

TEST(RestrictionsParser, LongPhysicalLinesAreReadInPiecesOf4095Bytes)
{
    CRestrictionsModel model;
    // A comment of exactly 4095 bytes with its line end is one line.
    std::string comment = "//" + std::string(4091, 'c') + "\r\n";
    ASSERT_EQ(comment.size(), 4095u);
    auto r = parse(model, comment + "[USER u]\r\nbad\r\n");
    EXPECT_EQ(r.line, 3);

    // One byte more and the line end starts a piece of its own: a blank line.
    comment = "//" + std::string(4092, 'c') + "\r\n";
    r = parse(model, comment + "[USER u]\r\nbad\r\n");
    EXPECT_EQ(r.line, 4);

    // The second piece of a long resource line fails on its own.
    std::string list = "KP.Edit = 1";
    while (list.size() < 5000)
        list += ",1";
    r = parse(model, "[USER u]\n" + list + "\n");
    EXPECT_EQ(r.errorText, "[3]:Unknown directive/parse error.\n");
}

TEST(RestrictionsParser, MalformedInputEndsInAMessageNeverACrash)
{
    std::string garbage;
    std::uint32_t x = 12345;
    for (int i = 0; i < 100000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 24));
    }
    const std::string huge(10 * 1024 * 1024, 'k');
    const std::string nul("[USER u]\nKP.Edit = 1\0 2\n", 24);
    const std::string cases[] = {garbage, huge, nul, std::string(5000, '\0'),
                                 "[USER u]\nKP.Edit = 99999999999999999999999999999-1\n"};
    for (const std::string& input : cases) {
        CRestrictionsModel model;
        const auto r = parse(model, input);
        EXPECT_FALSE(r.ok);
        EXPECT_GT(r.line, 0);
        EXPECT_FALSE(r.message.empty());
    }
}

TEST(RestrictionsParser, BlankAndCommentLinesAndEmptyFilesRead)
{
    CRestrictionsModel model;
    auto r = parse(model, "");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(model.loaded());
    EXPECT_TRUE(model.documentValid());

    r = parse(model, " \t\r\n\n// just a comment\r\n   // indented\n\xa0\n[ALPHAS x]\n");
    EXPECT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(model.records(EntityKind::User).empty());
}

TEST(RestrictionsParser, ReadsAFileFromDisk)
{
    CRestrictionsModel model;
    model.reset();
    model.setLoaded(true);
    model.setDeviceName(u"ICOM1");
    model.putRecord(EntityKind::User, u"Default", CRestrictionRecord());
    const std::string bytes = *restrictionsFileBytes(model);

    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vexilor-parser-" + std::to_string(::getpid()) + ".res");
    {
        std::FILE* f = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    CRestrictionsModel back;
    const auto r = readRestrictionsFile(back, path);
    std::filesystem::remove(path);
    ASSERT_TRUE(r.ok) << r.errorText;
    EXPECT_TRUE(r.crcMatches());
    EXPECT_EQ(canonicalDump(back), canonicalDump(model));
}

}  // namespace
}  // namespace vexilor
