#include "support/ScriptedEdition.h"

namespace qlan::test {
namespace {

std::mutex hookMutex;
QList<ScriptedEdition::BlockedCall> blockedLog;
QList<ScriptedEdition::OutcomeCall> outcomeLog;

void recordBlocked(TelemetryService&, const QString& domainID, const SetupProbeBundle& probes) {
    std::lock_guard lock(hookMutex);
    blockedLog.append({domainID, probes});
}

void recordOutcome(TelemetryService&, const std::optional<QString>& engineOutcome,
                   const QString& selfReport) {
    std::lock_guard lock(hookMutex);
    outcomeLog.append({engineOutcome, selfReport});
}

} // namespace

WorkflowStep scriptedStep(const QString& domainID, SetupDiagnosisClassification classification,
                          DomainPlacement placement) {
    const QString headline = domainID + QLatin1Char(' ') + toText(classification);
    return {BasicSetupStage(domainID, SetupDiagnosis{headline, {}, classification}), placement};
}

// ---- Prober ----

SetupProbeBundle ScriptedProber::probe(const std::shared_ptr<ProcessRunning>&,
                                       const std::shared_ptr<FileSystemOperating>&) const {
    {
        std::lock_guard lock(mutex_);
        ++calls_;
    }
    gate_.pass();
    std::lock_guard lock(mutex_);
    ++returned_;
    return bundle_;
}

void ScriptedProber::setBundle(const SetupProbeBundle& bundle) {
    std::lock_guard lock(mutex_);
    bundle_ = bundle;
}

int ScriptedProber::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

int ScriptedProber::returned() const {
    std::lock_guard lock(mutex_);
    return returned_;
}

void ScriptedProber::hold() {
    gate_.hold();
}

void ScriptedProber::release() {
    gate_.release();
}

// ---- Spine ----

std::optional<SetupWorkflow> ScriptedSpine::makeSpine(const std::optional<QString>&, const SystemProfile&,
                                                      const SetupProbeBundle& probes,
                                                      const SpineSelection&) const {
    std::lock_guard lock(mutex_);
    ++calls_;
    lastProbes_ = probes;
    if (!steps_) return std::nullopt;
    return SetupWorkflow{*steps_};
}

QList<SetupRemediation> ScriptedSpine::remediations(const QString& domainID, const SystemProfile&,
                                                    const SetupProbeBundle&) const {
    std::lock_guard lock(mutex_);
    return remediations_.value(domainID);
}

void ScriptedSpine::setSteps(const std::optional<QList<WorkflowStep>>& steps) {
    std::lock_guard lock(mutex_);
    steps_ = steps;
}

void ScriptedSpine::setRemediations(const QString& domainID, const QList<SetupRemediation>& remediations) {
    std::lock_guard lock(mutex_);
    remediations_.insert(domainID, remediations);
}

int ScriptedSpine::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::optional<SetupProbeBundle> ScriptedSpine::lastProbes() const {
    std::lock_guard lock(mutex_);
    return lastProbes_;
}

// ---- Verifier ----

SetupVerificationResult ScriptedVerifier::verify(const std::optional<SystemProfile>& profile,
                                                 const std::shared_ptr<ProcessRunning>&,
                                                 const std::shared_ptr<FileSystemOperating>&) const {
    std::lock_guard lock(mutex_);
    ++calls_;
    lastProfile_ = profile;
    return result_;
}

void ScriptedVerifier::setResult(const SetupVerificationResult& result) {
    std::lock_guard lock(mutex_);
    result_ = result;
}

int ScriptedVerifier::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::optional<SystemProfile> ScriptedVerifier::lastProfile() const {
    std::lock_guard lock(mutex_);
    return lastProfile_;
}

// ---- Copy ----

SpineCopy scriptedCopy(const QStringList& domainsWithCopy) {
    SpineCopy copy;
    for (const QString& domainID : domainsWithCopy)
        copy.screens.insert(domainID,
                            {domainID + QStringLiteral(" title"), domainID + QStringLiteral(" headline"),
                             domainID + QStringLiteral(" body"), std::nullopt});
    copy.diagnosisWindowTitle = QStringLiteral("diagnosisWindowTitle");
    copy.diagnosisHeadline = QStringLiteral("diagnosisHeadline");
    copy.diagnosisFooter = QStringLiteral("diagnosisFooter");
    copy.diagnosisArticlePath = QStringLiteral("diagnosisArticlePath");
    copy.verifyingTitle = QStringLiteral("verifyingTitle");
    copy.continueWindowTitle = QStringLiteral("continueWindowTitle");
    copy.continueHeadline = QStringLiteral("continueHeadline");
    copy.continueBody = QStringLiteral("continueBody");
    copy.summaryWindowTitle = QStringLiteral("summaryWindowTitle");
    copy.summaryHeadline = QStringLiteral("summaryHeadline");
    copy.summaryAllVerified = QStringLiteral("summaryAllVerified");
    copy.summarySomeUnverified = QStringLiteral("summarySomeUnverified");
    copy.selfCheckTip = QStringLiteral("selfCheckTip");
    copy.outcomeQuestion = QStringLiteral("outcomeQuestion");
    copy.updateArticlePath = QStringLiteral("updateArticlePath");
    copy.troubleshootingArticlePath = QStringLiteral("troubleshootingArticlePath");
    copy.outcomeWindowTitle = QStringLiteral("outcomeWindowTitle");
    copy.projectFolderPrompt = QStringLiteral("projectFolderPrompt");
    return copy;
}

// ---- Edition ----

ScriptedEdition::ScriptedEdition() {
    policy.onStageBlocked = recordBlocked;
    policy.onOutcomeReported = recordOutcome;
    std::lock_guard lock(hookMutex);
    blockedLog.clear();
    outcomeLog.clear();
}

ProductConfig ScriptedEdition::config() const {
    ProductConfig config = ProductConfig::homebrewEdition();
    config.prober = prober;
    config.spineProvider = spine;
    config.verifier = verifier;
    config.spineCopy = std::make_shared<const SpineCopy>(scriptedCopy(domainsWithCopy));
    config.spinePolicy = policy;
    return config;
}

QList<ScriptedEdition::BlockedCall> ScriptedEdition::blockedCalls() {
    std::lock_guard lock(hookMutex);
    return blockedLog;
}

QList<ScriptedEdition::OutcomeCall> ScriptedEdition::outcomeCalls() {
    std::lock_guard lock(hookMutex);
    return outcomeLog;
}

} // namespace qlan::test
