#pragma once
// What the staged audit did with one stage it reached: showed it, or skipped it because it is already
// in order, or skipped it because something missing blocks it. Sent as the "outcome" of
// "audit_stage_outcome".

#include "platform/TextEnum.h"

#include <QString>

namespace qlan {

enum class AuditStageOutcome { rendered, skippedAlreadyOk, skippedMissingBlocked };

template <> struct TextEnumCases<AuditStageOutcome> {
    static constexpr TextCase<AuditStageOutcome> cases[]{
        {AuditStageOutcome::rendered, "rendered"},
        {AuditStageOutcome::skippedAlreadyOk, "skipped_already_ok"},
        {AuditStageOutcome::skippedMissingBlocked, "skipped_missing_blocked"},
    };
};

} // namespace qlan
