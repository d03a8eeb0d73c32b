#pragma once
// The usage events of the audit's stages. Each builder returns the event; its caller hands it to its
// telemetry service.

#include "audit/AuditStageOutcome.h"
#include "telemetry/JSONValue.h"

namespace qlan {

TelemetryEvent auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome);
TelemetryEvent auditStageSkippedByUserEvent(const QString& stageID);

} // namespace qlan
