#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/Strings.h"
#include "document/DocumentLock.h"
#include "document/EntityEdits.h"
#include "document/KestovaDoc.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"
#include "support/PromptsTestScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace vexilor;
using vexilor::test::PromptsTestScope;

namespace {

// A configuration and a restrictions directory in a temporary folder (given as the preferences
// hold them: with a trailing separator), settings in an INI file there, and services that answer
// from queues and record what the document asked.
class Workspace {
public:
    Workspace()
    {
        QDir root(root_.path());
        root.mkpath(QStringLiteral("cfg"));
        root.mkpath(QStringLiteral("res"));
        settings_ = std::make_unique<SettingsStore>(
            std::make_unique<QSettings>(root_.filePath(QStringLiteral("KestovaV2.ini")),
                                        QSettings::IniFormat),
            SystemDefaults{900, 0, 0xFFFFFF, 0xD77800, 0xA0A0A0});
        app.settings = settings_.get();
        app.prefs.cfgFilesDirectory = QDir::toNativeSeparators(root_.filePath(QStringLiteral("cfg")) + u'/');
        app.prefs.resFilesDirectory = QDir::toNativeSeparators(root_.filePath(QStringLiteral("res")) + u'/');
    }

    CKestovaDoc::Services services()
    {
        CKestovaDoc::Services s;
        s.selectIntercom = [this](const QString& preselect) -> std::optional<QString> {
            preselects.append(preselect);
            if (selections.isEmpty()) {
                QTest::qFail("the selection dialog was not expected", __FILE__, __LINE__);
                return std::nullopt;
            }
            return selections.takeFirst();
        };
        s.refreshAlphas = [this](CIntercom& current) {
            refreshed.append(QString::fromStdU16String(current.name));
            current.infoText = u"refreshed";
        };
        s.chooseExportTarget = [this](const CIntercom& current) -> std::optional<ExportTarget> {
            exportOffered.append(QString::fromStdU16String(current.name));
            return exportTarget;
        };
        return s;
    }

    QString root() const { return root_.path(); }
    QString cfgFile(const QString& name) const { return root_.filePath(QStringLiteral("cfg/") + name); }
    QString resFile(const QString& name) const { return root_.filePath(QStringLiteral("res/") + name); }

    // A readable configuration file whose keypanel count tells intercoms apart.
    bool writeCfg(const QString& fileName, std::uint16_t keypanels = 40)
    {
        CIntercom icom;
        icom.keypanelCount = keypanels;
        icom.mainAddress = u"192.0.2.1";
        icom.partnerAddress = u"192.0.2.2";
        icom.partnerActive = true;
        std::u16string error;
        return SaveConfigurationFile(cfgFile(fileName).toStdU16String(), icom, error);
    }

    static bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    CAppState app;
    // One entry per selection dialog; an empty optional is Cancel.
    QList<std::optional<QString>> selections;
    QStringList preselects;
    QStringList refreshed;
    std::optional<ExportTarget> exportTarget;
    QStringList exportOffered;

private:
    QTemporaryDir root_;
    std::unique_ptr<SettingsStore> settings_;
};

// What the writer makes of a file with one studio and one class, in any device name.
QByteArray SampleFile(const QByteArray& device)
{
    return "// Tovrin restrictions file\r\n// ------------------------\r\n\r\n[DEVICE \"" + device
           + "\"]\r\n\r\n\r\n[STUDIO \"Studio A\"]\r\nKP.Edit = 1-4,9\r\n\r\n"
             "[CLASS \"Operators\"]\r\nstudio+=\"Studio A\"\r\nApp.Prefs.General = N\r\n\r\n"
             "[USER \"Tom\"]\r\n//Inheritance\r\nclass=\"Operators\"\r\n\r\n"
             "// -- End of Data --\r\n\r\n[CRC 0]";
}

// A feature that the sample's class leaves alone.
constexpr int kFeature = 5;

// A file the reader stops in at line 2.
const QByteArray kUnreadable = "[CLASS \"Operators\"]\r\nstudio+=\"Nowhere\"\r\n";

struct ParsedFile {
    CRestrictionsModel model;
    RestrictionsParseResult result;
};

std::unique_ptr<ParsedFile> Parse(const QByteArray& bytes)
{
    auto parsed = std::make_unique<ParsedFile>();
    parsed->result = parseRestrictions(parsed->model, std::string_view(bytes.constData(), bytes.size()));
    return parsed;
}

QStringList Lines(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
}

bool SetWritable(const QString& path, bool writable)
{
    QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::ReadUser
                                     | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (QFileInfo(path).isDir())
        perms |= QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (writable)
        perms |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return QFile::setPermissions(path, perms);
}

// A shown message as "icon/buttons: text" (the caption is the product name throughout).
QString Describe(Prompts::Icon icon, Prompts::Buttons buttons, const QString& text)
{
    return QStringLiteral("%1/%2: %3").arg(int(icon)).arg(int(buttons)).arg(text);
}

enum class SaveFailure { DirectoryGone, DirectoryNotWritable, WriteCutShort };

// While it lives, files cannot grow past bytes (0: no change), also for an administrator; a write
// past it fails instead of raising the signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes)
    {
#ifdef Q_OS_UNIX
        if (bytes == 0)
            return;
        active_ = getrlimit(RLIMIT_FSIZE, &previous_) == 0;
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        active_ = active_ && setrlimit(RLIMIT_FSIZE, &limit) == 0;
        if (!active_)
            QTest::qFail("cannot limit the file size", __FILE__, __LINE__);
#else
        Q_UNUSED(bytes);
#endif
    }
    ~FileSizeLimit()
    {
#ifdef Q_OS_UNIX
        if (active_)
            setrlimit(RLIMIT_FSIZE, &previous_);
        if (previousHandler_ != SIG_ERR && active_)
            std::signal(SIGXFSZ, previousHandler_);
#endif
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
#ifdef Q_OS_UNIX
    bool active_ = false;
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_ERR;
#endif
};

QStringList Shown()
{
    QStringList shown;
    for (const Prompts::Message& m : Prompts::shownMessages())
        shown.append(Describe(m.icon, m.buttons, m.text));
    return shown;
}

}  // namespace

class KestovaDocTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensAMissingFileAsANewDefaultFile();
    void rewritesTheDeviceLineOnlyWhenItNamesAnotherIntercom_data();
    void rewritesTheDeviceLineOnlyWhenItNamesAnotherIntercom();
    void readOnlyFileIsShownButNeverSavedOrPromptedFor();
    void unreadableFileIsKeptAsideWhenTheUserAgrees();
    void unreadableFileLeavesThePreviousIntercomOpenWhenTheUserRefuses();
    void selectionLoopRetriesOnABadConfigurationFile();
    void cancelledSelectionKeepsThePreviousIntercom();
    void saveWritesTheConfigurationAndTheCommittedModel();
    void readsAndSavesInTheCodePageOfThePreferences();
    void failedSaveKeepsThePreviousFile_data();
    void failedSaveKeepsThePreviousFile();
    void saveStopsWhenTheConfigurationCannotBeWritten();
    void namesReadBackOrTheSaveIsRefused_data();
    void namesReadBackOrTheSaveIsRefused();
    void exportWritesACopyUnderTheNewNameAndAsksToChangeIntercom();
    void exportThatCannotWriteTellsTheUser();
    void exportToAnIntercomWithSettingsKeepsThem_data();
    void exportToAnIntercomWithSettingsKeepsThem();
    void exportToTheOpenIntercomIsRefused_data();
    void exportToTheOpenIntercomIsRefused();
    void saveModifiedFollowsTheAnswer_data();
    void saveModifiedFollowsTheAnswer();
    void secondDocumentOnALockedIntercomOpensReadOnlyOrNotAtAll();
    void lockGoesWithChangeIntercomAndTheDocument();
    void leftOverLockIsTakenOverOnlyWhenStale_data();
    void leftOverLockIsTakenOverOnlyWhenStale();
    void folderWithoutALockOpensReadOnly_data();
    void folderWithoutALockOpensReadOnly();
};

void KestovaDocTest::opensAMissingFileAsANewDefaultFile()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 77));
    ws.selections = {QStringLiteral(" abcd ")};
    ws.app.startIntercomName = QStringLiteral("ABCD");
    CKestovaDoc doc(ws.app, ws.services());
    QSignalSpy resets(&doc, &CKestovaDoc::documentReset);
    QSignalSpy titles(&doc, &CKestovaDoc::titleChanged);

    QVERIFY(doc.newDocument());

    QCOMPARE(ws.preselects, QStringList{QStringLiteral("ABCD")});
    QCOMPARE(ws.refreshed, QStringList{QStringLiteral("ABCD")});
    QCOMPARE(ws.app.intercomName, QStringLiteral("ABCD"));
    QCOMPARE(ws.app.intercom.keypanelCount, 77);
    QCOMPARE(ws.app.intercom.infoText, std::u16string(u"refreshed"));  // the refreshed copy is current
    QCOMPARE(doc.title(), QStringLiteral("ABCD"));
    QCOMPARE(titles.count(), 1);
    QCOMPARE(doc.pathName(), QDir::toNativeSeparators(ws.resFile(QStringLiteral("ABCD.res"))));
    QCOMPARE(resets.count(), 1);
    QVERIFY(!doc.isModified());
    QVERIFY(!doc.isReadOnly());
    QCOMPARE(doc.userNames(), QStringList{QStringLiteral("Default")});
    QVERIFY(doc.classNames().isEmpty());
    QVERIFY(doc.studioNames().isEmpty());
    QVERIFY(doc.model().documentValid());
    QVERIFY(Prompts::shownMessages().isEmpty());

    const QByteArray bytes = Workspace::readBytes(ws.resFile(QStringLiteral("ABCD.res")));
    QStringList lines = Lines(bytes);
    QVERIFY(lines.last().startsWith(QStringLiteral("[CRC ")));
    lines.removeLast();
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("// Tovrin restrictions file"),
                        QStringLiteral("// ------------------------"),
                        QString(),
                        QStringLiteral("[DEVICE \"ABCD\"]"),
                        QString(),
                        QString(),
                        QStringLiteral("[USER \"Default\"]"),
                        QStringLiteral("//Inheritance"),
                        QString(),
                        QStringLiteral("// -- End of Data --"),
                        QString(),
                    }));
    const auto parsed = Parse(bytes);
    QVERIFY(parsed->result.ok);
    QVERIFY(parsed->result.crcMatches());
}

void KestovaDocTest::rewritesTheDeviceLineOnlyWhenItNamesAnotherIntercom_data()
{
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("same name") << QByteArray("ABCD") << false;
    QTest::newRow("another intercom") << QByteArray("OLD1") << true;
    QTest::newRow("same name, other case") << QByteArray("abcd") << true;
}

void KestovaDocTest::rewritesTheDeviceLineOnlyWhenItNamesAnotherIntercom()
{
    QFETCH(QByteArray, device);
    QFETCH(bool, rewritten);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    const QByteArray original = SampleFile(device);
    QVERIFY(Workspace::writeBytes(res, original));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());

    QVERIFY(doc.newDocument());

    QCOMPARE(doc.model().deviceName(), std::u16string(u"ABCD"));
    QCOMPARE(doc.classNames(), QStringList{QStringLiteral("Operators")});
    QCOMPARE(doc.studioNames(), QStringList{QStringLiteral("Studio A")});
    QCOMPARE(doc.userNames(), QStringList{QStringLiteral("Tom")});
    const QByteArray bytes = Workspace::readBytes(res);
    if (!rewritten) {
        QCOMPARE(bytes, original);  // not even the stale CRC is touched
        return;
    }
    // The same content under the new device line, with a CRC that matches.
    QCOMPARE(bytes.left(bytes.lastIndexOf("[CRC ")),
             SampleFile("ABCD").left(SampleFile("ABCD").lastIndexOf("[CRC ")));
    QVERIFY(Parse(bytes)->result.crcMatches());
    QVERIFY(!doc.isModified());
}

