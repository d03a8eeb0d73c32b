#pragma once
// The state machine of the guided setup: what is known about the Mac (profile, the edition's probe facts
// and the workflow built from them), the one step the screen shows, the verification result, the batch
// of fixes waiting to run, and the once-only bookkeeping that keeps every usage event and edition hook
// from firing twice. The screens draw it and call its operations; they write it directly only through
// `setStep`, `setPendingInstall`, `setNpsResolved` and `clearPendingReadiness`.
//
// Lives on the GUI thread. Operations that wait (loading, verification, the readiness checks) run their
// work on a worker thread and continue on the GUI thread; `done`, when given, is called there once the
// operation has finished. A continuation whose model is gone does nothing, and the model asks its
// running jobs to stop when it is destroyed. Operations are not serialised: whichever continuation runs
// last sets the step. Every change of a published property emits `willChange` before it is stored and
// the property's own signal after, also when the value stays the same.

#include "catalog/SetupRemediation.h"
#include "catalog/SetupWorkflow.h"
#include "editions/ProductConfig.h"
#include "platform/AppServices.h"
#include "platform/NetworkReadiness.h"
#include "platform/SystemProfile.h"
#include "setup/SetupActionOutcome.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>
#include <variant>
#include <vector>

namespace qlan {

class TelemetryService;
struct TelemetryEvent;

class SetupFlowModel : public QObject {
    Q_OBJECT
public:
    // A readiness check that found a problem, with its whole measurement.
    using ReadinessWarning = std::variant<NetworkReadinessResult, DiskReadinessResult>;

    // The one step the screen shows. Two steps are equal when their kinds and payloads are.
    struct Step {
        enum class Kind {
            readinessWarning, // payload: `warning`
            stage,            // payload: `domainID`
            loading,
            diagnosisSummary,
            interstitial,
            verifying,
            keepGoingGate,
            outcome,
            nps,
        };
        Kind kind = Kind::loading;
        std::optional<ReadinessWarning> warning;
        QString domainID;

        static Step readinessWarning(ReadinessWarning warning) {
            return {Kind::readinessWarning, warning, {}};
        }
        static Step stage(QString domainID) { return {Kind::stage, std::nullopt, std::move(domainID)}; }
        static Step loading() { return {Kind::loading, std::nullopt, {}}; }
        static Step diagnosisSummary() { return {Kind::diagnosisSummary, std::nullopt, {}}; }
        static Step interstitial() { return {Kind::interstitial, std::nullopt, {}}; }
        static Step verifying() { return {Kind::verifying, std::nullopt, {}}; }
        static Step keepGoingGate() { return {Kind::keepGoingGate, std::nullopt, {}}; }
        static Step outcome() { return {Kind::outcome, std::nullopt, {}}; }
        static Step nps() { return {Kind::nps, std::nullopt, {}}; }

        bool isStage() const { return kind == Kind::stage; }
        friend bool operator==(const Step&, const Step&) = default;
    };

    // A batch of fixes waiting to run; the screens build it, the model only holds it.
    struct PendingInstall {
        QString id;    // the stage's domain id or a picker's own id: the sheet's identity
        QString title; // the sheet's title
        QList<SetupRemediation> remediations;
        bool continuesPastFailure = false; // run the later fixes after one failed
        friend bool operator==(const PendingInstall&, const PendingInstall&) = default;
    };

    // What one load found.
    struct Loaded {
        SystemProfile profile;
        SetupProbeBundle probes;
        friend bool operator==(const Loaded&, const Loaded&) = default;
    };

    using Done = std::function<void()>;
    // The free capacity of the volume that holds a path; absent when it cannot be read.
    using VolumeCapacity = std::function<std::optional<qint64>(const QString& path)>;

    // Holds a copy of the edition and starts no work. Events go to `telemetry`, which must outlive the
    // model.
    explicit SetupFlowModel(ProductConfig config, TelemetryService& telemetry, QObject* parent = nullptr);
    ~SetupFlowModel() override;

    // How the disk check measures the home volume; tests replace it.
    VolumeCapacity volumeCapacity = availableCapacity;

    // ---- State ----
    const ProductConfig& config() const { return config_; }
    const std::optional<SystemProfile>& profile() const { return profile_; }
    const std::optional<SetupProbeBundle>& probes() const { return probes_; }
    const std::optional<SetupWorkflow>& workflow() const { return workflow_; }
    const Step& step() const { return step_; }
    const std::optional<SetupVerificationResult>& verifyResult() const { return verifyResult_; }
    const std::optional<PendingInstall>& pendingInstall() const { return pendingInstall_; }
    const QSet<QString>& emittedBlockedDomains() const { return emittedBlockedDomains_; }
    bool didEmitDiagnosis() const { return didEmitDiagnosis_; }
    bool didEmitVerify() const { return didEmitVerify_; }
    const QSet<QString>& emittedOfferDomains() const { return emittedOfferDomains_; }
    const QSet<QString>& actedOfferDomains() const { return actedOfferDomains_; }
    bool npsResolved() const { return npsResolved_; }
    const QList<ReadinessWarning>& pendingReadiness() const { return pendingReadiness_; }

