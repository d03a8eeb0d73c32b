#include "audit/AuditStageOutcomeEvents.h"

#include "telemetry/EventValues.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome) {
    return {QStringLiteral("audit_stage_outcome"),
            {
                {QStringLiteral("stage_id"), text(stageID)},
                {QStringLiteral("outcome"), text(toText(outcome))},
            }};
}

TelemetryEvent auditStageSkippedByUserEvent(const QString& stageID) {
    return {QStringLiteral("audit_stage_skipped_by_user"), {{QStringLiteral("stage_id"), text(stageID)}}};
}

} // namespace qlan
