#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "shell/DlgPrefs.h"
#include "support/PromptsTestScope.h"
#include "vexilor/Version.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::PromptsTestScope;
using Msg = Prompts::Message;

namespace {

// Boxes without a caption of their own carry the product name.
const QString kCaption = QString::fromUtf8(build::kProductName);

const QString kFixtures = QStringLiteral(VEXILOR_FIXTURES_DIR);
const QString kValidExe = kFixtures + u"/menus/win32/Tovrin.exe"_s;
const QString kNoMenuExe = kFixtures + u"/menus/nomenu/Tovrin.exe"_s;

Msg Warning(const QString& text)
{
    return {text, kCaption, Prompts::Icon::Warning, Prompts::Buttons::Ok};
}

Msg Welcome()
{
    return {strings::JoinedTexts(3230, 3239), kCaption, Prompts::Icon::Information, Prompts::Buttons::Ok};
}

// Counts how often the dialog became visible.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

}  // namespace

class DlgPrefsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void validationStopsAtTheFirstProblem_data();
    void validationStopsAtTheFirstProblem();
    void firstRunShowsTheWelcomeOnceThenTheMissingExecutable();
    void startupClosesUnseenWhenTheSettingsAreValid();
    void startupStaysOpenWhenTheStoredExecutableIsGone();
    void okStoresThePreferences_data();
    void okStoresThePreferences();
    void cancelChangesNothing();
    void offersTheCodePagesThisPlatformConverts();
    void browseForTheExecutable();
    void browseForTheDirectories();
    void screenshot();

private:
    std::unique_ptr<SettingsStore> store();
    void setValid();
    QString path(const QString& name) const { return dir_->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SettingsStore> settings_;
    CAppState app_;
};

std::unique_ptr<SettingsStore> DlgPrefsTest::store()
{
    return std::make_unique<SettingsStore>(
        std::make_unique<QSettings>(path(u"settings.ini"_s), QSettings::IniFormat), SystemDefaults{});
}

void DlgPrefsTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(QDir(dir_->path()).mkdir(u"res"_s));
    QVERIFY(QDir(dir_->path()).mkdir(u"cfg"_s));
    QFile file(path(u"plain.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    settings_ = store();
    app_.prefs = Preferences{};
    app_.alphaSizeChanged = false;
    app_.settings = settings_.get();
}

void DlgPrefsTest::cleanup()
{
    settings_.reset();
    dir_.reset();
}

void DlgPrefsTest::setValid()
{
    app_.prefs.tovrinExePath = kValidExe;
    app_.prefs.resFilesDirectory = path(u"res"_s);
    app_.prefs.cfgFilesDirectory = path(u"cfg"_s);
}

void DlgPrefsTest::validationStopsAtTheFirstProblem_data()
{
    QTest::addColumn<QString>("showWelcome");
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("res");
    QTest::addColumn<QString>("cfg");
    QTest::addColumn<QString>("message");  // empty: valid
    QTest::addColumn<bool>("welcome");

    // Paths are relative to the temporary directory unless they start with '/'; "@exe" is the
    // readable executable, "@nomenu" one without menus.
    QTest::newRow("first run: the welcome before anything else")
        << u""_s << u""_s << u""_s << u""_s << QString() << true;
    QTest::newRow("a value other than N keeps the welcome")
        << u"Y"_s << u"@exe"_s << u"res"_s << u"cfg"_s << QString() << true;
    QTest::newRow("all empty: the executable first")
        << u"N"_s << u""_s << u""_s << u""_s << strings::Text(3240) << false;
    QTest::newRow("n in any case ends the welcome")
        << u"n"_s << u""_s << u"res"_s << u"cfg"_s << strings::Text(3240) << false;
    QTest::newRow("executable missing")
        << u"N"_s << u"gone/Tovrin.exe"_s << u""_s << u""_s << u"\"%1\" does not exist.     \n\nPlease select a directory containing Tovrin.EXE.     "_s << false;
    QTest::newRow("executable without menus")
        << u"N"_s << u"@nomenu"_s << u"res"_s << u"cfg"_s << u"\"%1\" does not appear to be a valid .EXE file.     \n\nPlease select a directory containing a valid Tovrin.EXE.     "_s << false;
    QTest::newRow("executable is a plain file")
        << u"N"_s << u"plain.txt"_s << u"res"_s << u"cfg"_s << strings::Text(3242, {u"%1"_s}) << false;
    QTest::newRow("executable is a directory")
        << u"N"_s << u"res"_s << u"res"_s << u"cfg"_s << strings::Text(3242, {u"%1"_s}) << false;
    QTest::newRow("res empty before cfg empty")
        << u"N"_s << u"@exe"_s << u""_s << u""_s << strings::Text(3243) << false;
    QTest::newRow("res missing")
        << u"N"_s << u"@exe"_s << u"nowhere"_s << u""_s << u"\"%2\" is not a valid directory.     \n\nPlease select a new directory for .RES files.     "_s << false;
    QTest::newRow("res is a file")
        << u"N"_s << u"@exe"_s << u"plain.txt"_s << u"cfg"_s << strings::Text(3244, {u"%2"_s}) << false;
    QTest::newRow("cfg empty")
        << u"N"_s << u"@exe"_s << u"res"_s << u""_s << strings::Text(3245) << false;
    QTest::newRow("cfg is a file")
        << u"N"_s << u"@exe"_s << u"res"_s << u"plain.txt"_s << u"\"%3\" is not a valid directory.     \n\nPlease select a new directory for .CFG files.     "_s << false;
    QTest::newRow("cfg missing")
        << u"N"_s << u"@exe"_s << u"res"_s << u"nowhere"_s << strings::Text(3246, {u"%3"_s}) << false;
    QTest::newRow("valid") << u"N"_s << u"@exe"_s << u"res"_s << u"cfg"_s << QString() << false;
}

void DlgPrefsTest::validationStopsAtTheFirstProblem()
{
    QFETCH(QString, showWelcome);
    QFETCH(QString, exe);
    QFETCH(QString, res);
    QFETCH(QString, cfg);
    QFETCH(QString, message);
    QFETCH(bool, welcome);

    const auto resolve = [this](const QString& p) {
        if (p == u"@exe")
            return kValidExe;
        if (p == u"@nomenu")
            return kNoMenuExe;
        return p.isEmpty() ? p : path(p);
    };
    if (!showWelcome.isEmpty())
        settings_->writeString(SettingKey::ShowWelcome, showWelcome);
    app_.prefs.tovrinExePath = resolve(exe);
    app_.prefs.resFilesDirectory = resolve(res);
    app_.prefs.cfgFilesDirectory = resolve(cfg);

    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);
    QVERIFY(Prompts::shownMessages().isEmpty());  // normal mode checks nothing while opening

    QList<Msg> expected;
    if (welcome || !message.isEmpty())
        Prompts::setNextAnswer(Prompts::Answer::Ok);
    if (welcome)
        expected << Welcome();
    else if (!message.isEmpty())
        expected << Warning(QString(message)
                                .replace(u"%1"_s, app_.prefs.tovrinExePath)
                                .replace(u"%2"_s, app_.prefs.resFilesDirectory)
                                .replace(u"%3"_s, app_.prefs.cfgFilesDirectory));
    QCOMPARE(dlg.ValidatePrefs(), expected.isEmpty());
    QCOMPARE(Prompts::shownMessages(), expected);
    if (welcome) {
        // Shown once per dialog: the next check goes on to the settings themselves.
        if (exe != u"@exe")
            Prompts::setNextAnswer(Prompts::Answer::Ok);
        QCOMPARE(dlg.ValidatePrefs(), exe == u"@exe");
        QCOMPARE(Prompts::shownMessages().size(), exe == u"@exe" ? 1 : 2);
    }
}

