#pragma once
// The thresholds of the readiness checks run before the guided setup installs anything, and the network
// check's verdict: is the connection fast enough for the setup's downloads. The disk check's own types
// are in DiskReadiness.h (included here, so that both configurations come with this header).

#include "platform/DiskReadiness.h"
#include "platform/TextEnum.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <QtGlobal>

#include <optional>

namespace qlan {

enum class NetworkVerdict { ok, slow, unreachable, unmeasured };

template <> struct TextEnumCases<NetworkVerdict> {
    static constexpr TextCase<NetworkVerdict> cases[]{
        {NetworkVerdict::ok, "ok"},
        {NetworkVerdict::slow, "slow"},
        {NetworkVerdict::unreachable, "unreachable"},
        {NetworkVerdict::unmeasured, "unmeasured"},
    };
};
// `slow` and `unreachable` need a warning; `ok` and `unmeasured` do not.
bool needsWarning(NetworkVerdict verdict);

struct NetworkReadinessResult {
    NetworkVerdict verdict = NetworkVerdict::unmeasured;
    std::optional<double> downMbps;                // best speed, megabits per second
    std::optional<qint64> estimatedInstallSeconds; // payload / best bytes per second, rounded
    int endpointsReachable = 0;                    // endpoints that answered
    int endpointsTotal = 0;

    friend bool operator==(const NetworkReadinessResult&, const NetworkReadinessResult&) = default;
};

struct NetworkReadinessConfig {
    QList<QUrl> endpoints;            // servers to sample, one concurrent sample each
    qint64 estimatedPayloadBytes = 0; // bytes the whole setup is expected to download
    int slowThresholdSeconds = 0;     // estimated install time above which the connection is slow
    qint64 maxSampleBytes = 0;        // bytes to read from each endpoint at most
    double probeTimeoutSeconds = 0;   // request timeout and read time limit per endpoint

    // The verdict for the best throughput (bytes per second) among the samples, the number of endpoints
    // that answered and the number that were down.
    NetworkReadinessResult evaluate(std::optional<double> bestBytesPerSecond, int reachable, int down) const;

    friend bool operator==(const NetworkReadinessConfig&, const NetworkReadinessConfig&) = default;
};

} // namespace qlan
