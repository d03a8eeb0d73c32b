#pragma once
// Another program that holds the edit lock of one file, as another edition of the engine does while it
// edits the file: flock(1) on the file's lock file (LiveFileEditHold::lockFile) until `release()`.

#include "platform/LiveFileEditHold.h"
#include "support/Wait.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace qlan::test {

class EditLockHolder {
public:
    // Holds the lock of the file at `path` in `lockFolder` (made when missing), run under the leading
    // words `asUser` when given (asNobody()).
    EditLockHolder(const QString& path, const QString& lockFolder, QStringList asUser = {}) {
        const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
        if (flock.isEmpty() || !QDir().mkpath(lockFolder)) return;
        asUser << flock << LiveFileEditHold::lockFile(path, lockFolder) << "-c"
               << "echo held; exec cat";
        process_.start(asUser.takeFirst(), asUser);
        held_ = process_.waitForReadyRead(patienceMs) && process_.readLine() == "held\n";
    }
    ~EditLockHolder() { release(); }
    EditLockHolder(const EditLockHolder&) = delete;
    EditLockHolder& operator=(const EditLockHolder&) = delete;

    // The lock is held (false where flock(1) is missing).
    bool held() const { return held_; }
    // Lets go of the lock: the holder ends.
    void release() {
        process_.closeWriteChannel();
        process_.waitForFinished(patienceMs);
    }

private:
    QProcess process_;
    bool held_ = false;
};

} // namespace qlan::test
