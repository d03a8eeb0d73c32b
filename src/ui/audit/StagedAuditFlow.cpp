#include "ui/audit/StagedAuditFlow.h"

#include "audit/AuditStageModel.h"
#include "ui/audit/AuditStageViews.h"
#include "ui/audit/FinalAuditReport.h"
#include "ui/audit/SimplifiedCompletionView.h"
#include "ui/audit/Stage1View.h"
#include "ui/audit/Stage2View.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QVBoxLayout>

namespace qlan {
namespace {

AuditStageModel* stageModelOf(QWidget* screen) {
    if (auto* foundations = qobject_cast<Stage1View*>(screen)) return foundations->model();
    if (auto* terminal = qobject_cast<Stage2View*>(screen)) return terminal->model();
    return nullptr;
}

} // namespace

StagedAuditFlow::StagedAuditFlow(AuditContext context, StagedAuditFlowModel::Environment environment,
                                 AuditScreenSeams seams, QWidget* parent)
    : QWidget(parent)
    , seams_(std::move(seams))
    , services_(environment.services) {
    model_ = new StagedAuditFlowModel(std::move(context), std::move(environment), seams_.telemetry, this);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    connect(model_, &StagedAuditFlowModel::changed, this, &StagedAuditFlow::sync);
    sync();
}

void StagedAuditFlow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_->cameOnScreen();
    sync();
}

void StagedAuditFlow::sync() {
    const Shown wanted{model_->phase(), model_->currentIndex(), model_->currentProfile()};
    if (shown_ == wanted) return;
    // A profile that changed under a stage screen busy with a fix leaves the screen (and its sheet) as is;
    // the flow itself keeps that stage current until the fix has ended.
    if (shown_ && shown_->phase == wanted.phase && shown_->index == wanted.index &&
        wanted.phase == StagedAuditFlowModel::Phase::stage && model_->isStageBusy())
        return;
    // Nothing new for a screen that does not follow the profile.
    if (shown_ && shown_->phase == wanted.phase && shown_->index == wanted.index &&
        wanted.phase != StagedAuditFlowModel::Phase::stage &&
        wanted.phase != StagedAuditFlowModel::Phase::loading) {
        shown_ = wanted;
        return;
    }
    shown_ = wanted;
    if (screen_) retireScreen(layout_, screen_);
    screen_ = makeScreen(wanted);
    model_->followStage(wanted.index, stageModelOf(screen_));
    placeScreen(layout_, screen_);
}

QWidget* StagedAuditFlow::makeScreen(const Shown& shown) {
    using Phase = StagedAuditFlowModel::Phase;
    QPointer<StagedAuditFlowModel> model(model_);
    switch (shown.phase) {
    case Phase::loading:
        return centredActivityPage(ControlSize::large);
    case Phase::simplifiedCompletion:
        return new SimplifiedCompletionView(
            model_->context().completionSurface,
            [model] {
                if (model) model->openRecommendations();
            },
            [model] {
                if (model) model->goHome();
            },
            services_, seams_);
    case Phase::report:
        return new FinalAuditReport(
            *shown.profile,
            [model] {
                if (model) model->finish();
            },
            services_, seams_);
    case Phase::stage:
        break;
    }
    const int index = shown.index;
    const AuditStage stage = model_->stage(index);
    if (gate(stage, *shown.profile) != AuditStageGate::show) return centredActivityPage(ControlSize::small);
    return makeStageView(
        stage, *shown.profile,
        [model, index] {
            if (model) model->advance(index);
        },
        seams_);
}

} // namespace qlan
