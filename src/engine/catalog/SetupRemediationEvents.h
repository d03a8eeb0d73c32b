#pragma once
// The usage events of a guided-setup fix: applied, completed and failed. Each builder returns the
// event; its caller hands it to its telemetry service.

#include "catalog/SetupRemediation.h"
#include "telemetry/JSONValue.h"

namespace qlan {

TelemetryEvent setupRemediationAppliedEvent(const SetupRemediation& remediation);
TelemetryEvent setupRemediationCompletedEvent(const SetupRemediation& remediation, qint64 exitCode);
TelemetryEvent setupRemediationFailedEvent(const SetupRemediation& remediation, qint64 exitCode,
                                           const QString& reason);

} // namespace qlan
