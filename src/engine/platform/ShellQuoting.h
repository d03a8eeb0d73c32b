#pragma once
// Putting a value into a shell command line as one literal word.

#include <QString>

namespace qlan {

// The value in single quotes, each "'" written as '\'' : no character of it is ever read as syntax
// ($(...), backquotes, globs, spaces all stay literal). The empty text gives ''.
inline QString shellQuoted(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace qlan
