#include "editions/EditionSupport.h"

namespace qlan::editions {
namespace {

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

} // namespace

QStringList setupEditionPrivacyBullets() {
    return {
        QStringLiteral("The app never identifies you and never records your IP address."),
        QStringLiteral("No passwords or file contents are ever recorded."),
        QStringLiteral("Usage events are anonymous."),
        QStringLiteral("A random session ID is created for anonymous usage counts."),
    };
}

ProductURLs setupEditionURLs(const char* installMethods, const char* troubleshooting, const char* envConfig,
                             const char* warpContent) {
    return ProductURLs{
        ProductURLs::guideSiteRoot(),
        ProductURLs::guidePage(QStringLiteral("/quillane/privacy")),
        ProductURLs::guidePage(QString::fromLatin1(installMethods)),
        ProductURLs::guidePage(QString::fromLatin1(troubleshooting)),
        ProductURLs::guidePage(QString::fromLatin1(envConfig)),
        ProductURLs::guidePage(QStringLiteral("/commandlinetools")),
        ProductURLs::guidePage(QStringLiteral("/macos/upgrade")),
        ProductURLs::warpAffiliatePage(QString::fromLatin1(warpContent)),
    };
}

void addSharedPolicyFields(SpineRenderPolicy& policy) {
    policy.homebrewIndependentDomains = {QStringLiteral("clt"), QStringLiteral("homebrew"),
                                         QStringLiteral("project"), QStringLiteral("skills"),
                                         QStringLiteral("mcp")};
    policy.advanceOnPartialFailureDomains = {QStringLiteral("languages"), QStringLiteral("project"),
                                             QStringLiteral("skills"), QStringLiteral("mcp")};
    policy.privilegedReasons.insert(QStringLiteral("brew:temurin"),
                                    QStringLiteral("Enter a password to install Java"));
    addSharedSpecialStages(policy);
}

void appendToolApps(QList<SpineRenderPolicy::OpenableApp>& apps, const AITooling& tools) {
    if (tools.codexDesktop) apps.append({QStringLiteral("Open Codex"), QStringLiteral("Codex.app")});
    if (tools.zed) apps.append({QStringLiteral("Open Zed"), QStringLiteral("Zed.app")});
    if (tools.vsCode) apps.append({QStringLiteral("Open VS Code"), QStringLiteral("Visual Studio Code.app")});
    if (tools.warpApp) apps.append({QStringLiteral("Open Warp"), QStringLiteral("Warp.app")});
}

const SpineRenderPolicy::OpenableApp& claudeDesktopApp() {
    static const SpineRenderPolicy::OpenableApp app{QStringLiteral("Open Claude Desktop"),
                                                    QStringLiteral("Claude.app")};
    return app;
}

} // namespace qlan::editions
