#include "ConfigurationFileTestBytes.h"

#include "intercom/Capabilities.h"
#include "intercom/ConfigFileFormat.h"
#include "intercom/ConfigurationFile.h"
#include "text/Windows1252.h"
#include "vexilor/Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifdef __unix__
#include <csignal>
#include <sys/resource.h>
#endif

namespace vexilor {
namespace {

using testing::load;
using Messages = std::vector<std::u16string>;
namespace fs = std::filesystem;

std::uint16_t beU16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>((static_cast<unsigned char>(b[at]) << 8)
                                      | static_cast<unsigned char>(b[at + 1]));
}

struct RecordSeen {
    std::uint16_t type, bitCount, elementSize;
    std::vector<unsigned> bits;
    std::string elements;
};

// Splits written bytes into records by the framing alone.
std::vector<RecordSeen> records(const std::string& bytes)
{
    std::vector<RecordSeen> out;
    std::size_t at = 256;
    while (at < bytes.size()) {
        EXPECT_EQ(bytes.substr(at, 4), "XXXX");
        RecordSeen r{beU16(bytes, at + 4), beU16(bytes, at + 6), beU16(bytes, at + 8), {}, {}};
        at += 10;
        for (unsigned i = 0; i < r.bitCount; ++i) {
            if (static_cast<unsigned char>(bytes[at + i / 8]) & (1u << (i % 8)))
                r.bits.push_back(i);
        }
        at += (r.bitCount + 7u) / 8;
        r.elements = bytes.substr(at, r.bits.size() * r.elementSize);
        at += r.elements.size();
        out.push_back(std::move(r));
    }
    EXPECT_EQ(at, bytes.size());
    return out;
}

const RecordSeen* find(const std::vector<RecordSeen>& all, std::uint16_t type)
{
    for (const RecordSeen& r : all) {
        if (r.type == type)
            return &r;
    }
    return nullptr;
}

std::string be16(std::u16string_view text)
{
    std::string out;
    for (char16_t u : text) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
    }
    return out;
}

TEST(ConfigurationFileWrite, HeaderCarriesProductVersionAndBuildDate)
{
    const std::string header = cfg::BuildHeader("Vexilor", "2.0.0", "2011-03-29");
    const std::string text = "Vrel intercom configuration file\r\nCreated with Vexilor 2.0.0\r\n"
                             "Build Date:  Mar 29 2011\x1A";
    ASSERT_EQ(header.size(), 256u);
    EXPECT_EQ(header.substr(0, text.size()), text);
    std::string filler;
    while (filler.size() < 250)
        filler += "QXJ";
    EXPECT_EQ(header.substr(text.size(), 250 - text.size()), filler.substr(0, 250 - text.size()));
    EXPECT_EQ(header.substr(250), "-F-EOH");

    const std::string ours = cfg::BuildHeader();
    EXPECT_EQ(ours.size(), 256u);
    EXPECT_NE(ours.find(std::string("Created with Vexilor ") + build::kVersion + "\r\n"),
              std::string::npos);
}

TEST(ConfigurationFileWrite, BuildDateTakesElevenCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2011-03-29", "Mar 29 2011"}, {"2024-01-05", "Jan  5 2024"},
        {"1999-12-31", "Dec 31 1999"}, {"2024-13-01", "2024-13-01 "},
        {"today", "today      "},      {"Mar 29 2011 late", "Mar 29 2011"},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(cfg::HeaderBuildDate(in), out) << in;
}

TEST(ConfigurationFileWrite, DefaultConfigurationIsHeaderAndOneRecord)
{
    CIntercom icom;
    const std::string bytes = ConfigurationFileBytes(icom);
    ASSERT_EQ(bytes.size(), 256u + 546u);
    EXPECT_EQ(bytes.substr(256, 11), std::string("XXXX\0\x54\0\x01\x02\x17\x01", 11));
    const std::size_t element = 267;
    const std::pair<unsigned, std::uint16_t> words[] = {
        {1, 0},   {3, 7},   {4, 136},  {5, 96}, {6, 64}, {8, 96}, {10, 120},
        {11, 0},  {15, 10}, {18, 256}, {20, 4}, {21, 0}, {25, 1}, {26, 17},
        {27, 15}, {28, 6},  {35, 4},   {36, 0}, {64, 0},
    };
    for (auto [w, v] : words)
        EXPECT_EQ(beU16(bytes, element + 2 * (w - 1)), v) << "word " << w;
    EXPECT_EQ(beU16(bytes, element + 128), 0) << "second list length";
    EXPECT_EQ(beU16(bytes, element + 130), 133) << "capability bit count";
    for (unsigned i = 0; i < kCapabilityCount; ++i) {
        const bool bit = static_cast<unsigned char>(bytes[element + 132 + i / 8]) & (1u << (i % 8));
        EXPECT_EQ(bit, icom.HasCapability(i)) << "capability " << i;
    }
    EXPECT_EQ(bytes.substr(element + 149, 386), std::string(386, '\0'));

    CIntercom back;
    ASSERT_TRUE(load(back, bytes));
    EXPECT_EQ(back.messages, (Messages{std::u16string(cfgmsg::kNoAlphas),
                                       std::u16string(cfgmsg::kNoDescriptions)}));
    EXPECT_TRUE(back.SameConfiguration(icom));
}

