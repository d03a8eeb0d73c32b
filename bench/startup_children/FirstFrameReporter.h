#pragma once
// Reports the moment the first window of the program has been shown: after its first expose has been
// handled (the first frame is drawn and flushed), prints "first-frame <ns>" with the steady clock's
// reading (shared by every process of the machine) to standard output and ends the program.

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWindow>

#include <chrono>
#include <cstdio>

class FirstFrameReporter : public QObject {
public:
    FirstFrameReporter() { QCoreApplication::instance()->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!reported_ && event->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                reported_ = true;
                // Queued: runs once the expose (and with it the first paint) has been handled.
                QMetaObject::invokeMethod(
                    this,
                    [] {
                        const auto now = std::chrono::steady_clock::now().time_since_epoch();
                        std::printf("first-frame %lld\n",
                                    static_cast<long long>(
                                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                        std::fflush(stdout);
                        QCoreApplication::exit(0);
                    },
                    Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool reported_ = false;
};
