#pragma once
// A job's stop and the start of its file edits, under one lock. A job looks at its stop before each
// edit, but a stop can come right after that look. So the job runners install a gate for the job's stop
// on the job's thread (EditGate::Scope), and every edit of the engine's enters it (FileEditLock): the
// gate admits an edit only while no stop has been requested and is held to the end of the edit, and a
// stop request takes the same gate, so it waits for an edit that has begun (one atomic write, moments
// long). Once a cancel has returned, the job begins no further edit. A job started by another job (an
// installer's stream read by the job that shows it) is stopped by its starter's stop too, so it enters
// its starter's gate as well.

#include "platform/Worker.h"

#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

namespace qlan {

class EditGate {
public:
    // The gate of the job whose thread this is; none outside a job. A job runner reads it on the thread
    // that starts a job, as the new job's starter.
    static std::shared_ptr<EditGate> current();

    // Installs the gate of a job's stop on the calling thread (the job's own) for its lifetime.
    class Scope {
    public:
        Scope(std::stop_token stop, std::shared_ptr<EditGate> starter);
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

    EditGate(std::stop_token stop, std::shared_ptr<EditGate> starter)
        : stop_(std::move(stop))
        , starter_(std::move(starter)) {}

private:
    std::stop_token stop_;
    std::shared_ptr<EditGate> starter_;
    std::recursive_mutex mutex_;
};

// startWorker for a job: the job's thread has the gate of its stop, with the gate of the calling thread
// (when it is a job's) as its starter.
inline std::stop_source startJobWorker(std::function<void(std::stop_token)> job) {
    return startWorker([job = std::move(job), starter = EditGate::current()](std::stop_token stop) {
        const EditGate::Scope edits(stop, starter);
        job(stop);
    });
}

} // namespace qlan
