#include "intercoms/IntercomList.h"

#include "app/Directories.h"

#include "intercom/ConfigurationFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vexilor::icomlist {

QString TidyName(const QString& name)
{
    return name.trimmed().toUpper();
}

bool HasForbiddenChar(const QString& name)
{
    const QStringView forbidden(kForbiddenChars);
    return std::any_of(name.cbegin(), name.cend(),
                       [&](QChar c) { return forbidden.contains(c); });
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString FilePath(const QString& dir, const QString& name, const QString& ext)
{
    return FindFileAnyCase(dir, name + u'.' + ext);
}

bool FileExists(const QString& dir, const QString& name, const QString& ext)
{
    return !name.isEmpty() && QFileInfo(FilePath(dir, name, ext)).isFile();
}

QStringList KnownNames(const QString& cfgDir)
{
    if (cfgDir.isEmpty())
        return {};
    const QDir directory(cfgDir);
    const QFileInfoList files = directory.entryInfoList(
        {QStringLiteral("*.") + kConfigurationExt}, QDir::Files | QDir::Hidden | QDir::System,
        QDir::Name | QDir::IgnoreCase);
    QStringList names;
    for (const QFileInfo& file : files) {
        // The title is everything before the last dot (a file "a.b.cfg" is intercom "A.B").
        const QString title = file.fileName().chopped(kConfigurationExt.size() + 1).toUpper();
        if (!title.isEmpty() && !names.contains(title))
            names.append(title);
    }
    return names;
}

bool LoadIntercom(const QString& cfgDir, const QString& name, CIntercom& icom, QString& error,
                  const text::CodePage& codePage)
{
    icom = CIntercom{};
    const QString path = FilePath(cfgDir, name, kConfigurationExt);
    const bool read = LoadConfigurationFile(icom, std::filesystem::path(path.toStdU16String()), codePage);
    icom.name = name.toStdU16String();
    if (read)
        return true;
    // The last message is the error that stopped the reader; warnings come before it.
    error = icom.messages.empty() ? path : QString::fromStdU16String(icom.messages.back());
    return false;
}

bool SaveIntercom(const QString& cfgDir, const CIntercom& icom, QString& error,
                  const text::CodePage& codePage)
{
    const QString path =
        FilePath(cfgDir, QString::fromStdU16String(icom.name), kConfigurationExt);
    std::u16string text;
    if (SaveConfigurationFile(std::filesystem::path(path.toStdU16String()), icom, text, codePage))
        return true;
    error = QString::fromStdU16String(text);
    return false;
}

}  // namespace vexilor::icomlist
