#pragma once
// The task through which a screen consumes one job's event stream on the GUI thread.
//
// A worker thread of its own reads the stream and leaves the events in a mailbox; the GUI thread takes
// them in slices of a few milliseconds, one queued call at a time, so that a job that prints very fast
// never holds the event loop up for long. Each slice hands the events to `onEvent` in arrival order and
// then calls `afterSlice` once. `onDone` runs once, on the GUI thread, when the stream has ended and every
// event was handed over, or right after `cancel`.
//
// Cancelling drops the events not yet handed over and stops listening: the stream's termination handler
// ends the job (and its child processes). Destroying the task does the same and calls nothing back;
// events still on their way to a destroyed task are dropped on the GUI thread.

#include "platform/Stream.h"

#include <QObject>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

namespace qlan {

namespace detail {

struct StreamMailboxBase {
    std::mutex mutex;
    bool drainPosted = false; // a queued slice is on its way to the GUI thread
    bool ended = false;       // the worker has read the end of the stream

    virtual ~StreamMailboxBase() = default;
    // Hands buffered events over until `deadline` or `stop()`; true when the slice ran out of time.
    virtual bool deliver(std::chrono::steady_clock::time_point deadline,
                         const std::function<bool()>& stop) = 0;
    virtual bool emptyLocked() const = 0;
};

template <typename T> struct StreamMailbox : StreamMailboxBase {
    std::deque<T> events;
    std::function<void(T)> onEvent;

    bool deliver(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& stop) override {
        std::vector<T> taken;
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (events.empty()) return false;
                const std::size_t count = std::min<std::size_t>(events.size(), 256);
                taken.assign(std::make_move_iterator(events.begin()),
                             std::make_move_iterator(events.begin() + static_cast<std::ptrdiff_t>(count)));
                events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(count));
            }
            for (T& event : taken) {
                if (stop()) return false;
                onEvent(std::move(event));
            }
            if (std::chrono::steady_clock::now() >= deadline) return true;
        }
    }
    bool emptyLocked() const override { return events.empty(); }
};

} // namespace detail

class StreamTask : public QObject {
    Q_OBJECT
public:
    explicit StreamTask(QObject* parent = nullptr);
    ~StreamTask() override;

    // The longest slice of events handed over in one go.
    static constexpr std::chrono::milliseconds sliceBudget{4};

    // Starts consuming; call once, on the GUI thread.
    template <typename T>
    void start(Stream<T> stream, std::function<void(T)> onEvent, std::function<void()> afterSlice,
               std::function<void()> onDone) {
        auto mailbox = std::make_shared<detail::StreamMailbox<T>>();
        mailbox->onEvent = std::move(onEvent);
        mailbox_ = mailbox;
        afterSlice_ = std::move(afterSlice);
        onDone_ = std::move(onDone);
        auto source = std::make_shared<Stream<T>>(std::move(stream));
        startReader([mailbox, source](std::stop_token stop, const std::function<void()>& post) {
            std::vector<T> batch;
            while (source->nextBatch(batch, 1024, stop)) {
                bool needPost = false;
                {
                    std::lock_guard lock(mailbox->mutex);
                    for (T& event : batch)
                        mailbox->events.push_back(std::move(event));
                    needPost = !std::exchange(mailbox->drainPosted, true);
                }
                if (needPost) post();
            }
            source->cancel(); // a stop request has cancelled it already; an ended stream ignores this
        });
    }

    // Stops consuming; `onDone` follows on the GUI thread (queued). Harmless when done.
    void cancel();
    bool isCanceled() const { return canceled_; }
    bool isDone() const { return done_; }

private:
    void startReader(std::function<void(std::stop_token, const std::function<void()>&)> read);
    void drain();
    void complete();

    std::shared_ptr<detail::StreamMailboxBase> mailbox_;
    std::function<void()> afterSlice_;
    std::function<void()> onDone_;
    std::stop_source stop_;
    bool canceled_ = false;
    bool done_ = false;
};

} // namespace qlan
