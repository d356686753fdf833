#include "comms/ControllerSim.h"

#include "comms/Frame.h"
#include "comms/Message.h"
#include "comms/WireTypes.h"
#include "intercom/Capabilities.h"
#include "text/Windows1252.h"

#include <algorithm>

namespace vexilor::comms {
namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// A reply never grows past what one message holds: a request for more gets fewer entries.
bool fits(const std::vector<std::uint8_t>& payload, std::size_t entry)
{
    return payload.size() + entry <= kMaxMessage - kHeaderSize;
}

}  // namespace

// Text as fixed-width 8-bit characters (cut between characters, padded with pad) or big-endian
// UTF-16 units.
void CControllerSim::putText(std::vector<std::uint8_t>& out, std::u16string_view text,
                             std::size_t width, bool unicode, char16_t pad) const
{
    if (unicode) {
        for (std::size_t i = 0; i < width; ++i)
            put16(out, i < text.size() ? text[i] : pad);
        return;
    }
    const std::string bytes = codePage_.encode(text);
    const std::size_t n = codePage_.fit(bytes, width);
    out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    out.insert(out.end(), width - n, static_cast<std::uint8_t>(pad));
}

std::vector<std::uint8_t> CControllerSim::capabilityReport() const
{
    std::vector<std::uint8_t> bits((kMaxReportedCapabilityBits + 7) / 8, 0);
    for (unsigned r = 0; r < kMaxReportedCapabilityBits; ++r) {
        const int c = CapabilityFromReportedBit(r);
        if (c >= 0 && icom_.HasCapability(static_cast<unsigned>(c)))
            bits[r / 8] = static_cast<std::uint8_t>(bits[r / 8] | (1u << (r % 8)));
    }
    return bits;
}

bool CControllerSim::answer(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply) const
{
    if (request.size() < kHeaderSize)
        return false;
    const std::uint16_t command = messageCommand(request.data());
    const std::span<const std::uint8_t> payload = request.subspan(kHeaderSize);
    std::vector<std::uint8_t> body;
    bool error = false;
    std::uint16_t device = id_.deviceAddress;
    switch (command) {
    case command::kConnect:
        if (id_.standby)
            device = kStandbyDevice;
        break;
    case command::kControllerAddresses:
        body.assign(27, 0);
        body[0] = 0x03;
        writeBe32(body.data() + 2, id_.firstController);
        writeBe32(body.data() + 23, id_.secondController);
        break;
    case command::kSystem:
        if (payload.empty())
            error = true;
        else if (payload[0] == system::kSize)
            systemSize(body);
        break;  // disconnect and other sub-commands: an empty reply
    case command::kCapabilities:
        body = capabilityReport();
        break;
    case command::kAlphas:
        alphas(payload, body);
        break;
    case command::kDescriptions:
        descriptions(payload, body);
        break;
    case command::kStatementTexts:
        statementTexts(payload, body);
        break;
    case command::kDiscovery: {
        IcomReplyInfo info;
        info.deviceType = id_.deviceType;
        info.active = !id_.standby;
        info.firstConnections = id_.firstConnections;
        info.secondConnections = id_.secondConnections;
        info.partnerAddress = id_.secondController == kNoAddress ? 0 : id_.secondController;
        info.name = icom_.name;
        info.description = icom_.infoText;
        info.frameIndex = id_.frameIndex;
        info.frameCount = id_.frameCount;
        reply = discoveryReplyMessage(info, device, messageSequence(request.data()), id_.sendFrameBytes,
                                      codePage_);
        return true;
    }
    default:
        error = true;
        break;
    }
    reply.assign(kHeaderSize, 0);
    writeHeader(std::span<std::uint8_t, kHeaderSize>(reply.data(), kHeaderSize), device, command,
                messageSequence(request.data()));
    if (error)
        reply[3] = static_cast<std::uint8_t>(reply[3] | kReplyError);
    reply.insert(reply.end(), body.begin(), body.end());
    return true;
}

