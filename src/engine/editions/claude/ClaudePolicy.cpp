// The Claude Code edition's policy for the guided setup, and its hooks.
#include "catalog/SpineRenderPolicy.h"
#include "editions/EditionSupport.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

const SpineRenderPolicy& SpineRenderPolicy::claudeEdition() {
    static const SpineRenderPolicy policy = [] {
        SpineRenderPolicy p;
        editions::addSharedPolicyFields(p);
        p.summaryExcludedDomains = {QStringLiteral("warp"), QStringLiteral("codex")};
        p.offers.insert(QStringLiteral("warp"), {QStringLiteral("warp"), QStringLiteral("post_cli"),
                                                 QStringLiteral("warp_not_installed")});
        p.fallbackArticlePath = QStringLiteral("claude-code");
        p.privilegedActionReason = QStringLiteral("Set up Claude Code");
        p.remediationCaptions.insert(
            QStringLiteral("brew:warp"),
            QStringLiteral("We'll install Warp via Homebrew — the modern, AI-assisted "
                           "macOS terminal we recommend for working with Claude Code."));
        p.stageArticlePaths = {
            {QStringLiteral("clt"), QStringLiteral("commandlinetools")},
            {QStringLiteral("homebrew"), QStringLiteral("homebrew/3")},
            {QStringLiteral("warp"), QStringLiteral("download/warp")},
            {QStringLiteral("claude-cli"), QStringLiteral("claude-code/install")},
            {QStringLiteral("claude-desktop"), QStringLiteral("claude-code/vs-claude-desktop")},
            {QStringLiteral("editor"), QStringLiteral("download/zed")},
            {QStringLiteral("shell-config"), QStringLiteral("terminal/configuration")},
            {QStringLiteral("languages"), QStringLiteral("mise")},
            {QStringLiteral("git"), QStringLiteral("git/config")},
        };
        for (const char* domainID : {"codex", "agent-docs", "project", "skills", "mcp"})
            p.stageArticlePaths.insert(QString::fromLatin1(domainID), QStringLiteral("quillane/coming-soon"));
        p.onStageBlocked = claudeStageBlockedHandler;
        p.postPrimaryInterstitial = InterstitialScreen{
            QStringLiteral("Before you sign in"),
            QStringLiteral("Claude Code needs a paid plan"),
            QStringLiteral(
                "Claude Code (the CLI tool or the Code tab in Claude Desktop) needs an Anthropic Pro, Max, "
                "Team, or Enterprise plan. Sign-in requires a web browser."),
            QStringLiteral("Got it"),
            QStringLiteral("It's an Anthropic requirement. We are not affiliated with Anthropic."),
            QStringLiteral("claude-code/prerequisites")};
        p.onOutcomeReported = claudeOutcomeReporter;
        p.outcomeOpenableApps = claudeOpenableApps;
        return p;
    }();
    return policy;
}

QList<SpineRenderPolicy::OpenableApp>
SpineRenderPolicy::claudeOpenableApps(const std::optional<SystemProfile>& profile,
                                      const std::optional<SetupVerificationResult>& result) {
    QList<OpenableApp> apps;
    const bool verifiedDesktop =
        result && result->details.value(QStringLiteral("desktop_present")) == QLatin1String("true");
    if (verifiedDesktop || (profile && profile->aiTooling.claudeCodeDesktop))
        apps.append(editions::claudeDesktopApp());
    if (!profile) return apps;
    editions::appendToolApps(apps, profile->aiTooling);
    return apps;
}

TelemetryEvent SpineRenderPolicy::claudeOutcomeEvent(const std::optional<QString>& engineOutcome,
                                                     const QString& selfReport) {
    return claudeOutcomeReportedEvent(engineOutcome.value_or(QStringLiteral("blocked")), selfReport);
}

std::optional<TelemetryEvent> SpineRenderPolicy::claudeStageBlockedEvent(const QString& domainID,
                                                                         const SetupProbeBundle& probes) {
    if (domainID != QLatin1String("claude-cli")) return std::nullopt;
    return TelemetryEvent{
        QStringLiteral("claude_conflict_surfaced"),
        {{QStringLiteral("install_count"), JSONValue::integer(probes.allPrimaryToolLocations().size())}}};
}

void SpineRenderPolicy::claudeOutcomeReporter(TelemetryService& telemetry,
                                              const std::optional<QString>& engineOutcome,
                                              const QString& selfReport) {
    telemetry.track(claudeOutcomeEvent(engineOutcome, selfReport));
}

void SpineRenderPolicy::claudeStageBlockedHandler(TelemetryService& telemetry, const QString& domainID,
                                                  const SetupProbeBundle& probes) {
    if (const std::optional<TelemetryEvent> event = claudeStageBlockedEvent(domainID, probes))
        telemetry.track(*event);
}

} // namespace qlan
