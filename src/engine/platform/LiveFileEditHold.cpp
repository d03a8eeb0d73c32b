#include "platform/LiveFileEditHold.h"

#include "platform/AtomicFileWriter.h"
#include "platform/FileDescriptor.h"
#include "platform/PlatformError.h"

#include <QCryptographicHash>
#include <QHash>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
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

namespace qlan {

using fileio::native;
using fileio::throwErrno;

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

namespace {

struct EditLockRegistry {
    std::mutex mutex;
    QHash<QByteArray, std::weak_ptr<EditLockEntry>> entries; // by lock file; none outlives its holds
};

// Entered by every edit, on job threads that may still run while the process ends: never destroyed.
EditLockRegistry& editLocks() {
    static EditLockRegistry* const registry = new EditLockRegistry;
    return *registry;
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

} // namespace

LiveFileEditHold::LiveFileEditHold(std::shared_ptr<EditLockEntry> entry)
    : entry_(std::move(entry)) {}

LiveFileEditHold::~LiveFileEditHold() {
    const std::lock_guard lock(entry_->mutex);
    if (--entry_->depth > 0) return;
    // The file stays: removing it would send the programs that wait for it to the back of the line.
    ::close(std::exchange(entry_->fd, -1));
    entry_->owner.reset();
    entry_->changed.notify_all();
}

QString LiveFileEditHold::lockFolder(const QString& temporaryFolder) {
    return temporaryFolder + QStringLiteral("/com.pellinor.edit-locks.") + QString::number(::getuid());
}

QString LiveFileEditHold::lockFile(const QString& path, const QString& lockFolder) {
    return lockFolder + QLatin1Char('/') +
           QString::fromLatin1(
               QCryptographicHash::hash(AtomicFileWriter::replacedFile(path), QCryptographicHash::Sha256)
                   .toHex()) +
           QStringLiteral(".lock");
}

std::unique_ptr<FileEditHold> LiveFileEditHold::hold(const QString& path, const QString& lockFolder,
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
    const QByteArray lockPath = native(lockFile(path, lockFolder));

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

} // namespace qlan
