#include "intercoms/RefreshAlphas.h"

#include "SimulatedController.h"
#include "app/AppState.h"
#include "intercom/ConfigurationFile.h"
#include "intercoms/DlgLoadProgress.h"
#include "support/PromptsTestScope.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vexilor;
using namespace Qt::Literals::StringLiterals;

namespace {

QStringList simArgs(const QString& address, const QString& port, const QString& name = u"DEMO"_s)
{
    return {u"--address"_s, address, u"--port"_s, port, u"--name"_s, name};
}

RefreshOptions options(std::uint16_t port, int timeoutMs = 1000)
{
    return RefreshOptions{port, timeoutMs};
}

}  // namespace

class RefreshAlphasTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void withoutAnAddressNothingHappens();
    void adoptsAndSavesTheUpload_data();
    void adoptsAndSavesTheUpload();
    void anotherIntercomAnsweringChangesNothing();
    void silentControllerIsReported();
    void cancelIsReportedAsCancelled();
    void unwritableFileKeepsTheUploadInMemory();

private:
    // The cached configuration of intercom name at address, with or without earlier alphas.
    CIntercom current(const char16_t* name, const char16_t* address, bool withAlphas = false) const;
    QString cfgPath(const QString& name) const { return dir_->filePath(name + u".cfg"_s); }

    std::unique_ptr<QTemporaryDir> dir_;
    CAppState app_;
};

void RefreshAlphasTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    app_.prefs.cfgFilesDirectory = dir_->path() + u'/';
}

CIntercom RefreshAlphasTest::current(const char16_t* name, const char16_t* address, bool withAlphas) const
{
    CIntercom icom;
    icom.name = name;
    icom.mainAddress = address;
    icom.partnerAddress = u"0.0.0.0";
    if (withAlphas) {
        icom.keypanelCount = 2;
        icom.alphas[ResourceKey(0, 1)].SetAlpha(u"OLD1", 4);
    }
    return icom;
}

void RefreshAlphasTest::withoutAnAddressNothingHappens()
{
    test::PromptsTestScope prompts;  // any message would go unanswered and fail the test
    for (const char16_t* address : {u"", u"0.0.0.0", u"not an address"}) {
        CIntercom icom = current(u"DEMO", address, true);
        icom.partnerAddress = address;
        const CIntercom before = icom;
        QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27810, 100)), RefreshResult::NoAddress);
        QVERIFY(icom.SameConfiguration(before) && icom.alphas.size() == before.alphas.size());
    }
    QVERIFY(Prompts::shownMessages().isEmpty());
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void RefreshAlphasTest::adoptsAndSavesTheUpload_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hadAlphas");
    QTest::addColumn<QString>("message");
    QTest::newRow("first contact: quiet") << u"DEMO"_s << false << QString();
    QTest::newRow("configuration changed since the last contact")
        << u"DEMO"_s << true
        << u"The intercom configuration for DEMO has changed since you last connected to it.     "_s;
    QTest::newRow("name in other letter case is the same intercom") << u"Demo"_s << false << QString();
}

void RefreshAlphasTest::adoptsAndSavesTheUpload()
{
    QFETCH(QString, name);
    QFETCH(bool, hadAlphas);
    QFETCH(QString, message);
    test::PromptsTestScope prompts;
    test::SimulatedController sim(simArgs(u"127.0.0.91"_s, u"27811"_s));
    QVERIFY(sim.ready());
    CIntercom icom = current(u"", u"127.0.0.91", hadAlphas);
    icom.name = name.toStdU16String();
    if (!message.isEmpty())
        Prompts::setNextAnswer(Prompts::Answer::Ok);

    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27811)), RefreshResult::Adopted);

    QCOMPARE(Prompts::shownMessages().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(Prompts::shownMessages().at(0).text, message);
        QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Information);
    }
    // The upload is the current configuration under the user's own name, and it is on disk.
    QCOMPARE(QString::fromStdU16String(icom.name), name);
    QCOMPARE(icom.keypanelCount, 180);
    QCOMPARE(icom.AlphaText(0, 1, 6), u"DESK 1");
    QVERIFY(QFile::exists(cfgPath(name)));
    CIntercom saved;
    QVERIFY(LoadConfigurationFile(saved, cfgPath(name).toStdU16String()));
    QVERIFY(saved.SameConfiguration(icom));
    QCOMPARE(saved.AlphaText(0, 180, 8), u"LASTPNL1");
    QCOMPARE(saved.DescriptionText(1, 3), u"Talkback studio 3");
    QCOMPARE(saved.mainAddress, u"127.0.0.91");

    // Once more with nothing changed on the controller: adopted without a word.
    Prompts::clearRecords();
    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27811)), RefreshResult::Adopted);
    QVERIFY(Prompts::shownMessages().isEmpty());
}

