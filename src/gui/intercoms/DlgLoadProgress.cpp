#include "intercoms/DlgLoadProgress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vexilor {

CdlgLoadProgress::CdlgLoadProgress(CIntercom* work, const QString& text, comms::UploadSettings settings,
                                   QWidget* parent)
    : QDialog(parent), work_(work), settings_(settings)
{
    setWindowTitle(tr("Refreshing Alphas..."));
    setModal(true);

    label_ = new QLabel(text);
    label_->setWordWrap(false);
    status_ = new QLabel;
    status_->setWordWrap(true);
    progress_ = new QProgressBar;
    // Busy until the worker knows how much there is to fetch: connecting may take seconds.
    progress_->setRange(0, 0);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    cancel_ = new QPushButton(tr("Cancel"));
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &CdlgLoadProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    setMinimumWidth(300);
}

CdlgLoadProgress::~CdlgLoadProgress()
{
    // Destroyed while uploading (its parent went first): stop the worker and wait for it, since
    // it writes into the intercom and reads the flag until it ends.
    cancelFlag_.fetch_add(1);
    thread_.reset();
}

QString CdlgLoadProgress::text() const
{
    return label_->text();
}

QString CdlgLoadProgress::statusText() const
{
    return status_->text();
}

bool CdlgLoadProgress::start()
{
    if (started_)
        return true;
    started_ = true;
    if (!work_)
        return false;
    cancelFlag_.store(0);
    thread_.reset(new QThread);
    worker_ = std::make_unique<CUploadWorker>(cancelFlag_, *work_, settings_);
    worker_->moveToThread(thread_.get());
    connect(thread_.get(), &QThread::started, worker_.get(), &CUploadWorker::run);
    connect(worker_.get(), &CUploadWorker::rangeChanged, progress_,
            [this](int total) { progress_->setRange(0, total); }, Qt::QueuedConnection);
    connect(worker_.get(), &CUploadWorker::positionChanged, progress_, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(worker_.get(), &CUploadWorker::connecting, status_,
            [this](const QString& address, int attempt, int attempts) {
                if (!cancelRequested_)
                    status_->setText(tr("Trying %1, attempt %2 of %3").arg(address).arg(attempt).arg(attempts));
            },
            Qt::QueuedConnection);
    connect(worker_.get(), &CUploadWorker::connected, status_,
            [this](const QString& address) {
                if (!cancelRequested_)
                    status_->setText(tr("Connected to %1").arg(address));
            },
            Qt::QueuedConnection);
    connect(worker_.get(), &CUploadWorker::finished, this, &CdlgLoadProgress::workerFinished,
            Qt::QueuedConnection);
    uploading_ = true;
    thread_->start();
    return true;
}

void CdlgLoadProgress::workerFinished(int result)
{
    uploading_ = false;
    uploadResult_ = result;
    thread_.reset();
    done(result == 0 ? Accepted : Rejected);
}

int CdlgLoadProgress::exec()
{
    if (!start()) {
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

void CdlgLoadProgress::open()
{
    if (!start()) {
        done(Rejected);
        return;
    }
    QDialog::open();
}

void CdlgLoadProgress::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!started_ && !start())
        QMetaObject::invokeMethod(this, [this] { done(Rejected); }, Qt::QueuedConnection);
}

void CdlgLoadProgress::requestCancel()
{
    cancelFlag_.fetch_add(1);
    cancelRequested_ = true;
    status_->setText(tr("Cancelling..."));
}

void CdlgLoadProgress::reject()
{
    if (uploading_) {
        requestCancel();
        return;
    }
    QDialog::reject();
}

void CdlgLoadProgress::closeEvent(QCloseEvent* event)
{
    if (uploading_) {
        requestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace vexilor
