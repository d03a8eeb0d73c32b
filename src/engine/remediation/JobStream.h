#pragma once
// A job of output lines and one terminal event that runs on a worker thread of its own and reports
// through a StreamEvent stream. The job gets the stream's continuation, its CancellableProcess (the
// holder of the child running at the moment) and a stop token. When the stream ends for any reason
// (the job finished it, or the consumer went away) the termination handler cancels the holder, which
// terminates the running child's process group, and then requests the stop; the request returns once no
// file edit of the job is under way, and the job begins none after it (EditGate).

#include "platform/CancellableProcess.h"
#include "platform/PlatformError.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ProcessTypes.h"
#include "platform/Stream.h"
#include "remediation/EditGate.h"

#include <functional>
#include <memory>
#include <stop_token>

namespace qlan {

using JobOutput = StreamContinuation<StreamEvent>;
using JobBody = std::function<void(const JobOutput& out, CancellableProcess& job, std::stop_token stop)>;

// Yields the terminal event and finishes the stream.
inline void finishWith(const JobOutput& out, StreamEvent terminal) {
    out.yield(std::move(terminal));
    out.finish();
}

inline Stream<StreamEvent> startJobStream(JobBody body) {
    auto [stream, continuation] = Stream<StreamEvent>::make();
    auto holder = std::make_shared<CancellableProcess>();
    std::stop_source source =
        startJobWorker([out = continuation, holder, body = std::move(body)](std::stop_token stop) {
            try {
                body(out, *holder, stop);
            } catch (const std::exception& error) {
                out.yield(StreamEvent::output(errorDescription(error)));
            }
            // A body that returned without its terminal event failed.
            finishWith(out, StreamEvent::completed(-1));
        });
    continuation.onTermination([holder, source](StreamTermination) mutable {
        holder->cancel();
        source.request_stop();
    });
    return std::move(stream);
}

// Prepares the password dialog's environment for `prompt`, runs `step` with it, yields the step's
// terminal event and finishes the stream, and then removes the environment (on every ending). When the
// environment cannot be prepared: "Failed to set up privileged executor: <reason>" and completed(-1).
inline void runPrivileged(const PrivilegedExecutor& executor, const QString& prompt, const JobOutput& out,
                          const std::function<StreamEvent(const Environment& privileged)>& step) {
    PrivilegedEnvironment privileged;
    try {
        privileged = executor.makeEnvironment(prompt);
    } catch (const std::exception& error) {
        out.yield(StreamEvent::output(QStringLiteral("Failed to set up privileged executor: ") +
                                      errorDescription(error)));
        finishWith(out, StreamEvent::completed(-1));
        return;
    }
    StreamEvent terminal = StreamEvent::completed(-1);
    try {
        terminal = step(privileged.environment);
    } catch (...) {
        privileged.cleanup();
        throw;
    }
    finishWith(out, terminal);
    privileged.cleanup();
}

} // namespace qlan
