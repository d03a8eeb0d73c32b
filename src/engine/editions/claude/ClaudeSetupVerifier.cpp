#include "editions/claude/ClaudeSetupVerifier.h"

#include "editions/claude/ClaudeVerifier.h"
#include "platform/SystemProfiler.h"

namespace qlan {

SetupVerificationResult ClaudeSetupVerifier::verify(const std::optional<SystemProfile>&,
                                                    const std::shared_ptr<ProcessRunning>& processRunner,
                                                    const std::shared_ptr<FileSystemOperating>& fs) const {
    const bool desktopPresent =
        SystemProfiler(ShellRunner(processRunner), fs).isAppInstalled(QStringLiteral("Claude.app"));
    return ClaudeVerifier{ShellRunner(processRunner)}.verify(desktopPresent);
}

} // namespace qlan
