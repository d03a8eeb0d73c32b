#include "platform/LiveFileSystem.h"

#include "platform/ExtendedAttributes.h"
#include "platform/PlatformError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace qlan {
namespace {

[[noreturn]] void throwErrno(const QString& what, const QString& path, int error = errno) {
    throw PlatformError(
        QStringLiteral("%1 “%2”: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))), error);
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

void removeTree(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
    if (S_ISDIR(st.st_mode)) {
        DIR* dir = ::opendir(path.constData());
        if (!dir) throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
        while (dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            try {
                removeTree(path + '/' + entry->d_name);
            } catch (...) {
                ::closedir(dir);
                throw;
            }
        }
        ::closedir(dir);
        if (::rmdir(path.constData()) != 0)
            throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
    } else if (::unlink(path.constData()) != 0) {
        throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
    }
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Copies a file, a link (as a link) or a whole folder tree to a new path, keeping permissions and
// modification times. Used where a rename cannot cross file systems.
void copyTree(const QByteArray& from, const QByteArray& to) {
    const QString where = QFile::decodeName(from);
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0) throwErrno(QStringLiteral("Couldn't copy"), where);
    const mode_t mode = st.st_mode & 07777;
#ifdef __APPLE__
    const timespec times[2] = {st.st_atimespec, st.st_mtimespec};
#else
    const timespec times[2] = {st.st_atim, st.st_mtim};
#endif
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(static_cast<qsizetype>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(from.constData(), target.data(), static_cast<size_t>(target.size()));
        if (n < 0 || n >= target.size())
            throwErrno(QStringLiteral("Couldn't copy"), where, n < 0 ? errno : ENAMETOOLONG);
        target.truncate(n);
        if (::symlink(target.constData(), to.constData()) != 0)
            throwErrno(QStringLiteral("Couldn't copy"), where);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), 0700) != 0) throwErrno(QStringLiteral("Couldn't copy"), where);
        DIR* dir = ::opendir(from.constData());
        if (!dir) throwErrno(QStringLiteral("Couldn't copy"), where);
        while (dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            try {
                copyTree(from + '/' + entry->d_name, to + '/' + entry->d_name);
            } catch (...) {
                ::closedir(dir);
                throw;
            }
        }
        ::closedir(dir);
        if (::chmod(to.constData(), mode) != 0) throwErrno(QStringLiteral("Couldn't copy"), where);
        ::utimensat(AT_FDCWD, to.constData(), times, AT_SYMLINK_NOFOLLOW);
        return;
    }
    if (!S_ISREG(st.st_mode)) throwErrno(QStringLiteral("Couldn't copy"), where, ENOTSUP);
    FileDescriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) throwErrno(QStringLiteral("Couldn't copy"), where);
    FileDescriptor out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) throwErrno(QStringLiteral("Couldn't copy"), where);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), static_cast<size_t>(buffer.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(QStringLiteral("Couldn't copy"), where);
        }
        if (n == 0) break;
        LiveFileSystem::writeAll(out.get(), QByteArrayView(buffer.constData(), n), QFile::decodeName(to));
    }
    if (::fchmod(out.get(), mode) != 0 || ::fsync(out.get()) != 0)
        throwErrno(QStringLiteral("Couldn't copy"), where);
    ::futimens(out.get(), times);
    if (::close(out.release()) != 0) throwErrno(QStringLiteral("Couldn't copy"), where);
}

// What a non-regular item is, for an error that says why it was refused.
QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

[[noreturn]] void throwNotRegular(const QString& what, const QString& path, mode_t mode) {
    throw PlatformError(QStringLiteral("%1 “%2”: it is %3, not a regular file").arg(what, path, kindOf(mode)),
                        S_ISDIR(mode) ? EISDIR : EINVAL);
}

