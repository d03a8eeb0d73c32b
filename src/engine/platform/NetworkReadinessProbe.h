#pragma once
// Samples the download servers at the same time and grades the best measured speed.

#include "platform/HTTPFetching.h"
#include "platform/NetworkReadiness.h"

#include <QNetworkReply>

#include <exception>
#include <memory>
#include <stop_token>

namespace qlan {

class NetworkReadinessProbe {
public:
    explicit NetworkReadinessProbe(std::shared_ptr<HTTPFetching> http)
        : http(std::move(http)) {}

    std::shared_ptr<HTTPFetching> http;

    // What one endpoint gave.
    struct EndpointSample {
        enum class Kind { throughput, responded, down, timeout };
        Kind kind = Kind::timeout;
        double bytesPerSecond = 0; // for `throughput`

        static EndpointSample throughput(double bytesPerSecond) { return {Kind::throughput, bytesPerSecond}; }
        static EndpointSample responded() { return {Kind::responded, 0}; }
        static EndpointSample down() { return {Kind::down, 0}; }
        static EndpointSample timeout() { return {Kind::timeout, 0}; }
        friend bool operator==(const EndpointSample&, const EndpointSample&) = default;
    };

    // Samples every endpoint at once (one thread each) and waits for all of them. Blocks the calling
    // thread (never call it on the GUI thread); never throws.
    NetworkReadinessResult run(const NetworkReadinessConfig& config, std::stop_token stop = {}) const;

    // One ranged, uncached GET of at most `maxSampleBytes` within `probeTimeoutSeconds`. Never throws.
    EndpointSample sampleEndpoint(const QUrl& endpoint, const NetworkReadinessConfig& config,
                                  std::stop_token stop = {}) const;

    // The request sampleEndpoint sends.
    static HTTPRequest sampleRequest(const QUrl& endpoint, const NetworkReadinessConfig& config);

    // A failure that means the server cannot be reached at all ("down"), as opposed to one that
    // merely took too long or failed otherwise ("timeout").
    static bool isConnectivityError(const std::exception& error);
    static bool isConnectivityError(QNetworkReply::NetworkError code);
};

} // namespace qlan
