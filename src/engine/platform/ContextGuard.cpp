#include "platform/ContextGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace qlan {
namespace detail {
namespace {

const QEvent::Type dispatchEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// A queued call for the context under `key`, or (without a call) the end of that key.
class DispatchEvent final : public QEvent {
public:
    DispatchEvent(quint64 key, DispatchedCall call)
        : QEvent(dispatchEventType)
        , key(key)
        , call(std::move(call)) {}
    const quint64 key;
    DispatchedCall call;
};

} // namespace

MainThreadDispatcher& MainThreadDispatcher::instance() {
    static MainThreadDispatcher* const dispatcher = [] {
        auto* made = new MainThreadDispatcher;
        if (QCoreApplication* app = QCoreApplication::instance(); app && made->thread() != app->thread())
            made->moveToThread(app->thread());
        return made;
    }();
    return *dispatcher;
}

quint64 MainThreadDispatcher::watch(QObject* context) {
    Q_ASSERT_X(context && QThread::currentThread() == thread() && context->thread() == thread(),
               "ContextGuard", "a context is guarded on the GUI thread, and lives there");
    const quint64 key = ++lastKey_;
    watched_.insert(key, QPointer<QObject>(context));
    return key;
}

void MainThreadDispatcher::post(quint64 key, DispatchedCall call) {
    if (!call) return;
    QCoreApplication::postEvent(this, new DispatchEvent(key, std::move(call)));
}

void MainThreadDispatcher::release(quint64 key) {
    QCoreApplication::postEvent(this, new DispatchEvent(key, {}));
}

bool MainThreadDispatcher::carriesCall(const QEvent* event) {
    return event->type() == dispatchEventType && static_cast<const DispatchEvent*>(event)->call;
}

bool MainThreadDispatcher::event(QEvent* event) {
    if (event->type() != dispatchEventType) return QObject::event(event);
    auto* dispatch = static_cast<DispatchEvent*>(event);
    if (!dispatch->call) {
        watched_.remove(dispatch->key);
        return true;
    }
    const auto found = watched_.constFind(dispatch->key);
    if (found == watched_.cend()) return true;
    if (QObject* context = found->data()) dispatch->call(context);
    return true;
}

} // namespace detail

ContextGuard::ContextGuard(QObject* context) {
    if (!context) return;
    key_ = std::make_shared<const Key>(detail::MainThreadDispatcher::instance().watch(context));
}

ContextGuard::Key::~Key() {
    detail::MainThreadDispatcher::instance().release(value);
}

void ContextGuard::post(std::function<void()> fn) const {
    if (!key_ || !fn) return;
    detail::MainThreadDispatcher::instance().post(key_->value,
                                                  [fn = std::move(fn)](QObject*) mutable { fn(); });
}

void ContextGuard::postCall(detail::DispatchedCall call) const {
    if (!key_) return;
    detail::MainThreadDispatcher::instance().post(key_->value, std::move(call));
}

} // namespace qlan
