#include "Printers.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/NetworkReadinessProbe.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

using namespace qlan;
using test::LoopbackHttpServer;
using test::LoopbackResponse;
using Sample = NetworkReadinessProbe::EndpointSample;

namespace {

NetworkReadinessConfig sampling(QList<QUrl> endpoints) {
    NetworkReadinessConfig config;
    config.endpoints = std::move(endpoints);
    config.estimatedPayloadBytes = 1'500'000'000;
    config.slowThresholdSeconds = 600;
    config.maxSampleBytes = 50'000;
    config.probeTimeoutSeconds = 2;
    return config;
}

} // namespace

TEST(NetworkReadinessLoopback, SamplesRealServersWithRangedRequests) {
    LoopbackHttpServer server;
    server.route("/index", LoopbackResponse{.status = 206, .body = QByteArray(50'000, 'x')});
    server.route("/empty", LoopbackResponse{.status = 200});
    server.route("/late", LoopbackResponse{.status = 200, .body = "late", .headDelayMs = 3000});
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackHttpServer::refusedPort()));

    const NetworkReadinessProbe probe(std::make_shared<LiveHTTPFetcher>());
    const NetworkReadinessConfig config = sampling({server.url("/index")});
    const Sample indexSample = probe.sampleEndpoint(server.url("/index"), config);
    EXPECT_EQ(indexSample.kind, Sample::Kind::throughput);
    EXPECT_GT(indexSample.bytesPerSecond, 0);
    EXPECT_EQ(probe.sampleEndpoint(server.url("/empty"), config), Sample::responded());
    // An error status with a body is an answer like any other: its bytes count.
    EXPECT_EQ(probe.sampleEndpoint(server.url("/missing"), config).kind, Sample::Kind::throughput);
    EXPECT_EQ(probe.sampleEndpoint(refused, config), Sample::down());
    NetworkReadinessConfig impatient = config;
    impatient.probeTimeoutSeconds = 0.3;
    EXPECT_EQ(probe.sampleEndpoint(server.url("/late"), impatient), Sample::timeout());

    const QList<test::LoopbackRequest> seen = server.requests();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].header("Range"), "bytes=0-49999");
    EXPECT_EQ(seen[0].header("Cache-Control"), "no-cache");
}

TEST(NetworkReadinessLoopback, RunGradesTheBestOfSeveralServers) {
    LoopbackHttpServer server;
    server.route("/a", LoopbackResponse{.status = 206, .body = QByteArray(50'000, 'a')});
    server.route(
        "/b", LoopbackResponse{
                  .status = 206, .body = QByteArray(50'000, 'b'), .chunkBytes = 5'000, .chunkDelayMs = 20});
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackHttpServer::refusedPort()));
    const NetworkReadinessProbe probe(std::make_shared<LiveHTTPFetcher>());

    const NetworkReadinessResult result = probe.run(sampling({server.url("/a"), server.url("/b"), refused}));
    EXPECT_EQ(result.endpointsReachable, 2);
    EXPECT_EQ(result.endpointsTotal, 3);
    ASSERT_TRUE(result.downMbps.has_value());
    ASSERT_TRUE(result.estimatedInstallSeconds.has_value());
    // Loopback moves 50 kB far faster than 2.5 MB/s: the estimate stays under the threshold.
    EXPECT_EQ(result.verdict, NetworkVerdict::ok);

    const quint16 closed = LoopbackHttpServer::refusedPort();
    const NetworkReadinessResult offline =
        probe.run(sampling({QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(closed)),
                            QUrl(QStringLiteral("http://127.0.0.1:%1/y").arg(closed))}));
    EXPECT_EQ(offline,
              (NetworkReadinessResult{NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 2}));
}
