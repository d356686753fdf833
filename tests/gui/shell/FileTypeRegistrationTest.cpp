#include "restrictions/RestrictionsModel.h"
#include "restrictions/RestrictionsWriter.h"
#include "shell/FileTypeRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace vexilor;
using namespace Qt::StringLiterals;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The line of an entry that starts with key=, without the key.
QString EntryValue(const QString& text, const QString& key)
{
    for (const QString& line : text.split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return u"<missing>"_s;
}

// What the package declares, read as the desktop reads it.
struct MimePackage {
    QString type;
    QStringList globs;
    QList<std::pair<int, QByteArray>> magic;  // offset, string value
    QString error;
};

MimePackage ParsePackage(const QByteArray& xml)
{
    MimePackage p;
    QXmlStreamReader r(xml);
    bool inMagic = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            const auto attrs = r.attributes();
            if (name == u"mime-type")
                p.type = attrs.value(u"type"_s).toString();
            else if (name == u"glob")
                p.globs << attrs.value(u"pattern"_s).toString();
            else if (name == u"magic")
                inMagic = true;
            else if (name == u"match" && inMagic && attrs.value(u"type"_s) == u"string")
                p.magic.append({attrs.value(u"offset"_s).toInt(), attrs.value(u"value"_s).toUtf8()});
        } else if (r.isEndElement() && r.name() == u"magic") {
            inMagic = false;
        }
    }
    if (r.hasError())
        p.error = r.errorString();
    return p;
}

// A restrictions file exactly as the program saves one.
QByteArray WrittenRestrictionsFile()
{
    CRestrictionsModel model;
    model.setDeviceName(u"NY1");
    model.setLoaded(true);
    const std::optional<std::string> bytes = restrictionsFileBytes(model);
    return bytes ? QByteArray::fromStdString(*bytes) : QByteArray();
}

struct Recorder {
    QStringList started;
    bool available = true;
    std::function<bool(const QString&, const QStringList&)> tool()
    {
        return [this](const QString& program, const QStringList& arguments) {
            started << (QStringList(program) + arguments).join(u' ');
            return available;
        };
    }
};

}  // namespace

class FileTypeRegistrationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void writesThePackageAndTheEntry_data();
    void writesThePackageAndTheEntry();
    void rewritesOnlyWhatChanged();
    void unwritableDataHomeIsReportedNotThrown();
    void packageIsWellFormedAndClaimsOurFilesOnly();
    void restrictionsFileNamesItsIntercom_data();
    void restrictionsFileNamesItsIntercom();

private:
    FileTypeRegistrationOptions options(const QString& home, Recorder& recorder) const;

    QTemporaryDir dir_;
};

void FileTypeRegistrationTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    // The mime database of this process reads the user's data folder: a temporary one.
    qputenv("XDG_DATA_HOME", dir_.filePath(u"xdg"_s).toLocal8Bit());
}

FileTypeRegistrationOptions FileTypeRegistrationTest::options(const QString& home, Recorder& recorder) const
{
    FileTypeRegistrationOptions o;
    o.dataHome = home;
    o.executable = u"/usr/bin/vexilor"_s;
    o.icon = u"vexilor"_s;
    o.startTool = recorder.tool();
    return o;
}

void FileTypeRegistrationTest::writesThePackageAndTheEntry_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain path") << u"/usr/bin/vexilor"_s << u"/usr/bin/vexilor %f"_s;
    QTest::newRow("blank: quoted") << u"/opt/My Tools/vexilor"_s << u"\"/opt/My Tools/vexilor\" %f"_s;
    // Inside quotes $ takes a backslash, which the key file then escapes itself.
    QTest::newRow("dollar") << u"/opt/a$b/vexilor"_s << u"\"/opt/a\\\\$b/vexilor\" %f"_s;
    QTest::newRow("percent is no field code") << u"/opt/100%/vexilor"_s << u"/opt/100%%/vexilor %f"_s;
}

void FileTypeRegistrationTest::writesThePackageAndTheEntry()
{
    QFETCH(QString, executable);
    const QString home = dir_.filePath(QString::fromLatin1(QTest::currentDataTag()));
    Recorder recorder;
    FileTypeRegistrationOptions o = options(home, recorder);
    o.executable = executable;

    const FileTypeRegistrationResult result = RegisterFileType(o);
    QVERIFY2(result.ok, qPrintable(result.errors.join(u'\n')));
    QVERIFY(result.errors.isEmpty());

    const QString package = home + u"/mime/packages/vexilor-restrictions.xml"_s;
    const QString entry = home + u"/applications/vexilor.desktop"_s;
    QCOMPARE(result.written, (QStringList{package, entry}));
    // The package registered for the user is the one installed with the program.
    QCOMPARE(ReadAll(package), ReadAll(QStringLiteral(VEXILOR_FIXTURES_DIR "/../../res/desktop/vexilor-restrictions.xml")));

    const QString text = QString::fromUtf8(ReadAll(entry));
    QVERIFY(text.startsWith(u"[Desktop Entry]\n"_s));
    QTEST(EntryValue(text, u"Exec"_s), "exec");
    QCOMPARE(EntryValue(text, u"MimeType"_s), u"application/x-vexilor-restrictions;"_s);
    QCOMPARE(EntryValue(text, u"Name"_s), u"Vexilor"_s);
    QCOMPARE(EntryValue(text, u"Type"_s), u"Application"_s);
    QCOMPARE(EntryValue(text, u"Icon"_s), u"vexilor"_s);

    const QStringList expected{u"update-mime-database "_s + home + u"/mime"_s,
                               u"update-desktop-database "_s + home + u"/applications"_s};
    QCOMPARE(recorder.started, expected);
    QCOMPARE(result.toolsStarted, expected);
}

