// Unframing arbitrary datagrams must never write past the message buffer, and whatever unframes
// must frame and unframe back to itself.
#include "comms/Frame.h"

#include <array>
#include <cstdlib>
#include <cstring>

using namespace vexilor::comms;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, kMaxMessage + 64> guarded{};
    guarded.fill(0xA7);
    const std::size_t n = unframeMessage({data, size}, std::span<std::uint8_t>(guarded.data(), kMaxMessage));
    for (std::size_t i = kMaxMessage; i < guarded.size(); ++i)
        if (guarded[i] != 0xA7)
            std::abort();
    if (n > kMaxMessage)
        std::abort();
    std::array<std::uint8_t, kMaxFrame> frame{};
    const std::size_t f = frameMessage({guarded.data(), n}, frame);
    std::array<std::uint8_t, kMaxMessage> again{};
    const std::size_t m = unframeMessage({frame.data(), f}, again);
    if (n > 0 && (m != n || std::memcmp(again.data(), guarded.data(), n) != 0))
        std::abort();
    return 0;
}
