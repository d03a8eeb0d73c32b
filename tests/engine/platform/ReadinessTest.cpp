#include "Printers.h"
#include "platform/DiskReadiness.h"
#include "platform/NetworkReadiness.h"
#include "platform/ReadinessScreenCopy.h"

#include <gtest/gtest.h>

using namespace qlan;

namespace {

NetworkReadinessConfig homebrewLike(int endpoints = 3) {
    NetworkReadinessConfig config;
    for (int i = 0; i < endpoints; ++i)
        config.endpoints.append(QUrl(QStringLiteral("http://127.0.0.1:9/%1").arg(i)));
    config.estimatedPayloadBytes = 1'500'000'000;
    config.slowThresholdSeconds = 600;
    config.maxSampleBytes = 800'000;
    config.probeTimeoutSeconds = 3;
    return config;
}

const QString slowBodyStart =
    QStringLiteral("Quillane downloads several hundred megabytes from Apple and Homebrew. On "
                   "this connection that will take about ");
const QString slowBodyEnd =
    QStringLiteral(" minutes. You can continue now, or stop and try again later when your "
                   "connection is faster. Nothing has changed on your Mac yet.");

} // namespace

TEST(NetworkReadiness, EvaluatesTheBestThroughput) {
    const NetworkReadinessConfig config = homebrewLike(1);
    const NetworkReadinessResult slow = config.evaluate(2'000'000.0, 1, 0);
    EXPECT_EQ(slow, (NetworkReadinessResult{NetworkVerdict::slow, 16.0, 750, 1, 1}));
    EXPECT_EQ(ReadinessScreenCopy::network(slow).body, slowBodyStart + "13" + slowBodyEnd);

    // Exactly at the threshold is still fine; one second more is slow.
    EXPECT_EQ(config.evaluate(2'500'000.0, 1, 0).verdict, NetworkVerdict::ok);
    EXPECT_EQ(config.evaluate(2'500'000.0, 1, 0).estimatedInstallSeconds, 600);
    NetworkReadinessConfig halves = config;
    halves.estimatedPayloadBytes = 1201; // 600.5 s at 2 B/s: a half rounds away from zero
    EXPECT_EQ(halves.evaluate(2.0, 1, 0).estimatedInstallSeconds, 601);
    EXPECT_EQ(halves.evaluate(2.0, 1, 0).verdict, NetworkVerdict::slow);
    halves.estimatedPayloadBytes = 1199; // 599.5 s
    EXPECT_EQ(halves.evaluate(2.0, 1, 0).estimatedInstallSeconds, 600);
    EXPECT_EQ(halves.evaluate(2.0, 1, 0).verdict, NetworkVerdict::ok);

    // Reachable counts every answering endpoint, whatever gave the best speed.
    EXPECT_EQ(homebrewLike(3).evaluate(50'000'000.0, 2, 1),
              (NetworkReadinessResult{NetworkVerdict::ok, 400.0, 30, 2, 3}));

    // A throughput so small that the estimate leaves the integer range saturates instead of overflowing.
    const NetworkReadinessResult crawl = config.evaluate(1e-300, 1, 0);
    EXPECT_EQ(crawl.verdict, NetworkVerdict::slow);
    EXPECT_EQ(crawl.estimatedInstallSeconds, std::numeric_limits<qint64>::max());
}

TEST(NetworkReadiness, WithoutAThroughputTheCountsDecide) {
    const NetworkReadinessConfig three = homebrewLike(3);
    EXPECT_EQ(three.evaluate(std::nullopt, 0, 3),
              (NetworkReadinessResult{NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 3}));
    // Two down and one timed out; one answered without a speed; a zero throughput.
    EXPECT_EQ(three.evaluate(std::nullopt, 0, 2),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 0, 3}));
    EXPECT_EQ(three.evaluate(std::nullopt, 1, 2),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 1, 3}));
    EXPECT_EQ(three.evaluate(0.0, 1, 0).verdict, NetworkVerdict::unmeasured);
    EXPECT_EQ(three.evaluate(0.0, 0, 3).verdict, NetworkVerdict::unreachable);

    const NetworkReadinessConfig none = homebrewLike(0);
    EXPECT_EQ(none.evaluate(5'000'000.0, 1, 0),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 0, 0}));
}

