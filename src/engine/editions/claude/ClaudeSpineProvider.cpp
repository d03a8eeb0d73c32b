#include "editions/claude/ClaudeSpineProvider.h"

#include "catalog/DevelopmentStages.h"
#include "editions/ProductConfig.h"

namespace qlan {

std::optional<SetupWorkflow> ClaudeSpineProvider::makeSpine(const std::optional<QString>& focusDomainID,
                                                            const SystemProfile& profile,
                                                            const SetupProbeBundle& probes,
                                                            const SpineSelection&) const {
    if (focusDomainID) return std::nullopt;
    return SetupWorkflow{makeDevelopmentStages(profile, probes, ProductConfig::current().sharedDomainCopy)};
}

QList<SetupRemediation> ClaudeSpineProvider::remediations(const QString& domainID,
                                                          const SystemProfile& profile,
                                                          const SetupProbeBundle& probes) const {
    return makeDevelopmentRemediations(domainID, profile, probes);
}

} // namespace qlan
