#include "platform/LiveFileSystem.h"

#include "platform/PlatformError.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {
namespace {

[[noreturn]] void throwErrno(const QString& what, const QString& path, int error = errno) {
    throw PlatformError(QStringLiteral("%1 “%2”: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))),
                        error);
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

void removeTree(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
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
        if (::rmdir(path.constData()) != 0) throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
    } else if (::unlink(path.constData()) != 0) {
        throwErrno(QStringLiteral("Couldn't remove"), QFile::decodeName(path));
    }
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
        if (::mkdir(native(path).constData(), 0777) != 0) throwErrno(QStringLiteral("Couldn't create the folder"), path);
        return;
    }
    bool isDir = false;
    if (fileExists(path, &isDir)) {
        if (isDir) return;
        throwErrno(QStringLiteral("Couldn't create the folder"), path, EEXIST);
    }
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path) createDirectory(parent, true);
    if (::mkdir(native(path).constData(), 0777) != 0 && errno != EEXIST)
        throwErrno(QStringLiteral("Couldn't create the folder"), path);
}

void LiveFileSystem::removeItem(const QString& path) { removeTree(native(path)); }

void LiveFileSystem::moveItem(const QString& source, const QString& destination) {
    struct stat st {};
    if (::lstat(native(destination).constData(), &st) == 0)
        throwErrno(QStringLiteral("Couldn't move to"), destination, EEXIST);
    if (::rename(native(source).constData(), native(destination).constData()) != 0)
        throwErrno(QStringLiteral("Couldn't move"), source);
}

FileAttributes LiveFileSystem::attributesOfItem(const QString& path) const {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0) throwErrno(QStringLiteral("Couldn't read the attributes of"), path);
    FileAttributes attributes;
    attributes.size = static_cast<qint64>(st.st_size);
    attributes.posixPermissions = static_cast<int>(st.st_mode & 07777);
    attributes.modificationDate = QDateTime::fromSecsSinceEpoch(st.st_mtime);
    attributes.creationDate = QDateTime::fromSecsSinceEpoch(st.st_ctime);
    attributes.isDirectory = S_ISDIR(st.st_mode);
    attributes.isSymbolicLink = S_ISLNK(st.st_mode);
    return attributes;
}

void LiveFileSystem::setAttributes(const FileAttributes& attributes, const QString& path) {
    if (attributes.posixPermissions &&
        ::chmod(native(path).constData(), static_cast<mode_t>(*attributes.posixPermissions)) != 0)
        throwErrno(QStringLiteral("Couldn't set the permissions of"), path);
}

QByteArray LiveFileSystem::readData(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno ? errno : ENOENT;
        throwErrno(QStringLiteral("Couldn't read"), path, error);
    }
    return file.readAll();
}

QString LiveFileSystem::homeDirectory() const { return QDir::homePath(); }

QString LiveFileSystem::readString(const QString& path) const {
    const QByteArray bytes = readData(path);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) throwErrno(QStringLiteral("Couldn't read text from"), path, EILSEQ);
    return text;
}

void LiveFileSystem::writeString(const QString& text, const QString& path, bool atomically) {
    const QByteArray data = text.toUtf8();
    if (atomically) {
        atomicWrite(data, path);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        throwErrno(QStringLiteral("Couldn't write"), path, errno ? errno : EIO);
}

void LiveFileSystem::writeData(const QByteArray& data, const QString& path) { atomicWrite(data, path); }

QString LiveFileSystem::urlForDirectory(StandardDirectory which, bool create) {
    const QString path = QStandardPaths::writableLocation(which == StandardDirectory::applicationSupport
                                                              ? QStandardPaths::GenericDataLocation
                                                              : QStandardPaths::GenericCacheLocation);
    if (create) createDirectory(path, true);
    return path;
}

QString LiveFileSystem::temporaryDirectory() const { return QDir::tempPath(); }

void LiveFileSystem::atomicWrite(const QByteArray& data, const QString& path) {
    // Follow a symbolic link so that the link survives and its target gets the new contents.
    QByteArray target = native(path);
    mode_t mode = 0;
    bool existed = false;
    if (char* resolved = ::realpath(target.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
        struct stat st {};
        if (::stat(target.constData(), &st) == 0) {
            existed = true;
            mode = st.st_mode & 07777;
        }
    }
    const int slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : (slash == 0 ? QByteArray("/") : QByteArray("."));
    QByteArray pattern = folder + "/." + target.mid(slash + 1) + ".tmp-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) throwErrno(QStringLiteral("Couldn't write"), path);
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(pattern.constData());
        throwErrno(QStringLiteral("Couldn't write"), path, error);
    };
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, static_cast<size_t>(data.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        written += n;
    }
    if (!existed) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(pattern.constData());
        throwErrno(QStringLiteral("Couldn't write"), path, error);
    }
    if (::rename(pattern.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(pattern.constData());
        throwErrno(QStringLiteral("Couldn't write"), path, error);
    }
}

} // namespace qlan
