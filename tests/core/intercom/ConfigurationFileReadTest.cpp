#include "ConfigurationFileTestBytes.h"

#include "intercom/Capabilities.h"
#include "intercom/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vexilor {
namespace {

using testing::CfgBytes;
using testing::load;
using Messages = std::vector<std::u16string>;

const std::u16string kCorrupt(cfgmsg::kCorrupt);
const std::u16string kPartial(cfgmsg::kPartialSetup);
const std::u16string kNoAlphas(cfgmsg::kNoAlphas);
const std::u16string kNoDescriptions(cfgmsg::kNoDescriptions);
const std::u16string kNoConfiguration(cfgmsg::kNoConfiguration);

// A configuration record with a few recognisable values; the file then holds a configuration.
CfgBytes::Config someConfig()
{
    CfgBytes::Config c;
    c.words = {{4, 40}, {5, 20}};
    c.capabilitiesSet = {0, 45};
    c.mainAddress = "10.0.0.1";
    return c;
}

TEST(ConfigurationFileRead, HeaderThatIsNotOursIsTheWrongFileType)
{
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
    };
    const auto withByte = [](std::size_t at, char c) {
        std::string b = CfgBytes::header().str();
        b[at] = c;
        return b;
    };
    const Case cases[] = {
        {"empty file", [] { return std::string(); }},
        {"magic only", [] { return std::string("Vrel"); }},
        {"short header", [] { return CfgBytes::header().str().substr(0, 255); }},
        {"wrong magic", [&] { return withByte(3, 'x'); }},
        {"no dash at 250", [&] { return withByte(250, 'F'); }},
        {"kind neither F nor P", [&] { return withByte(251, 'X'); }},
        {"end tag broken", [&] { return withByte(255, 'h'); }},
        {"zeros", [] { return std::string(4096, '\0'); }},
    };
    for (const Case& c : cases) {
        CIntercom icom;
        EXPECT_FALSE(load(icom, c.bytes())) << c.what;
        EXPECT_EQ(icom.messages, Messages{u"test.cfg is not the correct file type."}) << c.what;
    }
}

TEST(ConfigurationFileRead, HeaderOnlyWarnsThriceAndKeepsSizesAndCapabilities)
{
    CIntercom icom;
    icom.keypanelCount = 7;
    icom.capabilities.setSize(20);
    icom.capabilities.set(3);
    icom.alphas[ResourceKey(0, 1)] = CAlpha{};
    icom.descriptions[ResourceKey(0, 1)] = CDesc{u"old"};
    icom.messages = {u"old message"};

    ASSERT_TRUE(load(icom, CfgBytes::header()));
    EXPECT_EQ(icom.messages, (Messages{kNoAlphas, kNoDescriptions, kNoConfiguration}));
    EXPECT_EQ(icom.keypanelCount, 7);
    EXPECT_EQ(icom.capabilities.count(), 20u);
    EXPECT_TRUE(icom.capabilities.test(3));
    EXPECT_TRUE(icom.alphas.empty());
    EXPECT_TRUE(icom.descriptions.empty());
}

TEST(ConfigurationFileRead, PartialSetupFileWarnsFirst)
{
    CIntercom icom;
    ASSERT_TRUE(load(icom, CfgBytes::header(" int", 'P').config(someConfig())));
    EXPECT_EQ(icom.messages, (Messages{kPartial, kNoAlphas, kNoDescriptions}));

    // When the load then fails, the warning stays the first message (the one callers show).
    CIntercom broken;
    EXPECT_FALSE(load(broken, CfgBytes::header(" int", 'P').record(84, 1, 535, {0}).zeros(10)));
    EXPECT_EQ(broken.messages, (Messages{kPartial, kCorrupt}));
}

TEST(ConfigurationFileRead, RecordsMetWithoutElementsSilenceTheirWarnings)
{
    CIntercom icom;
    ASSERT_TRUE(load(icom, CfgBytes::header().record(18, 136, 45, {}).record(23, 136, 24, {})));
    EXPECT_EQ(icom.messages, Messages{kNoConfiguration});

    CIntercom statements;
    ASSERT_TRUE(load(statements, CfgBytes::header().config(someConfig()).record(34, 8, 64, {})));
    EXPECT_EQ(statements.messages, Messages{kNoAlphas});
}

