#include "app/SettingsStore.h"
#include "shell/Commands.h"
#include "shell/KestovaApp.h"
#include "shell/MainFrame.h"
#include "shell/Splash.h"
#include "support/PromptsTestScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;

using Step = CKestovaApp::Step;
Q_DECLARE_METATYPE(QList<CKestovaApp::Step>)

class StartupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void startName_data();
    void startName();
    void cancelledPreferencesEndWithoutSaving();
    void usableSettingsConfirmThemselves();
    void opensTheStartIntercomAndShowsTheWindow_data();
    void opensTheStartIntercomAndShowsTheWindow();
    void changeIntercomAsksAboutUnsavedChangesFirst();
    void registersTheFileTypeWithoutStoppingStartUp_data();
    void registersTheFileTypeWithoutStoppingStartUp();
    void loadsARealLanguageFile_data();
    void loadsARealLanguageFile();

private:
    // Settings in a temporary INI file: usable directories, no welcome pending, and an alpha size
    // of 5, which reads as 4 and is written back as 4 whenever the settings are saved.
    CKestovaApp::Options options(const QStringList& parameters);
    void writeSettings(const QString& defaultIntercom);
    QByteArray iniBytes() const;
    // "@" at the start of a parameter stands for the temporary folder; such a file is created.
    QStringList expand(const QStringList& parameters) const;

    QTemporaryDir dir_;
    QString ini_;
};

void StartupTest::init()
{
    ini_ = dir_.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u".ini"_s);
    QFile::remove(ini_);
    for (const QString& sub : {u"cfg"_s, u"res"_s, u"tovrin"_s})
        QDir(dir_.path()).mkpath(sub);
    const QString exe = dir_.filePath(u"tovrin/Tovrin.exe"_s);
    if (!QFile::exists(exe))
        QVERIFY(QFile::copy(QStringLiteral(VEXILOR_FIXTURES_DIR "/menus/win64/Tovrin.exe"), exe));
    writeSettings({});
}

void StartupTest::writeSettings(const QString& defaultIntercom)
{
    QSettings s(ini_, QSettings::IniFormat);
    s.setValue(u"Settings/Directories/TovrinExeDirectory"_s, dir_.filePath(u"tovrin/Tovrin.exe"_s));
    s.setValue(u"Settings/Directories/ResFilesDirectory"_s, dir_.filePath(u"res"_s));
    s.setValue(u"Settings/Directories/CfgFilesDirectory"_s, dir_.filePath(u"cfg"_s));
    s.setValue(u"Settings/Preferences/ShowWelcome"_s, u"N"_s);
    s.setValue(u"Settings/Preferences/AlphaSize"_s, 5);
    if (!defaultIntercom.isEmpty())
        s.setValue(u"Settings/Preferences/DefaultIntercom"_s, defaultIntercom);
}

QByteArray StartupTest::iniBytes() const
{
    QFile f(ini_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CKestovaApp::Options StartupTest::options(const QStringList& parameters)
{
    CKestovaApp::Options o;
    o.parameters = parameters;
    o.settings = std::make_unique<SettingsStore>(std::make_unique<QSettings>(ini_, QSettings::IniFormat),
                                                 SystemDefaults{});
    o.threadLocaleId = 1033;
    o.translationDirectories = {dir_.path()};
    o.showWindow = false;
    o.registerFileType = false;
    return o;
}

QStringList StartupTest::expand(const QStringList& parameters) const
{
    QStringList out;
    for (const QString& p : parameters) {
        if (!p.startsWith(u'@')) {
            out << p;
            continue;
        }
        const QString path = dir_.path() + p.mid(1);
        if (!path.contains(u"missing"_s)) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile f(path);
            f.open(QIODevice::WriteOnly);
        }
        out << path;
    }
    return out;
}

void StartupTest::startName_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("defaultIntercom");
    QTest::addColumn<QString>("name");
    QTest::addColumn<unsigned>("language");

    QTest::newRow("nothing: the list") << QStringList{} << u""_s << u""_s << 1033u;
    QTest::newRow("the default") << QStringList{} << u"LA"_s << u"LA"_s << 1033u;
    QTest::newRow("plain name over the default") << QStringList{u"NY1"_s} << u"LA"_s << u"NY1"_s << 1033u;
    QTest::newRow("-i over the default") << QStringList{u"-i"_s, u"NY1"_s} << u"LA"_s << u"NY1"_s << 1033u;
    QTest::newRow("-I") << QStringList{u"-I"_s, u"SF"_s} << u""_s << u"SF"_s << 1033u;
    QTest::newRow("plain name over -i") << QStringList{u"ONE"_s, u"-i"_s, u"TWO"_s} << u""_s << u"ONE"_s << 1033u;
    QTest::newRow("bare -i: the default") << QStringList{u"-i"_s} << u"LA"_s << u"LA"_s << 1033u;
    QTest::newRow("-l 3076 is no name") << QStringList{u"-l"_s, u"3076"_s} << u"LA"_s << u"LA"_s << 3076u;
    QTest::newRow("-L and a name") << QStringList{u"-L"_s, u"1041"_s, u"NY1"_s} << u""_s << u"NY1"_s << 1041u;
    // Opened from the desktop: the path of a restrictions file names its intercom.
    QTest::newRow("restrictions file path") << QStringList{u"@/elsewhere/ny1.res"_s} << u"LA"_s << u"NY1"_s << 1033u;
    QTest::newRow("relative restrictions file") << QStringList{u"Sf.RES"_s} << u"LA"_s << u"SF"_s << 1033u;
    QTest::newRow("path after -nologo") << QStringList{u"-nologo"_s, u"@/other/demo.res"_s} << u""_s << u"DEMO"_s << 1033u;
    // A path that names no file is a switch, as "/nologo" is.
    QTest::newRow("no such file") << QStringList{u"@/missing/ny1.res"_s} << u"LA"_s << u"LA"_s << 1033u;
}

