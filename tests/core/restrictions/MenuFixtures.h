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
