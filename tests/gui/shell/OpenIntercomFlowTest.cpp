// The road from an empty configuration directory to an open, edited, saved and exported
// restrictions file, run through the application with its real dialogs and a simulated controller.

#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "document/DocumentEdits.h"
#include "document/KestovaDoc.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "intercoms/DlgAddEditIcom.h"
#include "intercoms/DlgLoadProgress.h"
#include "intercoms/DlgSelectIcom.h"
#include "intercoms/IntercomListFixture.h"
#include "intercoms/IntercomListModel.h"
#include "intercoms/RefreshAlphas.h"
#include "intercoms/SelectIntercom.h"
#include "intercoms/SimulatedController.h"
#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionKeywords.h"
#include "restrictions/RestrictionsParser.h"
#include "shell/Commands.h"
#include "shell/KestovaApp.h"
#include "shell/MainFrame.h"
#include "views/KestovaTreeCtrl.h"
#include "views/KestovaView.h"
#include "support/PromptsTestScope.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;
using test::WhenShown;

namespace {

// The simulated controller's address and the name it answers with.
const QString kSimAddress = u"127.0.0.18"_s;
const QString kSimName = u"DEMO"_s;

// A feature the default user leaves alone.
constexpr int kFeature = 5;

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Lines(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes).split(u"\r\n"_s);
}

// What a new file holds: the device line and the empty user "Default".
QStringList DefaultFileLines(const QString& device)
{
    return {u"// Tovrin restrictions file"_s,
            u"// ------------------------"_s,
            QString(),
            u"[DEVICE \""_s + device + u"\"]"_s,
            QString(),
            QString(),
            u"[USER \"Default\"]"_s,
            u"//Inheritance"_s,
            QString(),
            u"// -- End of Data --"_s,
            QString()};
}

// The file's lines without the CRC line, after checking that the core reader accepts the file and
// its CRC.
QStringList CheckedLines(const QByteArray& bytes, CRestrictionsModel& model)
{
    const RestrictionsParseResult result =
        parseRestrictions(model, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!result.ok || !result.crcMatches())
        return {u"not readable: "_s + QString::fromStdString(result.errorText)};
    QStringList lines = Lines(bytes);
    if (!lines.last().startsWith(u"[CRC "_s))
        return {u"no CRC line"_s};
    lines.removeLast();
    return lines;
}

QString FeatureLine(const char* value)
{
    return QString::fromStdU16String(std::u16string(featureKey(kFeature))) + u" = "_s
           + QLatin1StringView(value);
}

// Fills the add/edit form when it is shown and confirms it with OK.
std::unique_ptr<WhenShown<CDlgAddEditIcom>> FillForm(const QString& name, const QString& main,
                                                     int* titleSeen = nullptr)
{
    return std::make_unique<WhenShown<CDlgAddEditIcom>>([=](CDlgAddEditIcom& dlg) {
        if (titleSeen)
            *titleSeen = dlg.titleId();
        dlg.nameEdit()->setText(name);
        dlg.mainEdit()->setText(main);
        dlg.partnerEdit()->clear();
        dlg.okButton()->click();
    });
}

// Picks name in the selection dialog when it is shown and confirms it.
std::unique_ptr<WhenShown<CDlgSelectIcom>> Choose(const QString& name)
{
    return std::make_unique<WhenShown<CDlgSelectIcom>>([=](CDlgSelectIcom& dlg) {
        dlg.fill(name);
        dlg.okButton()->click();
    });
}

}  // namespace

class OpenIntercomFlowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void addRefreshEditSaveAndExport();
    void refreshRewritesTheCachedFileWhateverItsCase();
    void unreachableOrCancelledRefreshOpensFromTheCache_data();
    void unreachableOrCancelledRefreshOpensFromTheCache();
    void readOnlyFileIsShownAndNeverSaved();
    void unreadableFileIsKeptAside();
    void everyReopeningLeavesTheTreeWithTheFocus();

private:
    // The application on the temporary directories, its document's dialogs the real ones with
    // discovery kept on loopback and the refresh aimed at the simulator's port.
    std::unique_ptr<CKestovaApp> makeApp();
    QString cfg(const QString& file) const { return dir_->filePath(u"cfg/"_s + file); }
    QString res(const QString& file) const { return dir_->filePath(u"res/"_s + file); }
    // A cached configuration with counts and an alpha of its own, contacted at address.
    bool writeCachedCfg(const QString& file, const QString& address);

    std::unique_ptr<QTemporaryDir> dir_;
    CKestovaApp* app_ = nullptr;
    std::uint16_t port_ = 0;
    int attemptTimeoutMs_ = 400;
};

void OpenIntercomFlowTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    for (const QString& sub : {u"cfg"_s, u"res"_s})
        QVERIFY(QDir(dir_->path()).mkpath(sub));
    QSettings s(dir_->filePath(u"KestovaV2.ini"_s), QSettings::IniFormat);
    s.setValue(u"Settings/Directories/ResFilesDirectory"_s, dir_->filePath(u"res"_s));
    s.setValue(u"Settings/Directories/CfgFilesDirectory"_s, dir_->filePath(u"cfg"_s));
    s.setValue(u"Settings/Preferences/ShowWelcome"_s, u"N"_s);
    port_ = test::FreeUdpPort();
    QVERIFY(port_ != 0);
}

void OpenIntercomFlowTest::cleanup()
{
    // A read-only file or directory must not outlive the test's folder.
    if (dir_) {
        for (const QString& sub : {u"cfg"_s, u"res"_s}) {
            const QDir d(dir_->filePath(sub));
            for (const QString& f : d.entryList(QDir::Files))
                QFile::setPermissions(d.filePath(f), QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    dir_.reset();
}

std::unique_ptr<CKestovaApp> OpenIntercomFlowTest::makeApp()
{
    CKestovaApp::Options o;
    o.settings = std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(dir_->filePath(u"KestovaV2.ini"_s), QSettings::IniFormat),
        SystemDefaults{});
    o.threadLocaleId = 1033;
    o.translationDirectories = {dir_->path()};
    o.showWindow = false;
    o.startupPreferences = [](CAppState&) { return true; };
    // What the application's own services do, with the network kept on this machine.
    o.services.selectIntercom = [this](const QString& preselect) {
        return SelectIntercom(app_->state(), preselect, nullptr, test::LoopbackOptions());
    };
    o.services.refreshAlphas = [this](CIntercom& current) {
        RefreshAlphas(app_->state(), current, nullptr, RefreshOptions{port_, attemptTimeoutMs_});
    };
    o.services.chooseExportTarget = [this](const CIntercom& current) {
        return ChooseExportTarget(app_->state(), current, nullptr, test::LoopbackOptions());
    };
    auto app = std::make_unique<CKestovaApp>(std::move(o));
    app_ = app.get();
    return app;
}

bool OpenIntercomFlowTest::writeCachedCfg(const QString& file, const QString& address)
{
    CIntercom icom;
    icom.keypanelCount = 77;
    icom.alphas[ResourceKey(0, 3)].SetAlpha(u"DSK3", 4);
    icom.mainAddress = address.toStdU16String();
    std::u16string error;
    return SaveConfigurationFile(cfg(file).toStdU16String(), icom, error);
}

static QStringList SimArgs(std::uint16_t port, const QStringList& faults = {})
{
    return QStringList{u"--address"_s, kSimAddress, u"--port"_s, QString::number(port), u"--name"_s, kSimName}
           + faults;
}

void OpenIntercomFlowTest::addRefreshEditSaveAndExport()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim(SimArgs(port_));
    QVERIFY(sim.ready());
    auto app = makeApp();

    // Nothing is known yet: the list comes up empty, the controller is added and chosen.
    int addTitle = 0;
    int listedAtFirst = -1;
    int listedAfterAdd = -1;
    QString chosen;
    std::unique_ptr<WhenShown<CDlgAddEditIcom>> form;
    WhenShown<CDlgSelectIcom> select([&](CDlgSelectIcom& dlg) {
        listedAtFirst = dlg.model()->rowCount();
        form = FillForm(u"demo"_s, kSimAddress, &addTitle);
        dlg.addButton()->click();
        listedAfterAdd = dlg.model()->rowCount();
        chosen = dlg.selectedName();
        dlg.okButton()->click();
    });
    QVERIFY(app->initInstance());
    QVERIFY(select.acted());
    QCOMPARE(listedAtFirst, 0);
    QCOMPARE(addTitle, 3195);
    QCOMPARE(listedAfterAdd, 1);
    QCOMPARE(chosen, kSimName);

    CKestovaDoc& doc = *app->document();
    QCOMPARE(app->state().intercomName, kSimName);
    QCOMPARE(doc.title(), kSimName);
    QVERIFY(Prompts::shownMessages().isEmpty());

    // The refresh replaced what the add dialog cached with the controller's data.
    QCOMPARE(QDir(dir_->filePath(u"cfg"_s)).entryList(QDir::Files), QStringList{u"DEMO.cfg"_s});
    CIntercom cached;
    QVERIFY(LoadConfigurationFile(cached, cfg(u"DEMO.cfg"_s).toStdU16String()));
    QCOMPARE(cached.keypanelCount, 180);
    QCOMPARE(cached.AlphaText(0, 180, 8), u"LASTPNL1");
    QCOMPARE(cached.mainAddress, kSimAddress.toStdU16String());
    QCOMPARE(app->state().intercom.keypanelCount, 180);

    // No restrictions file yet: one is created with the device line and the user "Default".
    {
        CRestrictionsModel model;
        QCOMPARE(CheckedLines(ReadBytes(res(u"DEMO.res"_s)), model), DefaultFileLines(kSimName));
    }

    // An edit through the document, saved by the frame's command.
    QVERIFY(doc.selection().select(u"Default", EntityKind::User));
    const AccessRef feature = AccessRef::feature(kFeature);
    QVERIFY(SetAccess(doc, {&feature, 1}, AccessChange::Deny));
    QVERIFY(doc.isModified());
    app->mainFrame()->runCommand(cmd::kSave);
    QVERIFY(!doc.isModified());
    QVERIFY(Prompts::shownMessages().isEmpty());
    QStringList edited = DefaultFileLines(kSimName);
    edited.insert(edited.indexOf(u"//Inheritance"_s) + 1, FeatureLine("N"));
    const QByteArray saved = ReadBytes(res(u"DEMO.res"_s));
    {
        CRestrictionsModel model;
        QCOMPARE(CheckedLines(saved, model), edited);
        CEntitySelection reread(model);
        QVERIFY(reread.select(u"Default", EntityKind::User));
        QCOMPARE(reread.featureDenied(kFeature), 1);
    }

    // Export to another intercom: its own files, the current one untouched, and the selection
    // dialog offered again with the exported intercom selected.
    int exportTitle = 0;
    form = FillForm(u"expt"_s, u"127.0.0.19"_s, &exportTitle);
    QString preselected;
    WhenShown<CDlgSelectIcom> reselect([&](CDlgSelectIcom& dlg) {
        preselected = dlg.selectedName();
        dlg.cancelButton()->click();
    });
    app->mainFrame()->runCommand(cmd::kExport);
    QCOMPARE(exportTitle, 3205);
    QTRY_VERIFY(reselect.acted());
    QCOMPARE(preselected, u"EXPT"_s);
    QVERIFY(Prompts::shownMessages().isEmpty());

    QCOMPARE(app->state().intercomName, kSimName);
    QCOMPARE(doc.title(), kSimName);
    QCOMPARE(ReadBytes(res(u"DEMO.res"_s)), saved);
    QCOMPARE(doc.model().deviceName(), kSimName.toStdU16String());
    CIntercom exported;
    QVERIFY(LoadConfigurationFile(exported, cfg(u"EXPT.cfg"_s).toStdU16String()));
    QCOMPARE(exported.mainAddress, u"127.0.0.19");
    QCOMPARE(exported.partnerActive, false);
    QCOMPARE(exported.keypanelCount, 180);
    QCOMPARE(exported.AlphaText(0, 180, 8), u"LASTPNL1");
    QStringList exportedLines = edited;
    exportedLines[exportedLines.indexOf(u"[DEVICE \"DEMO\"]"_s)] = u"[DEVICE \"EXPT\"]"_s;
    CRestrictionsModel model;
    const QByteArray exportedBytes = ReadBytes(res(u"EXPT.res"_s));
    QCOMPARE(CheckedLines(exportedBytes, model), exportedLines);

    // Changing to the exported intercom opens its file as written (nobody answers at its address
    // here, so it opens from its cached configuration).
    auto choose = Choose(u"EXPT"_s);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    app->mainFrame()->runCommand(cmd::kChangeIntercom);
    QVERIFY(choose->acted());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QVERIFY(Prompts::shownMessages().at(0).text.startsWith(strings::Text(3283)));
    QCOMPARE(app->state().intercomName, u"EXPT"_s);
    QCOMPARE(doc.title(), u"EXPT"_s);
    QCOMPARE(doc.pathName(), QDir::toNativeSeparators(res(u"EXPT.res"_s)));
    QCOMPARE(ReadBytes(res(u"EXPT.res"_s)), exportedBytes);
    CEntitySelection opened(doc.model());
    QVERIFY(opened.select(u"Default", EntityKind::User));
    QCOMPARE(opened.featureDenied(kFeature), 1);
}

void OpenIntercomFlowTest::refreshRewritesTheCachedFileWhateverItsCase()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim(SimArgs(port_));
    QVERIFY(sim.ready());
    // A cache written elsewhere in lower case is still this intercom's file.
    QVERIFY(writeCachedCfg(u"demo.cfg"_s, kSimAddress));
    auto app = makeApp();
    auto choose = Choose(kSimName);
    Prompts::setNextAnswer(Prompts::Answer::Ok);  // the cache had alphas of its own

    QVERIFY(app->initInstance());
    QVERIFY(choose->acted());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text, strings::Text(3281, {kSimName}));
    QCOMPARE(app->state().intercomName, kSimName);
    QCOMPARE(app->state().intercom.keypanelCount, 180);
    QCOMPARE(QDir(dir_->filePath(u"cfg"_s)).entryList(QDir::Files), QStringList{u"demo.cfg"_s});
    CIntercom cached;
    QVERIFY(LoadConfigurationFile(cached, cfg(u"demo.cfg"_s).toStdU16String()));
    QCOMPARE(cached.keypanelCount, 180);
    QCOMPARE(cached.AlphaText(0, 1, 6), u"DESK 1");

    // A save keeps writing that one file.
    app->mainFrame()->runCommand(cmd::kSave);
    QCOMPARE(QDir(dir_->filePath(u"cfg"_s)).entryList(QDir::Files), QStringList{u"demo.cfg"_s});
    QCOMPARE(Prompts::shownMessages().size(), 1);
}

