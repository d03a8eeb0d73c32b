#include "audit/StagedAuditFlowModel.h"

#include "appshell/NavigationEvents.h"
#include "audit/AuditStageModel.h"
#include "audit/AuditStageOutcomeEvents.h"
#include "platform/SystemProfiler.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

StagedAuditFlowModel::StagedAuditFlowModel(AuditContext context, Environment environment,
                                           TelemetryService& telemetry, QObject* parent)
    : QObject(parent)
    , context_(std::move(context))
    , env_(std::move(environment))
    , telemetry_(telemetry)
    , self_(this) {}

StagedAuditFlowModel::~StagedAuditFlowModel() = default;

std::optional<SystemProfile> StagedAuditFlowModel::currentProfile() const {
    return fresh_ ? fresh_ : env_.fallbackProfile;
}

StagedAuditFlowModel::Phase StagedAuditFlowModel::phase() const {
    const std::optional<SystemProfile> profile = currentProfile();
    if (!profile) return Phase::loading;
    // A stage busy with a fix stays on screen, whatever a fresh profile says, until the fix has ended.
    if (isStageBusy()) return Phase::stage;
    if (showsSimplifiedCompletion(context_, *profile)) return Phase::simplifiedCompletion;
    if (currentIndex_ >= stageCount) return Phase::report;
    return Phase::stage;
}

StagedAuditFlowModel::ShownScreen StagedAuditFlowModel::shownScreen() const {
    const Phase shown = phase();
    if (shown != Phase::stage) return {shown};
    return {shown, currentIndex_,
            isStageBusy() || gate(currentStage(), *currentProfile()) == AuditStageGate::show};
}

AuditStage StagedAuditFlowModel::stage(int index) const {
    if (index == 0) {
        Stage1Foundations foundations;
        foundations.onProfileRefresh = [self = self_](std::function<void()> done) {
            if (self) self->refreshProfile(std::move(done));
        };
        return foundations;
    }
    Stage2Terminal terminal;
    terminal.qlan = context_.qlan;
    return terminal;
}

void StagedAuditFlowModel::cameOnScreen() {
    leaving_ = false;
    if (fresh_) {
        emitArrivalEvents();
        return;
    }
    if (loading_) return;
    if (env_.services.isFixtureMode) {
        if (env_.fallbackProfile) storeFreshProfile(*env_.fallbackProfile);
        return;
    }
    loading_ = true;
    probe([this](SystemProfile profile) {
        loading_ = false;
        storeFreshProfile(std::move(profile));
    });
    // Until the probe ends, the start-up profile decides what is shown.
    evaluate();
}

void StagedAuditFlowModel::storeFreshProfile(SystemProfile profile) {
    fresh_ = std::move(profile);
    emitArrivalEvents();
    evaluate();
    emit changed();
}

void StagedAuditFlowModel::emitArrivalEvents() {
    if (!fresh_ || didEmitAuditReached_) return;
    didEmitAuditReached_ = true;
    telemetry_.track(auditReachedEvent(*fresh_, context_.entry));
    if (context_.entry == AuditEntry::heuristic) {
        telemetry_.track(auditGatedEvent(fresh_->hasExistingTooling()));
    }
}

void StagedAuditFlowModel::evaluate() {
    const std::optional<SystemProfile> profile = currentProfile();
    bool moved = false;
    while (phase() == Phase::stage && !isStageBusy()) {
        const int reached = currentIndex_;
        const AuditStage current = currentStage();
        recordStageOutcome(current, gate(current, *profile));
        if (currentIndex_ == reached) break;
        moved = true;
    }
    if (moved) emit changed();
}

void StagedAuditFlowModel::recordStageOutcome(const AuditStage& stage, AuditStageGate answer) {
    const QString id = stageID(stage);
    const AuditStageOutcome outcome = stageOutcome(answer);
    if (!recordedOutcomes_.contains(id + u' ' + toText(outcome))) {
        recordedOutcomes_.insert(id + u' ' + toText(outcome));
        telemetry_.track(auditStageOutcomeEvent(id, outcome));
    }
    if (answer != AuditStageGate::show && phase() == Phase::stage && stageID(currentStage()) == id)
        ++currentIndex_;
}

void StagedAuditFlowModel::advance(int stageIndex) {
    if (phase() != Phase::stage || stageIndex != currentIndex_) return;
    ++currentIndex_;
    evaluate();
    emit changed();
}

void StagedAuditFlowModel::followStage(int stageIndex, AuditStageModel* stage) {
    if (followed_) disconnect(followed_, nullptr, this, nullptr);
    followed_ = stage;
    followedIndex_ = stageIndex;
    if (!stage) return;
    stage->setLeftOnceIdle(
        [self = self_, stageIndex] { return self && self->leavesStageOnceIdle(stageIndex); });
    connect(stage, &AuditStageModel::busyChanged, this, [this, stage] {
        if (stage != followed_ || stage->isBusy()) return;
        // The fix has ended: a skip that waited for it takes effect now.
        evaluate();
        emit changed();
    });
}

bool StagedAuditFlowModel::leavesStageOnceIdle(int stageIndex) const {
    const std::optional<SystemProfile> profile = currentProfile();
    if (!profile || stageIndex != currentIndex_ || currentIndex_ >= stageCount) return false;
    return showsSimplifiedCompletion(context_, *profile) ||
           gate(stage(stageIndex), *profile) != AuditStageGate::show;
}

bool StagedAuditFlowModel::isStageBusy() const {
    return followed_ && followedIndex_ == currentIndex_ && currentIndex_ < stageCount && followed_->isBusy();
}

void StagedAuditFlowModel::refreshProfile(std::function<void()> done) {
    if (env_.services.isFixtureMode) {
        if (done) done();
        return;
    }
    probe([this, done = std::move(done)](SystemProfile profile) {
        // The stage that asked is told first, while its screen still stands; then the new profile is
        // evaluated (which may rebuild the screen).
        fresh_ = std::move(profile);
        if (done) done();
        emitArrivalEvents();
        evaluate();
        emit changed();
    });
}

bool StagedAuditFlowModel::beginLeaving() {
    if (leaving_ || !env_.navigation) return false;
    leaving_ = true;
    return true;
}

void StagedAuditFlowModel::openRecommendations() {
    if (!beginLeaving()) return;
    env_.navigation->push(
        Screen::audit(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), {}}));
}

void StagedAuditFlowModel::goHome() {
    if (!beginLeaving()) return;
    env_.navigation->setPath({});
}

void StagedAuditFlowModel::finish() {
    if (!beginLeaving()) return;
    const std::optional<OfferRoute> route = context_.qlan ? context_.qlan->thenRoute : std::nullopt;
    if (!route) {
        env_.navigation->setPath({});
        return;
    }
    switch (route->kind()) {
    case OfferRoute::Kind::content:
        env_.navigation->push(Screen::contentOffer(route->offerID()));
        return;
    case OfferRoute::Kind::guidedHelpWTP:
        env_.navigation->push(Screen::guidedHelpOffer());
        return;
    case OfferRoute::Kind::aiCodingInterest:
        env_.navigation->push(Screen::aiCodingOffer());
        return;
    case OfferRoute::Kind::audit:
        env_.navigation->setPath({});
        return;
    }
}

std::stop_source StagedAuditFlowModel::probe(std::function<void(SystemProfile)> done) {
    if (env_.probe) return env_.probe(this, std::move(done));
    return SystemProfiler::fromServices(env_.services).profileInBackground(this, std::move(done));
}

} // namespace qlan
