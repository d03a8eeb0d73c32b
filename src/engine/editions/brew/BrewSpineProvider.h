#pragma once
// The Homebrew edition's layout of the guided setup: one stage per domain with its diagnosis and its
// actions, and the fixes of one domain. The three core domains ("clt", "homebrew", "warp") are the
// primary stages; the developer-environment domains follow as optional stages.

#include "catalog/SharedDomainCopy.h"
#include "catalog/SpineProvider.h"

namespace qlan {

class BrewSpineProvider final : public SpineProvider {
public:
    // No workflow when `focusDomainID` is given (the flow then builds the default stages); otherwise, in
    // this order: "clt", "homebrew", "warp" (primary), then "ai-claude", "codex" (left out on an Intel
    // Mac), "project", "skills", "mcp", "editor", "shell-config", "languages", "agent-docs", "git"
    // (optional). Each stage's actions are `remediations` of its domain. `selection` is not read. The
    // wording is the current edition's.
    std::optional<SetupWorkflow> makeSpine(const std::optional<QString>& focusDomainID,
                                           const SystemProfile& profile, const SetupProbeBundle& probes,
                                           const SpineSelection& selection) const override;
    // The same with the given wording.
    static std::optional<SetupWorkflow> makeSpine(const std::optional<QString>& focusDomainID,
                                                  const SystemProfile& profile,
                                                  const SetupProbeBundle& probes,
                                                  const SharedDomainCopy& wording);

    // "homebrew": none when Homebrew is installed (in one or two places), `repairHomebrewPath` when the
    // shell cannot find it, `installHomebrew` for the wrong chip or no install; "clt" and "warp": their
    // install when the domain is fixable; any other domain: the developer-environment fixes.
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;

    // The verdict of one domain: "clt" and "warp" from the profile, "homebrew" from the location state,
    // the developer-environment domains from their own rules, and for any other id the id as headline,
    // an empty detail and `unknown`. The wording is the current edition's.
    static SetupDiagnosis diagnosis(const QString& domainID, const SystemProfile& profile,
                                    const SetupProbeBundle& probes);
    // The same with the given wording.
    static SetupDiagnosis diagnosis(const QString& domainID, const SystemProfile& profile,
                                    const SetupProbeBundle& probes, const SharedDomainCopy& wording);
};

} // namespace qlan
