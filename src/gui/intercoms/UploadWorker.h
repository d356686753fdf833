#pragma once

#include "comms/Upload.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

namespace vexilor {

// Runs one configuration upload on the thread it was moved to. The socket is made inside run(),
// so it belongs to that thread; progress and the result leave only through signals, which reach
// the dialog queued.
class CUploadWorker : public QObject {
    Q_OBJECT

public:
    // cancel and work must outlive the upload; the interface thread reads work only after finished.
    CUploadWorker(std::atomic<int>& cancel, CIntercom& work, comms::UploadSettings settings);

public Q_SLOTS:
    void run();

Q_SIGNALS:
    void rangeChanged(int total);
    void positionChanged(int position);
    // While connecting: the controller tried (dotted) and the attempt of attempts.
    void connecting(const QString& address, int attempt, int attempts);
    // The controller the upload goes on with.
    void connected(const QString& address);
    // UploadConfiguration's result: 0 when the upload ran to its end, 1 when nobody answered or
    // it was cancelled.
    void finished(int result);

private:
    std::atomic<int>& cancel_;
    CIntercom& work_;
    comms::UploadSettings settings_;
};

// Ends a worker thread: asks its event loop to quit and waits for it, so nothing the thread uses
// is freed while it runs.
struct QuitAndWaitThread {
    void operator()(QThread* thread) const
    {
        thread->quit();
        thread->wait();
        delete thread;
    }
};
using WorkerThreadPtr = std::unique_ptr<QThread, QuitAndWaitThread>;

}  // namespace vexilor
