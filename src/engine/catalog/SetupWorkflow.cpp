#include "catalog/SetupWorkflow.h"

#include <algorithm>

namespace qlan {

bool operator==(const WorkflowStep& a, const WorkflowStep& b) {
    if (a.placement != b.placement) return false;
    if (!a.stage || !b.stage) return !a.stage && !b.stage;
    return a.stage == b.stage ||
           (a.stage->domainID() == b.stage->domainID() && a.stage->diagnosis() == b.stage->diagnosis() &&
            a.stage->actions() == b.stage->actions());
}

std::optional<DomainPlacement> SetupWorkflow::placement(const QString& domainID) const {
    for (const WorkflowStep& step : steps)
        if (step.stage && step.domainID() == domainID) return step.placement;
    return std::nullopt;
}

QStringList SetupWorkflow::domainIDs(DomainPlacement placement) const {
    QStringList ids;
    for (const WorkflowStep& step : steps)
        if (step.stage && step.placement == placement) ids.append(step.domainID());
    return ids;
}

QStringList SetupWorkflow::primaryDomainIDs() const {
    return domainIDs(DomainPlacement::primary);
}
QStringList SetupWorkflow::offerDomainIDs() const {
    return domainIDs(DomainPlacement::offer);
}
QStringList SetupWorkflow::optionalDomainIDs() const {
    return domainIDs(DomainPlacement::optional);
}

std::optional<QString> SetupWorkflow::firstDomainID() const {
    for (const WorkflowStep& step : steps)
        if (step.stage) return step.domainID();
    return std::nullopt;
}

std::optional<QString> SetupWorkflow::followingDomainID(const QString& domainID) const {
    const auto found = std::find_if(steps.cbegin(), steps.cend(), [&](const WorkflowStep& step) {
        return step.stage && step.domainID() == domainID;
    });
    if (found == steps.cend()) return std::nullopt;
    for (auto next = found + 1; next != steps.cend(); ++next)
        if (next->stage) return next->domainID();
    return std::nullopt;
}

std::optional<QString> SetupWorkflow::nextDomainID(DomainPlacement placement,
                                                   const std::optional<QString>& after) const {
    QList<const SetupStage*> collected;
    for (const WorkflowStep& step : steps)
        if (step.stage && step.placement == placement) collected.append(step.stage.get());

    qsizetype start = 0;
    if (after) {
        const auto found = std::find_if(collected.cbegin(), collected.cend(),
                                        [&](const SetupStage* stage) { return stage->domainID() == *after; });
        if (found == collected.cend()) return std::nullopt;
        start = (found - collected.cbegin()) + 1;
    }
    for (qsizetype i = start; i < collected.size(); ++i)
        if (collected[i]->diagnosis().classification != SetupDiagnosisClassification::ready)
            return collected[i]->domainID();
    return std::nullopt;
}

QStringList SetupProbeBundle::allPrimaryToolLocations() const {
    QStringList all = pathVisiblePrimaryTools + installedPrimaryToolLocations;
    all.sort(Qt::CaseSensitive);
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

} // namespace qlan