// Reads a whole regular file. Anything else is refused before it is opened for reading, and the open
// never waits (a named pipe without a writer would block it).
QByteArray readRegularFile(const QByteArray& file, const QString& path) {
    const QString what = QStringLiteral("Couldn't read");
    struct stat st {};
    if (::stat(file.constData(), &st) != 0) throwErrno(what, path);
    if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    FileDescriptor fd(::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

// The path a symbolic link names, resolved against the link's folder when relative.
QByteArray linkTarget(const QByteArray& link, const QString& path) {
    QByteArray target(PATH_MAX + 1, '\0');
    const ssize_t n = ::readlink(link.constData(), target.data(), static_cast<size_t>(target.size()));
    if (n < 0 || n >= target.size())
        throwErrno(QStringLiteral("Couldn't write"), path, n < 0 ? errno : ENAMETOOLONG);
    target.truncate(n);
    if (target.startsWith('/')) return target;
    const int slash = link.lastIndexOf('/');
    return (slash >= 0 ? link.left(slash + 1) : QByteArray()) + target;
}

QByteArray randomSuffix() {
    return QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// The item that a write to `path` replaces or creates: the path itself, or (unless a link at the path is
// to be replaced) the end of the chain of symbolic links that starts there.
struct ItemToReplace {
    QByteArray path;
    struct stat st {}; // when it exists
    bool exists = false;
};

ItemToReplace itemToReplace(const QString& path, bool replaceLink) {
    ItemToReplace item{native(path)};
    for (int hops = 0;; ++hops) {
        if (::lstat(item.path.constData(), &item.st) != 0) {
            if (errno != ENOENT) throwErrno(QStringLiteral("Couldn't write"), path);
            return item;
        }
        item.exists = true;
        if (!S_ISLNK(item.st.st_mode) || replaceLink) return item;
        if (hops >= 40) throwErrno(QStringLiteral("Couldn't write"), path, ELOOP);
        item.path = linkTarget(item.path, path);
        item.exists = false;
    }
}

// The one name of the file that a write to `path` replaces, whichever links and folders lead to it:
// the real path of its nearest existing folder, then the rest of the path.
QByteArray canonicalItem(const QString& path) {
    QByteArray rest = itemToReplace(path, false).path;
    QByteArray tail;
    while (rest.size() > 1) {
        const int slash = rest.lastIndexOf('/');
        if (slash < 0) break;
        tail.prepend(rest.mid(slash));
        rest = slash > 0 ? rest.left(slash) : QByteArray("/");
        char resolved[PATH_MAX];
        if (::realpath(rest.constData(), resolved)) {
            const QByteArray folder(resolved);
            return (folder == "/" ? QByteArray() : folder) + tail;
        }
    }
    return QDir::cleanPath(path).toLocal8Bit();
}

// How long an edit waits for another program's edit of the same file before it gives up.
constexpr std::chrono::seconds editLockPatience{10};

// Waits for the lock of the open lock file `fd` (busy at a first try) until `deadline`; returns the
// descriptor holding it, or -1 when the wait was given up (`error` 0) or failed (`error` set). A thread of
// its own blocks in flock, where the system lets the waiters in as soon as the lock comes free; trying
// now and then instead would let a program that edits again at once keep the lock. When the wait is
// given up, that thread lets go of the lock as soon as it gets it.
int waitForLock(int fd, std::chrono::steady_clock::time_point deadline, int& error) {
    struct Wait {
        std::mutex mutex;
        std::condition_variable done;
        int fd = -1;
        bool finished = false;
        bool abandoned = false;
        int error = 0;
    };
    auto wait = std::make_shared<Wait>();
    wait->fd = fd;
    std::thread([wait] {
        int failure = 0;
        while (::flock(wait->fd, LOCK_EX) != 0)
            if ((failure = errno) != EINTR) break;
        const std::lock_guard lock(wait->mutex);
        wait->finished = true;
        wait->error = failure;
        if (wait->abandoned) ::close(wait->fd);
        wait->done.notify_all();
    }).detach();
    std::unique_lock lock(wait->mutex);
    if (!wait->done.wait_until(lock, deadline, [&] { return wait->finished; })) {
        wait->abandoned = true;
        error = 0;
        return -1;
    }
    error = wait->error;
    if (error == 0) return wait->fd;
    ::close(wait->fd);
    return -1;
}

// Takes the lock file at `lockPath` for a new open file description, created when missing and opened
// again when it was removed or replaced (a cleaner of the temporary folder) while this edit waited.
int takeLockFile(const QByteArray& lockPath, const QString& shown) {
    const auto deadline = std::chrono::steady_clock::now() + editLockPatience;
    for (;;) {
        int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) throwErrno(QStringLiteral("Couldn't lock"), shown);
        int error = 0;
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            if ((error = errno) != EINTR) break;
        if (error == EWOULDBLOCK) {
            fd = waitForLock(fd, deadline, error);
            if (fd < 0 && error == 0)
                throw PlatformError(QStringLiteral("“%1” is being changed by another program, which hasn't "
                                                   "finished in %2 seconds — nothing was written")
                                        .arg(shown)
                                        .arg(editLockPatience.count()),
                                    EWOULDBLOCK);
        }
        if (error != 0) {
            if (fd >= 0) ::close(fd);
            throwErrno(QStringLiteral("Couldn't lock"), shown, error);
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(lockPath.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
}

// The edit lock of one file in this process: threads wait on the mutex, and the thread that holds it
// first also holds the lock file, which other programs wait on.
struct EditLockEntry {
    std::recursive_mutex mutex;
    int depth = 0; // holds of the thread that has the mutex
    int fd = -1;   // the lock file while held
};

struct EditLockRegistry {
    std::mutex mutex;
    QHash<QByteArray, std::weak_ptr<EditLockEntry>> entries; // by lock file; none outlives its holds
};

EditLockRegistry& editLocks() {
    static EditLockRegistry registry;
    return registry;
}

class LiveFileEditHold : public FileEditHold {
public:
    explicit LiveFileEditHold(std::shared_ptr<EditLockEntry> entry)
        : entry_(std::move(entry)) {}
    ~LiveFileEditHold() override {
        // The file stays: removing it would send the programs that wait for it to the back of the line.
        if (--entry_->depth == 0) ::close(std::exchange(entry_->fd, -1));
        entry_->mutex.unlock();
    }

private:
    std::shared_ptr<EditLockEntry> entry_;
};

} // namespace

bool LiveFileSystem::fileExists(const QString& path) const {
    struct stat st {};
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0;
}

bool LiveFileSystem::fileExists(const QString& path, bool* isDirectory) const {
    struct stat st {};
    const bool exists = !path.isEmpty() && ::stat(native(path).constData(), &st) == 0;
    if (isDirectory) *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

bool LiveFileSystem::isExecutableFile(const QString& path) const {
    return !path.isEmpty() && ::access(native(path).constData(), X_OK) == 0;
}

QStringList LiveFileSystem::contentsOfDirectory(const QString& path) const {
    DIR* dir = ::opendir(native(path).constData());
    if (!dir) throwErrno(QStringLiteral("Couldn't read the folder"), path);
    QStringList names;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    return names;
}

void LiveFileSystem::createDirectory(const QString& path, bool withIntermediateDirectories) {
    if (!withIntermediateDirectories) {
        if (::mkdir(native(path).constData(), 0777) != 0)
            throwErrno(QStringLiteral("Couldn't create the folder"), path);
        return;
    }
    bool isDir = false;
    if (fileExists(path, &isDir)) {
        if (isDir) return;
        throwErrno(QStringLiteral("Couldn't create the folder"), path, EEXIST);
    }
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path) createDirectory(parent, true);
    if (::mkdir(native(path).constData(), 0777) != 0) {
        // Made by someone else in the meantime is fine; a dangling link or a file in the way is not.
        const int error = errno;
        bool nowDirectory = false;
        if (error != EEXIST || !fileExists(path, &nowDirectory) || !nowDirectory)
            throwErrno(QStringLiteral("Couldn't create the folder"), path, error);
    }
}

void LiveFileSystem::removeItem(const QString& path) {
    removeTree(native(path));
}

void LiveFileSystem::moveItem(const QString& source, const QString& destination) {
    struct stat st {};
    if (::lstat(native(destination).constData(), &st) == 0)
        throwErrno(QStringLiteral("Couldn't move to"), destination, EEXIST);
    if (::rename(native(source).constData(), native(destination).constData()) == 0) return;
    if (errno != EXDEV) throwErrno(QStringLiteral("Couldn't move"), source);

    // Another file system: copy beside the destination, put the copy in place, then remove the source.
    // A failure before the copy is in place leaves the source as it was and no copy behind.
    const QByteArray target = native(destination);
    const int slash = target.lastIndexOf('/');
    const QByteArray staging =
        target.left(slash + 1) + '.' + target.mid(slash + 1) + ".move-" + randomSuffix();
    auto discard = [](const QByteArray& path) {
        try {
            removeTree(path);
        } catch (const PlatformError&) {
        }
    };
    try {
        copyTree(native(source), staging);
    } catch (...) {
        discard(staging);
        throw;
    }
    if (::lstat(target.constData(), &st) == 0) {
        discard(staging);
        throwErrno(QStringLiteral("Couldn't move to"), destination, EEXIST);
    }
    if (::rename(staging.constData(), target.constData()) != 0) {
        const int error = errno;
        discard(staging);
        throwErrno(QStringLiteral("Couldn't move"), source, error);
    }
    // A file that cannot be removed is still whole: take the copy back. A folder tree may already be
    // partly removed: the copy then keeps the data, and the error is still reported.
    if (::lstat(native(source).constData(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        if (::unlink(native(source).constData()) != 0) {
            const int error = errno;
            discard(target);
            throwErrno(QStringLiteral("Couldn't move"), source, error);
        }
        return;
    }
    removeTree(native(source));
}

FileAttributes LiveFileSystem::attributesOfItem(const QString& path) const {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        throwErrno(QStringLiteral("Couldn't read the attributes of"), path);
    FileAttributes attributes;
    attributes.size = static_cast<qint64>(st.st_size);
    attributes.posixPermissions = static_cast<int>(st.st_mode & 07777);
    attributes.modificationDate = QDateTime::fromSecsSinceEpoch(st.st_mtime);
    attributes.creationDate = QDateTime::fromSecsSinceEpoch(st.st_ctime);
    attributes.isDirectory = S_ISDIR(st.st_mode);
    attributes.isSymbolicLink = S_ISLNK(st.st_mode);
    attributes.isRegularFile = S_ISREG(st.st_mode);
    return attributes;
}

void LiveFileSystem::setAttributes(const FileAttributes& attributes, const QString& path) {
    if (attributes.posixPermissions &&
        ::chmod(native(path).constData(), static_cast<mode_t>(*attributes.posixPermissions)) != 0)
        throwErrno(QStringLiteral("Couldn't set the permissions of"), path);
}

QByteArray LiveFileSystem::readData(const QString& path) const {
    return readRegularFile(native(path), path);
}

QString LiveFileSystem::homeDirectory() const {
    return QDir::homePath();
}

QString LiveFileSystem::readString(const QString& path) const {
    const QByteArray bytes = readData(path);
    // A byte-order mark is kept as U+FEFF, so that the text written back has the same bytes.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) throwErrno(QStringLiteral("Couldn't read text from"), path, EILSEQ);
    return text;
}

void LiveFileSystem::writeAll(int fd, QByteArrayView data, const QString& path, const QString& what) {
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

void LiveFileSystem::writeString(const QString& text, const QString& path, bool atomically) {
    if (!text.isValidUtf16())
        throw PlatformError(QStringLiteral("Couldn't write “%1”: the text holds a character that isn't valid "
                                           "Unicode, which would be saved as a different one")
                                .arg(path),
                            EILSEQ);
    const QByteArray data = text.toUtf8();
    if (atomically) {
        atomicWrite(data, path);
        return;
    }
    const QString what = QStringLiteral("Couldn't write");
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throwNotRegular(what, path, st.st_mode);
    FileDescriptor fd(
        ::open(native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666));
    if (fd.get() < 0) throwErrno(what, path);
    if (::fstat(fd.get(), &st) != 0) throwErrno(what, path);
    if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    writeAll(fd.get(), data, path);
    if (::close(fd.release()) != 0) throwErrno(what, path);
}

void LiveFileSystem::writeData(const QByteArray& data, const QString& path) {
    atomicWrite(data, path);
}

void LiveFileSystem::writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) {
    atomicWrite(data, path, options);
}

QString LiveFileSystem::urlForDirectory(StandardDirectory which, bool create) {
    const QString path = QStandardPaths::writableLocation(which == StandardDirectory::applicationSupport
                                                              ? QStandardPaths::GenericDataLocation
                                                              : QStandardPaths::GenericCacheLocation);
    if (create) createDirectory(path, true);
    return path;
}

QString LiveFileSystem::temporaryDirectory() const {
    return QDir::tempPath();
}

void LiveFileSystem::atomicWrite(const QByteArray& data, const QString& path,
                                 const FileWriteOptions& options) {
    const QString what = QStringLiteral("Couldn't write");
    // The file to replace: the path itself, or (unless links are to be replaced) the end of the chain of
    // symbolic links that starts there, so that a link survives and the file it names gets the bytes,
    // created when it does not exist yet.
    const ItemToReplace item = itemToReplace(path, options.replaceLink);
    const QByteArray& target = item.path;
    struct stat st = item.st;
    const bool existed = item.exists && S_ISREG(st.st_mode);
    if (item.exists && !existed && !S_ISLNK(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    const int slash = target.lastIndexOf('/');
    const QByteArray folder =
        slash > 0 ? target.left(slash) : (slash == 0 ? QByteArray("/") : QByteArray("."));

    // The temporary file has its final permission bits before its first byte: those asked for, or the
    // replaced file's. A new file without asked-for bits gets the mode the kernel gives under the umask
    // (reading the umask with umask() would change it for every thread for a moment).
    std::optional<mode_t> mode;
    if (options.permissions)
        mode = static_cast<mode_t>(*options.permissions) & 07777;
    else if (existed)
        mode = st.st_mode & 07777;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = folder + "/." + target.mid(slash + 1) + ".tmp-" + randomSuffix();
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode ? 0600 : 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) throwErrno(what, path);
    }
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        throwErrno(what, path, error);
    };
    if (existed) {
        // The replaced file's owner and group, where this process may give them (only the super-user may
        // give a file away; a group the user belongs to is given alone), and its extended attributes.
        const auto notOurs = [](int error) { return error == EPERM || error == EINVAL; };
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            if (!notOurs(errno)) fail(errno);
            if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0 && !notOurs(errno)) fail(errno);
        }
        try {
            extendedAttributes::copy(target, fd, path);
        } catch (const PlatformError&) {
            ::close(fd);
            ::unlink(temporary.constData());
            throw;
        }
    }
    // The mode comes last: an access list among the attributes never grants more than it.
    if (mode && ::fchmod(fd, *mode) != 0) fail(errno);
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, static_cast<size_t>(data.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        written += n;
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throwErrno(what, path, error);
    }
    // The last moment before the rename: a file someone else saved since the caller read it is kept.
    if (options.onlyIfUnchanged) {
        bool same = false;
        try {
            const bool exists = ::lstat(target.constData(), &st) == 0;
            same = exists == options.onlyIfUnchanged->exists &&
                   (!exists || readRegularFile(target, path) == options.onlyIfUnchanged->bytes);
        } catch (const PlatformError&) {
        }
        if (!same) {
            ::unlink(temporary.constData());
            throw FileChangedError(
                QStringLiteral("“%1” was changed by someone else meanwhile — nothing was written").arg(path),
                EAGAIN);
        }
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throwErrno(what, path, error);
    }
}

std::unique_ptr<FileEditHold> LiveFileSystem::lockForEditing(const QString& path) {
    return lockForEditing(path, editLockFolder(temporaryDirectory()));
}

QString LiveFileSystem::editLockFolder(const QString& temporaryFolder) {
    return temporaryFolder + QStringLiteral("/com.pellinor.edit-locks.") + QString::number(::getuid());
}

std::unique_ptr<FileEditHold> LiveFileSystem::lockForEditing(const QString& path, const QString& lockFolder) {
    // The lock folder is this user's own: made private, and refused when it is anything else (another
    // user's, or a link to elsewhere).
    const QByteArray folder = native(lockFolder);
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        throwErrno(QStringLiteral("Couldn't make the lock folder"), lockFolder);
    struct stat st {};
    if (::lstat(folder.constData(), &st) != 0)
        throwErrno(QStringLiteral("Couldn't make the lock folder"), lockFolder);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        ((st.st_mode & 0077) != 0 && ::chmod(folder.constData(), 0700) != 0))
        throw PlatformError(QStringLiteral("Couldn't lock “%1”: “%2” is not a private folder of this user's")
                                .arg(path, lockFolder),
                            EPERM);
    const QByteArray lockPath =
        folder + '/' + QCryptographicHash::hash(canonicalItem(path), QCryptographicHash::Sha256).toHex() +
        ".lock";

    std::shared_ptr<EditLockEntry> entry;
    {
        EditLockRegistry& registry = editLocks();
        const std::lock_guard guard(registry.mutex);
        for (auto it = registry.entries.begin(); it != registry.entries.end();)
            it = it.value().expired() ? registry.entries.erase(it) : std::next(it);
        std::weak_ptr<EditLockEntry>& known = registry.entries[lockPath];
        entry = known.lock();
        if (!entry) known = entry = std::make_shared<EditLockEntry>();
    }
    entry->mutex.lock();
    if (entry->depth == 0) {
        try {
            entry->fd = takeLockFile(lockPath, path);
        } catch (...) {
            entry->mutex.unlock();
            throw;
        }
    }
    ++entry->depth;
    return std::make_unique<LiveFileEditHold>(std::move(entry));
}

} // namespace qlan
