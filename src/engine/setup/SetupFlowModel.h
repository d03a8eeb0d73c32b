#pragma once
// The state machine of the guided setup: what is known about the Mac (profile, the edition's probe facts
// and the workflow built from them), the one step the screen shows, the verification result, the batch
// of fixes waiting to run, and the once-only bookkeeping that keeps every usage event and edition hook
// from firing twice. It gets its edition, services and telemetry when it is made. The screens draw it
// and call its operations; they write it directly only through `setStep` and `setNpsResolved`.
//
// Lives on the GUI thread. Operations that wait (loading, verification, the readiness checks) run their
// work on a worker thread and continue on the GUI thread; `done`, when given, is called there once the
// operation has finished. A continuation whose model is gone does nothing, and the model asks its
// running jobs to stop when it is destroyed. Operations are not serialised: whichever continuation runs
// last sets the step. One exception: while the Mac is checked again after a batch (`isRefreshing`), the
// stage the batch ran for takes nothing new (no batch, no skip), since the flow is about to leave it; and
// a batch moves the flow on only from the stage it was started from. The hold ends with the move: it is
// over as the next step is published, and `refreshingChanged` follows that step. Every change of a published
// property emits `willChange` before it is stored and the property's own signal after, also when the
// value stays the same.

#include "appshell/AppNavigation.h"
#include "catalog/SetupRemediation.h"
#include "catalog/SetupWorkflow.h"
#include "editions/ProductConfig.h"
#include "platform/AppServices.h"
#include "platform/NetworkReadiness.h"
#include "platform/SystemProfile.h"
#include "setup/SetupActionOutcome.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>
#include <variant>
#include <vector>

namespace qlan {

class NPSFeedbackHost;
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

    // A batch of fixes waiting to run; the screens build it and the model holds it, one at a time.
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

    // Holds a copy of the edition and starts no work. The Mac is reached through `services`; events go to
    // `telemetry`, which must outlive the model.
    SetupFlowModel(ProductConfig config, AppServices services, TelemetryService& telemetry,
                   QObject* parent = nullptr);
    ~SetupFlowModel() override;

    // How the disk check measures the home volume; tests replace it.
    VolumeCapacity volumeCapacity = availableCapacity;

    // ---- State ----
    const ProductConfig& config() const { return config_; }
    const AppServices& services() const { return services_; }
    // Where leaving the flow empties the path; without one, leaving only ends the model's part.
    void setNavigation(AppNavigation* navigation) { navigation_ = navigation; }
    const std::optional<SystemProfile>& profile() const { return profile_; }
    const std::optional<SetupProbeBundle>& probes() const { return probes_; }
    const std::optional<SetupWorkflow>& workflow() const { return workflow_; }
    const Step& step() const { return step_; }
    const std::optional<SetupVerificationResult>& verifyResult() const { return verifyResult_; }
    const std::optional<PendingInstall>& pendingInstall() const { return pendingInstall_; }
    // The Mac is checked again after a finished batch, before the flow leaves the batch's stage.
    bool isRefreshing() const { return refreshing_; }
    const QSet<QString>& emittedBlockedDomains() const { return emittedBlockedDomains_; }
    bool didEmitDiagnosis() const { return didEmitDiagnosis_; }
    bool didEmitVerify() const { return didEmitVerify_; }
    const QSet<QString>& emittedOfferDomains() const { return emittedOfferDomains_; }
    const QSet<QString>& actedOfferDomains() const { return actedOfferDomains_; }
    bool npsResolved() const { return npsResolved_; }
    const QList<ReadinessWarning>& pendingReadiness() const { return pendingReadiness_; }

    // ---- What the screens write directly ----
    void setStep(Step step);
    void setNpsResolved(bool resolved);

