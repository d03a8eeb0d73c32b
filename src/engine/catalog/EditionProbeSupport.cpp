#include "catalog/EditionProbeSupport.h"

#include "platform/ProbeSupport.h"

namespace qlan::editionprobe {

std::optional<ProcessResult> runLoginShell(ProcessRunning& process, const QString& command) {
    return probing::runCommand(&process, QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command}).result;
}

QStringList outputLines(const QString& output) {
    QStringList lines;
    for (const QString& line : probing::splitLines(output)) {
        const QString trimmed = probing::trimSpacesAndTabs(line);
        if (!trimmed.isEmpty()) lines.append(trimmed);
    }
    return lines;
}

} // namespace qlan::editionprobe
