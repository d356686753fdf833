#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace vexilor;

namespace {

constexpr int kKpEdit = 0;  // resource-key index of KP.Edit

// A model read from file lines (CR LF added).
CRestrictionsModel modelOf(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    CRestrictionsModel model;
    const RestrictionsParseResult result = parseRestrictions(model, text);
    EXPECT_TRUE(result.ok) << result.errorText;
    return model;
}

std::string restrictedRange(const CEntitySelection& s, int k, std::uint32_t last)
{
    std::string out;
    for (std::uint32_t n = 1; n <= last; ++n)
        out += s.isRestricted(k, n) ? 'x' : '.';
    return out;
}

}  // namespace

TEST(EntitySelection, UserWithNothingInheritedIsRestrictedEverywhere)
{
    CRestrictionsModel model = modelOf({"[USER \"u\"]"});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    ASSERT_EQ(s.layerCount(), 3u);
    EXPECT_TRUE(s.layer(1).empty());
    EXPECT_TRUE(s.layer(2).empty());
    EXPECT_EQ(s.isRestricted(kKpEdit, 1), 1);
    EXPECT_EQ(s.isInherited(kKpEdit, 1), 1);
    EXPECT_EQ(s.featureDenied(u"Icom.Config"), 1);
}

TEST(EntitySelection, ClassSettingsReachItsUsers)
{
    CRestrictionsModel model = modelOf({"[CLASS \"C\"]", "KP.Edit += 3", "Icom.Config = Y",
                                        "[USER \"u\"]", "class=\"C\""});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    EXPECT_EQ(s.isRestricted(kKpEdit, 3), 0) << "allowed by the class (layer 1)";
    EXPECT_EQ(s.isInherited(kKpEdit, 3), 1);
    EXPECT_EQ(s.inheritedRestricted(kKpEdit, 3), 0);
    EXPECT_EQ(s.isRestricted(kKpEdit, 4), 1);
    EXPECT_EQ(s.featureDenied(u"Icom.Config"), 0);
    EXPECT_EQ(s.featureIsInherited(u"Icom.Config"), 1);
    EXPECT_EQ(s.featureDenied(findRestrictionKeyword(u"Icom.Config") - 1), 0) << "by feature index";
}

TEST(EntitySelection, StudioReferencesAddAndRemoveInOrder)
{
    CRestrictionsModel model = modelOf({"[STUDIO \"S1\"]", "KP.Edit = 1-4", "[STUDIO \"S2\"]", "KP.Edit = 2",
                                        "[USER \"u\"]", "studio+=\"S1\"", "studio-=\"S2\""});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    EXPECT_EQ(restrictedRange(s, kKpEdit, 6), ".x..xx");
}

TEST(EntitySelection, SetReferenceTakesOverTheStudioAndLaterOnesApplyAfterIt)
{
    struct Case { const char* refs[3]; const char* expected; };
    const Case cases[] = {
        {{"studio=\"S1\"", nullptr, nullptr}, "....xx"},
        {{"studio+=\"S2\"", "studio=\"S1\"", nullptr}, "....xx"},
        {{"studio=\"S1\"", "studio-=\"S2\"", nullptr}, ".x..xx"},
        {{"studio=\"S2\"", "studio+=\"S3\"", nullptr}, "x...x."},
        {{"studio+=\"S1\"", "studio=\"Gone\"", nullptr}, "xxxxxx"},
    };
    for (const Case& c : cases) {
        std::string text = "[STUDIO \"S1\"]\r\nKP.Edit = 1-4\r\n[STUDIO \"S2\"]\r\nKP.Edit = 2\r\n"
                           "[STUDIO \"S3\"]\r\nKP.Edit = 3-4,6\r\n[STUDIO \"Gone\"]\r\n[CLASS \"C\"]\r\n";
        for (const char* ref : c.refs)
            if (ref)
                text += std::string(ref) + "\r\n";
        CRestrictionsModel model;
        ASSERT_TRUE(parseRestrictions(model, text).ok);
        model.deleteStudio(u"Gone");  // still referenced: stays; the reference reads an empty studio
        CEntitySelection s(model);
        ASSERT_TRUE(s.select(u"C", EntityKind::Class));
        EXPECT_EQ(restrictedRange(s, kKpEdit, 6), c.expected) << c.refs[0];
    }
}

