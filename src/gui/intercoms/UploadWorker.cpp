#include "intercoms/UploadWorker.h"

#include "net/UdpDatagramPort.h"

namespace vexilor {

namespace {

class SignalProgress : public comms::IUploadProgress {
public:
    explicit SignalProgress(CUploadWorker& worker) : worker_(worker) {}
    void setRange(int total) override { Q_EMIT worker_.rangeChanged(total); }
    void setPosition(int position) override { Q_EMIT worker_.positionChanged(position); }

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
