#include "remediation/FileEditLock.h"

#include <cerrno>

namespace qlan {

FileEditLock::FileEditLock(FileSystemOperating& fs, const QString& path)
    : hold_(fs.lockForEditing(path)) {
    if (!gate_.admitted())
        throw EditStoppedError(QStringLiteral("The job was stopped, so “%1” was left as it was.").arg(path),
                               ECANCELED);
}

} // namespace qlan
