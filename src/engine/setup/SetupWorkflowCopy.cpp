#include "setup/SetupWorkflowCopy.h"

#include "editions/claude/ClaudeSpineCopy.h"
#include "platform/ReadinessScreenCopy.h"

namespace qlan {

const SpineCopy& SetupWorkflowCopy::spineCopy(const ProductConfig& edition) {
    static const SpineCopy claude = claudeSpineCopy();
    return edition.spineCopy ? *edition.spineCopy : claude;
}

QString SetupWorkflowCopy::windowTitle(const SetupFlowModel::Step& step, const ProductConfig& edition) {
    using Kind = SetupFlowModel::Step::Kind;
    const SpineCopy& copy = spineCopy(edition);
    switch (step.kind) {
    case Kind::readinessWarning:
        if (step.warning) {
            if (const auto* network = std::get_if<NetworkReadinessResult>(&*step.warning))
                return ReadinessScreenCopy::network(*network).windowTitle;
            return ReadinessScreenCopy::disk(std::get<DiskReadinessResult>(*step.warning)).windowTitle;
        }
        return edition.displayName;
    case Kind::stage:
        if (const auto screen = copy.screenCopy(step.domainID, std::nullopt)) return screen->windowTitle;
        return copy.diagnosisWindowTitle;
    case Kind::loading:
        return edition.displayName;
    case Kind::diagnosisSummary:
        return copy.diagnosisWindowTitle;
    case Kind::interstitial:
        if (const auto& interstitial = edition.spinePolicy.postPrimaryInterstitial)
            return interstitial->windowTitle;
        return edition.displayName;
    case Kind::verifying:
    case Kind::outcome:
        return copy.summaryWindowTitle;
    case Kind::keepGoingGate:
        return copy.continueWindowTitle;
    case Kind::nps:
        return copy.outcomeWindowTitle;
    }
    return edition.displayName;
}

QUrl SetupWorkflowCopy::articleURL(const ProductConfig& edition, const QString& path) {
    QUrl url = edition.urls.articleBase;
    if (path.isEmpty()) return url;
    QString base = url.path();
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    url.setPath(base + path);
    return url;
}

QUrl SetupWorkflowCopy::stageArticleURL(const ProductConfig& edition, const QString& domainID) {
    return articleURL(edition, edition.spinePolicy.articlePath(domainID));
}

bool SetupWorkflowCopy::verificationPassed(const std::optional<SetupVerificationResult>& result) {
    return result && result->passed;
}

SetupWorkflowCopy::Frame
SetupWorkflowCopy::outcomeFrame(const ProductConfig& edition,
                                const std::optional<SetupVerificationResult>& result) {
    const SpineCopy& copy = spineCopy(edition);
    const bool passed = verificationPassed(result);
    return {copy.summaryHeadline, passed ? copy.summaryAllVerified : copy.summarySomeUnverified,
            articleURL(edition, passed ? copy.updateArticlePath : copy.troubleshootingArticlePath)};
}

QList<SpineRenderPolicy::OpenableApp>
SetupWorkflowCopy::openableApps(const ProductConfig& edition, const std::optional<SystemProfile>& profile,
                                const std::optional<SetupVerificationResult>& result) {
    const auto hook = edition.spinePolicy.outcomeOpenableApps;
    return hook ? hook(profile, result) : QList<SpineRenderPolicy::OpenableApp>{};
}

SetupWorkflowCopy::Frame SetupWorkflowCopy::feedbackFrame(const ProductConfig& edition) {
    return {QStringLiteral("We need your feedback"), QStringLiteral("One quick question before you go."),
            articleURL(edition, QString())};
}

} // namespace qlan
