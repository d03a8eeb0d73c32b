#pragma once
// The guided setup's workflow: an ordered list of stages, one per setup domain ("clt", "homebrew",
// "warp", "shell-config", ...), each with the diagnosis of what was found, the actions offered to fix it
// and its placement (primary, offer, optional); plus the facts a prober gathers and the verdict of the
// final verification. Plain values; the queries here are pure.

#include "platform/TextEnum.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace qlan {

// How a stage stands.
enum class SetupDiagnosisClassification {
    ready,   // the domain needs nothing
    fixable, // the stage's actions can set it right
    blocked, // the system will not change it automatically
    unknown, // the state could not be determined
};
template <> struct TextEnumCases<SetupDiagnosisClassification> {
    static constexpr TextCase<SetupDiagnosisClassification> cases[]{
        {SetupDiagnosisClassification::ready, "ready"},
        {SetupDiagnosisClassification::fixable, "fixable"},
        {SetupDiagnosisClassification::blocked, "blocked"},
        {SetupDiagnosisClassification::unknown, "unknown"},
    };
};

// What the user is told about one domain.
struct SetupDiagnosis {
    QString headline;
    QString detail;
    SetupDiagnosisClassification classification = SetupDiagnosisClassification::unknown;
    friend bool operator==(const SetupDiagnosis&, const SetupDiagnosis&) = default;
};

// The check the flow applies once an action has run.
enum class VerifyPolicy { localVerification, installCompletion };
template <> struct TextEnumCases<VerifyPolicy> {
    static constexpr TextCase<VerifyPolicy> cases[]{
        {VerifyPolicy::localVerification, "localVerification"},
        {VerifyPolicy::installCompletion, "installCompletion"},
    };
};

// One fix offered on a stage; identified by `id` (for an action made from a remediation, its stable id).
struct SetupAction {
    QString id;
    QString displayLabel;
    QString caption;
    VerifyPolicy verifyPolicy = VerifyPolicy::installCompletion;
    friend bool operator==(const SetupAction&, const SetupAction&) = default;
};

// One stage of the workflow.
class SetupStage {
public:
    virtual ~SetupStage() = default;
    virtual QString domainID() const = 0;
    virtual SetupDiagnosis diagnosis() const = 0;
    virtual QList<SetupAction> actions() const = 0;
};

// The one implementation of SetupStage: each property returned as stored.
class BasicSetupStage final : public SetupStage {
public:
    BasicSetupStage(QString domainID, SetupDiagnosis diagnosis, QList<SetupAction> actions = {})
        : domainID_(std::move(domainID))
        , diagnosis_(std::move(diagnosis))
        , actions_(std::move(actions)) {}

    QString domainID() const override { return domainID_; }
    SetupDiagnosis diagnosis() const override { return diagnosis_; }
    QList<SetupAction> actions() const override { return actions_; }

    friend bool operator==(const BasicSetupStage& a, const BasicSetupStage& b) {
        return a.domainID_ == b.domainID_ && a.diagnosis_ == b.diagnosis_ && a.actions_ == b.actions_;
    }

private:
    QString domainID_;
    SetupDiagnosis diagnosis_;
    QList<SetupAction> actions_;
};

// Where a step sits in the flow.
enum class DomainPlacement {
    primary,  // shown first, in order, before verification
    offer,    // follow-up offers after the primary stages
    optional, // further stages after the offers
};
template <> struct TextEnumCases<DomainPlacement> {
    static constexpr TextCase<DomainPlacement> cases[]{
        {DomainPlacement::primary, "primary"},
        {DomainPlacement::offer, "offer"},
        {DomainPlacement::optional, "optional"},
    };
};

struct WorkflowStep {
    WorkflowStep(std::shared_ptr<const SetupStage> stage, DomainPlacement placement)
        : stage(std::move(stage))
        , placement(placement) {}
    WorkflowStep(BasicSetupStage stage, DomainPlacement placement)
        : stage(std::make_shared<BasicSetupStage>(std::move(stage)))
        , placement(placement) {}

    std::shared_ptr<const SetupStage> stage;
    DomainPlacement placement;

    // The stage's domain id; empty when the step holds no stage.
    QString domainID() const { return stage ? stage->domainID() : QString(); }

    // Equal when the placements are equal and the stages answer the same domain id, diagnosis and actions.
    friend bool operator==(const WorkflowStep& a, const WorkflowStep& b);
};

// The ordered steps of the guided setup. Domain ids are expected to be unique; where one repeats, every
// query acts on its first occurrence. Ids compare as whole, case-sensitive texts.
struct SetupWorkflow {
    QList<WorkflowStep> steps;

    // The placement of the first step with that domain id; absent when no step has it.
    std::optional<DomainPlacement> placement(const QString& domainID) const;
    // The domain id of every step with that placement, in step order.
    QStringList primaryDomainIDs() const;
    QStringList offerDomainIDs() const;
    QStringList optionalDomainIDs() const;
    QStringList domainIDs(DomainPlacement placement) const;
    // The domain id of the first step; absent for an empty workflow.
    std::optional<QString> firstDomainID() const;
    // The domain id of the step right after the first step with that id, whatever its placement; absent
    // when no step has the id or it is the last step.
    std::optional<QString> followingDomainID(const QString& domainID) const;
    // The first stage of `placement` after `after` (from the start when `after` is absent) whose
    // diagnosis is not ready; absent when there is none, or when `after` is not a stage of `placement`.
    std::optional<QString> nextDomainID(DomainPlacement placement,
                                        const std::optional<QString>& after = std::nullopt) const;

    friend bool operator==(const SetupWorkflow&, const SetupWorkflow&) = default;
};

// The facts an edition's prober gathers for the guided setup.
struct SetupProbeBundle {
    QStringList pathVisiblePrimaryTools;       // the primary tool as the login shell finds it on PATH
    QStringList installedPrimaryToolLocations; // its well-known install locations that exist on disk
    std::optional<QString> versionOutput;
    std::optional<std::int32_t> versionExitCode;
    bool companionToolPresent = false;
    bool shellConfigured = false;
    bool agentDocNeeded = false;
    bool projectExists = false;
    bool ghPresent = false;
    bool gitIdentitySet = false;
    bool ghAuthed = false;

    // Both location lists together, each text once, in ascending text order.
    QStringList allPrimaryToolLocations() const;

    friend bool operator==(const SetupProbeBundle&, const SetupProbeBundle&) = default;
};

// The outcome of an edition's final verification. A result built from the raw output and the pass flag
// alone has no exit code, no engine outcome, no verified items and no details.
struct SetupVerificationResult {
    SetupVerificationResult() = default;
    SetupVerificationResult(QString rawOutput, bool passed,
                            std::optional<std::int32_t> exitCode = std::nullopt,
                            std::optional<QString> engineOutcome = std::nullopt,
                            QStringList verifiedItems = {}, QMap<QString, QString> details = {})
        : rawOutput(std::move(rawOutput))
        , passed(passed)
        , exitCode(exitCode)
        , engineOutcome(std::move(engineOutcome))
        , verifiedItems(std::move(verifiedItems))
        , details(std::move(details)) {}

    QString rawOutput;
    bool passed = false;
    std::optional<std::int32_t> exitCode;
    std::optional<QString> engineOutcome; // the outcome word reported to telemetry
    QStringList verifiedItems;
    QMap<QString, QString> details;
    friend bool operator==(const SetupVerificationResult&, const SetupVerificationResult&) = default;
};

} // namespace qlan
