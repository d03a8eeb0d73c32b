#pragma once
// A job's stop and the start of its file edits, under one lock. A job looks at its stop before each
// edit, but a stop can come right after that look. So the job runners install a gate for the job's stop
// on the job's thread (EditGate::Scope), and every edit of the engine's enters it (FileEditLock): the
// gate admits an edit only while no stop has been requested and is held to the end of the edit, and a
// stop request takes the same gate, so it waits for an edit that has begun (one atomic write, moments
// long). Once a cancel has returned, the job begins no further edit. A job started by another job (an
// installer's stream read by the job that shows it) is stopped by its starter's stop too, so it enters
// its starter's gate as well.
//
// The gate also carries what an edit of the job needs while it waits for another program's hold on its
// file (FileEditLock): the stops that end the wait, where the job says that it waits, and the files whose
// wait the job has given up, so that it never waits for one of them again.
//
// The gates of the jobs that run are known, so that the end of the application can wait for the jobs it
// stopped (their children gone) before the process ends.

#include "platform/PlatformError.h"
#include "platform/Worker.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace qlan {

class EditGate {
public:
    // The gate of the job whose thread this is; none outside a job. A job runner reads it on the thread
    // that starts a job, as the new job's starter.
    static std::shared_ptr<EditGate> current();

    // Where a job tells its screen something: a line of its output.
    using Notice = std::function<void(const QString& line)>;

    // Waits until every job that was asked to stop has ended (its thread has left its scope), or until
    // `deadline`; false when one still runs then.
    static bool waitForStoppedJobs(std::chrono::steady_clock::time_point deadline);

    // Installs the gate of a job's stop on the calling thread (the job's own) for its lifetime.
    class Scope {
    public:
        Scope(std::stop_token stop, std::shared_ptr<EditGate> starter, Notice notice = {});
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        // Runs in the stop request: takes and lets go of the gate, so the request returns only once no
        // edit is under way.
        struct WaitForEdit {
            EditGate* gate;
            void operator()() const;
        };
        std::shared_ptr<EditGate> gate_;
        std::shared_ptr<EditGate> previous_;
        std::stop_callback<WaitForEdit> waitForEdit_;
    };

    // An edit's pass through the gates of the calling thread, from its start to its end. Admitted when
    // the thread has no gate, or none of its gates' jobs was asked to stop; an edit within an admitted
    // one on the same thread is admitted with it.
    class Entry {
    public:
        Entry();
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        bool admitted() const { return admitted_; }

    private:
        std::vector<std::shared_ptr<EditGate>> held_; // the outermost starter first
        bool admitted_ = true;
    };

    EditGate(std::stop_token stop, std::shared_ptr<EditGate> starter, Notice notice = {})
        : stop_(std::move(stop))
        , starter_(std::move(starter))
        , notice_(std::move(notice)) {}

    // The stops of this job and of the jobs that started it.
    std::vector<std::stop_token> stops() const;
    // Tells the screen of this job (or of the nearest starter that has one).
    void notify(const QString& line) const;
    // The error of a wait for `path` that this job, a job it started or one that started it has given
    // up; none when no wait for it was given up.
    std::optional<FileBusyError> givenUp(const QString& path) const;
    // Remembers a wait given up, in this job and in the jobs that started it.
    void giveUp(const QString& path, const FileBusyError& error);

private:
    std::stop_token stop_;
    std::shared_ptr<EditGate> starter_;
    Notice notice_;
    std::recursive_mutex mutex_;
    mutable std::mutex givenUpMutex_;
    QHash<QString, FileBusyError> givenUp_;
};

// startWorker for a job: the job's thread has the gate of its stop, with the gate of the calling thread
// (when it is a job's) as its starter, and `notice` as where it tells that an edit waits.
inline std::stop_source startJobWorker(std::function<void(std::stop_token)> job,
                                       EditGate::Notice notice = {}) {
    return startWorker([job = std::move(job), notice = std::move(notice),
                        starter = EditGate::current()](std::stop_token stop) {
        const EditGate::Scope edits(stop, starter, notice);
        job(stop);
    });
}

// runOffThread for a screen's file edit: `work` runs on a job thread of its own (startJobWorker), so that
// neither the edit nor a wait for another program's hold on the file runs on the GUI thread, and a stop
// of the returned source ends such a wait at once. The line that says an edit waits goes to `notice`
// and the result to `done`, both on the GUI thread unless `context` is gone by then.
template <typename Work, typename Done>
std::stop_source runEditOffThread(QObject* context, Work work, EditGate::Notice notice, Done done) {
    auto carried = std::make_shared<Done>(std::move(done));
    auto told = std::make_shared<EditGate::Notice>(std::move(notice));
    const ContextGuard target(context);
    return startJobWorker(
        [target, work = std::move(work), carried = std::move(carried)](std::stop_token stop) mutable {
            auto result = work(stop);
            target.postCall([carried = std::move(carried), result = std::move(result)](QObject*) mutable {
                (*carried)(std::move(result));
            });
        },
        [target, told = std::move(told)](const QString& line) {
            target.postCall([told, line](QObject*) { (*told)(line); });
        });
}

} // namespace qlan
