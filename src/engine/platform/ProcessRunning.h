#pragma once
// Child processes: collected (`run`) or streamed line by line (`stream`), and their cancellation.

#include "platform/ProcessTypes.h"
#include "platform/Stream.h"

#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace qlan {

// Stops one running child. Never fails; repeating it is harmless.
class ProcessCancellation {
public:
    virtual ~ProcessCancellation() = default;
    virtual void cancel() = 0;
};

class ProcessRunning {
public:
    virtual ~ProcessRunning() = default;

    // Runs the executable (a path; no PATH search) until it exits and both output pipes are drained.
    // Blocks the calling thread: call it from a worker thread. Throws PlatformError when the child
    // cannot be started. An absent environment means the child inherits the application's. Of each pipe
    // the result keeps at most ProcessResult::keptBytes and counts the rest.
    virtual ProcessResult run(const QString& executable, const QStringList& arguments,
                              const std::optional<Environment>& environment = std::nullopt) = 0;

    // Like run(), but gives up on a child that has not finished within `timeLimit`: the child's process
    // group is terminated (SIGTERM, then SIGKILL when the child ignores it), the child is reaped and the
    // call throws ProcessTimedOut. The default implementation has no child to stop and ignores the limit
    // (test doubles that answer at once need nothing more).
    virtual ProcessResult runWithTimeLimit(const QString& executable, const QStringList& arguments,
                                           const std::optional<Environment>& environment,
                                           std::chrono::milliseconds timeLimit) {
        (void)timeLimit;
        return run(executable, arguments, environment);
    }

    // Starts the executable at once and streams its combined output: `line` events, then one `exited`,
    // or a single `failedToStart`. Dropping or cancelling the stream terminates the child.
    virtual std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<Environment>& environment = std::nullopt) = 0;
};

} // namespace qlan
