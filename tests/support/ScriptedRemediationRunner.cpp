#include "support/ScriptedRemediationRunner.h"

#include <QMap>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

namespace qlan::test {

using Event = StreamEvent;

namespace {

QList<Event> outputs(const QStringList& lines) {
    QList<Event> events;
    for (const QString& line : lines)
        events.append(Event::output(line));
    return events;
}

} // namespace

ScriptedJob ScriptedJob::completing(std::int32_t exitCode, const QStringList& lines) {
    return {outputs(lines) << Event::completed(exitCode), false, 0};
}

ScriptedJob ScriptedJob::canceling(const QStringList& lines) {
    return {outputs(lines) << Event::canceled(), false, 0};
}

ScriptedJob ScriptedJob::runningUntilStopped(const QStringList& lines) {
    return {outputs(lines), true, 0};
}

struct ScriptedRemediationRunner::State {
    mutable std::mutex mutex;
    QMap<QString, ScriptedJob> scripts;
    QList<Call> calls;
    QStringList stopped;
    int running = 0;
};

ScriptedRemediationRunner::ScriptedRemediationRunner()
    : state_(std::make_shared<State>()) {}

void ScriptedRemediationRunner::script(const QString& remediationID, const ScriptedJob& job) {
    std::lock_guard lock(state_->mutex);
    state_->scripts.insert(remediationID, job);
}

SetupRemediationRunner::Events ScriptedRemediationRunner::run(const SetupRemediation& remediation,
                                                              const QString& reason) const {
    const QString id = remediation.id();
    ScriptedJob job = ScriptedJob::completing(0);
    {
        std::lock_guard lock(state_->mutex);
        state_->calls.append({id, reason});
        job = state_->scripts.value(id, job);
        ++state_->running;
    }
    auto made = SetupRemediationRunner::Events::make(); // not a structured binding: the lambdas capture it
    auto& stream = made.first;
    auto& continuation = made.second;
    std::stop_source stop;
    continuation.onTermination([stop](StreamTermination) mutable { stop.request_stop(); });

    std::thread([state = state_, continuation, token = stop.get_token(), job, id] {
        bool stoppedEarly = false;
        for (const Event& event : job.events) {
            if (job.delayBetweenEventsMs > 0) {
                std::mutex pause;
                std::unique_lock lock(pause);
                std::condition_variable_any().wait_for(
                    lock, token, std::chrono::milliseconds(job.delayBetweenEventsMs), [] { return false; });
            }
            if (token.stop_requested()) {
                stoppedEarly = true;
                break;
            }
            continuation.yield(event);
        }
        if (!stoppedEarly && job.runsUntilStopped) {
            std::mutex wait;
            std::unique_lock lock(wait);
            std::condition_variable_any().wait(lock, token, [] { return false; });
            stoppedEarly = true;
        }
        continuation.finish();
        std::lock_guard lock(state->mutex);
        if (stoppedEarly) state->stopped.append(id);
        --state->running;
    }).detach();
    return std::move(stream);
}

QList<ScriptedRemediationRunner::Call> ScriptedRemediationRunner::calls() const {
    std::lock_guard lock(state_->mutex);
    return state_->calls;
}

QStringList ScriptedRemediationRunner::stoppedJobs() const {
    std::lock_guard lock(state_->mutex);
    return state_->stopped;
}

int ScriptedRemediationRunner::runningJobs() const {
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

} // namespace qlan::test
