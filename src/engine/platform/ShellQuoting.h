#pragma once
// Values put into a shell command line: one single-quoted word, each "'" written as '\''.

#include <QString>

namespace qlan {

inline QString shellQuoted(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace qlan