void StartupTest::startName()
{
    QFETCH(QStringList, args);
    QFETCH(QString, defaultIntercom);
    QFETCH(QString, name);
    writeSettings(defaultIntercom);

    QString seenName;
    bool seenGiven = false;
    CKestovaApp::Options o = options(expand(args));
    o.startupPreferences = [&](CAppState& app) {
        seenName = app.startIntercomName;
        seenGiven = app.startIntercomGiven;
        return false;
    };
    CKestovaApp app(std::move(o));
    QVERIFY(!app.initInstance());
    QCOMPARE(seenName, name);
    QCOMPARE(seenGiven, !name.isEmpty());
    QTEST(app.state().languageId, "language");
    // No language file here: the program's own texts.
    QCOMPARE(app.state().languageLibraryName, u"<internal>"_s);
}

void StartupTest::cancelledPreferencesEndWithoutSaving()
{
    const QByteArray before = iniBytes();
    {
        CKestovaApp::Options o = options({u"NY1"_s});
        o.startupPreferences = [](CAppState& app) {
            app.prefs.alphaSize = 8;  // changed in the dialog, then cancelled
            app.prefs.resFilesDirectory = u"/elsewhere"_s;
            return false;
        };
        CKestovaApp app(std::move(o));
        QVERIFY(!app.initInstance());
        const QList<Step> expected{Step::CommandLine, Step::Language, Step::Fonts, Step::LoadSettings,
                                   Step::StartName};
        QCOMPARE(app.completedSteps(), expected);
        QVERIFY(app.document() == nullptr);
        QVERIFY(app.mainFrame() == nullptr);
        QVERIFY(app.settings().doNotSave());
        app.exitInstance();
    }
    QCOMPARE(iniBytes(), before);
}

void StartupTest::usableSettingsConfirmThemselves()
{
    test::PromptsTestScope prompts;  // the real start-up preferences must close unseen
    QString preselected;
    bool flagWhenAsked = false;
    CKestovaApp::Options o = options({u"-i"_s, u"NY1"_s});
    CAppState* state = nullptr;
    o.services.selectIntercom = [&](const QString& preselect) -> std::optional<QString> {
        preselected = preselect;
        flagWhenAsked = state->startIntercomGiven;
        return std::nullopt;  // the user cancels the intercom list: start-up ends
    };
    CKestovaApp app(std::move(o));
    state = &app.state();
    QVERIFY(!app.initInstance());
    QCOMPARE(app.completedSteps().last(), Step::CreateWindows);
    QCOMPARE(preselected, u"NY1"_s);
    QVERIFY(flagWhenAsked);
    QVERIFY(Prompts::shownMessages().isEmpty());
    // The settings were saved once the preferences were confirmed: 5 came back as 4.
    QCOMPARE(QSettings(ini_, QSettings::IniFormat).value(u"Settings/Preferences/AlphaSize"_s).toInt(), 4);
}

