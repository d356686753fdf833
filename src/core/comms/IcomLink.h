#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "comms/DatagramPort.h"
#include "comms/Frame.h"
#include "comms/Ipv4.h"
#include "comms/Message.h"

namespace vexilor::comms {

inline constexpr std::uint16_t kControllerPort = 27410;
inline constexpr int kDefaultAttemptTimeoutMs = 3000;
// Each exchange sends its request at most this often.
inline constexpr int kAttemptsPerExchange = 2;

// Told before each attempt of an exchange goes out: the controller it goes to and the attempt
// (1-based, of kAttemptsPerExchange). Returning false stops the exchange there, unsent: it fails.
class ILinkObserver {
public:
    virtual ~ILinkObserver() = default;
    virtual bool attempting(Ipv4 address, int attempt, int attempts) = 0;
};

// The request/response link to one intercom: frames a request, sends it to the controller in use
// (the main or the partner of a redundant pair), waits for the reply that carries the request's
// sequence number and unframes it. Open connects with failover between the two controllers and
// moves off a standby controller. Buffers are fixed members: a request allocates nothing.
class CIcomLink {
public:
    explicit CIcomLink(IDatagramPort& port) : port_(port) {}
    ~CIcomLink() { Close(); }
    CIcomLink(const CIcomLink&) = delete;
    CIcomLink& operator=(const CIcomLink&) = delete;

    // How long one attempt waits for its reply, and the controllers' UDP port.
    void setAttemptTimeoutMs(int ms) { timeoutMs_ = ms; }
    int attemptTimeoutMs() const { return timeoutMs_; }
    void setControllerPort(std::uint16_t port) { controllerPort_ = port; }
    // Who hears of each attempt (null: nobody); it must outlive its use.
    void setObserver(ILinkObserver* observer) { observer_ = observer; }

    // Connects to the intercom; an absent address is kNoAddress. True when a controller (not a
    // standby one) answered; the device address and both addresses are then current.
    bool Open(Ipv4 mainAddress, Ipv4 partnerAddress);
    // One exchange: the header (device address, command, next sequence number) and the payload,
    // sent up to twice. True when a matching reply arrived; it is then in reply().
    bool Request(std::uint16_t command, std::span<const std::uint8_t> payload = {});
    // Sends the disconnect system request, ignores its outcome, closes.
    void Disconnect();
    // Forgets the device address and closes the socket; safe when closed.
    void Close();

    Ipv4 GetMainAddress() const { return main_; }
    Ipv4 GetPartnerAddress() const { return partner_; }
    bool IsUsingPartner() const { return usePartner_; }
    std::uint16_t deviceAddress() const { return device_; }
    std::uint32_t sequence() const { return sequence_; }
    bool isOpen() const { return port_.isOpen(); }

    // The last reply: header and payload.
    std::span<const std::uint8_t> reply() const { return {message_.data(), messageLength_}; }
    std::span<const std::uint8_t> replyPayload() const
    {
        return messageLength_ > kHeaderSize
            ? std::span<const std::uint8_t>(message_.data() + kHeaderSize, messageLength_ - kHeaderSize)
            : std::span<const std::uint8_t>();
    }
    std::uint8_t replyFlags() const { return messageLength_ >= kHeaderSize ? message_[3] : 0; }
    // Exchanges asked for and datagrams sent (retries included), for reports and benchmarks.
    std::uint64_t requestsMade() const { return requestsMade_; }
    std::uint64_t datagramsSent() const { return datagramsSent_; }

private:
    Ipv4 currentAddress() const { return usePartner_ ? partner_ : main_; }
    bool switchAddress();
    bool connect();
    void updateControllerAddresses();
    bool exchange();

    IDatagramPort& port_;
    int timeoutMs_ = kDefaultAttemptTimeoutMs;
    std::uint16_t controllerPort_ = kControllerPort;
    ILinkObserver* observer_ = nullptr;

    std::size_t messageLength_ = 0;
    std::size_t frameLength_ = 0;
    std::uint16_t device_ = kUnknownDevice;
    std::uint32_t sequence_ = 0;
    std::uint32_t requestSequence_ = 0;
    std::array<std::uint8_t, kMaxMessage> message_{};
    std::array<std::uint8_t, kMaxFrame> frame_{};
    // Replies land here, so a retry still sends the request's frame.
    std::array<std::uint8_t, kMaxFrame> received_{};
    bool usePartner_ = false;
    Ipv4 main_ = kNoAddress;
    Ipv4 partner_ = kNoAddress;
    std::uint64_t requestsMade_ = 0;
    std::uint64_t datagramsSent_ = 0;
};

}  // namespace vexilor::comms
