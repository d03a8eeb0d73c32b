#include "editions/EditionStrategies.h"

#include "editions/claude/ClaudeProbes.h"
#include "editions/claude/ClaudeSetupVerifier.h"
#include "catalog/DevelopmentStages.h"
#include "editions/ProductConfig.h"

namespace qlan {

EditionStrategies EditionStrategies::of(const ProductConfig& edition) {
    return {edition.prober, edition.verifier, edition.spineProvider, edition.sharedDomainCopy};
}

SetupProbeBundle EditionStrategies::probe(const std::shared_ptr<ProcessRunning>& processRunner,
                                          const std::shared_ptr<FileSystemOperating>& fs) const {
    if (prober) return prober->probe(processRunner, fs);
    return ClaudeProbes{ShellRunner(processRunner), fs}.probeAll();
}

SetupVerificationResult EditionStrategies::verify(const std::optional<SystemProfile>& profile,
                                                  const std::shared_ptr<ProcessRunning>& processRunner,
                                                  const std::shared_ptr<FileSystemOperating>& fs) const {
    if (verifier) return verifier->verify(profile, processRunner, fs);
    return ClaudeSetupVerifier().verify(profile, processRunner, fs);
}

SetupWorkflow EditionStrategies::workflow(const SystemProfile& profile,
                                          const SetupProbeBundle& probes) const {
    if (spineProvider)
        if (std::optional<SetupWorkflow> spine =
                spineProvider->makeSpine(std::nullopt, profile, probes, emptySpineSelection()))
            return *spine;
    return SetupWorkflow{makeDevelopmentStages(profile, probes, wording)};
}

QList<SetupRemediation> EditionStrategies::remediations(const QString& domainID, const SystemProfile& profile,
                                                        const SetupProbeBundle& probes) const {
    if (spineProvider) return spineProvider->remediations(domainID, profile, probes);
    return makeDevelopmentRemediations(domainID, profile, probes);
}

} // namespace qlan
