#include "IcomBroadcast.h"

#include "comms/Frame.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QUdpSocket>

#include <algorithm>

namespace vexilor::net {

CIcomBroadcast::CIcomBroadcast(QObject* parent) : QObject(parent) {}

CIcomBroadcast::~CIcomBroadcast() = default;

bool CIcomBroadcast::openPort(std::uint16_t bindPort)
{
    if (socket_)
        return false;
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress(QHostAddress::AnyIPv4), bindPort, QUdpSocket::ShareAddress))
        return false;
    connect(socket.get(), &QUdpSocket::readyRead, this, &CIcomBroadcast::readPending);
    socket_ = std::move(socket);
    return true;
}

void CIcomBroadcast::closePort()
{
    socket_.reset();
}

std::vector<comms::Ipv4> CIcomBroadcast::adapterBroadcastAddresses()
{
    std::vector<comms::Ipv4> out;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        if (!(nic.flags() & QNetworkInterface::IsUp) || nic.type() != QNetworkInterface::Ethernet)
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.prefixLength() < 0)
                continue;
            const comms::Ipv4 b = comms::directedBroadcast(entry.ip().toIPv4Address(),
                                                           static_cast<unsigned>(entry.prefixLength()));
            if (std::find(out.begin(), out.end(), b) == out.end())
                out.push_back(b);
        }
    }
    return out;
}

int CIcomBroadcast::sendDiscovery(const std::vector<comms::Ipv4>& extraTargets, std::uint16_t controllerPort,
                                  bool adapters)
{
    if (!socket_)
        return 0;
    sequence_ = (sequence_ + 1) & 0x7FF;
    const std::vector<std::uint8_t> frame = comms::discoveryRequestFrame(sequence_);
    std::vector<comms::Ipv4> targets = adapters ? adapterBroadcastAddresses() : std::vector<comms::Ipv4>{};
    targets.insert(targets.end(), extraTargets.begin(), extraTargets.end());
    int sent = 0;
    for (comms::Ipv4 target : targets) {
        if (socket_->writeDatagram(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()),
                                   QHostAddress(target), controllerPort)
            == static_cast<qint64>(frame.size()))
            ++sent;
    }
    return sent;
}

void CIcomBroadcast::waitForReplies(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    while (socket_) {
        readPending();
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0 || !socket_->waitForReadyRead(left)) {
            readPending();
            return;
        }
    }
}

void CIcomBroadcast::readPending()
{
    while (socket_ && socket_->hasPendingDatagrams()) {
        std::vector<std::uint8_t> buffer(comms::kMaxFrame);
        QHostAddress sender;
        const qint64 n = socket_->readDatagram(reinterpret_cast<char*>(buffer.data()),
                                               static_cast<qint64>(buffer.size()), &sender);
        if (n <= 0)
            continue;
        bool ok = false;
        const comms::Ipv4 from = sender.toIPv4Address(&ok);
        if (!ok)
            continue;
        if (auto reply = comms::parseDiscoveryReply({buffer.data(), static_cast<std::size_t>(n)}, from, codePage_))
            Q_EMIT replyReceived(*reply);
    }
}

}  // namespace vexilor::net