void DlgPrefsTest::firstRunShowsTheWelcomeOnceThenTheMissingExecutable()
{
    PromptsTestScope prompts;
    {
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        CDlgPrefs dlg(app_, true);
        QCOMPARE(Prompts::shownMessages(), QList<Msg>{Welcome()});

        // OK with empty fields: the missing executable, and the dialog stays.
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(Prompts::shownMessages().size(), 2);
        QCOMPARE(Prompts::shownMessages().at(1), Warning(strings::Text(3240)));
        QVERIFY(!settings_->contains(SettingKey::ShowWelcome));

        dlg.exePathEdit()->setText(kValidExe);
        dlg.resDirectoryEdit()->setText(path(u"res"_s));
        dlg.cfgDirectoryEdit()->setText(path(u"cfg"_s));
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Prompts::shownMessages().size(), 2);
    }

    // Stored at once, as the settings file sees it; the next start says nothing.
    QCOMPARE(QSettings(path(u"settings.ini"_s), QSettings::IniFormat)
                 .value(u"Settings/Preferences/ShowWelcome"_s).toString(),
             u"N"_s);
    Prompts::clearRecords();
    CDlgPrefs again(app_, true);
    QCOMPARE(again.exec(), int(QDialog::Accepted));
    QVERIFY(Prompts::shownMessages().isEmpty());
}

void DlgPrefsTest::startupClosesUnseenWhenTheSettingsAreValid()
{
    settings_->writeString(SettingKey::ShowWelcome, u"N"_s);
    setValid();
    const Preferences before = app_.prefs;

    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, true);
    ShowCounter counter;
    dlg.installEventFilter(&counter);
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(counter.shows, 0);
    QVERIFY(Prompts::shownMessages().isEmpty());
    QCOMPARE(app_.prefs, before);
    QVERIFY(!app_.alphaSizeChanged);
}

void DlgPrefsTest::startupStaysOpenWhenTheStoredExecutableIsGone()
{
    settings_->writeString(SettingKey::ShowWelcome, u"N"_s);
    setValid();
    app_.prefs.tovrinExePath = path(u"old/Tovrin.exe"_s);
    const Preferences before = app_.prefs;

    PromptsTestScope prompts;
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    CDlgPrefs dlg(app_, true);
    QCOMPARE(Prompts::shownMessages(),
             QList<Msg>{Warning(strings::Text(3241, {app_.prefs.tovrinExePath}))});

    bool wasVisible = false;
    QTimer::singleShot(0, &dlg, [&] {
        wasVisible = dlg.isVisible();
        dlg.reject();
    });
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));
    QVERIFY(wasVisible);
    QCOMPARE(app_.prefs, before);
    QVERIFY(!settings_->contains(SettingKey::ShowWelcome) ||
            settings_->readString(SettingKey::ShowWelcome) == u"N");
}

void DlgPrefsTest::okStoresThePreferences_data()
{
    QTest::addColumn<int>("alphaBefore");
    QTest::addColumn<bool>("doubleBefore");
    QTest::addColumn<int>("alphaRadioShown");
    QTest::addColumn<int>("clickRadioShown");
    QTest::addColumn<int>("alphaRadio");
    QTest::addColumn<int>("clickRadio");
    QTest::addColumn<int>("alphaAfter");
    QTest::addColumn<bool>("changed");

    QTest::newRow("only the click changes") << 4 << true << 0 << 1 << 0 << 0 << 4 << false;
    QTest::newRow("4 to 6") << 4 << false << 0 << 0 << 1 << 0 << 6 << true;
    QTest::newRow("6 to 8") << 6 << false << 1 << 0 << 2 << 1 << 8 << true;
    QTest::newRow("8 to Unicode") << 8 << true << 2 << 1 << 3 << 1 << 16 << true;
    QTest::newRow("Unicode to 4") << 16 << false << 3 << 0 << 0 << 0 << 4 << true;
    QTest::newRow("Unicode kept") << 16 << false << 3 << 0 << 3 << 1 << 16 << false;
}

