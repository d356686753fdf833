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
// while showing how far it is. Ends Accepted when the upload ran to its end and Rejected when no
// controller answered or the user cancelled. Cancel, Escape and the close box only raise the
// cancel flag: the dialog ends when the worker has reported, never while it still uses the intercom.
class CdlgLoadProgress : public QDialog {
    Q_OBJECT

public:
    // work may be null: the dialog then ends at once, rejected.
    CdlgLoadProgress(CIntercom* work, const QString& text, comms::UploadSettings settings = {},
                     QWidget* parent = nullptr);
    ~CdlgLoadProgress() override;

    QString text() const;
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* cancelButton() const { return cancel_; }
    // True from the start of the upload until its result has arrived.
    bool isUploading() const { return uploading_; }
    // UploadConfiguration's result once the worker has reported (-1 before).
    int uploadResult() const { return uploadResult_; }

    int exec() override;
    void open() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool start();
    void workerFinished(int result);

    CIntercom* work_;
    comms::UploadSettings settings_;
    std::atomic<int> cancelFlag_{0};
    bool started_ = false;
    bool uploading_ = false;
    int uploadResult_ = -1;

    QLabel* label_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;

    // Destroyed in reverse order: the thread is ended and waited for before its worker goes.
    std::unique_ptr<CUploadWorker> worker_;
    WorkerThreadPtr thread_;
};

}  // namespace vexilor
