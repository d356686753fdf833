#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"
#include "restrictions/WritableNames.h"
#include "text/Windows1252.h"

namespace vexilor {
namespace {

// A studio, a class that takes it and a user of that class who takes it too, all named name.
CRestrictionsModel modelNaming(const std::u16string& name)
{
    CRestrictionsModel model;
    model.newFile(u"Default");
    model.setDeviceName(u"ICOM");
    model.putRecord(EntityKind::Studio, name, {});
    model.putRecord(EntityKind::Class, name, {});
    model.putRecord(EntityKind::User, name, {});
    model.setStudioRefs(EntityKind::Class, name, {{name, StudioOp::Add}});
    model.setStudioRefs(EntityKind::User, name, {{name, StudioOp::Remove}});
    model.setClassOf(name, name);
    return model;
}

// Whether the written file reads back with the same names and links, and with the CRC that
// Tovrin checks.
bool readsBackTheSame(const CRestrictionsModel& model, const std::u16string& name,
                      const text::CodePage& codePage = {})
{
    const auto bytes = restrictionsFileBytes(model, {.codePage = codePage});
    if (!bytes)
        return false;
    CRestrictionsModel back;
    const RestrictionsParseResult read = parseRestrictions(back, *bytes, {.codePage = codePage});
    if (!read.ok || !read.crcMatches())
        return false;
    for (const EntityKind kind : {EntityKind::Studio, EntityKind::Class, EntityKind::User})
        if (back.records(kind).size() != model.records(kind).size() || !back.exists(kind, name))
            return false;
    return back.classOf(name) == name
        && back.studioRefs(EntityKind::Class, name) == model.studioRefs(EntityKind::Class, name)
        && back.studioRefs(EntityKind::User, name) == model.studioRefs(EntityKind::User, name);
}

TEST(WritableNames, TheCheckAgreesWithWhatTheFileGivesBack)
{
    struct Case {
        const char* what;
        std::u16string name;
        std::optional<NameFault> fault;
        std::size_t position;
    };
    const std::vector<Case> cases = {
        {"plain", u"Studio A", std::nullopt, 0},
        {"accented", u"R\u00E9gie \u00C5 \u00FC\u00DF", std::nullopt, 0},
        {"euro and the code page's 0x80..0x9F", u"\u20AC\u201E\u2026\u0160\u0152\u2122\u0178",
         std::nullopt, 0},
        {"a C1 control the code page passes through", u"a\u0081b", std::nullopt, 0},
        {"blanks around it and a carriage return", u"  a\rb  ", std::nullopt, 0},
        {"the longest that fits a line", std::u16string(kMaxWritableNameLength, u'x'),
         std::nullopt, 0},
        {"U+0080", u"ab\u0080", NameFault::Character, 2},
        {"japanese", u"\u30B9\u30BF\u30B8\u30AA", NameFault::Character, 0},
        {"outside the BMP", u"ab\U0001F600", NameFault::Character, 2},
        {"double quote", u"say \"hi\"", NameFault::Character, 4},
        {"line feed", u"two\nlines", NameFault::Character, 3},
        {"quote before a japanese character", u"a\"\u30B9", NameFault::Character, 1},
        {"one character too long", std::u16string(kMaxWritableNameLength + 1, u'x'),
         NameFault::TooLong, 0},
    };
    for (const Case& c : cases) {
        const std::optional<NameFlaw> flaw = nameFlaw(c.name);
        ASSERT_EQ(flaw.has_value(), c.fault.has_value()) << c.what;
        if (flaw) {
            EXPECT_EQ(flaw->fault, *c.fault) << c.what;
            if (flaw->fault == NameFault::Character) {
                EXPECT_EQ(flaw->position, c.position) << c.what;
            }
        }
        EXPECT_EQ(readsBackTheSame(modelNaming(c.name), c.name), !flaw) << c.what;
    }
    EXPECT_EQ(nameFlaw(u"")->fault, NameFault::Empty);
}

TEST(WritableNames, FollowTheChosenCodePage)
{
    struct Case {
        unsigned codePage;
        std::u16string name;
        std::optional<NameFault> fault;
        std::size_t position;
    };
    const Case cases[] = {
        {932, u"\u30B9\u30BF\u30B8\u30AA", std::nullopt, 0},
        {932, u"\u8868\u30BD\u30FC\uFF83", std::nullopt, 0},
        {932, u"Caf\u00E9", NameFault::Character, 3},
        {932, u"\u4E2D\uD55C", NameFault::Character, 1},
        {1252, u"Caf\u00E9", std::nullopt, 0},
        {1250, u"\u0141\u00F3d\u017A", std::nullopt, 0},
        {1250, u"\u0141\u00E6", NameFault::Character, 1},
        {1251, u"\u0418\u0432\u0430\u043D", std::nullopt, 0},
        {1251, u"\u0418\u30B9", NameFault::Character, 1},
        {949, u"\uD55C\uAE00", std::nullopt, 0},
        // Two bytes a character: fewer characters fill a line.
        {932, std::u16string(kMaxWritableNameLength / 2, u'\u8868'), std::nullopt, 0},
        {932, std::u16string(kMaxWritableNameLength / 2 + 1, u'\u8868'), NameFault::TooLong, 0},
    };
    for (const Case& c : cases) {
        const std::optional<text::CodePage> cp = text::CodePage::make(c.codePage);
        ASSERT_TRUE(cp) << c.codePage;
        const std::optional<NameFlaw> flaw = nameFlaw(c.name, *cp);
        ASSERT_EQ(flaw.has_value(), c.fault.has_value()) << c.codePage;
        if (flaw) {
            EXPECT_EQ(flaw->fault, *c.fault) << c.codePage;
            if (flaw->fault == NameFault::Character) {
                EXPECT_EQ(flaw->position, c.position) << c.codePage;
            }
        }
        EXPECT_EQ(readsBackTheSame(modelNaming(c.name), c.name, *cp), !flaw) << c.codePage;
        EXPECT_EQ(firstUnwritableName(modelNaming(c.name), *cp).has_value(), flaw.has_value());
    }
}

TEST(WritableNames, FindsTheFirstUnwritableNameInFileOrder)
{
    const std::u16string bad = u"\u30C6\u30EC\u30D3";
    CRestrictionsModel model = modelNaming(u"Good");
    EXPECT_FALSE(firstUnwritableName(model));

    // Every place a name is written is looked at, not only the sections.
    struct Place {
        const char* what;
        void (*spoil)(CRestrictionsModel&, const std::u16string&);
        EntityKind kind;
    };
    const Place places[] = {
        {"device", [](CRestrictionsModel& m, const std::u16string& n) { m.setDeviceName(n); },
         EntityKind::None},
        {"user", [](CRestrictionsModel& m, const std::u16string& n) {
             m.putRecord(EntityKind::User, n, {});
         }, EntityKind::User},
        {"class of a user", [](CRestrictionsModel& m, const std::u16string& n) {
             m.setClassOf(u"Good", n);
         }, EntityKind::Class},
        {"studio reference of a class", [](CRestrictionsModel& m, const std::u16string& n) {
             m.setStudioRefs(EntityKind::Class, u"Good", {{n, StudioOp::Add}});
         }, EntityKind::Studio},
        {"studio reference of a user", [](CRestrictionsModel& m, const std::u16string& n) {
             m.appendStudioRef(EntityKind::User, u"Good", {n, StudioOp::Set});
         }, EntityKind::Studio},
    };
    for (const Place& place : places) {
        CRestrictionsModel spoilt = modelNaming(u"Good");
        place.spoil(spoilt, bad);
        const std::optional<UnwritableName> found = firstUnwritableName(spoilt);
        ASSERT_TRUE(found) << place.what;
        EXPECT_EQ(found->kind, place.kind) << place.what;
        EXPECT_EQ(found->name, bad) << place.what;
        EXPECT_EQ(found->flaw.fault, NameFault::Character) << place.what;
    }

    // A studio comes before a user in the file.
    model.putRecord(EntityKind::User, u"B\u00E4r\U0001F43B", {});
    model.putRecord(EntityKind::Studio, u"St\u00FCdio \u0100", {});
    const std::optional<UnwritableName> first = firstUnwritableName(model);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, EntityKind::Studio);
    EXPECT_EQ(first->flaw.position, 7u);
}

}  // namespace
}  // namespace vexilor
