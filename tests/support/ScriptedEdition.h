#pragma once
// A stand-in edition for the guided setup's model and screen tests: its prober, spine provider,
// verifier and screen copy answer what the test scripted and count how often they were asked, and its
// render policy's hooks record their calls. Everything else is the Homebrew edition's record.
//
//   ScriptedEdition edition;
//   edition.spine->setSteps({scriptedStep("clt", fixable, primary), ...});
//   edition.policy.offers["warp"] = {...};
//   SetupFlowModel model(edition.config());
//
// The strategies may be asked from any thread. The hooks are plain functions, so their record is
// process-wide: constructing a ScriptedEdition empties it.

#include "catalog/SetupProber.h"
#include "catalog/SetupVerifier.h"
#include "catalog/SpineCopy.h"
#include "catalog/SpineProvider.h"
#include "catalog/SpineRenderPolicy.h"
#include "editions/ProductConfig.h"
#include "support/Gate.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

namespace qlan::test {

// Short names of the verdicts and placements that scripted workflows are written with
// (`using namespace qlan::test::verdicts;`).
namespace verdicts {
inline constexpr auto ready = SetupDiagnosisClassification::ready;
inline constexpr auto fixable = SetupDiagnosisClassification::fixable;
inline constexpr auto blocked = SetupDiagnosisClassification::blocked;
inline constexpr auto primary = DomainPlacement::primary;
inline constexpr auto offer = DomainPlacement::offer;
inline constexpr auto optional = DomainPlacement::optional;
} // namespace verdicts

// A step whose stage has that domain id and classification, with a headline naming both.
WorkflowStep scriptedStep(const QString& domainID, SetupDiagnosisClassification classification,
                          DomainPlacement placement);

class ScriptedProber final : public SetupProber {
public:
    SetupProbeBundle probe(const std::shared_ptr<ProcessRunning>& processRunner,
                           const std::shared_ptr<FileSystemOperating>& fs) const override;

    void setBundle(const SetupProbeBundle& bundle);
    // Calls that began so far (a held call counts at once).
    int calls() const;
    // Calls that have returned so far.
    int returned() const;
    // From now on every call waits until release().
    void hold();
    void release();

private:
    mutable std::mutex mutex_;
    Gate gate_;
    SetupProbeBundle bundle_;
    mutable int calls_ = 0;
    mutable int returned_ = 0;
};

class ScriptedSpine final : public SpineProvider {
public:
    std::optional<SetupWorkflow> makeSpine(const std::optional<QString>& focusDomainID,
                                           const SystemProfile& profile, const SetupProbeBundle& probes,
                                           const SpineSelection& selection) const override;
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;

    // The workflow every later call builds; none makes the flow fall back to the default stages.
    void setSteps(const std::optional<QList<WorkflowStep>>& steps);
    void setRemediations(const QString& domainID, const QList<SetupRemediation>& remediations);
    int calls() const;
    // The probe facts of the latest call.
    std::optional<SetupProbeBundle> lastProbes() const;

private:
    mutable std::mutex mutex_;
    std::optional<QList<WorkflowStep>> steps_ = QList<WorkflowStep>();
    QMap<QString, QList<SetupRemediation>> remediations_;
    mutable int calls_ = 0;
    mutable std::optional<SetupProbeBundle> lastProbes_;
};

class ScriptedVerifier final : public SetupVerifier {
public:
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;

    void setResult(const SetupVerificationResult& result);
    int calls() const;
    // The profile of the latest call (absent when none was given, or before any call).
    std::optional<SystemProfile> lastProfile() const;

private:
    mutable std::mutex mutex_;
    SetupVerificationResult result_{QStringLiteral("ok"), true, 0};
    mutable int calls_ = 0;
    mutable std::optional<SystemProfile> lastProfile_;
};

// Texts that name what they are: each text is its own field's name ("diagnosisWindowTitle", ...), a status
// line is "<domain>: <status word>", and a domain of `domainsWithCopy` gets a stage screen of
// "<domain> title", "<domain> headline" and "<domain> body".
SpineCopy scriptedCopy(const QStringList& domainsWithCopy);

class ScriptedEdition {
public:
    // A call of the policy's blocked-stage hook.
    struct BlockedCall {
        QString domainID;
        SetupProbeBundle probes;
        friend bool operator==(const BlockedCall&, const BlockedCall&) = default;
    };
    // A call of the policy's outcome hook.
    struct OutcomeCall {
        std::optional<QString> engineOutcome;
        QString selfReport;
        friend bool operator==(const OutcomeCall&, const OutcomeCall&) = default;
    };

    ScriptedEdition();

    std::shared_ptr<ScriptedProber> prober = std::make_shared<ScriptedProber>();
    std::shared_ptr<ScriptedSpine> spine = std::make_shared<ScriptedSpine>();
    std::shared_ptr<ScriptedVerifier> verifier = std::make_shared<ScriptedVerifier>();
    QStringList domainsWithCopy; // the domains of scriptedCopy that have a stage screen
    // The default policy with both hooks recording; no readiness checks, offers or interstitial.
    SpineRenderPolicy policy;

    // The Homebrew edition's record with these strategies and the policy as it is now.
    ProductConfig config() const;

    static QList<BlockedCall> blockedCalls();
    static QList<OutcomeCall> outcomeCalls();
};

} // namespace qlan::test
