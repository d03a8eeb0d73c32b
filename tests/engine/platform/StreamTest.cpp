#include "platform/Stream.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

using namespace qlan;

TEST(Stream, DeliversInOrderFinishesOnceAndDropsLateEvents) {
    auto [stream, producer] = Stream<int>::make();
    std::vector<StreamTermination> terminations;
    producer.onTermination([&](StreamTermination why) { terminations.push_back(why); });
    EXPECT_TRUE(producer.yield(1));
    EXPECT_TRUE(producer.yield(2));
    producer.finish();
    producer.finish();
    EXPECT_FALSE(producer.yield(3));
    EXPECT_EQ(stream.next(), 1);
    EXPECT_EQ(stream.next(), 2);
    EXPECT_EQ(stream.next(), std::nullopt);
    stream.cancel(); // after the finish: the handler does not run again
    ASSERT_EQ(terminations.size(), 1u);
    EXPECT_EQ(terminations[0], StreamTermination::finished);
}

TEST(Stream, ConsumerCancelAndDropRunTheHandlerOnceAndWakeABlockedReader) {
    std::atomic<int> cancels = 0;
    std::optional<int> seen = 42;
    std::thread reader;
    {
        auto [stream, producer] = Stream<int>::make();
        producer.onTermination([&](StreamTermination why) {
            if (why == StreamTermination::cancelled) ++cancels;
        });
        auto shared = std::make_shared<Stream<int>>(std::move(stream));
        reader = std::thread([shared, &seen] { seen = shared->next(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        shared->cancel();
        reader.join();
        EXPECT_EQ(seen, std::nullopt);
        EXPECT_FALSE(producer.yield(5));
        EXPECT_TRUE(producer.isCancelled());
    }
    EXPECT_EQ(cancels.load(), 1);

    // Dropping the consumer object counts as a cancel.
    std::atomic<int> dropped = 0;
    {
        auto [stream, producer] = Stream<int>::make();
        producer.onTermination(
            [&](StreamTermination why) { dropped += why == StreamTermination::cancelled; });
    }
    EXPECT_EQ(dropped.load(), 1);

    // A handler installed after termination runs at once.
    auto [stream, producer] = Stream<int>::make();
    producer.finish();
    int late = 0;
    producer.onTermination([&](StreamTermination) { ++late; });
    EXPECT_EQ(late, 1);
}

TEST(Stream, ManyProducersLoseNothing) {
    auto [stream, producer] = Stream<int>::make();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([producer = producer, t] {
            for (int i = 0; i < 10000; ++i)
                producer.yield(t * 10000 + i);
        });
    for (auto& thread : threads)
        thread.join();
    producer.finish();
    long long sum = 0;
    int count = 0;
    while (auto value = stream.next()) {
        sum += *value;
        ++count;
    }
    EXPECT_EQ(count, 40000);
    EXPECT_EQ(sum, 39999LL * 40000 / 2);
}

TEST(Stream, NextWithStopTokenReturnsAndCancels) {
    auto [stream, producer] = Stream<int>::make();
    std::stop_source source;
    std::optional<int> result = 1;
    std::thread reader([&, s = std::move(stream)]() mutable { result = s.next(source.get_token()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    source.request_stop();
    reader.join();
    EXPECT_EQ(result, std::nullopt);
    EXPECT_TRUE(producer.isCancelled());
}

TEST(Stream, QueuedDeliveryRunsOnTheContextThreadAndStopsWhenItDies) {
    auto context = std::make_unique<QObject>();
    auto [stream, producer] = Stream<QString>::make();
    QStringList received;
    bool ended = false;
    bool onContextThread = true;
    std::move(stream).deliverTo(
        context.get(),
        [&](QString value) {
            onContextThread &= QThread::currentThread() == context->thread();
            received << value;
        },
        [&] { ended = true; });
    std::thread([producer = producer] {
        producer.yield(QStringLiteral("a"));
        producer.yield(QStringLiteral("b"));
        producer.finish();
    }).join();
    ASSERT_TRUE(test::waitUntil([&] { return ended; }));
    EXPECT_EQ(received, (QStringList{"a", "b"}));
    EXPECT_TRUE(onContextThread);

    // Destroying the context cancels a live stream.
    auto [second, secondProducer] = Stream<QString>::make();
    bool cancelled = false;
    secondProducer.onTermination(
        [&](StreamTermination why) { cancelled = why == StreamTermination::cancelled; });
    std::move(second).deliverTo(context.get(), [](QString) {});
    context.reset();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(secondProducer.yield(QStringLiteral("late")));
}

TEST(Stream, AFastProducerIsDeliveredInOrderWithoutHoldingTheContextThread) {
    QObject context;
    auto [stream, producer] = Stream<int>::make();
    constexpr int count = 20000;
    std::vector<int> received;
    bool ended = false;
    int turnsDuringDelivery = 0; // times the thread handled something else while events were pending
    std::move(stream).deliverTo(
        &context,
        [&](int value) {
            received.push_back(value);
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(2);
            while (std::chrono::steady_clock::now() < until) {
            }
        },
        [&] { ended = received.size() == std::size_t(count); });
    std::thread([producer = producer] {
        for (int i = 0; i < count; ++i)
            producer.yield(i);
        producer.finish();
    }).join();
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { turnsDuringDelivery += ended ? 0 : 1; });
    other.start(0);
    ASSERT_TRUE(test::waitUntil([&] { return ended; }));
    EXPECT_GT(turnsDuringDelivery, 1);
    std::vector<int> expected(count);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(received, expected);
}
