#pragma once
// What the edition probers and verifiers add to the platform's probe helpers: commands run through the
// user's login shell, and the lines of a command's output.

#include "platform/ProcessRunning.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace qlan::editionprobe {

// Runs "/bin/zsh -lc <command>" with the application's environment (the login shell reads
// ~/.zprofile, so PATH is the one a new terminal window has) and collects its output; absent when the
// shell cannot be started. Never throws.
std::optional<ProcessResult> runLoginShell(ProcessRunning& process, const QString& command);

// The output cut at every line end, each line trimmed of spaces and tabs, empty lines dropped; order
// and repeats kept.
QStringList outputLines(const QString& output);

} // namespace qlan::editionprobe
