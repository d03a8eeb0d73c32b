#include "platform/UserTemporaryFolder.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {
namespace {

// A folder that exists and this user may write, and with `privateToUser` also this user's own and closed
// to others.
bool usableFolder(const QByteArray& path, bool privateToUser) {
    struct stat st {};
    if (!path.startsWith('/') || ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (::access(path.constData(), W_OK | X_OK) != 0) return false;
    return !privateToUser || (st.st_uid == ::getuid() && (st.st_mode & 0077) == 0);
}

// The per-user folder the system names: on a Mac the one for temporary files, elsewhere $XDG_RUNTIME_DIR.
// Empty when there is none.
QByteArray systemUserFolder() {
#if defined(__APPLE__)
    char folder[PATH_MAX];
    const size_t size = ::confstr(_CS_DARWIN_USER_TEMP_DIR, folder, sizeof folder);
    return size > 0 && size <= sizeof folder ? QByteArray(folder) : QByteArray();
#else
    return qgetenv("XDG_RUNTIME_DIR");
#endif
}

} // namespace

QString UserTemporaryFolder::path() {
    const QByteArray temporary = qgetenv("TMPDIR");
    if (usableFolder(temporary, false)) return QDir::cleanPath(QFile::decodeName(temporary));
    // The system's folder counts only as this user's own: one that others may write or read is no
    // place for a lock or a download.
    const QByteArray own = systemUserFolder();
    if (usableFolder(own, true)) return QDir::cleanPath(QFile::decodeName(own));
    return QStringLiteral("/tmp");
}

} // namespace qlan