void DlgPrefsTest::okStoresThePreferences()
{
    QFETCH(int, alphaBefore);
    QFETCH(bool, doubleBefore);
    QFETCH(int, alphaRadioShown);
    QFETCH(int, clickRadioShown);
    QFETCH(int, alphaRadio);
    QFETCH(int, clickRadio);
    QFETCH(int, alphaAfter);
    QFETCH(bool, changed);

    settings_->writeString(SettingKey::ShowWelcome, u"N"_s);
    setValid();
    app_.prefs.alphaSize = alphaBefore;
    app_.prefs.requireDoubleClick = doubleBefore;
    app_.alphaSizeChanged = !changed;  // OK sets it either way

    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);
    QCOMPARE(dlg.alphaGroup()->checkedId(), alphaRadioShown);
    QCOMPARE(dlg.clickGroup()->checkedId(), clickRadioShown);
    QCOMPARE(dlg.exePathEdit()->text(), kValidExe);

    dlg.alphaGroup()->button(alphaRadio)->click();
    dlg.clickGroup()->button(clickRadio)->click();
    QVERIFY(QDir(dir_->path()).mkdir(u"res2"_s));
    dlg.resDirectoryEdit()->setText(path(u"res2"_s));
    dlg.accept();

    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(Prompts::shownMessages().isEmpty());
    QCOMPARE(app_.prefs.alphaSize, alphaAfter);
    QCOMPARE(app_.prefs.requireDoubleClick, clickRadio == 1);
    QCOMPARE(dlg.alphaSizeChanged(), changed);
    QCOMPARE(app_.alphaSizeChanged, changed);
    QCOMPARE(app_.prefs.resFilesDirectory, path(u"res2"_s));
    QCOMPARE(app_.prefs.cfgFilesDirectory, path(u"cfg"_s));
}

void DlgPrefsTest::cancelChangesNothing()
{
    setValid();
    const Preferences before = app_.prefs;

    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);
    dlg.alphaGroup()->button(3)->click();
    dlg.exePathEdit()->clear();
    dlg.reject();

    QCOMPARE(app_.prefs, before);
    QVERIFY(!app_.alphaSizeChanged);
    QVERIFY(!settings_->contains(SettingKey::ShowWelcome));
    QVERIFY(Prompts::shownMessages().isEmpty());
}

void DlgPrefsTest::offersTheCodePagesThisPlatformConverts()
{
    settings_->writeString(SettingKey::ShowWelcome, u"N"_s);
    setValid();
    PromptsTestScope prompts;
#ifdef _WIN32
    app_.prefs.codePage = text::systemCodePage();
    CDlgPrefs dlg(app_, false);
    // The system's code page, shown but not changed.
    QCOMPARE(dlg.codePageBox()->count(), 1);
    QCOMPARE(dlg.codePageBox()->currentData().toUInt(), text::systemCodePage());
    QVERIFY(!dlg.codePageBox()->isEnabled());
#else
    app_.prefs.codePage = 1250;
    CDlgPrefs dlg(app_, false);
    QComboBox* box = dlg.codePageBox();
    QVERIFY(box->isEnabled());
    QCOMPARE(box->currentData().toUInt(), 1250u);
    QCOMPARE(box->currentText(), u"1250 (Central European)"_s);
    for (int i = 0; i < box->count(); ++i)
        QVERIFY2(text::CodePage::make(box->itemData(i).toUInt()), qPrintable(box->itemText(i)));
    const int japanese = box->findData(932u);
    QVERIFY(japanese >= 0);
    box->setCurrentIndex(japanese);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(app_.prefs.codePage, 932u);
    QCOMPARE(FilesCodePage(app_.prefs).number(), 932u);
#endif
}