void KestovaDocTest::readOnlyFileIsShownButNeverSavedOrPromptedFor()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    // Another device name too: a read-only file is not rewritten for it.
    const QByteArray original = SampleFile("OLD1");
    QVERIFY(Workspace::writeBytes(res, original));
    QVERIFY(SetWritable(res, false));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());

    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(doc.newDocument());
    const QString readOnly =
        Describe(Prompts::Icon::Information, Prompts::Buttons::Ok, strings::Text(3173));
    QCOMPARE(Shown(), QStringList{readOnly});
    QVERIFY(doc.isReadOnly());
    QVERIFY(doc.model().readOnly());
    QCOMPARE(doc.classNames(), QStringList{QStringLiteral("Operators")});

    // Nothing is committed, nothing is written.
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    doc.setModified(true);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.save());
    QCOMPARE(Shown(), (QStringList{readOnly, readOnly}));
    QVERIFY(doc.saveModified());
    QCOMPARE(Prompts::shownMessages().size(), 2);
    QCOMPARE(Workspace::readBytes(res), original);
    CEntitySelection stored(doc.model());
    QVERIFY(stored.select(u"Tom", EntityKind::User));
    QCOMPARE(stored.featureIsInherited(kFeature), 1);
}

void KestovaDocTest::unreadableFileIsKeptAsideWhenTheUserAgrees()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, kUnreadable));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    Prompts::setNextAnswer(Prompts::Answer::Yes);

    QVERIFY(doc.newDocument());

    const QString errorText = QString::fromStdString(Parse(kUnreadable)->result.errorText);
    QVERIFY(errorText.startsWith(QStringLiteral("[2]:")));
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message asked = Prompts::shownMessages().at(0);
    QCOMPARE(asked.text, strings::Text(3302, {QDir::toNativeSeparators(res), errorText}));
    QCOMPARE(asked.buttons, Prompts::Buttons::YesNo);

    QStringList aside = QDir(ws.root() + QStringLiteral("/res")).entryList(QDir::Files);
    QVERIFY(aside.removeOne(QStringLiteral("ABCD.res.lock")));
    QCOMPARE(aside.size(), 2);
    QVERIFY(aside.contains(QStringLiteral("ABCD.res")));
    const QString kept = aside.at(aside.indexOf(QStringLiteral("ABCD.res")) == 0 ? 1 : 0);
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^ABCD\.res\.unreadable-\d{8}-\d{6}$)")).match(kept).hasMatch(),
             qPrintable(kept));
    QCOMPARE(Workspace::readBytes(ws.resFile(kept)), kUnreadable);

    QCOMPARE(doc.userNames(), QStringList{QStringLiteral("Default")});
    const auto written = Parse(Workspace::readBytes(res));
    QVERIFY(written->result.ok);
    QCOMPARE(written->model.deviceName(), std::u16string(u"ABCD"));
    QVERIFY(written->model.exists(EntityKind::User, u"Default"));
}

void KestovaDocTest::unreadableFileLeavesThePreviousIntercomOpenWhenTheUserRefuses()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 40));
    QVERIFY(ws.writeCfg(QStringLiteral("BAD1.cfg"), 90));
    QVERIFY(Workspace::writeBytes(ws.resFile(QStringLiteral("ABCD.res")), SampleFile("ABCD")));
    const QString bad = ws.resFile(QStringLiteral("BAD1.res"));
    QVERIFY(Workspace::writeBytes(bad, kUnreadable));
    ws.selections = {QStringLiteral("ABCD"), QStringLiteral("BAD1")};
    auto services = ws.services();
    // The real selection service makes the chosen configuration current at once.
    services.selectIntercom = [inner = services.selectIntercom, &ws](const QString& preselect) {
        std::optional<QString> name = inner(preselect);
        if (name)
            ws.app.intercom.keypanelCount = 1;
        return name;
    };
    CKestovaDoc doc(ws.app, services);
    QVERIFY(doc.newDocument());
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.setModified(true);
    QSignalSpy resets(&doc, &CKestovaDoc::documentReset);

    Prompts::setNextAnswer(Prompts::Answer::No);
    QVERIFY(!doc.newDocument());

    QCOMPARE(resets.count(), 0);
    QCOMPARE(Workspace::readBytes(bad), kUnreadable);
    // The refused intercom's lock is gone with it.
    QCOMPARE(QDir(ws.root() + QStringLiteral("/res")).entryList(QDir::Files),
             (QStringList{QStringLiteral("ABCD.res"), QStringLiteral("ABCD.res.lock"),
                          QStringLiteral("BAD1.res")}));
    QCOMPARE(ws.app.intercomName, QStringLiteral("ABCD"));
    QCOMPARE(ws.app.intercom.keypanelCount, 40);
    QCOMPARE(doc.title(), QStringLiteral("ABCD"));
    QCOMPARE(doc.pathName(), QDir::toNativeSeparators(ws.resFile(QStringLiteral("ABCD.res"))));
    QCOMPARE(doc.model().deviceName(), std::u16string(u"ABCD"));
    QCOMPARE(doc.userNames(), QStringList{QStringLiteral("Tom")});
    QVERIFY(doc.selection().hasSelection());
    QVERIFY(doc.isModified());
}

void KestovaDocTest::selectionLoopRetriesOnABadConfigurationFile()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(Workspace::writeBytes(ws.cfgFile(QStringLiteral("BAD1.cfg")), QByteArray(300, 'x')));
    QVERIFY(ws.writeCfg(QStringLiteral("GOOD.cfg")));
    ws.selections = {QStringLiteral("bad1"), QStringLiteral("GOOD")};
    CKestovaDoc doc(ws.app, ws.services());
    Prompts::setNextAnswer(Prompts::Answer::Ok);

    QVERIFY(doc.newDocument());

    // The failed name is preselected the second time round.
    QCOMPARE(ws.preselects, (QStringList{QString(), QStringLiteral("BAD1")}));
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message asked = Prompts::shownMessages().at(0);
    QVERIFY2(asked.text.startsWith(QStringLiteral("Error: ")) && asked.text.endsWith(QStringLiteral("\nChoose another intercom?")),
             qPrintable(asked.text));
    QVERIFY(asked.text.size() > strings::Text(3203, {QString()}).size());  // the reader's error is shown
    QCOMPARE(asked.icon, Prompts::Icon::Error);
    QCOMPARE(asked.buttons, Prompts::Buttons::OkCancel);
    QCOMPARE(ws.refreshed, QStringList{QStringLiteral("GOOD")});
    QCOMPARE(ws.app.intercomName, QStringLiteral("GOOD"));
    QCOMPARE(ws.app.startIntercomName, QStringLiteral("GOOD"));
}

