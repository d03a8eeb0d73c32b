#pragma once
// The Homebrew edition's prober: where the login shell finds `brew`, whether `brew --version` works,
// and which of the two well-known Homebrew executables exist.

#include "catalog/SetupProber.h"

namespace qlan {

class BrewProber final : public SetupProber {
public:
    // Runs "/usr/bin/which -a brew" and "brew --version 2>&1" through "/bin/zsh -lc" at the same time
    // (the login shell's PATH is the one a new terminal window has) and meanwhile tests
    // "/opt/homebrew/bin/brew" and "/usr/local/bin/brew". `versionOutput` is the trimmed output of the
    // version command (absent when empty or when it could not run), `versionExitCode` its status (-1
    // when it could not run). The companion, shell, agent, project and Git flags stay false. Blocks
    // until both commands have finished; never throws.
    SetupProbeBundle probe(const std::shared_ptr<ProcessRunning>& processRunner,
                           const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace qlan
