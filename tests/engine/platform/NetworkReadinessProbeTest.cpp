#include "platform/NetworkReadinessProbe.h"
#include "Printers.h"
#include "platform/PlatformError.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>

using namespace qlan;
using Sample = NetworkReadinessProbe::EndpointSample;

namespace {

// Answers each sample with what the test scripts for its URL, and records the requests it saw.
class ScriptedFetcher : public HTTPFetching {
public:
    std::function<ByteSample(const HTTPRequest&)> answer;

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&, std::stop_token) override {
        throw TransportError("unused");
    }
    std::pair<QString, HTTPResponse> download(const QUrl&, std::stop_token) override {
        throw TransportError("unused");
    }
    ByteSample sampleBytes(const HTTPRequest& request, qint64 byteLimit, double timeLimit,
                           std::stop_token) override {
        {
            std::lock_guard lock(mutex);
            requests.append(request);
            limits.append({byteLimit, timeLimit});
        }
        return answer(request);
    }

    std::mutex mutex;
    QList<HTTPRequest> requests;
    QList<std::pair<qint64, double>> limits;
};

NetworkReadinessConfig configFor(const QStringList& paths) {
    NetworkReadinessConfig config;
    for (const QString& path : paths)
        config.endpoints.append(QUrl("http://127.0.0.1:9" + path));
    config.estimatedPayloadBytes = 1'500'000'000;
    config.slowThresholdSeconds = 600;
    config.maxSampleBytes = 800'000;
    config.probeTimeoutSeconds = 3;
    return config;
}

} // namespace

TEST(NetworkReadinessProbe, SortsEveryTransportErrorIntoDownOrTimeout) {
    using E = QNetworkReply;
    const std::pair<E::NetworkError, bool> mapping[] = {
        // Down: the server cannot be reached at all.
        {E::HostNotFoundError, true},
        {E::ConnectionRefusedError, true},
        {E::RemoteHostClosedError, true},
        {E::TemporaryNetworkFailureError, true},
        {E::NetworkSessionFailedError, true},
        {E::BackgroundRequestNotAllowedError, true},
        {E::UnknownNetworkError, true},
        {E::ProxyConnectionRefusedError, true},
        {E::ProxyConnectionClosedError, true},
        {E::ProxyNotFoundError, true},
        // Time-out: everything else.
        {E::NoError, false},
        {E::TimeoutError, false},
        {E::OperationCanceledError, false},
        {E::ProxyTimeoutError, false},
        {E::SslHandshakeFailedError, false},
        {E::TooManyRedirectsError, false},
        {E::InsecureRedirectError, false},
        {E::ProxyAuthenticationRequiredError, false},
        {E::UnknownProxyError, false},
        {E::ContentNotFoundError, false},
        {E::ContentAccessDenied, false},
        {E::AuthenticationRequiredError, false},
        {E::UnknownContentError, false},
        {E::ProtocolUnknownError, false},
        {E::ProtocolInvalidOperationError, false},
        {E::ProtocolFailure, false},
        {E::InternalServerError, false},
        {E::ServiceUnavailableError, false},
        {E::UnknownServerError, false},
    };
    for (const auto& [code, down] : mapping) {
        EXPECT_EQ(NetworkReadinessProbe::isConnectivityError(code), down) << code;
        EXPECT_EQ(NetworkReadinessProbe::isConnectivityError(TransportError("failed", code)), down) << code;
    }
    // Errors that are not transport errors are never "down", whatever their code.
    EXPECT_FALSE(NetworkReadinessProbe::isConnectivityError(PlatformError("disk", E::HostNotFoundError)));
    EXPECT_FALSE(NetworkReadinessProbe::isConnectivityError(std::runtime_error("boom")));
}