void KestovaDocTest::cancelledSelectionKeepsThePreviousIntercom()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 40));
    QVERIFY(Workspace::writeBytes(ws.cfgFile(QStringLiteral("BAD1.cfg")), QByteArray(300, 'x')));
    // Cancel at once, then Cancel on the error of a bad configuration file.
    ws.selections = {QStringLiteral("ABCD"), std::nullopt, QStringLiteral("BAD1")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    const QByteArray res = Workspace::readBytes(ws.resFile(QStringLiteral("ABCD.res")));
    QVERIFY(doc.selection().select(u"Default", EntityKind::User));
    CEntitySelection probe(doc.model());
    QVERIFY(probe.select(u"Default", EntityKind::User));
    QSignalSpy resets(&doc, &CKestovaDoc::documentReset);

    QVERIFY(!doc.newDocument());
    Prompts::setNextAnswer(Prompts::Answer::Cancel);
    QVERIFY(!doc.newDocument());

    QCOMPARE(Prompts::shownMessages().size(), 1);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(ws.refreshed, QStringList{QStringLiteral("ABCD")});
    QCOMPARE(ws.app.intercomName, QStringLiteral("ABCD"));
    QCOMPARE(ws.app.intercom.keypanelCount, 40);
    QCOMPARE(doc.title(), QStringLiteral("ABCD"));
    QCOMPARE(doc.userNames(), QStringList{QStringLiteral("Default")});
    QCOMPARE(Workspace::readBytes(ws.resFile(QStringLiteral("ABCD.res"))), res);
    QVERIFY(doc.selection().hasSelection());
    QVERIFY(probe.hasSelection());

    // A successful open forgets every selection made on the old content.
    ws.selections = {QStringLiteral("ABCD")};
    QVERIFY(doc.newDocument());
    QVERIFY(!doc.selection().hasSelection());
    QVERIFY(!probe.hasSelection());
}

void KestovaDocTest::saveWritesTheConfigurationAndTheCommittedModel()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 40));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    QSignalSpy modified(&doc, &CKestovaDoc::modifiedChanged);

    // An edit still in the working record must reach the file.
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    doc.setModified(true);
    ws.app.intercom.keypanelCount = 4;

    QVERIFY(doc.save());

    QCOMPARE(modified.count(), 2);
    QCOMPARE(modified.at(1).at(0).toBool(), false);
    QVERIFY(!doc.isModified());
    QVERIFY(Prompts::shownMessages().isEmpty());
    CIntercom saved;
    QVERIFY(LoadConfigurationFile(saved, ws.cfgFile(QStringLiteral("ABCD.cfg")).toStdU16String()));
    QCOMPARE(saved.keypanelCount, 4);

    const auto parsed = Parse(Workspace::readBytes(res));
    QVERIFY(parsed->result.ok);
    QVERIFY(parsed->result.crcMatches());
    QCOMPARE(parsed->model.deviceName(), std::u16string(u"ABCD"));
    CEntitySelection reread(parsed->model);
    QVERIFY(reread.select(u"Tom", EntityKind::User));
    QCOMPARE(reread.featureDenied(kFeature), 1);
    QCOMPARE(reread.featureIsInherited(kFeature), 0);
    // The save preparation ran with the intercom's counts: with four keypanels, Studio A's
    // 1-4,9 covers them all.
    QVERIFY(Workspace::readBytes(res).contains("[STUDIO \"Studio A\"]\r\nKP.Edit = *\r\n"));
}

// A Japanese file (names in code page 932) opened with that code page chosen comes back byte for
// byte when saved.
void KestovaDocTest::readsAndSavesInTheCodePageOfThePreferences()
{
    PromptsTestScope prompts;
    Workspace ws;
    ws.app.prefs.codePage = 932;
    const QString name = QStringLiteral("東京本社");
    QVERIFY(ws.writeCfg(name + QStringLiteral(".cfg")));
    const QByteArray japanese =
        Workspace::readBytes(QStringLiteral(VEXILOR_FIXTURES_DIR "/codepage/japanese.res"));
    QVERIFY(!japanese.isEmpty());
    const QString res = ws.resFile(name + QStringLiteral(".res"));
    QVERIFY(Workspace::writeBytes(res, japanese));
    ws.selections = {name};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    QVERIFY(Prompts::shownMessages().isEmpty());
    QVERIFY(doc.model().exists(EntityKind::User, u"山田太郎"));
    QVERIFY(doc.model().exists(EntityKind::Studio, u"表ソース・ゼロ"));

    doc.setModified(true);
    QVERIFY(doc.save());
    QCOMPARE(Workspace::readBytes(res), japanese);
}

void KestovaDocTest::failedSaveKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("failure");
    QTest::newRow("directory gone") << int(SaveFailure::DirectoryGone);
    QTest::newRow("directory not writable") << int(SaveFailure::DirectoryNotWritable);
    QTest::newRow("write cut short") << int(SaveFailure::WriteCutShort);
}

