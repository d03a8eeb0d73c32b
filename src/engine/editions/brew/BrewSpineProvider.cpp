#include "editions/brew/BrewSpineProvider.h"

#include "catalog/AICodingDomains.h"
#include "editions/brew/HomebrewLocationState.h"
#include "editions/ProductConfig.h"

namespace qlan {
namespace {

bool hasWarp(const SystemProfile& profile) {
    return profile.terminals.warp || profile.aiTooling.warpApp;
}

SetupDiagnosis stateDiagnosis(const SharedDomainCopy::State& state,
                              SetupDiagnosisClassification classification) {
    return {state.headline, state.detail, classification};
}

} // namespace

SetupDiagnosis BrewSpineProvider::diagnosis(const QString& domainID, const SystemProfile& profile,
                                            const SetupProbeBundle& probes) {
    return diagnosis(domainID, profile, probes, ProductConfig::current().sharedDomainCopy);
}

SetupDiagnosis BrewSpineProvider::diagnosis(const QString& domainID, const SystemProfile& profile,
                                            const SetupProbeBundle& probes, const SharedDomainCopy& wording) {
    if (domainID == QLatin1String("clt")) return wording.cltDiagnosis(profile);
    if (domainID == QLatin1String("homebrew"))
        return HomebrewLocationState::classify(profile, probes).diagnosis(wording);
    if (domainID == QLatin1String("warp"))
        return hasWarp(profile) ? stateDiagnosis(wording.warpReady, SetupDiagnosisClassification::ready)
                                : stateDiagnosis(wording.warpFixable, SetupDiagnosisClassification::fixable);
    if (std::optional<SetupDiagnosis> developer = aiCodingDiagnosis(domainID, profile, probes))
        return *developer;
    return {domainID, QString(), SetupDiagnosisClassification::unknown};
}

QList<SetupRemediation> BrewSpineProvider::remediations(const QString& domainID, const SystemProfile& profile,
                                                        const SetupProbeBundle& probes) const {
    if (domainID == QLatin1String("homebrew")) {
        switch (HomebrewLocationState::classify(profile, probes)) {
        case HomebrewLocationState::installed:
        case HomebrewLocationState::installedInTwoPlaces:
            return {};
        case HomebrewLocationState::notOnPath:
            return {SetupRemediation::repairHomebrewPath()};
        case HomebrewLocationState::wrongChip:
        case HomebrewLocationState::notInstalled:
            break;
        }
        return {SetupRemediation::installHomebrew()};
    }
    // Whether "clt" and "warp" are fixable does not depend on their wording.
    if (domainID == QLatin1String("clt"))
        return profile.xcodeCommandLineToolsPath ? QList<SetupRemediation>{}
                                                 : QList{SetupRemediation::installCommandLineTools()};
    if (domainID == QLatin1String("warp"))
        return hasWarp(profile) ? QList<SetupRemediation>{} : QList{SetupRemediation::installWarp()};
    return aiCodingRemediations(domainID, profile, probes);
}

std::optional<SetupWorkflow> BrewSpineProvider::makeSpine(const std::optional<QString>& focusDomainID,
                                                          const SystemProfile& profile,
                                                          const SetupProbeBundle& probes,
                                                          const SpineSelection&) const {
    return makeSpine(focusDomainID, profile, probes, ProductConfig::current().sharedDomainCopy);
}

std::optional<SetupWorkflow> BrewSpineProvider::makeSpine(const std::optional<QString>& focusDomainID,
                                                          const SystemProfile& profile,
                                                          const SetupProbeBundle& probes,
                                                          const SharedDomainCopy& wording) {
    if (focusDomainID) return std::nullopt;

    struct Row {
        const char* domainID;
        DomainPlacement placement;
    };
    static constexpr Row rows[] = {
        {"clt", DomainPlacement::primary},        {"homebrew", DomainPlacement::primary},
        {"warp", DomainPlacement::primary},       {"ai-claude", DomainPlacement::optional},
        {"codex", DomainPlacement::optional},     {"project", DomainPlacement::optional},
        {"skills", DomainPlacement::optional},    {"mcp", DomainPlacement::optional},
        {"editor", DomainPlacement::optional},    {"shell-config", DomainPlacement::optional},
        {"languages", DomainPlacement::optional}, {"agent-docs", DomainPlacement::optional},
        {"git", DomainPlacement::optional},
    };

    const BrewSpineProvider provider;
    SetupWorkflow workflow;
    for (const Row& row : rows) {
        const QString domainID = QString::fromLatin1(row.domainID);
        // Codex has no Intel build; an unknown architecture keeps the stage.
        if (domainID == QLatin1String("codex") && profile.architecture == Architecture::intel) continue;
        QList<SetupAction> actions;
        for (const SetupRemediation& remediation : provider.remediations(domainID, profile, probes))
            actions.append(remediation.setupAction());
        workflow.steps.append(
            WorkflowStep(BasicSetupStage(domainID, diagnosis(domainID, profile, probes, wording), actions),
                         row.placement));
    }
    return workflow;
}

} // namespace qlan
