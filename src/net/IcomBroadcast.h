#pragma once

#include "comms/Discovery.h"

#include <QObject>

#include <memory>
#include <vector>

class QUdpSocket;

namespace vexilor::net {

// Finds intercom controllers: sends the discovery request from the broadcast port to the directed
// broadcast address of every Ethernet adapter that is up (and to any extra addresses given), and
// reports each accepted answer with replyReceived. Answers arrive through the event loop, or
// through waitForReplies where there is none.
class CIcomBroadcast : public QObject {
    Q_OBJECT

public:
    explicit CIcomBroadcast(QObject* parent = nullptr);
    ~CIcomBroadcast() override;

    // Binds a broadcast-enabled socket to bindPort (0: any free port). False, staying closed,
    // when any step fails.
    bool openPort(std::uint16_t bindPort = comms::kBroadcastPort);
    void closePort();
    bool isOpen() const { return socket_ != nullptr; }

    // Sends one request to every adapter's broadcast address and to the extra targets; returns the
    // number of datagrams sent.
    int sendDiscovery(const std::vector<comms::Ipv4>& extraTargets = {},
                      std::uint16_t controllerPort = 27410, bool adapters = true);
    // Takes in answers for waitMs milliseconds without an event loop.
    void waitForReplies(int waitMs);

    // The code page of the names and descriptions in answers (Windows-1252 until set).
    void setCodePage(const text::CodePage& codePage) { codePage_ = codePage; }

    // The directed broadcast addresses of the Ethernet adapters that are up.
    static std::vector<comms::Ipv4> adapterBroadcastAddresses();

Q_SIGNALS:
    void replyReceived(const vexilor::comms::IcomReplyInfo& reply);

private:
    void readPending();

    std::unique_ptr<QUdpSocket> socket_;
    std::uint32_t sequence_ = 0;
    text::CodePage codePage_;
};

}  // namespace vexilor::net
