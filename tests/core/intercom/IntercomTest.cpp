#include "intercom/Intercom.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "intercom/Capabilities.h"

namespace vexilor {
namespace {

TEST(Intercom, NewConfigurationHoldsTheDefaults)
{
    const CIntercom icom;
    const std::uint16_t expectedCounts[restype::kCount] = {
        136, 96, 64, 32, 64, 96, 64, 96, 0, 32, 64, 120, 256, 32, 15, 15, 15, 17, 0, 0};
    for (unsigned type = 0; type < restype::kCount; ++type) {
        EXPECT_EQ(icom.Count(type), expectedCounts[type]) << "type " << type;
    }
    EXPECT_EQ(icom.Count(20), 0);
    EXPECT_EQ(icom.Count(0xFFFF), 0);
    EXPECT_EQ(icom.formatWord, 7);
    EXPECT_EQ(icom.frameCount, 1);
    EXPECT_EQ(icom.gpiCardCount, 6);
    EXPECT_EQ(icom.alphaSize, 4);
    EXPECT_EQ(icom.optionFlags, 0);
    EXPECT_EQ(icom.spareCount1, 10);
    EXPECT_EQ(icom.spareCount2, 10);
    EXPECT_EQ(icom.spareCount3, 4);
    EXPECT_EQ(icom.sizeReportWord, 0);
    EXPECT_EQ(icom.sizeReportVersion, 0);
    EXPECT_TRUE(icom.alphas.empty());
    EXPECT_TRUE(icom.descriptions.empty());
    EXPECT_TRUE(icom.messages.empty());
    EXPECT_TRUE(icom.name.empty());
    EXPECT_FALSE(icom.partnerActive);
    EXPECT_EQ(icom.capabilities.count(), 133u);
    EXPECT_TRUE(icom.HasCapability(0));
    EXPECT_FALSE(icom.HasCapability(4));
    EXPECT_FALSE(icom.HasCapability(133));
    EXPECT_FALSE(icom.HasInputAlphas());
}

TEST(Intercom, SetCountSetsTheFieldOfItsTypeOnly)
{
    for (unsigned type = 0; type <= 16; ++type) {
        CIntercom icom;
        const CIntercom before;
        icom.SetCount(type, 1000);
        for (unsigned other = 0; other <= 17; ++other) {
            const bool shared = type >= 14 && other >= 14 && other <= 16;
            const std::uint16_t expected = (other == type || shared) ? 1000 : before.Count(other);
            EXPECT_EQ(icom.Count(other), expected)
                << "set type " << type << ", read type " << other;
        }
    }
    for (unsigned ignored : {17u, 18u, 19u, 20u, 1000u}) {
        CIntercom reference;
        reference.capabilities.set(cap::NoInputAlphas);
        reference.optionFlags = kOptionInputAlphas;
        CIntercom icom = reference;
        icom.SetCount(ignored, 5);
        EXPECT_TRUE(icom.SameConfiguration(reference)) << "type " << ignored;
        EXPECT_EQ(icom.Count(ignored), reference.Count(ignored)) << "type " << ignored;
    }
}

TEST(Intercom, GpiCardCountFollowsTheLargerGpiCount)
{
    const struct {
        std::uint16_t outputs;
        std::uint16_t inputs;
        std::uint16_t cards;
    } cases[] = {{100, 96, 7}, {96, 100, 7}, {96, 96, 6}, {0, 0, 0},
                 {16, 0, 1},   {17, 0, 2},   {0, 33, 3},  {65535, 1, 4096}};
    for (const auto& c : cases) {
        CIntercom icom;
        icom.SetCount(restype::kGpiOutput, c.outputs);
        icom.SetCount(restype::kGpiInput, c.inputs);
        EXPECT_EQ(icom.gpiCardCount, c.cards) << c.outputs << " outputs, " << c.inputs << " inputs";
    }
}

TEST(Intercom, InputAlphasNeedCapability31AndOptionBit)
{
    const struct {
        std::uint32_t capabilityBits;
        bool capability31;
        std::uint16_t options;
        bool expected;
    } cases[] = {
        {133, true, 0x20, true},  {133, true, 0xFFFF, true}, {133, false, 0x20, false},
        {133, true, 0x00, false}, {133, true, 0xFFDF, false}, {32, true, 0x20, true},
        {31, true, 0x20, false},  {0, true, 0x20, false},
    };
    for (const auto& c : cases) {
        CIntercom icom;
        icom.capabilities.setSize(c.capabilityBits);
        icom.capabilities.setBit(cap::NoInputAlphas, c.capability31);
        icom.optionFlags = c.options;
        EXPECT_EQ(icom.HasInputAlphas(), c.expected)
            << c.capabilityBits << " bits, options " << c.options;
        EXPECT_EQ(icom.IsTypeAvailable(restype::kInputAlpha), c.expected);
        EXPECT_EQ(icom.Count(restype::kInputAlpha), c.expected ? 136 : 0);
    }
}

TEST(Intercom, TypeAvailabilityFollowsCountsAndCapabilities)
{
    using Change = std::function<void(CIntercom&)>;
    const auto without = [](unsigned capability) {
        return Change([capability](CIntercom& c) { c.capabilities.clear(capability); });
    };
    const auto with = [](unsigned capability) {
        return Change([capability](CIntercom& c) { c.capabilities.set(capability); });
    };
    const struct {
        const char* what;
        Change change;
        unsigned type;
        bool expected;
    } cases[] = {
        {"default keypanels", [](CIntercom&) {}, 0, true},
        {"keypanels without any", [](CIntercom& c) { c.keypanelCount = 0; }, 0, true},
        {"no-resources type", [](CIntercom& c) { c.capabilities.setSize(0); }, 18, true},
        {"default IFB special lists", [](CIntercom&) {}, 3, true},
        {"IFB special lists without capability", without(cap::NoIFBSpecialLists), 3, false},
        {"IFB special lists, count 0", [](CIntercom& c) { c.ifbSpecialListCount = 0; }, 3, false},
        {"default groups (count 0)", [](CIntercom&) {}, 8, false},
        {"groups", [](CIntercom& c) { c.groupCount = 1; }, 8, true},
        {"assignment groups without capability", without(cap::NoAssignmentGroups), 9, false},
        {"assignment groups, count 0", [](CIntercom& c) { c.assignmentGroupCount = 0; }, 9, false},
        {"auto dials", [](CIntercom&) {}, 10, true},
        {"auto dials without capability", without(cap::NoAutoDial), 10, false},
        {"auto dials, count 0", [](CIntercom& c) { c.autoDialCount = 0; }, 10, false},
        {"UPL resources", [](CIntercom&) {}, 11, true},
        {"UPL resources without statements",
         [](CIntercom& c) { c.uplStatementCount = 0; }, 11, false},
        {"UPL resources, count 0, statements left",
         [](CIntercom& c) { c.uplResourceCount = 0; }, 11, true},
        {"UPL without capability", without(cap::NoUserProgrammableLogic), 11, false},
        {"UPL statements without capability", without(cap::NoUserProgrammableLogic), 12, false},
        {"UPL statements, count 0", [](CIntercom& c) { c.uplStatementCount = 0; }, 12, false},
        {"dim tables", [](CIntercom&) {}, 13, true},
        {"dim tables, count 0", [](CIntercom& c) { c.dimTableCount = 0; }, 13, false},
        {"Dornets", [](CIntercom&) {}, 14, true},
        {"Dornets without capability", without(cap::NoDornetSupport), 14, false},
        {"Dornets without panels", [](CIntercom& c) { c.panelCount = 0; }, 14, true},
        {"Skelbys", [](CIntercom&) {}, 15, true},
        {"Skelbys without capability", without(cap::NoConfigurableSkelby), 15, false},
        {"Fennbys", [](CIntercom&) {}, 16, true},
        {"Fennbys without capability", without(cap::NoConfigurableFennby), 16, false},
        {"I/O cards", [](CIntercom&) {}, 17, true},
        {"I/O cards without capability", without(cap::NoIOCardDescriptions), 17, false},
        {"input alphas, capability only", with(cap::NoInputAlphas), 19, false},
        {"beyond the types", [](CIntercom&) {}, 20, false},
    };
    for (const auto& c : cases) {
        CIntercom icom;
        c.change(icom);
        EXPECT_EQ(icom.IsTypeAvailable(c.type), c.expected) << c.what;
    }
}

TEST(Intercom, SameConfigurationComparesTheSizeSignatureAndCapabilities)
{
    using Field = std::uint16_t CIntercom::*;
    const Field signature[] = {
        &CIntercom::formatWord,        &CIntercom::keypanelCount,    &CIntercom::partyLineCount,
        &CIntercom::ifbCount,          &CIntercom::specialListCount, &CIntercom::gpiOutputCount,
        &CIntercom::isoCount,          &CIntercom::uplResourceCount, &CIntercom::groupCount,
        &CIntercom::autoDialCount,     &CIntercom::assignmentGroupCount,
        &CIntercom::ifbSpecialListCount, &CIntercom::spareCount1,    &CIntercom::gpiInputCount,
        &CIntercom::spareCount2,       &CIntercom::uplStatementCount, &CIntercom::dimTableCount,
        &CIntercom::spareCount3,       &CIntercom::frameCount,       &CIntercom::ioCardCount,
        &CIntercom::panelCount,        &CIntercom::gpiCardCount,     &CIntercom::alphaSize,
        &CIntercom::optionFlags,
    };
    const CIntercom base;
    EXPECT_TRUE(base.SameConfiguration(base));
    for (std::size_t i = 0; i < std::size(signature); ++i) {
        CIntercom other;
        other.*signature[i] ^= 0x100;
        EXPECT_FALSE(base.SameConfiguration(other)) << "signature value " << i;
        EXPECT_FALSE(other.SameConfiguration(base)) << "signature value " << i;
    }

    CIntercom unrelated;
    unrelated.sizeReportWord = 9;
    unrelated.sizeReportVersion = 9;
    unrelated.name = u"OTHER";
    unrelated.mainAddress = u"10.0.0.1";
    unrelated.partnerActive = true;
    unrelated.alphas[ResourceKey(0, 1)] = CAlpha{};
    unrelated.descriptions[ResourceKey(0, 1)] = CDesc{u"x"};
    EXPECT_TRUE(base.SameConfiguration(unrelated));

    CIntercom capability;
    capability.capabilities.clear(0);
    EXPECT_FALSE(base.SameConfiguration(capability));

    CIntercom shorter;
    shorter.capabilities.setSize(100);
    EXPECT_FALSE(base.SameConfiguration(shorter));

    // Arrays without storage never compare equal, so such configurations always count as changed.
    CIntercom empty1;
    CIntercom empty2;
    empty1.capabilities.setSize(0);
    empty2.capabilities.setSize(0);
    EXPECT_FALSE(empty1.SameConfiguration(empty2));
    EXPECT_FALSE(empty1.SameConfiguration(empty1));
}

CIntercom filledConfiguration()
{
    CIntercom icom;
    icom.sizeReportWord = 1;
    icom.sizeReportVersion = 7;
    icom.keypanelCount = 200;
    icom.name = u"STUDIO A";
    icom.infoText = u"info";
    icom.mainAddress = u"192.168.1.10";
    icom.partnerAddress = u"192.168.1.11";
    icom.partnerActive = true;
    icom.messages.push_back(u"Warning");
    icom.alphas[ResourceKey(1, 3)].SetAlpha(u"PL3", 4);
    icom.descriptions[ResourceKey(1, 3)].text = u"Party line three";
    icom.capabilities.clear(0);
    return icom;
}

void expectSameContents(const CIntercom& a, const CIntercom& b)
{
    EXPECT_TRUE(a.SameConfiguration(b));
    EXPECT_EQ(a.sizeReportWord, b.sizeReportWord);
    EXPECT_EQ(a.sizeReportVersion, b.sizeReportVersion);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.infoText, b.infoText);
    EXPECT_EQ(a.mainAddress, b.mainAddress);
    EXPECT_EQ(a.partnerAddress, b.partnerAddress);
    EXPECT_EQ(a.partnerActive, b.partnerActive);
    EXPECT_EQ(a.messages, b.messages);
    EXPECT_EQ(a.alphas, b.alphas);
    EXPECT_EQ(a.descriptions, b.descriptions);
}

TEST(Intercom, CopyTakesEverythingAndIsIndependent)
{
    const CIntercom source = filledConfiguration();
    CIntercom copy;
    copy = source;
    expectSameContents(copy, source);
    EXPECT_FALSE(copy.HasCapability(0));

    copy.alphas.clear();
    copy.capabilities.set(0);
    EXPECT_EQ(source.alphas.size(), 1u);
    EXPECT_FALSE(source.HasCapability(0));

    CIntercom self = filledConfiguration();
    CIntercom& alias = self;
    self = alias;
    expectSameContents(self, source);
}

TEST(Intercom, ClearContentsKeepsSizesTextsAndCapabilities)
{
    CIntercom icom = filledConfiguration();
    icom.ClearContents();
    EXPECT_TRUE(icom.alphas.empty());
    EXPECT_TRUE(icom.descriptions.empty());
    EXPECT_TRUE(icom.messages.empty());
    const CIntercom reference = filledConfiguration();
    EXPECT_TRUE(icom.SameConfiguration(reference));
    EXPECT_EQ(icom.name, reference.name);
    EXPECT_EQ(icom.mainAddress, reference.mainAddress);
    EXPECT_EQ(icom.infoText, reference.infoText);
    EXPECT_TRUE(icom.partnerActive);
}

TEST(Intercom, DefaultAlpha)
{
    const struct {
        unsigned type;
        unsigned number;
        std::uint16_t frames;
        std::uint16_t panels;
        std::u16string_view expected;
    } cases[] = {
        {0, 1, 1, 15, u"N001"},
        {1, 12, 1, 15, u"PL12"},
        {0, 98, 1, 15, u"N098"},
        {0, 99, 1, 15, u"N099"},
        {0, 100, 1, 15, u"N100"},
        {0, 998, 1, 15, u"N998"},
        {0, 999, 1, 15, u""},
        {0, 65535, 1, 15, u""},
        {2, 150, 1, 15, u"F150"},
        {3, 100, 1, 15, u"L100"},
        {3, 7, 1, 15, u"IL07"},
        {5, 200, 1, 15, u"R200"},
        {7, 5, 1, 15, u"DI #05"},
        {7, 120, 1, 15, u"D120"},
        {12, 256, 1, 15, u"U256"},
        {13, 3, 1, 15, u"DIM #03"},
        {17, 3, 1, 15, u"IO #03"},
        {18, 1, 1, 15, u""},
        {19, 5, 1, 15, u"N005"},
        {20, 5, 1, 15, u""},
        // Several frames number the panels and I/O cards per frame.
        {15, 9, 2, 16, u"Skel #2:01"},
        {14, 5, 2, 16, u"Dorn #1:05"},
        {16, 16, 2, 16, u"Fenn #2:08"},
        {15, 100, 2, 16, u"Skel #13:04"},
        {17, 17, 2, 16, u"IO #3:01"},  // 17 I/O cards over 2 frames: 8 a frame
        {0, 9, 2, 16, u"N009"},
        // More frames than panels: the plain form rather than a division by zero.
        {15, 5, 20, 15, u"Skel #05"},
        {15, 120, 20, 15, u"S120"},
    };
    for (const auto& c : cases) {
        CIntercom icom;
        icom.frameCount = c.frames;
        icom.panelCount = c.panels;
        EXPECT_EQ(icom.DefaultAlpha(c.type, c.number), c.expected)
            << "type " << c.type << " number " << c.number;
    }
}

TEST(Intercom, AlphaTextReadsTheStoredAlphaOrTheGeneratedOne)
{
    CIntercom icom;
    icom.alphaSize = 6;
    CAlpha& kp3 = icom.alphas[ResourceKey(0, 3)];
    kp3.SetAlpha(u"K4", 4);
    kp3.SetAlpha(u"  K6", 6);
    kp3.SetAlpha(u"K8", 8);
    kp3.SetAlpha(u"KU", 16);
    const struct {
        unsigned type;
        unsigned number;
        unsigned code;
        std::u16string_view expected;
    } cases[] = {
        {0, 5, 7, u"N005"},   // no alpha: the generated one, whatever the size
        {0, 5, 16, u"N005"},
        {0, 3, 4, u"K4"},     // trailing padding removed, leading spaces kept
        {0, 3, 6, u"  K6"},
        {0, 3, 8, u"K8"},
        {0, 3, 16, u"\uFF2B\uFF35"},  // full-width padding removed too
        {0, 3, 7, u"  K6"},   // an unknown size code reads the configured size
        {0, 3, 0, u"  K6"},
        {19, 3, 4, u"N003"},  // input alphas have keys of their own
        {1, 3, 4, u"PL03"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(icom.AlphaText(c.type, c.number, c.code), c.expected)
            << "type " << c.type << " number " << c.number << " code " << c.code;
    }
}

TEST(Intercom, DescriptionTextSharesPanelDescriptionsAndShowsUpToTheFirstZero)
{
    CIntercom icom;
    icom.descriptions[ResourceKey(15, 3)].text = u"Panel three   ";
    icom.descriptions[ResourceKey(0, 1)].text = std::u16string(u"Desk\0junk", 9);
    icom.descriptions[ResourceKey(0, 2)].text = u"   ";
    icom.descriptions[ResourceKey(14, 4)].text = u"stored under 14";
    const struct {
        unsigned type;
        unsigned number;
        std::u16string_view expected;
    } cases[] = {
        {15, 3, u"Panel three"}, {14, 3, u"Panel three"}, {16, 3, u"Panel three"},
        {14, 4, u"-"},  // the panel types read type 15 only
        {0, 1, u"Desk"}, {0, 2, u""}, {0, 3, u"-"}, {17, 3, u"-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(icom.DescriptionText(c.type, c.number), c.expected)
            << "type " << c.type << " number " << c.number;
    }
    EXPECT_EQ(icom.descriptions[ResourceKey(0, 1)].text.size(), 9u);
}

TEST(Intercom, ResourceKeysOrderByTypeThenNumber)
{
    EXPECT_EQ(ResourceKey(2, 5), 0x00020005u);
    EXPECT_EQ(ResourceKeyType(ResourceKey(19, 1000)), 19u);
    EXPECT_EQ(ResourceKeyNumber(ResourceKey(19, 1000)), 1000u);
    CIntercom icom;
    icom.alphas[ResourceKey(1, 1)];
    icom.alphas[ResourceKey(0, 1000)];
    icom.alphas[ResourceKey(0, 2)];
    std::vector<std::uint32_t> keys;
    for (const auto& [key, alpha] : icom.alphas) {
        keys.push_back(key);
    }
    const std::vector<std::uint32_t> ascending = {ResourceKey(0, 2), ResourceKey(0, 1000),
                                                  ResourceKey(1, 1)};
    EXPECT_EQ(keys, ascending);
}

}  // namespace
}  // namespace vexilor
