#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <chrono>

namespace vexilor {

// The lock beside a restrictions file (NAME.res.lock) that keeps a second program, here or on
// another machine reaching the same folder, from editing the file while it is open. It lives as
// long as the document keeps the file open; a crash leaves a lock whose process is gone, which the
// next program on that machine takes over.
class CDocumentLock {
public:
    // A lock on another machine cannot be checked for a live process: older than this, its
    // program is taken to have ended without removing it.
    static constexpr std::chrono::hours kStaleOnOtherHost{12};

    enum class Outcome {
        Taken,           // the file is ours to edit
        TakenOverStale,  // a lock left by a program that is gone was replaced (holder() tells whose)
        HeldByOther,     // a live program holds it (holder() tells who)
        Unavailable,     // no lock can be made there (a read-only folder)
    };

    // Who holds (or held) a lock: the process and program QLockFile records, the lock file's
    // owner as the user, and its time as the moment it was taken.
    struct Holder {
        qint64 pid = 0;
        QString host;
        QString program;
        QString user;
        QDateTime since;
    };

    explicit CDocumentLock(const QString& restrictionsPath);
    CDocumentLock(const CDocumentLock&) = delete;
    CDocumentLock& operator=(const CDocumentLock&) = delete;

    static QString lockPathFor(const QString& restrictionsPath);

    Outcome acquire();
    bool isLocked() const { return lock_.isLocked(); }
    QString restrictionsPath() const { return restrictionsPath_; }
    const Holder& holder() const { return holder_; }

private:
    bool readHolder();

    QString restrictionsPath_;
    QLockFile lock_;
    Holder holder_;
};

}  // namespace vexilor
