#include "ui/setup/SetupWorkflowView.h"

#include "appshell/AppNavigation.h"
#include "platform/ServiceContext.h"
#include "remediation/SetupRemediationRunner.h"
#include "setup/SetupWorkflowCopy.h"
#include "ui/setup/SetupActionProgressView.h"
#include "ui/setup/SetupStepPages.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SheetDialog.h"

#include <QVBoxLayout>

namespace qlan {

SetupWorkflowView::SetupWorkflowView(const AppServices& services, ProductConfig edition,
                                     TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , telemetry_(telemetry)
    , model_(new SetupFlowModel(std::move(edition), services, telemetry, this)) {
    setMinimumWidth(minimumContentWidth);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    connect(model_, &SetupFlowModel::stepChanged, this, &SetupWorkflowView::syncPage);
    connect(model_, &SetupFlowModel::pendingInstallChanged, this, &SetupWorkflowView::syncSheet);
    syncPage();
}

SetupWorkflowView::~SetupWorkflowView() {
    // The sheet's batch goes before the model it reports to.
    delete sheet_.data();
}

SetupActionProgressView* SetupWorkflowView::sheetView() const {
    return sheet_ ? static_cast<SetupActionProgressView*>(sheet_->content()) : nullptr;
}

std::optional<SystemProfile> SetupWorkflowView::fallbackProfile() const {
    return ServiceContext::systemProfile(this);
}

QString SetupWorkflowView::stepWindowTitle() const {
    return SetupWorkflowCopy::windowTitle(model_->step(), model_->config());
}

void SetupWorkflowView::setRunnerFactory(RunnerFactory factory) {
    runnerFactory_ = std::move(factory);
}

void SetupWorkflowView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applyWindowTitle();
    model_->setNavigation(AppNavigation::nearest(this));
    if (started_) return;
    started_ = true;
    model_->start(fallbackProfile());
}

void SetupWorkflowView::syncPage() {
    applyWindowTitle();
    if (pageStep_ == model_->step()) return;
    pageStep_ = model_->step();
    if (page_) retireScreen(layout_, page_);
    page_ = makeSetupStepPage({this, model_, telemetry_});
    placeScreen(layout_, page_);
    if (model_->step().isStage()) stageAppearedTask(model_->step().domainID);
}

void SetupWorkflowView::stageAppearedTask(const QString& domainID) {
    QPointer<SetupWorkflowView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, domainID] {
            // Like a task keyed by the domain id: it does not run once the step has moved on.
            if (self && self->model_->step() == SetupFlowModel::Step::stage(domainID))
                self->model_->stageAppeared(domainID);
        },
        Qt::QueuedConnection);
}

void SetupWorkflowView::applyWindowTitle() {
    const QString title = stepWindowTitle();
    setWindowTitle(title);
    if (QWidget* top = window(); top != this && isVisible()) top->setWindowTitle(title);
}

void SetupWorkflowView::syncSheet() {
    // The model holds one batch at a time and clears it before it takes another: a sheet on screen is
    // the pending batch's.
    const auto& pending = model_->pendingInstall();
    if (!pending) return closeSheet();
    if (sheet_) return;

    const AppServices& services = model_->services();
    SetupActionBatch::RunRemediation run =
        runnerFactory_ ? runnerFactory_(services)
                       : SetupActionBatch::runWith(SetupRemediationRunner::fromServices(services));
    QPointer<SetupWorkflowView> self(this);
    auto* view = new SetupActionProgressView(
        pending->title, pending->remediations, std::move(run), pending->continuesPastFailure,
        [self](SetupActionOutcome outcome) {
            if (self) self->model_->stageFinished(outcome, self->fallbackProfile());
        },
        model_->config(), telemetry_);
    auto* sheet = new SheetDialog(
        view, [view] { view->closeRequested(); }, this);
    sheet->setMinimumSize(minimumSheetWidth, minimumSheetHeight);
    sheet->setWindowTitle(pending->title);
    sheet_ = sheet;
    openSheet(sheet);
}

void SetupWorkflowView::closeSheet() {
    SheetDialog* sheet = sheet_.data();
    sheet_ = nullptr;
    if (!sheet) return;
    static_cast<SetupActionProgressView*>(sheet->content())->batch()->cancel(); // no-op once ended
    // The sheet's own button may be what got us here: it goes once control is back in the event loop,
    // and its batch (if still running) is stopped with it.
    sheet->dismiss();
    sheet->deleteLater();
}

} // namespace qlan
