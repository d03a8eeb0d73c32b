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

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <optional>
#include <stop_token>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
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

// Throws NotPermittedError (naming `path`) when this user may not write the file `file`.
void refuseUnlessWritable(const QByteArray& file, const QString& path) {
    if (::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) == 0) return;
    if (errno != EACCES && errno != EPERM) throwErrno(QStringLiteral("Couldn't write"), path);
    throw NotPermittedError(path, errno);
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

// The edit lock of one file in this program. Its edits take turns (`owner`, `depth`), and the one whose
// turn it is holds the lock file, which other programs wait on. While another program holds that, one
// thread of ours blocks in flock for it: the system lets the waiters in as soon as the lock comes free,
// where trying now and then would let a program that edits again at once keep it. That thread hands the
// lock to the edit that waits for it; when none waits any more (it gave up, or was stopped), it lets go
// of the lock and closes its descriptor as soon as it gets it. There is never more than one such thread
// per file: a later edit waits for the one that is there.
struct EditLockEntry {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<std::thread::id> owner; // the thread whose turn it is
    int depth = 0;                        // its holds
    int fd = -1;                          // the lock file, once held
    bool flockWaiting = false;            // a thread of ours blocks in flock for the lock file
    bool wanted = false;                  // the owner waits for that thread
    struct Handed {
        int fd = -1; // holding the lock, or -1 when flock failed
        int error = 0;
    };
    std::optional<Handed> handed; // what that thread got for the owner
};

struct EditLockRegistry {
    std::mutex mutex;
    QHash<QByteArray, std::weak_ptr<EditLockEntry>> entries; // by lock file; none outlives its holds
};

EditLockRegistry& editLocks() {
    static EditLockRegistry registry;
    return registry;
}

// Wakes the waits of an entry when a stop is requested (on the requesting thread: moments long).
struct WakeOnStop {
    EditLockEntry* entry;
    void operator()() const {
        { const std::lock_guard lock(entry->mutex); }
        entry->changed.notify_all();
    }
};

