#include "shell/DesktopShortcut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#ifdef _MSC_VER
#pragma comment(lib, "ole32.lib")
#pragma comment(lib, "uuid.lib")
#endif
#endif

namespace vexilor {

namespace {

#ifdef Q_OS_WIN
constexpr char16_t kLinkSuffix[] = u".lnk";
#else
constexpr char16_t kLinkSuffix[] = u".desktop";
#endif

// Characters of a launcher's Exec line that only stand for themselves inside double quotes.
bool IsReservedInExec(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

#ifdef Q_OS_WIN
// One argument of a Windows command line, as the C runtime splits it.
QString QuoteWindowsArgument(const QString& argument)
{
    QString out = QStringLiteral("\"");
    int backslashes = 0;
    for (const QChar c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (c == u'"') {
            out += QString(backslashes * 2 + 1, u'\\');
            out += c;
        } else {
            out += QString(backslashes, u'\\');
            out += c;
        }
        backslashes = 0;
    }
    out += QString(backslashes * 2, u'\\');
    out += u'"';
    return out;
}

bool SaveShellLink(const CShellLinkInfo& info, const QString& path, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool uninit = SUCCEEDED(init);
    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    bool ok = false;
    if (SUCCEEDED(hr)) {
        QStringList quoted;
        for (const QString& a : info.arguments)
            quoted << (a.startsWith(u'-') ? a : QuoteWindowsArgument(a));
        const QString arguments = quoted.join(u' ');
        const auto w = [](const QString& s) { return reinterpret_cast<LPCWSTR>(s.utf16()); };
        const QString target = QDir::toNativeSeparators(info.targetPath);
        const QString workDir = QDir::toNativeSeparators(info.workingDirectory);
        const QString icon = QDir::toNativeSeparators(info.iconPath);
        link->SetPath(w(target));
        link->SetWorkingDirectory(w(workDir));
        link->SetIconLocation(w(icon), info.iconIndex);
        link->SetDescription(w(info.description));
        link->SetArguments(w(arguments));
        link->SetShowCmd(info.showCommand);
        IPersistFile* file = nullptr;
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        if (SUCCEEDED(hr)) {
            const QString native = QDir::toNativeSeparators(path);
            hr = file->Save(w(native), TRUE);
            ok = SUCCEEDED(hr);
            file->Release();
        }
        link->Release();
    }
    if (uninit)
        CoUninitialize();
    return ok ? true : fail(QStringLiteral("The system refused the shortcut (0x%1).")
                                   .arg(QString::number(quint32(hr), 16).rightJustified(8, u'0')));
}
#endif

}  // namespace

QString EscapeDesktopEntryValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\n')
            out += u"\\n";
        else if (c == u'\t')
            out += u"\\t";
        else if (c == u'\r')
            out += u"\\r";
        else if (c == u' ' && i == 0)
            out += u"\\s";
        else
            out += c;
    }
    return out;
}

QString LinkFilePath(const QString& directory, const QString& shortcutName)
{
    return QDir(directory).filePath(shortcutName + QString::fromUtf16(kLinkSuffix));
}

QString QuoteExecArgument(const QString& argument, bool alwaysQuote)
{
    bool quote = alwaysQuote || argument.isEmpty();
    for (const QChar c : argument)
        quote = quote || IsReservedInExec(c);
    QString out;
    if (quote) {
        out += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                out += u'\\';
            out += c;
        }
        out += u'"';
    } else {
        out = argument;
    }
    // A lone percent sign would start a field code.
    out.replace(u'%', QStringLiteral("%%"));
    return out;
}

QString DesktopEntryText(const CShellLinkInfo& info, const QString& name)
{
    // Switches stay bare; the values after them are always quoted (-i "NAME").
    QStringList exec{QuoteExecArgument(info.targetPath)};
    for (const QString& a : info.arguments)
        exec << QuoteExecArgument(a, !a.startsWith(u'-'));

    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    text += QStringLiteral("Name=") + EscapeDesktopEntryValue(name) + u'\n';
    if (!info.description.isEmpty())
        text += QStringLiteral("Comment=") + EscapeDesktopEntryValue(info.description) + u'\n';
    text += QStringLiteral("Exec=") + EscapeDesktopEntryValue(exec.join(u' ')) + u'\n';
    if (!info.workingDirectory.isEmpty())
        text += QStringLiteral("Path=") + EscapeDesktopEntryValue(info.workingDirectory) + u'\n';
    if (!info.iconPath.isEmpty())
        text += QStringLiteral("Icon=") + EscapeDesktopEntryValue(info.iconPath) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    return text;
}

bool SaveLink(const CShellLinkInfo& info, const QString& path, QString* error)
{
    const QFileInfo target(path);
    QDir().mkpath(target.absolutePath());
#ifdef Q_OS_WIN
    return SaveShellLink(info, path, error);
#else
    QString name = target.fileName();
    if (name.endsWith(QString::fromUtf16(kLinkSuffix)))
        name.chop(qsizetype(std::char_traits<char16_t>::length(kLinkSuffix)));

    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(DesktopEntryText(info, name).toUtf8()) >= 0 && file.commit();
    if (!written) {
        if (error != nullptr)
            *error = file.errorString();
        return false;
    }
    // Desktops start only launchers that are marked executable.
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                      QFileDevice::ExeOther;
    if (!QFile::setPermissions(path, mode)) {
        if (error != nullptr)
            *error = QStringLiteral("The launcher could not be marked executable.");
        return false;
    }
    return true;
#endif
}

}  // namespace vexilor
