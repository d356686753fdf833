#include "document/DocumentLock.h"

#include <QDir>
#include <QFileInfo>

namespace vexilor {

CDocumentLock::CDocumentLock(const QString& restrictionsPath)
    : restrictionsPath_(restrictionsPath), lock_(lockPathFor(restrictionsPath))
{
    lock_.setStaleLockTime(kStaleOnOtherHost);
}

QString CDocumentLock::lockPathFor(const QString& restrictionsPath)
{
    return QDir::fromNativeSeparators(restrictionsPath) + QStringLiteral(".lock");
}

bool CDocumentLock::readHolder()
{
    holder_ = Holder{};
    const QFileInfo info(lockPathFor(restrictionsPath_));
    if (!info.exists())
        return false;
    holder_.user = info.owner();
    holder_.since = info.lastModified();
    lock_.getLockInfo(&holder_.pid, &holder_.host, &holder_.program);
    return true;
}

CDocumentLock::Outcome CDocumentLock::acquire()
{
    // A lock found before trying is either live (the attempt fails) or stale (QLockFile replaces
    // it); read its holder first, as it is gone afterwards.
    const bool found = readHolder();
    if (lock_.tryLock(0))
        return found ? Outcome::TakenOverStale : Outcome::Taken;
    if (lock_.error() == QLockFile::LockFailedError) {
        readHolder();
        return Outcome::HeldByOther;
    }
    return Outcome::Unavailable;
}

}  // namespace vexilor
