#include "remediation/InstallOutputFilter.h"

#include "platform/ProbeSupport.h"

namespace qlan {

const QRegularExpression& InstallOutputFilter::timestampPattern() {
    static const QRegularExpression pattern = [] {
        QRegularExpression compiled(
            QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3,} \S+\[\d+:\d+\] )"));
        compiled.optimize();
        return compiled;
    }();
    return pattern;
}

QStringList InstallOutputFilter::filter(const QStringList& lines) {
    QStringList shown;
    shown.reserve(lines.size());
    const QRegularExpression& timestamp = timestampPattern();
    bool inBlock = false;
    int blockLine = 0;
    for (const QString& line : lines) {
        if (inBlock) {
            ++blockLine;
            if (line.contains(documentationMarker)) {
                inBlock = false;
                continue;
            }
            const QString trimmed = probing::trimSpacesAndTabs(line);
            const bool indented = !line.isEmpty() && (line.front() == u' ' || line.front() == u'\t');
            if (blockLine < blockLimit && (trimmed.isEmpty() || trimmed.startsWith(u'-') || indented))
                continue;
            shown << line;
            inBlock = false;
            continue;
        }
        if (probing::trimSpacesAndTabs(line).startsWith(blockHeader)) {
            inBlock = true;
            blockLine = 0;
            continue;
        }
        // Only a line that starts with a digit can carry the prefix; the others skip the expression.
        if (!line.isEmpty() && line.front().isDigit() && timestamp.match(line).hasMatch()) continue;
        shown << line;
        if (line.contains(oldVersionWarning)) shown << oldVersionNote;
    }
    return shown;
}

} // namespace qlan
