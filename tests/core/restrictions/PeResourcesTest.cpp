#include "restrictions/PeResources.h"

#include "MenuFixtures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace vexilor;
using vexilor::testing::menuFixture;
using vexilor::testing::readBytes;

namespace {

// A hand-made image with one section holding the resource tree:
//   type 4 -> name 128 -> languages 0x409 (first, "first") and 0x407 ("second").
// The offsets are public so that cases can break one field at a time.
struct BuiltImage {
    static constexpr std::uint32_t kPe = 0x40;
    static constexpr std::uint32_t kRaw = 0x200;     // file offset of the section
    static constexpr std::uint32_t kRva = 0x1000;    // its address
    // Offsets inside the resource tree.
    static constexpr std::uint32_t kTypeDir = 0x00, kNameDir = 0x18, kLangDir = 0x30;
    static constexpr std::uint32_t kData1 = 0x50, kData2 = 0x60, kBlobs = 0x70;

    std::vector<std::uint8_t> bytes;
    bool plus = false;

    explicit BuiltImage(bool pe32plus) : plus(pe32plus)
    {
        bytes.assign(kRaw + 0x100, 0);
        put16(0, 0x5A4D);
        put32(0x3C, kPe);
        put32(kPe, 0x00004550);
        put16(kPe + 4, plus ? 0x8664 : 0x014C);
        put16(sectionCountAt(), 1);
        put16(kPe + 20, optionalSize());
        put16(optional(), plus ? 0x20B : 0x10B);
        put32(optional() + (plus ? 108 : 92), 16);
        put32(resourceDirAt(), kRva);
        put32(resourceDirAt() + 4, 0x100);
        const std::uint32_t section = optional() + optionalSize();
        bytes[section] = '.';
        put32(section + 8, 0x100);    // virtual size
        put32(section + 12, kRva);
        put32(section + 16, 0x100);   // raw size
        put32(section + 20, kRaw);

        directory(kTypeDir, 1);
        put32(kRaw + kTypeDir + 16, 4);
        put32(kRaw + kTypeDir + 20, 0x80000000u | kNameDir);
        directory(kNameDir, 1);
        put32(kRaw + kNameDir + 16, 128);
        put32(kRaw + kNameDir + 20, 0x80000000u | kLangDir);
        directory(kLangDir, 2);
        put32(kRaw + kLangDir + 16, 0x409);
        put32(kRaw + kLangDir + 20, kData1);
        put32(kRaw + kLangDir + 24, 0x407);
        put32(kRaw + kLangDir + 28, kData2);
        dataEntry(kData1, kBlobs, "first");
        dataEntry(kData2, kBlobs + 8, "second");
    }

    std::uint32_t optional() const { return kPe + 24; }
    std::uint16_t optionalSize() const { return plus ? 240 : 224; }
    std::uint32_t sectionCountAt() const { return kPe + 6; }
    std::uint32_t resourceDirAt() const { return optional() + (plus ? 112 : 96) + 16; }
    std::uint32_t sectionAt() const { return optional() + optionalSize(); }

