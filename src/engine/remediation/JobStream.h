#pragma once
// A job of output lines and one terminal event, reported through one StreamEvent stream from the job to
// the screen. A job writes to its JobOutput; the first terminal event finishes the stream, and anything
// after it is dropped. Every failure a job throws becomes a line and completed(-1); a job that returns
// without its terminal event completes with -1.
//
// startJobStream runs the job on a worker thread of its own. The job gets its output, its
// CancellableProcess (the holder of the child running at the moment) and a stop token. When the stream
// ends for any reason (the job finished it, or the consumer went away) the termination handler cancels
// the holder, which terminates the running child's process group, and then requests the stop; the
// request returns once no file edit of the job is under way, and the job begins none after it
// (EditGate). An edit of the job that waits for another program's hold on its file says so in the
// job's output, and the stop ends that wait at once (FileEditLock).

#include "platform/CancellableProcess.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ProcessTypes.h"
#include "platform/Stream.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace qlan {

using JobEvents = Stream<StreamEvent>;

// What a job writes to. Copyable; copies feed the same stream.
class JobOutput {
public:
    explicit JobOutput(StreamContinuation<StreamEvent> continuation)
        : continuation_(std::move(continuation)) {}

    // One line; `omitted` counts what a child's very long line had beyond `text` (see ProcessTypes.h).
    void line(const QString& text, qint64 omitted = 0) const {
        continuation_.yield(StreamEvent::output(text, omitted));
    }
    void lines(const QStringList& texts) const;
    void openBrowser(const QString& url, const std::optional<QString>& code) const {
        continuation_.yield(StreamEvent::openBrowser(url, code));
    }
    // Hands an event on as it is; a terminal event finishes the stream.
    void send(StreamEvent event) const;
    void completed(std::int32_t exitCode) const { finish(StreamEvent::completed(exitCode)); }
    void canceled() const { finish(StreamEvent::canceled()); }
    // Yields the terminal event and finishes the stream (nothing when it is over already).
    void finish(StreamEvent terminal) const;
    // Hands on the lines of another job's stream, as they are, until that stream ends or `stop` is
    // requested, and returns its terminal event without sending it: `canceled` on a stop, completed(-1)
    // when the stream ended without one.
    StreamEvent relay(JobEvents& inner, std::stop_token stop) const;

    // True once a terminal event was sent or the consumer went away.
    bool isOver() const { return continuation_.isTerminated(); }

private:
    StreamContinuation<StreamEvent> continuation_;
};

using JobBody = std::function<void(const JobOutput& out, CancellableProcess& job, std::stop_token stop)>;

// Starts the job on a thread of its own and returns its stream at once. When no thread can be started,
// the stream is already finished: "Couldn't start the job: <reason>" and completed(-1).
JobEvents startJobStream(JobBody body);

// Runs the job on the calling thread; the stream it returns is finished and holds every event. Only for
// a job that touches no file: an edit may wait for another program.
JobEvents finishedJobStream(const std::function<void(const JobOutput& out)>& body);

// Prepares the password dialog's environment for `prompt`, runs `step` with it and returns the step's
// terminal event, after removing the environment again (on every ending). When the environment cannot
// be prepared: "Failed to set up privileged executor: <reason>" and completed(-1).
StreamEvent runPrivileged(const PrivilegedExecutor& executor, const QString& prompt, const JobOutput& out,
                          const std::function<StreamEvent(const Environment& privileged)>& step);

} // namespace qlan