void OpenIntercomFlowTest::unreachableOrCancelledRefreshOpensFromTheCache_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("controller never answers") << QStringList{u"--drop-first"_s, u"1000000"_s} << false;
    // Slow replies keep the upload going until the user cancels it.
    QTest::newRow("refresh cancelled") << QStringList{u"--delay-ms"_s, u"50"_s} << true;
}

void OpenIntercomFlowTest::unreachableOrCancelledRefreshOpensFromTheCache()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, cancel);
    test::PromptsTestScope prompts;
    test::SimulatedController sim(SimArgs(port_, faults));
    QVERIFY(sim.ready());
    QVERIFY(writeCachedCfg(u"DEMO.cfg"_s, kSimAddress));
    const QByteArray cache = ReadBytes(cfg(u"DEMO.cfg"_s));
    auto app = makeApp();
    auto choose = Choose(kSimName);
    bool cancelledWhileUploading = false;
    WhenShown<CdlgLoadProgress> progress([&](CdlgLoadProgress& dlg) {
        if (!cancel)
            return;
        // Cancel once the upload is under way, as the user would after watching it start.
        QTRY_VERIFY(dlg.progressBar()->value() > 0);
        cancelledWhileUploading = dlg.isUploading();
        dlg.cancelButton()->click();
    });
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QVERIFY(app->initInstance());
    QVERIFY(progress.acted());
    QCOMPARE(cancelledWhileUploading, cancel);
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message told = Prompts::shownMessages().at(0);
    // A cancel is said as such, never as a failed connection; the absent partner reads "none".
    const QString title = cancel ? u"Refresh cancelled"_s : strings::Text(3283);
    QCOMPARE(told.text, title + u"     \n\nDEMO : "_s + kSimAddress + u" / none     "_s);
    QCOMPARE(told.icon, Prompts::Icon::Information);

    // The file opened on the cached configuration, which stays as it was.
    QCOMPARE(app->state().intercomName, kSimName);
    QCOMPARE(app->state().intercom.keypanelCount, 77);
    QCOMPARE(app->state().intercom.AlphaText(0, 3, 4), u"DSK3");
    QCOMPARE(ReadBytes(cfg(u"DEMO.cfg"_s)), cache);
    CRestrictionsModel model;
    QCOMPARE(CheckedLines(ReadBytes(res(u"DEMO.res"_s)), model), DefaultFileLines(kSimName));
}

