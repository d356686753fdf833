#pragma once

// The conversion tables of a code page that the platform converts, and what the platform offers to
// build them. Internal to the code page.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

namespace vexilor::text {

struct CodePage::Tables {
    static constexpr char16_t kReplacement = 0xFFFD;
    // In pairs: no character.
    static constexpr char16_t kNoUnit = 0xFFFF;
    // In encoding: the code page cannot hold the unit. No code page here has lead byte 0xFF.
    static constexpr std::uint16_t kNoBytes = 0xFFFF;

    unsigned number = 0;
    bool multiByte = false;
    std::array<bool, 256> lead{};
    // The character of each byte standing alone; kReplacement for a lead byte or an unassigned byte.
    std::array<char16_t, 256> single{};
    // Multi-byte only: the character of lead << 8 | trail, kNoUnit when unassigned.
    std::vector<char16_t> pairs;
    // Per UTF-16 unit: kNoBytes, a byte value (below 0x100) or lead << 8 | trail.
    std::vector<std::uint16_t> encoding;
};

namespace platform {

// One code page as the platform converts it, asked one character at a time.
class CConverter {
public:
    enum class Decoded { Unit, Incomplete, Invalid };

    virtual ~CConverter() = default;
    // Decodes exactly these bytes (one or two) as one UTF-16 unit: Unit, Incomplete (a lead byte
    // alone) or Invalid (unassigned, or more or less than one unit).
    virtual Decoded decodeOne(std::string_view bytes, char16_t& unit) = 0;
    // The bytes of one unit, empty when the code page cannot hold it exactly (no best fit).
    virtual std::string encodeOne(char16_t unit) = 0;
};

// Null when the platform does not convert that code page.
std::unique_ptr<CConverter> openConverter(unsigned number);

// The system's ANSI code page (1252 where there is none).
unsigned systemAnsiCodePage();

}  // namespace platform
}  // namespace vexilor::text