TEST(EntitySelection, ChangesGoToTheOwnRecordAndCommitStoresThem)
{
    CRestrictionsModel model = modelOf({"[CLASS \"C\"]", "KP.Edit += 3", "[USER \"u\"]", "class=\"C\""});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    s.setRestricted(kKpEdit, 3, true);
    s.setInherit(kKpEdit, 3, false);
    s.setFeatureDenied(u"Menu.File.Open", false);
    s.setFeatureInherit(u"Menu.File.Open", false);
    EXPECT_EQ(s.isRestricted(kKpEdit, 3), 1);
    EXPECT_EQ(s.inheritedRestricted(kKpEdit, 3), 0);
    EXPECT_EQ(s.featureDenied(u"Menu.File.Open"), 0);
    EXPECT_FALSE(model.getRecord(EntityKind::User, u"u").resourceExplicit(u"KP.Edit", 3)) << "not before commit";
    ASSERT_TRUE(s.commit());
    EXPECT_TRUE(model.getRecord(EntityKind::User, u"u").resourceExplicit(u"KP.Edit", 3));
    s.setInherit(kKpEdit, 3, true);
    EXPECT_EQ(s.isRestricted(kKpEdit, 3), 0) << "inheriting again";
}

TEST(EntitySelection, ReadOnlyFilesAndResetsNeverTakeChanges)
{
    CRestrictionsModel model = modelOf({"[USER \"u\"]", "KP.Edit += 1"});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    s.setRestricted(kKpEdit, 1, true);
    model.setReadOnly(true);
    EXPECT_FALSE(s.commit());
    EXPECT_TRUE(model.getRecord(EntityKind::User, u"u").resourceValue(u"KP.Edit", 1));

    model.newFile(u"Default");  // a new content: the old selection is gone
    EXPECT_FALSE(s.hasSelection());
    EXPECT_EQ(s.layerCount(), 0u);
    EXPECT_EQ(s.isRestricted(kKpEdit, 1), 1);
    s.setRestricted(kKpEdit, 1, false);  // goes to the scratch record
    EXPECT_FALSE(s.commit());
    EXPECT_FALSE(model.exists(EntityKind::User, u"u"));

    CRestrictionsModel closed;
    CEntitySelection none(closed);
    EXPECT_FALSE(none.select(u"u", EntityKind::User)) << "no file open for editing";
}

TEST(EntitySelection, DenyAllDeniesMenusAndInheritAllFallsBackToTheBases)
{
    const std::vector<std::u16string> menus = {u"Menu.File", u"Menu.File.Open"};
    CRestrictionsModel model = modelOf({"[STUDIO \"S\"]", "KP.Edit = 2", "[CLASS \"C\"]", "studio+=\"S\"",
                                        "[USER \"u\"]", "class=\"C\""});
    CEntitySelection s(model);

    ASSERT_TRUE(s.allowAll(u"C", EntityKind::Class, menus));
    ASSERT_TRUE(s.select(u"C", EntityKind::Class));
    EXPECT_EQ(s.featureDenied(kMenusAllKey), 1) << "Allow All leaves the menu master switch off";
    EXPECT_EQ(s.featureIsInherited(kMenusAllKey), 0);
    EXPECT_EQ(s.featureDenied(u"Menu.File.Open"), 0);
    EXPECT_EQ(s.isRestricted(27, 999), 0) << "every resource key, every number";

    ASSERT_TRUE(s.denyAll(u"C", EntityKind::Class, menus));
    ASSERT_TRUE(s.select(u"C", EntityKind::Class));
    EXPECT_EQ(s.featureDenied(kMenusAllKey), 1);
    for (const std::u16string& key : menus) {
        EXPECT_EQ(s.featureDenied(key), 1);
        EXPECT_EQ(s.featureIsInherited(key), 0);
    }
    EXPECT_EQ(s.isRestricted(kKpEdit, 2), 1) << "explicit deny beats the studio";

    ASSERT_TRUE(s.inheritAll(u"C", EntityKind::Class, menus));
    ASSERT_TRUE(s.select(u"C", EntityKind::Class));
    for (int k = 0; k < kResourceKeyCount; ++k) {
        for (std::uint32_t n : {1u, 2u, 500u}) {
            EXPECT_EQ(s.isInherited(k, n), 1);
            EXPECT_EQ(s.isRestricted(k, n), s.inheritedRestricted(k, n));
        }
    }
    for (int i = 0; i < kFeatureKeywordCount; ++i)
        EXPECT_EQ(s.featureIsInherited(i), 1);
    EXPECT_EQ(s.isRestricted(kKpEdit, 2), 0) << "the studio's keypanel again";
}

