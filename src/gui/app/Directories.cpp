#include "app/Directories.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace vexilor {

namespace {

// Length of "/" or "X:/" at the start of an absolute path; 0 for a relative or a network path,
// whose first parts are a server and a share rather than directories.
qsizetype RootLength(const QString& path)
{
    if (path.startsWith(u"//"))
        return 0;
    if (path.startsWith(u'/'))
        return 1;
    if (path.size() >= 3 && path[0].isLetter() && path[1] == u':' && path[2] == u'/')
        return 3;
    return 0;
}

}  // namespace

QString CanonicalDirectory(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString slashed = QDir::fromNativeSeparators(path);
    QString clean = QDir::cleanPath(slashed);
    // cleanPath keeps ".." that would climb above the root ("/../a"); a root has no parent.
    const qsizetype root = RootLength(clean);
    if (root > 0) {
        while (clean.mid(root).startsWith(u"../") || clean.mid(root) == u"..")
            clean.remove(root, clean.size() - root == 2 ? 2 : 3);
    }
    if (slashed.endsWith(u'/') && !clean.endsWith(u'/'))
        clean += u'/';
    return QDir::toNativeSeparators(clean);
}

QString FindFileAnyCase(const QString& dir, const QString& fileName)
{
    const QDir directory(dir);
    const QString exact = directory.filePath(fileName);
    if (QFileInfo::exists(exact))
        return exact;
    // The name filter matches without regard to case; the comparison keeps it to the one name.
    const QStringList candidates =
        directory.entryList({fileName}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& candidate : candidates) {
        if (candidate.compare(fileName, Qt::CaseInsensitive) == 0)
            return directory.filePath(candidate);
    }
    return exact;
}

}  // namespace vexilor
