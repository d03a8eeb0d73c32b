#pragma once
// The screen of an audit stage: the foundations screen with the stage's own profile refresh, or the
// terminal screen (which is not told the stage's follow-up context).

#include "audit/AuditStage.h"
#include "ui/audit/AuditScreenSeams.h"

#include <functional>

class QWidget;

namespace qlan {

QWidget* makeStageView(const AuditStage& stage, const SystemProfile& profile, std::function<void()> onAdvance,
                       const AuditScreenSeams& seams, QWidget* parent = nullptr);

} // namespace qlan
