#pragma once
// The stage catalogue the Homebrew and Claude Code editions store: the default developer-environment
// stages by domain and placement. Nothing in the guided setup consults it.

#include "catalog/StageCatalogProviding.h"

namespace qlan {

class ClaudeStageCatalog final : public StageCatalogProviding {
public:
    // The default developer-environment stage of the domain; absent for a domain outside that list.
    std::optional<BasicSetupStage> stage(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;
    // The domains of the default stages by placement ("codex" among the primary ones: it is left out
    // only on an Intel Mac).
    QStringList primaryDomainIDs() const override;
    QStringList offerDomainIDs() const override;
    QStringList optionalDomainIDs() const override;
};

} // namespace qlan
