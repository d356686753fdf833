#include "shell/FileTypeRegistration.h"

#include "shell/DesktopShortcut.h"
#include "shell/Help.h"
#include "vexilor/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shlobj.h>
#endif

// The mime package lives in this static library; registering it here keeps it linked in.
static void RegisterDesktopResources()
{
    Q_INIT_RESOURCE(desktop);
}

namespace vexilor {

namespace {

constexpr char kMimePackageFile[] = "vexilor-restrictions.xml";
constexpr char kEntryFile[] = "vexilor.desktop";

#ifndef Q_OS_WIN
bool StartToolDetached(const QString& program, const QStringList& arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    return !path.isEmpty() && QProcess::startDetached(path, arguments);
}

QString DefaultIcon()
{
    const QString file = ProgramResourceFile(QStringLiteral("icons/vexilor.svg"));
    return file.isEmpty() ? QStringLiteral("vexilor") : file;
}

// Writes content to path unless the file already holds exactly that. True when it wrote.
bool WriteIfChanged(const QString& path, const QByteArray& content, FileTypeRegistrationResult& result)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == content)
        return false;
    current.close();

    const auto fail = [&](const QString& why) {
        result.ok = false;
        result.errors << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("the folder could not be created"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return fail(file.errorString());
    result.written << path;
    return true;
}
#endif

#ifdef Q_OS_WIN
FileTypeRegistrationResult RegisterInRegistry(const FileTypeRegistrationOptions& options, const QString& executable)
{
    FileTypeRegistrationResult result;
    const QString root = options.registryRoot.isEmpty() ? QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes")
                                                        : options.registryRoot;
    const QString progId = QString::fromLatin1(kRestrictionsProgId);
    const QString native = QDir::toNativeSeparators(executable);
    // "Default" is the unnamed value of a key.
    const std::pair<QString, QString> values[] = {
        {QStringLiteral(".res/Default"), progId},
        {progId + QStringLiteral("/Default"), QStringLiteral("Restrictions File")},
        {progId + QStringLiteral("/DefaultIcon/Default"), native + QStringLiteral(",0")},
        {progId + QStringLiteral("/shell/open/command/Default"), ShellOpenCommand(executable)},
    };
    QSettings classes(root, QSettings::NativeFormat);
    for (const auto& [key, value] : values) {
        if (classes.value(key).toString() == value)
            continue;
        classes.setValue(key, value);
        result.written << root + u'\\' + QDir::toNativeSeparators(key);
    }
    classes.sync();
    if (classes.status() != QSettings::NoError) {
        result.ok = false;
        result.errors << QStringLiteral("%1: the registry refused the file type").arg(root);
    }
    // Explorer caches associations: tell it only when they changed.
    if (!result.written.isEmpty())
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return result;
}
#endif

}  // namespace

QString ShellOpenCommand(const QString& executable)
{
    return u'"' + QDir::toNativeSeparators(executable) + QStringLiteral("\" \"%1\"");
}

QString IntercomOfRestrictionsFile(const QString& path)
{
    const QFileInfo file(path);
    if (file.suffix().compare(QStringLiteral("res"), Qt::CaseInsensitive) != 0)
        return {};
    return file.completeBaseName().trimmed().toUpper();
}

QByteArray RestrictionsMimePackage()
{
    RegisterDesktopResources();
    QFile file(QStringLiteral(":/desktop/") + QString::fromLatin1(kMimePackageFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ApplicationEntryText(const QString& executable, const QString& icon)
{
    // %f: the desktop passes one local file, which the command line turns into its intercom.
    const QString exec = QuoteExecArgument(executable) + QStringLiteral(" %f");
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    text += QStringLiteral("Name=") + QString::fromLatin1(build::kProductName) + u'\n';
    text += QStringLiteral("Comment=Decide who may do what on an intercom\n");
    text += QStringLiteral("Exec=") + EscapeDesktopEntryValue(exec) + u'\n';
    text += QStringLiteral("Icon=") + EscapeDesktopEntryValue(icon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("Categories=Utility;Qt;\n");
    text += QStringLiteral("MimeType=") + QString::fromLatin1(kRestrictionsMimeType) + QStringLiteral(";\n");
    return text;
}

FileTypeRegistrationResult RegisterFileType(const FileTypeRegistrationOptions& options)
{
#ifdef Q_OS_WIN
    return RegisterInRegistry(options, QFileInfo(options.executable.isEmpty() ? QCoreApplication::applicationFilePath()
                                                                                : options.executable)
                                           .absoluteFilePath());
#else
    FileTypeRegistrationResult result;
    const QString dataHome = options.dataHome.isEmpty()
                                 ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 : options.dataHome;
    if (dataHome.isEmpty()) {
        result.ok = false;
        result.errors << QStringLiteral("There is no data folder to register the file type in.");
        return result;
    }
    const QByteArray package = RestrictionsMimePackage();
    if (package.isEmpty()) {
        result.ok = false;
        result.errors << QStringLiteral("The mime package is missing from the program.");
        return result;
    }
    const QString executable = QFileInfo(options.executable.isEmpty() ? QCoreApplication::applicationFilePath()
                                                                      : options.executable)
                                   .absoluteFilePath();
    const QString icon = options.icon.isEmpty() ? DefaultIcon() : options.icon;

    const QDir home(dataHome);
    const QString mimeDir = home.filePath(QStringLiteral("mime"));
    const QString applicationsDir = home.filePath(QStringLiteral("applications"));
    const bool packageWritten = WriteIfChanged(
        QDir(mimeDir).filePath(QStringLiteral("packages/") + QString::fromLatin1(kMimePackageFile)), package, result);
    const bool entryWritten = WriteIfChanged(QDir(applicationsDir).filePath(QString::fromLatin1(kEntryFile)),
                                             ApplicationEntryText(executable, icon).toUtf8(), result);

    // The desktop reads its caches, not the files: refresh the ones whose source changed.
    const auto start = options.startTool ? options.startTool : &StartToolDetached;
    const auto refresh = [&](const QString& program, const QString& dir) {
        if (start(program, {dir}))
            result.toolsStarted << program + u' ' + dir;
    };
    if (packageWritten)
        refresh(QStringLiteral("update-mime-database"), mimeDir);
    if (entryWritten)
        refresh(QStringLiteral("update-desktop-database"), applicationsDir);
    return result;
#endif
}

}  // namespace vexilor
