#include "remediation/OutputLineLimit.h"

#include <QLocale>

namespace qlan {

QString OutputLineLimit::shown(const QString& line) {
    if (line.size() <= characters) return line;
    qsizetype kept = characters;
    if (line.at(kept - 1).isHighSurrogate()) --kept;
    const qsizetype cut = line.size() - kept;
    static const QLocale numbers(QLocale::English, QLocale::UnitedStates);
    return line.left(kept) + QStringLiteral("… ") + numbers.toString(qlonglong(cut)) +
           (cut == 1 ? QStringLiteral(" more character") : QStringLiteral(" more characters"));
}

} // namespace qlan
