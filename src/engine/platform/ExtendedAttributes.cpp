#include "platform/ExtendedAttributes.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/types.h>
#include <sys/xattr.h>
#ifdef __APPLE__
#include <sys/acl.h>
#endif

namespace qlan::extendedAttributes {
namespace {

// The error of a missing attribute: ENOATTR on a Mac, ENODATA on Linux.
#ifdef ENOATTR
constexpr int noAttribute = ENOATTR;
#else
constexpr int noAttribute = ENODATA;
#endif

// The calls, which take an extra position and options argument on a Mac.
ssize_t listNames(const char* path, char* buffer, size_t size) {
#ifdef __APPLE__
    return ::listxattr(path, buffer, size, XATTR_NOFOLLOW);
#else
    return ::llistxattr(path, buffer, size);
#endif
}

ssize_t listNames(int fd, char* buffer, size_t size) {
#ifdef __APPLE__
    return ::flistxattr(fd, buffer, size, 0);
#else
    return ::flistxattr(fd, buffer, size);
#endif
}

ssize_t readValue(const char* path, const char* name, void* buffer, size_t size) {
#ifdef __APPLE__
    return ::getxattr(path, name, buffer, size, 0, XATTR_NOFOLLOW);
#else
    return ::lgetxattr(path, name, buffer, size);
#endif
}

ssize_t readValue(int fd, const char* name, void* buffer, size_t size) {
#ifdef __APPLE__
    return ::fgetxattr(fd, name, buffer, size, 0, 0);
#else
    return ::fgetxattr(fd, name, buffer, size);
#endif
}

int writeValue(const char* path, const char* name, const void* value, size_t size) {
#ifdef __APPLE__
    return ::setxattr(path, name, value, size, 0, XATTR_NOFOLLOW);
#else
    return ::lsetxattr(path, name, value, size, 0);
#endif
}

int writeValue(int fd, const char* name, const void* value, size_t size) {
#ifdef __APPLE__
    return ::fsetxattr(fd, name, value, size, 0, 0);
#else
    return ::fsetxattr(fd, name, value, size, 0);
#endif
}

[[noreturn]] void fail(const QString& what, const QString& path, int error) {
    throw PlatformError(
        QStringLiteral("%1 “%2”: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))), error);
}

// Reads what `call` fills in: asks for the size first, and again when it grew meanwhile. None when
// `call` reports `absent`; a failure names `shown`.
template <typename Call> std::optional<QByteArray> readSized(Call call, int absent, const QString& shown) {
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0) {
            if (errno == absent) return std::nullopt;
            fail(QStringLiteral("Couldn't read the extended attributes of"), shown, errno);
        }
        QByteArray buffer(size, '\0');
        const ssize_t n = call(buffer.data(), static_cast<size_t>(buffer.size()));
        if (n >= 0) return buffer.left(n);
        if (errno == ERANGE) continue;
        if (errno == absent) return std::nullopt;
        fail(QStringLiteral("Couldn't read the extended attributes of"), shown, errno);
    }
}

// The names of the attributes of an item, by its path or open (`from`), as names() reads them.
template <typename From> QList<QByteArray> namesOf(From from, const QString& shown) {
    const std::optional<QByteArray> list =
        readSized([&](char* buffer, size_t size) { return listNames(from, buffer, size); }, ENOTSUP, shown);
    QList<QByteArray> result;
    if (!list) return result;
    for (const QByteArray& name : list->split('\0'))
        if (!name.isEmpty()) result.append(name);
    return result;
}

template <typename From>
std::optional<QByteArray> valueOf(From from, const QByteArray& name, const QString& shown) {
    return readSized(
        [&](char* buffer, size_t size) { return readValue(from, name.constData(), buffer, size); },
        noAttribute, shown);
}

// Set-errors that mean "not for this process to set" rather than a failed write.
bool notOursToSet(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP || error == EOPNOTSUPP;
}

// The attributes that hold an access list.
bool isAccessList(const QByteArray& name) {
    return name == "system.posix_acl_access" || name == "system.nfs4_acl";
}

#ifdef __APPLE__
// A Mac keeps access lists apart from the attributes. True when `from` has none or `fd` took it.
acl_t accessListOf(const char* path) {
    return ::acl_get_link_np(path, ACL_TYPE_EXTENDED);
}

acl_t accessListOf(int fd) {
    return ::acl_get_fd_np(fd, ACL_TYPE_EXTENDED);
}

template <typename From> bool copyAccessList(From from, int fd) {
    acl_t list = accessListOf(from);
    if (!list) return errno == ENOENT;
    const bool kept = ::acl_set_fd_np(fd, list, ACL_TYPE_EXTENDED) == 0;
    ::acl_free(list);
    return kept;
}
#endif

// copy() from an item by its path or open (`from`), named `source` where it cannot be read.
template <typename From> bool copyFrom(From from, const QString& source, int fd, const QString& shown) {
    bool accessListKept = true;
    for (const QByteArray& name : namesOf(from, source)) {
        const std::optional<QByteArray> attribute = valueOf(from, name, source);
        if (!attribute) continue; // removed meanwhile
        if (writeValue(fd, name.constData(), attribute->constData(),
                       static_cast<size_t>(attribute->size())) == 0)
            continue;
        if (notOursToSet(errno)) {
            accessListKept = accessListKept && !isAccessList(name);
            continue;
        }
        fail(QStringLiteral("Couldn't keep the extended attribute %1 of").arg(QString::fromUtf8(name)), shown,
             errno);
    }
#ifdef __APPLE__
    accessListKept = copyAccessList(from, fd) && accessListKept;
#endif
    return accessListKept;
}

} // namespace

QList<QByteArray> names(const QByteArray& path) {
    return namesOf(path.constData(), QFile::decodeName(path));
}

std::optional<QByteArray> value(const QByteArray& path, const QByteArray& name) {
    return valueOf(path.constData(), name, QFile::decodeName(path));
}

void set(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    if (writeValue(path.constData(), name.constData(), value.constData(),
                   static_cast<size_t>(value.size())) != 0)
        fail(QStringLiteral("Couldn't set the extended attribute %1 of").arg(QString::fromUtf8(name)),
             QFile::decodeName(path), errno);
}

void set(int fd, const QByteArray& name, const QByteArray& value) {
    if (writeValue(fd, name.constData(), value.constData(), static_cast<size_t>(value.size())) != 0)
        fail(QStringLiteral("Couldn't set the extended attribute"), QString::fromUtf8(name), errno);
}

bool copy(const QByteArray& from, int fd, const QString& shown) {
    return copyFrom(from.constData(), QFile::decodeName(from), fd, shown);
}

bool copy(int from, int fd, const QString& shown) {
    return copyFrom(from, shown, fd, shown);
}

void clearAccessList(int fd) {
#if defined(__APPLE__)
    acl_t empty = ::acl_init(0);
    if (!empty) return;
    ::acl_set_fd_np(fd, empty, ACL_TYPE_EXTENDED);
    ::acl_free(empty);
#else
    (void)fd;
#endif
}

} // namespace qlan::extendedAttributes
