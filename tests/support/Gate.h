#pragma once
// A gate that threads of a test pass, and that the test can hold shut: while held, pass() waits (on the
// passing thread) until release(). Open at first.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qlan::test {

class Gate {
public:
    void hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }
    // Waits while the gate is held.
    void pass() const {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return !held_; });
    }
    // Waits while the gate is held, at most `limit`.
    void passWithin(std::chrono::milliseconds limit) const {
        std::unique_lock lock(mutex_);
        released_.wait_for(lock, limit, [this] { return !held_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable released_;
    bool held_ = false;
};

} // namespace qlan::test