void OpenIntercomFlowTest::readOnlyFileIsShownAndNeverSaved()
{
    test::PromptsTestScope prompts;
    QVERIFY(writeCachedCfg(u"DEMO.cfg"_s, {}));  // no address: nothing to refresh
    const QByteArray original =
        "[DEVICE \"DEMO\"]\r\n\r\n[USER \"Default\"]\r\n//Inheritance\r\n\r\n// -- End of Data --\r\n\r\n[CRC 0]";
    QVERIFY(WriteBytes(res(u"DEMO.res"_s), original));
    QVERIFY(QFile::setPermissions(res(u"DEMO.res"_s), QFile::ReadOwner | QFile::ReadUser));
    const QByteArray cache = ReadBytes(cfg(u"DEMO.cfg"_s));
    auto app = makeApp();
    auto choose = Choose(kSimName);
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QVERIFY(app->initInstance());
    CKestovaDoc& doc = *app->document();
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).text, strings::Text(3173));
    QVERIFY(doc.isReadOnly());

    // Edits are refused and the save command is off; a save reached otherwise says why and
    // writes nothing, not even the cache.
    QVERIFY(doc.selection().select(u"Default", EntityKind::User));
    const AccessRef feature = AccessRef::feature(kFeature);
    QVERIFY(!SetAccess(doc, {&feature, 1}, AccessChange::Deny));
    QVERIFY(!doc.isModified());
    app->mainFrame()->runCommand(cmd::kSave);
    QVERIFY(!app->mainFrame()->action(cmd::kSave)->isEnabled());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.save());
    QCOMPARE(Prompts::shownMessages().size(), 2);
    QCOMPARE(Prompts::shownMessages().at(1).text, strings::Text(3173));
    QCOMPARE(ReadBytes(res(u"DEMO.res"_s)), original);
    QCOMPARE(ReadBytes(cfg(u"DEMO.cfg"_s)), cache);
    // Changing intercom asks nothing about the read-only file.
    doc.setModified(true);
    QVERIFY(doc.saveModified());
    QCOMPARE(Prompts::shownMessages().size(), 2);
}

