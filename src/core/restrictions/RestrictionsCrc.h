#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexilor {

// The CRC that closes a restrictions file: CRC-16 with the reflected polynomial 0xA001, started
// at 0xE553 (bytes high 0x53, low 0xE5), no final XOR, fed with the low byte of each UTF-16 code
// unit. value() is the number the CRC line prints: (high << 8) | low.
class CRestrictionsCrc {
public:
    void reset() { reg_ = kStart; }
    void update(std::uint8_t byte) { update(&byte, 1); }
    void update(const std::uint8_t* bytes, std::size_t count);
    // The low byte of every code unit.
    void update(std::u16string_view text);
    std::uint16_t value() const { return static_cast<std::uint16_t>((reg_ << 8) | (reg_ >> 8)); }

    // A CRC whose register starts at zero: the CRC of a stretch of bytes that is joined to the
    // CRC of the bytes before it later.
    static CRestrictionsCrc fromZero()
    {
        CRestrictionsCrc crc;
        crc.reg_ = 0;
        return crc;
    }
    // Becomes the CRC of the bytes so far followed by the count bytes of tail, a CRC started
    // fromZero(). The register change of a byte is linear, so this is the change of count zero
    // bytes applied to this register, added to tail's.
    void append(const CRestrictionsCrc& tail, std::uint64_t count);

private:
    static constexpr std::uint16_t kStart = 0xE553;

    std::uint16_t reg_ = kStart;
};

}  // namespace vexilor
