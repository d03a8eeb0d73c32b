#include "platform/SearchPath.h"

#include <QStringList>

namespace qlan::SearchPath {

QString absoluteOnly(const QString& path) {
    QStringList kept;
    for (const QString& entry : path.split(QLatin1Char(':')))
        if (entry.startsWith(QLatin1Char('/'))) kept.append(entry);
    return kept.isEmpty() ? QStringLiteral("/usr/bin:/bin:/usr/sbin:/sbin") : kept.join(QLatin1Char(':'));
}

Environment withAbsoluteOnly(Environment environment) {
    const auto path = environment.find(QStringLiteral("PATH"));
    if (path != environment.end()) *path = absoluteOnly(*path);
    return environment;
}

} // namespace qlan::SearchPath
