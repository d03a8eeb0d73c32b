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

} // namespace qlan
