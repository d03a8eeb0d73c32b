#pragma once
// Is the connection fast enough for the setup's downloads: the configuration, the verdict and the result.

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace qlan {

enum class NetworkVerdict { ok, slow, unreachable, unmeasured };

QString toText(NetworkVerdict verdict);
std::optional<NetworkVerdict> networkVerdictFromText(const QString& text);
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
    QList<QUrl> endpoints;
    qint64 estimatedPayloadBytes = 0;
    qint64 slowThresholdSeconds = 0;
    qint64 maxSampleBytes = 0;
    double probeTimeoutSeconds = 0;

    // The verdict for the best throughput (bytes per second) among the samples, the number of endpoints
    // that answered and the number that were down.
    NetworkReadinessResult evaluate(std::optional<double> bestBytesPerSecond, int reachable, int down) const;

    friend bool operator==(const NetworkReadinessConfig&, const NetworkReadinessConfig&) = default;
};

} // namespace qlan
