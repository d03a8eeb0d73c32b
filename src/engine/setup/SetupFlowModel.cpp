#include "setup/SetupFlowModel.h"

#include "editions/EditionStrategies.h"
#include "platform/NetworkReadinessProbe.h"
#include "platform/SystemProfiler.h"
#include "platform/Worker.h"
#include "telemetry/NPSFeedbackHost.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <utility>

namespace qlan {

SetupFlowModel::SetupFlowModel(ProductConfig config, AppServices services, TelemetryService& telemetry,
                               QObject* parent)
    : QObject(parent)
    , config_(std::move(config))
    , services_(std::move(services))
    , telemetry_(telemetry) {}

SetupFlowModel::~SetupFlowModel() {
    for (std::stop_source& job : jobs_)
        job.request_stop();
}

template <typename T, typename Signal> void SetupFlowModel::publish(T& field, T value, Signal changed) {
    emit willChange();
    field = std::move(value);
    emit(this->*changed)();
}

void SetupFlowModel::setStep(Step step) {
    publish(step_, std::move(step), &SetupFlowModel::stepChanged);
}

void SetupFlowModel::setNpsResolved(bool resolved) {
    npsResolved_ = resolved;
}

void SetupFlowModel::keep(std::stop_source job) {
    jobs_.push_back(std::move(job));
}

// ---- Loading and the diagnosis ----

void SetupFlowModel::reload(const std::optional<SystemProfile>& fallbackProfile,
                            std::function<void(std::optional<Loaded>)> done) {
    std::optional<SystemProfile> given;
    if (services_.isFixtureMode) {
        given = profile_ ? profile_ : fallbackProfile;
        if (!given) {
            done(std::nullopt);
            return;
        }
    }
    const EditionStrategies strategies = EditionStrategies::of(config_);
    keep(runOffThread(
        this,
        [services = services_, strategies, given] {
            Loaded loaded{given ? *given : SystemProfiler::fromServices(services).profile(), {}};
            loaded.probes = strategies.probe(services.processRunner, services.fs);
            return std::optional<Loaded>(std::move(loaded));
        },
        std::move(done)));
}

void SetupFlowModel::setLoaded(const Loaded& loaded) {
    publish(profile_, std::optional<SystemProfile>(loaded.profile), &SetupFlowModel::profileChanged);
    publish(probes_, std::optional<SetupProbeBundle>(loaded.probes), &SetupFlowModel::probesChanged);
    publish(
        workflow_,
        std::optional<SetupWorkflow>(EditionStrategies::of(config_).workflow(loaded.profile, loaded.probes)),
        &SetupFlowModel::workflowChanged);
}

void SetupFlowModel::start(const std::optional<SystemProfile>& fallbackProfile, Done done) {
    reload(fallbackProfile, [this, done = std::move(done)](std::optional<Loaded> loaded) {
        if (loaded) {
            setLoaded(*loaded);
            emitDiagnosis(*workflow_);
            setStep(Step::diagnosisSummary());
        }
        if (done) done();
    });
}

void SetupFlowModel::emitDiagnosis(const SetupWorkflow& workflow) {
    if (didEmitDiagnosis_) return;
    didEmitDiagnosis_ = true;
    qint64 fixable = 0;
    qint64 blocked = 0;
    for (const WorkflowStep& step : workflow.steps) {
        if (step.placement != DomainPlacement::primary || !step.stage) continue;
        const SetupDiagnosisClassification classification = step.stage->diagnosis().classification;
        if (classification == SetupDiagnosisClassification::fixable) ++fixable;
        if (classification == SetupDiagnosisClassification::blocked) ++blocked;
    }
    const QString reason = blocked > 0   ? QStringLiteral("blocked")
                           : fixable > 0 ? QStringLiteral("fixable")
                                         : QStringLiteral("ready");
    const QStringList terminals = profile_ ? profile_->terminals.installedIDs() : QStringList();
    telemetry_.track(setupDiagnosisReachedEvent(reason, fixable, blocked, terminals));
}

// ---- Moving between stages ----

SetupFlowModel::Step SetupFlowModel::postPrimaryStep() const {
    return config_.spinePolicy.postPrimaryInterstitial ? Step::interstitial() : Step::verifying();
}

void SetupFlowModel::advance(DomainPlacement placement, const Step& fallback) {
    std::optional<QString> next;
    if (workflow_) next = workflow_->nextDomainID(placement);
    setStep(next ? Step::stage(*next) : fallback);
}

void SetupFlowModel::enterPrimaryStages() {
    advance(DomainPlacement::primary, postPrimaryStep());
}

void SetupFlowModel::advanceToOffers() {
    advance(DomainPlacement::offer, Step::keepGoingGate());
}

void SetupFlowModel::advanceToOptional() {
    advance(DomainPlacement::optional, Step::outcome());
}

void SetupFlowModel::advancePastDomain(const QString& domainID) {
    if (!workflow_) {
        setStep(postPrimaryStep());
        return;
    }
    const std::array<std::pair<DomainPlacement, Step>, 3> exits{{
        {DomainPlacement::primary, postPrimaryStep()},
        {DomainPlacement::offer, Step::keepGoingGate()},
        {DomainPlacement::optional, Step::outcome()},
    }};
    for (const auto& [placement, exit] : exits) {
        if (!workflow_->domainIDs(placement).contains(domainID)) continue;
        const std::optional<QString> next = workflow_->nextDomainID(placement, domainID);
        setStep(next ? Step::stage(*next) : exit);
        return;
    }
    setStep(postPrimaryStep());
}

void SetupFlowModel::stageAppeared(const QString& domainID) {
    if (!workflow_) return;
    const auto found = std::find_if(workflow_->steps.cbegin(), workflow_->steps.cend(),
                                    [&](const WorkflowStep& step) { return step.domainID() == domainID; });
    if (found == workflow_->steps.cend() || !found->stage) return;
    const SetupDiagnosisClassification classification = found->stage->diagnosis().classification;
    const SpineRenderPolicy& policy = config_.spinePolicy;

    if (classification == SetupDiagnosisClassification::blocked) {
        if (!emittedBlockedDomains_.contains(domainID) && probes_) {
            emittedBlockedDomains_.insert(domainID);
            if (policy.onStageBlocked) policy.onStageBlocked(telemetry_, domainID, *probes_);
        }
    } else if (classification == SetupDiagnosisClassification::ready) {
        advancePastDomain(domainID);
    }

    const auto offer = policy.offers.constFind(domainID);
    if (offer != policy.offers.cend() && classification != SetupDiagnosisClassification::ready &&
        !emittedOfferDomains_.contains(domainID)) {
        emittedOfferDomains_.insert(domainID);
        telemetry_.track(offerShownEvent(offer->offerID, offer->offerSurface, offer->eligibilityReason));
    }
}

void SetupFlowModel::recordOfferAction(const QString& domainID) {
    const auto offer = config_.spinePolicy.offers.constFind(domainID);
    if (offer == config_.spinePolicy.offers.cend() || actedOfferDomains_.contains(domainID)) return;
    actedOfferDomains_.insert(domainID);
    telemetry_.track(offerActionEvent(offer->offerID, offer->offerSurface, QStringLiteral("selected")));
}

bool SetupFlowModel::dismissOffer(const QString& domainID) {
    if (refreshing_) return false;
    const auto offer = config_.spinePolicy.offers.constFind(domainID);
    if (offer != config_.spinePolicy.offers.cend() && !actedOfferDomains_.contains(domainID)) {
        actedOfferDomains_.insert(domainID);
        telemetry_.track(offerActionEvent(offer->offerID, offer->offerSurface, QStringLiteral("dismissed")));
    }
    advancePastDomain(domainID);
    return true;
}

// ---- The one batch at a time ----

bool SetupFlowModel::request(PendingInstall batch) {
    if (pendingInstall_ || refreshing_) return false;
    batchStage_ = step_.isStage() ? step_.domainID : QString();
    publish(pendingInstall_, std::optional<PendingInstall>(std::move(batch)),
            &SetupFlowModel::pendingInstallChanged);
    return true;
}

bool SetupFlowModel::startRemediation(const QString& stepID, const SetupRemediation& remediation) {
    if (pendingInstall_ || refreshing_) return false;
    recordOfferAction(stepID);
    return request({remediation.id(), remediation.displayLabel(), {remediation}, false});
}

void SetupFlowModel::stageFinished(SetupActionOutcome outcome,
                                   const std::optional<SystemProfile>& fallbackProfile, Done done) {
    if (!pendingInstall_) {
        if (done) done();
        return;
    }
    // The batch moves on only the stage it was started from, and only while the flow still shows it: a
    // batch that ends after the flow moved (or came from no stage) passes over nothing.
    const QString domainID = std::exchange(batchStage_, QString());
    const bool leaves = !domainID.isEmpty() && step_ == Step::stage(domainID) &&
                        (outcome == SetupActionOutcome::success ||
                         (outcome == SetupActionOutcome::failure &&
                          config_.spinePolicy.advanceOnPartialFailureDomains.contains(domainID)));
    // The stage holds, and its rows are checked again, while the sheet still stands over it: the rows
    // come back with nothing to start, and the sheet, closing last, hands the focus to the stage as it
    // will stay.
    if (leaves) setRefreshing(true);
    emit batchEnded();
    publish(pendingInstall_, std::optional<PendingInstall>(), &SetupFlowModel::pendingInstallChanged);
    if (!leaves) {
        if (done) done();
        return;
    }
    refreshAfterStage(domainID, fallbackProfile, std::move(done));
}

void SetupFlowModel::refreshAfterStage(const QString& domainID,
                                       const std::optional<SystemProfile>& fallbackProfile, Done done) {
    setRefreshing(true);
    reload(fallbackProfile, [this, domainID, done = std::move(done)](std::optional<Loaded> loaded) {
        if (loaded) setLoaded(*loaded);
        // The hold ends with the move: the stage that comes is built live, and the one left keeps its
        // controls as they are. The stage is left while it still stands: never another one, never one
        // the flow already left.
        emit willChange();
        refreshing_ = false;
        if (step_ == Step::stage(domainID)) advancePastDomain(domainID);
        emit refreshingChanged();
        if (done) done();
    });
}

void SetupFlowModel::setRefreshing(bool refreshing) {
    if (refreshing_ == refreshing) return;
    publish(refreshing_, refreshing, &SetupFlowModel::refreshingChanged);
}

// ---- Verification and the end ----

void SetupFlowModel::runVerification(Done done) {
    const EditionStrategies strategies = EditionStrategies::of(config_);
    keep(runOffThread(
        this,
        [strategies, profile = profile_, services = services_] {
            return strategies.verify(profile, services.processRunner, services.fs);
        },
        [this, done = std::move(done)](SetupVerificationResult result) {
            publish(verifyResult_, std::optional<SetupVerificationResult>(result),
                    &SetupFlowModel::verifyResultChanged);
            emitVerify(result);
            if (result.passed)
                advanceToOffers();
            else
                setStep(Step::outcome());
            if (done) done();
        }));
}

void SetupFlowModel::emitVerify(const SetupVerificationResult& result) {
    if (didEmitVerify_) return;
    didEmitVerify_ = true;
    const QString engineOutcome = result.engineOutcome.value_or(QString());
    if (result.passed)
        telemetry_.track(setupVerifyPassedEvent(result.rawOutput, engineOutcome));
    else
        telemetry_.track(setupVerifyFailedEvent(engineOutcome, result.exitCode.value_or(-1)));
}

bool SetupFlowModel::resolveOutcome(const QString& selfReport) {
    if (step_.kind != Step::Kind::outcome) return false;
    if (config_.spinePolicy.onOutcomeReported)
        config_.spinePolicy.onOutcomeReported(
            telemetry_, verifyResult_ ? verifyResult_->engineOutcome : std::nullopt, selfReport);
    const QString submittedKey = NPSFeedbackHost::submittedKey(config_.userDefaultsPrefix);
    if (services_.store && services_.store->boolValue(submittedKey)) {
        leave();
        return true;
    }
    if (!TelemetryService::markNPSShown()) telemetry_.track(npsShownEvent());
    setStep(Step::nps());
    return true;
}

void SetupFlowModel::finishFeedback(NPSFeedbackHost& host) {
    if (!npsResolved_ && !host.isResolved()) host.recordDismissal();
    npsResolved_ = true;
    leave();
}

void SetupFlowModel::leave() {
    if (navigation_) navigation_->setPath({});
}

// ---- Readiness checks ----

void SetupFlowModel::continueFromDiagnosis(Done done) {
    const SpineRenderPolicy& policy = config_.spinePolicy;
    if (services_.isFixtureMode || (!policy.networkReadiness && !policy.diskReadiness)) {
        enterPrimaryStages();
        if (done) done();
        return;
    }
    setStep(Step::loading());
    if (!policy.networkReadiness) {
        finishReadiness({}, done);
        return;
    }
    keep(runOffThread(
        this,
        [http = services_.http, config = *policy.networkReadiness](std::stop_token stop) {
            return NetworkReadinessProbe(http).run(config, stop);
        },
        [this, done = std::move(done)](NetworkReadinessResult result) {
            telemetry_.track(networkCheckEvent(result));
            QList<ReadinessWarning> warnings;
            if (needsWarning(result.verdict)) warnings.append(result);
            finishReadiness(std::move(warnings), done);
        }));
}

void SetupFlowModel::finishReadiness(QList<ReadinessWarning> warnings, const Done& done) {
    if (const std::optional<DiskReadinessConfig>& disk = config_.spinePolicy.diskReadiness) {
        const DiskReadinessResult result = checkDisk(*services_.fs, *disk, volumeCapacity);
        telemetry_.track(diskSpaceCheckEvent(result));
        if (needsWarning(result.verdict)) warnings.append(result);
    }
    advanceReadiness(std::move(warnings));
    if (done) done();
}

DiskReadinessResult SetupFlowModel::checkDisk(const FileSystemOperating& fs,
                                              const DiskReadinessConfig& config,
                                              const VolumeCapacity& capacity) {
    const std::optional<qint64> available = capacity ? capacity(fs.homeDirectory()) : std::nullopt;
    return DiskReadinessResult::evaluate(available, config.worstCaseInstallBytes, config.freeFloorBytes,
                                         config.criticalFreeBytes);
}

std::optional<qint64> SetupFlowModel::availableCapacity(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady()) return std::nullopt;
    const qint64 available = volume.bytesAvailable();
    if (available < 0) return std::nullopt;
    return available;
}

void SetupFlowModel::advanceReadiness(QList<ReadinessWarning> queue) {
    if (queue.isEmpty()) {
        enterPrimaryStages();
        return;
    }
    const ReadinessWarning first = queue.takeFirst();
    pendingReadiness_ = std::move(queue);
    setStep(Step::readinessWarning(first));
}

void SetupFlowModel::recordReadinessAction(const QString& action) {
    if (step_.kind != Step::Kind::readinessWarning || !step_.warning) return;
    if (const auto* network = std::get_if<NetworkReadinessResult>(&*step_.warning))
        telemetry_.track(networkWarningActionEvent(action, network->verdict));
    else
        telemetry_.track(
            diskWarningActionEvent(action, std::get<DiskReadinessResult>(*step_.warning).verdict));
}

void SetupFlowModel::continueAfterWarning() {
    recordReadinessAction(QStringLiteral("continue"));
    advanceReadiness(pendingReadiness_);
}

void SetupFlowModel::stopAtWarning() {
    recordReadinessAction(QStringLiteral("stop"));
    pendingReadiness_.clear();
    leave();
}

} // namespace qlan