void StartupTest::opensTheStartIntercomAndShowsTheWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("splash");
    QTest::newRow("with the splash") << QStringList{u"DEMO"_s} << true;
    QTest::newRow("nologo") << QStringList{u"-nologo"_s, u"-i"_s, u"DEMO"_s} << false;
    QTest::newRow("a restrictions file from the desktop") << QStringList{u"-nologo"_s, u"@/Downloads/Demo.res"_s} << false;
}

void StartupTest::opensTheStartIntercomAndShowsTheWindow()
{
    QFETCH(QStringList, args);
    QFETCH(bool, splash);
    test::PromptsTestScope prompts;
    // An intercom without a restrictions file: one is created when it opens.
    const QString cfg = dir_.filePath(u"cfg/DEMO.cfg"_s);
    QFile::remove(cfg);
    QFile::remove(dir_.filePath(u"res/DEMO.res"_s));
    QVERIFY(QFile::copy(QStringLiteral(VEXILOR_FIXTURES_DIR "/cfg/setup-edit.cfg"), cfg));
    QFile::setPermissions(cfg, QFile::ReadOwner | QFile::WriteOwner);
    CKestovaApp::Options o = options(expand(args));
    o.showWindow = true;
    CAppState* state = nullptr;
    o.services.selectIntercom = [&](const QString& preselect) -> std::optional<QString> {
        state->startIntercomGiven = false;
        state->intercomName = preselect;
        state->intercom.name = preselect.toStdU16String();
        return preselect;
    };
    o.services.refreshAlphas = [](CIntercom&) {};
    CKestovaApp app(std::move(o));
    state = &app.state();
    QVERIFY(app.initInstance());
    QCOMPARE(app.completedSteps().last(), Step::Splash);
    CMainFrame* frame = app.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QVERIFY(frame->isMaximized());  // no stored placement
    // Restored, it takes most of the screen rather than its least size.
    const QRect area = frame->screen()->availableGeometry();
    QVERIFY2(frame->normalGeometry().width() >= area.width() * 3 / 4
                 && frame->normalGeometry().height() >= area.height() * 3 / 4,
             qPrintable(QStringLiteral("%1x%2").arg(frame->normalGeometry().width()).arg(frame->normalGeometry().height())));
    QCOMPARE(frame->windowHandle()->title(), u"DEMO - Vexilor"_s);
    QVERIFY(QFile::exists(dir_.filePath(u"res/DEMO.res"_s)));
    QCOMPARE(app.splash() != nullptr, splash);
    if (splash) {
        // Any key closes the splash at once.
        QPointer<CSplash> s = app.splash();
        QTest::keyClick(frame, Qt::Key_Shift);
        QTRY_VERIFY(s.isNull());
    }

    frame->close();
    app.exitInstance();
    // Closing stored the placement; the next start-up restores it instead of maximizing.
    QVERIFY(QSettings(ini_, QSettings::IniFormat).contains(u"Windows/Application/showCmd"_s));
}

void StartupTest::changeIntercomAsksAboutUnsavedChangesFirst()
{
    test::PromptsTestScope prompts;
    const QString cfg = dir_.filePath(u"cfg/DEMO.cfg"_s);
    QFile::remove(cfg);
    QVERIFY(QFile::copy(QStringLiteral(VEXILOR_FIXTURES_DIR "/cfg/setup-edit.cfg"), cfg));
    QFile::setPermissions(cfg, QFile::ReadOwner | QFile::WriteOwner);

    QStringList asked;
    CKestovaApp::Options o = options({u"DEMO"_s});
    CAppState* state = nullptr;
    o.services.selectIntercom = [&](const QString& preselect) -> std::optional<QString> {
        asked.append(preselect);
        if (asked.size() > 1)
            return std::nullopt;  // the list is cancelled: DEMO stays open
        state->startIntercomGiven = false;
        return preselect;
    };
    o.services.refreshAlphas = [](CIntercom&) {};
    CKestovaApp app(std::move(o));
    state = &app.state();
    QVERIFY(app.initInstance());
    QCOMPARE(asked, QStringList{u"DEMO"_s});

    app.document()->setModified(true);
    Prompts::setNextAnswer(Prompts::Answer::Cancel);
    app.mainFrame()->runCommand(cmd::kChangeIntercom);
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).buttons, Prompts::Buttons::YesNoCancel);
    QCOMPARE(asked.size(), 1);  // cancelled before the list

    Prompts::setNextAnswer(Prompts::Answer::No);
    app.mainFrame()->runCommand(cmd::kChangeIntercom);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(app.document()->title(), u"DEMO"_s);
    // Still DEMO, with its change neither saved nor dropped (the title as the window shows it).
    app.mainFrame()->winId();
    QCOMPARE(app.mainFrame()->windowHandle()->title(), u"DEMO* - Vexilor"_s);
}

