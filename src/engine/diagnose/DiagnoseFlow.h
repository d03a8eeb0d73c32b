#pragma once
// The Java diagnosis flow of one diagnose screen: the first probe and diagnosis, the fix sheet (which
// remediation it carries out, and the return point that a cancel or a back restores), the outcome of a
// fix, the check after it, the set-JAVA_HOME step after an install, and leaving for the audit or the
// next-step prompt. The screen draws `viewModel()->state()` and shows the sheet while
// `sheetRemediation()` is set; every decision is made here. Lives on the GUI thread; probes run on
// worker threads and their results are dropped when the flow is gone.

#include "appshell/Screen.h"
#include "diagnose/DiagnoseViewModel.h"
#include "editions/ProductConfig.h"
#include "platform/AppServices.h"
#include "progress/RemediationOutcome.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <stop_token>

namespace qlan {

class AppNavigation;
class TelemetryService;

class DiagnoseFlow : public QObject {
    Q_OBJECT
public:
    using State = DiagnoseViewModel::State;

    // Runs `edition` on `services`; events go to `telemetry`, which outlives the flow.
    DiagnoseFlow(AppServices services, ProductConfig edition, TelemetryService& telemetry,
                 QObject* parent = nullptr);
    ~DiagnoseFlow() override;

    const ProductConfig& edition() const { return edition_; }
    DiagnoseViewModel* viewModel() const { return viewModel_; }
    const State& state() const { return viewModel_->state(); }

    // Where leaving the flow appends its screen.
    void setNavigation(AppNavigation* navigation) { navigation_ = navigation; }
    // Whether the screen is the one the user sees; a set-JAVA_HOME probe that ends while it is not is
    // dropped. Without one the screen counts as on top.
    void setOnTop(std::function<bool()> onTop) { onTop_ = std::move(onTop); }

    const std::optional<SystemProfile>& freshProfile() const { return freshProfile_; }
    // Set exactly while the fix sheet is shown.
    const std::optional<Remediation>& sheetRemediation() const { return sheetRemediation_; }
    const std::optional<Diagnosis>& lastDiagnosis() const { return lastDiagnosis_; }
    const std::optional<Remediation>& lastD1Remediation() const { return lastD1Remediation_; }
    const std::optional<Remediation>& lastD2Remediation() const { return lastD2Remediation_; }
    bool isProbing() const { return checkRunning_; }
    // The set-JAVA_HOME probe is running; the result screen's buttons wait for it.
    bool isSettingJavaHome() const { return settingJavaHome_; }

    // The first check, each time the screen is shown: once a profile is held, nothing. In fixture mode
    // with a profile from the environment that profile is used; otherwise the Mac is probed (off the GUI
    // thread). The profile is then diagnosed while the state is still `Probing`.
    void runCheck(const std::optional<SystemProfile>& environmentProfile);

    // Fixes started from the diagnosis on screen; nothing happens in any other state.
    void onRemediate(const Remediation& remediation);
    void onInstallChosen(int major);
    void onKeepLegacy();

    // The check's result for the fix being verified.
    void onVerifyResult(const JavaVerifier::Result& result);
    // After a verified install: probes the Mac afresh and starts the JAVA_HOME fix for the JDK just
    // installed; with no JDK at all, leaves the flow. Returns at once; a second press while the probe
    // runs does nothing.
    void onSetJavaHome();
    // Back from the result or error screen to the diagnosis the last fix came from.
    void backToDiagnosis();
    // How the sheet ended: success verifies (or completes, for the fixes that install no Java), failure
    // shows the error, cancel restores the diagnosis; then the sheet closes.
    void onRemediationFinished(const RemediationOutcome& outcome);
    // Appends the next screen for leaving from `diagnosis`; the state stays as it is.
    void continueToAudit(const std::optional<Diagnosis>& diagnosis);

    // The next-step prompt when the edition has one, else the audit entered heuristically with the
    // completion surface of the diagnosis (post-fix when there is none).
    static Screen nextScreen(const ProductConfig& edition, const std::optional<Diagnosis>& diagnosis);
    // The JDK whose JAVA_HOME is set after `installed`: the one of the installed major, else the newest
    // modern one (the earlier on a tie), else the first. `jdks` must not be empty.
    static JDKInfo javaHomeTarget(const QList<JDKInfo>& jdks, const Remediation& installed);

signals:
    void sheetRemediationChanged();
    void settingJavaHomeChanged();

private:
    void startFix(const Remediation& remediation, const Diagnosis& diagnosis, std::optional<Remediation> d1,
                  std::optional<Remediation> d2);
    void restoreDiagnosis();
    void javaHomeProbeFinished(const State& startedIn, const SystemProfile& profile);
    const DiagnoseViewModel::Diagnosed* diagnosed() const;

    AppServices services_;
    const ProductConfig edition_;
    TelemetryService& telemetry_;
    DiagnoseViewModel* viewModel_;
    QPointer<AppNavigation> navigation_;
    std::function<bool()> onTop_;

    std::optional<SystemProfile> freshProfile_;
    std::optional<SystemProfile> environmentProfile_;
    std::optional<Remediation> sheetRemediation_;
    std::optional<Diagnosis> lastDiagnosis_;
    std::optional<Remediation> lastD1Remediation_;
    std::optional<Remediation> lastD2Remediation_;
    bool checkRunning_ = false;
    bool settingJavaHome_ = false;
    std::stop_source probe_;
    std::stop_source javaHomeProbe_;
};

} // namespace qlan
