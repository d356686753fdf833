#include "comms/Message.h"

namespace vexilor::comms {

void writeHeader(std::span<std::uint8_t, kHeaderSize> out, std::uint16_t device,
                 std::uint16_t command, std::uint32_t sequence)
{
    out[0] = static_cast<std::uint8_t>(device >> 8);
    out[1] = static_cast<std::uint8_t>(device);
    out[2] = static_cast<std::uint8_t>(command);
    out[3] = static_cast<std::uint8_t>(((sequence >> 8) & 0x07) | (((command >> 8) & 0x03) << 4));
    out[4] = static_cast<std::uint8_t>(sequence);
}

}  // namespace vexilor::comms
