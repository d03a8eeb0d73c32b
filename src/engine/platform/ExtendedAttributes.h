#pragma once
// The extended attributes of files, read and written the same way on a Mac (Finder tags and comments,
// quarantine flags, resource forks) and on Linux ("user." attributes, access control lists, security
// labels). The access list of a file goes with its attributes: on Linux it is one of them
// ("system.posix_acl_access"); on a Mac it is read and set with the acl functions. Paths are native
// (QFile::encodeName); a symbolic link is never followed.

#include <QByteArray>
#include <QList>

#include <optional>

namespace qlan::extendedAttributes {

// The names of the attributes of the item at `path`; none where its file system keeps no attributes.
// Throws PlatformError.
QList<QByteArray> names(const QByteArray& path);

// The value of one attribute; none when the item does not have it (any more). Throws PlatformError.
std::optional<QByteArray> value(const QByteArray& path, const QByteArray& name);

// Sets one attribute of the item at `path`, or of an open file. Throw PlatformError (its code the errno).
void set(const QByteArray& path, const QByteArray& name, const QByteArray& value);
void set(int fd, const QByteArray& name, const QByteArray& value);

// Gives the open file `fd` the attributes and the access list of the item at `from`. An attribute that
// this process may not set (one the system keeps for itself or for a privilege the process lacks) is
// left out; any other failure throws PlatformError, naming `shown`. Returns false when `from` has an
// access list that `fd` could not be given (its file system keeps none, or this process may not set
// it): the caller then keeps the copy to its owner.
bool copy(const QByteArray& from, int fd, const QString& shown);
// The same from the open file `from`.
bool copy(int from, int fd, const QString& shown);

// Takes the access list off the open file `fd` (its owner may always do that) before the engine removes a
// temporary file of its own: a Mac checks a file's own list when it is removed, and a list copied from a
// file that denies `delete` would keep the temporary in place for good. Linux's lists never govern
// removal (the folder's permissions do), so there it leaves the file as it is. Fails silently: the
// removal that follows says what went wrong.
void clearAccessList(int fd);

} // namespace qlan::extendedAttributes