TEST(ConfigurationFileWrite, RecordsFollowTheWriteOrder)
{
    CIntercom icom;
    icom.optionFlags = kOptionInputAlphas;  // with capability 31 (a default): input alphas exist
    ASSERT_TRUE(icom.HasInputAlphas());
    icom.groupCount = 4;
    for (unsigned type = 0; type <= 19; ++type) {
        if (restype::HasAlphas(type))
            icom.alphas[ResourceKey(type, 1)].SetAlpha(u"A", kAlphaSize4);
        if (restype::HasDescriptions(type) || type == restype::kUplStatement)
            icom.descriptions[ResourceKey(type, 1)].text = u"D";
    }
    std::vector<std::uint16_t> types;
    for (const RecordSeen& r : records(ConfigurationFileBytes(icom)))
        types.push_back(r.type);
    const std::vector<std::uint16_t> expected = {
        84, 18, 13, 23, 12, 24, 10, 25, 15, 26, 14, 28, 11, 27, 30, 29, 17, 31, 34,
        36, 37, 43, 44, 75, 76, 70, 71, 85, 86, 47, 48, 58, 49, 59, 51, 60, 50, 61,
        53, 63, 52, 62, 65, 64, 56, 66, 54, 68, 55, 67, 77, 78, 72, 73, 87, 88,
    };
    EXPECT_EQ(types, expected);
}

TEST(ConfigurationFileWrite, AlphaElementsHoldNumberAndBothCopies)
{
    CIntercom icom;
    CAlpha& a = icom.alphas[ResourceKey(0, 5)];
    a.SetAlpha(u"AB", kAlphaSize4);
    a.SetAlpha(u"Caf\u00E9", kAlphaSize6);
    a.SetAlpha(u"ABCDEFGHIJ", kAlphaSize8);
    a.SetAlpha(u"\u4E2D", kAlphaSizeUnicode);
    const auto all = records(ConfigurationFileBytes(icom));

    const RecordSeen* eight = find(all, 18);
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->bitCount, 136);
    EXPECT_EQ(eight->elementSize, 45);
    EXPECT_EQ(eight->bits, std::vector<unsigned>{4});
    const std::string once = "AB  Caf\xE9  ABCDEFGH";
    EXPECT_EQ(eight->elements, "005" + once + once + std::string(6, '\0'));

    const RecordSeen* wide = find(all, 47);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->elementSize, 52);
    const std::string units = be16(a.alphaUnicode.view());
    EXPECT_EQ(wide->elements, "005" + units + units + std::string(17, '\0'));
    EXPECT_EQ(find(all, 13), nullptr) << "no input alphas without the option";
}

TEST(ConfigurationFileWrite, DescriptionElementsAreCutOrZeroFilled)
{
    CIntercom icom;
    icom.descriptions[ResourceKey(1, 2)].text = u"Party line two \u20AC and more than 24";
    icom.descriptions[ResourceKey(12, 3)].text = u"IF KP1 THEN";
    icom.descriptions[ResourceKey(15, 1)].text = u"Panel";
    icom.descriptions[ResourceKey(14, 2)].text = u"shared under 15 only";
    const auto all = records(ConfigurationFileBytes(icom));

    const RecordSeen* eight = find(all, 24);
    ASSERT_NE(eight, nullptr);
    EXPECT_EQ(eight->bitCount, 96);
    EXPECT_EQ(eight->elements, "Party line two \x80 and mor");
    const RecordSeen* wide = find(all, 59);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->elements, be16(u"Party line two \u20AC and mor"));

    const RecordSeen* statements = find(all, 34);
    ASSERT_NE(statements, nullptr);
    EXPECT_EQ(statements->bitCount, 256);
    EXPECT_EQ(statements->elementSize, 64);
    EXPECT_EQ(statements->elements, std::string(32, '\0') + "IF KP1 THEN" + std::string(21, '\0'));

    const RecordSeen* panels = find(all, 86);
    ASSERT_NE(panels, nullptr);
    EXPECT_EQ(panels->bitCount, icom.panelCount);
    EXPECT_EQ(panels->bits, std::vector<unsigned>{0});
    EXPECT_EQ(find(all, 88)->elements, be16(u"Panel") + std::string(38, '\0'));
}

