#include "platform/FileDescriptor.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

namespace fileio {

void throwErrno(const QString& what, const QString& path, int error) {
    throw PlatformError(
        QStringLiteral("%1 “%2”: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))), error);
}

namespace {

// What a non-regular item is, for an error that says why it was refused.
QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

} // namespace

void throwNotRegular(const QString& what, const QString& path, mode_t mode) {
    throw PlatformError(QStringLiteral("%1 “%2”: it is %3, not a regular file").arg(what, path, kindOf(mode)),
                        S_ISDIR(mode) ? EISDIR : EINVAL);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray readRegularFile(const QByteArray& file, const QString& path) {
    return readRegularFile(AT_FDCWD, file, path);
}

QByteArray readRegularFile(int folder, const QByteArray& name, const QString& path) {
    const QString what = QStringLiteral("Couldn't read");
    struct stat st {};
    if (::fstatat(folder, name.constData(), &st, 0) != 0) throwErrno(what, path);
    if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    FileDescriptor fd(::openat(folder, name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throwErrno(what, path);
    if (::fstat(fd.get(), &st) != 0) throwErrno(what, path);
    if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode); // swapped in meanwhile
    QByteArray data;
    data.reserve(static_cast<qsizetype>(st.st_size));
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), static_cast<size_t>(buffer.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(what, path); // never a silently shortened file
        }
        if (n == 0) break;
        data.append(buffer.constData(), n);
    }
    return data;
}

void writeAll(int fd, QByteArrayView data, const QString& path, const QString& what) {
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, static_cast<size_t>(data.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(what, path);
        }
        written += n;
    }
}

SyncStep afterSyncFailure(int error, bool fullSync) {
    if (error == EINTR) return SyncStep::retry;
    const bool notForThisVolume =
        error == ENOTSUP || error == EOPNOTSUPP || error == ENOTTY || error == EINVAL;
    return fullSync && notForThisVolume ? SyncStep::fallBackToFsync : SyncStep::fail;
}

int syncToDisk(int fd) {
#if defined(__APPLE__)
    for (;;) {
        if (::fcntl(fd, F_FULLFSYNC) == 0) return 0;
        const SyncStep step = afterSyncFailure(errno, true);
        if (step == SyncStep::fail) return -1;
        if (step == SyncStep::fallBackToFsync) break;
    }
#endif
    for (;;) {
        if (::fsync(fd) == 0) return 0;
        if (afterSyncFailure(errno, false) != SyncStep::retry) return -1;
    }
}

QByteArray folderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : (slash == 0 ? QByteArray("/") : QByteArray("."));
}

void syncFolder(const QByteArray& folder) {
    const FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) syncToDisk(fd.get());
}

QByteArray randomSuffix() {
    return QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

} // namespace fileio
} // namespace qlan
