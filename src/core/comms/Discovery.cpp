#include "comms/Discovery.h"

#include "comms/Frame.h"
#include "comms/Message.h"
#include "text/Windows1252.h"

#include <array>

namespace vexilor::comms {
namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'
        || c == 0x00A0;
}

std::u16string trimmed(std::u16string text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

std::u16string fromBytes(const std::uint8_t* p, std::size_t n, const text::CodePage& codePage)
{
    return codePage.decode({reinterpret_cast<const char*>(p), n});
}

// At most 255 bytes, cut between characters.
std::string lengthPrefixed(std::u16string_view text, const text::CodePage& codePage)
{
    std::string bytes = codePage.encode(text);
    bytes.resize(codePage.fit(bytes, 255));
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> discoveryRequestFrame(std::uint32_t sequence)
{
    std::array<std::uint8_t, kHeaderSize> message{};
    writeHeader(message, kUnknownDevice, command::kDiscovery, sequence & kSequenceMask);
    std::vector<std::uint8_t> frame(2 * message.size() + 4);
    frame.resize(frameMessage(message, frame));
    return frame;
}

std::optional<IcomReplyInfo> parseDiscoveryReply(std::span<const std::uint8_t> datagram, Ipv4 sender,
                                                 const text::CodePage& codePage)
{
    std::array<std::uint8_t, kMaxMessage> message{};
    const std::size_t length = unframeMessage(datagram, message);
    if (length < 12)
        return std::nullopt;
    const std::uint8_t* m = message.data();
    if ((m[3] & kReplyRejectFlags) != 0 || messageCommand(m) != command::kDiscovery)
        return std::nullopt;
    const std::uint8_t* p = m + kHeaderSize;
    const std::size_t size = length - kHeaderSize;
    // The fixed part runs to the name length at offset 10.
    if (size < 11)
        return std::nullopt;
    IcomReplyInfo info;
    info.command = command::kDiscovery;
    info.deviceType = p[0];
    info.active = (p[1] & 0x01) != 0;
    info.secondConnections = readBe16(p + 2);
    info.firstConnections = readBe16(p + 4);
    info.partnerAddress = readBe32(p + 6);
    info.ipAddress = sender;
    const std::size_t nameLength = p[10];
    // Name, then the description length byte: both must lie within the reply.
    if (11 + nameLength + 1 > size)
        return std::nullopt;
    info.name = trimmed(fromBytes(p + 11, nameLength, codePage));
    const std::size_t descLength = p[11 + nameLength];
    const std::size_t descStart = 12 + nameLength;
    if (descStart + descLength > size)
        return std::nullopt;
    info.description = fromBytes(p + descStart, descLength, codePage);
    const std::size_t after = descStart + descLength;
    if (size - after >= 2) {
        info.frameIndex = p[after];
        info.frameCount = p[after + 1];
    }
    return info;
}

std::vector<std::uint8_t> discoveryReplyMessage(const IcomReplyInfo& info, std::uint16_t device,
                                                std::uint32_t sequence, bool withFrameBytes,
                                                const text::CodePage& codePage)
{
    const std::string name = lengthPrefixed(info.name, codePage);
    const std::string desc = lengthPrefixed(info.description, codePage);
    std::vector<std::uint8_t> m(kHeaderSize + 11);
    writeHeader(std::span<std::uint8_t, kHeaderSize>(m.data(), kHeaderSize), device,
                command::kDiscovery, sequence & kSequenceMask);
    std::uint8_t* p = m.data() + kHeaderSize;
    p[0] = static_cast<std::uint8_t>(info.deviceType);
    p[1] = info.active ? 1 : 0;
    writeBe16(p + 2, static_cast<std::uint16_t>(info.secondConnections));
    writeBe16(p + 4, static_cast<std::uint16_t>(info.firstConnections));
    writeBe32(p + 6, info.partnerAddress);
    p[10] = static_cast<std::uint8_t>(name.size());
    m.insert(m.end(), name.begin(), name.end());
    m.push_back(static_cast<std::uint8_t>(desc.size()));
    m.insert(m.end(), desc.begin(), desc.end());
    if (withFrameBytes) {
        m.push_back(static_cast<std::uint8_t>(info.frameIndex));
        m.push_back(static_cast<std::uint8_t>(info.frameCount));
    }
    return m;
}

std::u16string deviceTypeLabel(std::uint32_t deviceType)
{
    switch (deviceType) {
    case 2: return u"Malvet Intercom";
    case 3: return u"Pendra System Controller";
    case 4: return u"KOLT-III Intercom";
    case 5: return u"KOLT-III Lite Intercom";
    default: return u"Unknown device type";
    }
}

std::u16string statusLabel(bool active)
{
    return active ? u"Active" : u"Standby";
}

std::u16string connectionsText(const IcomReplyInfo& info)
{
    const std::string s =
        std::to_string(info.firstConnections) + '/' + std::to_string(info.secondConnections) + " Available";
    return std::u16string(s.begin(), s.end());
}

Ipv4 directedBroadcast(Ipv4 address, unsigned prefix)
{
    const Ipv4 mask = prefix == 0 ? 0u : prefix >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefix)) - 1u);
    return (address & mask) | ~mask;
}

}  // namespace vexilor::comms
