#include "remediation/FileAppendWriter.h"

#include "platform/ProbeSupport.h"

namespace qlan {

bool FileAppendWriter::hasActiveLine(const QString& text, const QStringList& needles) {
    for (const QString& line : probing::trimmedLines(text)) {
        if (line.startsWith(QLatin1Char('#'))) continue;
        for (const QString& needle : needles)
            if (line.contains(needle, Qt::CaseSensitive)) return true;
    }
    return false;
}

} // namespace qlan
