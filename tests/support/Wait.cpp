#include "support/Wait.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>
#include <QWidget>

#include <memory>

namespace qlan::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

bool waitForQueuedCalls(int rounds, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (int round = 0; round < rounds; ++round) {
        auto ran = std::make_shared<bool>(false);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [ran] { *ran = true; }, Qt::QueuedConnection);
        if (!waitUntil([ran] { return *ran; }, int(std::max<qint64>(deadline.remainingTime(), 0))))
            return false;
        // And what the calls left to be deleted once control returns to the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool waitForAnimations(const QObject* root, int timeoutMs) {
    return waitUntil(
        [root] {
            for (const QAbstractAnimation* animation : root->findChildren<QAbstractAnimation*>())
                if (animation->state() == QAbstractAnimation::Running) return false;
            return true;
        },
        timeoutMs);
}

bool waitForWindowExposed(QWidget* window) {
    return QTest::qWaitForWindowExposed(window, patienceMs);
}

bool waitForWindowActive(QWidget* window) {
    return QTest::qWaitForWindowActive(window, patienceMs);
}

} // namespace qlan::test
