#pragma once
// Turns one fix of the guided setup into a running job whose progress reaches the screen as one stream
// of events: output lines, then exactly one terminal event (`completed` or `canceled`).
//
// Two kinds of job:
// - immediate jobs (file edits and copies) run to their end inside `run`, on the caller's thread; the
//   stream that `run` returns is already finished and holds every event;
// - task jobs (installs, git, gh) run on a worker thread of their own with a stop token; when the
//   consumer drops or cancels the stream, its termination handler requests the stop (and cancels the
//   job's CancellableProcess when it has one), which ends the job's inner streams and kills their
//   children. The stop request returns once no file edit of the job is under way, and the job begins
//   none after it (EditGate).
//
// The jobs themselves are free functions declared in remediation/RemediationJobs.h; `run` only picks one.

#include "catalog/SetupRemediation.h"
#include "platform/AppServices.h"
#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/Stream.h"
#include "remediation/ApplicationResources.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

class SetupRemediationRunner {
public:
    // One event of a job.
    struct Event {
        enum class Kind { output, completed, openBrowser, canceled };
        Kind kind = Kind::output;
        QString text;                // `output`: one line without its line break
        std::int32_t exitCode = 0;   // `completed`: 0 success; -1 did not start / no exit status
        QString url;                 // `openBrowser`
        std::optional<QString> code; // `openBrowser`: the one-time code, when known

        static Event output(QString line) { return {Kind::output, std::move(line), 0, {}, std::nullopt}; }
        static Event completed(std::int32_t exitCode) {
            return {Kind::completed, {}, exitCode, {}, std::nullopt};
        }
        static Event openBrowser(QString url, std::optional<QString> code) {
            return {Kind::openBrowser, {}, 0, std::move(url), std::move(code)};
        }
        static Event canceled() { return {Kind::canceled, {}, 0, {}, std::nullopt}; }

        bool isTerminal() const { return kind == Kind::completed || kind == Kind::canceled; }
        friend bool operator==(const Event&, const Event&) = default;
    };

    using Events = Stream<Event>;

    // What a job writes to: lines and at most one terminal event. Copyable; copies feed the same
    // stream. The first terminal event finishes the stream; anything after it is dropped.
    class Output {
    public:
        explicit Output(StreamContinuation<Event> continuation)
            : continuation_(std::move(continuation)) {}

        void line(const QString& text) const { continuation_.yield(Event::output(text)); }
        void lines(const QStringList& texts) const;
        void openBrowser(const QString& url, const std::optional<QString>& code) const {
            continuation_.yield(Event::openBrowser(url, code));
        }
        void completed(std::int32_t exitCode) const { terminate(Event::completed(exitCode)); }
        void canceled() const { terminate(Event::canceled()); }

        // True once a terminal event was sent or the consumer went away.
        bool isOver() const { return continuation_.isTerminated(); }
        const StreamContinuation<Event>& continuation() const { return continuation_; }

    private:
        void terminate(Event event) const;
        StreamContinuation<Event> continuation_;
    };

    // The body of an immediate job: runs on the caller's thread.
    using ImmediateBody = std::function<void(const Output&)>;
    // The body of a task job: runs on its own thread; `stop` is requested when the stream ends.
    using TaskBody = std::function<void(const Output&, std::stop_token stop)>;

    SetupRemediationRunner(std::optional<QString> brewPath, std::shared_ptr<ProcessRunning> process,
                           std::shared_ptr<FileSystemOperating> fs, std::shared_ptr<HTTPFetching> http)
        : brewPath(std::move(brewPath))
        , process(std::move(process))
        , fs(std::move(fs))
        , http(std::move(http)) {}

    // The runner of a batch: the services of the bundle, and the first of "/opt/homebrew/bin/brew" and
    // "/usr/local/bin/brew" that is an executable file (absent when neither is). Not evaluated again.
    static SetupRemediationRunner fromServices(const AppServices& services);

    // The two places of the brew executable, in the order they are asked: Apple Silicon's, then Intel's.
    static QStringList brewLocations();

    std::optional<QString> brewPath; // the brew executable; absent when Homebrew was not found
    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<HTTPFetching> http;
    // Where the project templates and bundled skills are found (the running program's own by default).
    ApplicationResources resources = ApplicationResources::installed();

    // Starts the job of the remediation. `reason` is the password dialog's prompt, read only by the
    // cask-based jobs. Returns at once for task jobs; an immediate job's stream is already finished.
    Events run(const SetupRemediation& remediation, const QString& reason) const;

    // Runs "/bin/zsh -lc <command>" in the application's environment, relaying each output line as
    // `output`. Returns the exit status; -1 when the shell could not start (after the line
    // "Failed to start: <reason>"), ended without a status, or `stop` was requested (the child is then
    // terminated). Sends no terminal event.
    std::int32_t runShell(const QString& command, const Output& out, std::stop_token stop) const;

    // The two kinds of job. Every failure a body throws becomes a line and `completed(-1)`; a body that
    // returns without a terminal event completes with -1.
    static Events immediate(const ImmediateBody& body);
    // `holder`, when given, is cancelled by the termination handler before the stop is requested.
    static Events task(TaskBody body, std::shared_ptr<CancellableProcess> holder = {});

    // The finished stream of a job that cannot run without Homebrew:
    // "Homebrew isn't available yet — install Homebrew first." and completed(-1).
    static Events homebrewMissing();
    static inline const QString homebrewMissingLine =
        QStringLiteral("Homebrew isn't available yet — install Homebrew first.");

    // The finished stream of a step this build cannot carry out: one line naming it, completed(-1).
    static Events unavailable(const QString& step);
};

} // namespace qlan