void DlgPrefsTest::browseForTheExecutable()
{
    // A folder with a readable Tovrin.exe, one with an unreadable one, one whose copy is in
    // capitals (as copied from another system).
    const QString good = path(u"good"_s);
    const QString bad = path(u"bad"_s);
    const QString caps = path(u"caps"_s);
    for (const QString& d : {good, bad, caps})
        QVERIFY(QDir().mkpath(d));
    QVERIFY(QFile::copy(kValidExe, good + u"/Tovrin.exe"_s));
    QVERIFY(QFile::copy(kNoMenuExe, bad + u"/Tovrin.exe"_s));
    QVERIFY(QFile::copy(kValidExe, caps + u"/TOVRIN.EXE"_s));
    setValid();

    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);

    // Unreadable, No: the field keeps the old path.
    Prompts::setNextFolder(bad);
    Prompts::setNextAnswer(Prompts::Answer::No);
    dlg.browseExecutable();
    QCOMPARE(dlg.exePathEdit()->text(), kValidExe);
    const Msg question{strings::Text(3201, {QDir::toNativeSeparators(bad + u"/Tovrin.exe"_s)}), kCaption,
                       Prompts::Icon::Question, Prompts::Buttons::YesNo};
    QCOMPARE(Prompts::shownMessages(), QList<Msg>{question});
    QCOMPARE(Prompts::shownDialogs().size(), 1);
    const Prompts::Dialog first = Prompts::shownDialogs().at(0);
    QCOMPARE(first.kind, Prompts::Dialog::Kind::Folder);
    QCOMPARE(first.title, strings::Text(3196));
    QVERIFY(!first.allowNewFolder);
    QCOMPARE(QDir(first.start), QDir(kFixtures + u"/menus/win32"_s));  // the executable's folder

    // Unreadable, Yes: browse again; the readable one is taken.
    Prompts::clearRecords();
    Prompts::setNextFolder(bad);
    Prompts::setNextAnswer(Prompts::Answer::Yes);
    Prompts::setNextFolder(good);
    dlg.browseExecutable();
    QCOMPARE(Prompts::shownDialogs().size(), 2);
    QCOMPARE(dlg.exePathEdit()->text(), QDir::toNativeSeparators(good + u"/Tovrin.exe"_s));

    // The copy in capitals is found; cancelling the browser changes nothing.
    Prompts::setNextFolder(caps);
    dlg.browseExecutable();
    QCOMPARE(dlg.exePathEdit()->text(), QDir::toNativeSeparators(caps + u"/TOVRIN.EXE"_s));
    Prompts::setNextFolder(QString());
    dlg.browseExecutable();
    QCOMPARE(dlg.exePathEdit()->text(), QDir::toNativeSeparators(caps + u"/TOVRIN.EXE"_s));
    QCOMPARE(Prompts::shownMessages().size(), 1);
}

void DlgPrefsTest::browseForTheDirectories()
{
    setValid();
    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);

    const QString chosen = path(u"chosen"_s);
    Prompts::setNextFolder(chosen);
    dlg.browseResDirectory();
    Prompts::setNextFolder(QString());
    dlg.browseCfgDirectory();
    Prompts::setNextFolder(chosen);
    dlg.browseCfgDirectory();

    QCOMPARE(dlg.resDirectoryEdit()->text(), QDir::toNativeSeparators(chosen));
    QCOMPARE(dlg.cfgDirectoryEdit()->text(), QDir::toNativeSeparators(chosen));
    const QList<Prompts::Dialog> expected = {
        {Prompts::Dialog::Kind::Folder, strings::Text(3197), path(u"res"_s), {}, true},
        {Prompts::Dialog::Kind::Folder, strings::Text(3198), path(u"cfg"_s), {}, true},
        {Prompts::Dialog::Kind::Folder, strings::Text(3198), path(u"cfg"_s), {}, true},
    };
    QCOMPARE(Prompts::shownDialogs(), expected);
}

void DlgPrefsTest::screenshot()
{
    setValid();
    PromptsTestScope prompts;
    CDlgPrefs dlg(app_, false);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.grab().save(QDir::temp().filePath(u"h13-prefs.png"_s)));
    // Every control fits: the long label and the edits are not squeezed.
    QVERIFY(dlg.exePathEdit()->width() >= 300);
}

QTEST_MAIN(DlgPrefsTest)
#include "DlgPrefsTest.moc"
