#pragma once
// An open file descriptor that closes itself, and the few descriptor-level helpers that every file
// service of the engine shares: errors that carry the system's reason, whole reads and writes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cerrno>
#include <sys/types.h>
#include <utility>

namespace qlan {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

namespace fileio {

// Throws PlatformError("<what> “<path>”: <the system's reason>") with `error` as its code.
[[noreturn]] void throwErrno(const QString& what, const QString& path, int error = errno);

// Refuses an item that is not a regular file, saying what it is ("it is a folder, not a regular file").
[[noreturn]] void throwNotRegular(const QString& what, const QString& path, mode_t mode);

// The path as the system's calls take it.
QByteArray native(const QString& path);

// Reads a whole regular file. Anything else is refused before it is opened for reading, and the open
// never waits (a named pipe without a writer would block it).
QByteArray readRegularFile(const QByteArray& file, const QString& path);
// The same for the file `name` of the open folder `folder`.
QByteArray readRegularFile(int folder, const QByteArray& name, const QString& path);

// Writes all of `data` to the open descriptor `fd` of the file at `path`, however the system splits the
// writes up. A failed write throws PlatformError("<what> “<path>”: <the system's reason>") with errno as
// its code, so a full disk says "No space left on device".
void writeAll(int fd, QByteArrayView data, const QString& path,
              const QString& what = QStringLiteral("Couldn't write"));

// Makes what was written to the open file or folder `fd` durable, as fsync does, also across a power cut:
// on a Mac with F_FULLFSYNC, which has the drive write out its cache (fsync there leaves the bytes in it,
// in any order), falling back to fsync only where the volume cannot take that call (network volumes).
// Returns 0, or -1 with errno set: any other failure, an I/O error of the cache flush above all, is the
// caller's failure to report, never covered by an fsync that finds nothing left to write. Every sync of
// the engine's goes through it.
int syncToDisk(int fd);

// What syncToDisk does after one of its calls failed.
enum class SyncStep {
    retry,           // interrupted by a signal: the same call again
    fallBackToFsync, // the volume cannot take F_FULLFSYNC: fsync instead
    fail,            // the sync failed: the caller reports it
};
// The step after F_FULLFSYNC (`fullSync`) or fsync failed with `error`: EINTR is tried again; a full sync
// that the volume cannot take (ENOTSUP, EOPNOTSUPP, ENOTTY, EINVAL) falls back to fsync; anything else
// fails.
SyncStep afterSyncFailure(int error, bool fullSync);

// The folder of the item at `path`: what comes before its last "/" ("/" for an item in the root, "." for
// a bare name).
QByteArray folderOf(const QByteArray& path);

// Makes the entries of the folder at `folder` durable (syncToDisk): a rename into it, a file made in it.
// The rename is done by then, so a folder that cannot be synced is left to the system.
void syncFolder(const QByteArray& folder);

// A random word for the name of a temporary file.
QByteArray randomSuffix();

} // namespace fileio
} // namespace qlan
