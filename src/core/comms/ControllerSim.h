#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "comms/Discovery.h"
#include "comms/Ipv4.h"
#include "intercom/Intercom.h"

namespace vexilor::comms {

// How a simulated controller presents itself.
struct ControllerIdentity {
    std::uint16_t deviceAddress = 1;
    // A standby controller answers connect with device address FFFE.
    bool standby = false;
    // The pair's addresses as the controller-address request reports them (kNoAddress: none).
    Ipv4 firstController = kNoAddress;
    Ipv4 secondController = kNoAddress;
    // Version of the system-size record (0 to 7).
    std::uint16_t sizeVersion = 7;
    // Discovery reply fields (name and description default to the intercom's name and info text).
    std::uint32_t deviceType = 2;
    std::uint32_t frameIndex = 0;
    std::uint32_t frameCount = 0;
    bool sendFrameBytes = true;
    std::uint32_t firstConnections = 4;
    std::uint32_t secondConnections = 8;
};

// The controller side of the protocol, without sockets: answers request messages from a
// configuration, as an intercom controller would. The simulator and the tests put it behind a
// real or a scripted port.
class CControllerSim {
public:
    // 8-bit texts go out in codePage.
    CControllerSim(const CIntercom& icom, ControllerIdentity identity, text::CodePage codePage = {})
        : icom_(icom), id_(identity), codePage_(std::move(codePage))
    {
    }

    // The reply message to a request message; false when the request is too short to answer.
    // Commands it does not know get a reply with the error flag set.
    bool answer(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply) const;

    // The capability report the controller sends: the configuration's capabilities turned back
    // into reported bits.
    std::vector<std::uint8_t> capabilityReport() const;

    const ControllerIdentity& identity() const { return id_; }
    const CIntercom& intercom() const { return icom_; }

private:
    void systemSize(std::vector<std::uint8_t>& payload) const;
    void alphas(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& payload) const;
    void descriptions(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& payload) const;
    void statementTexts(std::span<const std::uint8_t> request, std::vector<std::uint8_t>& payload) const;

    void putText(std::vector<std::uint8_t>& out, std::u16string_view text, std::size_t width,
                 bool unicode, char16_t pad) const;

    const CIntercom& icom_;
    ControllerIdentity id_;
    text::CodePage codePage_;
};

}  // namespace vexilor::comms
