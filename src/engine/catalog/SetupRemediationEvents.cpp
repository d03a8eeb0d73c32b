// The usage events of a guided-setup fix: applied, completed and failed.
#include "catalog/SetupRemediation.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent TelemetryService::setupRemediationFailedEvent(const SetupRemediation& remediation,
                                                             qint64 exitCode, const QString& reason) {
    return {QStringLiteral("remediation_failed"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(remediation.id()))},
                {QStringLiteral("exit_code"), integer(exitCode)},
                {QStringLiteral("reason"), text(maskedAndCut(reason, kFailureReasonLimit))},
            }};
}

TelemetryEvent TelemetryService::setupRemediationAppliedEvent(const SetupRemediation& remediation) {
    return {QStringLiteral("remediation_applied"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(remediation.id()))},
                {QStringLiteral("method"), text(remediation.telemetryMethod())},
            }};
}

TelemetryEvent TelemetryService::setupRemediationCompletedEvent(const SetupRemediation& remediation,
                                                                qint64 exitCode) {
    return {QStringLiteral("remediation_completed"),
            {
                {QStringLiteral("remediation_id"), text(homeMasked(remediation.id()))},
                {QStringLiteral("exit_code"), integer(exitCode)},
            }};
}

void TelemetryService::trackSetupRemediationApplied(const SetupRemediation& remediation) {
    send(setupRemediationAppliedEvent(remediation));
}

void TelemetryService::trackSetupRemediationCompleted(const SetupRemediation& remediation, qint64 exitCode) {
    send(setupRemediationCompletedEvent(remediation, exitCode));
}

} // namespace qlan
