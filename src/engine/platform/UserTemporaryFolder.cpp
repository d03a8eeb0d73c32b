#include "platform/UserTemporaryFolder.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace qlan {
namespace {

// A folder that exists, and is this user's own and closed to others (`privateToUser`) or one this user
// may write.
bool usableFolder(const QByteArray& path, bool privateToUser) {
    struct stat st {};
    if (!path.startsWith('/') || ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (privateToUser) return st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

} // namespace

QString UserTemporaryFolder::path() {
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

} // namespace qlan
