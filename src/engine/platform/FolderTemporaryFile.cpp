#include "platform/FolderTemporaryFile.h"

#include "platform/ExtendedAttributes.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qlan {

namespace {

int createIn(int folder, const QByteArray& stem, mode_t mode, QByteArray& name, const QString& what,
             const QString& path) {
    for (int attempt = 0;; ++attempt) {
        name = stem + ".tmp-" + fileio::randomSuffix();
        const int fd =
            ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST || attempt >= 100) fileio::throwErrno(what, path);
    }
}

} // namespace

FolderTemporaryFile::FolderTemporaryFile(int folder, const QByteArray& stem, mode_t mode, const QString& what,
                                         const QString& path)
    : folder_(folder)
    , file_(createIn(folder, stem, mode, name_, what, path)) {}

FolderTemporaryFile::~FolderTemporaryFile() {
    discard();
}

bool FolderTemporaryFile::replace(const QByteArray& target) {
    if (::renameat(folder_, name_.constData(), folder_, target.constData()) != 0) return false;
    placed();
    return true;
}

int FolderTemporaryFile::placeWithoutReplacing(const QByteArray& target) {
#if defined(__APPLE__)
    const int renamed = ::renameatx_np(folder_, name_.constData(), folder_, target.constData(), RENAME_EXCL);
#else
    const int renamed =
        ::renameat2(folder_, name_.constData(), folder_, target.constData(), RENAME_NOREPLACE);
#endif
    if (renamed == 0) {
        placed();
        return 0;
    }
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP || errno == EOPNOTSUPP ? 1 : -1;
}

void FolderTemporaryFile::discard() {
    if (done_) return;
    done_ = true;
    const int error = errno; // a caller about to report a failure keeps its reason
    extendedAttributes::clearAccessList(file_.get());
    ::unlinkat(folder_, name_.constData(), 0);
    errno = error;
}

void FolderTemporaryFile::placed() {
    done_ = true;
    fileio::syncToDisk(folder_);
}

} // namespace qlan
