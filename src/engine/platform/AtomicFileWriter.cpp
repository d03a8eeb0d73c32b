#include "platform/AtomicFileWriter.h"

#include "platform/ExtendedAttributes.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderTemporaryFile.h"
#include "platform/PlatformError.h"

#include <QDir>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {

using fileio::native;
using fileio::readRegularFile;
using fileio::throwErrno;
using fileio::throwNotRegular;

namespace {

// True when the system keeps the file `file` of the folder `folder` (AT_FDCWD: `file` is a path; `st` its
// status) as it is: immutable or append-only, so that not even its owner may replace it.
bool keptAsItIs(int folder, const QByteArray& file, const struct stat& st) {
#if defined(__linux__)
    (void)st;
    struct statx status {};
    return ::statx(folder, file.constData(), AT_SYMLINK_NOFOLLOW, 0, &status) == 0 &&
           (status.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND)) != 0;
#elif defined(__APPLE__)
    (void)folder;
    (void)file;
    return (st.st_flags & (UF_IMMUTABLE | UF_APPEND | SF_IMMUTABLE | SF_APPEND)) != 0;
#else
    (void)folder;
    (void)file;
    (void)st;
    return false;
#endif
}

// Throws NotPermittedError (naming `path`) when the regular file `file` of the folder `folder` (`st` its
// status) is not to be replaced by a file of this process's making, nor copied into a backup for such an
// edit: it is another user's, whose owner only the super-user could give the new file, or the system keeps
// it as it is. Its permission bits do not decide: a read-only file of the user's own is replaced with its
// mode kept, as its owner may change that mode anyway.
void refuseUnlessReplaceable(int folder, const QByteArray& file, const struct stat& st, const QString& path) {
    const bool ownerKept = st.st_uid == ::geteuid() || ::geteuid() == 0;
    if (!ownerKept || keptAsItIs(folder, file, st)) throw NotPermittedError(path, EPERM);
}

// Opens the folder at `folder` (links on the way followed) for the writer's calls in it. A folder this
// user may write to and search but not list is opened for those calls alone where the system can (its
// entries are then not synced).
int openFolder(const QByteArray& folder, const QString& what, const QString& path) {
    int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#if defined(__linux__)
    if (fd < 0 && errno == EACCES) fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#elif defined(__APPLE__) && defined(O_SEARCH)
    if (fd < 0 && errno == EACCES) fd = ::open(folder.constData(), O_SEARCH | O_CLOEXEC);
#endif
    if (fd < 0) throwErrno(what, path);
    return fd;
}

// How often an item that stopped being a link between a look at it and the read of the link is looked at
// again before the write fails.
constexpr int kMostLooksAgain = 8;

// The path a symbolic link names, resolved against the link's folder when relative; nothing when the link
// is no link any more (another program replaced it since it was looked at).
std::optional<QByteArray> linkTarget(const QByteArray& link, const QString& path) {
    if (const auto hook = AtomicFileWriter::beforeLinkIsRead.load()) hook(link);
    QByteArray target(PATH_MAX + 1, '\0');
    const ssize_t n = ::readlink(link.constData(), target.data(), static_cast<size_t>(target.size()));
    if (n < 0 && errno == EINVAL) return std::nullopt;
    if (n < 0 || n >= target.size())
        throwErrno(QStringLiteral("Couldn't write"), path, n < 0 ? errno : ENAMETOOLONG);
    target.truncate(n);
    if (target.startsWith('/')) return target;
    const int slash = link.lastIndexOf('/');
    return (slash >= 0 ? link.left(slash + 1) : QByteArray()) + target;
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
    for (int hops = 0, looksAgain = 0;;) {
        if (::lstat(item.path.constData(), &item.st) != 0) {
            if (errno != ENOENT) throwErrno(QStringLiteral("Couldn't write"), path);
            return item;
        }
        item.exists = true;
        if (!S_ISLNK(item.st.st_mode) || replaceLink) return item;
        if (hops >= 40) throwErrno(QStringLiteral("Couldn't write"), path, ELOOP);
        if (const std::optional<QByteArray> target = linkTarget(item.path, path)) {
            item.path = *target;
            item.exists = false;
            ++hops;
        } else if (++looksAgain > kMostLooksAgain) {
            throwErrno(QStringLiteral("Couldn't write"), path, EINVAL);
        }
    }
}

} // namespace

