#pragma once
// The one screen of the guided setup. It owns the flow's model (made from the edition and services the
// screen is given, started when it is first shown), shows the page of the model's step, keeps the
// window title in step with it, and presents the action sheet while the model holds a pending batch:
// a window-modal sheet per batch, with a runner of its own. When the sheet reports how the batch ended,
// the model clears the pending batch (which closes the sheet) and moves on. The screen never leaves the
// flow itself; the model empties the navigation path.

#include "platform/AppServices.h"
#include "setup/SetupActionBatch.h"
#include "setup/SetupFlowModel.h"
#include "setup/SetupPickerState.h"
#include "ui/widgets/SheetDialog.h"

#include <QPointer>
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

    // The flow runs `edition` on `services`; events go to `telemetry`, which must outlive the screen.
    SetupWorkflowView(const AppServices& services, ProductConfig edition, TelemetryService& telemetry,
                      QWidget* parent = nullptr);
    ~SetupWorkflowView() override;

    SetupFlowModel* model() const { return model_; }
    // What the special stages' pickers hold while the screen lives: ticks, typed texts, first visits.
    SetupPickerState& pickerState() { return pickerState_; }
    QWidget* currentPage() const { return page_; }
    // The sheet on screen, and its content; null while no batch is pending.
    SheetDialog* sheet() const { return sheet_; }
    SetupActionProgressView* sheetView() const;

    // The profile of the screen's environment.
    std::optional<SystemProfile> fallbackProfile() const;

    // The window title of the current step.
    QString stepWindowTitle() const;
    // Replaces how sheets run their fixes (the real runner of the model's services by default).
    void setRunnerFactory(RunnerFactory factory);
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
    bool started_ = false;
};

} // namespace qlan
