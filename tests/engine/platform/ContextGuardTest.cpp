#include "platform/ContextGuard.h"
#include "platform/Stream.h"
#include "platform/Worker.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <memory>
#include <thread>

using namespace qlan;

namespace {

// What one run of the race saw.
struct Tally {
    std::atomic<int> delivered = 0;
    std::atomic<int> late = 0;      // handed over after the context was destroyed
    std::atomic<int> offThread = 0; // handed over or disposed of on a thread other than the GUI thread
    std::atomic<int> disposed = 0;  // callbacks destroyed
};

// Carried inside a callback: when the callback and all its copies are gone, counts where that happened.
class DisposalProbe {
public:
    explicit DisposalProbe(Tally* tally)
        : sentinel_(std::make_shared<Sentinel>(tally)) {}

private:
    struct Sentinel {
        explicit Sentinel(Tally* tally)
            : tally(tally) {}
        ~Sentinel() {
            if (QThread::currentThread() != qApp->thread()) ++tally->offThread;
            ++tally->disposed;
        }
        Tally* tally;
    };
    std::shared_ptr<Sentinel> sentinel_;
};

// One context and the moment of its destruction, as the GUI thread sees it.
struct Round {
    QObject* context = new QObject;
    bool destroyed = false; // GUI thread only
    std::atomic<bool> finishing = false;

    void destroy() {
        delete context;
        destroyed = true;
    }
};

void handOver(Tally& tally, const Round& round) {
    if (QThread::currentThread() != qApp->thread()) ++tally.offThread;
    if (round.destroyed) ++tally.late;
    ++tally.delivered;
}

// Destroys the round's context at one of three moments: before the job is near its end, the moment it
// finishes (racing the hand-over), or after the events of this thread have been processed once.
void destroyAtSomeMoment(Round& round, int i) {
    switch (i % 3) {
    case 0:
        round.destroy();
        return;
    case 1:
        while (!round.finishing)
            std::this_thread::yield();
        round.destroy();
        return;
    default:
        while (!round.finishing)
            std::this_thread::yield();
        QCoreApplication::processEvents();
        round.destroy();
    }
}

constexpr int rounds = 1500;

} // namespace

// Contexts destroyed while their jobs finish, thousands of times: nothing is handed over after the
// destruction, nothing runs or is destroyed off the GUI thread, and no worker reads the context (the
// sanitizer build runs this too).
TEST(ResultDelivery, AContextDestroyedWhileItsJobFinishesGetsNothingLate) {
    for (const char* way : {"runOffThread", "postTo", "deliverTo"}) {
        SCOPED_TRACE(way);
        Tally tally;
        for (int i = 0; i < rounds; ++i) {
            // Every job keeps its round alive: a worker may still be finishing after its context is gone.
            const auto shared = std::make_shared<Round>();
            Round& round = *shared;
            DisposalProbe probe(&tally);
            const std::string name = way;
            if (name == "runOffThread") {
                runOffThread(
                    round.context,
                    [shared, i] {
                        shared->finishing = true;
                        return i;
                    },
                    [&tally, shared, probe = std::move(probe)](int) { handOver(tally, *shared); });
            } else if (name == "postTo") {
                startWorker([&tally, shared, target = ContextGuard(round.context),
                             probe = std::move(probe)](std::stop_token) mutable {
                    shared->finishing = true;
                    postTo(target, [&tally, shared, probe = std::move(probe)] { handOver(tally, *shared); });
                });
            } else {
                auto [stream, producer] = Stream<int>::make();
                std::move(stream).deliverTo(
                    round.context, [&tally, shared](int) { handOver(tally, *shared); },
                    [&tally, shared, probe = std::move(probe)] { handOver(tally, *shared); });
                startWorker([shared, producer = producer](std::stop_token) {
                    producer.yield(1);
                    shared->finishing = true;
                    producer.yield(2);
                    producer.finish();
                });
            }
            destroyAtSomeMoment(round, i);
        }
        // Every callback is disposed of in the end: run or dropped, on the GUI thread.
        EXPECT_TRUE(test::waitUntil([&] { return tally.disposed == rounds; })) << tally.disposed;
        EXPECT_EQ(tally.late, 0);
        EXPECT_EQ(tally.offThread, 0);
        EXPECT_GT(tally.delivered, 0); // the contexts that lived long enough did get their results
    }
}

// A callback that destroys its own context ends the hand-over there; calls run in the order posted.
TEST(ResultDelivery, ACallbackMayDestroyItsContextAndCallsKeepTheirOrder) {
    auto* context = new QObject;
    auto [stream, producer] = Stream<int>::make();
    std::vector<int> received;
    bool ended = false;
    std::move(stream).deliverTo(
        context,
        [&](int value) {
            received.push_back(value);
            if (value == 2) delete context;
        },
        [&] { ended = true; });
    for (int value : {1, 2, 3})
        producer.yield(value);
    producer.finish();
    ASSERT_TRUE(test::waitUntil([&] { return received.size() >= 2; }));
    test::waitUntil([] { return false; }, 100); // nothing more may come
    EXPECT_EQ(received, (std::vector<int>{1, 2}));
    EXPECT_FALSE(ended);

    QObject screen;
    QStringList order;
    const ContextGuard target(&screen);
    std::thread([target, &order] {
        for (int i = 0; i < 50; ++i)
            postTo(target, [i, &order] { order << QString::number(i); });
    }).join();
    postTo(&screen, [&] { order << "gui"; }); // from the GUI thread: later, not now
    EXPECT_TRUE(order.isEmpty());
    ASSERT_TRUE(test::waitUntil([&] { return order.size() == 51; }));
    EXPECT_EQ(order.first(), "0");
    EXPECT_EQ(order[49], "49");
    EXPECT_EQ(order.last(), "gui");
}
