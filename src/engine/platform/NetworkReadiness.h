#pragma once
// The thresholds of the readiness checks run before the guided setup installs anything: which servers
// to sample for download speed, and how much free disk space is enough.

#include <QList>
#include <QUrl>

#include <QtGlobal>

namespace qlan {

struct NetworkReadinessConfig {
    QList<QUrl> endpoints;            // servers to sample, one concurrent sample each
    qint64 estimatedPayloadBytes = 0; // bytes the whole setup is expected to download
    int slowThresholdSeconds = 0;     // estimated install time above which the connection is slow
    qint64 maxSampleBytes = 0;        // bytes to read from each endpoint at most
    double probeTimeoutSeconds = 0;   // request timeout and read time limit per endpoint
    friend bool operator==(const NetworkReadinessConfig&, const NetworkReadinessConfig&) = default;
};

struct DiskReadinessConfig {
    qint64 worstCaseInstallBytes = 0;
    qint64 freeFloorBytes = 0;
    qint64 criticalFreeBytes = 0;
    friend bool operator==(const DiskReadinessConfig&, const DiskReadinessConfig&) = default;
};

} // namespace qlan