    void put16(std::uint32_t at, std::uint16_t v)
    {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void put32(std::uint32_t at, std::uint32_t v)
    {
        put16(at, static_cast<std::uint16_t>(v));
        put16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
    void directory(std::uint32_t at, std::uint16_t ids) { put16(kRaw + at + 14, ids); }
    void dataEntry(std::uint32_t at, std::uint32_t blob, const std::string& text)
    {
        put32(kRaw + at, kRva + blob);
        put32(kRaw + at + 4, static_cast<std::uint32_t>(text.size()));
        std::copy(text.begin(), text.end(), bytes.begin() + kRaw + blob);
    }

    std::string find(std::uint16_t type = 4, std::uint16_t name = 128, std::string* error = nullptr) const
    {
        std::span<const std::uint8_t> data;
        std::string reason;
        if (!findPeResource(bytes, type, name, data, reason)) {
            EXPECT_FALSE(reason.empty());
            if (error)
                *error = reason;
            return "<none>";
        }
        EXPECT_GE(data.data(), bytes.data());
        EXPECT_LE(data.data() + data.size(), bytes.data() + bytes.size());
        return std::string(data.begin(), data.end());
    }
};

TEST(PeResources, TakesTheFirstLanguageOfTheResourceInPe32AndPe32Plus)
{
    for (const bool plus : {false, true}) {
        const BuiltImage image(plus);
        EXPECT_EQ(image.find(), "first") << plus;
        EXPECT_EQ(image.find(4, 129), "<none>") << plus;
        EXPECT_EQ(image.find(5, 128), "<none>") << plus;
    }
}

TEST(PeResources, RejectsMalformedAndHostileImages)
{
    using B = BuiltImage;
    struct Case {
        const char* what;
        std::function<void(BuiltImage&)> spoil;
        const char* reason = nullptr;  // checked where another check could hide the fault
    };
    const Case cases[] = {
        {"no MZ", [](B& b) { b.bytes[0] = 'X'; }},
        {"PE header offset past the end", [](B& b) { b.put32(0x3C, 0xFFFFFFF0u); }},
        {"no PE signature", [](B& b) { b.bytes[B::kPe + 1] = 'X'; }},
        {"unknown optional header", [](B& b) { b.put16(b.optional(), 0x107); }},
        {"optional header longer than the file", [](B& b) { b.put16(B::kPe + 20, 0xFFFF); }},
        {"optional header too short for the directories", [](B& b) { b.put16(B::kPe + 20, 0x60); }},
        {"too few data directories", [](B& b) { b.put32(b.optional() + (b.plus ? 108 : 92), 2); }},
        {"no resource directory", [](B& b) { b.put32(b.resourceDirAt(), 0); }},
        {"no sections", [](B& b) { b.put16(b.sectionCountAt(), 0); }},
        {"absurd section count", [](B& b) { b.put16(b.sectionCountAt(), 0xFFFF); }},
        {"section table past the end", [](B& b) { b.put16(b.sectionCountAt(), 90); }},
        {"section data past the end", [](B& b) { b.put32(b.sectionAt() + 20, 0x7FFFFF00u); }},
        {"resource directory larger than its section",
         [](B& b) { b.put32(b.resourceDirAt() + 4, 0x101); }},
        {"resource directory outside every section",
         [](B& b) { b.put32(b.resourceDirAt(), 0x9000); }},
        {"resource directory address wraps around",
         [](B& b) { b.put32(b.resourceDirAt() + 4, 0xFFFFFFFFu); }},
        {"absurd entry count", [](B& b) { b.put32(B::kRaw + B::kTypeDir + 12, 0xFFFFFFFFu); }},
        {"subdirectory past the tree",
         [](B& b) { b.put32(B::kRaw + B::kTypeDir + 20, 0x80000000u | 0xF8); }},
        {"subdirectory offset at 2^31", [](B& b) { b.put32(B::kRaw + B::kTypeDir + 20, 0xFFFFFFFFu); }},
        {"type entry is data, not a directory",
         [](B& b) { b.put32(B::kRaw + B::kTypeDir + 20, B::kData1); }},
        {"type given by name, not by number",
         [](B& b) { b.put32(B::kRaw + B::kTypeDir + 16, 0x80000004u); }},
        {"name directory loops to itself",
         [](B& b) { b.put32(B::kRaw + B::kNameDir + 20, 0x80000000u | B::kNameDir); },
         "loop in the resource directory"},
        {"name directory loops to the root",
         [](B& b) { b.put32(B::kRaw + B::kNameDir + 20, 0x80000000u | B::kTypeDir); },
         "loop in the resource directory"},
        {"language entry is another directory",
         [](B& b) { b.put32(B::kRaw + B::kLangDir + 20, 0x80000000u | B::kNameDir); },
         "resource directory nested too deep"},
        {"no language entry", [](B& b) { b.put16(B::kRaw + B::kLangDir + 14, 0); }},
        {"data entry past the tree", [](B& b) { b.put32(B::kRaw + B::kLangDir + 20, 0xF8); }},
        {"data outside every section", [](B& b) { b.put32(B::kRaw + B::kData1, 0x5000); }},
        {"data runs past its section", [](B& b) { b.put32(B::kRaw + B::kData1 + 4, 0x91); }},
        {"data size wraps around", [](B& b) { b.put32(B::kRaw + B::kData1 + 4, 0xFFFFFFFFu); }},
        {"file cut inside the data", [](B& b) { b.bytes.resize(B::kRaw + B::kBlobs + 2); }},
        {"empty file", [](B& b) { b.bytes.clear(); }},
    };
    for (const bool plus : {false, true}) {
        for (const Case& c : cases) {
            BuiltImage image(plus);
            c.spoil(image);
            std::string error;
            EXPECT_EQ(image.find(4, 128, &error), "<none>") << c.what << (plus ? " (PE32+)" : "");
            if (c.reason) {
                EXPECT_EQ(error, c.reason) << c.what;
            }
        }
    }
}

TEST(PeResources, FindsMenu128InTheFixturesAndNothingInAModuleWithoutIt)
{
    for (const char* name : vexilor::testing::kMenuModules) {
        const std::vector<std::uint8_t> bytes = readBytes(menuFixture(name));
        std::span<const std::uint8_t> data;
        std::string error;
        ASSERT_TRUE(findPeResource(bytes, kPeResourceTypeMenu, 128, data, error)) << name << error;
        ASSERT_GE(data.size(), 4u) << name;
        EXPECT_LE(data[0], 1) << name;  // menu template version 0 or 1
    }
    const std::vector<std::uint8_t> bytes = readBytes(menuFixture("nomenu/Tovrin.exe"));
    std::span<const std::uint8_t> data;
    std::string error;
    EXPECT_FALSE(findPeResource(bytes, kPeResourceTypeMenu, 128, data, error));
    EXPECT_EQ(error, "resource not found");
    EXPECT_TRUE(findPeResource(bytes, kPeResourceTypeMenu, 129, data, error));
}

// A cut-off file either still holds the whole resource (the same bytes at the same place) or
// yields nothing; never a part of it.
TEST(PeResources, TruncatedFixturesYieldTheWholeResourceOrNothing)
{
    for (const char* name : vexilor::testing::kMenuModules) {
        const std::vector<std::uint8_t> full = readBytes(menuFixture(name));
        std::span<const std::uint8_t> expected;
        std::string error;
        ASSERT_TRUE(findPeResource(full, kPeResourceTypeMenu, 128, expected, error));
        const std::size_t offset = static_cast<std::size_t>(expected.data() - full.data());
        for (std::size_t length = 0; length < full.size(); ++length) {
            // A copy of exactly that length, so that reading past it is caught by the sanitizers.
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
            std::span<const std::uint8_t> data;
            if (findPeResource(cut, kPeResourceTypeMenu, 128, data, error)) {
                EXPECT_GE(length, offset + expected.size()) << name << " cut at " << length;
                EXPECT_EQ(data.data() - cut.data(), static_cast<std::ptrdiff_t>(offset));
                EXPECT_EQ(data.size(), expected.size());
            }
        }
    }
}

}  // namespace
