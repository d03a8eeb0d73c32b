#pragma once
// The permission bits of a real file (a link is followed), or -1 when there is none.

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace qlan::test {

inline int modeOf(const QString& realPath) {
    struct stat st {};
    return ::stat(QFile::encodeName(realPath).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

} // namespace qlan::test