QByteArray AtomicFileWriter::replacedFile(const QString& path) {
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

void AtomicFileWriter::write(const QByteArray& data, const QString& path, const FileWriteOptions& options) {
    const QString what = QStringLiteral("Couldn't write");
    // The file to replace: the path itself, or (unless links are to be replaced) the end of the chain of
    // symbolic links that starts there, so that a link survives and the file it names gets the bytes,
    // created when it does not exist yet. Its folder is opened once: the file is looked at, made, renamed
    // and removed in that folder alone, even if it is moved or a link to it retargeted meanwhile.
    const QByteArray target = itemToReplace(path, options.replaceLink).path;
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    const FileDescriptor folder(openFolder(fileio::folderOf(target), what, path));
    ItemToReplace item{target};
    if (::fstatat(folder.get(), name.constData(), &item.st, AT_SYMLINK_NOFOLLOW) == 0)
        item.exists = true;
    else if (errno != ENOENT)
        throwErrno(what, path);
    struct stat& st = item.st;
    const bool existed = item.exists && S_ISREG(st.st_mode);
    if (item.exists && !existed && !S_ISLNK(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    // The file itself decides, not the folder: another user's file is never replaced by one of this
    // user's own.
    if (existed) refuseUnlessReplaceable(folder.get(), name, st, path);

    // The file whose owner, group, mode, access list and extended attributes the new one takes: the one
    // named for it (a backup's original, the end of its links), else the replaced file.
    std::optional<ItemToReplace> like;
    if (options.accessLike) {
        like = itemToReplace(*options.accessLike, false);
        if (!like->exists || !S_ISREG(like->st.st_mode)) like.reset();
        // A backup is made only of a file its edit may change: none is left beside a file that the
        // edit after it would refuse.
        if (like) refuseUnlessReplaceable(AT_FDCWD, like->path, like->st, *options.accessLike);
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
    // Removed unless it takes its place, the access list it took through it first (a list copied from a
    // file that denies `delete` would keep a Mac from removing it). Its bytes are on the disk before the
    // rename, so its close has nothing left to report.
    FolderTemporaryFile temporary(folder.get(), '.' + name, mode ? 0600 : 0666, what, path);
    const int fd = temporary.fd();
    if (like) {
        // The model's owner and group: the owner is this user's (or the super-user gives it), a group the
        // user belongs to is given alone. A group it cannot keep gets no access of the old one's: the
        // writer's own group is not to gain it.
        const auto notOurs = [](int error) { return error == EPERM || error == EINVAL; };
        if (::fchown(fd, like->st.st_uid, like->st.st_gid) != 0) {
            if (!notOurs(errno)) throwErrno(what, path);
            if (::fchown(fd, static_cast<uid_t>(-1), like->st.st_gid) != 0 && !notOurs(errno))
                throwErrno(what, path);
        }
        struct stat made {};
        if (::fstat(fd, &made) != 0) throwErrno(what, path);
        if (made.st_uid != like->st.st_uid) // not the super-user after all (a user namespace)
            throw NotPermittedError(options.accessLike ? *options.accessLike : path, EPERM);
        if (made.st_gid != like->st.st_gid) *mode &= ~static_cast<mode_t>(S_IRWXG);
        // Its extended attributes and access list, the replaced file's read in the folder opened (by its
        // path only where this user may not open it); where the list cannot come along, the file is its
        // owner's alone, so no one the list kept out can read it.
        const FileDescriptor model(
            options.accessLike
                ? -1
                : ::openat(folder.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        const bool listKept = model.get() >= 0 ? extendedAttributes::copy(model.get(), fd, path)
                                               : extendedAttributes::copy(like->path, fd, path);
        if (!listKept) *mode &= ~static_cast<mode_t>(S_IRWXG | S_IRWXO);
    }
    // The mode comes last: an access list among the attributes never grants more than it.
    if (mode && ::fchmod(fd, *mode) != 0) throwErrno(what, path);
    fileio::writeAll(fd, data, path, what);
    // A sync that fails leaves the old file in place: nothing is renamed over it.
    if (fileio::syncToDisk(fd) != 0) throwErrno(what, path);
    // The last moment before the rename: a file someone else saved since the caller read it is kept.
    if (options.onlyIfUnchanged) {
        bool same = false;
        try {
            const bool exists = ::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            same = exists == options.onlyIfUnchanged->exists &&
                   (!exists ||
                    fileio::readRegularFile(folder.get(), name, path) == options.onlyIfUnchanged->bytes);
        } catch (const PlatformError&) {
        }
        if (!same)
            throw FileChangedError(
                QStringLiteral("“%1” was changed by someone else meanwhile — nothing was written").arg(path),
                EAGAIN);
    }
    // The list goes along through the rename: the file never stands in its place without it. A Mac checks
    // the list of the file replaced, so one that denies `delete` fails the rename here. Once in place, the
    // rename is on the disk too before the write reports success: a power cut after it finds the new
    // file, and a backup is there before the edit that it keeps the old text for.
    if (!temporary.replace(name)) throwErrno(what, path);
}

} // namespace qlan
