#include "restrictions/AccessExplanation.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsParser.h"
#include "text/Windows1252.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vexilor;

namespace {

constexpr int kKpEdit = 0;

CRestrictionsModel modelOf(const std::string& lines)
{
    CRestrictionsModel model;
    std::string text;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = lines.find('\n', start);
        text += lines.substr(start, end - start) + "\r\n";
        start = end == std::string::npos ? lines.size() : end + 1;
    }
    const RestrictionsParseResult result = parseRestrictions(model, text);
    EXPECT_TRUE(result.ok) << result.errorText;
    return model;
}

const std::string kStudios =
    "[STUDIO \"News\"]\nKP.Edit = 1-4\n"
    "[STUDIO \"Sport\"]\nKP.Edit = 2\n";

struct Case {
    const char* what;
    std::string file;
    EntityKind kind;
    const char* name;
    std::uint32_t keypanel;  // 0: the feature Icom.Config instead
    const char* expected;    // explanationText
};

}  // namespace

TEST(AccessExplanation, NamesTheLayerAndStepThatDecided)
{
    const Case cases[] = {
        {"user's own setting", kStudios + "[USER \"u\"]\nKP.Edit -= 3\n", EntityKind::User, "u", 3,
         "Denied by the user's own setting."},
        {"class setting reaches the user", "[CLASS \"C\"]\nKP.Edit += 3\n[USER \"u\"]\nclass=\"C\"\n",
         EntityKind::User, "u", 3, "Allowed by the own setting of class \"C\"."},
        {"class setting overridden by the user",
         "[CLASS \"C\"]\nKP.Edit += 3\n[USER \"u\"]\nclass=\"C\"\nKP.Edit -= 3\n", EntityKind::User, "u", 3,
         "Denied by the user's own setting."},
        {"studio added by the user", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio-=\"Sport\"\n",
         EntityKind::User, "u", 3, "Allowed through studio \"News\" added at position 1 of the studios of user \"u\"."},
        {"studio removed by the user", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio-=\"Sport\"\n",
         EntityKind::User, "u", 2, "Denied through studio \"Sport\" removed at position 2 of the studios of user \"u\"."},
        {"studio added to the user's class",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User, "u", 4,
         "Allowed through studio \"News\" added at position 1 of the studios of class \"C\"."},
        {"studio added to the class itself", kStudios + "[CLASS \"C\"]\nstudio+=\"Sport\"\nstudio+=\"News\"\n",
         EntityKind::Class, "C", 2, "Allowed through studio \"Sport\" added at position 1 of the studios of class \"C\"."},
        {"class setting beats the studios of the user's class",
         kStudios + "[CLASS \"C\"]\nstudio+=\"News\"\nKP.Edit -= 1\n[USER \"u\"]\nclass=\"C\"\n",
         EntityKind::User, "u", 1, "Denied by the own setting of class \"C\"."},
        {"a set reference replaces what came before", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio=\"Sport\"\n",
         EntityKind::User, "u", 2, "Allowed through studio \"Sport\" set at position 2 of the studios of user \"u\"."},
        {"nothing survives a set reference", kStudios + "[USER \"u\"]\nstudio+=\"News\"\nstudio=\"Sport\"\n",
         EntityKind::User, "u", 3, "Denied by default: nothing allows it."},
        {"nothing at all", "[USER \"u\"]\n", EntityKind::User, "u", 7, "Denied by default: nothing allows it."},
        {"beyond the studio's range", kStudios + "[USER \"u\"]\nstudio+=\"News\"\n", EntityKind::User, "u", 5,
         "Denied by default: nothing allows it."},
        {"feature of the class", "[CLASS \"C\"]\nIcom.Config = Y\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User,
         "u", 0, "Allowed by the own setting of class \"C\"."},
        {"feature nobody sets", "[CLASS \"C\"]\n[USER \"u\"]\nclass=\"C\"\n", EntityKind::User, "u", 0,
         "Denied by default: nothing allows it."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRestrictionsModel model = modelOf(c.file);
        CEntitySelection selection(model);
        ASSERT_TRUE(selection.select(text::fromUtf8(c.name), c.kind));
        const AccessExplanation why = c.keypanel ? explainResource(model, selection, kKpEdit, c.keypanel)
                                                 : explainFeature(model, selection, u"Icom.Config");
        EXPECT_EQ(text::toUtf8(explanationText(why, c.kind)), c.expected);
        const int denied = c.keypanel ? selection.isRestricted(kKpEdit, c.keypanel) : selection.featureDenied(u"Icom.Config");
        EXPECT_EQ(why.denied, denied != 0);
    }
}

TEST(AccessExplanation, FollowsUnsavedChangesOfTheSelectedEntity)
{
    CRestrictionsModel model = modelOf(kStudios + "[USER \"u\"]\nstudio+=\"News\"\n");
    CEntitySelection selection(model);
    ASSERT_TRUE(selection.select(u"u", EntityKind::User));
    selection.setRestricted(kKpEdit, 1, true);
    selection.setInherit(kKpEdit, 1, false);
    const AccessExplanation why = explainResource(model, selection, kKpEdit, 1);
    EXPECT_EQ(why.source, AccessSource::Own);
    EXPECT_TRUE(why.denied);
}

TEST(AccessExplanation, NothingSelectedOrOutsideTheTablesIsTheDefaultDeny)
{
    CRestrictionsModel model = modelOf("[USER \"u\"]\nKP.Edit += 1\n");
    CEntitySelection selection(model);
    EXPECT_EQ(explainResource(model, selection, kKpEdit, 1).source, AccessSource::Default);
    ASSERT_TRUE(selection.select(u"u", EntityKind::User));
    EXPECT_EQ(explainResource(model, selection, -1, 1).source, AccessSource::Default);
    EXPECT_EQ(explainResource(model, selection, kResourceKeyCount, 1).source, AccessSource::Default);
    EXPECT_EQ(explainResource(model, selection, kKpEdit, 0).source, AccessSource::Default);
    EXPECT_EQ(explainFeature(model, selection, u"").source, AccessSource::Default);
}

// Over generated models, the explanation always agrees with the queries, and names only studios and
// owners that exist in the chain.
TEST(AccessExplanation, AgreesWithTheQueriesOnGeneratedModels)
{
    std::mt19937 rng(20261210);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto range = [&] {
        const int a = 1 + pick(8);
        return std::to_string(a) + "-" + std::to_string(a + pick(4));
    };
    const char* ops[] = {"+=", "-=", "="};
    const char* setOps[] = {"+=", "-=", "="};
    for (int round = 0; round < 300; ++round) {
        std::string file;
        for (const char* s : {"A", "B", "C"})
            file += std::string("[STUDIO \"") + s + "\"]\nKP.Edit = " + range() + "\n";
        file += "[CLASS \"K\"]\n";
        for (int i = pick(3); i > 0; --i)
            file += std::string("studio") + ops[pick(3)] + "\"" + "ABC"[pick(3)] + "\"\n";
        if (pick(2))
            file += std::string("KP.Edit ") + setOps[pick(2)] + " " + range() + "\n";
        file += "[USER \"u\"]\n";
        if (pick(4))
            file += "class=\"K\"\n";
        for (int i = pick(3); i > 0; --i)
            file += std::string("studio") + ops[pick(3)] + "\"" + "ABC"[pick(3)] + "\"\n";
        if (pick(2))
            file += std::string("KP.Edit ") + setOps[pick(2)] + " " + range() + "\n";
        SCOPED_TRACE(file);
        CRestrictionsModel model = modelOf(file);
        CEntitySelection selection(model);
        for (auto [kind, name] : {std::pair{EntityKind::User, u"u"}, std::pair{EntityKind::Class, u"K"}}) {
            ASSERT_TRUE(selection.select(name, kind));
            for (std::uint32_t n = 1; n <= 14; ++n) {
                const AccessExplanation why = explainResource(model, selection, kKpEdit, n);
                ASSERT_EQ(why.denied, selection.isRestricted(kKpEdit, n) != 0) << "keypanel " << n;
                ASSERT_EQ(why.source == AccessSource::Own, selection.isInherited(kKpEdit, n) == 0) << "keypanel " << n;
                if (why.source == AccessSource::StudioRef) {
                    const auto refs = model.studioRefs(why.listOwnerKind, why.listOwner);
                    ASSERT_LE(why.position, refs.size());
                    ASSERT_GE(why.position, 1u);
                    EXPECT_EQ(refs[why.position - 1].studio, why.studio);
                }
            }
        }
    }
}
