// The Homebrew and Claude Code editions' policies, field by field, and their openable-apps hooks.

#include "catalog/SpineRenderPolicy.h"

#include "EditionFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using Policy = SpineRenderPolicy;
using testing::ElementsAre;

namespace {

Policy::SpecialStageKind codexPicker() {
    return Policy::CaskMultiselect{"Install Codex",
                                   "codex",
                                   {{"Codex Desktop", "brew:codex-app", "install-codex-app"},
                                    {"Codex CLI", "brew:codex", "install-codex-cli"}}};
}

QStringList describe(const QList<Policy::OpenableApp>& apps) {
    QStringList lines;
    for (const Policy::OpenableApp& app : apps)
        lines << app.label + " / " + app.appName;
    return lines;
}

} // namespace

TEST(EditionPolicy, HomebrewEditionFieldByField) {
    const Policy& p = Policy::homebrewEdition();
    EXPECT_EQ(&p, &Policy::homebrewEdition()) << "built once";
    EXPECT_EQ(p.summaryExcludedDomains, (QSet<QString>{"warp"}));
    EXPECT_EQ(p.offers,
              (QMap<QString, Policy::SpineOffer>{{"warp", {"warp", "post_homebrew", "warp_not_installed"}}}));
    EXPECT_EQ(p.homebrewIndependentDomains, (QSet<QString>{"clt", "homebrew", "project", "skills", "mcp"}));
    EXPECT_EQ(p.advanceOnPartialFailureDomains, (QSet<QString>{"languages", "project", "skills", "mcp"}));
    EXPECT_EQ(p.stageArticlePaths, (QMap<QString, QString>{{"clt", "commandlinetools"},
                                                           {"homebrew", "homebrew"},
                                                           {"warp", "download/warp"},
                                                           {"ai-claude", "claude-code/install"},
                                                           {"editor", "download/zed"},
                                                           {"shell-config", "terminal/configuration"},
                                                           {"languages", "mise"},
                                                           {"git", "git"}}));
    EXPECT_EQ(p.fallbackArticlePath, "quillane/coming-soon");
    EXPECT_EQ(p.articlePath("codex"), "quillane/coming-soon");
    EXPECT_EQ(p.privilegedActionReason, QStringLiteral("Set up Homebrew"));
    EXPECT_EQ(p.privilegedReasons,
              (QMap<QString, QString>{{"brew:temurin", "Enter a password to install Java"}}));
    EXPECT_EQ(p.remediationCaptions,
              (QMap<QString, QString>{
                  {"brew:warp", "We'll install Warp via Homebrew, the fast terminal Pellinor recommends."}}));
    EXPECT_EQ(p.onStageBlocked, nullptr);
    EXPECT_EQ(p.postPrimaryInterstitial, std::nullopt);
    EXPECT_EQ(p.onOutcomeReported, &Policy::homebrewOutcomeReporter);
    EXPECT_EQ(p.outcomeOpenableApps, &Policy::homebrewOpenableApps);
    EXPECT_EQ(
        p.specialStages,
        (QMap<QString, Policy::SpecialStageKind>{
            {"ai-claude",
             Policy::CaskMultiselect{"Install Claude",
                                     "ai-claude",
                                     {{"Claude Desktop", "brew:claude", "install-claude-desktop"},
                                      {"Claude Code CLI", "brew:claude-code@latest", "install-claude-cli"}}}},
            {"codex", codexPicker()},
            {"languages", Policy::LanguagesMultiselect{}},
            {"project", Policy::ProjectActions{}},
            {"skills", Policy::SkillsMultiselect{}},
            {"mcp", Policy::McpMultiselect{}},
            {"git", Policy::GitActions{}}}));

    // The readiness thresholds, with endpoints on the package index, the update catalogue and the code host.
    ASSERT_TRUE(p.networkReadiness);
    EXPECT_THAT(p.networkReadiness->endpoints,
                ElementsAre(QUrl("https://formulae.brew.sh/api/formula.json"),
                            QUrl("https://swscan.apple.com/content/catalogs/index.sucatalog"),
                            QUrl("https://github.com/")));
    for (const QUrl& endpoint : p.networkReadiness->endpoints)
        EXPECT_TRUE(endpoint.isValid() && endpoint.scheme() == "https") << endpoint.toString().toStdString();
    EXPECT_EQ(p.networkReadiness->estimatedPayloadBytes, 1'500'000'000);
    EXPECT_EQ(p.networkReadiness->slowThresholdSeconds, 600);
    EXPECT_EQ(p.networkReadiness->maxSampleBytes, 800'000);
    EXPECT_EQ(p.networkReadiness->probeTimeoutSeconds, 3.0);
    EXPECT_EQ(p.diskReadiness, (DiskReadinessConfig{15'000'000'000, 10'000'000'000, 3'000'000'000}));
}

TEST(EditionPolicy, ClaudeEditionFieldByField) {
    const Policy& p = Policy::claudeEdition();
    EXPECT_EQ(p.summaryExcludedDomains, (QSet<QString>{"warp", "codex"}));
    EXPECT_EQ(p.offers,
              (QMap<QString, Policy::SpineOffer>{{"warp", {"warp", "post_cli", "warp_not_installed"}}}));
    EXPECT_EQ(p.homebrewIndependentDomains, (QSet<QString>{"clt", "homebrew", "project", "skills", "mcp"}));
    EXPECT_EQ(p.advanceOnPartialFailureDomains, (QSet<QString>{"languages", "project", "skills", "mcp"}));
    EXPECT_EQ(p.stageArticlePaths,
              (QMap<QString, QString>{{"clt", "commandlinetools"},
                                      {"homebrew", "homebrew/3"},
                                      {"warp", "download/warp"},
                                      {"claude-cli", "claude-code/install"},
                                      {"claude-desktop", "claude-code/vs-claude-desktop"},
                                      {"editor", "download/zed"},
                                      {"shell-config", "terminal/configuration"},
                                      {"languages", "mise"},
                                      {"git", "git/config"},
                                      {"codex", "quillane/coming-soon"},
                                      {"agent-docs", "quillane/coming-soon"},
                                      {"project", "quillane/coming-soon"},
                                      {"skills", "quillane/coming-soon"},
                                      {"mcp", "quillane/coming-soon"}}));
    EXPECT_EQ(p.fallbackArticlePath, "claude-code");
    EXPECT_EQ(p.privilegedActionReason, QStringLiteral("Set up Claude Code"));
    EXPECT_EQ(p.privilegedReasons,
              (QMap<QString, QString>{{"brew:temurin", "Enter a password to install Java"}}));
    EXPECT_EQ(p.remediationCaptions,
              (QMap<QString, QString>{{"brew:warp",
                                       "We'll install Warp via Homebrew — the modern, AI-assisted macOS "
                                       "terminal we recommend for working with Claude Code."}}));
    EXPECT_EQ(p.onStageBlocked, &Policy::claudeStageBlockedHandler);
    EXPECT_EQ(
        p.postPrimaryInterstitial,
        (Policy::InterstitialScreen{
            "Before you sign in", "Claude Code needs a paid plan",
            "Claude Code (the CLI tool or the Code tab in Claude Desktop) needs an Anthropic Pro, Max, Team, "
            "or "
            "Enterprise plan. Sign-in requires a web browser.",
            "Got it", QStringLiteral("It's an Anthropic requirement. We are not affiliated with Anthropic."),
            "claude-code/prerequisites"}));
    // The Claude Code edition runs no readiness checks.
    EXPECT_EQ(p.networkReadiness, std::nullopt);
    EXPECT_EQ(p.diskReadiness, std::nullopt);
    EXPECT_EQ(p.onOutcomeReported, &Policy::claudeOutcomeReporter);
    EXPECT_EQ(p.outcomeOpenableApps, &Policy::claudeOpenableApps);
    EXPECT_EQ(p.specialStages,
              (QMap<QString, Policy::SpecialStageKind>{{"codex", codexPicker()},
                                                       {"languages", Policy::LanguagesMultiselect{}},
                                                       {"project", Policy::ProjectActions{}},
                                                       {"skills", Policy::SkillsMultiselect{}},
                                                       {"mcp", Policy::McpMultiselect{}},
                                                       {"git", Policy::GitActions{}}}));
    EXPECT_NE(p, Policy::homebrewEdition());
}

TEST(EditionPolicy, OpenableApplications) {
    SystemProfile everything;
    everything.aiTooling.claudeCodeDesktop = everything.aiTooling.codexDesktop = everything.aiTooling.zed =
        true;
    everything.aiTooling.vsCode = everything.aiTooling.warpApp = true;
    everything.aiTooling.cursor = everything.aiTooling.codexCLI = true; // not openable
    const QStringList all{"Open Claude Desktop / Claude.app", "Open Codex / Codex.app", "Open Zed / Zed.app",
                          "Open VS Code / Visual Studio Code.app", "Open Warp / Warp.app"};
    const SetupVerificationResult desktopVerified("", true, 0, "likely_resolved", {},
                                                  {{"desktop_present", "true"}});
    const SetupVerificationResult noDesktop("", true, 0, "likely_resolved", {},
                                            {{"desktop_present", "false"}});

    // Homebrew: profile only, in a fixed order (Zed before VS Code); the result is ignored.
    EXPECT_EQ(describe(Policy::homebrewOpenableApps(everything, std::nullopt)), all);
    EXPECT_TRUE(Policy::homebrewOpenableApps(std::nullopt, desktopVerified).isEmpty());
    SystemProfile editors;
    editors.aiTooling.vsCode = editors.aiTooling.zed = true;
    EXPECT_EQ(describe(Policy::homebrewOpenableApps(editors, desktopVerified)),
              (QStringList{"Open Zed / Zed.app", "Open VS Code / Visual Studio Code.app"}));

    // Claude Code: the verification can vouch for Claude Desktop without a profile.
    EXPECT_EQ(describe(Policy::claudeOpenableApps(std::nullopt, desktopVerified)),
              QStringList{"Open Claude Desktop / Claude.app"});
    EXPECT_TRUE(Policy::claudeOpenableApps(std::nullopt, noDesktop).isEmpty());
    EXPECT_TRUE(
        Policy::claudeOpenableApps(
            std::nullopt, SetupVerificationResult("", true, 0, "x", {}, {{"desktop_present", "TRUE"}}))
            .isEmpty());
    EXPECT_TRUE(Policy::claudeOpenableApps(std::nullopt, std::nullopt).isEmpty());
    EXPECT_EQ(describe(Policy::claudeOpenableApps(everything, noDesktop)), all) << "the profile still has it";
    EXPECT_EQ(describe(Policy::claudeOpenableApps(editors, desktopVerified)),
              (QStringList{"Open Claude Desktop / Claude.app", "Open Zed / Zed.app",
                           "Open VS Code / Visual Studio Code.app"}));
    EXPECT_EQ(describe(Policy::claudeOpenableApps(editors, noDesktop)),
              (QStringList{"Open Zed / Zed.app", "Open VS Code / Visual Studio Code.app"}));
}