void KestovaDocTest::failedSaveKeepsThePreviousFile()
{
    QFETCH(int, failure);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(Workspace::writeBytes(ws.resFile(QStringLiteral("ABCD.res")), SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    // Enough users that the restrictions file outgrows the configuration file.
    for (int i = 0; i < 200; ++i)
        doc.model().putRecord(EntityKind::User, u"User " + QString::number(i).toStdU16String(), {});
    doc.setModified(true);

    const QString resDir = ws.root() + QStringLiteral("/res");
    QString keptFile = ws.resFile(QStringLiteral("ABCD.res"));
    if (failure == int(SaveFailure::DirectoryGone)) {
        QVERIFY(QDir(ws.root()).rename(QStringLiteral("res"), QStringLiteral("res-moved")));
        keptFile = ws.root() + QStringLiteral("/res-moved/ABCD.res");
    }
    if (failure == int(SaveFailure::DirectoryNotWritable)) {
        QVERIFY(SetWritable(resDir, false));
        QFile probe(resDir + QStringLiteral("/probe"));
        const bool writable = probe.open(QIODevice::WriteOnly);
        probe.remove();
        SetWritable(resDir, true);
        if (writable)
            QSKIP("this user writes into read-only directories");
    }
#ifndef Q_OS_UNIX
    if (failure == int(SaveFailure::WriteCutShort))
        QSKIP("needs a file size limit");
#endif
    const std::size_t cfgSize = ConfigurationFileBytes(ws.app.intercom).size();
    const std::size_t resSize = restrictionsFileBytes(doc.model())->size();
    QVERIFY2(resSize > cfgSize + 1024, "the restrictions file must outgrow the configuration file");
    // Every save below runs with the failure in place.
    auto failingSave = [&](const std::function<bool()>& save) {
        if (failure == int(SaveFailure::DirectoryNotWritable))
            SetWritable(resDir, false);
        const FileSizeLimit limit(failure == int(SaveFailure::WriteCutShort) ? cfgSize + 512 : 0);
        const bool result = save();
        if (failure == int(SaveFailure::DirectoryNotWritable))
            SetWritable(resDir, true);
        return result;
    };

    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!failingSave([&] { return doc.save(); }));

    QCOMPARE(Shown(), QStringList{Describe(Prompts::Icon::Warning, Prompts::Buttons::Ok,
                                           strings::Text(3229, {doc.pathName()}))});
    QVERIFY(doc.isModified());
    QCOMPARE(Workspace::readBytes(keptFile), SampleFile("ABCD"));
    QCOMPARE(QDir(QFileInfo(keptFile).path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("ABCD.res"), QStringLiteral("ABCD.res.lock")}));

    // Closing asks to save; a Yes whose save fails keeps the document open.
    Prompts::setNextAnswer(Prompts::Answer::Yes);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!failingSave([&] { return doc.saveModified(); }));
    QCOMPARE(Prompts::shownMessages().size(), 3);
    QCOMPARE(Prompts::shownMessages().at(2).text, strings::Text(3229, {doc.pathName()}));
    QCOMPARE(Workspace::readBytes(keptFile), SampleFile("ABCD"));

    // Once the cause is gone, the same edit saves.
    if (failure == int(SaveFailure::DirectoryGone))
        return;
    QVERIFY(doc.save());
    QVERIFY(!doc.isModified());
    const auto saved = Parse(Workspace::readBytes(keptFile));
    QVERIFY(saved->result.crcMatches());
    QVERIFY(saved->model.exists(EntityKind::User, u"User 199"));
}

void KestovaDocTest::saveStopsWhenTheConfigurationCannotBeWritten()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    doc.setModified(true);
    QVERIFY(QDir(ws.root()).rename(QStringLiteral("cfg"), QStringLiteral("cfg-moved")));

    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.save());

    QCOMPARE(Prompts::shownMessages().size(), 1);
    QVERIFY2(Prompts::shownMessages().at(0).text.startsWith(QStringLiteral("Error: ")),
             qPrintable(Prompts::shownMessages().at(0).text));
    QCOMPARE(Prompts::shownMessages().at(0).icon, Prompts::Icon::Error);
    QVERIFY(doc.isModified());
    // The restrictions file is not written after a failed configuration file.
    QCOMPARE(Workspace::readBytes(res), SampleFile("ABCD"));
}

void KestovaDocTest::namesReadBackOrTheSaveIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");  // empty: saved
    const QString refused = QStringLiteral(
        "The restrictions file was not written: the studio name \"%1\" contains %2, which the "
        "file cannot hold.\n\nGive the studio another name and try again.");
    QTest::newRow("plain") << QStringLiteral("Studio B") << QString();
    QTest::newRow("western european") << QStringLiteral("R\u00E9gie Z\u00FCrich \u00C5\u00DF")
                                      << QString();
    QTest::newRow("euro and 0x80..0x9F") << QStringLiteral("\u20AC \u201ES\u2026\u0160\u0152\u2122\u0178")
                                         << QString();
    const QString japanese = QStringLiteral("\u30B9\u30BF\u30B8\u30AA");
    QTest::newRow("japanese") << japanese
                              << refused.arg(japanese, QStringLiteral("\"\u30B9\" (U+30B9)"));
    const QString bear = QStringLiteral("B\u00E4r \U0001F43B");
    QTest::newRow("outside the BMP") << bear
                                     << refused.arg(bear, QStringLiteral("\"\U0001F43B\" (U+1F43B)"));
}

// The name goes everywhere a file holds a name: a studio, the class that takes it, a user of that
// class. The document's own save and open must give it back, or the save must write nothing.
void KestovaDocTest::namesReadBackOrTheSaveIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    const QString cfg = ws.cfgFile(QStringLiteral("ABCD.cfg"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    const QByteArray resBefore = Workspace::readBytes(res);
    const QByteArray cfgBefore = Workspace::readBytes(cfg);
    QVERIFY(RenameEntity(doc, EntityKind::Studio, QStringLiteral("Studio A"), name));
    QVERIFY(RenameEntity(doc, EntityKind::Class, QStringLiteral("Operators"), name));
    QVERIFY(RenameEntity(doc, EntityKind::User, QStringLiteral("Tom"), name));
    QVERIFY(doc.isModified());

    if (!refusal.isEmpty()) {
        Prompts::setNextAnswer(Prompts::Answer::Ok);
        QVERIFY(!doc.save());
        QCOMPARE(Shown(), QStringList{Describe(Prompts::Icon::Warning, Prompts::Buttons::Ok, refusal)});
        QCOMPARE(Workspace::readBytes(res), resBefore);
        QCOMPARE(Workspace::readBytes(cfg), cfgBefore);
        QVERIFY(doc.isModified());
        return;
    }

    QVERIFY(doc.save());
    QVERIFY(Shown().isEmpty());
    QVERIFY(Parse(Workspace::readBytes(res))->result.crcMatches());
    ws.selections = {QStringLiteral("ABCD")};
    QVERIFY(doc.newDocument());
    QCOMPARE(doc.studioNames(), QStringList{name});
    QCOMPARE(doc.classNames(), QStringList{name});
    QCOMPARE(doc.userNames(), QStringList{name});
    const std::u16string n = name.toStdU16String();
    QCOMPARE(doc.model().classOf(n), n);
    QCOMPARE(doc.model().studioRefs(EntityKind::Class, n), (std::vector<StudioRef>{{n, StudioOp::Add}}));
}

void KestovaDocTest::exportWritesACopyUnderTheNewNameAndAsksToChangeIntercom()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 40));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    const QByteArray current = Workspace::readBytes(res);
    QSignalSpy changeIntercom(&doc, &CKestovaDoc::changeIntercomRequested);

    // Nothing happens on Cancel.
    QVERIFY(!doc.exportRestrictions());
    QCOMPARE(changeIntercom.count(), 0);
    QCOMPARE(QDir(ws.root() + QStringLiteral("/cfg")).entryList(QDir::Files).size(), 1);

    ws.exportTarget = ExportTarget{QStringLiteral(" newx "), QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2")};
    QVERIFY(doc.exportRestrictions());

    QCOMPARE(ws.exportOffered, (QStringList{QStringLiteral("ABCD"), QStringLiteral("ABCD")}));
    QCOMPARE(changeIntercom.count(), 1);
    QCOMPARE(ws.app.startIntercomName, QStringLiteral("NEWX"));
    QVERIFY(Prompts::shownMessages().isEmpty());

    CIntercom exported;
    QVERIFY(LoadConfigurationFile(exported, ws.cfgFile(QStringLiteral("NEWX.cfg")).toStdU16String()));
    QCOMPARE(exported.keypanelCount, 40);
    QCOMPARE(exported.mainAddress, std::u16string(u"10.0.0.1"));
    QCOMPARE(exported.partnerAddress, std::u16string(u"10.0.0.2"));
    QVERIFY(!exported.partnerActive);

    const QByteArray copy = Workspace::readBytes(ws.resFile(QStringLiteral("NEWX.res")));
    QCOMPARE(copy.left(copy.lastIndexOf("[CRC ")),
             SampleFile("NEWX").left(SampleFile("NEWX").lastIndexOf("[CRC ")));
    QVERIFY(Parse(copy)->result.crcMatches());
    QCOMPARE(Workspace::readBytes(res), current);
    QCOMPARE(doc.model().deviceName(), std::u16string(u"ABCD"));
    QCOMPARE(ws.app.intercomName, QStringLiteral("ABCD"));
    QCOMPARE(ws.app.intercom.mainAddress, std::u16string(u"192.0.2.1"));
}