TEST(NetworkReadiness, VerdictTextsAndWarnings) {
    const std::pair<NetworkVerdict, const char*> texts[] = {{NetworkVerdict::ok, "ok"},
                                                            {NetworkVerdict::slow, "slow"},
                                                            {NetworkVerdict::unreachable, "unreachable"},
                                                            {NetworkVerdict::unmeasured, "unmeasured"}};
    for (const auto& [verdict, text] : texts) {
        EXPECT_EQ(toText(verdict), text);
        EXPECT_EQ(fromText<NetworkVerdict>(text), verdict);
    }
    EXPECT_EQ(fromText<NetworkVerdict>("Slow"), std::nullopt);
    EXPECT_EQ(fromText<NetworkVerdict>("slow "), std::nullopt);
    EXPECT_EQ(fromText<NetworkVerdict>(""), std::nullopt);
    EXPECT_TRUE(needsWarning(NetworkVerdict::slow));
    EXPECT_TRUE(needsWarning(NetworkVerdict::unreachable));
    EXPECT_FALSE(needsWarning(NetworkVerdict::ok));
    EXPECT_FALSE(needsWarning(NetworkVerdict::unmeasured));

    const std::pair<DiskVerdict, const char*> diskTexts[] = {{DiskVerdict::ok, "ok"},
                                                             {DiskVerdict::low, "low"},
                                                             {DiskVerdict::critical, "critical"},
                                                             {DiskVerdict::unmeasured, "unmeasured"}};
    for (const auto& [verdict, text] : diskTexts) {
        EXPECT_EQ(toText(verdict), text);
        EXPECT_EQ(fromText<DiskVerdict>(text), verdict);
    }
    EXPECT_EQ(fromText<DiskVerdict>("CRITICAL"), std::nullopt);
    EXPECT_TRUE(needsWarning(DiskVerdict::low));
    EXPECT_TRUE(needsWarning(DiskVerdict::critical));
    EXPECT_FALSE(needsWarning(DiskVerdict::ok));
    EXPECT_FALSE(needsWarning(DiskVerdict::unmeasured));
}

