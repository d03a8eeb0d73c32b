#pragma once
// The Homebrew edition's final check: does `brew --version` work in a fresh login shell, the way a new
// terminal window would run it?

#include "catalog/SetupVerifier.h"

namespace qlan {

class BrewVerifier final : public SetupVerifier {
public:
    // Runs "/bin/zsh -lc 'brew --version 2>&1'" (the login shell reads ~/.zprofile, so a PATH entry
    // written during the setup applies) and folds the outcome into the result: passed with "likely_resolved"
    // and one verified item when it exits with 0 and prints something; otherwise not passed, "blocked".
    // The exit code is -1 when the shell cannot be started. Uses only the process runner; never throws.
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;

    // The result for the command's output (untrimmed, standard error merged in) and exit status.
    static SetupVerificationResult result(const QString& output, std::int32_t exitCode);
};

} // namespace qlan
