#include "editions/claude/ClaudeStageCatalog.h"

#include "catalog/DevelopmentStages.h"
#include "editions/ProductConfig.h"

namespace qlan {

std::optional<BasicSetupStage> ClaudeStageCatalog::stage(const QString& domainID,
                                                         const SystemProfile& profile,
                                                         const SetupProbeBundle& probes) const {
    for (const WorkflowStep& step :
         makeDevelopmentStages(profile, probes, ProductConfig::current().sharedDomainCopy))
        if (step.domainID() == domainID)
            return BasicSetupStage(step.stage->domainID(), step.stage->diagnosis(), step.stage->actions());
    return std::nullopt;
}

QStringList ClaudeStageCatalog::primaryDomainIDs() const {
    return {QStringLiteral("clt"),  QStringLiteral("homebrew"),       QStringLiteral("claude-cli"),
            QStringLiteral("warp"), QStringLiteral("claude-desktop"), QStringLiteral("codex")};
}

QStringList ClaudeStageCatalog::offerDomainIDs() const {
    return {QStringLiteral("project"), QStringLiteral("skills"), QStringLiteral("mcp")};
}

QStringList ClaudeStageCatalog::optionalDomainIDs() const {
    return {QStringLiteral("editor"), QStringLiteral("shell-config"), QStringLiteral("languages"),
            QStringLiteral("agent-docs"), QStringLiteral("git")};
}

} // namespace qlan
