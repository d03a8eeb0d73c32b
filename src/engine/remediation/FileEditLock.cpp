#include "remediation/FileEditLock.h"

namespace qlan {

FileEditLock::FileEditLock(FileSystemOperating& fs, const QString& path)
    : hold_(fs.lockForEditing(path)) {}

} // namespace qlan
