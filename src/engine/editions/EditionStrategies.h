#pragma once
// The strategy objects of one edition as the guided setup uses them, with the fallbacks for the ones an
// edition does not have: without a prober the Claude Code probes run, without a verifier the Claude Code
// setup verifier checks, and without a spine provider (or when it gives no workflow) the default
// developer-environment stages are the workflow and name each domain's fixes.

#include "catalog/SetupProber.h"
#include "catalog/SetupRemediation.h"
#include "catalog/SetupVerifier.h"
#include "catalog/SharedDomainCopy.h"
#include "catalog/SpineProvider.h"

#include <memory>
#include <optional>

namespace qlan {

struct ProductConfig;

struct EditionStrategies {
    std::shared_ptr<const SetupProber> prober;
    std::shared_ptr<const SetupVerifier> verifier;
    std::shared_ptr<const SpineProvider> spineProvider;
    SharedDomainCopy wording = SharedDomainCopy::standard(); // for the default stages

    // The strategies of an edition record (the flow's copy of the current edition), with its wording.
    static EditionStrategies of(const ProductConfig& edition);

    // The edition's prober, or ClaudeProbes on the same two services. Blocks; never throws.
    SetupProbeBundle probe(const std::shared_ptr<ProcessRunning>& processRunner,
                           const std::shared_ptr<FileSystemOperating>& fs) const;

    // The edition's verifier, or ClaudeSetupVerifier, with the flow's current profile (absent when none
    // was probed). Blocks; never throws.
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const;

    // The edition's spine (asked without a focus domain and with the shared empty selection), or the
    // default developer-environment stages when there is no provider or it gives no workflow.
    SetupWorkflow workflow(const SystemProfile& profile, const SetupProbeBundle& probes) const;

    // The fixes of the domain on screen: the provider's, or the default developer-environment list.
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const;
};

} // namespace qlan