TEST(ConfigurationFileRead, DamagedRecordsMakeTheFileCorrupt)
{
    struct Case {
        const char* what;
        std::function<void(CfgBytes&)> tail;
    };
    const Case cases[] = {
        {"wrong marker", [](CfgBytes& b) { b.record(18, 8, 45, {}, 0x58585859); }},
        {"bitmap cut short",
         [](CfgBytes& b) { b.raw(std::string("XXXX\0\x12\0\x10\0\x2D\x01", 11)); }},
        {"64 KB bitmap past the end",
         [](CfgBytes& b) { b.raw(std::string("XXXX\0\x12\xFF\xFF\0\x2D", 10)).zeros(100); }},
        {"configuration with two elements",
         [](CfgBytes& b) {
             b.record(84, 8, 535, {0, 1}).configElement({}).configElement({});
         }},
        {"configuration without element", [](CfgBytes& b) { b.record(84, 8, 535, {}); }},
        {"configuration cut short", [](CfgBytes& b) { b.record(84, 1, 535, {0}).zeros(300); }},
        {"configuration list past the end",
         [](CfgBytes& b) {
             CfgBytes::Config c;
             c.words = {{64, 60000}};
             b.config(c);
         }},
        {"configuration trailer past the end",
         [](CfgBytes& b) { b.record(84, 1, 600, {0}).configElement({}).zeros(10); }},
        {"alpha number 000",
         [](CfgBytes& b) { b.record(18, 8, 45, {0}).alpha8("000", "A", "B", "C"); }},
        {"alpha number abc",
         [](CfgBytes& b) { b.record(18, 8, 45, {0}).alpha8("abc", "A", "B", "C"); }},
        {"alpha number blank",
         [](CfgBytes& b) { b.record(47, 8, 52, {0}).alphaUnicode("   ", u"A", false); }},
        {"alpha element cut short",
         [](CfgBytes& b) { b.record(18, 8, 45, {0}).raw("001ABCD").zeros(30); }},
        {"Unicode alpha cut short",
         [](CfgBytes& b) { b.record(47, 8, 52, {0}).raw("001").zeros(48); }},
        {"description cut short",
         [](CfgBytes& b) {
             b.record(23, 8, 24, {0, 1}).text("first", 24).zeros(23);
         }},
        {"Unicode description cut short", [](CfgBytes& b) { b.record(58, 8, 48, {2}).zeros(47); }},
        {"statement text cut short", [](CfgBytes& b) { b.record(34, 8, 64, {0}).zeros(40); }},
        {"statement cut inside its leading bytes",
         [](CfgBytes& b) { b.record(34, 8, 64, {0}).zeros(20); }},
        {"unknown record's elements past the end",
         [](CfgBytes& b) {
             b.record(16, 8, 10, {1, 5}).zeros(19);
         }},
    };
    for (const Case& c : cases) {
        CfgBytes bytes = CfgBytes::header();
        c.tail(bytes);
        CIntercom icom;
        EXPECT_FALSE(load(icom, bytes)) << c.what;
        EXPECT_EQ(icom.messages, Messages{kCorrupt}) << c.what;
    }
}

TEST(ConfigurationFileRead, WhatWasReadBeforeAnErrorStays)
{
    CfgBytes bytes = CfgBytes::header().config(someConfig());
    bytes.record(18, 40, 45, {0}).alpha8("002", "ABCD", "ABCDEF", "ABCDEFGH");
    bytes.record(23, 40, 24, {0, 1}).text("Desk one", 24).text("Desk", 10);

    CIntercom icom;
    EXPECT_FALSE(load(icom, bytes));
    EXPECT_EQ(icom.messages, Messages{kCorrupt});
    EXPECT_EQ(icom.keypanelCount, 40);
    EXPECT_EQ(icom.mainAddress, u"10.0.0.1");
    ASSERT_EQ(icom.alphas.count(ResourceKey(0, 2)), 1u);
    EXPECT_EQ(icom.alphas[ResourceKey(0, 2)].alpha6, u"ABCDEF");
    EXPECT_EQ(icom.DescriptionText(0, 1), u"Desk one");
    EXPECT_EQ(icom.descriptions.count(ResourceKey(0, 2)), 0u);
}

