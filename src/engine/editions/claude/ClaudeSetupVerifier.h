#pragma once
// The Claude Code edition's final check, also used for an edition without a verifier of its own: is the
// Claude desktop app installed, and does `claude --version` work in a fresh login shell?

#include "catalog/SetupVerifier.h"

namespace qlan {

class ClaudeSetupVerifier final : public SetupVerifier {
public:
    // Claude Desktop counts when a "Claude.app" folder is in /Applications or ~/Applications; the version
    // answer is read by ClaudeVerifier. The profile is not read. Blocks; never throws.
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace qlan
