#include "setup/SetupSummary.h"

#include "setup/SetupWorkflowCopy.h"

namespace qlan {

QStringList SetupSummary::rows(const std::optional<SetupWorkflow>& workflow, const ProductConfig& edition) {
    QStringList lines;
    if (!workflow) return lines;
    const SpineCopy& copy = SetupWorkflowCopy::spineCopy(edition);
    for (const WorkflowStep& step : workflow->steps) {
        if (!step.stage || step.placement != DomainPlacement::primary) continue;
        const QString domainID = step.domainID();
        if (edition.spinePolicy.summaryExcludedDomains.contains(domainID)) continue;
        lines.append(copy.statusLabel(domainID, step.stage->diagnosis()));
    }
    return lines;
}

ReadinessScreenCopy SetupSummary::warningCopy(const SetupFlowModel::ReadinessWarning& warning) {
    if (const auto* network = std::get_if<NetworkReadinessResult>(&warning))
        return ReadinessScreenCopy::network(*network);
    return ReadinessScreenCopy::disk(std::get<DiskReadinessResult>(warning));
}

void SetupSummary::continueAfterWarning(SetupFlowModel& model) {
    const SetupFlowModel::Step& step = model.step();
    if (step.kind == SetupFlowModel::Step::Kind::readinessWarning && step.warning)
        model.recordReadinessAction(*step.warning, QStringLiteral("continue"));
    model.advanceReadiness(model.pendingReadiness());
}

void SetupSummary::stopAtWarning(SetupFlowModel& model, AppNavigation* navigation) {
    const SetupFlowModel::Step& step = model.step();
    if (step.kind == SetupFlowModel::Step::Kind::readinessWarning && step.warning)
        model.recordReadinessAction(*step.warning, QStringLiteral("stop"));
    model.clearPendingReadiness();
    if (navigation) navigation->setPath({});
}

} // namespace qlan
