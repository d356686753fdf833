#include "app/AppState.h"
#include "app/Strings.h"
#include "shell/DesktopShortcut.h"
#include "shell/DlgShortcut.h"
#include "support/PromptsTestScope.h"
#include "vexilor/Version.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#endif

using namespace vexilor;
using namespace Qt::StringLiterals;
using vexilor::test::PromptsTestScope;
using Msg = Prompts::Message;

namespace {

// Boxes without a caption of their own carry the product name.
const QString kCaption = QString::fromUtf8(build::kProductName);

// A reader of freedesktop launchers written from the format's rules, independent of the writer:
// key=value lines under [Desktop Entry], string escapes, then the Exec line's quoting.
struct Launcher {
    QStringList groups;
    std::map<QString, QString> values;
    QStringList exec;
    bool execValid = true;
};

QString UnescapeValue(const QString& raw)
{
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != u'\\' || i + 1 == raw.size()) {
            out += raw.at(i);
            continue;
        }
        const QChar c = raw.at(++i);
        if (c == u's') out += u' ';
        else if (c == u'n') out += u'\n';
        else if (c == u't') out += u'\t';
        else if (c == u'r') out += u'\r';
        else if (c == u'\\') out += u'\\';
        else { out += u'\\'; out += c; }
    }
    return out;
}

QStringList SplitExec(const QString& exec, bool* valid)
{
    QStringList args;
    QString current;
    bool inQuotes = false, have = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'%') {
            // Launchers expand field codes over the whole line, quoted or not; only %% may
            // appear, as the launcher passes no files or URLs.
            if (i + 1 < exec.size() && exec.at(i + 1) == u'%') {
                current += u'%';
                ++i;
                have = true;
            } else {
                *valid = false;
            }
        } else if (inQuotes) {
            if (c == u'"') {
                inQuotes = false;
            } else if (c == u'\\' && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\").contains(exec.at(i + 1))) {
                current += exec.at(++i);
            } else {
                current += c;
            }
        } else if (c == u' ') {
            if (have)
                args << current;
            current.clear();
            have = false;
        } else if (c == u'"') {
            inQuotes = true;
            have = true;
        } else {
            if (QStringLiteral("\t\n'\\><~|&;$*?#()`").contains(c))
                *valid = false;  // reserved outside quotes
            current += c;
            have = true;
        }
    }
    if (inQuotes)
        *valid = false;
    if (have)
        args << current;
    return args;
}

#ifdef Q_OS_WIN
// The shortcut as the shell reads it: through its own link object, the arguments split as the C
// runtime of the started program splits them.
const QString kSuffix = u".lnk"_s;

Launcher ReadLauncher(const QString& path)
{
    Launcher l;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    const auto w = [](const QString& s) { return reinterpret_cast<LPCWSTR>(s.utf16()); };
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(w(QDir::toNativeSeparators(path)), STGM_READ))) {
        std::vector<wchar_t> storage(32768);
        wchar_t* buffer = storage.data();
        const int kMax = int(storage.size());
        const auto text = [&] { return QString::fromWCharArray(buffer); };
        l.groups << u"[Desktop Entry]"_s;  // what the freedesktop reader checks first
        l.values[u"Type"_s] = u"Application"_s;
        l.values[u"Name"_s] = QFileInfo(path).completeBaseName();
        if (SUCCEEDED(link->GetDescription(buffer, kMax)) && buffer[0] != 0)
            l.values[u"Comment"_s] = text();
        if (SUCCEEDED(link->GetWorkingDirectory(buffer, kMax)))
            l.values[u"Path"_s] = QDir::fromNativeSeparators(text());
        int icon = -1;
        if (SUCCEEDED(link->GetIconLocation(buffer, kMax, &icon)))
            l.values[u"Icon"_s] = QDir::fromNativeSeparators(text()) + u',' + QString::number(icon);
        if (SUCCEEDED(link->GetPath(buffer, kMax, nullptr, SLGP_RAWPATH)))
            l.exec << QDir::fromNativeSeparators(text());
        if (SUCCEEDED(link->GetArguments(buffer, kMax))) {
            l.values[u"Exec"_s] = text();
            // CommandLineToArgvW takes its first word as the program: give it one.
            const QString line = u"x "_s + text();
            int argc = 0;
            LPWSTR* argv = CommandLineToArgvW(w(line), &argc);
            for (int i = 1; argv != nullptr && i < argc; ++i)
                l.exec << QString::fromWCharArray(argv[i]);
            LocalFree(argv);
        }
    }
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    if (SUCCEEDED(init))
        CoUninitialize();
    return l;
}
#else
const QString kSuffix = u".desktop"_s;

Launcher ReadLauncher(const QString& path)
{
    Launcher l;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return l;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.startsWith(u'[')) {
            l.groups << line;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            l.values[line.left(eq)] = UnescapeValue(line.mid(eq + 1));
    }
    l.exec = SplitExec(l.values[u"Exec"_s], &l.execValid);
    return l;
}
#endif

}  // namespace

class DlgShortcutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void proposesNamesFromTheOpenIntercom_data();
    void proposesNamesFromTheOpenIntercom();
    void tickingTheBoxProposesAgain();
    void launcherStartsTheProgramForTheIntercom_data();
    void launcherStartsTheProgramForTheIntercom();
    void launcherWithoutIntercomHasNoArguments();
    void refusesForbiddenCharacters_data();
    void refusesForbiddenCharacters();
    void emptyNameDoesNothing();
    void asksBeforeReplacing();
    void reportsALauncherThatCannotBeWritten();
    void screenshot();

private:
    std::unique_ptr<QTemporaryDir> desktop_;
    CAppState app_;
};

void DlgShortcutTest::init()
{
    desktop_ = std::make_unique<QTemporaryDir>();
    QVERIFY(desktop_->isValid());
    app_.intercomName.clear();
}

void DlgShortcutTest::proposesNamesFromTheOpenIntercom_data()
{
    QTest::addColumn<QString>("intercom");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("shownIntercom");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("an intercom") << u"ABCD"_s << true << u"ABCD"_s << u"Kestova - ABCD"_s
                                 << u"Edit Restrictions for ABCD"_s;
    QTest::newRow("Default") << u"Default"_s << false << u"Default"_s << u"Kestova"_s << QString();
    QTest::newRow("DEFAULT in another case") << u"DEFAULT"_s << false << u"DEFAULT"_s << u"Kestova"_s
                                             << QString();
    QTest::newRow("no intercom open") << QString() << false << u"Default"_s << u"Kestova"_s << QString();
}

void DlgShortcutTest::proposesNamesFromTheOpenIntercom()
{
    QFETCH(QString, intercom);
    QFETCH(bool, checked);
    QFETCH(QString, shownIntercom);
    QFETCH(QString, name);
    QFETCH(QString, description);

    app_.intercomName = intercom;
    CDlgShortcut dlg(app_);
    QCOMPARE(dlg.intercomCheck()->isChecked(), checked);
    QCOMPARE(dlg.intercomEdit()->isEnabled(), checked);
    QCOMPARE(dlg.intercomEdit()->text(), shownIntercom);
    QCOMPARE(dlg.nameEdit()->text(), name);
    QCOMPARE(dlg.descriptionEdit()->text(), description);
}

void DlgShortcutTest::tickingTheBoxProposesAgain()
{
    app_.intercomName = u"ABCD"_s;
    CDlgShortcut dlg(app_);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    dlg.nameEdit()->setText(u"Typed"_s);
    dlg.descriptionEdit()->setText(u"Typed too"_s);
    QTest::mouseClick(dlg.intercomCheck(), Qt::LeftButton);
    QVERIFY(!dlg.intercomEdit()->isEnabled());
    QCOMPARE(dlg.nameEdit()->text(), u"Kestova"_s);
    QCOMPARE(dlg.descriptionEdit()->text(), QString());

    dlg.nameEdit()->setText(u"Typed"_s);
    QTest::mouseClick(dlg.intercomCheck(), Qt::LeftButton);
    QVERIFY(dlg.intercomEdit()->isEnabled());
    QCOMPARE(dlg.nameEdit()->text(), u"Kestova - ABCD"_s);

    // Another intercom typed into the field is what the next proposal uses.
    dlg.intercomEdit()->setText(u"EFGH"_s);
    QTest::mouseClick(dlg.intercomCheck(), Qt::LeftButton);
    QTest::mouseClick(dlg.intercomCheck(), Qt::LeftButton);
    QCOMPARE(dlg.nameEdit()->text(), u"Kestova - EFGH"_s);
    QCOMPARE(dlg.descriptionEdit()->text(), u"Edit Restrictions for EFGH"_s);
}

void DlgShortcutTest::launcherStartsTheProgramForTheIntercom_data()
{
    QTest::addColumn<QString>("intercom");
    QTest::newRow("plain") << u"ABCD"_s;
    QTest::newRow("blank") << u"Studio A"_s;
    QTest::newRow("shell characters") << u"A$B`C'D;E&F|G"_s;
    QTest::newRow("quotes and backslash") << u"say \"hi\" \\ there"_s;
    QTest::newRow("percent, as a field code would be") << u"100%f"_s;
    QTest::newRow("leading blank") << u" lead"_s;
    QTest::newRow("beyond ASCII") << u"Ünïcødé 東京"_s;
}

