#include "editions/claude/ClaudeSetupProber.h"

#include "editions/claude/ClaudeProbes.h"

namespace qlan {

SetupProbeBundle ClaudeSetupProber::probe(const std::shared_ptr<ProcessRunning>& processRunner,
                                          const std::shared_ptr<FileSystemOperating>& fs) const {
    return ClaudeProbes{ShellRunner(processRunner), fs}.probeAll();
}

} // namespace qlan
