#pragma once
// Readable failure messages: texts print as quoted UTF-8 rather than as arrays of code units.
// Every test file gets this header first (see tests/CMakeLists.txt), so that all of them print Qt
// texts the same way.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i)
        *out << (i ? ", " : "") << '"' << texts[i].toStdString() << '"';
    *out << '}';
}