TEST(ConfigurationFileRead, EndOfFileInsideARecordHeaderEndsTheFile)
{
    for (std::size_t extra = 1; extra < 10; ++extra) {
        CfgBytes bytes = CfgBytes::header().config(someConfig());
        bytes.raw(std::string("XXXX\0\x12\0\x08\0\x2D", extra));
        CIntercom icom;
        EXPECT_TRUE(load(icom, bytes)) << extra << " trailing bytes";
        EXPECT_EQ(icom.messages, (Messages{kNoAlphas, kNoDescriptions}));
    }
}

TEST(ConfigurationFileRead, UnknownRecordIsSkippedByItsElements)
{
    // Type 16 with N = 8, two set bits and E = 10: 20 bytes of elements to step over.
    CfgBytes bytes = CfgBytes::header().config(someConfig());
    bytes.record(16, 8, 10, {1, 5}).raw(std::string(20, 'X'));
    bytes.record(23, 40, 24, {2}).text("after", 24);
    // An unknown record without set bits has no elements, whatever its E.
    bytes.record(999, 3, 5000, {});
    bytes.record(18, 40, 45, {0}).alpha8("001", "KP1", "", "");

    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    EXPECT_TRUE(icom.messages.empty());
    EXPECT_EQ(icom.DescriptionText(0, 3), u"after");
    EXPECT_EQ(icom.alphas[ResourceKey(0, 1)].alpha4, u"KP1 ");
}

TEST(ConfigurationFileRead, CountsComeFromRecordsUntilTheConfigurationRecord)
{
    CfgBytes bytes = CfgBytes::header();
    bytes.record(18, 200, 45, {});   // keypanel alphas
    bytes.record(85, 40, 24, {});    // I/O card descriptions: count not taken
    bytes.record(13, 300, 45, {});   // input alphas: count not taken
    bytes.record(86, 20, 24, {});    // panel descriptions: panelCount
    bytes.record(28, 200, 24, {});   // GPI output descriptions: gpiCardCount follows
    bytes.record(34, 77, 64, {});    // UPL statements
    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    EXPECT_EQ(icom.keypanelCount, 200);
    EXPECT_EQ(icom.ioCardCount, 17);
    EXPECT_EQ(icom.panelCount, 20);
    EXPECT_EQ(icom.gpiOutputCount, 200);
    EXPECT_EQ(icom.gpiCardCount, 13);
    EXPECT_EQ(icom.uplStatementCount, 77);

    CfgBytes configFirst = CfgBytes::header().config(someConfig()).record(18, 200, 45, {});
    CIntercom fromConfig;
    ASSERT_TRUE(load(fromConfig, configFirst));
    EXPECT_EQ(fromConfig.keypanelCount, 40);
}

TEST(ConfigurationFileRead, ConfigurationRecordFillsEveryField)
{
    CfgBytes::Config c;
    using F = std::uint16_t CIntercom::*;
    const std::pair<unsigned, F> fields[] = {
        {1, &CIntercom::sizeReportWord},      {2, &CIntercom::sizeReportVersion},
        {3, &CIntercom::formatWord},          {4, &CIntercom::keypanelCount},
        {5, &CIntercom::partyLineCount},      {6, &CIntercom::ifbCount},
        {7, &CIntercom::specialListCount},    {8, &CIntercom::gpiOutputCount},
        {9, &CIntercom::isoCount},            {10, &CIntercom::uplResourceCount},
        {11, &CIntercom::groupCount},         {12, &CIntercom::autoDialCount},
        {13, &CIntercom::assignmentGroupCount}, {14, &CIntercom::ifbSpecialListCount},
        {15, &CIntercom::spareCount1},        {16, &CIntercom::gpiInputCount},
        {17, &CIntercom::spareCount2},        {18, &CIntercom::uplStatementCount},
        {19, &CIntercom::dimTableCount},      {20, &CIntercom::spareCount3},
        {25, &CIntercom::frameCount},         {26, &CIntercom::ioCardCount},
        {27, &CIntercom::panelCount},         {28, &CIntercom::gpiCardCount},
        {35, &CIntercom::alphaSize},          {36, &CIntercom::optionFlags},
    };
    for (auto [word, field] : fields)
        c.words.emplace_back(word, static_cast<std::uint16_t>(1000 + word));
    // Ignored words carry values that must land nowhere.
    for (unsigned w : {21u, 22u, 23u, 24u, 29u, 34u, 37u, 50u, 63u})
        c.words.emplace_back(w, static_cast<std::uint16_t>(5000 + w));
    c.capabilityBits = 100;
    c.capabilitiesSet = {0, 7, 99};
    c.info = "info \x80";
    c.mainAddress = "192.168.1.2";
    c.partnerAddress = std::string(128, '7');  // no terminating zero
    c.partnerActive = 0x0100;

    CIntercom icom;
    ASSERT_TRUE(load(icom, CfgBytes::header().config(c)));
    for (auto [word, field] : fields)
        EXPECT_EQ(icom.*field, 1000 + word) << "word " << word;
    EXPECT_EQ(icom.capabilities.count(), 100u);
    EXPECT_EQ(icom.capabilities.countSet(), 3u);
    EXPECT_TRUE(icom.HasCapability(99));
    EXPECT_FALSE(icom.HasCapability(cap::NoAutoDial))
        << "bits beyond C read as absent, no defaults";
    EXPECT_EQ(icom.infoText, u"info \u20AC");
    EXPECT_EQ(icom.mainAddress, u"192.168.1.2");
    EXPECT_EQ(icom.partnerAddress, std::u16string(128, u'7'));
    EXPECT_TRUE(icom.partnerActive);
}

