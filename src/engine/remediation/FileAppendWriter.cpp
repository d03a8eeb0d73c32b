#include "remediation/FileAppendWriter.h"

namespace qlan {
namespace {

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A: // line feed
    case 0x000B: // vertical tab
    case 0x000C: // form feed
    case 0x000D: // carriage return (alone or before a line feed)
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

bool FileAppendWriter::hasActiveLine(const QString& text, const QStringList& needles) {
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && !isLineBreak(text[end]))
            ++end;
        qsizetype first = start;
        qsizetype last = end;
        while (first < last && isBlank(text[first]))
            ++first;
        while (last > first && isBlank(text[last - 1]))
            --last;
        if (last > first && text[first] != QLatin1Char('#')) {
            const QStringView line = QStringView(text).sliced(first, last - first);
            for (const QString& needle : needles)
                if (line.contains(needle, Qt::CaseSensitive)) return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace qlan
