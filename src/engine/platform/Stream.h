#pragma once
// Stream<T>: the asynchronous event stream that long jobs report through.
//
// - Unbounded and thread-safe: the producer yields from any thread, nothing ever blocks it.
// - One finish: after finish() further events are dropped.
// - A termination handler runs exactly once: when the producer finishes the stream or when the consumer
//   cancels it (stops listening, or drops its Stream object). A handler installed after termination
//   runs at once.
// - A worker-thread consumer reads with the blocking next(), which also wakes on cancel.
// - A screen consumes on the GUI thread with deliverTo(context, ...): events are handed over by queued
//   calls on the GUI thread, and the stream is cancelled when the context is destroyed; the producer
//   never touches the context (see ContextGuard).

#include "platform/ContextGuard.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

namespace qlan {

enum class StreamTermination { finished, cancelled };

namespace detail {

template <typename T> struct StreamState {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<T> buffer;
    bool finished = false;  // producer called finish()
    bool cancelled = false; // consumer stopped listening
    bool terminated = false;
    std::function<void(StreamTermination)> onTermination;
    std::function<void()> notify; // queued delivery hook, set by deliverTo()

    // Marks the termination under the lock and returns the handler to run outside it (once).
    std::function<void(StreamTermination)> takeHandlerLocked() {
        terminated = true;
        return std::exchange(onTermination, nullptr);
    }
};

} // namespace detail

template <typename T> class Stream;

// The producer's side. Copyable; every copy feeds the same stream.
template <typename T> class StreamContinuation {
public:
    StreamContinuation() = default;

    // Appends an event. Returns false when the stream is already finished or cancelled (the event is
    // dropped).
    bool yield(T value) const {
        std::function<void()> notify;
        {
            std::lock_guard lock(state_->mutex);
            if (state_->finished || state_->cancelled) return false;
            state_->buffer.push_back(std::move(value));
            notify = state_->notify;
        }
        state_->wake.notify_all();
        if (notify) notify();
        return true;
    }

    // Appends several events at once (one lock, one wake-up). Returns false when they were dropped.
    bool yieldAll(std::vector<T>& values) const {
        if (values.empty()) return true;
        std::function<void()> notify;
        {
            std::lock_guard lock(state_->mutex);
            if (state_->finished || state_->cancelled) {
                values.clear();
                return false;
            }
            for (T& value : values)
                state_->buffer.push_back(std::move(value));
            notify = state_->notify;
        }
        values.clear();
        state_->wake.notify_all();
        if (notify) notify();
        return true;
    }

    // Ends the stream; events already buffered are still delivered. Only the first call counts.
    void finish() const {
        std::function<void(StreamTermination)> handler;
        std::function<void()> notify;
        {
            std::lock_guard lock(state_->mutex);
            if (state_->finished || state_->cancelled) return;
            state_->finished = true;
            handler = state_->takeHandlerLocked();
            notify = state_->notify;
        }
        state_->wake.notify_all();
        if (handler) handler(StreamTermination::finished);
        if (notify) notify();
    }

    // Installs the termination handler. When the stream has already terminated it runs at once.
    void onTermination(std::function<void(StreamTermination)> handler) const {
        std::optional<StreamTermination> already;
        {
            std::lock_guard lock(state_->mutex);
            if (!state_->terminated) {
                state_->onTermination = std::move(handler);
                return;
            }
            already = state_->cancelled ? StreamTermination::cancelled : StreamTermination::finished;
        }
        if (handler) handler(*already);
    }

    // True once the consumer has stopped listening.
    bool isCancelled() const {
        std::lock_guard lock(state_->mutex);
        return state_->cancelled;
    }

    bool isTerminated() const {
        std::lock_guard lock(state_->mutex);
        return state_->terminated;
    }

private:
    friend class Stream<T>;
    explicit StreamContinuation(std::shared_ptr<detail::StreamState<T>> state)
        : state_(std::move(state)) {}
    std::shared_ptr<detail::StreamState<T>> state_;
};

// The consumer's side. Move-only: destroying the last owner cancels the stream.
template <typename T> class Stream {
public:
    using Continuation = StreamContinuation<T>;

    static std::pair<Stream, Continuation> make() {
        auto state = std::make_shared<detail::StreamState<T>>();
        return {Stream(state), Continuation(state)};
    }

    Stream() = default;
    Stream(Stream&&) noexcept = default;
    Stream& operator=(Stream&& other) noexcept {
        if (this != &other) {
            cancel();
            state_ = std::move(other.state_);
        }
        return *this;
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    ~Stream() { cancel(); }

    bool isValid() const { return state_ != nullptr; }

    // Blocks until an event is available, the stream has finished and is drained (nullopt), or the
    // stream is cancelled (nullopt). Call it from a worker thread, never from the GUI thread.
    std::optional<T> next() {
        if (!state_) return std::nullopt;
        std::unique_lock lock(state_->mutex);
        state_->wake.wait(lock,
                          [&] { return !state_->buffer.empty() || state_->finished || state_->cancelled; });
        return popLocked();
    }

    // Like next(), but also returns nullopt when the token asks to stop (the stream is then cancelled).
    std::optional<T> next(std::stop_token token) {
        if (!state_) return std::nullopt;
        std::stop_callback wakeOnStop(token, [state = state_] {
            { std::lock_guard lock(state->mutex); }
            state->wake.notify_all();
        });
        {
            std::unique_lock lock(state_->mutex);
            state_->wake.wait(lock, [&] {
                return !state_->buffer.empty() || state_->finished || state_->cancelled ||
                       token.stop_requested();
            });
            if (!token.stop_requested() || state_->cancelled) return popLocked();
        }
        cancel();
        return std::nullopt;
    }

    // Waits like next(stop) for at least one event, then moves up to `max` buffered events into `out`.
    // Returns false (and leaves `out` empty) at the end of the stream, on cancel or on a stop request.
    bool nextBatch(std::vector<T>& out, std::size_t max, std::stop_token token = {}) {
        out.clear();
        auto first = next(token);
        if (!first) return false;
        out.push_back(std::move(*first));
        std::lock_guard lock(state_->mutex);
        while (out.size() < max && !state_->cancelled && !state_->buffer.empty()) {
            out.push_back(std::move(state_->buffer.front()));
            state_->buffer.pop_front();
        }
        return true;
    }

    // Returns the next event if one is buffered, without waiting.
    std::optional<T> tryNext() {
        if (!state_) return std::nullopt;
        std::lock_guard lock(state_->mutex);
        return popLocked();
    }

    // True when the stream has finished and every buffered event was read, or it was cancelled.
    bool isAtEnd() const {
        if (!state_) return true;
        std::lock_guard lock(state_->mutex);
        return state_->cancelled || (state_->finished && state_->buffer.empty());
    }

    // Stops listening: buffered events are discarded, later yields are dropped, and the termination
    // handler runs if the stream had not terminated yet. Harmless when repeated or after the finish.
    void cancel() {
        if (!state_) return;
        std::function<void(StreamTermination)> handler;
        {
            std::lock_guard lock(state_->mutex);
            if (state_->cancelled) return;
            state_->cancelled = true;
            state_->buffer.clear();
            state_->notify = nullptr;
            if (!state_->terminated) handler = state_->takeHandlerLocked();
        }
        state_->wake.notify_all();
        if (handler) handler(StreamTermination::cancelled);
    }

    // Hands every event to onEvent, and then onEnd once, on the GUI thread (the thread of `context`),
    // through queued calls; afterSlice, when given, runs after each slice of events handed over (so a
    // screen can show a slice's lines in one go). The stream is consumed: it is cancelled when `context`
    // is destroyed, and nothing is handed over after that; onEnd is not called after a cancel. Call it
    // on the GUI thread.
    //
    // The producer's threads never touch `context` or the callbacks: a yield only asks the dispatcher
    // (see ContextGuard) to drain the stream on the GUI thread, where the context is checked. However
    // fast the producer is, at most one drain is queued at a time; a drain takes the buffered events in
    // batches (one lock for each) and hands them over for about `deliverySlice`, then queues the next
    // drain and returns, so that the GUI thread keeps handling its other events.
    void deliverTo(QObject* context, std::function<void(T)> onEvent, std::function<void()> onEnd = {},
                   std::function<void()> afterSlice = {}) && {
        auto state = std::exchange(state_, nullptr);
        if (!state) return;
        if (!context) {
            Stream(state).cancel(); // nobody to hand the events to
            return;
        }
        auto* holder = new StreamHolder(
            Stream(state), context, Callbacks{std::move(onEvent), std::move(onEnd), std::move(afterSlice)});
        ContextGuard target(holder);
        auto scheduled = std::make_shared<std::atomic<bool>>(false);
        auto drain = [target, scheduled] {
            if (scheduled->exchange(true)) return; // a drain is queued already
            target.postCall([](QObject* holder) { static_cast<StreamHolder*>(holder)->drain(); });
        };
        holder->setScheduling(scheduled, drain);
        {
            std::lock_guard lock(state->mutex);
            if (state->cancelled) return;
            state->notify = drain;
        }
        drain(); // deliver what is already buffered
    }

    static constexpr std::chrono::milliseconds deliverySlice{4};

private:
    explicit Stream(std::shared_ptr<detail::StreamState<T>> state)
        : state_(std::move(state)) {}

    std::optional<T> popLocked() {
        std::optional<T> value;
        if (!state_->cancelled && !state_->buffer.empty()) {
            value.emplace(std::move(state_->buffer.front()));
            state_->buffer.pop_front();
        }
        return value;
    }

    struct Callbacks {
        std::function<void(T)> onEvent;
        std::function<void()> onEnd;
        std::function<void()> afterSlice;
    };

    // Owns a stream delivered to a context, as a child of the context (so on the GUI thread): the
    // stream is cancelled when the context is destroyed. Drained on the GUI thread only; once the end
    // has been handed over, the holder goes.
    class StreamHolder : public QObject {
    public:
        StreamHolder(Stream stream, QObject* parent, Callbacks callbacks)
            : QObject(parent)
            , stream_(std::move(stream))
            , callbacks_(std::make_shared<Callbacks>(std::move(callbacks))) {}

        void setScheduling(std::shared_ptr<std::atomic<bool>> scheduled, std::function<void()> post) {
            scheduled_ = std::move(scheduled);
            post_ = std::move(post);
        }

        void drain() {
            // A callback may destroy the context, and this holder with it: what the drain uses stays
            // alive for the call, and nothing is handed over after it.
            const std::shared_ptr<Callbacks> callbacks = callbacks_;
            const std::shared_ptr<detail::StreamState<T>> state = stream_.state_;
            const std::function<void()> post = post_;
            if (scheduled_) scheduled_->store(false);
            const auto deadline = std::chrono::steady_clock::now() + deliverySlice;
            const QPointer<QObject> self(this);
            const auto sliceEnded = [&] {
                if (callbacks->afterSlice) callbacks->afterSlice();
            };
            std::vector<T> batch;
            for (;;) {
                bool end = false;
                {
                    std::lock_guard lock(state->mutex);
                    if (state->cancelled || ended_) return;
                    if (state->buffer.empty()) {
                        if (!state->finished) break;
                        ended_ = end = true;
                    }
                    const std::size_t count = std::min(state->buffer.size(), deliveryBatch);
                    batch.assign(std::make_move_iterator(state->buffer.begin()),
                                 std::make_move_iterator(state->buffer.begin() + std::ptrdiff_t(count)));
                    state->buffer.erase(state->buffer.begin(), state->buffer.begin() + std::ptrdiff_t(count));
                }
                if (end) {
                    deleteLater(); // the end has been handed over: the holder is done
                    sliceEnded();
                    if (self && callbacks->onEnd) callbacks->onEnd();
                    return;
                }
                for (T& item : batch) {
                    if (callbacks->onEvent) callbacks->onEvent(std::move(item));
                    if (!self) return;
                }
                if (post && std::chrono::steady_clock::now() >= deadline) {
                    post(); // the rest in a later call
                    break;
                }
            }
            sliceEnded();
        }

    private:
        Stream stream_;
        std::shared_ptr<Callbacks> callbacks_;
        std::shared_ptr<std::atomic<bool>> scheduled_;
        std::function<void()> post_;
        bool ended_ = false;
    };

    // The most events taken from the buffer under one lock.
    static constexpr std::size_t deliveryBatch = 64;

    std::shared_ptr<detail::StreamState<T>> state_;
};

} // namespace qlan