TEST(EntitySelection, AllowDenyAndInheritAllSurviveWritingAndReading)
{
    const std::vector<std::u16string> menus = {u"Menu.View", u"Menu.View.Toolbar"};
    for (int which = 0; which < 3; ++which) {
        CRestrictionsModel model = modelOf({"[STUDIO \"S\"]", "KP.Edit = 2", "[CLASS \"C\"]", "studio+=\"S\"",
                                            "KP.Edit -= 4", "[USER \"u\"]", "class=\"C\"", "PL.Edit = 3"});
        CEntitySelection s(model);
        const bool ok = which == 0   ? s.allowAll(u"u", EntityKind::User, menus)
                        : which == 1 ? s.denyAll(u"C", EntityKind::Class, menus)
                                     : s.inheritAll(u"u", EntityKind::User, menus);
        ASSERT_TRUE(ok);
        const std::optional<std::string> bytes = restrictionsFileBytes(model);
        ASSERT_TRUE(bytes);
        CRestrictionsModel again;
        ASSERT_TRUE(parseRestrictions(again, *bytes).ok) << *bytes;
        EXPECT_EQ(canonicalDump(again), canonicalDump(model)) << which;
    }
}

TEST(EntitySelection, FeatureLabelsComeFromTheKeywordTable)
{
    EXPECT_EQ(CEntitySelection::featureLabel(0), u"Null assignment (----)");
    EXPECT_EQ(CEntitySelection::featureLabel(158), u"All menu items");
}

TEST(EntitySelection, OwnSettingsBeatTheClassWhichBeatsTheClassStudios)
{
    // u's own deny of 4 (layer 0); C's own deny of 2 and u's studio-= of T (layer 1); C's studio S
    // (layer 2); nothing states 6.
    CRestrictionsModel model = modelOf({"[STUDIO \"S\"]", "KP.Edit = 1-5", "[STUDIO \"T\"]", "KP.Edit = 3",
                                        "[CLASS \"C\"]", "studio+=\"S\"", "KP.Edit -= 2", "[USER \"u\"]",
                                        "class=\"C\"", "studio-=\"T\"", "KP.Edit -= 4"});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    std::string inherited, fromBases;
    for (std::uint32_t n = 1; n <= 6; ++n) {
        inherited += s.isInherited(kKpEdit, n) ? 'i' : 'e';
        fromBases += s.inheritedRestricted(kKpEdit, n) ? 'x' : '.';
    }
    EXPECT_EQ(restrictedRange(s, kKpEdit, 6), ".xxx.x");
    EXPECT_EQ(inherited, "iiieii");
    EXPECT_EQ(fromBases, ".xx..x");
}

TEST(EntitySelection, SetReferenceToAStudioThatDoesNotExistStartsFromNothing)
{
    CRestrictionsModel model = modelOf({"[STUDIO \"S\"]", "KP.Edit = 1-2", "[STUDIO \"T\"]", "KP.Edit = 4",
                                        "[CLASS \"C\"]", "KP.Edit += 3", "[USER \"u\"]", "class=\"C\""});
    model.setStudioRefs(EntityKind::User, u"u",
                        {{u"S", StudioOp::Add}, {u"Nowhere", StudioOp::Set}, {u"T", StudioOp::Add}});
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    EXPECT_EQ(restrictedRange(s, kKpEdit, 5), "xxx.x") << "neither S nor C's own keypanel 3 survive the set";
}

TEST(EntitySelection, AStaleSelectionIsNeverStored)
{
    CRestrictionsModel model = modelOf({"[USER \"u\"]", "KP.Edit += 1", "[USER \"v\"]"});
    CEntitySelection s(model);

    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    ASSERT_TRUE(model.renameUser(u"u", u"w"));
    s.setRestricted(kKpEdit, 1, true);
    EXPECT_FALSE(s.commit()) << "would bring u back beside w";
    EXPECT_FALSE(model.exists(EntityKind::User, u"u"));

    ASSERT_TRUE(s.select(u"v", EntityKind::User));
    ASSERT_TRUE(model.renameUser(u"v", u""));
    EXPECT_FALSE(s.commit());
    EXPECT_FALSE(model.exists(EntityKind::User, u"v"));

    ASSERT_TRUE(s.select(u"w", EntityKind::User));
    s.clear();
    s.setRestricted(kKpEdit, 1, true);
    EXPECT_FALSE(s.commit());
    EXPECT_TRUE(model.getRecord(EntityKind::User, u"w").resourceValue(u"KP.Edit", 1));
}

