#include "comms/Frame.h"

namespace vexilor::comms {

std::size_t frameMessage(std::span<const std::uint8_t> message, std::span<std::uint8_t> out)
{
    if (out.size() < 2 * message.size() + 4)
        return 0;
    std::size_t n = 0;
    out[n++] = kFrameStart;
    std::uint8_t sum = 0;
    auto put = [&](std::uint8_t b) {
        if (needsEscape(b))
            out[n++] = kFrameEscape;
        out[n++] = b;
    };
    for (std::uint8_t b : message) {
        put(b);
        sum = static_cast<std::uint8_t>(sum + b);
    }
    put(static_cast<std::uint8_t>(0u - sum));
    out[n++] = kFrameEnd;
    return n;
}

std::size_t unframeMessage(std::span<const std::uint8_t> frame, std::span<std::uint8_t> out)
{
    if (frame.empty() || frame[0] != kFrameStart)
        return 0;
    // The message plus its checksum must fit; one byte of room for the checksum beyond out.
    std::size_t n = 0;
    bool escaped = false;
    bool haveChecksum = false;  // a byte past out's end that can only be the checksum
    for (std::size_t i = 1; i < frame.size(); ++i) {
        const std::uint8_t b = frame[i];
        if (!escaped && b == kFrameEnd)
            break;
        if (!escaped && b == kFrameStart)
            return 0;
        if (!escaped && b == kFrameEscape) {
            escaped = true;
            continue;
        }
        escaped = false;
        if (haveChecksum)
            return 0;  // more than a full buffer plus the checksum: too long
        if (n < out.size())
            out[n++] = b;
        else
            haveChecksum = true;
    }
    if (haveChecksum)
        return n;  // the byte that did not fit was the checksum
    return n == 0 ? 0 : n - 1;
}

}  // namespace vexilor::comms