    // ---- What the screens write directly ----
    void setStep(Step step);
    void setPendingInstall(std::optional<PendingInstall> pendingInstall);
    void setNpsResolved(bool resolved);
    void clearPendingReadiness();

    // ---- Loading and the diagnosis ----
    // Loads, builds the workflow, sends "diagnosis_reached" the first time and shows the summary. A
    // failed load (fixture mode without any profile) changes nothing.
    void start(const AppServices& services, const std::optional<SystemProfile>& fallbackProfile,
               Done done = {});
    // The load itself, handed to `done` (none when it failed); changes no field. In fixture mode the
    // profile is the model's own or else the fallback; otherwise the Mac is profiled afresh. The edition's
    // probes always run.
    void reload(const AppServices& services, const std::optional<SystemProfile>& fallbackProfile,
                std::function<void(std::optional<Loaded>)> done);
    // "diagnosis_reached" for the primary stages of `workflow`, once per model.
    void emitDiagnosis(const SetupWorkflow& workflow);

    // ---- Moving between stages ----
    void enterPrimaryStages();
    void advance(DomainPlacement placement, const Step& fallback);
    void advanceToOffers();
    void advanceToOptional();
    // The next stage that is not ready after `domainID` within its placement, or that placement's exit.
    void advancePastDomain(const QString& domainID);
    // A ready stage skips itself; a blocked one calls the edition's hook once (when probes exist); an
    // offer is recorded as shown once.
    void stageAppeared(const QString& domainID);
    void recordOfferAction(const QString& domainID);
    void dismissOffer(const QString& domainID);
    // The action sheet's batch ended: `batchEnded` first, whatever the outcome (a cancel too); then
    // success, or failure of a domain the edition moves past, re-probes and advances; anything else
    // leaves the stage on screen. Nothing more happens when no stage is shown.
    void stageFinished(SetupActionOutcome outcome, const AppServices& services,
                       const std::optional<SystemProfile>& fallbackProfile, Done done = {});
    void refreshAfterStage(const QString& domainID, const AppServices& services,
                           const std::optional<SystemProfile>& fallbackProfile, Done done = {});
    // `interstitial` when the edition has one, else `verifying`.
    Step postPrimaryStep() const;

    // ---- Verification and the end ----
    void runVerification(const AppServices& services, Done done = {});
    // "verify_passed" or "verify_failed", for the model's first result only.
    void emitVerify(const SetupVerificationResult& result);
    // Calls the edition's outcome hook. True when the user already submitted feedback (read through
    // `services.store`) and the flow should end now; otherwise shows `nps` and returns false.
    bool recordOutcome(const QString& selfReport, const AppServices& services);

    // ---- Readiness checks after the summary ----
    // Fixture mode, or an edition without checks: straight to the primary stages. Otherwise `loading`,
    // the network check, then the disk check, then the first warning or the primary stages.
    void continueFromDiagnosis(const AppServices& services, Done done = {});
    // Measures the volume of the home folder named by `fs` and judges it.
    static DiskReadinessResult checkDisk(const FileSystemOperating& fs, const DiskReadinessConfig& config,
                                         const VolumeCapacity& capacity = availableCapacity);
    // The free capacity of the volume holding `path` for this user; absent when it cannot be read.
    static std::optional<qint64> availableCapacity(const QString& path);
    // Shows the first warning and keeps the rest, or enters the primary stages.
    void advanceReadiness(QList<ReadinessWarning> queue);
    // "network_warning_action" or "disk_warning_action" with the action ("continue" or "stop").
    void recordReadinessAction(const ReadinessWarning& warning, const QString& action);

signals:
    void willChange();
    void profileChanged();
    void probesChanged();
    void workflowChanged();
    void stepChanged();
    void verifyResultChanged();
    void pendingInstallChanged();
    // A batch of fixes has ended, however it ended: what a stage shows from the Mac's files (the
    // languages, skills and MCP servers already there) is to be checked again, since part of the batch
    // may have run.
    void batchEnded();

private:
    void setLoaded(const Loaded& loaded);
    void keep(std::stop_source job);
    void finishReadiness(QList<ReadinessWarning> warnings, const AppServices& services, const Done& done);
    template <typename T, typename Signal> void publish(T& field, T value, Signal changed);

    const ProductConfig config_;
    TelemetryService& telemetry_;

    std::optional<SystemProfile> profile_;
    std::optional<SetupProbeBundle> probes_;
    std::optional<SetupWorkflow> workflow_;
    Step step_;
    std::optional<SetupVerificationResult> verifyResult_;
    std::optional<PendingInstall> pendingInstall_;

    QSet<QString> emittedBlockedDomains_;
    bool didEmitDiagnosis_ = false;
    bool didEmitVerify_ = false;
    QSet<QString> emittedOfferDomains_;
    QSet<QString> actedOfferDomains_;
    bool npsResolved_ = false;
    QList<ReadinessWarning> pendingReadiness_;

    std::vector<std::stop_source> jobs_; // asked to stop when the model goes
};

} // namespace qlan
