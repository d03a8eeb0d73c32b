#include "platform/ConfinedFolderWriter.h"

#include "platform/FileDescriptor.h"
#include "platform/FolderTemporaryFile.h"
#include "platform/PlatformError.h"

#include <QStringList>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {

using fileio::native;
using fileio::throwErrno;
using fileio::throwNotRegular;

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

bool isLink(int folder, const QByteArray& name) {
    struct stat st {};
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Refuses the item `name` of the open folder `folder` after a failed open or rename with `error`: a
// link by what it is, anything else with the system's reason.
[[noreturn]] void throwRefused(int folder, const QByteArray& name, const QString& what, const QString& path,
                               int error) {
    if (isLink(folder, name)) throwLinkInTheWay(what, path);
    throwErrno(what, path, error);
}

// Opens the folder `name` of the open folder `folder` without following a link, made first when missing
// and `create` is set; `path` names it in errors. Returns its descriptor.
int openFolderIn(int folder, const QString& name, const QString& path, bool create, const QString& what) {
    const QByteArray entry = native(name);
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(folder, entry.constData(), flags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(folder, entry.constData(), 0777) != 0 && errno != EEXIST) throwErrno(what, path);
        fd = ::openat(folder, entry.constData(), flags); // made by someone else meanwhile is fine
    }
    if (fd < 0) throwRefused(folder, entry, what, path, errno);
    return fd;
}

// Opens the folder `root` (links followed: the caller chose it), then each of `names` in the folder
// before it (openFolderIn). Returns the last folder's descriptor.
int openFolderBelow(const QString& root, const QStringList& names, bool create, const QString& what) {
    int fd = ::open(native(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throwErrno(what, root);
    QString path = root;
    for (const QString& name : names) {
        const FileDescriptor folder(fd);
        path = joinedPath(path, name);
        fd = openFolderIn(folder.get(), name, path, create, what);
    }
    return fd;
}

} // namespace

bool ConfinedFolderWriter::createDirectory(const QString& root, const QString& relative, bool keepExisting) {
    const QString what = QStringLiteral("Couldn't create the folder");
    QStringList names = namesBelow(root, relative, what);
    const QString name = names.takeLast();
    const FileDescriptor parent(openFolderBelow(root, names, true, what));
    if (keepExisting && isLink(parent.get(), native(name))) return false; // never entered
    const FileDescriptor folder(openFolderIn(parent.get(), name, joinedPath(root, relative), true, what));
    return true;
}

bool ConfinedFolderWriter::writeFile(const QByteArray& data, const QString& root, const QString& relative,
                                     int permissions, bool keepExisting) {
    const QString what = QStringLiteral("Couldn't write");
    QStringList names = namesBelow(root, relative, what);
    const QString path = joinedPath(root, relative);
    const QByteArray name = native(names.takeLast());
    const FileDescriptor folder(openFolderBelow(root, names, false, what));

    // What is at the path now. At the first look anything there, a link included, is an item that was
    // there: kept with `keepExisting`, else replaced when it is a regular file.
    struct stat st {};
    const auto taken = [&] {
        if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) return true;
        if (errno != ENOENT) throwErrno(what, path);
        return false;
    };
    if (taken()) {
        if (keepExisting) return false;
        if (S_ISLNK(st.st_mode)) throwLinkInTheWay(what, path);
        if (!S_ISREG(st.st_mode)) throwNotRegular(what, path, st.st_mode);
    }

    // Removed unless it takes its place, its access list first (one it took from the folder too).
    FolderTemporaryFile temporary(folder.get(), '.' + name, 0600, what, path);
    if (::fchmod(temporary.fd(), static_cast<mode_t>(permissions) & 07777) != 0) throwErrno(what, path);
    fileio::writeAll(temporary.fd(), data, path);
    if (fileio::syncToDisk(temporary.fd()) != 0) throwErrno(what, path);
    if (keepExisting) {
        const int renamed = temporary.placeWithoutReplacing(name);
        if (renamed == 0) return true;
        if (renamed < 0) {
            if (errno != EEXIST) throwErrno(what, path);
            // Came meanwhile: it stays, unless it is a link, which was planted in the copy's way.
            if (taken() && S_ISLNK(st.st_mode)) throwLinkInTheWay(what, path);
            return false;
        }
    }
    if (!temporary.replace(name)) throwRefused(folder.get(), name, what, path, errno);
    return true;
}

} // namespace qlan