void RefreshAlphasTest::anotherIntercomAnsweringChangesNothing()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim(simArgs(u"127.0.0.92"_s, u"27812"_s, u"WEST"_s));
    QVERIFY(sim.ready());
    CIntercom icom = current(u"DEMO", u"127.0.0.92", true);
    const CIntercom before = icom;
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27812)), RefreshResult::NameMismatch);

    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text,
             u"The contacted intercom (WEST) has a different name than the current intercom (DEMO).     \n\n"
             "This can mean one of two things:     \n\n"
             "1) The IP address for DEMO is correct, but the intercom name has been changed to WEST.     \n\n"
             "     - In this case, you should export the restrictions file with the new intercom name WEST.     \n\n"
             "2) The IP address for DEMO has changed, and the old IP address is now used by WEST     \n\n"
             "     - In this case, you should edit the settings for DEMO and enter the correct IP address.     "_s);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Information);
    QVERIFY(icom.SameConfiguration(before));
    QCOMPARE(icom.AlphaText(0, 1, 4), u"OLD1");
    QCOMPARE(icom.name, u"DEMO");
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void RefreshAlphasTest::silentControllerIsReported()
{
    test::PromptsTestScope prompts;
    CIntercom icom = current(u"DEMO", u"127.0.0.93", true);  // nobody listens there
    icom.partnerAddress = u"127.0.0.94";
    const CIntercom before = icom;
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27813, 150)), RefreshResult::NotConnected);

    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text,
             u"Could not connect to intercom:     \n\nDEMO : 127.0.0.93 / 127.0.0.94     "_s);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Information);
    QVERIFY(icom.SameConfiguration(before));
    QCOMPARE(icom.mainAddress, u"127.0.0.93");
    QCOMPARE(icom.AlphaText(0, 1, 4), u"OLD1");
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void RefreshAlphasTest::cancelIsReportedAsCancelled()
{
    test::PromptsTestScope prompts;
    CIntercom icom = current(u"DEMO", u"127.0.0.96", true);  // nobody listens there
    const CIntercom before = icom;
    // The user cancels while the dialog says which controller it waits for.
    QString seen;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<CdlgLoadProgress*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->statusText().startsWith(u"Trying"_s))
            return;
        user.stop();
        seen = dialog->statusText();
        dialog->cancelButton()->click();
    });
    user.start(10);
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27816, 5000)), RefreshResult::Cancelled);

    QCOMPARE(seen, u"Trying 127.0.0.96, attempt 1 of 2"_s);
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text, u"Refresh cancelled     \n\nDEMO : 127.0.0.96 / none     "_s);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Information);
    QVERIFY(icom.SameConfiguration(before));
    QCOMPARE(icom.AlphaText(0, 1, 4), u"OLD1");
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void RefreshAlphasTest::unwritableFileKeepsTheUploadInMemory()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim(simArgs(u"127.0.0.95"_s, u"27815"_s));
    QVERIFY(sim.ready());
    app_.prefs.cfgFilesDirectory = dir_->filePath(u"missing/"_s);
    CIntercom icom = current(u"DEMO", u"127.0.0.95");
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QCOMPARE(RefreshAlphas(app_, icom, nullptr, options(27815)), RefreshResult::Adopted);

    QCOMPARE(Prompts::shownMessages().size(), 1);
    QVERIFY2(Prompts::shownMessages().at(0).text.startsWith(u"Error: "_s),
             qPrintable(Prompts::shownMessages().at(0).text));
    QVERIFY(Prompts::shownMessages().at(0).text.size() > 7);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Error);
    QCOMPARE(icom.keypanelCount, 180);
    QVERIFY(QDir(dir_->path()).isEmpty());
}

QTEST_MAIN(RefreshAlphasTest)
#include "RefreshAlphasTest.moc"
