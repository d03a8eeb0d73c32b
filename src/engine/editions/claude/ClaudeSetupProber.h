#pragma once
// The Claude Code edition's prober: runs ClaudeProbes on the given services.

#include "catalog/SetupProber.h"

namespace qlan {

class ClaudeSetupProber final : public SetupProber {
public:
    // ClaudeProbes with a ShellRunner on `processRunner` and `fs`, probed afresh. Blocks; never throws.
    SetupProbeBundle probe(const std::shared_ptr<ProcessRunning>& processRunner,
                           const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace qlan
