#pragma once
// What the staged audit did with one stage it reached: showed it, or skipped it because it is already
// in order, or skipped it because something missing blocks it. Sent as the "outcome" of
// "audit_stage_outcome".

#include <QString>

#include <optional>

namespace qlan {

enum class AuditStageOutcome { rendered, skippedAlreadyOk, skippedMissingBlocked };

QString toText(AuditStageOutcome outcome);
// Exact, case-sensitive; any other text gives nothing.
std::optional<AuditStageOutcome> auditStageOutcomeFromText(const QString& text);

} // namespace qlan
