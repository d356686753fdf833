#pragma once

// Shared by the menu and PE tests: the committed PE fixtures (built by
// tests/fixtures/menus/build.sh) and a scratch directory to arrange modules in.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace vexilor::testing {

inline std::filesystem::path menuFixture(const std::string& relative)
{
    return std::filesystem::path(VEXILOR_FIXTURES_DIR) / "menus" / relative;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out) << path;
}

// Every module fixture that holds menu 128.
inline const char* const kMenuModules[] = {
    "win64/Tovrin.exe", "win64/tvres1041.dll", "win32/Tovrin.exe", "win32/tvres1041.dll"};

// The parts of a well-formed fixture module that a reader looks at: the headers up to the end of
// the section table, and the resource section. The rest is code, imports and padding.
inline std::vector<std::pair<std::size_t, std::size_t>> structuralRanges(const std::vector<std::uint8_t>& pe)
{
    const auto u16 = [&](std::size_t at) { return std::size_t{pe.at(at)} | std::size_t{pe.at(at + 1)} << 8; };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    const std::size_t header = u32(0x3C);
    const std::size_t sections = header + 24 + u16(header + 20);
    const std::size_t count = u16(header + 6);
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, sections + 40 * count}};
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = sections + 40 * i;
        if (std::string(reinterpret_cast<const char*>(&pe.at(at)), 5) == ".rsrc")
            ranges.emplace_back(u32(at + 20), u32(at + 20) + u32(at + 8));
    }
    EXPECT_EQ(ranges.size(), 2u);
    return ranges;
}

// A fresh directory under the system's temporary directory, removed with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("vexilor-menus-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace vexilor::testing
