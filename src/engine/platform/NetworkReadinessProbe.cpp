#include "platform/NetworkReadinessProbe.h"

#include "platform/ChildTask.h"
#include "platform/PlatformError.h"

#include <QByteArray>

#include <future>
#include <vector>

namespace qlan {

NetworkReadinessResult NetworkReadinessProbe::run(const NetworkReadinessConfig& config,
                                                  std::stop_token stop) const {
    if (config.endpoints.isEmpty()) return config.evaluate(std::nullopt, 0, 0);

    std::vector<std::future<EndpointSample>> children;
    children.reserve(static_cast<size_t>(config.endpoints.size()));
    for (const QUrl& endpoint : config.endpoints)
        children.push_back(startChildTask(
            [this, endpoint, &config, stop] { return sampleEndpoint(endpoint, config, stop); }));

    std::optional<double> best;
    int reachable = 0;
    int down = 0;
    for (auto& child : children) {
        const EndpointSample sample = child.get();
        switch (sample.kind) {
        case EndpointSample::Kind::throughput:
            ++reachable;
            if (!best || sample.bytesPerSecond > *best) best = sample.bytesPerSecond;
            break;
        case EndpointSample::Kind::responded:
            ++reachable;
            break;
        case EndpointSample::Kind::down:
            ++down;
            break;
        case EndpointSample::Kind::timeout:
            break;
        }
    }
    return config.evaluate(best, reachable, down);
}

HTTPRequest NetworkReadinessProbe::sampleRequest(const QUrl& endpoint, const NetworkReadinessConfig& config) {
    HTTPRequest request;
    request.url = endpoint;
    request.method = "GET";
    request.timeoutSeconds = config.probeTimeoutSeconds;
    request.setHeader("Range", "bytes=0-" + QByteArray::number(config.maxSampleBytes - 1));
    request.setHeader("Cache-Control", "no-cache");
    return request;
}

NetworkReadinessProbe::EndpointSample
NetworkReadinessProbe::sampleEndpoint(const QUrl& endpoint, const NetworkReadinessConfig& config,
                                      std::stop_token stop) const {
    if (!http) return EndpointSample::timeout();
    try {
        const ByteSample sample = http->sampleBytes(sampleRequest(endpoint, config), config.maxSampleBytes,
                                                    config.probeTimeoutSeconds, stop);
        if (sample.bytes >= 1 && sample.elapsedSeconds > 0)
            return EndpointSample::throughput(static_cast<double>(sample.bytes) / sample.elapsedSeconds);
        return EndpointSample::responded();
    } catch (const std::exception& error) {
        return isConnectivityError(error) ? EndpointSample::down() : EndpointSample::timeout();
    } catch (...) {
        return EndpointSample::timeout();
    }
}

bool NetworkReadinessProbe::isConnectivityError(const std::exception& error) {
    const auto* transport = dynamic_cast<const TransportError*>(&error);
    return transport && isConnectivityError(static_cast<QNetworkReply::NetworkError>(transport->code()));
}

// The one place where transport failures are sorted. "Down" means no connection to the server could be
// had or the one held was lost: the address could not be resolved, the host or the network could not be
// reached, the connection was refused or broken, or the system has no usable network. Everything else
// (time-outs, cancellations, TLS, proxy authentication, protocol and content errors) counts as a time-out.
bool NetworkReadinessProbe::isConnectivityError(QNetworkReply::NetworkError code) {
    switch (code) {
    case QNetworkReply::HostNotFoundError:                // cannot find host / DNS lookup failed
    case QNetworkReply::ConnectionRefusedError:           // cannot connect to host
    case QNetworkReply::RemoteHostClosedError:            // network connection lost
    case QNetworkReply::TemporaryNetworkFailureError:     // not connected to the internet
    case QNetworkReply::NetworkSessionFailedError:        // not connected to the internet
    case QNetworkReply::BackgroundRequestNotAllowedError: // data not allowed
    case QNetworkReply::UnknownNetworkError:         // network unreachable and other socket-level failures
    case QNetworkReply::ProxyConnectionRefusedError: // cannot connect (through the proxy)
    case QNetworkReply::ProxyConnectionClosedError:  // connection lost (through the proxy)
    case QNetworkReply::ProxyNotFoundError:          // cannot find host (the proxy)
        return true;
    default:
        return false;
    }
}

} // namespace qlan