void KestovaDocTest::exportThatCannotWriteTellsTheUser()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    // The target's restrictions file is read-only: it is not replaced behind the user's back.
    const QString target = ws.resFile(QStringLiteral("NEWX.res"));
    QVERIFY(Workspace::writeBytes(target, SampleFile("NEWX")));
    QVERIFY(SetWritable(target, false));
    QSignalSpy changeIntercom(&doc, &CKestovaDoc::changeIntercomRequested);
    ws.exportTarget = ExportTarget{QStringLiteral("NEWX"), {}, {}};

    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.exportRestrictions());

    QCOMPARE(Shown(), QStringList{Describe(Prompts::Icon::Warning, Prompts::Buttons::Ok,
                                           QStringLiteral("Could not export the file."))});
    QCOMPARE(changeIntercom.count(), 0);
    QCOMPARE(Workspace::readBytes(target), SampleFile("NEWX"));
    QCOMPARE(doc.model().deviceName(), std::u16string(u"ABCD"));
}

void KestovaDocTest::exportToAnIntercomWithSettingsKeepsThem_data()
{
    QTest::addColumn<QString>("cfgFile");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("partner");
    QTest::addColumn<bool>("cfgKept");
    QTest::newRow("addresses as stored") << QStringLiteral("NEWX.cfg") << QStringLiteral("10.9.0.1")
                                         << QStringLiteral("10.9.0.2") << true;
    QTest::newRow("file name in another case") << QStringLiteral("newx.cfg") << QStringLiteral("10.9.0.1")
                                               << QStringLiteral("10.9.0.2") << true;
    QTest::newRow("main address changed") << QStringLiteral("NEWX.cfg") << QStringLiteral("10.9.0.7")
                                          << QStringLiteral("0.0.0.0") << false;
}

// Another intercom's configuration holds its own counts, alphas and addresses: an export replaces
// its restrictions file and nothing of its configuration but addresses the user changed.
void KestovaDocTest::exportToAnIntercomWithSettingsKeepsThem()
{
    QFETCH(QString, cfgFile);
    QFETCH(QString, main);
    QFETCH(QString, partner);
    QFETCH(bool, cfgKept);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg"), 40));
    QVERIFY(Workspace::writeBytes(ws.resFile(QStringLiteral("ABCD.res")), SampleFile("ABCD")));
    CIntercom target;
    target.keypanelCount = 12;
    target.mainAddress = u"10.9.0.1";
    target.partnerAddress = u"10.9.0.2";
    target.partnerActive = true;
    std::u16string error;
    QVERIFY(SaveConfigurationFile(ws.cfgFile(cfgFile).toStdU16String(), target, error));
    const QByteArray targetCfg = Workspace::readBytes(ws.cfgFile(cfgFile));
    const QString targetRes = ws.resFile(QStringLiteral("NEWX.res"));
    QVERIFY(Workspace::writeBytes(targetRes, SampleFile("OLDX")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());

    ws.exportTarget = ExportTarget{QStringLiteral("newx"), main, partner};
    QVERIFY(doc.exportRestrictions());

    QVERIFY(Shown().isEmpty());
    QCOMPARE(QDir(ws.root() + QStringLiteral("/cfg")).entryList(QDir::Files).size(), 2);
    if (cfgKept) {
        QCOMPARE(Workspace::readBytes(ws.cfgFile(cfgFile)), targetCfg);
    } else {
        CIntercom stored;
        QVERIFY(LoadConfigurationFile(stored, ws.cfgFile(cfgFile).toStdU16String()));
        QCOMPARE(stored.keypanelCount, 12);
        QCOMPARE(QString::fromStdU16String(stored.mainAddress), main);
        QCOMPARE(QString::fromStdU16String(stored.partnerAddress), partner);
        QVERIFY(!stored.partnerActive);
    }
    const QByteArray copy = Workspace::readBytes(targetRes);
    QCOMPARE(copy.left(copy.lastIndexOf("[CRC ")),
             SampleFile("NEWX").left(SampleFile("NEWX").lastIndexOf("[CRC ")));
}

void KestovaDocTest::exportToTheOpenIntercomIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("its name") << QStringLiteral("ABCD");
    QTest::newRow("its name in another case") << QStringLiteral(" abcd ");
}

