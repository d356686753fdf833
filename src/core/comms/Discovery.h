#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "comms/Ipv4.h"
#include "text/CodePage.h"

namespace vexilor::comms {

inline constexpr std::uint16_t kBroadcastPort = 27411;

// One controller's answer to the discovery request.
struct IcomReplyInfo {
    std::uint32_t command = 0;
    std::uint32_t deviceType = 0;
    bool active = false;
    std::uint32_t firstConnections = 0;
    std::uint32_t secondConnections = 0;
    Ipv4 ipAddress = 0;  // the sender of the datagram
    Ipv4 partnerAddress = 0;
    std::u16string name;         // trimmed
    std::u16string description;  // as sent
    std::uint32_t frameIndex = 0;  // 0-based
    std::uint32_t frameCount = 0;

    bool operator==(const IcomReplyInfo&) const = default;
};

// The framed discovery request (command 222, device address FFFF, no payload) with the given
// sequence number.
std::vector<std::uint8_t> discoveryRequestFrame(std::uint32_t sequence);

// Parses a received datagram; nullopt unless it is a frame holding an accepted discovery reply (no
// error or status flag, command 222, at least 12 bytes) whose name and description lie within it.
// The name and the description are 8-bit texts in codePage.
std::optional<IcomReplyInfo> parseDiscoveryReply(std::span<const std::uint8_t> datagram, Ipv4 sender,
                                                 const text::CodePage& codePage = {});

// Builds the message of a discovery reply (header with device address, command 222 and the given
// sequence, then the payload); frame it with frameMessage. Texts are sent in codePage, each cut
// between characters to at most 255 bytes.
std::vector<std::uint8_t> discoveryReplyMessage(const IcomReplyInfo& info, std::uint16_t device,
                                                std::uint32_t sequence, bool withFrameBytes,
                                                const text::CodePage& codePage = {});

// Labels shown for a reply.
std::u16string deviceTypeLabel(std::uint32_t deviceType);
std::u16string statusLabel(bool active);
// "%1/%2 Available" with the first and second connection counts.
std::u16string connectionsText(const IcomReplyInfo& info);

// The directed broadcast address of an adapter address with an on-link prefix of length prefix.
Ipv4 directedBroadcast(Ipv4 address, unsigned prefix);

}  // namespace vexilor::comms
