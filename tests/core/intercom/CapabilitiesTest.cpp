#include "intercom/Capabilities.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "intercom/Intercom.h"

namespace vexilor {
namespace {

TEST(Capabilities, NamesAreNumberedAndNegative)
{
    const struct {
        unsigned number;
        std::u16string_view name;
    } samples[] = {
        {0, u"NoDeviceDownload"},
        {13, u"NoDescriptions"},
        {20, u"NotKoltIntercom"},
        {31, u"NoInputAlphas"},
        {44, u"NoAutoTable"},
        {45, u"NoAutoDial"},
        {61, u"NoUnicodeAlphas"},
        {89, u"NoSkelAndDornDescriptions"},
        {90, u"NoIOCardDescriptions"},
        {127, u"NotKoltIIILiteIntercom"},
        {132, u"NoSupportForUpTo128Keys"},
    };
    for (const auto& s : samples) {
        EXPECT_EQ(CCapabilityStrings::Name(s.number), s.name) << s.number;
    }
    EXPECT_EQ(CCapabilityStrings::Count(), 133u);
    EXPECT_TRUE(CCapabilityStrings::Name(133).empty());
    EXPECT_TRUE(CCapabilityStrings::Label(133).empty());

    std::set<std::u16string_view> seen;
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        const std::u16string_view name = CCapabilityStrings::Name(n);
        EXPECT_TRUE(seen.insert(name).second) << "duplicate name at " << n;
        const std::size_t prefix = name.starts_with(u"Not") ? 3 : 2;
        ASSERT_TRUE(name.starts_with(u"No")) << n;
        ASSERT_GT(name.size(), prefix) << n;
        EXPECT_TRUE(name[prefix] >= u'A' && name[prefix] <= u'Z') << n;
    }
    // The named constants carry the table's numbers.
    EXPECT_EQ(cap::NoAutoDial, 45u);
    EXPECT_EQ(cap::NoSupportForUpTo128Keys, 132u);
    EXPECT_EQ(cap::NoUserProgrammableLogic, 22u);
}

TEST(Capabilities, DisplayLabels)
{
    const struct {
        unsigned number;
        std::u16string_view name;
        std::u16string_view label;
    } cases[] = {
        {0, u"NoDeviceDownload", u"Device Download"},
        {5, u"NoIFBPRangeQuery", u"IFBP Range Query"},
        {56, u"NoUPLKeypanelHeadsetAndLEDControl", u"UPL Keypanel Headset And LED Control"},
        {122, u"NoCardsWithUpTo64Ports", u"Cards With Up To 64 Ports"},
        {20, u"NotKoltIntercom", u"Kolt Intercom"},
        {14, u"NoTIFDialoutRestrictions", u"TIF Dialout Restrictions"},
        {123, u"NoKPPowerUpOptionQuery", u"KP Power Up Option Query"},
        {9, u"NoKeyStateSet", u"Key State Set"},
        {21, u"NoIFBDim", u"IFB Dim"},
        {13, u"NoDescriptions", u"Descriptions"},
        {98, u"NoBexo16Support", u"Bexo 16 Support"},
        {132, u"NoSupportForUpTo128Keys", u"Support For Up To 128 Keys"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(CCapabilityStrings::Name(c.number), c.name);
        EXPECT_EQ(CCapabilityStrings::Label(c.number), c.label) << c.number;
        EXPECT_EQ(CapabilityLabel(c.name), c.label) << c.number;
    }
    // Names without a capital after the prefix give no label rather than running past the end.
    for (std::u16string_view odd : {u"", u"N", u"No", u"Not", u"Nothing"}) {
        EXPECT_EQ(CapabilityLabel(odd), u"");
    }
}

TEST(Capabilities, DefaultsThenDerivations)
{
    const std::set<unsigned> clearByDefault = {
        4,   12,  20,  33,  43,  46,  51,  52,  59,  62,  64,  65,  68,  69,  70,  71,  78,  80,
        84,  86,  87,  88,  91,  93,  95,  96,  97,  101, 102, 103, 104, 105, 106, 108, 109, 110,
        111, 115, 116, 117, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132};
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        EXPECT_EQ(DefaultCapability(n), !clearByDefault.contains(n)) << n;
    }
    EXPECT_FALSE(DefaultCapability(133));

    // A new configuration: the table, plus 64 (from 63) and 109 (from 45 without 108).
    const CIntercom icom;
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        const bool derived = n == cap::NoCardTypes || n == cap::NoJapaneseAutoDials;
        EXPECT_EQ(icom.HasCapability(n), DefaultCapability(n) || derived) << n;
    }
}

TEST(Capabilities, ApplyingDefaultsKeepsSetBitsAndStaysInsideTheArray)
{
    CBitArray bits(kCapabilityCount);
    bits.set(4);
    bits.set(cap::NoCentralizedAutoDials);
    ApplyDefaultCapabilities(bits);
    EXPECT_TRUE(bits.test(4));
    EXPECT_TRUE(bits.test(0));
    EXPECT_FALSE(bits.test(cap::NoJapaneseAutoDials));  // 108 set: nothing to derive

    // Too short for the derived bits: 63 and 45 are set, but 64 and 109 lie beyond the count.
    CBitArray shortBits(64);
    ApplyDefaultCapabilities(shortBits);
    EXPECT_EQ(shortBits.count(), 64u);
    EXPECT_TRUE(shortBits.test(63));
    EXPECT_TRUE(shortBits.test(45));
    CBitArray medium(109);
    ApplyDefaultCapabilities(medium);
    EXPECT_TRUE(medium.test(cap::NoCardTypes));
    EXPECT_FALSE(medium.test(cap::NoJapaneseAutoDials));

    CBitArray none;
    ApplyDefaultCapabilities(none);
    EXPECT_FALSE(none.hasStorage());
}

