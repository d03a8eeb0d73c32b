// The usage events of a guided-setup fix: applied, completed and failed.
#include "catalog/SetupRemediation.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent TelemetryService::setupRemediationFailedEvent(const SetupRemediation& remediation,
                                                             qint64 exitCode, const QString& reason) {
    return remediationFailed(remediation.id(), exitCode, reason);
}

TelemetryEvent TelemetryService::setupRemediationAppliedEvent(const SetupRemediation& remediation) {
    return remediationApplied(remediation.id(), remediation.telemetryMethod());
}

TelemetryEvent TelemetryService::setupRemediationCompletedEvent(const SetupRemediation& remediation,
                                                                qint64 exitCode) {
    return remediationCompleted(remediation.id(), exitCode);
}

void TelemetryService::trackSetupRemediationApplied(const SetupRemediation& remediation) {
    send(setupRemediationAppliedEvent(remediation));
}

void TelemetryService::trackSetupRemediationCompleted(const SetupRemediation& remediation, qint64 exitCode) {
    send(setupRemediationCompletedEvent(remediation, exitCode));
}

} // namespace qlan
