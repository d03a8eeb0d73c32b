#include "remediation/ApplicationResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qlan {

ApplicationResources ApplicationResources::installed() {
    // The program's folder is known only once the application object exists; not remembered before.
    const auto lookUp = [] { return besideProgram(QCoreApplication::applicationDirPath()); };
    if (!QCoreApplication::instance()) return lookUp();
    static const ApplicationResources found = lookUp();
    return found;
}

ApplicationResources ApplicationResources::besideProgram(const QString& programFolder) {
    const QString candidates[] = {
        QDir::cleanPath(programFolder + QStringLiteral("/../Resources")),
        QDir::cleanPath(programFolder + QStringLiteral("/../share/quillane")),
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isDir()) return ApplicationResources(candidate);
    return ApplicationResources(candidates[1]);
}

std::optional<QString> ApplicationResources::folder(const FileSystemOperating& fs,
                                                    const QString& relative) const {
    const QString path = root + QLatin1Char('/') + relative;
    if (!fs.fileExists(path)) return std::nullopt;
    return path;
}

} // namespace qlan
