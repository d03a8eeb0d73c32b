#include "remediation/JobStream.h"

#include "platform/PlatformError.h"
#include "remediation/EditGate.h"

#include <exception>
#include <memory>
#include <system_error>

namespace qlan {

namespace {

// Runs a job so that nothing escapes it and it always ends with one terminal event.
void runGuarded(const JobOutput& out, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        out.line(errorDescription(error));
    } catch (...) {
        out.line(QStringLiteral("Unknown error"));
    }
    out.completed(-1); // dropped when the job already sent its terminal event
}

} // namespace

void JobOutput::lines(const QStringList& texts) const {
    for (const QString& text : texts)
        line(text);
}

void JobOutput::send(StreamEvent event) const {
    if (event.isTerminal())
        finish(std::move(event));
    else
        continuation_.yield(std::move(event));
}

void JobOutput::finish(StreamEvent terminal) const {
    if (continuation_.yield(std::move(terminal))) continuation_.finish();
}

JobEvents startJobStream(JobBody body) {
    auto [stream, continuation] = JobEvents::make();
    const JobOutput out(continuation);
    auto holder = std::make_shared<CancellableProcess>();
    std::stop_source source;
    try {
        source =
            startJobWorker([out, holder, body = std::move(body)](
                               std::stop_token stop) { runGuarded(out, [&] { body(out, *holder, stop); }); },
                           [out](const QString& line) { out.line(line); });
    } catch (const std::system_error& error) {
        // No thread for the job: it ends here, as a job that could not start.
        out.line(QStringLiteral("Couldn't start the job: ") + QString::fromLocal8Bit(error.what()));
        out.completed(-1);
        return std::move(stream);
    }
    // Runs once: when the job finished the stream, or when the consumer went away.
    continuation.onTermination([holder, source](StreamTermination) mutable {
        holder->cancel();
        source.request_stop();
    });
    return std::move(stream);
}

JobEvents finishedJobStream(const std::function<void(const JobOutput& out)>& body) {
    auto [stream, continuation] = JobEvents::make();
    const JobOutput out(continuation);
    runGuarded(out, [&] { body(out); });
    return std::move(stream);
}

StreamEvent JobOutput::relay(JobEvents& inner, std::stop_token stop) const {
    std::optional<StreamEvent> terminal;
    std::vector<StreamEvent> batch;
    std::vector<StreamEvent> lines;
    // What is waiting is handed on together: one wait and one hand-over for a burst of lines.
    while (inner.nextBatch(batch, 1024, stop)) {
        for (StreamEvent& event : batch) {
            if (event.isTerminal())
                terminal = std::move(event);
            else
                lines.push_back(std::move(event));
        }
        continuation_.yieldAll(lines);
    }
    if (stop.stop_requested()) return StreamEvent::canceled();
    return terminal.value_or(StreamEvent::completed(-1));
}

StreamEvent runPrivileged(const PrivilegedExecutor& executor, const QString& prompt, const JobOutput& out,
                          const std::function<StreamEvent(const Environment& privileged)>& step) {
    PrivilegedEnvironment privileged;
    try {
        privileged = executor.makeEnvironment(prompt);
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Failed to set up privileged executor: ") + errorDescription(error));
        return StreamEvent::completed(-1);
    }
    struct Cleanup {
        const PrivilegedEnvironment& privileged;
        ~Cleanup() {
            if (privileged.cleanup) privileged.cleanup();
        }
    } cleanup{privileged};
    return step(privileged.environment);
}

} // namespace qlan
