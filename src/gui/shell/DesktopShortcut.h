#pragma once

#include <QString>
#include <QStringList>

namespace vexilor {

// What a desktop shortcut starts and how it looks.
struct CShellLinkInfo {
    QString targetPath;
    QStringList arguments;
    QString description;
    QString iconPath;  // a file, or on Linux also an icon theme name
    int iconIndex = 0;
    int showCommand = 5;  // shown normally
    QString workingDirectory;
};

// The launcher file for a shortcut name in directory: NAME.desktop on Linux, NAME.lnk on Windows.
QString LinkFilePath(const QString& directory, const QString& shortcutName);

// Writes the shortcut to path, atomically, replacing an existing one. On Linux a freedesktop
// launcher named after the file (without ".desktop"), marked executable; on Windows a shell link.
// False with a reason in *error when the system refuses it.
bool SaveLink(const CShellLinkInfo& info, const QString& path, QString* error = nullptr);

// The text of a freedesktop launcher for info under the shown name.
QString DesktopEntryText(const CShellLinkInfo& info, const QString& name);

// A string value of a freedesktop key file, escaped: backslash, line breaks, tabs, a leading blank.
QString EscapeDesktopEntryValue(const QString& value);

// One Exec argument, quoted when it holds a character the launcher's command line reserves,
// before the key file's own escaping is applied.
QString QuoteExecArgument(const QString& argument, bool alwaysQuote = false);

}  // namespace vexilor
