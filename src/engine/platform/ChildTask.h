#pragma once
// Child tasks of a probe: each runs on a thread of its own, so that checks that wait on a child process
// really overlap. The parent joins every child (future::get) before it returns.

#include <future>
#include <system_error>
#include <type_traits>
#include <utility>

namespace qlan {

// Starts `work` on a new thread. When no thread can be created the work runs when its result is asked
// for, on the asking thread, so the caller still gets an answer.
template <typename Work> std::future<std::invoke_result_t<Work>> startChildTask(Work work) {
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(work));
    }
}

} // namespace qlan
