#pragma once
// One child process of a job: started through the process service, its cancellation handle registered
// with the job's CancellableProcess right after the start (so a job cancelled in between stops it at
// once), and its combined output read to the end. A stop request on the job's token cancels the child's
// stream, which terminates the child's whole process group. Each line comes with the count of what a
// very long one had beyond its text (ProcessStreamEvent::omitted).

#include "platform/CancellableProcess.h"
#include "platform/ProcessRunning.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>

namespace qlan {

struct ChildRun {
    std::optional<std::int32_t> exitCode; // absent when the stream ended without one
    std::optional<QString> startFailure;  // the launch error's message

    // The status a job reports: the exit code, or -1 when the child did not start or ended without one.
    std::int32_t status() const { return !startFailure && exitCode ? *exitCode : -1; }
};

ChildRun runChild(ProcessRunning& process, const QString& executable, const QStringList& arguments,
                  const std::optional<Environment>& environment, CancellableProcess& job,
                  std::stop_token stop,
                  const std::function<void(const QString& line, qint64 omitted)>& onLine);

// The application's own environment with `overlay` written over it (an entry of the same name is
// replaced).
Environment applicationEnvironmentWith(const Environment& overlay);

} // namespace qlan
