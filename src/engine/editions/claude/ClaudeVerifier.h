#pragma once
// How the Claude Code edition reads the answer of `claude --version` at the end of the guided setup.

#include "catalog/SetupWorkflow.h"
#include "platform/ShellRunner.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qlan {

struct ClaudeVerifier {
    ShellRunner shell; // its `process` runs the version command

    // Runs "/bin/zsh -lc 'claude --version 2>&1'" and interprets it; a shell that cannot be started
    // counts as empty output with exit code -1. Blocks; never throws.
    SetupVerificationResult verify(bool desktopPresent) const;

    // Passed with "likely_resolved" when the exit code is 0 and the output is not blank; otherwise not
    // passed with "blocked" and no items. The items are "Claude Code CLI installed — version <v>" (or
    // without the version when none can be read), then "Claude Desktop installed" when the app is there.
    // `rawOutput` is the output unchanged; `details` always records "desktop_present".
    static SetupVerificationResult result(const QString& output, std::int32_t exitCode, bool desktopPresent);

    // The first word of the trimmed output (words are cut at spaces, line feeds and tabs) when it starts
    // with a digit.
    static std::optional<QString> parseVersion(const QString& output);
};

} // namespace qlan
