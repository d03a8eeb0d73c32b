#include "catalog/SpineRenderPolicy.h"

#include "catalog/VendorHosts.h"
#include "platform/Worker.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
namespace {

QUrl https(const char* host, const char* path) {
    return QUrl(QStringLiteral("https://") + QString::fromLatin1(host) + QString::fromLatin1(path),
                QUrl::StrictMode);
}

SpineRenderPolicy::SpecialStageKind codexPicker() {
    return SpineRenderPolicy::CaskMultiselect{
        QStringLiteral("Install Codex"),
        QStringLiteral("codex"),
        {{QStringLiteral("Codex Desktop"), QStringLiteral("brew:codex-app"),
          QStringLiteral("install-codex-app")},
         {QStringLiteral("Codex CLI"), QStringLiteral("brew:codex"), QStringLiteral("install-codex-cli")}}};
}

// The pickers and action lists both editions show.
void addSharedSpecialStages(SpineRenderPolicy& policy) {
    policy.specialStages.insert(QStringLiteral("codex"), codexPicker());
    policy.specialStages.insert(QStringLiteral("languages"), SpineRenderPolicy::LanguagesMultiselect{});
    policy.specialStages.insert(QStringLiteral("project"), SpineRenderPolicy::ProjectActions{});
    policy.specialStages.insert(QStringLiteral("skills"), SpineRenderPolicy::SkillsMultiselect{});
    policy.specialStages.insert(QStringLiteral("mcp"), SpineRenderPolicy::McpMultiselect{});
    policy.specialStages.insert(QStringLiteral("git"), SpineRenderPolicy::GitActions{});
}

void addSharedFields(SpineRenderPolicy& policy) {
    policy.homebrewIndependentDomains = {QStringLiteral("clt"), QStringLiteral("homebrew"),
                                         QStringLiteral("project"), QStringLiteral("skills"),
                                         QStringLiteral("mcp")};
    policy.advanceOnPartialFailureDomains = {QStringLiteral("languages"), QStringLiteral("project"),
                                             QStringLiteral("skills"), QStringLiteral("mcp")};
    policy.privilegedReasons.insert(QStringLiteral("brew:temurin"),
                                    QStringLiteral("Enter a password to install Java"));
    addSharedSpecialStages(policy);
}

// Codex, Zed, VS Code and Warp, each when the profile has it.
void appendToolApps(QList<SpineRenderPolicy::OpenableApp>& apps, const AITooling& tools) {
    if (tools.codexDesktop) apps.append({QStringLiteral("Open Codex"), QStringLiteral("Codex.app")});
    if (tools.zed) apps.append({QStringLiteral("Open Zed"), QStringLiteral("Zed.app")});
    if (tools.vsCode) apps.append({QStringLiteral("Open VS Code"), QStringLiteral("Visual Studio Code.app")});
    if (tools.warpApp) apps.append({QStringLiteral("Open Warp"), QStringLiteral("Warp.app")});
}

const SpineRenderPolicy::OpenableApp claudeDesktopApp{QStringLiteral("Open Claude Desktop"),
                                                      QStringLiteral("Claude.app")};

} // namespace

