#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionRecord.h"

namespace vexilor {
namespace {

TEST(RestrictionRecord, MissingKeysReadFalseAndTheFourMapsAreIndependent)
{
    CRestrictionRecord r;
    EXPECT_TRUE(r.empty());
    EXPECT_FALSE(r.featureValue(u"KP.Alphas"));
    EXPECT_FALSE(r.featureExplicit(u"KP.Alphas"));
    EXPECT_FALSE(r.resourceValue(u"KP.Edit", 1));
    EXPECT_FALSE(r.resourceExplicit(u"KP.Edit", 1));

    r.setFeature(u"KP.Alphas", true);
    EXPECT_TRUE(r.featureValue(u"KP.Alphas"));
    EXPECT_FALSE(r.findFeatureExplicit(u"KP.Alphas").has_value());
    r.setFeatureExplicit(u"Menus.All", false);
    EXPECT_EQ(r.findFeatureExplicit(u"Menus.All"), std::optional<bool>(false));
    EXPECT_FALSE(r.findFeature(u"Menus.All").has_value());

    // Values without marks: not explicit for any resource.
    r.setResources(u"KP.Edit", CAccessSet::uniform(true));
    EXPECT_TRUE(r.resourceValue(u"KP.Edit", 7));
    EXPECT_FALSE(r.resourceExplicit(u"KP.Edit", 7));
    EXPECT_EQ(r.findResourceExplicit(u"KP.Edit"), nullptr);
    r.markAllExplicit(u"PL.Edit");
    EXPECT_TRUE(r.resourceExplicit(u"PL.Edit", 3));
    EXPECT_EQ(r.findResources(u"PL.Edit"), nullptr);
    r.dropExplicit(u"PL.Edit");
    EXPECT_FALSE(r.resourceExplicit(u"PL.Edit", 3));
}

TEST(RestrictionRecord, ResourceOperationsStartFromAnEmptySetOrLeaveMissingOnesAlone)
{
    CRestrictionRecord r;
    CAccessSet three;
    three.set(3, true);
    r.removeResources(u"KP.Edit", three);
    EXPECT_EQ(r.findResources(u"KP.Edit"), nullptr);
    r.addResources(u"KP.Edit", three);
    EXPECT_TRUE(r.resourceValue(u"KP.Edit", 3));
    EXPECT_FALSE(r.resourceValue(u"KP.Edit", 2));
    r.setResource(u"KP.Edit", 2, true);
    r.removeResources(u"KP.Edit", three);
    EXPECT_TRUE(r.resourceValue(u"KP.Edit", 2));
    EXPECT_FALSE(r.resourceValue(u"KP.Edit", 3));

    r.markInherited(u"IFB.Edit", three);
    EXPECT_NE(r.findResourceExplicit(u"IFB.Edit"), nullptr);
    r.markExplicit(u"IFB.Edit", three);
    r.setResourceExplicit(u"IFB.Edit", 5, true);
    EXPECT_TRUE(r.resourceExplicit(u"IFB.Edit", 3));
    EXPECT_TRUE(r.resourceExplicit(u"IFB.Edit", 5));
    EXPECT_FALSE(r.resourceExplicit(u"IFB.Edit", 4));
    r.markAllExplicit(u"IFB.Edit");
    r.markInherited(u"IFB.Edit", three);
    EXPECT_FALSE(r.resourceExplicit(u"IFB.Edit", 3));
    EXPECT_TRUE(r.resourceExplicit(u"IFB.Edit", 4000));
}

TEST(RestrictionRecord, KeysIterateInOrdinalOrder)
{
    CRestrictionRecord r;
    const std::vector<std::u16string> keys = {u"a", u"\u20ac", u"B", u"\u00e9", u"A.b", u"A", u"z"};
    for (const auto& k : keys) {
        r.setFeature(k, true);
        r.setResource(k, 1, true);
        r.setResourceExplicit(k, 1, true);
    }
    const std::vector<std::u16string> ordered = {u"A", u"A.b", u"B", u"a", u"z", u"\u00e9", u"\u20ac"};
    std::vector<std::u16string> features, values, marks;
    r.forEachFeature([&](std::u16string_view k, bool) { features.emplace_back(k); });
    r.forEachResources([&](std::u16string_view k, const CAccessSet&) { values.emplace_back(k); });
    r.forEachResourceExplicit([&](std::u16string_view k, const CAccessSet&) { marks.emplace_back(k); });
    EXPECT_EQ(features, ordered);
    EXPECT_EQ(values, ordered);
    EXPECT_EQ(marks, ordered);
}

// Features set as a batch end exactly as when set one at a time: key order, the later of two
// entries for a key winning, and entries the record had before (explicit or not) replaced.
TEST(RestrictionRecord, FeaturesSetAsABatchEqualFeaturesSetOneByOne)
{
    using Batch = std::vector<std::pair<std::u16string_view, bool>>;
    const Batch batches[] = {
        {},
        {{u"b", true}, {u"a", false}, {u"\u20ac", true}, {u"\u00e9", false}, {u"A.b", true}},
        {{u"x", true}, {u"y", true}, {u"x", false}, {u"x", true}, {u"y", false}},
        {{u"keep", false}, {u"A", true}, {u"keep", true}},
    };
    for (const Batch& batch : batches) {
        CRestrictionRecord oneByOne;
        oneByOne.setFeature(u"keep", false);
        oneByOne.setFeatureExplicit(u"m", true);
        CRestrictionRecord batched = oneByOne;
        for (const auto& [key, value] : batch)
            oneByOne.setExplicitFeature(key, value);
        batched.setExplicitFeatures(batch);

        std::vector<std::tuple<std::u16string, std::optional<bool>, std::optional<bool>>> a, b;
        oneByOne.forEachFeatureEntry([&](std::u16string_view k, auto v, auto e) { a.emplace_back(k, v, e); });
        batched.forEachFeatureEntry([&](std::u16string_view k, auto v, auto e) { b.emplace_back(k, v, e); });
        EXPECT_EQ(a, b) << batch.size();
        // Lookups answer from the batched record as well as iteration does.
        for (const auto& [key, value] : batch)
            EXPECT_EQ(batched.findFeature(key), oneByOne.findFeature(key));
    }
}

// Features put by their place among the known keys read, copy and take later lines exactly like
// features put by their text; a later line of a key wins also when the first came by place.
TEST(RestrictionRecord, KnownFeaturesByPlaceEqualFeaturesByText)
{
    const auto keys = featureKeysInOrder();
    const std::vector<std::pair<std::uint32_t, bool>> places = {
        {0, true}, {5, false}, {6, true}, {static_cast<std::uint32_t>(keys.size() - 1), false}};
    std::vector<std::pair<std::u16string_view, bool>> texts;
    for (const auto& [place, value] : places)
        texts.emplace_back(keys[place], value);
    CRestrictionRecord byPlace;
    byPlace.setExplicitKnownFeatures(places);
    CRestrictionRecord byText;
    byText.setExplicitFeatures(texts);

    // Then a batch by text over both: one key again with the other value, and an unknown key.
    const std::vector<std::pair<std::u16string_view, bool>> later = {{keys[5], true},
                                                                     {u"Zz.Custom", true}};
    CRestrictionRecord copied = byPlace;
    for (CRestrictionRecord* r : {&byPlace, &byText, &copied})
        r->setExplicitFeatures(later);
    CRestrictionRecord byPlaceAgain;
    byPlaceAgain.setExplicitFeature(keys[6], false);
    byPlaceAgain.setExplicitKnownFeatures(places);  // on a record with features: by text

    using Entry = std::tuple<std::u16string, std::optional<bool>, std::optional<bool>>;
    auto entries = [](const CRestrictionRecord& r) {
        std::vector<Entry> e;
        r.forEachFeatureEntry(
            [&](std::u16string_view k, auto v, auto x) { e.emplace_back(k, v, x); });
        return e;
    };
    EXPECT_EQ(entries(byPlace), entries(byText));
    EXPECT_EQ(entries(copied), entries(byText));
    EXPECT_EQ(byPlace.findFeature(keys[5]), std::optional<bool>(true));
    EXPECT_EQ(byPlace.findFeature(keys[0]), std::optional<bool>(true));
    EXPECT_FALSE(byPlace.findFeature(keys[1]).has_value());
    EXPECT_EQ(byPlaceAgain.findFeature(keys[6]), std::optional<bool>(true));
    EXPECT_EQ(byPlaceAgain.featureCount(), places.size());
}

TEST(RestrictionRecord, LookupsStayRightWhileKeysAreInsertedAroundTheLastOneLookedUp)
{
    CRestrictionRecord r;
    r.setResource(u"M", 1, true);
    EXPECT_TRUE(r.resourceValue(u"M", 1));  // M is now the cached key
    // Keys sorted before M move it; the answers must follow the key, not the position.
    for (const char16_t* k : {u"A", u"B", u"C"}) {
        r.setResource(k, 1, false);
        r.setResourceExplicit(k, 2, true);
        EXPECT_TRUE(r.resourceValue(u"M", 1)) << static_cast<char>(k[0]);
        EXPECT_FALSE(r.resourceValue(k, 1));
        EXPECT_FALSE(r.resourceExplicit(u"M", 2));
    }
    r.dropExplicit(u"A");
    EXPECT_TRUE(r.resourceValue(u"M", 1));
    EXPECT_FALSE(r.resourceValue(u"A", 1));
    EXPECT_NE(r.findResources(u"A"), nullptr);
}

TEST(RestrictionRecord, KeysAddedInAnyOrderIterateInKeyOrderAndSurviveErasing)
{
    CRestrictionRecord r;
    const std::u16string keys[] = {u"PL.Edit", u"KP.Edit", u"ISO.Edit", u"AD.Edit", u"UR.Edit",
                                   u"IFB.Edit", u"DI.Edit"};
    for (std::uint32_t i = 0; i < std::size(keys); ++i) {
        r.markAllExplicit(keys[i]);
        if (i % 2 == 0)
            r.setResource(keys[i], i + 1, true);
    }
    // Marks only: dropping them erases the key, and the entries added after it stay reachable.
    r.dropExplicit(u"KP.Edit");
    r.dropExplicit(u"ISO.Edit");  // keeps its values
    std::vector<std::u16string> order;
    r.forEachResourceEntry([&](std::u16string_view key, const CAccessSet*, const CAccessSet*) {
        order.emplace_back(key);
    });
    EXPECT_EQ(order, (std::vector<std::u16string>{u"AD.Edit", u"DI.Edit", u"IFB.Edit", u"ISO.Edit",
                                                  u"PL.Edit", u"UR.Edit"}));
    for (std::uint32_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(r.resourceValue(keys[i], i + 1), i % 2 == 0) << i;
        EXPECT_EQ(r.resourceExplicit(keys[i], 1), i != 1 && i != 2) << i;
    }
    r.markAllExplicit(u"KP.Edit");
    EXPECT_TRUE(r.resourceExplicit(u"KP.Edit", 9));
    EXPECT_TRUE(r.resourceValue(u"UR.Edit", 5));
}

TEST(RestrictionRecord, CopiesAreIndependentValues)
{
    CRestrictionRecord a;
    a.setExplicitFeature(u"KP.Alphas", true);
    a.setResource(u"KP.Edit", 4, true);
    CRestrictionRecord b = a;
    b.setResource(u"KP.Edit", 4, false);
    b.setFeature(u"KP.Alphas", false);
    b.setFeature(u"New.Key", true);
    EXPECT_TRUE(a.resourceValue(u"KP.Edit", 4));
    EXPECT_TRUE(a.featureValue(u"KP.Alphas"));
    EXPECT_FALSE(a.findFeature(u"New.Key").has_value());

    CRestrictionRecord c;
    c.assignMaps(b);
    EXPECT_FALSE(c.resourceValue(u"KP.Edit", 4));
    EXPECT_TRUE(c.featureValue(u"New.Key"));
    EXPECT_TRUE(c.featureExplicit(u"KP.Alphas"));
}

}  // namespace
}  // namespace vexilor
