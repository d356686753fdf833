#include "intercoms/UploadWorker.h"

#include "net/UdpDatagramPort.h"

namespace vexilor {

namespace {

QString dotted(comms::Ipv4 address)
{
    return QString::fromStdU16String(comms::formatIpv4u(address));
}

class SignalProgress : public comms::IUploadProgress {
public:
    explicit SignalProgress(CUploadWorker& worker) : worker_(worker) {}
    void setRange(int total) override { Q_EMIT worker_.rangeChanged(total); }
    void setPosition(int position) override { Q_EMIT worker_.positionChanged(position); }
    void connecting(comms::Ipv4 address, int attempt, int attempts) override
    {
        Q_EMIT worker_.connecting(dotted(address), attempt, attempts);
    }
    void connected(comms::Ipv4 address) override { Q_EMIT worker_.connected(dotted(address)); }

private:
    CUploadWorker& worker_;
};

}  // namespace

CUploadWorker::CUploadWorker(std::atomic<int>& cancel, CIntercom& work, comms::UploadSettings settings)
    : cancel_(cancel), work_(work), settings_(settings)
{
}

void CUploadWorker::run()
{
    net::UdpDatagramPort port;
    SignalProgress progress(*this);
    const int result = comms::UploadConfiguration(cancel_, work_, &progress, port, settings_);
    Q_EMIT finished(result);
}

}  // namespace vexilor
