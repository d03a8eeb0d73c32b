#pragma once
// The shared cancel switch of a job made of several children run one after another.

#include "platform/ProcessRunning.h"

#include <memory>
#include <mutex>

namespace qlan {

class CancellableProcess {
public:
    // The handle of the child the job has just started; cancelled at once when the job already is.
    void setCurrent(std::shared_ptr<ProcessCancellation> handle) {
        std::lock_guard lock(mutex_);
        current_ = std::move(handle);
        // The job's lock is held while the handle's own lock is taken (job first, handle second).
        if (canceled_ && current_) current_->cancel();
    }

    void cancel() {
        std::shared_ptr<ProcessCancellation> current;
        {
            std::lock_guard lock(mutex_);
            canceled_ = true;
            current = current_;
        }
        if (current) current->cancel();
    }

    bool isCanceled() const {
        std::lock_guard lock(mutex_);
        return canceled_;
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<ProcessCancellation> current_;
    bool canceled_ = false;
};

} // namespace qlan
