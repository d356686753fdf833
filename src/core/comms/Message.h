#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexilor::comms {

// Message layout (numbers big-endian): bytes 0-1 device address; byte 2 command bits 0-7; byte 3
// sequence bits 8-10 in bits 0-2 and command bits 8-9 in bits 4-5 (in replies bit 7 is the error
// flag, bits 3 and 6 further status flags); byte 4 sequence bits 0-7; then the payload.
inline constexpr std::size_t kHeaderSize = 5;
inline constexpr std::uint16_t kUnknownDevice = 0xFFFF;
inline constexpr std::uint16_t kStandbyDevice = 0xFFFE;
inline constexpr std::uint32_t kSequenceMask = 0x7FF;

inline constexpr std::uint8_t kReplyError = 0x80;
// Error and status flags: a data reply with any of them set is not taken.
inline constexpr std::uint8_t kReplyRejectFlags = 0x80 | 0x40 | 0x08;

namespace command {
inline constexpr std::uint16_t kAlphas = 9;
inline constexpr std::uint16_t kDescriptions = 78;
inline constexpr std::uint16_t kCapabilities = 93;
inline constexpr std::uint16_t kStatementTexts = 129;
inline constexpr std::uint16_t kConnect = 218;
inline constexpr std::uint16_t kSystem = 219;
inline constexpr std::uint16_t kControllerAddresses = 220;
inline constexpr std::uint16_t kDiscovery = 222;
}  // namespace command

namespace system {
inline constexpr std::uint8_t kDisconnect = 0x1A;
inline constexpr std::uint8_t kSize = 0xAD;
}  // namespace system

// Writes the five header bytes.
void writeHeader(std::span<std::uint8_t, kHeaderSize> out, std::uint16_t device,
                 std::uint16_t command, std::uint32_t sequence);

// Header fields of a message of at least kHeaderSize bytes.
inline std::uint16_t messageDevice(const std::uint8_t* m)
{
    return static_cast<std::uint16_t>((m[0] << 8) | m[1]);
}
inline std::uint16_t messageCommand(const std::uint8_t* m)
{
    return static_cast<std::uint16_t>(m[2] | ((m[3] & 0x30) << 4));
}
inline std::uint32_t messageSequence(const std::uint8_t* m)
{
    return (static_cast<std::uint32_t>(m[3] & 0x07) << 8) | m[4];
}

inline std::uint16_t readBe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t readBe32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline void writeBe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline void writeBe32(std::uint8_t* p, std::uint32_t v)
{
    writeBe16(p, static_cast<std::uint16_t>(v >> 16));
    writeBe16(p + 2, static_cast<std::uint16_t>(v));
}

}  // namespace vexilor::comms
