#pragma once
// A stand-in for SetupRemediationRunner in the action-sheet and flow tests: `run` has the runner's
// shape and returns a live event stream fed from a thread of its own, with the events scripted per
// remediation id. It records every call, and which jobs were stopped because their consumer went away.
//
//   ScriptedRemediationRunner runner;
//   runner.script("brew:mise", ScriptedJob::completing(1, {"Error: mise failed"}));
//   runner.script(SetupRemediation::githubAuth().id(), ScriptedJob{{Event::openBrowser(url, "ABCD-1234"),
//   Event::completed(0)}}); auto stream = runner.run(SetupRemediation::installMise(), "reason");
//
// Unlike the real runner, a script may send events after a terminal one (the stream carries them),
// so that a consumer's handling of such a stream can be tested. Copies share the script and the record.

#include "catalog/SetupRemediation.h"
#include "remediation/SetupRemediationRunner.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace qlan::test {

struct ScriptedJob {
    using Event = StreamEvent;

    QList<Event> events;           // sent in order, then the stream finishes
    bool runsUntilStopped = false; // after the events, wait for the consumer to go away instead
    int delayBetweenEventsMs = 0;

    // Output lines, then completed(exitCode).
    static ScriptedJob completing(std::int32_t exitCode, const QStringList& lines = {});
    // Output lines, then canceled.
    static ScriptedJob canceling(const QStringList& lines = {});
    // Output lines, then nothing until the consumer stops listening.
    static ScriptedJob runningUntilStopped(const QStringList& lines = {});
};

class ScriptedRemediationRunner {
public:
    // One call of `run`.
    struct Call {
        QString remediationID;
        QString reason;
        friend bool operator==(const Call&, const Call&) = default;
    };

    ScriptedRemediationRunner();

    // The job of every later run of that remediation id. Unscripted ids complete with 0 and no output.
    void script(const QString& remediationID, const ScriptedJob& job);

    SetupRemediationRunner::Events run(const SetupRemediation& remediation, const QString& reason) const;

    QList<Call> calls() const;
    // Ids of the jobs whose consumer went away before the job had sent all its events (or, for a job
    // that runs until stopped, at all), in the order they were stopped.
    QStringList stoppedJobs() const;
    // Jobs whose thread is still running.
    int runningJobs() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace qlan::test
