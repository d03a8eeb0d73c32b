#pragma once
// Jobs that wait (on children, the network, the disk) run on threads of their own; their results come
// back on the GUI thread through the dispatcher of ContextGuard, which drops them when their context
// is gone by then. A worker thread never touches the context itself.

#include "platform/ContextGuard.h"

#include <QObject>

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>

namespace qlan {

// Starts `job` on a new detached thread; the returned source asks it to stop.
inline std::stop_source startWorker(std::function<void(std::stop_token)> job) {
    std::stop_source source;
    std::thread([job = std::move(job), token = source.get_token()] { job(token); }).detach();
    return source;
}

// Calls `fn` on the GUI thread (queued) unless the context is gone by then. A worker thread passes a
// ContextGuard made on the GUI thread (`startWorker([target = ContextGuard(this)] { ...
// postTo(target, ...); })`), never a pointer to the context.
inline void postTo(const ContextGuard& context, std::function<void()> fn) {
    context.post(std::move(fn));
}

// Runs `work` off the calling (GUI) thread and hands its result to `done` on the GUI thread, unless
// `context` is gone by then. `done` and the result are destroyed on the GUI thread. Returns the stop
// source of the worker.
template <typename Work, typename Done>
std::stop_source runOffThread(QObject* context, Work work, Done done) {
    // The worker carries `done` to the dispatcher without calling or copying it; the shared holder
    // only lets the job be a copyable std::function.
    auto carried = std::make_shared<Done>(std::move(done));
    return startWorker([target = ContextGuard(context), work = std::move(work),
                        carried = std::move(carried)](std::stop_token token) mutable {
        auto result = [&] {
            if constexpr (std::is_invocable_v<Work, std::stop_token>)
                return work(token);
            else
                return work();
        }();
        target.postCall([carried = std::move(carried), result = std::move(result)](QObject*) mutable {
            (*carried)(std::move(result));
        });
    });
}

} // namespace qlan
