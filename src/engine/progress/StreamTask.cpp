#include "progress/StreamTask.h"

#include "platform/ContextGuard.h"
#include "platform/Worker.h"

#include <QPointer>

namespace qlan {

StreamTask::StreamTask(QObject* parent)
    : QObject(parent) {}

StreamTask::~StreamTask() {
    stop_.request_stop();
}

void StreamTask::startReader(std::function<void(std::stop_token, const std::function<void()>&)> read) {
    // The worker reaches the task only through the GUI thread's dispatcher, which drops the call when
    // the task is gone.
    const ContextGuard target(this);
    auto mailbox = mailbox_;
    const std::function<void()> post = [target] {
        target.postCall([](QObject* task) { static_cast<StreamTask*>(task)->drain(); });
    };
    stop_ = startWorker([read = std::move(read), mailbox, post](std::stop_token stop) {
        read(stop, post);
        bool needPost = false;
        {
            std::lock_guard lock(mailbox->mutex);
            mailbox->ended = true;
            needPost = !std::exchange(mailbox->drainPosted, true);
        }
        if (needPost) post();
    });
}

void StreamTask::drain() {
    if (done_ || canceled_ || !mailbox_) return;
    const auto deadline = std::chrono::steady_clock::now() + sliceBudget;
    const QPointer<StreamTask> self(this);
    const auto mailbox = mailbox_;
    mailbox->deliver(deadline, [self] { return !self || self->canceled_; });
    if (!self) return;
    if (afterSlice_) afterSlice_();
    if (!self || canceled_) return;
    bool again = false;
    bool ended = false;
    {
        std::lock_guard lock(mailbox->mutex);
        if (!mailbox->emptyLocked())
            again = true;
        else if (mailbox->ended)
            ended = true;
        else
            mailbox->drainPosted = false;
    }
    if (again)
        QMetaObject::invokeMethod(this, &StreamTask::drain, Qt::QueuedConnection);
    else if (ended)
        complete();
}

void StreamTask::cancel() {
    if (done_ || canceled_) return;
    canceled_ = true;
    stop_.request_stop();
    QMetaObject::invokeMethod(this, &StreamTask::complete, Qt::QueuedConnection);
}

void StreamTask::complete() {
    if (done_) return;
    done_ = true;
    if (auto done = std::exchange(onDone_, nullptr)) done();
}

} // namespace qlan