void OpenIntercomFlowTest::unreadableFileIsKeptAside()
{
    test::PromptsTestScope prompts;
    QVERIFY(writeCachedCfg(u"DEMO.cfg"_s, {}));
    const QByteArray unreadable = "[CLASS \"Operators\"]\r\nstudio+=\"Nowhere\"\r\n";
    QVERIFY(WriteBytes(res(u"DEMO.res"_s), unreadable));
    auto app = makeApp();
    auto choose = Choose(kSimName);
    Prompts::setNextAnswer(Prompts::Answer::Yes);

    QVERIFY(app->initInstance());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).buttons, Prompts::Buttons::YesNo);
    QVERIFY(Prompts::shownMessages().at(0).text.contains(u"[2]:"_s));

    const QDir resDir(dir_->filePath(u"res"_s));
    const QStringList aside = resDir.entryList({u"DEMO.res.unreadable-*"_s}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(ReadBytes(resDir.filePath(aside.at(0))), unreadable);
    CRestrictionsModel model;
    QCOMPARE(CheckedLines(ReadBytes(res(u"DEMO.res"_s)), model), DefaultFileLines(kSimName));
    QCOMPARE(app->document()->userNames(), QStringList{u"Default"_s});
}

QTEST_MAIN(OpenIntercomFlowTest)
#include "OpenIntercomFlowTest.moc"

void OpenIntercomFlowTest::everyReopeningLeavesTheTreeWithTheFocus()
{
    test::PromptsTestScope prompts;
    test::SimulatedController sim(SimArgs(port_));
    QVERIFY(sim.ready());
    auto app = makeApp();
    {
        auto choose = Choose(kSimName);
        auto form = FillForm(kSimName, kSimAddress);
        WhenShown<CDlgSelectIcom> first([&](CDlgSelectIcom& dlg) {
            dlg.addButton()->click();
            dlg.okButton()->click();
        });
        QVERIFY(app->initInstance());
    }
    CMainFrame* frame = app->mainFrame();
    frame->show();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    CKestovaView* view = app->view();

    for (int round = 1; round <= 10; ++round) {
        // Wherever the focus was, the reopened intercom starts in the tree.
        QTRY_VERIFY(view->tree()->hasFocus());
        view->runCommand(viewcmd::kNextPane);
        QVERIFY(!view->tree()->hasFocus());
        auto choose = Choose(kSimName);
        frame->runCommand(cmd::kChangeIntercom);
        QVERIFY(choose->acted());
        QCOMPARE(app->state().intercomName, kSimName);
        QTRY_COMPARE(QApplication::activeWindow(), frame);
        QTRY_VERIFY2(view->tree()->hasFocus(), qPrintable(u"round "_s + QString::number(round)));
    }
    QVERIFY(Prompts::shownMessages().isEmpty());
}
