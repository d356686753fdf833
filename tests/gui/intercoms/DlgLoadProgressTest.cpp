#include "intercoms/DlgLoadProgress.h"

#include "SimulatedController.h"
#include "comms/Upload.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace vexilor;
using namespace Qt::Literals::StringLiterals;

namespace {

// The program's cached configuration of DEMO: only the address, no sizes or alphas yet.
CIntercom cached(const char16_t* address)
{
    CIntercom icom;
    icom.name = u"DEMO";
    icom.mainAddress = address;
    icom.partnerAddress = u"0.0.0.0";
    return icom;
}

comms::UploadSettings settings(std::uint16_t port, int timeoutMs)
{
    comms::UploadSettings s;
    s.controllerPort = port;
    s.attemptTimeoutMs = timeoutMs;
    return s;
}

QStringList simArgs(const QString& address, const QString& port, const QStringList& extra = {})
{
    return QStringList{u"--address"_s, address, u"--port"_s, port, u"--name"_s, u"DEMO"_s} + extra;
}

}  // namespace

class DlgLoadProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void uploadsFromTheController();
    void cancelWaitsForTheWorker_data();
    void cancelWaitsForTheWorker();
    void silentControllerEndsRejected();
    void connectingShowsTheAddressAndAttemptTried();
    void withoutAnIntercomEndsAtOnce();
    void destroyedWhileUploadingStopsTheWorkerFirst();
};

void DlgLoadProgressTest::uploadsFromTheController()
{
    test::SimulatedController sim(simArgs(u"127.0.0.81"_s, u"27801"_s));
    QVERIFY(sim.ready());
    CIntercom work = cached(u"127.0.0.81");
    CdlgLoadProgress dialog(&work, u"Uploading from intercom:"_s, settings(27801, 1000));
    QCOMPARE(dialog.windowTitle(), u"Refreshing Alphas..."_s);
    QSignalSpy finished(&dialog, &QDialog::finished);
    QList<int> positions;
    connect(dialog.progressBar(), &QProgressBar::valueChanged, this, [&](int v) { positions << v; });
    dialog.open();
    QVERIFY(dialog.isUploading());
    dialog.grab().save(u"/tmp/h11-progress.png"_s);
    QVERIFY(finished.wait(30000));

    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
    QCOMPARE(dialog.uploadResult(), 0);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dialog.isUploading());
    // The working copy holds the controller's data; the bar went from 2 to its end, never back.
    QCOMPARE(work.keypanelCount, 180);
    QCOMPARE(work.AlphaText(0, 1, 6), u"DESK 1");
    QCOMPARE(work.DescriptionText(1, 3), u"Talkback studio 3");
    QCOMPARE(work.name, u"DEMO");
    QCOMPARE(dialog.progressBar()->maximum(), comms::UploadProgressTotal(work));
    QCOMPARE(dialog.progressBar()->value(), dialog.progressBar()->maximum());
    QVERIFY(!positions.isEmpty());
    QCOMPARE(positions.first(), 2);
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QCOMPARE(dialog.statusText(), u"Connected to 127.0.0.81"_s);
    QVERIFY(!dialog.cancelRequested());
}

void DlgLoadProgressTest::cancelWaitsForTheWorker_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void DlgLoadProgressTest::cancelWaitsForTheWorker()
{
    QFETCH(int, how);
    // Every reply takes 400 ms, so the worker is still connecting when the user cancels.
    test::SimulatedController sim(simArgs(u"127.0.0.82"_s, u"27802"_s, {u"--delay-ms"_s, u"400"_s}));
    QVERIFY(sim.ready());
    CIntercom work = cached(u"127.0.0.82");
    CdlgLoadProgress dialog(&work, u"Uploading"_s, settings(27802, 2000));
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QVERIFY(dialog.isUploading());

    if (how == 0)
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    else if (how == 1)
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        QVERIFY(!dialog.close());
    // The dialog stays until the worker has ended: it still writes into work.
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isUploading());
    QCOMPARE(finished.count(), 0);

    QVERIFY(finished.wait(15000));
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(dialog.uploadResult(), 1);
    QVERIFY(dialog.cancelRequested());
    QVERIFY(!dialog.isVisible());
    // Stopped before the alphas.
    QVERIFY(work.AlphaText(0, 1, 6) != u"DESK 1");
}

void DlgLoadProgressTest::silentControllerEndsRejected()
{
    CIntercom work = cached(u"127.0.0.83");  // nobody listens there
    CdlgLoadProgress dialog(&work, u"Uploading"_s, settings(27803, 150));
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QVERIFY(finished.wait(15000));
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(dialog.uploadResult(), 1);
    QVERIFY(work.SameConfiguration(cached(u"127.0.0.83")));
    QCOMPARE(work.mainAddress, u"127.0.0.83");
}

void DlgLoadProgressTest::connectingShowsTheAddressAndAttemptTried()
{
    // Two silent controllers: the main one twice, then its partner, each attempt shown while it
    // is waited for; the bar is busy, with nothing known to count yet.
    CIntercom work = cached(u"127.0.0.85");
    work.partnerAddress = u"127.0.0.86";
    CdlgLoadProgress dialog(&work, u"Uploading"_s, settings(27805, 700));
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    QCOMPARE(dialog.progressBar()->maximum(), 0);
    for (const QString& step : {u"Trying 127.0.0.85, attempt 1 of 2"_s, u"Trying 127.0.0.85, attempt 2 of 2"_s,
                                u"Trying 127.0.0.86, attempt 1 of 2"_s})
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), step, 5000);
    QCOMPARE(finished.count(), 0);

    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    QVERIFY(dialog.cancelRequested());
    QCOMPARE(dialog.statusText(), u"Cancelling..."_s);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
    QCOMPARE(dialog.uploadResult(), 1);
}

void DlgLoadProgressTest::withoutAnIntercomEndsAtOnce()
{
    CdlgLoadProgress dialog(nullptr, u"Uploading"_s);
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(!dialog.isUploading());
    QCOMPARE(dialog.uploadResult(), -1);
}

void DlgLoadProgressTest::destroyedWhileUploadingStopsTheWorkerFirst()
{
    test::SimulatedController sim(simArgs(u"127.0.0.84"_s, u"27804"_s, {u"--delay-ms"_s, u"200"_s}));
    QVERIFY(sim.ready());
    auto work = std::make_unique<CIntercom>(cached(u"127.0.0.84"));
    auto dialog = std::make_unique<CdlgLoadProgress>(work.get(), u"Uploading"_s, settings(27804, 2000));
    dialog->open();
    QVERIFY(dialog->isUploading());
    // The destructor raises the cancel flag and waits for the worker (a thread destroyed while it
    // runs aborts the process), so the intercom can go next.
    dialog.reset();
    QVERIFY(work->AlphaText(0, 1, 6) != u"DESK 1");
    work.reset();
}

QTEST_MAIN(DlgLoadProgressTest)
#include "DlgLoadProgressTest.moc"