// True while `fd` is the file that `lockPath` names (not one a cleaner of the temporary folder removed
// or replaced meanwhile).
bool isLockFile(int fd, const QByteArray& lockPath) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(lockPath.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Starts the thread that blocks in flock for the open lock file `fd` (see EditLockEntry). When no thread
// can be made, `fd` is closed at once and PlatformError thrown. Called with the entry's mutex held.
void startFlockWaiter(const std::shared_ptr<EditLockEntry>& entry, int fd, const QString& shown) {
    try {
        std::thread([entry, fd] {
            int error = 0;
            do
                error = ::flock(fd, LOCK_EX) == 0 ? 0 : errno;
            while (error == EINTR);
            const std::lock_guard lock(entry->mutex);
            entry->flockWaiting = false;
            if (entry->wanted && error == 0) {
                entry->handed = EditLockEntry::Handed{fd, 0};
            } else {
                ::close(fd);
                if (entry->wanted) entry->handed = EditLockEntry::Handed{-1, error};
            }
            entry->changed.notify_all();
        }).detach();
    } catch (const std::system_error& error) {
        ::close(fd);
        const int code = error.code().value();
        throw PlatformError(QStringLiteral("Couldn't wait for “%1”, which another program is changing: %2")
                                .arg(shown, QString::fromLocal8Bit(std::strerror(code))),
                            code);
    }
    entry->flockWaiting = true;
}

// Makes the calling thread the holder of `entry`: its turn in this program, then the lock file at
// `lockPath`. One wait, as `wait` says, for both.
void holdEditLock(const std::shared_ptr<EditLockEntry>& entry, const QByteArray& lockPath,
                  const QString& shown, const EditLockWait& wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait.patience;
    // Made before the entry's mutex is taken: a stop requested already runs its callback at once. Gone
    // after the mutex is let go (declared first), as a callback running meanwhile takes it.
    std::list<std::stop_callback<WakeOnStop>> wakes;
    for (const std::stop_token& stop : wait.stops)
        wakes.emplace_back(stop, WakeOnStop{entry.get()});
    const auto stopped = [&] {
        return std::any_of(wait.stops.begin(), wait.stops.end(),
                           [](const std::stop_token& stop) { return stop.stop_requested(); });
    };
    const auto busy = [&] {
        const auto seconds = (wait.patience.count() + 999) / 1000;
        return FileBusyError(
            QStringLiteral("“%1” is being changed by another program, which hasn't finished in %2 "
                           "seconds — nothing was written")
                .arg(shown)
                .arg(seconds),
            EWOULDBLOCK);
    };

    std::unique_lock lock(entry->mutex);
    const std::thread::id self = std::this_thread::get_id();
    if (entry->owner == self) {
        ++entry->depth;
        return;
    }
    bool announced = false;
    const auto announce = [&] {
        if (announced) return;
        announced = true;
        if (!wait.onWaiting) return;
        lock.unlock();
        try {
            wait.onWaiting();
        } catch (...) {
            lock.lock();
            throw;
        }
        lock.lock();
    };

    // This program's edits of the file take turns; the one before may be waiting for another program.
    for (;;) {
        if (stopped()) throw EditStoppedError(shown);
        if (!entry->owner) break;
        if (entry->flockWaiting && !announced) {
            announce();
            continue;
        }
        if (entry->changed.wait_until(lock, deadline) == std::cv_status::timeout && entry->owner)
            throw busy();
    }
    entry->owner = self;
    entry->depth = 1;
    try {
        for (;;) {
            if (!entry->flockWaiting) {
                const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
                if (fd < 0) throwErrno(QStringLiteral("Couldn't lock"), shown);
                int error = 0;
                do
                    error = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
                while (error == EINTR);
                if (error == 0) {
                    if (isLockFile(fd, lockPath)) {
                        entry->fd = fd;
                        return;
                    }
                    ::close(fd);
                    continue;
                }
                if (error != EWOULDBLOCK) {
                    ::close(fd);
                    throwErrno(QStringLiteral("Couldn't lock"), shown, error);
                }
                startFlockWaiter(entry, fd, shown);
            }
            // Another program holds the file: one wait, for the thread that waits for it (wanted from
            // here on, so that it hands the lock over rather than letting go of it).
            entry->wanted = true;
            announce();
            entry->changed.wait_until(lock, deadline, [&] { return entry->handed || stopped(); });
            entry->wanted = false;
            if (!entry->handed) {
                if (stopped()) throw EditStoppedError(shown);
                throw busy();
            }
            const EditLockEntry::Handed handed = *std::exchange(entry->handed, std::nullopt);
            if (handed.fd < 0) throwErrno(QStringLiteral("Couldn't lock"), shown, handed.error);
            if (isLockFile(handed.fd, lockPath)) {
                entry->fd = handed.fd;
                return;
            }
            ::close(handed.fd);
        }
    } catch (...) {
        entry->wanted = false;
        if (entry->handed && entry->handed->fd >= 0) ::close(entry->handed->fd);
        entry->handed.reset();
        entry->owner.reset();
        entry->depth = 0;
        entry->changed.notify_all();
        throw;
    }
}

class LiveFileEditHold : public FileEditHold {
public:
    explicit LiveFileEditHold(std::shared_ptr<EditLockEntry> entry)
        : entry_(std::move(entry)) {}
    ~LiveFileEditHold() override {
        const std::lock_guard lock(entry_->mutex);
        if (--entry_->depth > 0) return;
        // The file stays: removing it would send the programs that wait for it to the back of the line.
        ::close(std::exchange(entry_->fd, -1));
        entry_->owner.reset();
        entry_->changed.notify_all();
    }

private:
    std::shared_ptr<EditLockEntry> entry_;
};

// A folder that exists, and is this user's own and closed to others (`privateToUser`) or one this user
// may write.
bool usableFolder(const QByteArray& path, bool privateToUser) {
    struct stat st {};
    if (!path.startsWith('/') || ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (privateToUser) return st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

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
    return userTemporaryFolder();
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
    // The user's permission on the file itself decides, not the folder's: a file this user may not write
    // is never replaced by one of the user's own.
    if (existed) refuseUnlessWritable(target, path);
    const int slash = target.lastIndexOf('/');
    const QByteArray folder =
        slash > 0 ? target.left(slash) : (slash == 0 ? QByteArray("/") : QByteArray("."));

    // The file whose owner, group, mode, access list and extended attributes the new one takes: the one
    // named for it (a backup's original, the end of its links), else the replaced file.
    std::optional<ItemToReplace> like;
    if (options.accessLike) {
        like = itemToReplace(*options.accessLike, false);
        if (!like->exists || !S_ISREG(like->st.st_mode)) like.reset();
        // A backup is made only of a file its edit may change: none is left beside a file that the
        // edit after it would refuse.
        if (like) refuseUnlessWritable(like->path, *options.accessLike);
    } else if (existed) {
        like = item;
    }

    // The temporary file has its final permission bits before its first byte: those asked for, or the
    // model's; private when a model was named but is no regular file. A new file without asked-for bits
    // gets the mode the kernel gives under the umask (reading the umask with umask() would change it for
    // every thread for a moment). Set-ID bits never come along.
    std::optional<mode_t> mode;
    if (options.permissions)
        mode = static_cast<mode_t>(*options.permissions) & 07777;
    else if (like)
        mode = like->st.st_mode & 07777;
    else if (options.accessLike)
        mode = 0600;
    if (mode) *mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
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
    if (like) {
        // The model's owner and group, where this process may give them (only the super-user may give a
        // file away; a group the user belongs to is given alone). A group it cannot keep gets no access
        // of the old one's: the writer's own group is not to gain it.
        const auto notOurs = [](int error) { return error == EPERM || error == EINVAL; };
        if (::fchown(fd, like->st.st_uid, like->st.st_gid) != 0) {
            if (!notOurs(errno)) fail(errno);
            if (::fchown(fd, static_cast<uid_t>(-1), like->st.st_gid) != 0 && !notOurs(errno)) fail(errno);
        }
        struct stat made {};
        if (::fstat(fd, &made) != 0) fail(errno);
        if (made.st_gid != like->st.st_gid) *mode &= ~static_cast<mode_t>(S_IRWXG);
        // Its extended attributes and access list; where the list cannot come along, the file is its
        // owner's alone, so no one the list kept out can read it.
        try {
            if (!extendedAttributes::copy(like->path, fd, path))
                *mode &= ~static_cast<mode_t>(S_IRWXG | S_IRWXO);
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

std::unique_ptr<FileEditHold> LiveFileSystem::lockForEditing(const QString& path, const EditLockWait& wait) {
    return lockForEditing(path, editLockFolder(userTemporaryFolder()), wait);
}

QString LiveFileSystem::userTemporaryFolder() {
    const QByteArray temporary = qgetenv("TMPDIR");
    if (usableFolder(temporary, false)) return QDir::cleanPath(QFile::decodeName(temporary));
#ifdef __APPLE__
    char folder[PATH_MAX];
    const size_t size = ::confstr(_CS_DARWIN_USER_TEMP_DIR, folder, sizeof folder);
    if (size > 0 && size <= sizeof folder && usableFolder(QByteArray(folder), false))
        return QDir::cleanPath(QFile::decodeName(folder));
#else
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (usableFolder(runtime, true)) return QDir::cleanPath(QFile::decodeName(runtime));
#endif
    return QStringLiteral("/tmp");
}

QString LiveFileSystem::editLockFolder(const QString& temporaryFolder) {
    return temporaryFolder + QStringLiteral("/com.pellinor.edit-locks.") + QString::number(::getuid());
}

QString LiveFileSystem::editLockFile(const QString& path, const QString& lockFolder) {
    return lockFolder + QLatin1Char('/') +
           QString::fromLatin1(
               QCryptographicHash::hash(canonicalItem(path), QCryptographicHash::Sha256).toHex()) +
           QStringLiteral(".lock");
}

std::unique_ptr<FileEditHold> LiveFileSystem::lockForEditing(const QString& path, const QString& lockFolder,
                                                             const EditLockWait& wait) {
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
    const QByteArray lockPath = native(editLockFile(path, lockFolder));

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
    holdEditLock(entry, lockPath, path, wait);
    return std::make_unique<LiveFileEditHold>(std::move(entry));
}

namespace {

// The names of `relative`, a path below `root`: plain entry names only, so that the walk never leaves the
// folder (no empty, "." or ".." part, not absolute).
QStringList namesBelow(const QString& root, const QString& relative, const QString& what) {
    const QStringList names = relative.split(QLatin1Char('/'));
    for (const QString& name : names)
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            throw PlatformError(
                QStringLiteral("%1 “%2”: the path does not lie below “%3”").arg(what, relative, root),
                EINVAL);
    return names;
}

QString joinedPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

[[noreturn]] void throwLinkInTheWay(const QString& what, const QString& path) {
    throw PlatformError(
        QStringLiteral(
            "%1 “%2”: it is a symbolic link, which is never followed inside the folder being filled")
            .arg(what, path),
        ELOOP);
}

// Refuses the item `name` of the open folder `folder` after a failed open or rename with `error`: a
// link by what it is, anything else with the system's reason.
[[noreturn]] void throwRefused(int folder, const QByteArray& name, const QString& what, const QString& path,
                               int error) {
    struct stat st {};
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        throwLinkInTheWay(what, path);
    throwErrno(what, path, error);
}

// Opens the folder `root` (links followed: the caller chose it), then each of `names` in the folder
// before it without following a link, made first when missing and `create` is set. Returns the last
// folder's descriptor.
int openFolderBelow(const QString& root, const QStringList& names, bool create, const QString& what) {
    int fd = ::open(native(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throwErrno(what, root);
    QString path = root;
    for (const QString& name : names) {
        const FileDescriptor folder(fd);
        const QByteArray entry = native(name);
        path = joinedPath(path, name);
        constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        fd = ::openat(folder.get(), entry.constData(), flags);
        if (fd < 0 && errno == ENOENT && create) {
            if (::mkdirat(folder.get(), entry.constData(), 0777) != 0 && errno != EEXIST)
                throwErrno(what, path);
            fd = ::openat(folder.get(), entry.constData(), flags); // made by someone else meanwhile is fine
        }
        if (fd < 0) throwRefused(folder.get(), entry, what, path, errno);
    }
    return fd;
}

// Renames `from` to `to` in one folder unless something is at `to`, where the file system can tell
// (EEXIST); 1 when it cannot, so that the caller renames plainly.
int renameWithoutReplacing(int folder, const QByteArray& from, const QByteArray& to) {
#ifdef __APPLE__
    if (::renameatx_np(folder, from.constData(), folder, to.constData(), RENAME_EXCL) == 0) return 0;
#else
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0) return 0;
#endif
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP || errno == EOPNOTSUPP ? 1 : -1;
}

} // namespace

void LiveFileSystem::createDirectoryBelow(const QString& root, const QString& relative) {
    const QString what = QStringLiteral("Couldn't create the folder");
    const FileDescriptor folder(openFolderBelow(root, namesBelow(root, relative, what), true, what));
}

bool LiveFileSystem::writeFileBelow(const QByteArray& data, const QString& root, const QString& relative,
                                    int permissions, bool keepExisting) {
    const QString what = QStringLiteral("Couldn't write");
    QStringList names = namesBelow(root, relative, what);
    const QString path = joinedPath(root, relative);
    const QByteArray name = native(names.takeLast());
    const FileDescriptor folder(openFolderBelow(root, names, false, what));

    // What is at the path now: a link is refused, anything else is taken.
    struct stat st {};
    const auto taken = [&] {
        if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) throwErrno(what, path);
            return false;
        }
        if (S_ISLNK(st.st_mode)) throwLinkInTheWay(what, path);
        return true;
    };
    if (taken()) {
        if (keepExisting) return false;
        if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = '.' + name + ".tmp-" + randomSuffix();
        fd = ::openat(folder.get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) throwErrno(what, path);
    }
    const auto discard = [&] { ::unlinkat(folder.get(), temporary.constData(), 0); };
    try {
        FileDescriptor file(fd);
        if (::fchmod(file.get(), static_cast<mode_t>(permissions) & 07777) != 0) throwErrno(what, path);
        writeAll(file.get(), data, path);
        if (::fsync(file.get()) != 0 || ::close(file.release()) != 0) throwErrno(what, path);
    } catch (...) {
        discard();
        throw;
    }
    if (keepExisting) {
        const int placed = renameWithoutReplacing(folder.get(), temporary, name);
        if (placed == 0) return true;
        if (placed < 0) {
            const int error = errno;
            discard();
            if (error != EEXIST) throwErrno(what, path, error);
            taken(); // came meanwhile: it stays, unless it is a link
            return false;
        }
    }
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0) {
        const int error = errno;
        discard();
        throwRefused(folder.get(), name, what, path, error);
    }
    return true;
}

} // namespace qlan
