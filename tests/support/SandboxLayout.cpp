#include "support/SandboxLayout.h"

#include <QStringList>

namespace qlan::test {

QString normalizeAbsolutePath(const QString& path) {
    QStringList parts;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

bool SandboxLayout::contains(const QString& path) const {
    if (!path.startsWith(QLatin1Char('/'))) return false;
    const QString normalized = normalizeAbsolutePath(path);
    return normalized == root || normalized.startsWith(root + QLatin1Char('/'));
}

QString SandboxLayout::map(const QString& macPath) const {
    if (!macPath.startsWith(QLatin1Char('/'))) return macPath;
    const QString normalized = normalizeAbsolutePath(macPath);
    if (normalized == root || normalized.startsWith(root + QLatin1Char('/'))) return normalized;
    return normalized == QLatin1String("/") ? root : root + normalized;
}

} // namespace qlan::test
