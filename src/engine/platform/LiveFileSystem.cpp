#include "platform/LiveFileSystem.h"

#include "platform/AtomicFileWriter.h"
#include "platform/ConfinedFolderWriter.h"
#include "platform/FileDescriptor.h"
#include "platform/LiveFileEditHold.h"
#include "platform/PlatformError.h"
#include "platform/UserTemporaryFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {

using fileio::native;
using fileio::randomSuffix;
using fileio::readRegularFile;
using fileio::throwErrno;
using fileio::throwNotRegular;

namespace {

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
        fileio::syncFolder(to);
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
        fileio::writeAll(out.get(), QByteArrayView(buffer.constData(), n), QFile::decodeName(to));
    }
    if (::fchmod(out.get(), mode) != 0 || fileio::syncToDisk(out.get()) != 0)
        throwErrno(QStringLiteral("Couldn't copy"), where);
    ::futimens(out.get(), times);
    if (::close(out.release()) != 0) throwErrno(QStringLiteral("Couldn't copy"), where);
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
    // The copy is on the disk in its place before the source goes: a power cut never loses both.
    fileio::syncFolder(fileio::folderOf(target));
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

void LiveFileSystem::writeString(const QString& text, const QString& path, bool atomically) {
    if (!text.isValidUtf16())
        throw PlatformError(QStringLiteral("Couldn't write “%1”: the text holds a character that isn't valid "
                                           "Unicode, which would be saved as a different one")
                                .arg(path),
                            EILSEQ);
    const QByteArray data = text.toUtf8();
    if (atomically) {
        AtomicFileWriter::write(data, path);
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
    fileio::writeAll(fd.get(), data, path);
    if (::close(fd.release()) != 0) throwErrno(what, path);
}

void LiveFileSystem::writeData(const QByteArray& data, const QString& path) {
    AtomicFileWriter::write(data, path);
}

void LiveFileSystem::writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) {
    AtomicFileWriter::write(data, path, options);
}

QString LiveFileSystem::urlForDirectory(StandardDirectory which, bool create) {
    const QString path = QStandardPaths::writableLocation(which == StandardDirectory::applicationSupport
                                                              ? QStandardPaths::GenericDataLocation
                                                              : QStandardPaths::GenericCacheLocation);
    if (create) createDirectory(path, true);
    return path;
}

QString LiveFileSystem::temporaryDirectory() const {
    return UserTemporaryFolder::path();
}

std::unique_ptr<FileEditHold> LiveFileSystem::lockForEditing(const QString& path, const EditLockWait& wait) {
    return LiveFileEditHold::hold(path, LiveFileEditHold::lockFolder(UserTemporaryFolder::path()), wait);
}

bool LiveFileSystem::createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) {
    return ConfinedFolderWriter::createDirectory(root, relative, keepExisting);
}

bool LiveFileSystem::writeFileBelow(const QByteArray& data, const QString& root, const QString& relative,
                                    int permissions, bool keepExisting) {
    return ConfinedFolderWriter::writeFile(data, root, relative, permissions, keepExisting);
}

} // namespace qlan