void DlgShortcutTest::launcherStartsTheProgramForTheIntercom()
{
    QFETCH(QString, intercom);
    app_.intercomName = intercom;

    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(desktop_->path());
    dlg.nameEdit()->setText(u"Edit it"_s);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    const QString path = desktop_->filePath(u"Edit it"_s + kSuffix);
    QCOMPARE(dlg.savedPath(), path);
    const Launcher l = ReadLauncher(path);
    QCOMPARE(l.groups, QStringList{u"[Desktop Entry]"_s});
    QCOMPARE(l.values.at(u"Type"_s), u"Application"_s);
    QCOMPARE(l.values.at(u"Name"_s), u"Edit it"_s);
    QCOMPARE(l.values.at(u"Comment"_s), strings::Text(3255, {intercom}));
    QCOMPARE(l.values.at(u"Path"_s), QCoreApplication::applicationDirPath());
    QVERIFY(!l.values.at(u"Icon"_s).isEmpty());
    QVERIFY2(l.execValid, qPrintable(l.values.at(u"Exec"_s)));
    const QStringList argv{QCoreApplication::applicationFilePath(), u"-i"_s, intercom};
    QCOMPARE(l.exec, argv);

#ifdef Q_OS_WIN
    QCOMPARE(l.values.at(u"Icon"_s), QCoreApplication::applicationFilePath() + u",0"_s);
#else
    QVERIFY(QFileInfo(path).isExecutable());
    QVERIFY(QFileInfo(path).permissions() & QFileDevice::ExeOwner);
#endif
    if (intercom == u"ABCD")
        QVERIFY(l.values.at(u"Exec"_s).endsWith(u"-i \"ABCD\""_s));
}

void DlgShortcutTest::launcherWithoutIntercomHasNoArguments()
{
    app_.intercomName = u"Default"_s;
    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(desktop_->filePath(u"not/yet/there"_s));
    dlg.accept();

    const QString path = desktop_->filePath(u"not/yet/there/Kestova"_s + kSuffix);
    QCOMPARE(dlg.savedPath(), path);
    const Launcher l = ReadLauncher(path);
    QCOMPARE(l.exec, QStringList{QCoreApplication::applicationFilePath()});
    QVERIFY(!l.values.contains(u"Comment"_s));
#ifndef Q_OS_WIN
    QVERIFY(QFileInfo(path).isExecutable());
#endif
}

void DlgShortcutTest::refusesForbiddenCharacters_data()
{
    QTest::addColumn<QString>("name");
    for (const QChar c : u":\\/*?\"<>|"_s)
        QTest::newRow(qPrintable(QString(c))) << (u"Kestova "_s + c + u" x"_s);
}

void DlgShortcutTest::refusesForbiddenCharacters()
{
    QFETCH(QString, name);
    app_.intercomName = u"ABCD"_s;
    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(desktop_->path());
    dlg.nameEdit()->setText(name);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    dlg.accept();

    const Msg refusal{u"The shorcut name cannot contain any of the following characters:\n\n"
                      u": \\ / * ? \" < > |"_s,
                      kCaption, Prompts::Icon::Error, Prompts::Buttons::Ok};
    QCOMPARE(Prompts::shownMessages(), QList<Msg>{refusal});
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(dlg.savedPath().isEmpty());
    QVERIFY(QDir(desktop_->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void DlgShortcutTest::emptyNameDoesNothing()
{
    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(desktop_->path());
    dlg.nameEdit()->clear();
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(Prompts::shownMessages().isEmpty());
    QVERIFY(QDir(desktop_->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void DlgShortcutTest::asksBeforeReplacing()
{
    const QString path = desktop_->filePath(u"Kestova - ABCD"_s + kSuffix);
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old launcher\n");
    }
    app_.intercomName = u"ABCD"_s;
    const Msg question{strings::Text(3206), kCaption, Prompts::Icon::Question, Prompts::Buttons::YesNo};

    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(desktop_->path());

    Prompts::setNextAnswer(Prompts::Answer::No);
    dlg.accept();
    QCOMPARE(Prompts::shownMessages(), QList<Msg>{question});
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old launcher\n"));
    kept.close();

    Prompts::setNextAnswer(Prompts::Answer::Yes);
    dlg.accept();
    QCOMPARE(Prompts::shownMessages(), (QList<Msg>{question, question}));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(ReadLauncher(path).exec.value(2), u"ABCD"_s);
    // Replaced in place: no second file, no temporary left behind.
    QCOMPARE(QDir(desktop_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"Kestova - ABCD"_s + kSuffix});
}

void DlgShortcutTest::reportsALauncherThatCannotBeWritten()
{
    // The desktop "folder" is a file, so nothing can be created under it.
    const QString blocker = desktop_->filePath(u"blocker"_s);
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    PromptsTestScope prompts;
    CDlgShortcut dlg(app_);
    dlg.setDesktopDirectory(blocker);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    dlg.accept();

    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(dlg.savedPath().isEmpty());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Warning);
    QVERIFY(Prompts::shownMessages().at(0).text.contains(u"Kestova"_s + kSuffix));
}

void DlgShortcutTest::screenshot()
{
    app_.intercomName = u"ABCD"_s;
    CDlgShortcut dlg(app_);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.grab().save(QDir::temp().filePath(u"h13-shortcut.png"_s)));
}

QTEST_MAIN(DlgShortcutTest)
#include "DlgShortcutTest.moc"