void StartupTest::registersTheFileTypeWithoutStoppingStartUp_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("writable data folder") << true;
    QTest::newRow("data folder cannot be made") << false;
}

void StartupTest::registersTheFileTypeWithoutStoppingStartUp()
{
    QFETCH(bool, writable);
    test::PromptsTestScope prompts;
    QString home = dir_.filePath(u"data-"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
    if (!writable) {
        QFile blocker(home);
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where a folder is needed
        home += u"/below"_s;
    }
    QStringList started;
    CKestovaApp::Options o = options({u"NY1"_s});
    o.registerFileType = true;
    o.fileTypeRegistration.dataHome = home;
    o.fileTypeRegistration.startTool = [&](const QString& program, const QStringList&) {
        started << program;
        return true;
    };
    o.startupPreferences = [](CAppState&) { return true; };
    o.services.selectIntercom = [](const QString&) -> std::optional<QString> { return std::nullopt; };
    CKestovaApp app(std::move(o));
    QVERIFY(!app.initInstance());  // the list was cancelled, after the windows were made
    QCOMPARE(app.completedSteps().last(), Step::CreateWindows);
    QCOMPARE(app.fileTypeRegistration().ok, writable);
    QVERIFY(Prompts::shownMessages().isEmpty());
    QCOMPARE(QFile::exists(home + u"/applications/vexilor.desktop"_s), writable);
    QCOMPARE(QFile::exists(home + u"/mime/packages/vexilor-restrictions.xml"_s), writable);
    if (writable) {
        QCOMPARE(started, (QStringList{u"update-mime-database"_s, u"update-desktop-database"_s}));
        // The entry starts this very program.
        QFile entry(home + u"/applications/vexilor.desktop"_s);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(entry.readAll()).contains(u"\nExec="_s + QCoreApplication::applicationFilePath() + u" %f\n"_s));
    } else {
        QVERIFY(started.isEmpty());
        QCOMPARE(app.fileTypeRegistration().errors.size(), 2);
    }
}

void StartupTest::loadsARealLanguageFile_data()
{
    QTest::addColumn<unsigned>("thread");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("French thread locale") << 1036u << QStringList{} << true;
    QTest::newRow("-l 1036") << 1033u << QStringList{u"-l"_s, u"1036"_s} << true;
    // French of Canada has a library of its own, which is not there.
    QTest::newRow("-l 3084") << 1033u << QStringList{u"-l"_s, u"3084"_s} << false;
}

void StartupTest::loadsARealLanguageFile()
{
    QFETCH(unsigned, thread);
    QFETCH(QStringList, args);
    QFETCH(bool, loaded);
    const QString english = MenuText(*FindCommand(cmd::kChangeIntercom));
    QCOMPARE(english, u"Change &Intercom..."_s);
    {
        CKestovaApp::Options o = options(args);
        o.threadLocaleId = thread;
        o.translationDirectories = {dir_.path(), QStringLiteral(VEXILOR_TEST_TRANSLATIONS_DIR)};
        o.startupPreferences = [](CAppState&) { return false; };
        CKestovaApp app(std::move(o));
        QVERIFY(!app.initInstance());
        QVERIFY(app.completedSteps().contains(Step::Language));
        if (loaded) {
            QCOMPARE(app.state().languageLibraryName, u"keres1036.qm (biblioth\u00e8que fran\u00e7aise)"_s);
            QCOMPARE(MenuText(*FindCommand(cmd::kChangeIntercom)), u"Changer d'&intercom..."_s);
        } else {
            QCOMPARE(app.state().languageLibraryName, u"<internal>"_s);
            QCOMPARE(MenuText(*FindCommand(cmd::kChangeIntercom)), english);
        }
    }
    // The texts are the program's own again once the application is gone.
    QCOMPARE(MenuText(*FindCommand(cmd::kChangeIntercom)), english);
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