TEST(ConfigurationFileRead, CapabilityCountZeroLeavesNoStorage)
{
    CfgBytes::Config c;
    c.capabilityBits = 0;
    CIntercom icom;
    ASSERT_TRUE(load(icom, CfgBytes::header().config(c)));
    EXPECT_EQ(icom.capabilities.count(), 0u);
    EXPECT_FALSE(icom.capabilities.hasStorage());
}

TEST(ConfigurationFileRead, LongerConfigurationRecordIsReadUpToItsSize)
{
    // Lists of lengths L = 3 and M = 2 after the 64 words; then a trailer of one value, two more
    // L-lists and four spare bytes, all inside E.
    const std::uint16_t fixed = CfgBytes::configSize(133);
    const std::uint16_t size = fixed + 6 + 4 + 2 + 6 + 6 + 4;
    CfgBytes bytes = CfgBytes::header().record(84, 1, size, {0});
    for (unsigned w = 1; w <= 64; ++w)
        bytes.u16(w == 4 ? 12 : w == 64 ? 3 : 0);
    bytes.u16(0xAAAA).u16(0xAAAA).u16(0xAAAA);  // L-list
    bytes.u16(2).u16(0xBBBB).u16(0xBBBB);       // M and its list
    bytes.u16(133).zeros(17);
    bytes.text("", 128).text("10.1.1.1", 128).text("", 128).u16(1);
    bytes.u16(0xCCCC).zeros(6).zeros(6).zeros(4);
    bytes.record(18, 12, 45, {0}).alpha8("001", "Next", "", "");

    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    EXPECT_EQ(icom.keypanelCount, 12);
    EXPECT_EQ(icom.mainAddress, u"10.1.1.1");
    EXPECT_EQ(icom.alphas[ResourceKey(0, 1)].alpha4, u"Next") << "the next record starts at E";
}

TEST(ConfigurationFileRead, TrailerStepsFollowTheListLength)
{
    // Past the layout, up to E: one value, then an L-list, then another, each only while below E,
    // then single values. A list that starts below E is read whole, even past E.
    struct Case { std::uint16_t listLength, extra, pastE; };
    const Case cases[] = {
        {0, 2, 0}, {0, 10, 0}, {2, 2, 0}, {2, 2 + 8, 0}, {5, 2 + 20 + 6, 0},
        {2, 2 + 4 + 2, 2}, {4, 2 + 2, 6}, {0, 3, 1},
    };
    for (const Case& c : cases) {
        const std::uint16_t size
            = static_cast<std::uint16_t>(CfgBytes::configSize(8) + 2 * c.listLength + c.extra);
        CfgBytes bytes = CfgBytes::header().record(84, 1, size, {0});
        for (unsigned w = 1; w <= 64; ++w)
            bytes.u16(w == 64 ? c.listLength : 0);
        bytes.zeros(2 * c.listLength).u16(0).u16(8).raw("\x05");
        bytes.zeros(384).u16(0).zeros(c.extra + c.pastE);
        bytes.record(23, 5, 24, {4}).text("fifth", 24);
        CIntercom icom;
        ASSERT_TRUE(load(icom, bytes)) << c.listLength << "/" << c.extra;
        EXPECT_EQ(icom.DescriptionText(0, 5), u"fifth") << c.listLength << "/" << c.extra;
        EXPECT_EQ(icom.capabilities.data()[0], 0x05);
    }
}

