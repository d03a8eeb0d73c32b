#pragma once
// A pause of a worker thread that ends early when its job is asked to stop.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace qlan {

// Sleeps for `duration`, waking at once when `stop` is requested.
inline void pauseUnlessStopped(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any woken;
    std::unique_lock lock(mutex);
    woken.wait_for(lock, stop, duration, [] { return false; });
}

} // namespace qlan
