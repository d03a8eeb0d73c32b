#include "catalog/SpineRenderPolicy.h"
#include "catalog/SpineProvider.h"
#include "telemetry/TelemetryService.h"

#include <gtest/gtest.h>

using namespace qlan;

namespace {

int blockedCalls = 0;
void countBlocked(TelemetryService&, const QString&, const SetupProbeBundle&) {
    ++blockedCalls;
}

} // namespace

TEST(SpineRenderPolicy, TheDefaultPolicy) {
    const SpineRenderPolicy policy;
    EXPECT_EQ(policy.homebrewIndependentDomains, (QSet<QString>{"clt", "homebrew"}));
    EXPECT_TRUE(policy.fallbackArticlePath.isEmpty());
    EXPECT_TRUE(policy.summaryExcludedDomains.isEmpty());
    EXPECT_TRUE(policy.offers.isEmpty());
    EXPECT_TRUE(policy.advanceOnPartialFailureDomains.isEmpty());
    EXPECT_TRUE(policy.stageArticlePaths.isEmpty());
    EXPECT_TRUE(policy.privilegedReasons.isEmpty());
    EXPECT_TRUE(policy.remediationCaptions.isEmpty());
    EXPECT_TRUE(policy.specialStages.isEmpty());
    EXPECT_EQ(policy.privilegedActionReason, std::nullopt);
    EXPECT_EQ(policy.postPrimaryInterstitial, std::nullopt);
    EXPECT_EQ(policy.networkReadiness, std::nullopt);
    EXPECT_EQ(policy.diskReadiness, std::nullopt);
    EXPECT_EQ(policy.onStageBlocked, nullptr);
    EXPECT_EQ(policy.onOutcomeReported, nullptr);
    EXPECT_EQ(policy.outcomeOpenableApps, nullptr);
    EXPECT_EQ(policy.articlePath(QStringLiteral("clt")), QString());

    // Replacing a field changes only that copy; a hook is called through the policy.
    SpineRenderPolicy edited = policy;
    blockedCalls = 0;
    edited.onStageBlocked = &countBlocked;
    edited.stageArticlePaths.insert(QStringLiteral("clt"), QStringLiteral("commandlinetools"));
    edited.fallbackArticlePath = QStringLiteral("quillane/coming-soon");
    EXPECT_NE(edited, policy);
    EXPECT_EQ(edited.articlePath(QStringLiteral("clt")), QStringLiteral("commandlinetools"));
    EXPECT_EQ(edited.articlePath(QStringLiteral("CLT")), QStringLiteral("quillane/coming-soon"));
    const int callsBefore = blockedCalls;
    TelemetryService quiet(TelemetryService::Configuration{});
    edited.onStageBlocked(quiet, QStringLiteral("claude-cli"), {});
    EXPECT_EQ(blockedCalls, callsBefore + 1);
    EXPECT_EQ(SpineRenderPolicy(), policy);
}

TEST(SpineRenderPolicy, SpecialStageKindsCompareByCaseAndPayload) {
    using P = SpineRenderPolicy;
    const P::CaskChoice desktop{QStringLiteral("Claude Desktop"), QStringLiteral("brew:claude"),
                                QStringLiteral("install-claude-desktop")};
    const P::CaskChoice cli{QStringLiteral("Claude Code CLI"), QStringLiteral("brew:claude-code@latest"),
                            QStringLiteral("install-claude-cli")};
    const P::SpecialStageKind picker =
        P::CaskMultiselect{QStringLiteral("Install Claude"), QStringLiteral("ai-claude"), {desktop, cli}};
    EXPECT_EQ(picker,
              (P::SpecialStageKind(P::CaskMultiselect{"Install Claude", "ai-claude", {desktop, cli}})));
    // Items compare element by element, in order.
    EXPECT_NE(picker,
              (P::SpecialStageKind(P::CaskMultiselect{"Install Claude", "ai-claude", {cli, desktop}})));
    P::CaskChoice renamed = cli;
    renamed.accessibilityID = QStringLiteral("cli");
    EXPECT_NE(cli, renamed);
    // Payload-free kinds equal themselves only; same texts under another case differ.
    EXPECT_EQ(P::SpecialStageKind(P::GitActions{}), P::SpecialStageKind(P::GitActions{}));
    EXPECT_NE(P::SpecialStageKind(P::SkillsMultiselect{}), P::SpecialStageKind(P::McpMultiselect{}));
    EXPECT_NE(P::SpecialStageKind(P::GroupedInstall{"t", "i", "a"}),
              P::SpecialStageKind(P::CaskMultiselect{"t", "i", {}}));
    // Cases sit in the documented order.
    EXPECT_EQ(P::SpecialStageKind(P::GroupedInstall{}).index(), 0u);
    EXPECT_EQ(P::SpecialStageKind(P::GitActions{}).index(), 6u);

    SpineRenderPolicy a, b;
    a.specialStages.insert(QStringLiteral("ai-claude"), picker);
    b.specialStages.insert(QStringLiteral("ai-claude"),
                           P::CaskMultiselect{"Install Claude", "ai-claude", {desktop}});
    EXPECT_NE(a, b);
}

TEST(SpineSelection, TheSharedEmptySelectionIsBuiltOnce) {
    const SpineSelection& selection = emptySpineSelection();
    EXPECT_TRUE(selection.domainIDs.isEmpty());
    EXPECT_EQ(selection.flag, std::nullopt);
    EXPECT_EQ(&selection, &emptySpineSelection());
}
