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

// Writes all of `data` to the open descriptor `fd` of the file at `path`, however the system splits the
// writes up. A failed write throws PlatformError("<what> “<path>”: <the system's reason>") with errno as
// its code, so a full disk says "No space left on device".
void writeAll(int fd, QByteArrayView data, const QString& path,
              const QString& what = QStringLiteral("Couldn't write"));

// A random word for the name of a temporary file.
QByteArray randomSuffix();

} // namespace fileio
} // namespace qlan