void CControllerSim::systemSize(std::vector<std::uint8_t>& p) const
{
    const unsigned v = std::min<unsigned>(id_.sizeVersion, 7);
    p.push_back(system::kSize);
    put16(p, icom_.sizeReportWord);
    put16(p, v);
    if (v >= 1) {
        for (unsigned w : {icom_.keypanelCount, icom_.partyLineCount, icom_.ifbCount, icom_.specialListCount,
                           icom_.gpiOutputCount, icom_.isoCount, icom_.groupCount, icom_.uplResourceCount,
                           icom_.spareCount1, icom_.gpiInputCount, icom_.spareCount2, icom_.uplStatementCount,
                           icom_.dimTableCount, icom_.spareCount3, icom_.frameCount, icom_.ioCardCount,
                           icom_.panelCount})
            put16(p, w);
        p.insert(p.end(), 10, 0);
    }
    if (v >= 2)
        put16(p, icom_.optionFlags);
    if (v >= 3)
        put16(p, icom_.autoDialCount);
    if (v >= 4)
        put16(p, icom_.alphaSize);
    if (v >= 5)
        p.insert(p.end(), 8, 0);
    if (v >= 6)
        p.insert(p.end(), 2, 0);
    if (v >= 7) {
        put16(p, icom_.assignmentGroupCount);
        put16(p, icom_.ifbSpecialListCount);
    }
}

void CControllerSim::alphas(std::span<const std::uint8_t> q, std::vector<std::uint8_t>& p) const
{
    if (q.size() < 5)
        return;
    const int wireType = q[1] >> 4;
    const unsigned first = (((q[1] & 0x0Fu) << 8) | q[2]) + 1;
    const unsigned wireCode = q[3] >> 4;
    const unsigned count = ((q[3] & 0x0Fu) << 8) | q[4];
    const auto size = std::find_if(wire::kAlphaSizes.begin(), wire::kAlphaSizes.end(),
                                   [wireCode](const wire::AlphaSize& s) { return s.wireCode == wireCode; });
    if (size == wire::kAlphaSizes.end())
        return;
    p.assign(2, 0);
    if (wireType == wire::kNameType) {
        putText(p, icom_.name, 4, false, u' ');
        return;
    }
    const int type = wire::resourceTypeOfAlphaWire(wireType);
    if (type == wire::kNone)
        return;
    const unsigned available = type == static_cast<int>(restype::kInputAlpha)
        ? icom_.keypanelCount
        : icom_.Count(static_cast<unsigned>(type));
    const bool unicode = size->sizeCode == 16;
    const std::size_t width = unicode ? 8 : size->bytes;
    const std::size_t entry = unicode ? 2 * width : width;
    for (unsigned n = first; n < first + count && n <= available && fits(p, entry); ++n) {
        const auto it = icom_.alphas.find(ResourceKey(static_cast<unsigned>(type), n));
        const std::u16string text = it != icom_.alphas.end()
            ? it->second.Field(size->sizeCode).str()
            : icom_.DefaultAlpha(static_cast<unsigned>(type), n);
        putText(p, text, width, unicode, unicode ? char16_t(0x3000) : u' ');
    }
}

void CControllerSim::descriptions(std::span<const std::uint8_t> q, std::vector<std::uint8_t>& p) const
{
    if (q.size() < 5)
        return;
    const bool unicode = (q[0] & 0x80) != 0;
    const int type = wire::resourceTypeOfDescriptionWire(q[0] & 0x7F);
    if (type == wire::kNone)
        return;
    const unsigned first = readBe16(q.data() + 1) + 1u;
    const unsigned count = readBe16(q.data() + 3);
    const unsigned available = icom_.Count(static_cast<unsigned>(type));
    const std::size_t entry = unicode ? 2 * wire::kDescriptionLength : wire::kDescriptionLength;
    for (unsigned n = first; n < first + count && n <= available && fits(p, entry); ++n) {
        const auto it = icom_.descriptions.find(ResourceKey(static_cast<unsigned>(type), n));
        const std::u16string_view text = it != icom_.descriptions.end() ? std::u16string_view(it->second.text)
                                                                         : std::u16string_view();
        putText(p, text, wire::kDescriptionLength, unicode, 0);
    }
}

void CControllerSim::statementTexts(std::span<const std::uint8_t> q, std::vector<std::uint8_t>& p) const
{
    if (q.size() < 4)
        return;
    const unsigned first = readBe16(q.data()) + 1u;
    const unsigned count = readBe16(q.data() + 2);
    for (unsigned n = first; n < first + count && n <= icom_.uplStatementCount && fits(p, wire::kStatementEntry);
         ++n) {
        const auto it = icom_.descriptions.find(ResourceKey(restype::kUplStatement, n));
        p.insert(p.end(), wire::kStatementEntry - wire::kStatementText, 0);
        putText(p, it != icom_.descriptions.end() ? std::u16string_view(it->second.text) : std::u16string_view(),
                wire::kStatementText, false, 0);
    }
}

}  // namespace vexilor::comms