TEST(ConfigurationFileWrite, OnlyNumbersUpToTheCountAndBelowAThousandAreWritten)
{
    CIntercom icom;
    icom.keypanelCount = 1200;
    icom.partyLineCount = 10;
    for (unsigned n : {1u, 998u, 999u, 1000u, 1100u})
        icom.alphas[ResourceKey(0, n)].SetAlpha(u"K" + std::u16string(1, char16_t(u'0' + n % 10)),
                                                kAlphaSize4);
    icom.alphas[ResourceKey(1, 11)] = CAlpha{};
    icom.descriptions[ResourceKey(0, 1100)].text = u"kept";
    icom.descriptions[ResourceKey(1, 11)].text = u"beyond the count";
    icom.alphas[ResourceKey(19, 1)] = CAlpha{};  // no input alphas in use

    const auto all = records(ConfigurationFileBytes(icom));
    EXPECT_EQ(find(all, 18)->bits, (std::vector<unsigned>{0, 997, 998}));
    EXPECT_EQ(find(all, 47)->bits, (std::vector<unsigned>{0, 997, 998}));
    EXPECT_EQ(find(all, 23)->bits, std::vector<unsigned>{1099})
        << "descriptions have no number field";
    EXPECT_EQ(find(all, 12), nullptr);
    EXPECT_EQ(find(all, 24), nullptr);
    EXPECT_EQ(find(all, 13), nullptr);

    CIntercom back;
    ASSERT_TRUE(load(back, ConfigurationFileBytes(icom)));
    EXPECT_EQ(back.alphas.size(), 3u);
    EXPECT_EQ(back.alphas.at(ResourceKey(0, 999)).alpha4, u"K9  ");
    EXPECT_EQ(back.DescriptionText(0, 1100), u"kept");
}

// Descriptions come back at their field width, zero-filled.
CDescMap normalised(const CDescMap& descriptions)
{
    CDescMap out = descriptions;
    for (auto& [key, desc] : out)
        desc.text.resize(ResourceKeyType(key) == restype::kUplStatement ? 32 : 24, u'\0');
    return out;
}

void expectSameContents(const CIntercom& a, const CIntercom& b, const std::string& what)
{
    using F = std::uint16_t CIntercom::*;
    for (unsigned w = 1; w <= 64; ++w) {
        if (F field = cfg::ConfigurationWordField(w)) {
            EXPECT_EQ(a.*field, b.*field) << what << ": word " << w;
        }
    }
    EXPECT_EQ(a.capabilities.count(), b.capabilities.count()) << what;
    if (a.capabilities.hasStorage() || b.capabilities.hasStorage()) {
        EXPECT_TRUE(a.capabilities.equals(b.capabilities)) << what;
    }
    EXPECT_EQ(a.infoText, b.infoText) << what;
    EXPECT_EQ(a.mainAddress, b.mainAddress) << what;
    EXPECT_EQ(a.partnerAddress, b.partnerAddress) << what;
    EXPECT_EQ(a.partnerActive, b.partnerActive) << what;
    EXPECT_EQ(a.alphas, b.alphas) << what;
    EXPECT_EQ(normalised(a.descriptions), normalised(b.descriptions)) << what;
}

void expectRoundTrip(const CIntercom& icom, const std::string& what)
{
    CIntercom back;
    ASSERT_TRUE(load(back, ConfigurationFileBytes(icom))) << what;
    expectSameContents(icom, back, what);
}