// Exporting to the open intercom would write edits that the user may still decline to save, and
// replace its addresses with the form's.
void KestovaDocTest::exportToTheOpenIntercomIsRefused()
{
    QFETCH(QString, name);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    const QString cfg = ws.cfgFile(QStringLiteral("ABCD.cfg"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());
    const QByteArray resBefore = Workspace::readBytes(res);
    const QByteArray cfgBefore = Workspace::readBytes(cfg);
    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    doc.setModified(true);
    QSignalSpy changeIntercom(&doc, &CKestovaDoc::changeIntercomRequested);

    ws.exportTarget = ExportTarget{name, {}, {}};
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.exportRestrictions());
    QCOMPARE(Shown(), QStringList{Describe(
                          Prompts::Icon::Warning, Prompts::Buttons::Ok,
                          QStringLiteral("ABCD is the intercom that is open: Save Restrictions "
                                         "writes its files.\nChoose another intercom to export to."))});
    QCOMPARE(changeIntercom.count(), 0);
    QCOMPARE(Workspace::readBytes(res), resBefore);
    QCOMPARE(Workspace::readBytes(cfg), cfgBefore);
    QCOMPARE(ws.app.intercom.mainAddress, std::u16string(u"192.0.2.1"));

    // Declining to save leaves the files as they were.
    Prompts::setNextAnswer(Prompts::Answer::No);
    QVERIFY(doc.saveModified());
    QCOMPARE(Workspace::readBytes(res), resBefore);
    QCOMPARE(Workspace::readBytes(cfg), cfgBefore);
}

void KestovaDocTest::saveModifiedFollowsTheAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("mayClose");
    QTest::addColumn<bool>("written");
    QTest::newRow("yes saves") << int(Prompts::Answer::Yes) << true << true;
    QTest::newRow("no discards") << int(Prompts::Answer::No) << true << false;
    QTest::newRow("cancel keeps it open") << int(Prompts::Answer::Cancel) << false << false;
}

void KestovaDocTest::saveModifiedFollowsTheAnswer()
{
    QFETCH(int, answer);
    QFETCH(bool, mayClose);
    QFETCH(bool, written);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    QVERIFY(doc.newDocument());

    QVERIFY(doc.saveModified());  // unmodified: no question
    QVERIFY(Prompts::shownMessages().isEmpty());

    QVERIFY(doc.selection().select(u"Tom", EntityKind::User));
    doc.selection().setFeatureInherit(kFeature, false);
    doc.selection().setFeatureDenied(kFeature, true);
    doc.setModified(true);
    Prompts::setNextAnswer(static_cast<Prompts::Answer>(answer));
    QCOMPARE(doc.saveModified(), mayClose);

    QCOMPARE(Shown(), QStringList{Describe(Prompts::Icon::Warning, Prompts::Buttons::YesNoCancel,
                                           QStringLiteral("Save changes to ABCD.res?"))});
    QCOMPARE(Workspace::readBytes(res) != SampleFile("ABCD"), written);
    QCOMPARE(doc.isModified(), !written);
}

// Another program instance: same folders, its own application state and lock.
void ShareFolders(CAppState& second, const CAppState& first)
{
    second.settings = first.settings;
    second.prefs = first.prefs;
}

void KestovaDocTest::secondDocumentOnALockedIntercomOpensReadOnlyOrNotAtAll()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));
    ws.selections = {QStringLiteral("ABCD"), QStringLiteral("ABCD"), QStringLiteral("ABCD")};
    CKestovaDoc first(ws.app, ws.services());
    QVERIFY(first.newDocument());
    QVERIFY(!first.isReadOnly());
    QVERIFY(QFileInfo::exists(res + QStringLiteral(".lock")));

    CAppState secondApp;
    ShareFolders(secondApp, ws.app);
    CKestovaDoc second(secondApp, ws.services());
    // The message names who holds the lock: this process on this machine.
    Prompts::setNextAnswer(Prompts::Answer::No);
    QVERIFY(!second.newDocument());
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message asked = Prompts::shownMessages().at(0);
    QCOMPARE(asked.icon, Prompts::Icon::Warning);
    QCOMPARE(asked.buttons, Prompts::Buttons::YesNo);
    QVERIFY2(asked.text.startsWith(QDir::toNativeSeparators(res) + QStringLiteral(" is open for editing")),
             qPrintable(asked.text));
    QVERIFY(asked.text.contains(QStringLiteral("Computer: ") + QSysInfo::machineHostName()));
    QVERIFY(asked.text.contains(QStringLiteral("(process %1)").arg(QCoreApplication::applicationPid())));
    QVERIFY(asked.text.contains(QStringLiteral("User: ") + QFileInfo(res + QStringLiteral(".lock")).owner()));
    QVERIFY(second.title().isEmpty());
    QVERIFY(secondApp.intercomName.isEmpty());

    // Read-only: browsed, never saved, never prompted for, and the first keeps its lock.
    Prompts::setNextAnswer(Prompts::Answer::Yes);
    QVERIFY(second.newDocument());
    QCOMPARE(Prompts::shownMessages().size(), 2);  // no read-only message on top of the lock's
    QVERIFY(second.isReadOnly());
    QCOMPARE(second.classNames(), QStringList{QStringLiteral("Operators")});
    second.setModified(true);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!second.save());
    QCOMPARE(Prompts::shownMessages().at(2).text, strings::Text(3173));
    QVERIFY(second.saveModified());
    QCOMPARE(Prompts::shownMessages().size(), 3);
    QCOMPARE(Workspace::readBytes(res), SampleFile("ABCD"));

    QVERIFY(first.selection().select(u"Tom", EntityKind::User));
    first.selection().setFeatureInherit(kFeature, false);
    first.setModified(true);
    QVERIFY(first.save());
    QCOMPARE(Prompts::shownMessages().size(), 3);
    QVERIFY(Workspace::readBytes(res) != SampleFile("ABCD"));
}

void KestovaDocTest::lockGoesWithChangeIntercomAndTheDocument()
{
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    QVERIFY(ws.writeCfg(QStringLiteral("EFGH.cfg")));
    const QString abcdLock = ws.resFile(QStringLiteral("ABCD.res.lock"));
    const QString efghLock = ws.resFile(QStringLiteral("EFGH.res.lock"));
    CAppState secondApp;
    ShareFolders(secondApp, ws.app);
    {
        ws.selections = {QStringLiteral("ABCD"), QStringLiteral("ABCD"), QStringLiteral("EFGH")};
        CKestovaDoc doc(ws.app, ws.services());
        QVERIFY(doc.newDocument());
        // Opening the open intercom again keeps its own lock without asking.
        QVERIFY(doc.newDocument());
        QVERIFY(!doc.isReadOnly());
        QVERIFY(QFileInfo::exists(abcdLock));
        QVERIFY(doc.newDocument());
        QVERIFY(!QFileInfo::exists(abcdLock));
        QVERIFY(QFileInfo::exists(efghLock));

        // A cancelled change keeps the open file locked.
        ws.selections = {std::nullopt};
        QVERIFY(!doc.newDocument());
        QVERIFY(QFileInfo::exists(efghLock));

        // Released, the other instance opens ABCD for editing without a word.
        ws.selections = {QStringLiteral("ABCD")};
        CKestovaDoc second(secondApp, ws.services());
        QVERIFY(second.newDocument());
        QVERIFY(!second.isReadOnly());
    }
    QVERIFY(!QFileInfo::exists(abcdLock));
    QVERIFY(!QFileInfo::exists(efghLock));
    QCOMPARE(Prompts::shownMessages().size(), 0);
}

