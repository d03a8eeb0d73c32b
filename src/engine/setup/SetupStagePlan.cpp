#include "setup/SetupStagePlan.h"

#include "catalog/DevelopmentStages.h"
#include "catalog/SpineProvider.h"
#include "platform/MarkdownText.h"
#include "setup/SetupWorkflowCopy.h"

namespace qlan {

namespace {

const WorkflowStep* firstStep(const SetupWorkflow& workflow, const QString& domainID) {
    for (const WorkflowStep& step : workflow.steps)
        if (step.stage && step.domainID() == domainID) return &step;
    return nullptr;
}

} // namespace

std::optional<SetupStagePlan> SetupStagePlan::make(const QString& domainID, const SetupFlowModel& model,
                                                   const FileSystemOperating& fs,
                                                   const ProductConfig& edition) {
    if (!model.workflow() || !model.profile() || !model.probes()) return std::nullopt;
    const WorkflowStep* step = firstStep(*model.workflow(), domainID);
    if (!step) return std::nullopt;

    const SetupDiagnosis diagnosis = step->stage->diagnosis();
    const std::optional<SpineScreenCopy> copy =
        SetupWorkflowCopy::spineCopy(edition).screenCopy(domainID, diagnosis);
    SetupStagePlan plan;
    plan.domainID = domainID;
    plan.title = copy ? copy->headline : diagnosis.headline;
    plan.explainer = copy ? copy->body : markdownEscaped(diagnosis.detail);
    plan.articleURL = SetupWorkflowCopy::stageArticleURL(edition, domainID);

    switch (diagnosis.classification) {
    case SetupDiagnosisClassification::ready:
        plan.content = Content::nothing;
        return plan;
    case SetupDiagnosisClassification::blocked:
        plan.content = Content::blocked;
        plan.blockedDetail = diagnosis.detail;
        return plan;
    case SetupDiagnosisClassification::fixable:
    case SetupDiagnosisClassification::unknown:
        break;
    }
    plan.content = Content::actions;
    if (copy) plan.footer = copy->footer;

    const SpineRenderPolicy& policy = edition.spinePolicy;
    const bool needsHomebrew = !policy.homebrewIndependentDomains.contains(domainID);
    if (needsHomebrew && !homebrewAvailable(model.profile(), fs)) {
        plan.gated = true;
        plan.offersHomebrewStep = workflowHasHomebrewStep(model.workflow());
        return plan;
    }

    plan.remediations = remediationsFor(edition, domainID, *model.profile(), *model.probes());
    const auto special = policy.specialStages.constFind(domainID);
    if (special != policy.specialStages.constEnd()) {
        plan.specialKind = *special;
        return plan;
    }
    for (const SetupRemediation& remediation : plan.remediations) {
        const auto caption = policy.remediationCaptions.constFind(remediation.id());
        plan.rows.append({remediation, caption != policy.remediationCaptions.constEnd()
                                           ? *caption
                                           : remediation.caption()});
    }
    return plan;
}

QString SetupStagePlan::gateMessage() {
    return QStringLiteral("This step installs with Homebrew, which isn't installed yet. Install Homebrew "
                          "first, or skip.");
}

QString SetupStagePlan::installHomebrewFirstLabel() {
    return QStringLiteral("Install Homebrew first");
}

QString SetupStagePlan::skipLabel() {
    return QStringLiteral("Skip");
}

bool SetupStagePlan::homebrewAvailable(const std::optional<SystemProfile>& profile,
                                       const FileSystemOperating& fs) {
    if (profile && profile->homebrewPrefix) return true;
    return fs.isExecutableFile(QStringLiteral("/opt/homebrew/bin/brew")) ||
           fs.isExecutableFile(QStringLiteral("/usr/local/bin/brew"));
}

bool SetupStagePlan::workflowHasHomebrewStep(const std::optional<SetupWorkflow>& workflow) {
    return workflow && firstStep(*workflow, QStringLiteral("homebrew"));
}

QList<SetupRemediation> SetupStagePlan::remediationsFor(const ProductConfig& edition, const QString& domainID,
                                                        const SystemProfile& profile,
                                                        const SetupProbeBundle& probes) {
    if (edition.spineProvider) return edition.spineProvider->remediations(domainID, profile, probes);
    return makeDevelopmentRemediations(domainID, profile, probes);
}

QMap<QString, SetupRemediation> SetupStagePlan::offeredByID(const QList<SetupRemediation>& remediations) {
    QMap<QString, SetupRemediation> byID;
    for (const SetupRemediation& remediation : remediations)
        if (!byID.contains(remediation.id())) byID.insert(remediation.id(), remediation);
    return byID;
}

QList<ProjectTemplate> SetupStagePlan::projectTemplates(const QList<SetupRemediation>& remediations) {
    QList<ProjectTemplate> templates;
    for (const SetupRemediation& remediation : remediations)
        if (const auto* project = remediation.payloadAs<SetupRemediation::CreateProject>())
            templates.append(project->projectTemplate);
    return templates;
}

} // namespace qlan