TEST(NetworkReadinessProbe, SamplesWithARangedUncachedRequest) {
    auto http = std::make_shared<ScriptedFetcher>();
    http->answer = [](const HTTPRequest&) { return ByteSample{400'000, 0.5}; };
    const NetworkReadinessConfig config = configFor({"/formula.json"});
    EXPECT_EQ(NetworkReadinessProbe(http).sampleEndpoint(config.endpoints[0], config),
              Sample::throughput(800'000.0));

    ASSERT_EQ(http->requests.size(), 1);
    const HTTPRequest& request = http->requests[0];
    EXPECT_EQ(request.url, QUrl("http://127.0.0.1:9/formula.json"));
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.timeoutSeconds, 3.0);
    EXPECT_FALSE(request.ignoreCache);
    EXPECT_EQ(request.headers, HTTPHeaders({{"Range", "bytes=0-799999"}, {"Cache-Control", "no-cache"}}));
    EXPECT_EQ(http->limits[0], (std::pair<qint64, double>{800'000, 3.0}));

    NetworkReadinessConfig one = config;
    one.maxSampleBytes = 1;
    EXPECT_EQ(NetworkReadinessProbe::sampleRequest(one.endpoints[0], one).headers.first(),
              (QPair<QByteArray, QByteArray>{"Range", "bytes=0-0"}));
}

TEST(NetworkReadinessProbe, ClassifiesEachSample) {
    auto http = std::make_shared<ScriptedFetcher>();
    const NetworkReadinessProbe probe(http);
    const NetworkReadinessConfig config = configFor({"/x"});
    auto sampleWith = [&](std::function<ByteSample(const HTTPRequest&)> answer) {
        http->answer = std::move(answer);
        return probe.sampleEndpoint(config.endpoints[0], config);
    };
    EXPECT_EQ(sampleWith([](auto&) { return ByteSample{0, 0.2}; }), Sample::responded());
    EXPECT_EQ(sampleWith([](auto&) { return ByteSample{10, 0.0}; }), Sample::responded());
    EXPECT_EQ(sampleWith([](auto&) { return ByteSample{1, 0.0001}; }), Sample::throughput(10'000.0));
    EXPECT_EQ(sampleWith([](auto&) -> ByteSample {
                  throw TransportError("refused", QNetworkReply::ConnectionRefusedError);
              }),
              Sample::down());
    EXPECT_EQ(
        sampleWith([](auto&) -> ByteSample { throw TransportError("slow", QNetworkReply::TimeoutError); }),
        Sample::timeout());
    EXPECT_EQ(sampleWith([](auto&) -> ByteSample { throw std::runtime_error("odd"); }), Sample::timeout());
    EXPECT_EQ(sampleWith([](auto&) -> ByteSample { throw 42; }), Sample::timeout());
}

TEST(NetworkReadinessProbe, RunSamplesEveryEndpointAtOnceAndCombines) {
    auto http = std::make_shared<ScriptedFetcher>();
    // Each sample waits until all three are in flight, so a run that sampled one after another would
    // see every endpoint time out.
    std::mutex mutex;
    std::condition_variable allIn;
    int inFlight = 0;
    http->answer = [&](const HTTPRequest& request) -> ByteSample {
        {
            std::unique_lock lock(mutex);
            ++inFlight;
            allIn.notify_all();
            if (!allIn.wait_for(lock, std::chrono::milliseconds(test::patienceMs),
                                [&] { return inFlight >= 3; }))
                throw TransportError("alone", QNetworkReply::TimeoutError);
        }
        const QString path = request.url.path();
        if (path == "/fast") return {1'000'000, 0.1}; // 10 MB/s
        if (path == "/slow") return {100'000, 0.1};   // 1 MB/s
        throw TransportError("no host", QNetworkReply::HostNotFoundError);
    };
    const NetworkReadinessResult result =
        NetworkReadinessProbe(http).run(configFor({"/slow", "/fast", "/gone"}));
    EXPECT_EQ(result, (NetworkReadinessResult{NetworkVerdict::ok, 80.0, 150, 2, 3}));
    EXPECT_EQ(http->requests.size(), 3);
}

TEST(NetworkReadinessProbe, RunVerdictsWhenNothingIsMeasured) {
    auto http = std::make_shared<ScriptedFetcher>();
    const NetworkReadinessProbe probe(http);

    http->answer = [](const HTTPRequest& request) -> ByteSample {
        throw TransportError("offline", request.url.path() == "/a"
                                            ? QNetworkReply::TemporaryNetworkFailureError
                                            : QNetworkReply::HostNotFoundError);
    };
    EXPECT_EQ(probe.run(configFor({"/a", "/b", "/c"})),
              (NetworkReadinessResult{NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, 3}));

    http->answer = [](const HTTPRequest& request) -> ByteSample {
        if (request.url.path() == "/c") throw TransportError("late", QNetworkReply::OperationCanceledError);
        throw TransportError("offline", QNetworkReply::ConnectionRefusedError);
    };
    EXPECT_EQ(probe.run(configFor({"/a", "/b", "/c"})).verdict, NetworkVerdict::unmeasured);

    http->answer = [](const HTTPRequest&) { return ByteSample{0, 0.3}; };
    EXPECT_EQ(probe.run(configFor({"/empty"})),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 1, 1}));

    http->requests.clear();
    EXPECT_EQ(probe.run(configFor({})),
              (NetworkReadinessResult{NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 0, 0}));
    EXPECT_TRUE(http->requests.isEmpty());
}
