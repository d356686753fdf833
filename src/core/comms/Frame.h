#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexilor::comms {

// Sizes of the link's buffers: a message (header and payload) holds at most 2000 bytes; its frame,
// with every byte and the checksum escaped plus the start and end bytes, at most 4004.
inline constexpr std::size_t kMaxMessage = 2000;
inline constexpr std::size_t kMaxFrame = 2 * kMaxMessage + 4;

inline constexpr std::uint8_t kFrameStart = 0xD5;
inline constexpr std::uint8_t kFrameEnd = 0xDD;
inline constexpr std::uint8_t kFrameEscape = 0xDA;

// The seven byte values that travel behind an escape byte, in the body and the checksum alike.
constexpr bool needsEscape(std::uint8_t b)
{
    return b == 0x1A || b == 0x9E || b == 0xA5 || b == 0xAD || b == 0xD5 || b == 0xDA || b == 0xDD;
}

// Frames message into out (at least 2 * message.size() + 4 bytes): start byte, the escaped message
// bytes, the escaped checksum (two's complement of their 8-bit sum) and the end byte. Returns the
// frame's length.
std::size_t frameMessage(std::span<const std::uint8_t> message, std::span<std::uint8_t> out);

// Unframes a received datagram into out (kMaxMessage bytes). The checksum, the last byte before
// the end, is dropped unverified. Returns the message length; 0 for a datagram that is not a frame
// (no start byte, a start byte inside the frame, nothing but a checksum). A frame whose message
// would not fit into out is rejected with 0 as well, never written past the buffer.
std::size_t unframeMessage(std::span<const std::uint8_t> frame, std::span<std::uint8_t> out);

}  // namespace vexilor::comms
