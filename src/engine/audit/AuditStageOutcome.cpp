#include "audit/AuditStageOutcome.h"

namespace qlan {

QString toText(AuditStageOutcome outcome) {
    switch (outcome) {
    case AuditStageOutcome::rendered:
        return QStringLiteral("rendered");
    case AuditStageOutcome::skippedAlreadyOk:
        return QStringLiteral("skipped_already_ok");
    case AuditStageOutcome::skippedMissingBlocked:
        return QStringLiteral("skipped_missing_blocked");
    }
    return {};
}

std::optional<AuditStageOutcome> auditStageOutcomeFromText(const QString& text) {
    for (auto outcome : {AuditStageOutcome::rendered, AuditStageOutcome::skippedAlreadyOk,
                         AuditStageOutcome::skippedMissingBlocked})
        if (toText(outcome) == text) return outcome;
    return std::nullopt;
}

} // namespace qlan
