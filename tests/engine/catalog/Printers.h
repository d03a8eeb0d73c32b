#pragma once
// Readable failure messages: texts print as quoted UTF-8 rather than as arrays of code units.

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