TEST(EntitySelection, SetAllOperationsThatCannotBeStoredChangeNothing)
{
    const std::vector<std::u16string> menus = {u"Menu.File"};
    struct Case {
        const char* what;
        std::function<void(CRestrictionsModel&)> prepare;
        const char16_t* name;
    };
    const Case cases[] = {
        {"read-only file", [](CRestrictionsModel& m) { m.setReadOnly(true); }, u"u"},
        {"no such user", [](CRestrictionsModel&) {}, u"nobody"},
        {"no file open for editing", [](CRestrictionsModel& m) { m.setDocumentValid(false); }, u"v"},
    };
    for (const Case& c : cases) {
        CRestrictionsModel model = modelOf({"[USER \"u\"]", "KP.Edit += 1", "Icom.Config = N", "[USER \"v\"]"});
        CEntitySelection s(model);
        ASSERT_TRUE(s.select(u"u", EntityKind::User));
        c.prepare(model);
        const std::string before = canonicalDump(model);
        EXPECT_FALSE(s.allowAll(c.name, EntityKind::User, menus)) << c.what;
        EXPECT_FALSE(s.denyAll(c.name, EntityKind::User, menus)) << c.what;
        EXPECT_FALSE(s.inheritAll(c.name, EntityKind::User, menus)) << c.what;
        EXPECT_EQ(canonicalDump(model), before) << c.what;
        EXPECT_FALSE(model.exists(EntityKind::User, u"nobody")) << c.what;
        if (s.hasSelection()) {  // what the list window still shows
            EXPECT_EQ(s.isRestricted(kKpEdit, 2), 1) << c.what;
            EXPECT_EQ(s.featureIsInherited(u"Menu.File"), 1) << c.what;
        }
    }
}

TEST(EntitySelection, AllowAllOnAStudioSetsOnlyWhatItsFileSectionCanHold)
{
    CRestrictionsModel model = modelOf({"[STUDIO \"S\"]", "KP.Edit = 2", "[CLASS \"C\"]", "studio+=\"S\""});
    CEntitySelection s(model);
    ASSERT_TRUE(s.allowAll(u"S", EntityKind::Studio, std::vector<std::u16string>{u"Menu.File"}));
    EXPECT_FALSE(s.inheritAll(u"S", EntityKind::Studio, {})) << "studios do not inherit";

    const auto effective = [](CRestrictionsModel& m) {
        CEntitySelection c(m);
        EXPECT_TRUE(c.select(u"C", EntityKind::Class));
        std::string out = restrictedRange(c, kKpEdit, 3) + restrictedRange(c, 27, 3);
        out += c.featureDenied(u"Icom.Config") ? 'x' : '.';
        out += c.featureDenied(u"Menu.File") ? 'x' : '.';
        return out;
    };
    EXPECT_EQ(effective(model), "......xx") << "every resource of the studio, none of its features";
    const std::optional<std::string> bytes = restrictionsFileBytes(model);
    ASSERT_TRUE(bytes);
    CRestrictionsModel again;
    ASSERT_TRUE(parseRestrictions(again, *bytes).ok) << *bytes;
    EXPECT_EQ(effective(again), effective(model)) << "the same after saving and reading";
}

TEST(EntitySelection, ChangesOutsideTheKeyTablesAreDropped)
{
    CRestrictionsModel model = modelOf({"[USER \"u\"]", "IFBSL.Trunk.Tally = Y", "KP.Edit += 1"});
    const std::string before = canonicalDump(model);
    CEntitySelection s(model);
    ASSERT_TRUE(s.select(u"u", EntityKind::User));
    for (const int k : {-1, kResourceKeyCount, 1000}) {
        s.setRestricted(k, 1, false);
        s.setInherit(k, 1, false);
        EXPECT_EQ(s.isRestricted(k, 1), 1);
        EXPECT_EQ(s.isInherited(k, 1), 1);
    }
    for (const int i : {-1, kFeatureKeywordCount, 1000}) {
        s.setFeatureDenied(i, true);
        s.setFeatureInherit(i, false);
        EXPECT_EQ(s.featureDenied(i), 1);
        EXPECT_EQ(s.featureIsInherited(i), 1);
        EXPECT_TRUE(CEntitySelection::featureLabel(i).empty());
    }
    s.setFeatureDenied(u"", false);
    s.setFeatureInherit(u"", false);
    s.setRestricted(kKpEdit, 0, true);
    s.setInherit(kKpEdit, 0, false);
    ASSERT_TRUE(s.commit());
    EXPECT_EQ(canonicalDump(model), before);
    EXPECT_EQ(s.featureDenied(kFeatureKeywordCount - 1), 0) << "the last feature is untouched";
    EXPECT_EQ(s.isRestricted(kKpEdit, 1), 0);
    const std::optional<std::string> bytes = restrictionsFileBytes(model);
    ASSERT_TRUE(bytes);
    CRestrictionsModel again;
    EXPECT_TRUE(parseRestrictions(again, *bytes).ok) << *bytes;
}