TEST(DiskReadiness, GradesFreeSpaceAtTheBoundaries) {
    const qint64 worst = 15'000'000'000, headroom = 10'000'000'000, critical = 3'000'000'000;
    auto verdictFor = [&](std::optional<qint64> available) {
        return DiskReadinessResult::evaluate(available, worst, headroom, critical).verdict;
    };
    EXPECT_EQ(verdictFor(2'999'999'999), DiskVerdict::critical);
    EXPECT_EQ(verdictFor(3'000'000'000), DiskVerdict::low);
    EXPECT_EQ(verdictFor(24'999'999'999), DiskVerdict::low);
    EXPECT_EQ(verdictFor(25'000'000'000), DiskVerdict::ok);
    EXPECT_EQ(verdictFor(0), DiskVerdict::critical);
    EXPECT_EQ(verdictFor(-1), DiskVerdict::critical);
    EXPECT_EQ(verdictFor(std::nullopt), DiskVerdict::unmeasured);

    EXPECT_EQ(DiskReadinessResult::evaluate(std::nullopt, worst, headroom, critical),
              (DiskReadinessResult{DiskVerdict::unmeasured, std::nullopt, worst, headroom}));
    EXPECT_EQ(DiskReadinessResult::evaluate(30'000'000'000, worst, headroom, critical),
              (DiskReadinessResult{DiskVerdict::ok, 30'000'000'000, worst, headroom}));

    // A worst case and headroom that add up beyond the 64-bit range: nothing is enough.
    const qint64 huge = std::numeric_limits<qint64>::max();
    EXPECT_EQ(DiskReadinessResult::evaluate(30'000'000'000, huge, headroom, critical).verdict,
              DiskVerdict::low);
}

TEST(ReadinessScreenCopy, NetworkTexts) {
    const ReadinessScreenCopy unreachable =
        ReadinessScreenCopy::network({NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 3});
    EXPECT_EQ(
        unreachable,
        (ReadinessScreenCopy{"Your connection", "We can't reach the servers needed to install",
                             "The Apple and Homebrew download servers aren't responding right now. You can "
                             "still try, but it may fail partway. Checking your internet connection first is "
                             "recommended.",
                             "Continue now", "Stop and try later"}));

    auto minutesText = [](std::optional<qint64> seconds) {
        return ReadinessScreenCopy::network({NetworkVerdict::slow, 1.0, seconds, 1, 1}).body;
    };
    EXPECT_EQ(minutesText(20), slowBodyStart + "1" + slowBodyEnd);
    EXPECT_EQ(minutesText(0), slowBodyStart + "1" + slowBodyEnd);
    EXPECT_EQ(minutesText(89), slowBodyStart + "1" + slowBodyEnd);
    EXPECT_EQ(minutesText(90), slowBodyStart + "2" + slowBodyEnd);
    EXPECT_EQ(minutesText(3600), slowBodyStart + "60" + slowBodyEnd);
    EXPECT_EQ(minutesText(std::nullopt), slowBodyStart + "10" + slowBodyEnd);

    const ReadinessScreenCopy slow = ReadinessScreenCopy::network({NetworkVerdict::slow, 16.0, 750, 1, 1});
    EXPECT_EQ(slow.windowTitle, "Your connection");
    EXPECT_EQ(slow.headline, "Slow Internet Connection");
    EXPECT_EQ(slow.continueLabel, "Continue now");
    EXPECT_EQ(slow.stopLabel, "Stop and try later");
    // Verdicts without a warning of their own get the slow wording.
    EXPECT_EQ(
        ReadinessScreenCopy::network({NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 1, 3}).headline,
        "Slow Internet Connection");
}

TEST(ReadinessScreenCopy, DiskTexts) {
    const qint64 worst = 15'000'000'000, headroom = 10'000'000'000, critical = 3'000'000'000;
    const ReadinessScreenCopy low =
        ReadinessScreenCopy::disk(DiskReadinessResult::evaluate(24'400'000'000, worst, headroom, critical));
    EXPECT_EQ(low,
              (ReadinessScreenCopy{
                  "Your disk space", "Low on disk space",
                  "Quillane can add up to about 15 GB if you install everything we recommend. Your Mac has "
                  "about 24 GB free right now. You can continue and choose fewer items, free up some space "
                  "first, or stop and come back later. Nothing has changed on your Mac yet.",
                  "Continue anyway", "Stop and free up space"}));

    const ReadinessScreenCopy nearlyFull =
        ReadinessScreenCopy::disk(DiskReadinessResult::evaluate(400'000'000, worst, headroom, critical));
    EXPECT_EQ(nearlyFull,
              (ReadinessScreenCopy{
                  "Your disk space", "Your Mac is almost out of space",
                  "Your Mac has only about 1 GB free. Installing new software now is likely to fail "
                  "partway and may leave your Mac unstable. Freeing up space first is strongly "
                  "recommended.",
                  "Continue anyway", "Stop and free up space"}));
    EXPECT_NE(ReadinessScreenCopy::disk({DiskVerdict::critical, 2'500'000'000, worst, headroom})
                  .body.indexOf("only about 3 GB free"),
              -1);
    EXPECT_NE(ReadinessScreenCopy::disk({DiskVerdict::critical, std::nullopt, worst, headroom})
                  .body.indexOf("only about a few GB free"),
              -1);
    EXPECT_NE(ReadinessScreenCopy::disk({DiskVerdict::low, std::nullopt, worst, headroom})
                  .body.indexOf("Your Mac has about a little GB free right now."),
              -1);
    EXPECT_NE(
        ReadinessScreenCopy::disk({DiskVerdict::low, 0, 100, headroom}).body.indexOf("up to about 1 GB"), -1);
}
