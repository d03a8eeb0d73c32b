#include "ui/diagnose/DiagnoseView.h"

#include "appshell/AppNavigation.h"
#include "platform/ServiceContext.h"
#include "telemetry/NPSFeedbackHost.h"
#include "ui/diagnose/DiagnoseStatusScreens.h"
#include "ui/diagnose/DiagnosisDetailView.h"
#include "ui/diagnose/VerifyScreens.h"
#include "ui/progress/RemediationSheet.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QVBoxLayout>

namespace qlan {

DiagnoseView::DiagnoseView(const AppServices& services, ProductConfig edition, TelemetryService& telemetry,
                           QWidget* parent)
    : QWidget(parent)
    , services_(services)
    , telemetry_(telemetry)
    , flow_(new DiagnoseFlow(services, std::move(edition), telemetry, this))
    , nps_(
          std::make_shared<NPSFeedbackHost>(flow_->edition().userDefaultsPrefix, services.store, telemetry)) {
    // The fix sheet and the screens below work on the same services.
    ServiceContext::setServices(this, services_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    flow_->setOnTop([this] { return isVisible(); });
    connect(flow_->viewModel(), &DiagnoseViewModel::stateChanged, this, &DiagnoseView::showState);
    connect(flow_, &DiagnoseFlow::sheetRemediationChanged, this, &DiagnoseView::syncSheet);
    connect(flow_, &DiagnoseFlow::settingJavaHomeChanged, this, &DiagnoseView::syncSettingJavaHome);
    showState();
}

DiagnoseView::~DiagnoseView() {
    // The sheet goes first, while the flow it reports to is still whole; whatever it reports on its
    // way out no longer reaches this screen.
    flow_->disconnect(this);
    flow_->viewModel()->disconnect(this);
    if (RemediationSheet* sheet = sheet_) {
        sheet_ = nullptr;
        sheet->disconnect(this);
        delete sheet;
    }
}

void DiagnoseView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (AppNavigation* navigation = AppNavigation::nearest(this)) flow_->setNavigation(navigation);
    flow_->runCheck(ServiceContext::systemProfile(this));
}

void DiagnoseView::showState() {
    QWidget* next = screenForState();
    if (screen_) retireScreen(layout(), screen_);
    screen_ = next;
    placeScreen(layout(), screen_);
    syncSettingJavaHome();
}

QWidget* DiagnoseView::screenForState() {
    using VM = DiagnoseViewModel;
    const QPointer<DiagnoseFlow> flow = flow_;
    const auto continueFromLast = [flow] {
        if (flow) flow->continueToAudit(flow->lastDiagnosis());
    };
    const auto back = [flow] {
        if (flow) flow->backToDiagnosis();
    };
    const VM::State& state = flow_->state();

    if (const auto* diagnosed = std::get_if<VM::Diagnosed>(&state)) {
        const Diagnosis diagnosis = diagnosed->diagnosis;
        DiagnosisDetailView::Callbacks callbacks{
            [flow](const Remediation& remediation) {
                if (flow) flow->onRemediate(remediation);
            },
            [flow](int major) {
                if (flow) flow->onInstallChosen(major);
            },
            [flow] {
                if (flow) flow->onKeepLegacy();
            },
            [flow, diagnosis] {
                if (flow) flow->continueToAudit(diagnosis);
            },
        };
        return new DiagnosisDetailView(diagnosis, diagnosed->d1Remediation, diagnosed->d2Remediation,
                                       std::move(callbacks), nps_, flow_->edition().urls, telemetry_);
    }
    if (std::holds_alternative<VM::Remediating>(state)) {
        // The diagnosis the fix came from stays behind the sheet, inert.
        if (flow_->lastDiagnosis())
            return new DiagnosisDetailView(*flow_->lastDiagnosis(), flow_->lastD1Remediation(),
                                           flow_->lastD2Remediation(), {}, nps_, flow_->edition().urls,
                                           telemetry_);
        return new ProgressScaffold;
    }
    if (const auto* verifying = std::get_if<VM::Verifying>(&state)) {
        return new VerifyScaffold(
            verifying->remediation, services_,
            [flow](const JavaVerifier::Result& result) {
                if (flow) flow->onVerifyResult(result);
            },
            telemetry_);
    }
    if (const auto* verified = std::get_if<VM::Verified>(&state)) {
        VerifyResultView::Callbacks callbacks{continueFromLast, back, [flow] {
                                                  if (flow) flow->onSetJavaHome();
                                              }};
        return new VerifyResultView(verified->remediation, verified->result, std::move(callbacks),
                                    flow_->edition().urls.troubleshooting, telemetry_);
    }
    if (const auto* completed = std::get_if<VM::Completed>(&state))
        return new CompletedScaffold(completed->message, continueFromLast);
    if (const auto* error = std::get_if<VM::Error>(&state)) return new ErrorScaffold(error->message, back);
    return new ProgressScaffold;
}

void DiagnoseView::syncSheet() {
    const std::optional<Remediation>& remediation = flow_->sheetRemediation();
    if (!remediation) {
        if (sheet_) {
            RemediationSheet* closing = sheet_;
            sheet_ = nullptr;
            closing->disconnect(this);
            closing->dismiss();
            closing->deleteLater(); // its own button may have finished it
        }
        return;
    }
    if (sheet_) return;
    const QPointer<DiagnoseFlow> flow = flow_;
    sheet_ = new RemediationSheet(
        *remediation,
        [flow](const RemediationOutcome& outcome) {
            if (flow) flow->onRemediationFinished(outcome);
        },
        telemetry_, this);
    sheet_->setMinimumSize(sheetMinimumWidth, sheetMinimumHeight);
    // However the sheet closes, it is a cancel; after a finish the flow has let it go already.
    connect(sheet_, &QDialog::finished, this, [this] {
        if (flow_->sheetRemediation()) flow_->onRemediationFinished(RemediationOutcome::canceled());
    });
    openSheet(sheet_);
}

void DiagnoseView::syncSettingJavaHome() {
    if (auto* result = qobject_cast<VerifyResultView*>(screen_))
        result->setActionsEnabled(!flow_->isSettingJavaHome());
}

} // namespace qlan
