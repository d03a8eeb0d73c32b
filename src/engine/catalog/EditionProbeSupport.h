#pragma once
// What the edition probers and verifiers share: login-shell commands that never throw, file tests that
// treat any failure as "absent", checks that run on threads of their own, and the text rules of the
// command outputs.

#include "platform/FileSystemOperating.h"
#include "platform/ProcessRunning.h"

#include <QString>
#include <QStringList>

#include <future>
#include <optional>
#include <system_error>
#include <type_traits>
#include <utility>

namespace qlan::editionprobe {

// Runs "/bin/zsh -lc <command>" with the application's environment and collects its output; absent when
// the shell cannot be started.
std::optional<ProcessResult> runLoginShell(ProcessRunning& process, const QString& command);

// True when anything exists at the path (a folder counts); false when the test itself fails.
bool pathExists(const FileSystemOperating& fs, const QString& path);

// The home folder, or the empty text when it cannot be had.
QString homeDirectory(const FileSystemOperating& fs);

// The output trimmed of white space and line ends at both ends.
QString trimmedOutput(const QString& output);

// The output cut at every line end (line feed, carriage return, vertical tab, form feed, U+0085,
// U+2028, U+2029), each piece trimmed of spaces and tabs, empty pieces dropped; order and repeats kept.
QStringList outputLines(const QString& output);

// Starts `work` on a thread of its own; the caller joins it with get(). When no thread can be had the
// work runs when its result is asked for, on the asking thread.
template <typename Work> std::future<std::invoke_result_t<Work>> startProbeTask(Work work) {
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(work));
    }
}

} // namespace qlan::editionprobe
