#include "remediation/ZshrcActivation.h"

#include "platform/ProbeSupport.h"
#include "remediation/FileAppendWriter.h"

namespace qlan {

QStringList missingZshrcLines(const FileSystemOperating& fs, const QList<ZshrcLine>& lines) {
    const QString home = probing::homeDirectory(&fs);
    const std::optional<QString> text =
        home.isEmpty() ? std::nullopt : probing::readText(&fs, probing::appendingPath(home, ".zshrc"));
    QStringList missing;
    for (const ZshrcLine& wanted : lines)
        if (!text || !FileAppendWriter::hasActiveLine(*text, wanted.needle)) missing << wanted.line;
    return missing;
}

} // namespace qlan
