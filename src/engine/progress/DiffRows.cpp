#include "progress/DiffRows.h"

#include "platform/ProbeSupport.h"
#include "remediation/FileEditLock.h"

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

std::optional<FileAppendWriter::DiffPreview>
applyUnlessChanged(const FileAppendWriter& writer, const FileAppendWriter::DiffPreview& preview,
                   const std::function<FileAppendWriter::DiffPreview()>& remake) {
    const FileEditLock lock(*writer.fs, preview.path); // the write re-enters it
    try {
        FileAppendWriter::DiffPreview fresh = remake();
        if (!madeFromSameText(fresh, preview)) return fresh;
    } catch (const std::exception&) {
        // Unreadable now: the write below refuses and reports why.
    }
    writer.apply(preview);
    return std::nullopt;
}

} // namespace qlan
