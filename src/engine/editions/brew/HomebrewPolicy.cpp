// The Homebrew edition's policy for the guided setup, and its hooks.
#include "catalog/SpineRenderPolicy.h"
#include "catalog/VendorHosts.h"
#include "editions/EditionSupport.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
namespace {

QUrl https(const char* host, const char* path) {
    return QUrl(QStringLiteral("https://") + QString::fromLatin1(host) + QString::fromLatin1(path),
                QUrl::StrictMode);
}

} // namespace

const SpineRenderPolicy& SpineRenderPolicy::homebrewEdition() {
    static const SpineRenderPolicy policy = [] {
        SpineRenderPolicy p;
        editions::addSharedPolicyFields(p);
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

QList<SpineRenderPolicy::OpenableApp>
SpineRenderPolicy::homebrewOpenableApps(const std::optional<SystemProfile>& profile,
                                        const std::optional<SetupVerificationResult>&) {
    QList<OpenableApp> apps;
    if (!profile) return apps;
    if (profile->aiTooling.claudeCodeDesktop) apps.append(editions::claudeDesktopApp());
    editions::appendToolApps(apps, profile->aiTooling);
    return apps;
}

TelemetryEvent SpineRenderPolicy::homebrewOutcomeEvent(const std::optional<QString>& engineOutcome,
                                                       const QString& selfReport) {
    return outcomeReportedEvent(engineOutcome.value_or(QStringLiteral("blocked")), selfReport);
}

void SpineRenderPolicy::homebrewOutcomeReporter(TelemetryService& telemetry,
                                                const std::optional<QString>& engineOutcome,
                                                const QString& selfReport) {
    telemetry.track(homebrewOutcomeEvent(engineOutcome, selfReport));
}

} // namespace qlan