TEST(Capabilities, ReportedBitMapping)
{
    const struct {
        unsigned reported;
        int number;
    } cases[] = {
        {0, 0},     {14, 14},   {15, -1},   {16, 16},   {20, 20},   {21, -1},   {22, 15},
        {23, 21},   {34, 32},   {35, -1},   {36, 34},   {65, 63},   {121, 119}, {122, -1},
        {123, 120}, {124, 125}, {125, 121}, {128, 124}, {129, 126}, {135, 132}, {136, -1},
        {1000, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CapabilityFromReportedBit(c.reported), c.number) << "reported bit " << c.reported;
    }
    // Every capability but 33 is reached by exactly one reported bit.
    std::vector<int> hits(kCapabilityCount, 0);
    for (unsigned r = 0; r < kMaxReportedCapabilityBits; ++r) {
        const int n = CapabilityFromReportedBit(r);
        if (n >= 0) {
            ASSERT_LT(n, static_cast<int>(kCapabilityCount));
            ++hits[static_cast<std::size_t>(n)];
        }
    }
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        EXPECT_EQ(hits[n], n == cap::NoLookupAlphas ? 0 : 1) << n;
    }
}

// A report with the given reported bits set, long enough for all 136.
std::vector<std::uint8_t> report(std::initializer_list<unsigned> setBits, std::size_t bytes = 17)
{
    std::vector<std::uint8_t> out(bytes, 0);
    for (unsigned r : setBits) {
        out[r / 8] |= static_cast<std::uint8_t>(1u << (r % 8));
    }
    return out;
}

std::set<unsigned> setCapabilities(const CIntercom& icom)
{
    std::set<unsigned> out;
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        if (icom.HasCapability(n)) {
            out.insert(n);
        }
    }
    return out;
}

TEST(Capabilities, StoringAReportReplacesTheBits)
{
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::set<unsigned> expected;
    } cases[] = {
        {"empty report", {}, {}},
        {"bit 22 is capability 15", report({22}), {15}},
        {"bit 15 is ignored", report({15, 21, 35, 122}), {}},
        {"bits 123 and 124", report({123, 124}), {120, 125}},
        {"63 brings 64", report({65}), {63, 64}},
        {"45 brings 109", report({47}), {45, 109}},
        {"45 with 108 leaves 109", report({47, 110}), {45, 108}},
        {"45 with 109", report({47, 111}), {45, 109}},
        {"one byte", report({0, 1, 2, 3, 4, 5, 6, 7}, 1), {0, 1, 2, 3, 4, 5, 6, 7}},
        {"bits beyond 136 are ignored", report({136, 140, 143}, 18), {}},
    };
    for (const auto& c : cases) {
        CIntercom icom;  // starts with the defaults, which the report replaces
        icom.StoreCapabilityReport(c.bytes);
        EXPECT_EQ(setCapabilities(icom), c.expected) << c.what;
        EXPECT_EQ(icom.capabilities.count(), kCapabilityCount) << c.what;
    }
}

TEST(Capabilities, AFullReportSetsEverythingButCapability33)
{
    CIntercom icom;
    const std::vector<std::uint8_t> allOnes(17, 0xFF);
    icom.StoreCapabilityReport(allOnes);
    for (unsigned n = 0; n < kCapabilityCount; ++n) {
        EXPECT_EQ(icom.HasCapability(n), n != cap::NoLookupAlphas) << n;
    }
}

TEST(Capabilities, ReportBitCountIsCutToTheBytesAndTheArray)
{
    const std::vector<std::uint8_t> allOnes(2, 0xFF);
    CIntercom icom;
    icom.StoreCapabilityReport(allOnes, 10);  // only the first 10 reported bits
    EXPECT_EQ(setCapabilities(icom), (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    icom.StoreCapabilityReport(allOnes, 100000);  // more bits than the bytes hold: 16 of them
    EXPECT_EQ(setCapabilities(icom),
              (std::set<unsigned>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));

    // A configuration read with a 100-bit array keeps 100 bits; higher capabilities stay absent.
    CIntercom shortArray;
    shortArray.capabilities.setSize(100);
    shortArray.StoreCapabilityReport(std::vector<std::uint8_t>(17, 0xFF));
    EXPECT_EQ(shortArray.capabilities.count(), 100u);
    EXPECT_TRUE(shortArray.HasCapability(99));
    EXPECT_FALSE(shortArray.HasCapability(100));
}

TEST(Capabilities, ClearCapabilitiesKeepsTheSize)
{
    CIntercom icom;
    icom.ClearCapabilities();
    EXPECT_EQ(icom.capabilities.count(), kCapabilityCount);
    EXPECT_EQ(icom.capabilities.countSet(), 0u);
}

}  // namespace
}  // namespace vexilor
