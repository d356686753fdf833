#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsCrc.h"

namespace vexilor {
namespace {

TEST(RestrictionKeywords, EntriesThatAreEasyToGetWrong)
{
    struct Entry {
        int index;
        std::u16string_view key;
        std::u16string_view label;
    };
    const Entry entries[] = {
        {1, u"SF.NULL.Assign", u"Null assignment (----)"},
        {27, u"Clear.Bad.Cut.Status", u"Clear \"Bad Cut\" status"},
        {32, u"KP.Alphas", u"Alpha"},
        {37, u"KP.Vreledit.Scroll", u"Tovrin Scroll"},
        {106, u"ISO.Self", u"\"ISO Self\" flag"},
        {159, u"Menus.All", u"All menu items"},
        {164, u"Trunk.Assign", u"Remote (trunked) assignments "},
        {186, u"KP.Alphas", u"Output Alpha"},
        {216, u"EthernetLinks.Reset", u"Reset Etherent Links"},
        {220, u"IFBSL.Trunk.Tally", u"Trunk tally"},
        {221, u"KP.Edit", u""},
        {238, u"IO.Edit", u""},
        {239, u"KP.Assign", u""},
        {248, u"UR.Assign", u""},
        {0, u"", u""},
        {249, u"", u""},
    };
    for (const Entry& e : entries) {
        EXPECT_EQ(restrictionKeyword(e.index).key, e.key) << e.index;
        EXPECT_EQ(restrictionKeyword(e.index).label, e.label) << e.index;
    }
    EXPECT_EQ(featureKey(158), kMenusAllKey);
    EXPECT_EQ(findRestrictionKeyword(u"KP.Alphas"), 32);
    EXPECT_EQ(findRestrictionKeyword(u"kp.alphas"), 0);
}

// Every feature key has a place in the ordinal order of the keys, found from its bytes; bytes that
// spell no feature key have none.
TEST(RestrictionKeywords, FeatureKeysHaveTheirPlaceInKeyOrder)
{
    const std::span<const std::u16string_view> keys = featureKeysInOrder();
    ASSERT_EQ(keys.size(), static_cast<std::size_t>(kFeatureKeywordCount - 1));
    for (std::size_t place = 1; place < keys.size(); ++place)
        EXPECT_LT(keys[place - 1], keys[place]) << place;
    for (int i = 0; i < kFeatureKeywordCount; ++i) {
        const std::string bytes(featureKey(i).begin(), featureKey(i).end());
        const int place = featureKeyPlace(bytes);
        ASSERT_GE(place, 0) << bytes;
        EXPECT_EQ(keys[static_cast<std::size_t>(place)], featureKey(i)) << bytes;
    }
    for (const std::string& bytes : std::vector<std::string>{"", "kp.alphas", "KP.Alphas ", "KP.Alpha", "P.Alphas", "KP.Edit",
                                    "KP.Alphas\xe9", "KP.Alphas.Scroll", std::string(300, 'K')}) {
        EXPECT_EQ(featureKeyPlace(bytes), -1) << bytes;
    }
}

TEST(RestrictionKeywords, FeaturesHaveLabelsAndEveryKeyButOneIsUnique)
{
    std::set<std::u16string_view> keys;
    for (int i = 1; i <= kRestrictionKeywordCount; ++i) {
        const RestrictionKeyword& e = restrictionKeyword(i);
        EXPECT_FALSE(e.key.empty()) << i;
        EXPECT_EQ(e.label.empty(), i > kFeatureKeywordCount) << i;
        keys.insert(e.key);
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kRestrictionKeywordCount - 1));
}

TEST(ResourceTypes, LabelsIdsAndKeywordsOfTheIrregularTypes)
{
    EXPECT_EQ(resourceTypeInfo(3).plural, u"IFB Special Lists");
    EXPECT_EQ(resourceTypeInfo(3).pluralId, 3180);
    EXPECT_EQ(resourceTypeInfo(15).plural, u"Skelbys");
    EXPECT_EQ(resourceTypeInfo(15).pluralId, 3187);
    EXPECT_EQ(resourceTypeInfo(15).singularId, 3186);
    EXPECT_EQ(resourceTypeInfo(17).singular, u"I/O Card");
    EXPECT_EQ(editKeyword(14), u"Dorn.Edit");
    EXPECT_EQ(assignKeyword(3), u"IFBSL.Assign");
    EXPECT_EQ(assignKeyword(10), u"AD.Assign");
    for (const int none : {7, 9, 12, 13, 14, 15, 16, 17})
        EXPECT_TRUE(assignKeyword(none).empty()) << none;
    EXPECT_TRUE(resourceTypeInfo(18).plural.empty());
    for (int k = 0; k < kResourceKeyCount; ++k)
        EXPECT_EQ(resourceKeyName(k), restrictionKeyword(kFirstEditKeyword + k).key);
}

TEST(ResourceTypes, SaveOrderIsEditThenAssignPerType)
{
    std::vector<std::u16string_view> keys;
    std::vector<int> types;
    for (const TypedResourceKey& k : resourceKeysInTypeOrder()) {
        keys.push_back(k.key);
        types.push_back(k.type);
    }
    ASSERT_EQ(keys.size(), 28u);
    EXPECT_EQ(std::vector<std::u16string_view>(keys.begin(), keys.begin() + 9),
              (std::vector<std::u16string_view>{u"KP.Edit", u"KP.Assign", u"PL.Edit", u"PL.Assign",
                                                u"IFB.Edit", u"IFB.Assign", u"IFBSL.Edit",
                                                u"IFBSL.Assign", u"SL.Edit"}));
    EXPECT_EQ(keys[14], u"DI.Edit");
    EXPECT_EQ(keys[15], u"GRP.Edit");
    EXPECT_EQ(keys.back(), u"IO.Edit");
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end()));
}

TEST(RestrictionsCrc, CheckValues)
{
    CRestrictionsCrc crc;
    EXPECT_EQ(crc.value(), 0x53e5);
    crc.update(u"abc\n");
    EXPECT_EQ(crc.value(), 0x1666);
    // Only the low byte of a code unit counts.
    CRestrictionsCrc wide;
    wide.update(u"\u0161\u0262c\u010a");
    EXPECT_EQ(wide.value(), 0x1666);
    crc.reset();
    EXPECT_EQ(crc.value(), 0x53e5);
}

TEST(RestrictionsCrc, LongInputsMatchTheBitwiseDefinition)
{
    std::vector<std::uint8_t> data(1000);
    std::uint32_t x = 7;
    for (std::uint8_t& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 23);
    }
    for (const std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 999u, 1000u}) {
        unsigned reg = 0xE553;
        for (std::size_t i = 0; i < length; ++i) {
            reg ^= data[i];
            for (int bit = 0; bit < 8; ++bit)
                reg = (reg & 1) ? (reg >> 1) ^ 0xA001 : reg >> 1;
        }
        CRestrictionsCrc crc;
        crc.update(data.data(), length);
        EXPECT_EQ(crc.value(), ((reg & 0xFF) << 8) | (reg >> 8)) << length;
    }
}

}  // namespace
}  // namespace vexilor