void KestovaDocTest::leftOverLockIsTakenOverOnlyWhenStale_data()
{
    QTest::addColumn<bool>("thisHost");
    QTest::addColumn<int>("ageHours");
    QTest::addColumn<bool>("stale");
    QTest::newRow("ended process on this machine") << true << 0 << true;
    QTest::newRow("other machine, past the limit") << false << 13 << true;
    QTest::newRow("other machine, recent") << false << 1 << false;
}

void KestovaDocTest::leftOverLockIsTakenOverOnlyWhenStale()
{
    QFETCH(bool, thisHost);
    QFETCH(int, ageHours);
    QFETCH(bool, stale);
    PromptsTestScope prompts;
    Workspace ws;
    QVERIFY(ws.writeCfg(QStringLiteral("ABCD.cfg")));
    const QString res = ws.resFile(QStringLiteral("ABCD.res"));
    QVERIFY(Workspace::writeBytes(res, SampleFile("ABCD")));

    // What a program that crashed leaves: its process, name and machine.
    qint64 pid = 4242;
    if (thisHost) {
        QProcess ended;
        ended.start(QStringLiteral("true"), {});
        QVERIFY(ended.waitForStarted());
        pid = ended.processId();
        QVERIFY(ended.waitForFinished());
    }
    const QString host = thisHost ? QSysInfo::machineHostName() : QStringLiteral("elsewhere.example");
    const QString lockPath = res + QStringLiteral(".lock");
    QVERIFY(Workspace::writeBytes(lockPath, QByteArray::number(pid) + "\nvexilor\n" + host.toUtf8() + "\n"));
    const QDateTime since = QDateTime::currentDateTime().addSecs(-3600 * ageHours - 60);
    {
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(since, QFileDevice::FileModificationTime));
    }

    const QDateTime shownSince = QFileInfo(lockPath).lastModified();

    ws.selections = {QStringLiteral("ABCD")};
    CKestovaDoc doc(ws.app, ws.services());
    Prompts::setNextAnswer(stale ? Prompts::Answer::Ok : Prompts::Answer::No);
    QCOMPARE(doc.newDocument(), stale);
    QCOMPARE(Prompts::shownMessages().size(), 1);
    const Prompts::Message told = Prompts::shownMessages().at(0);
    QCOMPARE(told.icon, stale ? Prompts::Icon::Information : Prompts::Icon::Warning);
    const QString expected = QStringLiteral("Computer: %1\nProgram: vexilor (process %2)\nSince: %3")
                                 .arg(host)
                                 .arg(pid)
                                 .arg(QLocale().toString(shownSince, QLocale::ShortFormat));
    if (stale) {
        QVERIFY2(told.text.contains(QStringLiteral("no longer running")), qPrintable(told.text));
        QVERIFY2(told.text.contains(expected), qPrintable(told.text));
        QVERIFY(!doc.isReadOnly());
        // The lock is now this program's.
        QLockFile probe(lockPath);
        qint64 holder = 0;
        QString holderHost, holderApp;
        QVERIFY(probe.getLockInfo(&holder, &holderHost, &holderApp));
        QCOMPARE(holder, QCoreApplication::applicationPid());
    } else {
        QVERIFY2(told.text.contains(expected), qPrintable(told.text));
        QCOMPARE(told.buttons, Prompts::Buttons::YesNo);
        QVERIFY(QFileInfo::exists(lockPath));
    }
}

void KestovaDocTest::folderWithoutALockOpensReadOnly_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("read-only folder") << true;
    QTest::newRow("lock name too long for the file system") << false;
}

void KestovaDocTest::folderWithoutALockOpensReadOnly()
{
    QFETCH(bool, readOnlyFolder);
    PromptsTestScope prompts;
    Workspace ws;
    // NAME.res fits the file system's name limit (255), NAME.res.lock does not.
    const QString name = readOnlyFolder ? QStringLiteral("ABCD") : QString(251, u'L');
    // (The configuration writer's temporary name would not fit either: renamed into place.)
    QVERIFY(ws.writeCfg(QStringLiteral("SHORT.cfg")));
    QVERIFY(QFile::rename(ws.cfgFile(QStringLiteral("SHORT.cfg")), ws.cfgFile(name + QStringLiteral(".cfg"))));
    const QString res = ws.resFile(name + QStringLiteral(".res"));
    // Another device name too: it is not written.
    QVERIFY(Workspace::writeBytes(res, SampleFile("OLD1")));
    const QString resDir = ws.root() + QStringLiteral("/res");
    if (readOnlyFolder) {
        QVERIFY(SetWritable(resDir, false));
        QFile probe(resDir + QStringLiteral("/probe"));
        const bool writable = probe.open(QIODevice::WriteOnly);
        probe.remove();
        if (writable) {
            SetWritable(resDir, true);
            QSKIP("this user writes into read-only directories");
        }
    }
    ws.selections = {name};
    CKestovaDoc doc(ws.app, ws.services());
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    const bool opened = doc.newDocument();
    if (readOnlyFolder)
        SetWritable(resDir, true);
    QVERIFY(opened);
    QCOMPARE(Shown(), QStringList{Describe(Prompts::Icon::Information, Prompts::Buttons::Ok,
                                           strings::Text(3306, {QDir::toNativeSeparators(res)}))});
    QVERIFY(doc.isReadOnly());
    QCOMPARE(doc.model().deviceName(), name.toStdU16String());
    doc.setModified(true);
    Prompts::setNextAnswer(Prompts::Answer::Ok);
    QVERIFY(!doc.save());
    QVERIFY(doc.saveModified());
    QCOMPARE(Workspace::readBytes(res), SampleFile("OLD1"));
}

QTEST_MAIN(KestovaDocTest)
#include "KestovaDocTest.moc"
