#pragma once
// The Claude Code edition's probes: where the login shell finds `claude` and whether it runs, where it
// is installed, whether Codex and the GitHub CLI are present, whether Git has an identity and `gh` is
// signed in, whether the shell files and the agents' instruction files already carry what the setup adds,
// and whether the example project exists. Every command runs as "/bin/zsh -lc <command>" with the
// application's environment, so the login shell's PATH applies.

#include "catalog/SetupWorkflow.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace qlan {

struct ClaudeProbes {
    ShellRunner shell; // its `process` runs the commands
    std::shared_ptr<FileSystemOperating> fs;

    // Runs every probe (the six commands at the same time, on threads of their own) and fills the
    // bundle. Blocks until all have finished; never throws: a command that cannot be started gives an
    // empty list, false, or an absent version output with exit code -1.
    SetupProbeBundle probeAll() const;

    // The single probes.
    QStringList pathLookup() const; // "/usr/bin/which -a claude": every absolute path, repeats kept
    std::pair<std::optional<QString>, std::optional<std::int32_t>> version() const; // "claude --version 2>&1"
    bool codexPresent() const;         // a fixed codex path exists, else the login shell finds codex
    bool ghPresent() const;            // a fixed gh path exists, else the login shell finds gh
    bool gitIdentitySet() const;       // a git can exist and the global user.name and user.email are set
    bool ghAuthed() const;             // "gh auth status" exits with 0
    QStringList installedScan() const; // the known claude locations that exist, in their fixed order
    bool projectExists() const;        // ~/Documents/AI-Simple-Project exists

private:
    // True as soon as one of the paths exists; otherwise when the login shell's lookup of the program
    // exits with 0 and prints something (probing::programIsFound).
    bool presence(const QStringList& paths, const QString& program) const;
    QString home() const;
};

} // namespace qlan
