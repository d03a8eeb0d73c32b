#include "ui/audit/AuditStageViews.h"

#include "ui/audit/Stage1View.h"
#include "ui/audit/Stage2View.h"

namespace qlan {

AuditStageView* makeStageView(const AuditStage& stage, const SystemProfile& profile,
                              std::function<void()> onAdvance, const AuditScreenSeams& seams,
                              QWidget* parent) {
    if (const auto* foundations = std::get_if<Stage1Foundations>(&stage))
        return new Stage1View(profile, std::move(onAdvance), foundations->onProfileRefresh, seams, parent);
    return new Stage2View(profile, std::move(onAdvance), seams, parent);
}

} // namespace qlan
