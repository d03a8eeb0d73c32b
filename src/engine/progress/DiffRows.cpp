#include "progress/DiffRows.h"

#include "platform/ProbeSupport.h"

#include <QSet>

namespace qlan {

QList<DiffRow> diffRows(const FileAppendWriter::DiffPreview& preview, bool showFullFile) {
    QList<DiffRow> rows;
    if (!showFullFile) {
        for (const QString& line : preview.linesAdded)
            rows.append({QStringLiteral("+ ") + line, true});
        return rows;
    }
    const QStringList currentLines = probing::splitLines(preview.originalContents);
    const QSet<QString> current(currentLines.begin(), currentLines.end());
    for (const QString& line : probing::splitLines(preview.proposedContents)) {
        if (current.contains(line))
            rows.append({QStringLiteral("  ") + line, false});
        else
            rows.append({QStringLiteral("+ ") + line, true});
    }
    return rows;
}

} // namespace qlan
