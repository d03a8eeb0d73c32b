// The Claude Code edition: its spine on a Mac with Homebrew, through the paid-plan interstitial to the
// check in a fresh login shell.

#include "JourneyFixture.h"

#include "support/Wait.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/setup/SetupWorkflowView.h"

#include <QTest>

#include <gmock/gmock.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class ClaudeJourney : public JourneyTest {
protected:
    ClaudeJourney()
        : JourneyTest(ProductConfig::claudeEdition()) {
        journeyName_ = QStringLiteral("claude");
        sandbox_.writeStub(QStringLiteral("/usr/bin/uname"), StubSpec().withStdOut("arm64\n"));
        sandbox_.writeStub(QStringLiteral("/usr/bin/xcode-select"),
                           StubSpec().withStdOut("/Library/Developer/CommandLineTools\n"));
        sandbox_.makeDirectory(QStringLiteral("/Library/Developer/CommandLineTools/usr/bin"));
        sandbox_.linkSystemProgram(QStringLiteral("/bin/zsh"));
        sandbox_.linkSystemProgram(QStringLiteral("/bin/bash"));
        sandbox_.linkSystemProgram(QStringLiteral("/usr/bin/which"));
        // brew installs the Claude Code CLI where a Mac has it.
        sandbox_.writeStub(QStringLiteral("/.journey/claude"),
                           StubSpec().withStdOut("2.0.14 (Claude Code)\n"));
        sandbox_.writeStub(
            QStringLiteral("/opt/homebrew/bin/brew"),
            StubSpec().withScript(
                QStringLiteral("case \"$1\" in\n"
                               "  --version) echo 'Homebrew 4.4.0';;\n"
                               "  install) echo \"==> Installing ${@: -1}\"\n"
                               "    case \"${@: -1}\" in claude-code*) /bin/cp '%1' '%2';; esac;;\n"
                               "esac\n")
                    .arg(sandbox_.map(QStringLiteral("/.journey/claude")),
                         sandbox_.map(QStringLiteral("/opt/homebrew/bin/claude")))));
    }
    SetupWorkflowView* setup() const { return root_->findChild<SetupWorkflowView*>(); }
    QString step() const {
        return setup() && setup()->currentPage() ? setup()->currentPage()->objectName() : QString();
    }
};

} // namespace

TEST_F(ClaudeJourney, ItsSpineThroughThePaidPlanInterstitialToVerifying) {
    openApp();
    click(QStringLiteral("consent-continue"));
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_NE(setup(), nullptr);
    setup()->model()->volumeCapacity = [](const QString&) { return std::optional<qint64>(500'000'000'000); };
    ASSERT_TRUE(waitUntil([&] { return step() == "setup-diagnosis-summary"; }));
    EXPECT_THAT(visibleTexts(), ::testing::Contains(QStringLiteral("Claude Code: not installed")));
    capture(QStringLiteral("summary"));
    click(QStringLiteral("diagnosis-continue"));

    // The CLI, installed by the sheet against the sandbox's brew; the companions are passed by.
    ASSERT_TRUE(waitUntil([&] {
        return setup()->model()->step().domainID == "claude-cli" && button(QStringLiteral("stage-skip"));
    }));
    capture(QStringLiteral("claude-cli"));
    clickIn(QStringLiteral("brew:claude-code@latest"));
    ASSERT_TRUE(waitForSheetEnd());
    EXPECT_EQ(sheetBatch()->exitCode(), 0) << sheetBatch()->lines().join('\n').toStdString();
    capture(QStringLiteral("claude-cli-installed"));
    click(QStringLiteral("setup-action-continue"));
    for (const char* stage : {"warp", "claude-desktop", "codex"}) {
        ASSERT_TRUE(waitUntil([&] {
            return setup()->model()->step().domainID == stage && button(QStringLiteral("stage-skip"));
        })) << stage
            << " not reached: " << setup()->model()->step().domainID.toStdString();
        click(QStringLiteral("stage-skip"));
    }

    // The paid-plan interstitial, then the check in a fresh login shell.
    ASSERT_TRUE(waitUntil([&] { return step() == "setup-interstitial"; })) << step().toStdString();
    EXPECT_THAT(visibleTexts(), ::testing::Contains(QStringLiteral("Claude Code needs a paid plan")));
    capture(QStringLiteral("paid-plan"));
    click(QStringLiteral("paid-plan-continue"));
    ASSERT_TRUE(waitUntil([&] { return step() != "setup-interstitial" && step() != "setup-verifying"; }));
    capture(QStringLiteral("verified"));
    // The check passed; the optional stages follow.
    EXPECT_EQ(setup()->model()->step().domainID, QStringLiteral("project"));
    ASSERT_TRUE(setup()->model()->verifyResult().has_value());
    ASSERT_TRUE(waitUntil([&] { return records_.eventNames().contains(QStringLiteral("verify_passed")); }))
        << records_.eventNames().join(' ').toStdString();
    EXPECT_THAT(records_.eventNames(), ::testing::IsSupersetOf({QStringLiteral("diagnosis_reached"),
                                                                QStringLiteral("claude_cli_installed")}));
    EXPECT_TRUE(sandbox_.exists(QStringLiteral("/opt/homebrew/bin/claude")));
}
