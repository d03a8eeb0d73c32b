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
    Incremental incremental;
    for (const QString& line : lines) {
        const Shown result = incremental.feed(line);
        if (result == Shown::nothing) continue;
        shown << line;
        if (result == Shown::lineAndNote) shown << oldVersionNote;
    }
    return shown;
}

InstallOutputFilter::Shown InstallOutputFilter::Incremental::feed(const QString& line) {
    if (inBlock_) {
        ++blockLine_;
        if (line.contains(documentationMarker)) {
            inBlock_ = false;
            return Shown::nothing;
        }
        const QString trimmed = probing::trimSpacesAndTabs(line);
        const bool indented = !line.isEmpty() && (line.front() == u' ' || line.front() == u'\t');
        if (blockLine_ < blockLimit && (trimmed.isEmpty() || trimmed.startsWith(u'-') || indented))
            return Shown::nothing;
        inBlock_ = false;
        return Shown::line;
    }
    if (probing::trimSpacesAndTabs(line).startsWith(blockHeader)) {
        inBlock_ = true;
        blockLine_ = 0;
        return Shown::nothing;
    }
    // Only a line that starts with a digit can carry the prefix; the others skip the expression.
    if (!line.isEmpty() && line.front().isDigit() && timestampPattern().match(line).hasMatch())
        return Shown::nothing;
    return line.contains(oldVersionWarning) ? Shown::lineAndNote : Shown::line;
}

} // namespace qlan
