#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vexilor {

// The restrictions file type as the desktop knows it.
inline constexpr char kRestrictionsMimeType[] = "application/x-vexilor-restrictions";

// The intercom a restrictions file belongs to: "NAME.res" (any case, any folder) gives NAME in upper
// case; empty when the path does not name a ".res" file.
QString IntercomOfRestrictionsFile(const QString& path);

// The shared-mime-info package that declares the restrictions file type (the one installed with
// the program).
QByteArray RestrictionsMimePackage();

// The application entry that opens restrictions files with the program at executable.
QString ApplicationEntryText(const QString& executable, const QString& icon);

// Windows: the programmatic identifier under which the restrictions file type is registered.
inline constexpr char kRestrictionsProgId[] = "Vexilor.Restrictions";

// Windows: the open command of the file type, which the shell completes with the file's path.
QString ShellOpenCommand(const QString& executable);

struct FileTypeRegistrationOptions {
    QString dataHome;    // empty: the user's data folder
    QString registryRoot;  // Windows: empty: HKEY_CURRENT_USER\Software\Classes
    QString executable;  // empty: this program
    QString icon;        // empty: the program's icon file, else the icon theme's name
    // Starts a tool that refreshes a desktop cache; the default starts it detached when it is on
    // the PATH. Returns whether it started.
    std::function<bool(const QString& program, const QStringList& arguments)> startTool;
};

struct FileTypeRegistrationResult {
    bool ok = true;
    QStringList written;       // files whose content changed
    QStringList errors;        // why a file could not be written
    QStringList toolsStarted;  // "program argument..." of each cache refresh started
};

// Registers the restrictions file type for the current user: the mime package under
// <data home>/mime/packages and the application entry under <data home>/applications. A file is
// rewritten only when its content differs, and the desktop's caches are refreshed only then.
// On Windows: ".res", its programmatic identifier, icon and open command under the registry root
// (written: the values that changed; the shell is told only then).
// Never shows anything: start-up goes on whatever happens.
FileTypeRegistrationResult RegisterFileType(const FileTypeRegistrationOptions& options = {});

}  // namespace vexilor
