// The usage event of one audit stage's outcome.
#include "audit/AuditStageOutcome.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent TelemetryService::auditStageOutcomeEvent(const QString& stageID, AuditStageOutcome outcome) {
    return {QStringLiteral("audit_stage_outcome"),
            {
                {QStringLiteral("stage_id"), text(stageID)},
                {QStringLiteral("outcome"), text(toText(outcome))},
            }};
}

} // namespace qlan
