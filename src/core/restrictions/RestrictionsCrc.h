#pragma once

#include <cstdint>
#include <string_view>

namespace vexilor {

// The CRC that closes a restrictions file: CRC-16 with the reflected polynomial 0xA001, started
// at 0xE553 (bytes high 0x53, low 0xE5), no final XOR, fed with the low byte of each UTF-16 code
// unit. value() is the number the CRC line prints: (high << 8) | low.
class CRestrictionsCrc {
public:
    void reset() { reg_ = kStart; }
    void update(std::uint8_t byte) { reg_ = static_cast<std::uint16_t>((reg_ >> 8) ^ table()[(reg_ ^ byte) & 0xFF]); }
    void update(std::u16string_view text)
    {
        for (const char16_t unit : text)
            update(static_cast<std::uint8_t>(unit & 0xFF));
    }
    std::uint16_t value() const { return static_cast<std::uint16_t>((reg_ << 8) | (reg_ >> 8)); }

private:
    static constexpr std::uint16_t kStart = 0xE553;
    static const std::uint16_t* table();

    std::uint16_t reg_ = kStart;
};

}  // namespace vexilor
