#include "platform/NetworkReadiness.h"

#include <cmath>
#include <limits>

namespace qlan {
namespace {

// Rounds halves away from zero; values beyond the 64-bit range saturate instead of overflowing.
qint64 roundedSeconds(double seconds) {
    const double rounded = std::round(seconds);
    if (!(rounded < static_cast<double>(std::numeric_limits<qint64>::max())))
        return std::numeric_limits<qint64>::max();
    if (rounded < static_cast<double>(std::numeric_limits<qint64>::min()))
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
}

} // namespace

bool needsWarning(NetworkVerdict verdict) {
    return verdict == NetworkVerdict::slow || verdict == NetworkVerdict::unreachable;
}

NetworkReadinessResult NetworkReadinessConfig::evaluate(std::optional<double> bestBytesPerSecond,
                                                        int reachable, int down) const {
    const int total = static_cast<int>(endpoints.size());
    if (total == 0) return {NetworkVerdict::unmeasured, std::nullopt, std::nullopt, 0, 0};

    if (bestBytesPerSecond && *bestBytesPerSecond > 0) {
        const double throughput = *bestBytesPerSecond;
        const qint64 seconds = roundedSeconds(static_cast<double>(estimatedPayloadBytes) / throughput);
        const NetworkVerdict verdict =
            seconds > slowThresholdSeconds ? NetworkVerdict::slow : NetworkVerdict::ok;
        return {verdict, throughput * 8.0 / 1'000'000.0, seconds, reachable, total};
    }

    if (reachable == 0 && down == total)
        return {NetworkVerdict::unreachable, std::nullopt, std::nullopt, 0, total};
    return {NetworkVerdict::unmeasured, std::nullopt, std::nullopt, reachable, total};
}

} // namespace qlan
