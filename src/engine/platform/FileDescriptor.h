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
// in any order), falling back to fsync where the file system cannot (network volumes). Returns 0, or -1
// with errno set. Every sync of the engine's goes through it.
int syncToDisk(int fd);

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
