#pragma once
// Handing results of worker threads to QObject contexts (screens, models) without a worker thread ever
// touching such an object.
//
// One long-lived dispatcher lives on the application's (GUI) thread; it is created on first use and
// never destroyed. A ContextGuard is made on the GUI thread for a context: the dispatcher keeps a
// QPointer to the context under a key, and the guard holds only that key. Worker threads may keep,
// copy and drop guards and post calls through them; the calls are queued to the dispatcher, which
// checks on the GUI thread whether the context still exists and drops the call when it does not.
// Since a context is destroyed on the GUI thread too, a call that runs finds its context alive for
// the whole call, and nothing runs after the context's destruction.

#include <QHash>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace qlan {

namespace detail {

// A call that runs on the dispatcher's thread, given the context it was posted for. Move-only, so
// that what it carries (a job's result, a screen's callback) is never copied on a worker thread; it
// is destroyed on the dispatcher's thread whether it runs or not.
class DispatchedCall {
public:
    DispatchedCall() = default;
    template <typename Fn>
    DispatchedCall(Fn fn) // made from lambdas
        : impl_(std::make_unique<Impl<Fn>>(std::move(fn))) {}

    explicit operator bool() const { return impl_ != nullptr; }
    void operator()(QObject* context) { impl_->run(context); }

private:
    struct Base {
        virtual ~Base() = default;
        virtual void run(QObject* context) = 0;
    };
    template <typename Fn> struct Impl final : Base {
        explicit Impl(Fn fn)
            : fn(std::move(fn)) {}
        void run(QObject* context) override { fn(context); }
        Fn fn;
    };
    std::unique_ptr<Base> impl_;
};

// The dispatcher on the GUI thread.
class MainThreadDispatcher final : public QObject {
public:
    // The one dispatcher. Made on first use on the thread of the QCoreApplication; never destroyed,
    // so that calls posted while the application quits still find it.
    static MainThreadDispatcher& instance();

    // GUI thread: starts watching `context` and returns its key (never 0).
    quint64 watch(QObject* context);
    // Any thread: queues `call` to run with the context watched under `key` if that still exists
    // then; otherwise the call is dropped. Calls run in the order they were posted.
    void post(quint64 key, DispatchedCall call);
    // Any thread: forgets the key once the calls posted before have been handled.
    void release(quint64 key);
    // Whether `event` carries a call posted here (a job's result, say), which the dispatcher is about to run.
    static bool carriesCall(const QEvent* event);

protected:
    bool event(QEvent* event) override;

private:
    MainThreadDispatcher() = default;

    std::atomic<quint64> lastKey_{0};
    QHash<quint64, QPointer<QObject>> watched_; // GUI thread only
};

} // namespace detail

// Whether the loop is about to deliver `event` as a call handed back through a guard (a job's result, say).
inline bool handsBackACall(const QEvent* event) {
    return detail::MainThreadDispatcher::carriesCall(event);
}

// A context that any thread may hold and post to. Make it on the context's thread (the GUI thread);
// copies may then go to worker threads. The implicit conversion lets `postTo(this, ...)` read as
// before, on the GUI thread.
class ContextGuard {
public:
    ContextGuard() = default;
    ContextGuard(QObject* context);

    // True when made for a context (whether it still exists can only be told on the GUI thread).
    bool isSet() const { return key_ != nullptr; }

    // Any thread: runs `fn` on the GUI thread if the context still exists then; otherwise `fn` is
    // dropped there.
    void post(std::function<void()> fn) const;

    // Any thread: runs `call(context)` on the GUI thread if the context still exists then.
    void postCall(detail::DispatchedCall call) const;

private:
    // The dispatcher's key of the context; the last copy to go releases it.
    struct Key {
        explicit Key(quint64 value)
            : value(value) {}
        Key(const Key&) = delete;
        Key& operator=(const Key&) = delete;
        ~Key();
        const quint64 value;
    };
    std::shared_ptr<const Key> key_;
};

} // namespace qlan