TEST(ConfigurationFileWrite, ShapesReadBackUnchanged)
{
    struct Shape {
        const char* what;
        void (*make)(CIntercom&);
    };
    const Shape shapes[] = {
        {"defaults", [](CIntercom&) {}},
        {"no capabilities", [](CIntercom& c) { c.capabilities.setSize(0); }},
        {"short capability array",
         [](CIntercom& c) {
             c.capabilities.setSize(100);
             c.capabilities.set(99);
         }},
        {"long capability array",
         [](CIntercom& c) {
             c.capabilities.grow(4000);
             c.capabilities.set(3999);
         }},
        {"every size at its largest",
         [](CIntercom& c) {
             for (unsigned w = 1; w <= 36; ++w) {
                 if (auto field = cfg::ConfigurationWordField(w))
                     c.*field = 0xFFFF;
             }
             c.alphas[ResourceKey(0, 999)].SetAlpha(u"LAST", kAlphaSize4);
         }},
        {"addresses and texts",
         [](CIntercom& c) {
             c.infoText = u"Info \u00E9\u20AC" + std::u16string(200, u'x');
             c.infoText.resize(128);
             c.mainAddress = u"192.168.100.200";
             c.partnerAddress = u"192.168.100.201";
             c.partnerActive = true;
         }},
        {"alphas and descriptions of every type",
         [](CIntercom& c) {
             c.optionFlags = kOptionInputAlphas;
             c.groupCount = 8;
             for (unsigned type = 0; type <= 19; ++type) {
                 for (unsigned n : {1u, 2u, 7u}) {
                     if (restype::HasAlphas(type)) {
                         CAlpha& a = c.alphas[ResourceKey(type, n)];
                         a.SetAlpha(u"A" + std::u16string(1, char16_t(u'0' + type % 10)),
                                    kAlphaSize4);
                         a.SetAlpha(u"\u00C4lpha", kAlphaSize6);
                         a.SetAlpha(u"\u30C6\u30B9\u30C8", kAlphaSizeUnicode);
                     }
                     if ((restype::HasDescriptions(type) && type != 14 && type != 16)
                         || type == restype::kUplStatement)
                         c.descriptions[ResourceKey(type, n)].text
                             = u"Desc \u00FC " + std::u16string(1, char16_t(u'a' + type));
                 }
             }
         }},
        {"description with zero characters inside",
         [](CIntercom& c) {
             c.descriptions[ResourceKey(2, 3)].text = std::u16string(u"A\0B\0C", 5);
         }},
        {"description of characters outside the code page",
         [](CIntercom& c) { c.descriptions[ResourceKey(4, 1)].text = u"\u4E2D\u6587 \u0416"; }},
    };
    for (const Shape& s : shapes) {
        CIntercom icom;
        s.make(icom);
        expectRoundTrip(icom, s.what);
    }
}

TEST(ConfigurationFileWrite, GeneratedConfigurationsReadBackUnchanged)
{
    std::mt19937 rng(20110329);
    const auto pick = [&](unsigned lo, unsigned hi) {
        return std::uniform_int_distribution<unsigned>(lo, hi)(rng);
    };
    const std::u16string eightBit = u"ABCXYZabcxyz0189 -#/\u00E9\u00DC\u20AC\u0160\u00FF";
    const std::u16string wide
        = eightBit + u"\u4E2D\u6587\u30C6\u30B9\u0416\uFF21\uFF76\uFF9E\uFF61";
    const auto text = [&](const std::u16string& pool, unsigned length) {
        std::u16string out;
        for (unsigned i = 0; i < length; ++i)
            out += pool[pick(0, static_cast<unsigned>(pool.size() - 1))];
        return out;
    };

    for (int round = 0; round < 60; ++round) {
        CIntercom icom;
        for (unsigned w = 1; w <= 36; ++w) {
            if (auto field = cfg::ConfigurationWordField(w))
                icom.*field
                    = static_cast<std::uint16_t>(pick(0, 3) == 0 ? pick(0, 0xFFFF) : pick(0, 1100));
        }
        if (pick(0, 1))
            icom.optionFlags |= kOptionInputAlphas;
        icom.capabilities.setSize(pick(0, 3) == 0 ? pick(0, 300) : kCapabilityCount);
        for (unsigned i = 0; i < icom.capabilities.count(); ++i)
            icom.capabilities.setBit(i, pick(0, 1));
        icom.infoText = text(eightBit, pick(0, 130));
        icom.infoText.resize(std::min<std::size_t>(icom.infoText.size(), 128));
        icom.mainAddress = text(eightBit, pick(0, 15));
        icom.partnerAddress = text(eightBit, pick(0, 15));
        icom.partnerActive = pick(0, 1);

        for (unsigned type = 0; type <= 19; ++type) {
            const unsigned count = std::min<unsigned>(icom.Count(type), 999);
            if (count == 0)
                continue;
            for (int k = pick(0, 6); k > 0; --k) {
                const unsigned n = pick(1, count);
                if (restype::HasAlphas(type)) {
                    CAlpha& a = icom.alphas[ResourceKey(type, n)];
                    a.SetAlpha(text(eightBit, pick(0, 10)), kAlphaSize4);
                    a.SetAlpha(text(eightBit, pick(0, 10)), kAlphaSize6);
                    a.SetAlpha(text(eightBit, pick(0, 10)), kAlphaSize8);
                    a.SetAlpha(text(wide, pick(0, 10)), kAlphaSizeUnicode);
                }
                if (type == restype::kUplStatement)
                    icom.descriptions[ResourceKey(type, n)].text
                        = text(eightBit + u'\0', pick(0, 32));
                else if (restype::HasDescriptions(type) && type != 14 && type != 16)
                    icom.descriptions[ResourceKey(type, n)].text = text(wide + u'\0', pick(0, 24));
            }
        }
        expectRoundTrip(icom, "round " + std::to_string(round));
        if (::testing::Test::HasFailure())
            break;
    }
}

class ConfigurationFileSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path()
            / ("vexilor-cfg-save-"
               + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
};

TEST_F(ConfigurationFileSave, WritesTheFileAndReplacesTheOldOne)
{
    const fs::path path = ConfigurationFilePath(dir_, u"ABCD");
    EXPECT_EQ(path.filename().string(), "ABCD.cfg");
    std::ofstream(path, std::ios::binary) << std::string(5000, 'o');

    CIntercom icom;
    icom.mainAddress = u"10.0.0.9";
    icom.alphas[ResourceKey(2, 1)].SetAlpha(u"IFB1", kAlphaSize4);
    std::u16string error;
    ASSERT_TRUE(SaveConfigurationFile(path, icom, error)) << text::toUtf8(error);
    EXPECT_EQ(contents(path), ConfigurationFileBytes(icom));
    EXPECT_EQ(entries(), std::vector<std::string>{"ABCD.cfg"}) << "no temporary file is left";

    CIntercom back;
    ASSERT_TRUE(LoadConfigurationFile(back, path));
    expectSameContents(icom, back, "file");
}

TEST_F(ConfigurationFileSave, FailuresNameTheFileAndLeaveNothingBehind)
{
    CIntercom icom;
    std::u16string error;
    EXPECT_FALSE(SaveConfigurationFile({}, icom, error));
    EXPECT_EQ(error, u"No filename specified.");

    const fs::path noDir = dir_ / "missing" / "X.cfg";
    EXPECT_FALSE(SaveConfigurationFile(noDir, icom, error));
    EXPECT_EQ(error, u"Could not open/create file '" + PathText(noDir) + u"' for writing.");

    // A target that cannot be replaced stays as it was.
    const fs::path taken = dir_ / "DIR.cfg";
    fs::create_directories(taken / "inside");
    EXPECT_FALSE(SaveConfigurationFile(taken, icom, error));
    EXPECT_EQ(error, u"Could not open/create file '" + PathText(taken) + u"' for writing.");
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    EXPECT_EQ(entries(), std::vector<std::string>{"DIR.cfg"});
}

#ifdef __unix__
// Lets writes past limit bytes of any file fail (EFBIG) while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ConfigurationFileSave, AShortWriteKeepsThePreviousFile)
{
    const fs::path path = dir_ / "KEEP.cfg";
    CIntercom previous;
    previous.mainAddress = u"10.0.0.1";
    std::u16string error;
    ASSERT_TRUE(SaveConfigurationFile(path, previous, error));
    const std::string before = contents(path);

    CIntercom next;
    next.mainAddress = u"10.0.0.2";
    const std::pair<rlim_t, const char16_t*> cases[] = {
        {100, u"Error writing file header."},
        {256, u"Error writing file data."},
        {700, u"Error writing file data."},
    };
    for (auto [limit, message] : cases) {
        bool saved = true;
        {
            FileSizeLimit guard(limit);
            saved = SaveConfigurationFile(path, next, error);
        }
        EXPECT_FALSE(saved) << limit;
        EXPECT_EQ(error, message) << limit;
        EXPECT_EQ(contents(path), before) << limit;
        EXPECT_EQ(entries(), std::vector<std::string>{"KEEP.cfg"}) << limit;
    }
}
#endif

}  // namespace
}  // namespace vexilor
