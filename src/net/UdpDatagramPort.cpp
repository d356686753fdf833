#include "UdpDatagramPort.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QUdpSocket>

namespace vexilor::net {

UdpDatagramPort::UdpDatagramPort() = default;
UdpDatagramPort::~UdpDatagramPort() = default;

bool UdpDatagramPort::open()
{
    if (socket_)
        return false;
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress(QHostAddress::AnyIPv4), 0))
        return false;
    socket_ = std::move(socket);
    return true;
}

void UdpDatagramPort::close()
{
    socket_.reset();
}

bool UdpDatagramPort::isOpen() const
{
    return socket_ != nullptr;
}

bool UdpDatagramPort::send(comms::Ipv4 address, std::uint16_t port, std::span<const std::uint8_t> datagram)
{
    if (!socket_)
        return false;
    const qint64 sent = socket_->writeDatagram(reinterpret_cast<const char*>(datagram.data()),
                                               static_cast<qint64>(datagram.size()), QHostAddress(address), port);
    return sent == static_cast<qint64>(datagram.size());
}

int UdpDatagramPort::receive(std::span<std::uint8_t> buffer, int timeoutMs, comms::Ipv4& from)
{
    if (!socket_)
        return -1;
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket_->hasPendingDatagrams()) {
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0 || !socket_->waitForReadyRead(left))
            return -1;
    }
    QHostAddress sender;
    const qint64 n = socket_->readDatagram(reinterpret_cast<char*>(buffer.data()),
                                           static_cast<qint64>(buffer.size()), &sender);
    if (n < 0)
        return -1;
    bool ok = false;
    from = sender.toIPv4Address(&ok);
    if (!ok)
        from = 0;
    return static_cast<int>(n);
}

}  // namespace vexilor::net
