#pragma once
// Turns one fix of the guided setup into a running job whose progress reaches the screen as one stream
// of events: output lines, then exactly one terminal event (`completed` or `canceled`).
//
// Every job that edits or copies a file, and every job that runs a program, runs on a worker thread of
// its own with a stop token (startJobStream), so that neither a file edit nor a wait for another
// program's hold on a file ever runs on the caller's (the GUI) thread. When the consumer drops or cancels
// the stream, its termination handler requests the stop, which ends a wait for a file at once, ends the
// job's inner streams and kills their children. The stop request returns once no file edit of the job
// is under way, and the job begins none after it (EditGate). Only the jobs that touch nothing (Homebrew
// missing, a step this build lacks) end inside `run`, their stream already finished.
//
// The jobs themselves are free functions declared in remediation/RemediationJobs.h; `run` only picks one.

#include "catalog/SetupRemediation.h"
#include "platform/AppServices.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "remediation/ApplicationResources.h"
#include "remediation/InstallSources.h"
#include "remediation/JobStream.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

class SetupRemediationRunner {
public:
    using Events = JobEvents;
    using Output = JobOutput;

    // The body of a job that edits or copies files, or of one that touches nothing.
    using ImmediateBody = std::function<void(const Output&)>;
    // The body of a task job: runs on its own thread; `stop` is requested when the stream ends.
    using TaskBody = std::function<void(const Output&, std::stop_token stop)>;

    // Where the install jobs fetch from: the public sources in the application; tests point them at the
    // sandbox and loopback servers.
    struct Sources {
        QString homebrewInstallScript = QString::fromLatin1(InstallSources::homebrewInstallScript);
        QString adoptiumBase = QString::fromLatin1(InstallSources::adoptiumAPIBase);
        QString architecture = QString::fromLatin1(InstallSources::adoptiumArchitecture);
        std::chrono::milliseconds brewRetryPause{2000}; // before the one retry of a failed cask install
    };

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
    Sources sources;

    // Starts the job of the remediation. `reason` is the password dialog's prompt, read only by the
    // cask-based jobs. Returns at once; the stream of a job that touches nothing is already finished.
    Events run(const SetupRemediation& remediation, const QString& reason) const;

    // Runs "/bin/zsh -lc <command>" in the application's environment, relaying each output line as
    // `output`. Returns the exit status; -1 when the shell could not start (after the line
    // "Failed to start: <reason>"), ended without a status, or `stop` was requested (the child is then
    // terminated). Sends no terminal event.
    std::int32_t runShell(const QString& command, const Output& out, std::stop_token stop) const;

    // The kinds of job (see JobStream.h): `fileJob` and `task` start the body as a job stream of its
    // own; `immediate` runs a body that touches no file at once, on the caller's thread.
    static Events fileJob(ImmediateBody body);
    static Events task(TaskBody body);
    static Events immediate(const ImmediateBody& body) { return finishedJobStream(body); }

    // The finished stream of a job that cannot run without Homebrew:
    // "Homebrew isn't available yet — install Homebrew first." and completed(-1).
    static Events homebrewMissing();
    static constexpr QStringView homebrewMissingLine =
        u"Homebrew isn't available yet — install Homebrew first.";

    // The finished stream of a step this build cannot carry out: one line naming it, completed(-1).
    static Events unavailable(const QString& step);
};

} // namespace qlan