    // ---- Loading and the diagnosis ----
    // Loads, builds the workflow, sends "diagnosis_reached" the first time and shows the summary. A
    // failed load (fixture mode without any profile) changes nothing.
    void start(const std::optional<SystemProfile>& fallbackProfile, Done done = {});
    // The load itself, handed to `done` (none when it failed); changes no field. In fixture mode the
    // profile is the model's own or else the fallback; otherwise the Mac is profiled afresh. The edition's
    // probes always run.
    void reload(const std::optional<SystemProfile>& fallbackProfile,
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
    // "Skip" and an offer's dismissal; refused (false, nothing done) while the flow refreshes.
    bool dismissOffer(const QString& domainID);

    // ---- The one batch at a time ----
    // Holds `batch` as the pending install, started from the step shown now; false (nothing done) while
    // another batch is pending or the flow refreshes.
    bool request(PendingInstall batch);
    // A stage row's button: records the offer action, then asks for that one fix (refused as `request`).
    bool startRemediation(const QString& stepID, const SetupRemediation& remediation);
    // The pending batch ended: success, or failure of a domain the edition moves past, holds the stage the
    // batch was started from (`isRefreshing`), while the flow still shows it; `batchEnded` is sent, whatever
    // the outcome (a cancel too), and then the batch is cleared; then a held stage is refreshed after.
    // Anything else leaves the stage on screen.
    // Nothing more happens when the flow has left that stage (or the batch came from no stage), and
    // nothing at all when no batch is pending (a batch ends once).
    void stageFinished(SetupActionOutcome outcome, const std::optional<SystemProfile>& fallbackProfile,
                       Done done = {});
    // Re-probes and rebuilds the workflow (`isRefreshing` meanwhile), then advances past `domainID` while
    // the flow still shows that stage.
    void refreshAfterStage(const QString& domainID, const std::optional<SystemProfile>& fallbackProfile,
                           Done done = {});
    // `interstitial` when the edition has one, else `verifying`.
    Step postPrimaryStep() const;

    // ---- Verification and the end ----
    void runVerification(Done done = {});
    // "verify_passed" or "verify_failed", for the model's first result only.
    void emitVerify(const SetupVerificationResult& result);
    // An answer on the outcome step: calls the edition's outcome hook; when the user already submitted
    // feedback (read through the store) the flow is left, otherwise the feedback step is shown. Only
    // while the outcome step is shown; returns whether it acted.
    bool resolveOutcome(const QString& selfReport);
    // The feedback step's "Done": "nps_dismissed" unless the card was already answered or dismissed
    // (a submission counts from the moment it is sent), then the flow is left.
    void finishFeedback(NPSFeedbackHost& host);

    // ---- Readiness checks after the summary ----
    // Fixture mode, or an edition without checks: straight to the primary stages. Otherwise `loading`,
    // the network check, then the disk check, then the first warning or the primary stages.
    void continueFromDiagnosis(Done done = {});
    // Measures the volume of the home folder named by `fs` and judges it.
    static DiskReadinessResult checkDisk(const FileSystemOperating& fs, const DiskReadinessConfig& config,
                                         const VolumeCapacity& capacity = availableCapacity);
    // The free capacity of the volume holding `path` for this user; absent when it cannot be read.
    static std::optional<qint64> availableCapacity(const QString& path);
    // Shows the first warning and keeps the rest, or enters the primary stages.
    void advanceReadiness(QList<ReadinessWarning> queue);
    // "readiness-continue": the continue event for the warning on screen, then the next warning or the
    // primary stages.
    void continueAfterWarning();
    // "readiness-stop": the stop event for the warning on screen, the rest of the queue dropped without
    // events, and the flow left.
    void stopAtWarning();

signals:
    void willChange();
    void profileChanged();
    void probesChanged();
    void workflowChanged();
    void stepChanged();
    void verifyResultChanged();
    void pendingInstallChanged();
    void refreshingChanged();
    // A batch of fixes has ended, however it ended: what a stage shows from the Mac's files (the
    // languages, skills and MCP servers already there) is to be checked again, since part of the batch
    // may have run. The stage on screen is redrawn on this signal alone.
    void batchEnded();

private:
    void setLoaded(const Loaded& loaded);
    void setRefreshing(bool refreshing);
    void keep(std::stop_source job);
    void finishReadiness(QList<ReadinessWarning> warnings, const Done& done);
    void recordReadinessAction(const QString& action);
    void leave();
    template <typename T, typename Signal> void publish(T& field, T value, Signal changed);

    const ProductConfig config_;
    const AppServices services_;
    TelemetryService& telemetry_;
    QPointer<AppNavigation> navigation_;

    std::optional<SystemProfile> profile_;
    std::optional<SetupProbeBundle> probes_;
    std::optional<SetupWorkflow> workflow_;
    Step step_;
    std::optional<SetupVerificationResult> verifyResult_;
    std::optional<PendingInstall> pendingInstall_;
    QString batchStage_; // the stage the pending batch was started from; empty for none
    bool refreshing_ = false;

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
