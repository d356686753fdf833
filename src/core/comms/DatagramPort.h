#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "comms/Ipv4.h"

namespace vexilor::comms {

// The datagram socket a link talks through: the real one is a UDP socket (in the network library),
// tests use a scripted one. One datagram in, one out; no partial reads.
class IDatagramPort {
public:
    virtual ~IDatagramPort() = default;

    // Creates the socket; false when it cannot be made.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends one datagram; false when it could not be sent.
    virtual bool send(Ipv4 address, std::uint16_t port, std::span<const std::uint8_t> datagram) = 0;
    // Waits at most timeoutMs for one datagram and receives it into buffer (longer datagrams are
    // cut to the buffer). Returns its length, or -1 when none arrived in time.
    virtual int receive(std::span<std::uint8_t> buffer, int timeoutMs, Ipv4& from) = 0;
};

}  // namespace vexilor::comms
