#pragma once
// Jobs that wait (on children, the network, the disk) run on threads of their own; their results come
// back on the thread of a QObject context through a queued call.

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>
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

// Calls `fn` on the thread of `context` (queued). Dropped when the context is gone by then.
inline void postTo(QObject* context, std::function<void()> fn) {
    QPointer<QObject> target(context);
    if (!target) return;
    QMetaObject::invokeMethod(
        context,
        [target, fn = std::move(fn)] {
            if (target) fn();
        },
        Qt::QueuedConnection);
}

// Runs `work` off the calling thread and hands its result to `done` on the GUI thread, where `context`
// lives; nothing is called when `context` is gone by then. The worker never reads the guard: the result
// travels through the application object, and the guard is checked on the GUI thread.
// Returns the stop source of the worker.
template <typename Work, typename Done>
std::stop_source runOffThread(QObject* context, Work work, Done done) {
    QPointer<QObject> target(context);
    return startWorker(
        [target, work = std::move(work), done = std::move(done)](std::stop_token token) mutable {
            auto result = [&] {
                if constexpr (std::is_invocable_v<Work, std::stop_token>)
                    return work(token);
                else
                    return work();
            }();
            QCoreApplication* app = QCoreApplication::instance();
            if (!app) return;
            QMetaObject::invokeMethod(
                app,
                [target, done = std::move(done), result = std::move(result)]() mutable {
                    if (target) done(std::move(result));
                },
                Qt::QueuedConnection);
        });
}

} // namespace qlan