TEST(ConfigurationFileRead, DescriptionsKeepTheirWidthAndTheLaterOneWins)
{
    CfgBytes bytes = CfgBytes::header().config(someConfig());
    bytes.record(23, 40, 24, {0, 9}).text("Studio\x80", 24).text("Ten", 24);
    bytes.record(58, 40, 48, {9}).utf16(u"Zehn \u00DC", 24, false);
    bytes.record(86, 15, 24, {2}).text("Panel three", 24);
    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    const std::u16string first = icom.descriptions[ResourceKey(0, 1)].text;
    EXPECT_EQ(first.size(), 24u);
    EXPECT_EQ(first.substr(0, 8), std::u16string(u"Studio\u20AC\0", 8));
    EXPECT_EQ(icom.DescriptionText(0, 10), u"Zehn \u00DC");
    EXPECT_EQ(icom.DescriptionText(16, 3), u"Panel three");
}

TEST(ConfigurationFileRead, StatementTextsFollowTheirLeadingBytesAndTheFirstWins)
{
    CfgBytes bytes = CfgBytes::header().config(someConfig());
    bytes.record(34, 10, 64, {0, 3}).raw(std::string(32, 'Z')).text("IF KP1 THEN", 32)
        .zeros(32).text("stmt four", 32);
    bytes.record(34, 10, 64, {0}).zeros(32).text("replacement", 32);
    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    const std::u16string& one = icom.descriptions[ResourceKey(12, 1)].text;
    EXPECT_EQ(one.size(), 32u);
    EXPECT_EQ(one.substr(0, 11), u"IF KP1 THEN");
    EXPECT_EQ(icom.descriptions[ResourceKey(12, 4)].text.substr(0, 9), u"stmt four");
}

TEST(ConfigurationFileRead, AlphasNameTheirOwnNumbers)
{
    CfgBytes bytes = CfgBytes::header().config(someConfig());
    // Bit 0 set, but the element names keypanel 12; bitmap positions are not compared.
    bytes.record(18, 40, 45, {0, 1})
        .alpha8("012", "AB\0Z", "ABCDEF", "ABCDEFGH")
        .alpha8("7  ", "X", "Y", "Z");
    bytes.record(12, 8, 45, {0}).alpha8(" 03", "PL3", "PL3", "PL3");
    bytes.record(13, 40, 45, {0}).alpha8("001", "in", "in", "in");
    CIntercom icom;
    ASSERT_TRUE(load(icom, bytes));
    const CAlpha& kp = icom.alphas.at(ResourceKey(0, 12));
    EXPECT_EQ(kp.alpha4, u"AB  ") << "cut at the first zero, padded to the width";
    EXPECT_EQ(kp.alpha6, u"ABCDEF");
    EXPECT_EQ(kp.alpha8, u"ABCDEFGH");
    EXPECT_EQ(kp.alphaUnicode, u"N0000000") << "a new alpha keeps its Unicode default";
    EXPECT_EQ(icom.alphas.at(ResourceKey(0, 7)).alpha4, u"X   ");
    EXPECT_EQ(icom.alphas.at(ResourceKey(1, 3)).alpha4, u"PL3 ");
    EXPECT_EQ(icom.alphas.at(ResourceKey(19, 1)).alpha4, u"in  ");
    EXPECT_EQ(icom.alphas.size(), 4u);
}

