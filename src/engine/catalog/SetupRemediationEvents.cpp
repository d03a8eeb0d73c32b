#include "catalog/SetupRemediationEvents.h"

#include "telemetry/EventValues.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent setupRemediationAppliedEvent(const SetupRemediation& remediation) {
    return remediationApplied(remediation.id(), remediation.telemetryMethod());
}

TelemetryEvent setupRemediationCompletedEvent(const SetupRemediation& remediation, qint64 exitCode) {
    return remediationCompleted(remediation.id(), exitCode);
}

TelemetryEvent setupRemediationFailedEvent(const SetupRemediation& remediation, qint64 exitCode,
                                           const QString& reason) {
    return remediationFailed(remediation.id(), exitCode, reason);
}

} // namespace qlan
