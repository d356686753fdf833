#pragma once

#include "comms/DatagramPort.h"

#include <memory>

class QUdpSocket;

namespace vexilor::net {

// The link's socket: one UDP socket bound to any local address and port, waiting for one
// datagram at a time. Used on the thread that created it (the upload's worker).
class UdpDatagramPort : public comms::IDatagramPort {
public:
    UdpDatagramPort();
    ~UdpDatagramPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool send(comms::Ipv4 address, std::uint16_t port, std::span<const std::uint8_t> datagram) override;
    int receive(std::span<std::uint8_t> buffer, int timeoutMs, comms::Ipv4& from) override;

private:
    std::unique_ptr<QUdpSocket> socket_;
};

}  // namespace vexilor::net
