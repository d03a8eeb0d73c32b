#include "ui/audit/StagedAuditFlow.h"

#include "audit/AuditStageModel.h"
#include "ui/audit/AuditStageViews.h"
#include "ui/audit/FinalAuditReport.h"
#include "ui/audit/SimplifiedCompletionView.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QVBoxLayout>

namespace qlan {

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
    const StagedAuditFlowModel::ShownScreen wanted = model_->shownScreen();
    const std::optional<SystemProfile> profile = model_->currentProfile();
    if (screen_ && shown_ == wanted) {
        // The same screen: a stage screen draws a fresh profile in place, also under a fix's open sheet (so
        // that the control its end gives the focus back to stands as the sheet closes), but not while its
        // controls are held, where the stage is about to be left.
        auto* stageView = qobject_cast<AuditStageView*>(screen_);
        if (stageView && profile && profile != drawn_ && !stageView->model()->isHeld()) {
            drawn_ = profile;
            stageView->showProfile(*profile);
        }
        return;
    }
    shown_ = wanted;
    drawn_ = profile;
    if (screen_) retireScreen(layout_, screen_);
    screen_ = makeScreen(wanted, profile);
    auto* stageView = qobject_cast<AuditStageView*>(screen_);
    model_->followStage(wanted.stageIndex, stageView ? stageView->model() : nullptr);
    placeScreen(layout_, screen_);
}

QWidget* StagedAuditFlow::makeScreen(const StagedAuditFlowModel::ShownScreen& shown,
                                     const std::optional<SystemProfile>& profile) {
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
            *profile,
            [model] {
                if (model) model->finish();
            },
            services_, seams_);
    case Phase::stage:
        break;
    }
    if (!shown.stageScreen) return centredActivityPage(ControlSize::small);
    const int index = shown.stageIndex;
    return makeStageView(
        model_->stage(index), *profile,
        [model, index] {
            if (model) model->advance(index);
        },
        seams_);
}

} // namespace qlan
