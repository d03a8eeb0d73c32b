#pragma once
// The one screen of the guided setup. It owns the flow's model (made from the current edition when the
// screen is built, started when it is first shown), shows the page of the model's step, keeps the
// window title in step with it, and presents the action sheet while the model holds a pending batch:
// a window-modal sheet per batch, with a runner of its own. When the sheet reports how the batch ended,
// the screen clears the pending batch (closing the sheet) and only then hands the outcome to the model.
// The screen never leaves the flow itself; a page empties the navigation path.

#include "platform/AppServices.h"
#include "remediation/SetupRemediationRunner.h"
#include "setup/SetupActionBatch.h"
#include "setup/SetupFlowModel.h"
#include "setup/SetupPickerState.h"
#include "ui/widgets/SheetDialog.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QVBoxLayout;

namespace qlan {

class SetupActionProgressView;
class TelemetryService;

class SetupWorkflowView : public QWidget {
    Q_OBJECT
public:
    // How a sheet's batch runs its fixes, given the screen's services.
    using RunnerFactory = std::function<SetupActionBatch::RunRemediation(const AppServices& services)>;

    // The screen is at least as wide as the window may be narrow. Its height is what the window leaves
    // under the back control: the window's own minimum height holds both.
    static constexpr int minimumContentWidth = 720;
    static constexpr int minimumSheetWidth = 560;
    static constexpr int minimumSheetHeight = 420;

    // Events go to `telemetry`, which must outlive the screen.
    explicit SetupWorkflowView(TelemetryService& telemetry, QWidget* parent = nullptr);
    ~SetupWorkflowView() override;

    SetupFlowModel* model() const { return model_; }
    // What the special stages' pickers hold while the screen lives: ticks, typed texts, first visits.
    SetupPickerState& pickerState() { return pickerState_; }
    QWidget* currentPage() const { return page_; }
    // The sheet on screen, and its content; null while no batch is pending.
    SheetDialog* sheet() const { return sheet_; }
    SetupActionProgressView* sheetView() const;

    // The services and profile of the screen's environment.
    AppServices services() const;
    std::optional<SystemProfile> fallbackProfile() const;

    // The window title of the current step.
    QString stepWindowTitle() const;
    // Writes the step directly (the interstitial, "Finish here", "Install Homebrew first").
    void setStep(const SetupFlowModel::Step& step);
    // The runner of a sheet: the first executable of the two brew locations, and the screen's services.
    SetupRemediationRunner makeRunner() const;
    // Replaces how sheets run their fixes (the real runner of makeRunner by default).
    void setRunnerFactory(RunnerFactory factory);
    // The sheet's end: clears the pending batch, then lets the model re-probe and move on.
    void finishPendingInstall(SetupActionOutcome outcome);
    // The article a stage links to.
    QUrl stageArticleURL(const QString& domainID) const;
    // Runs when a stage's page has appeared (the screen does it once per page built for a stage step,
    // after the page is shown, and only while that stage is still the step): the model skips a ready
    // stage, reports a blocked one and records an offer as shown.
    void stageAppearedTask(const QString& domainID);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void syncPage();
    void syncSheet();
    void closeSheet();
    void applyWindowTitle();

    TelemetryService& telemetry_;
    SetupFlowModel* model_;
    SetupPickerState pickerState_;
    RunnerFactory runnerFactory_;
    QVBoxLayout* layout_;
    QWidget* page_ = nullptr;
    std::optional<SetupFlowModel::Step> pageStep_;
    QPointer<SheetDialog> sheet_;
    QString sheetID_;
    bool started_ = false;
};

} // namespace qlan