const SpineRenderPolicy& SpineRenderPolicy::homebrewEdition() {
    static const SpineRenderPolicy policy = [] {
        SpineRenderPolicy p;
        addSharedFields(p);
        p.summaryExcludedDomains = {QStringLiteral("warp")};
        p.offers.insert(QStringLiteral("warp"), {QStringLiteral("warp"), QStringLiteral("post_homebrew"),
                                                 QStringLiteral("warp_not_installed")});
        p.fallbackArticlePath = QStringLiteral("quillane/coming-soon");
        p.privilegedActionReason = QStringLiteral("Set up Homebrew");
        p.remediationCaptions.insert(
            QStringLiteral("brew:warp"),
            QStringLiteral("We'll install Warp via Homebrew, the fast terminal Pellinor recommends."));
        p.stageArticlePaths = {
            {QStringLiteral("clt"), QStringLiteral("commandlinetools")},
            {QStringLiteral("homebrew"), QStringLiteral("homebrew")},
            {QStringLiteral("warp"), QStringLiteral("download/warp")},
            {QStringLiteral("ai-claude"), QStringLiteral("claude-code/install")},
            {QStringLiteral("editor"), QStringLiteral("download/zed")},
            {QStringLiteral("shell-config"), QStringLiteral("terminal/configuration")},
            {QStringLiteral("languages"), QStringLiteral("mise")},
            {QStringLiteral("git"), QStringLiteral("git")},
        };
        p.specialStages.insert(
            QStringLiteral("ai-claude"),
            CaskMultiselect{QStringLiteral("Install Claude"),
                            QStringLiteral("ai-claude"),
                            {{QStringLiteral("Claude Desktop"), QStringLiteral("brew:claude"),
                              QStringLiteral("install-claude-desktop")},
                             {QStringLiteral("Claude Code CLI"), QStringLiteral("brew:claude-code@latest"),
                              QStringLiteral("install-claude-cli")}}});
        p.networkReadiness = NetworkReadinessConfig{
            {https(VendorHosts::homebrewFormulae, "/api/formula.json"),
             https(VendorHosts::appleSoftwareUpdate, "/content/catalogs/index.sucatalog"),
             https(VendorHosts::codeHost, "/")},
            1'500'000'000,
            600,
            800'000,
            3.0};
        p.diskReadiness = DiskReadinessConfig{15'000'000'000, 10'000'000'000, 3'000'000'000};
        p.onOutcomeReported = homebrewOutcomeReporter;
        p.outcomeOpenableApps = homebrewOpenableApps;
        return p;
    }();
    return policy;
}

const SpineRenderPolicy& SpineRenderPolicy::claudeEdition() {
    static const SpineRenderPolicy policy = [] {
        SpineRenderPolicy p;
        addSharedFields(p);
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
SpineRenderPolicy::homebrewOpenableApps(const std::optional<SystemProfile>& profile,
                                        const std::optional<SetupVerificationResult>&) {
    QList<OpenableApp> apps;
    if (!profile) return apps;
    if (profile->aiTooling.claudeCodeDesktop) apps.append(claudeDesktopApp);
    appendToolApps(apps, profile->aiTooling);
    return apps;
}

QList<SpineRenderPolicy::OpenableApp>
SpineRenderPolicy::claudeOpenableApps(const std::optional<SystemProfile>& profile,
                                      const std::optional<SetupVerificationResult>& result) {
    QList<OpenableApp> apps;
    const bool verifiedDesktop =
        result && result->details.value(QStringLiteral("desktop_present")) == QLatin1String("true");
    if (verifiedDesktop || (profile && profile->aiTooling.claudeCodeDesktop)) apps.append(claudeDesktopApp);
    if (!profile) return apps;
    appendToolApps(apps, profile->aiTooling);
    return apps;
}

TelemetryEvent SpineRenderPolicy::homebrewOutcomeEvent(const std::optional<QString>& engineOutcome,
                                                       const QString& selfReport) {
    return TelemetryService::outcomeReportedEvent(engineOutcome.value_or(QStringLiteral("blocked")),
                                                  selfReport);
}

TelemetryEvent SpineRenderPolicy::claudeOutcomeEvent(const std::optional<QString>& engineOutcome,
                                                     const QString& selfReport) {
    return TelemetryService::claudeOutcomeReportedEvent(engineOutcome.value_or(QStringLiteral("blocked")),
                                                        selfReport);
}

std::optional<TelemetryEvent> SpineRenderPolicy::claudeStageBlockedEvent(const QString& domainID,
                                                                         const SetupProbeBundle& probes) {
    if (domainID != QLatin1String("claude-cli")) return std::nullopt;
    return TelemetryEvent{
        QStringLiteral("claude_conflict_surfaced"),
        {{QStringLiteral("install_count"), JSONValue::integer(probes.allPrimaryToolLocations().size())}}};
}

void SpineRenderPolicy::homebrewOutcomeReporter(const std::optional<QString>& engineOutcome,
                                                const QString& selfReport) {
    TelemetryService::send(homebrewOutcomeEvent(engineOutcome, selfReport));
}

void SpineRenderPolicy::claudeOutcomeReporter(const std::optional<QString>& engineOutcome,
                                              const QString& selfReport) {
    TelemetryService::send(claudeOutcomeEvent(engineOutcome, selfReport));
}

void SpineRenderPolicy::claudeStageBlockedHandler(const QString& domainID, const SetupProbeBundle& probes) {
    std::optional<TelemetryEvent> event = claudeStageBlockedEvent(domainID, probes);
    if (!event) return;
    // Handed over from a task of its own: the flow does not wait, not even for the service's first start.
    startWorker([event = std::move(*event)](std::stop_token) { TelemetryService::send(event); });
}

} // namespace qlan
