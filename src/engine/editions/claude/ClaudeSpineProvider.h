#pragma once
// The Claude Code edition's layout of the guided setup: the default developer-environment stages.

#include "catalog/SpineProvider.h"

namespace qlan {

class ClaudeSpineProvider final : public SpineProvider {
public:
    // No workflow when `focusDomainID` is given; otherwise makeDevelopmentStages. `selection` is not read.
    std::optional<SetupWorkflow> makeSpine(const std::optional<QString>& focusDomainID,
                                           const SystemProfile& profile, const SetupProbeBundle& probes,
                                           const SpineSelection& selection) const override;
    // makeDevelopmentRemediations of the domain.
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;
};

} // namespace qlan
