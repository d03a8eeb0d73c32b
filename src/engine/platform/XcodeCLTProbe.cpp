#include "platform/XcodeCLTProbe.h"

#include "platform/ProbeSupport.h"

namespace qlan {

std::optional<QString> XcodeCLTProbe::path() const {
    const probing::CommandOutcome outcome = probing::runCommand(
        shell.process.get(), QStringLiteral("/usr/bin/xcode-select"), {QStringLiteral("-p")});
    if (!outcome.exitedZero()) return std::nullopt;
    const QString folder = outcome.result->stdOut.trimmed();
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

} // namespace qlan