TEST(ConfigurationFileRead, EditTagSetsTheByteOrderOfUnicodeTexts)
{
    const auto file = [](std::string_view tag) {
        CfgBytes bytes = CfgBytes::header(tag).config(someConfig());
        bytes.record(18, 40, 45, {0}).alpha8("001", "KP1", "KP1", "KP1");
        bytes.record(47, 40, 52, {0}).alphaUnicode("001", u"\u4E2D\u6587", true);
        bytes.record(58, 40, 48, {0}).utf16(u"Studio \u00C4", 24, true);
        return bytes;
    };
    CIntercom edit;
    ASSERT_TRUE(load(edit, file("edit")));
    CAlpha expected;
    expected.SetAlpha(std::u16string(u"\u4E2D\u6587\0\0\0\0\0\0", 8), kAlphaSizeUnicode);
    EXPECT_EQ(edit.alphas[ResourceKey(0, 1)].alphaUnicode, expected.alphaUnicode);
    EXPECT_EQ(edit.alphas[ResourceKey(0, 1)].alpha4, u"KP1 ") << "8-bit alphas are bytes";
    EXPECT_EQ(edit.DescriptionText(0, 1), u"Studio \u00C4");

    // The same bytes under another tag read big-endian: every unit comes out byte-swapped.
    CIntercom plain;
    ASSERT_TRUE(load(plain, file(" int")));
    CAlpha swapped;
    swapped.SetAlpha(std::u16string(u"\u2D4E\u8765\0\0\0\0\0\0", 8), kAlphaSizeUnicode);
    EXPECT_EQ(plain.alphas[ResourceKey(0, 1)].alphaUnicode, swapped.alphaUnicode);
    EXPECT_EQ(plain.descriptions[ResourceKey(0, 1)].text.substr(0, 8),
              u"\u5300\u7400\u7500\u6400\u6900\u6F00\u2000\uC400");
}

TEST(ConfigurationFileRead, FileWrappersReportMissingFilesAndEmptyPaths)
{
    CIntercom icom;
    icom.alphas[ResourceKey(0, 1)] = CAlpha{};
    EXPECT_FALSE(LoadConfigurationFile(icom, {}));
    EXPECT_EQ(icom.messages, Messages{u"No filename specified."});
    EXPECT_TRUE(icom.alphas.empty()) << "a load empties alphas even when it fails";

    const auto dir = std::filesystem::temp_directory_path() / "vexilor-cfg-read-test";
    std::filesystem::create_directories(dir);
    const auto missing = dir / "NONE.cfg";
    std::filesystem::remove(missing);
    EXPECT_FALSE(LoadConfigurationFile(icom, missing));
    EXPECT_EQ(icom.messages, Messages{u"File '" + PathText(missing) + u"' not found."});

    EXPECT_FALSE(LoadConfigurationFile(icom, dir));
    EXPECT_EQ(icom.messages, Messages{u"File '" + PathText(dir) + u"' not found."});

    const auto bad = dir / "BAD.cfg";
    std::ofstream(bad, std::ios::binary) << "not a configuration";
    EXPECT_FALSE(LoadConfigurationFile(icom, bad));
    EXPECT_EQ(icom.messages, Messages{PathText(bad) + u" is not the correct file type."});
    std::filesystem::remove_all(dir);

#ifdef __linux__
    // An endless device is turned away by its header, not read whole.
    EXPECT_FALSE(LoadConfigurationFile(icom, "/dev/zero"));
    EXPECT_EQ(icom.messages, Messages{u"/dev/zero is not the correct file type."});
#endif
}

TEST(ConfigurationFileRead, SetupFileFixtureFromDisk)
{
    // Written the way the configuration program writes setup files: tag "edit", partial, no
    // configuration record, Unicode little-endian, an unknown record in between.
    CIntercom icom;
    ASSERT_TRUE(LoadConfigurationFile(icom, VEXILOR_FIXTURES_DIR "/cfg/setup-edit.cfg"));
    EXPECT_EQ(icom.messages, (Messages{kPartial, kNoConfiguration}));
    EXPECT_EQ(icom.keypanelCount, 24);
    EXPECT_EQ(icom.partyLineCount, 4);
    EXPECT_EQ(icom.AlphaText(0, 2, 4), u"DIR");
    EXPECT_EQ(icom.AlphaText(1, 4, 4), u"PL4");
    EXPECT_EQ(icom.DescriptionText(0, 2), u"Director \u00E9cran");
    EXPECT_EQ(icom.DescriptionText(1, 1), u"-");
}

}  // namespace
}  // namespace vexilor
