#pragma once
// The one screen of the Java diagnosis flow: it shows, in place, the screen of the flow's state (the
// progress screen, the diagnosis, the check after a fix and its result, the completed and error screens)
// and the fix sheet while a fix runs. The flow itself lives in DiagnoseFlow; this screen draws it and
// forwards the user's actions. The first check runs the first time the screen is shown.

#include "diagnose/DiagnoseFlow.h"
#include "ui/progress/RemediationSheet.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace qlan {

class NPSFeedbackHost;
class TelemetryService;

class DiagnoseView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetMinimumWidth = 560;
    static constexpr int sheetMinimumHeight = 420;

    // Probes and checks go through `services`; events to `telemetry`, which outlives the view.
    explicit DiagnoseView(const AppServices& services, TelemetryService& telemetry,
                          QWidget* parent = nullptr);
    ~DiagnoseView() override;

    DiagnoseFlow* flow() const { return flow_; }
    // The screen of the current state.
    QWidget* currentScreen() const { return screen_; }
    // The fix sheet while it is shown.
    RemediationSheet* sheet() const { return sheet_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showState();
    QWidget* screenForState();
    void syncSheet();
    void syncSettingJavaHome();

    AppServices services_;
    TelemetryService& telemetry_;
    DiagnoseFlow* flow_;
    std::shared_ptr<NPSFeedbackHost> nps_;
    QWidget* screen_ = nullptr;
    QPointer<RemediationSheet> sheet_;
};

} // namespace qlan
