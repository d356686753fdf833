#include "document/DocumentFiles.h"

#include "app/Directories.h"
#include "document/UnwritableNames.h"

#include "intercom/Intercom.h"
#include "restrictions/ResourceTypes.h"
#include "restrictions/RestrictionsModel.h"
#include "restrictions/RestrictionsWriter.h"
#include "restrictions/SavePreparation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vexilor::docfiles {

QString TidyIntercomName(const QString& name)
{
    return name.trimmed().toUpper();
}

QString IntercomFilePath(const QString& dir, const QString& name, const QString& ext)
{
    return QDir::toNativeSeparators(FindFileAnyCase(dir, name + u'.' + ext));
}

std::filesystem::path FsPath(const QString& path)
{
    return std::filesystem::path(QDir::fromNativeSeparators(path).toStdU16String());
}

bool IsReadOnlyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.permissions().testFlag(QFileDevice::WriteOwner);
}

QString MoveAside(const QString& path)
{
    const QString stem = path + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = stem + u'-' + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

bool WriteFileAtomically(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    // Unbuffered: a short write shows in write()'s result. Buffered, it would only surface in the
    // flush inside commit(), which does not report it, and a cut-off file would replace the target.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteRestrictionsFile(CRestrictionsModel& model, const CIntercom& icom, const QString& path,
                           const text::CodePage& codePage, QString* refusal)
{
    // Names can come from anywhere (another code page's file, a rename, an export); whatever the
    // dialogs let through, a file whose names read back otherwise is never written.
    if (const QString problem = UnwritableNameMessage(model, codePage); !problem.isEmpty()) {
        if (refusal)
            *refusal = problem;
        return false;
    }
    std::array<std::uint32_t, kResourceTypeCount> counts{};
    for (std::size_t type = 0; type < counts.size(); ++type)
        counts[type] = icom.Count(static_cast<unsigned>(type));
    prepareForSave(model, counts);
    const std::optional<std::string> bytes = restrictionsFileBytes(model, {.codePage = codePage});
    return bytes && WriteFileAtomically(path, *bytes);
}

}  // namespace vexilor::docfiles