void FileTypeRegistrationTest::rewritesOnlyWhatChanged()
{
    const QString home = dir_.filePath(u"again"_s);
    Recorder recorder;
    QVERIFY(RegisterFileType(options(home, recorder)).ok);
    const QString entry = home + u"/applications/vexilor.desktop"_s;
    const QString package = home + u"/mime/packages/vexilor-restrictions.xml"_s;
    const QDateTime entryTime = QFileInfo(entry).lastModified();
    const QDateTime packageTime = QFileInfo(package).lastModified();

    // A normal start: nothing to write, no cache to refresh.
    recorder.started.clear();
    FileTypeRegistrationResult second = RegisterFileType(options(home, recorder));
    QVERIFY(second.ok);
    QVERIFY(second.written.isEmpty());
    QVERIFY(recorder.started.isEmpty());
    QCOMPARE(QFileInfo(entry).lastModified(), entryTime);
    QCOMPARE(QFileInfo(package).lastModified(), packageTime);

    // The program moved: only the entry is rewritten, only the desktop's cache refreshed; a missing
    // refresh tool is no failure.
    recorder.available = false;
    FileTypeRegistrationOptions moved = options(home, recorder);
    moved.executable = u"/opt/vexilor/bin/vexilor"_s;
    const FileTypeRegistrationResult third = RegisterFileType(moved);
    QVERIFY(third.ok);
    QCOMPARE(third.written, QStringList{entry});
    QCOMPARE(recorder.started, QStringList{u"update-desktop-database "_s + home + u"/applications"_s});
    QVERIFY(third.toolsStarted.isEmpty());
    QCOMPARE(EntryValue(QString::fromUtf8(ReadAll(entry)), u"Exec"_s), u"/opt/vexilor/bin/vexilor %f"_s);
    QCOMPARE(QFileInfo(package).lastModified(), packageTime);
}

void FileTypeRegistrationTest::unwritableDataHomeIsReportedNotThrown()
{
    // A data home below a plain file cannot be created, not even by root.
    const QString blocker = dir_.filePath(u"blocker"_s);
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    Recorder recorder;
    const FileTypeRegistrationResult result = RegisterFileType(options(blocker + u"/home"_s, recorder));
    QVERIFY(!result.ok);
    QCOMPARE(result.errors.size(), 2);
    QVERIFY(result.errors.at(0).contains(u"vexilor-restrictions.xml"_s));
    QVERIFY(result.errors.at(1).contains(u"vexilor.desktop"_s));
    QVERIFY(result.written.isEmpty());
    QVERIFY(recorder.started.isEmpty());
}

void FileTypeRegistrationTest::packageIsWellFormedAndClaimsOurFilesOnly()
{
    const QByteArray xml = RestrictionsMimePackage();
    const MimePackage p = ParsePackage(xml);
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.type, QString::fromLatin1(kRestrictionsMimeType));
    QCOMPARE(p.globs, QStringList{u"*.res"_s});
    QCOMPARE(p.magic.size(), 1);

    // The magic is the first line of every file the program writes, and of nothing else here.
    const QByteArray written = WrittenRestrictionsFile();
    QVERIFY(!written.isEmpty());
    const auto [offset, value] = p.magic.at(0);
    const auto claims = [&, offset = offset, value = value](const QByteArray& data) {
        return data.mid(offset, value.size()) == value;
    };
    QVERIFY(claims(written));
    const QByteArray others[] = {"// Some other restrictions file\r\n", "[DEVICE \"NY1\"]\r\n",
                                 "// Tovrin restriction file\r\n", ""};
    for (const QByteArray& other : others)
        QVERIFY2(!claims(other), other.constData());

    // The desktop's database, fed the package registered in the data folder, knows the type, its
    // parent and its name pattern, and takes a file of ours by name and content together. (Qt's
    // content-only lookup lets the system's C source rule win over any user package that starts
    // with "//", whatever its priority, so it is not asked alone.)
    Recorder recorder;
    QVERIFY(RegisterFileType(options(qEnvironmentVariable("XDG_DATA_HOME"), recorder)).ok);
    const QMimeDatabase db;
    const QString ours = QString::fromLatin1(kRestrictionsMimeType);
    QVERIFY(db.mimeTypeForName(ours).inherits(u"text/plain"_s));
    QCOMPARE(db.mimeTypeForFile(u"NY1.res"_s, QMimeDatabase::MatchExtension).name(), ours);
    QCOMPARE(db.mimeTypeForFileNameAndData(u"NY1.res"_s, written).name(), ours);
    QVERIFY(db.mimeTypeForData(QByteArray("[DEVICE \"NY1\"]\r\n")).name() != ours);
}

void FileTypeRegistrationTest::restrictionsFileNamesItsIntercom_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("intercom");
    QTest::newRow("absolute") << u"/home/me/res/ny1.res"_s << u"NY1"_s;
    QTest::newRow("relative, upper case") << u"LA.RES"_s << u"LA"_s;
    QTest::newRow("dots in the name") << u"/x/a.b.res"_s << u"A.B"_s;
    QTest::newRow("another suffix") << u"/x/NY1.cfg"_s << u""_s;
    QTest::newRow("plain name") << u"NY1"_s << u""_s;
    QTest::newRow("no name") << u"/x/.res"_s << u""_s;
}

void FileTypeRegistrationTest::restrictionsFileNamesItsIntercom()
{
    QFETCH(QString, path);
    QTEST(IntercomOfRestrictionsFile(path), "intercom");
}

QTEST_MAIN(FileTypeRegistrationTest)
#include "FileTypeRegistrationTest.moc"
