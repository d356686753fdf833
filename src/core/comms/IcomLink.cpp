#include "comms/IcomLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace vexilor::comms {

bool CIcomLink::Open(Ipv4 mainAddress, Ipv4 partnerAddress)
{
    if (port_.isOpen())
        return false;
    main_ = mainAddress;
    partner_ = partnerAddress;
    usePartner_ = main_ == kNoAddress && partner_ != kNoAddress;
    if (main_ == kNoAddress && partner_ == kNoAddress)
        return false;
    if (!port_.open())
        return false;

    device_ = kUnknownDevice;
    if (!connect()) {
        if (!switchAddress() || !connect()) {
            Close();
            return false;
        }
    }
    device_ = messageDevice(message_.data());
    if (device_ != kStandbyDevice) {
        updateControllerAddresses();
        return true;
    }
    // The standby controller of a pair answered: it tells where its partner is; go there.
    device_ = kUnknownDevice;
    updateControllerAddresses();
    if (!switchAddress() || !connect()) {
        Close();
        return false;
    }
    device_ = messageDevice(message_.data());
    if (device_ == kStandbyDevice) {
        Close();
        return false;
    }
    updateControllerAddresses();
    return true;
}

bool CIcomLink::connect()
{
    const std::uint16_t keep = device_;
    device_ = kUnknownDevice;  // a connect always goes out with device address FF FF
    const bool ok = Request(command::kConnect);
    device_ = keep;
    return ok;
}

bool CIcomLink::switchAddress()
{
    if (!usePartner_) {
        if (partner_ == kNoAddress)
            return false;
        usePartner_ = true;
        return true;
    }
    if (main_ == kNoAddress)
        return false;
    usePartner_ = false;
    return true;
}

void CIcomLink::updateControllerAddresses()
{
    if (!Request(command::kControllerAddresses))
        return;
    const std::span<const std::uint8_t> payload = replyPayload();
    // Both addresses must be in the reply: a shorter one is not read past its end.
    if ((replyFlags() & kReplyError) != 0 || payload.size() < 27 || (payload[0] & 0x03) != 0x03)
        return;
    const Ipv4 a = readBe32(payload.data() + 2);
    const Ipv4 b = readBe32(payload.data() + 23);
    if (a == kNoAddress && b == kNoAddress)
        return;
    if (usePartner_)
        main_ = partner_ == a ? b : a;
    else
        partner_ = main_ == a ? b : a;
}

bool CIcomLink::Request(std::uint16_t command, std::span<const std::uint8_t> payload)
{
    if (payload.size() > kMaxMessage - kHeaderSize)
        return false;
    ++requestsMade_;
    sequence_ = (sequence_ + 1) & kSequenceMask;
    requestSequence_ = sequence_;
    writeHeader(std::span<std::uint8_t, kHeaderSize>(message_.data(), kHeaderSize), device_, command,
                sequence_);
    if (!payload.empty())
        std::memcpy(message_.data() + kHeaderSize, payload.data(), payload.size());
    messageLength_ = kHeaderSize + payload.size();
    return exchange();
}

bool CIcomLink::exchange()
{
    frameLength_ = frameMessage({message_.data(), messageLength_}, frame_);
    messageLength_ = 0;
    using Clock = std::chrono::steady_clock;
    for (int attempt = 0; attempt < kAttemptsPerExchange; ++attempt) {
        const Ipv4 target = currentAddress();
        if (observer_ && !observer_->attempting(target, attempt + 1, kAttemptsPerExchange))
            break;
        ++datagramsSent_;
        if (!port_.send(target, controllerPort_, {frame_.data(), frameLength_}))
            continue;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            Ipv4 from = 0;
            const int got = port_.receive(received_, static_cast<int>(std::max<long long>(left.count(), 0)), from);
            if (got < 0)
                break;  // nothing more in this attempt's time
            // Only this request's reply from the controller in use is taken. Anything else (another
            // host, not a frame, a late reply to an earlier request) is dropped and the wait goes on:
            // a stale datagram left in the socket must not cost this and every later exchange an
            // attempt.
            if (from == target) {
                const std::size_t length =
                    unframeMessage({received_.data(), static_cast<std::size_t>(got)}, message_);
                if (length >= kHeaderSize && messageSequence(message_.data()) == requestSequence_) {
                    messageLength_ = length;
                    return true;
                }
            }
            if (Clock::now() >= deadline)
                break;
        }
    }
    messageLength_ = 0;
    return false;
}

void CIcomLink::Disconnect()
{
    if (port_.isOpen()) {
        const std::uint8_t sub = system::kDisconnect;
        Request(command::kSystem, {&sub, 1});
    }
    Close();
}

void CIcomLink::Close()
{
    device_ = kUnknownDevice;
    if (port_.isOpen())
        port_.close();
}

}  // namespace vexilor::comms
