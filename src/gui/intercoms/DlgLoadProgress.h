#pragma once

#include "comms/Upload.h"
#include "intercoms/UploadWorker.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vexilor {

// "Refreshing Alphas...": uploads the configuration into the given intercom on a worker thread
// while showing which controller is tried and how far it is. Ends Accepted when the upload ran to
// its end and Rejected when no controller answered or the user cancelled (cancelRequested()). Cancel, Escape and the close box only raise the
// cancel flag: the dialog ends when the worker has reported, never while it still uses the intercom.
class CdlgLoadProgress : public QDialog {
    Q_OBJECT

public:
    // work may be null: the dialog then ends at once, rejected.
    CdlgLoadProgress(CIntercom* work, const QString& text, comms::UploadSettings settings = {},
                     QWidget* parent = nullptr);
    ~CdlgLoadProgress() override;

    QString text() const;
    // Where the upload is with the controllers: "Trying 10.1.1.5, attempt 2 of 2" while connecting,
    // then the controller reached.
    QString statusText() const;
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }
    // True from the start of the upload until its result has arrived.
    bool isUploading() const { return uploading_; }
    // UploadConfiguration's result once the worker has reported (-1 before).
    int uploadResult() const { return uploadResult_; }
    // The user asked to stop (Cancel, Escape or the close box) while the upload ran.
    bool cancelRequested() const { return cancelRequested_; }

    int exec() override;
    void open() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool start();
    void requestCancel();
    void workerFinished(int result);

    CIntercom* work_;
    comms::UploadSettings settings_;
    std::atomic<int> cancelFlag_{0};
    bool started_ = false;
    bool uploading_ = false;
    int uploadResult_ = -1;
    bool cancelRequested_ = false;

    QLabel* label_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;

    // Destroyed in reverse order: the thread is ended and waited for before its worker goes.
    std::unique_ptr<CUploadWorker> worker_;
    WorkerThreadPtr thread_;
};

}  // namespace vexilor
