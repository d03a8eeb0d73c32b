#include "diagnose/DiagnoseFlow.h"

#include "appshell/AppNavigation.h"
#include "diagnose/VerifyOutcome.h"
#include "diagnosis/DiagnosisEvents.h"
#include "platform/JavaVersion.h"
#include "platform/SystemProfiler.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

namespace {

// The fixes whose success needs no Java check.
bool installsNoJava(const Remediation& remediation) {
    using Kind = Remediation::Kind;
    return remediation.kind == Kind::installWarpViaBrew ||
           remediation.kind == Kind::installHomebrewThenWarp || remediation.kind == Kind::installHomebrew;
}

qint64 majorOf(const JDKInfo& jdk) {
    return JavaVersion::parseMajor(JavaVersion::wrap(jdk.version)).value_or(-1);
}

} // namespace

DiagnoseFlow::DiagnoseFlow(AppServices services, ProductConfig edition, TelemetryService& telemetry,
                           QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
    , edition_(std::move(edition))
    , telemetry_(telemetry)
    , viewModel_(new DiagnoseViewModel(edition_.diagnosisProfile, telemetry, this)) {}

DiagnoseFlow::~DiagnoseFlow() {
    probe_.request_stop();
    javaHomeProbe_.request_stop();
}

void DiagnoseFlow::runCheck(const std::optional<SystemProfile>& environmentProfile) {
    if (freshProfile_ || checkRunning_) return;
    environmentProfile_ = environmentProfile;
    const auto diagnoseWith = [this](SystemProfile profile) {
        checkRunning_ = false;
        freshProfile_ = std::move(profile);
        if (std::holds_alternative<DiagnoseViewModel::Probing>(state())) viewModel_->diagnose(*freshProfile_);
    };
    if (services_.isFixtureMode && environmentProfile) {
        diagnoseWith(*environmentProfile);
        return;
    }
    checkRunning_ = true;
    probe_ = SystemProfiler::fromServices(services_).profileInBackground(this, diagnoseWith);
}

const DiagnoseViewModel::Diagnosed* DiagnoseFlow::diagnosed() const {
    return std::get_if<DiagnoseViewModel::Diagnosed>(&state());
}

void DiagnoseFlow::onRemediate(const Remediation& remediation) {
    const auto* shown = diagnosed();
    if (!shown) return;
    const DiagnoseViewModel::Diagnosed from = *shown;
    startFix(remediation, from.diagnosis, from.d1Remediation, from.d2Remediation);
}

void DiagnoseFlow::onInstallChosen(int major) {
    const auto* shown = diagnosed();
    if (!shown) return;
    const std::optional<SystemProfile>& profile = freshProfile_ ? freshProfile_ : environmentProfile_;
    if (!profile) return;
    const Remediation install = DiagnoseViewModel::installRemediation(major, *profile);
    const Diagnosis from = shown->diagnosis;
    startFix(install, from, install, std::nullopt);
}

void DiagnoseFlow::onKeepLegacy() {
    const auto* shown = diagnosed();
    if (!shown || shown->diagnosis.kind != Diagnosis::Kind::D3_LegacyOnly) return;
    const Diagnosis from = shown->diagnosis;
    const Remediation keep = Remediation::keepCurrentLegacyJava(from.detectedJDK.path);
    startFix(keep, from, std::nullopt, keep);
}

void DiagnoseFlow::startFix(const Remediation& remediation, const Diagnosis& diagnosis,
                            std::optional<Remediation> d1, std::optional<Remediation> d2) {
    if (sheetRemediation_) return; // one fix at a time
    lastDiagnosis_ = diagnosis;
    lastD1Remediation_ = std::move(d1);
    lastD2Remediation_ = std::move(d2);
    telemetry_.track(remediationAppliedEvent(remediation));
    viewModel_->setState(DiagnoseViewModel::Remediating{remediation});
    sheetRemediation_ = remediation;
    emit sheetRemediationChanged();
}

void DiagnoseFlow::onRemediationFinished(const RemediationOutcome& outcome) {
    if (!sheetRemediation_) return;
    const Remediation remediation = *sheetRemediation_;
    // The screen that follows is built while the sheet still stands over it; the sheet closes last, so that
    // the focus it hands back finds that screen as it will stay.
    switch (outcome.kind) {
    case RemediationOutcome::Kind::success:
        if (installsNoJava(remediation))
            viewModel_->setState(DiagnoseViewModel::Completed{outcome.message});
        else
            viewModel_->setState(DiagnoseViewModel::Verifying{remediation});
        break;
    case RemediationOutcome::Kind::failure:
        viewModel_->setState(DiagnoseViewModel::Error{outcome.message});
        break;
    case RemediationOutcome::Kind::canceled:
        restoreDiagnosis();
        break;
    }
    sheetRemediation_.reset();
    emit sheetRemediationChanged();
}

void DiagnoseFlow::onVerifyResult(const JavaVerifier::Result& result) {
    const auto* verifying = std::get_if<DiagnoseViewModel::Verifying>(&state());
    if (!verifying) return;
    const Remediation remediation = verifying->remediation;
    viewModel_->setState(DiagnoseViewModel::Verified{remediation, result});
}

void DiagnoseFlow::onSetJavaHome() {
    if (settingJavaHome_ || sheetRemediation_ ||
        !std::holds_alternative<DiagnoseViewModel::Verified>(state()))
        return;
    settingJavaHome_ = true;
    emit settingJavaHomeChanged();
    const State startedIn = state();
    // Always a live probe, also in fixture mode: the install has just changed the Mac.
    javaHomeProbe_ = SystemProfiler::fromServices(services_).profileInBackground(
        this, [this, startedIn](SystemProfile profile) { javaHomeProbeFinished(startedIn, profile); });
}

void DiagnoseFlow::javaHomeProbeFinished(const State& startedIn, const SystemProfile& profile) {
    settingJavaHome_ = false;
    emit settingJavaHomeChanged();
    if (state() != startedIn || sheetRemediation_) return;
    if (onTop_ && !onTop_()) return;

    freshProfile_ = profile;
    const QList<JDKInfo>& jdks = profile.javaState.installedJDKs;
    if (jdks.isEmpty()) {
        continueToAudit(lastDiagnosis_);
        return;
    }
    const auto& verified = std::get<DiagnoseViewModel::Verified>(startedIn);
    const JDKInfo target = javaHomeTarget(jdks, verified.remediation);
    const Remediation setHome = DiagnoseViewModel::remediation(target, profile);
    startFix(setHome, Diagnosis::homeUnset(target), std::nullopt, setHome);
}

void DiagnoseFlow::backToDiagnosis() {
    restoreDiagnosis();
}

void DiagnoseFlow::restoreDiagnosis() {
    if (!lastDiagnosis_) return;
    viewModel_->setState(
        DiagnoseViewModel::Diagnosed{*lastDiagnosis_, lastD1Remediation_, lastD2Remediation_});
}

void DiagnoseFlow::continueToAudit(const std::optional<Diagnosis>& diagnosis) {
    if (navigation_) navigation_->push(nextScreen(edition_, diagnosis));
}

Screen DiagnoseFlow::nextScreen(const ProductConfig& edition, const std::optional<Diagnosis>& diagnosis) {
    if (edition.nextStepPrompt) return Screen::nextStep();
    const CompletionSurface surface =
        diagnosis ? diagnosis->outcomeCategory() : CompletionSurface::prompt(BuildIntentSurface::postFix);
    return Screen::audit(AuditContext{AuditEntry::heuristic, surface, std::nullopt});
}

JDKInfo DiagnoseFlow::javaHomeTarget(const QList<JDKInfo>& jdks, const Remediation& installed) {
    if (const std::optional<int> major = installedJavaMajor(installed))
        for (const JDKInfo& jdk : jdks)
            if (majorOf(jdk) == *major) return jdk;
    const JDKInfo* newest = nullptr;
    for (const JDKInfo& jdk : jdks)
        if (majorOf(jdk) >= Diagnosis::modernMinimumMajor && (!newest || majorOf(jdk) > majorOf(*newest)))
            newest = &jdk;
    return newest ? *newest : jdks.first();
}

} // namespace qlan
