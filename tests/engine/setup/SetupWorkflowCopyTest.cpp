// The guided setup screen's wording: the window title of every step, article links, and the outcome
// and feedback frames, for a scripted edition and for one without copy of its own.

#include "setup/SetupWorkflowCopy.h"

#include "support/ScriptedEdition.h"
#include "support/SetupFlowPrinters.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using Step = SetupFlowModel::Step;

TEST(SetupWorkflowCopy, WindowTitleOfEveryStep) {
    ScriptedEdition scripted;
    scripted.domainsWithCopy = {QStringLiteral("homebrew")};
    ProductConfig edition = scripted.config();
    edition.displayName = QStringLiteral("Quillane Test");
    const NetworkReadinessResult slow{NetworkVerdict::slow, 1.0, 900, 3, 3};
    const DiskReadinessResult low{DiskVerdict::low, 5'000'000'000, 15'000'000'000, 10'000'000'000};
    const QList<std::pair<Step, QString>> cases{
        {Step::readinessWarning(slow), "Your connection"},
        {Step::readinessWarning(low), "Your disk space"},
        {Step::stage("homebrew"), "homebrew title"},
        {Step::stage("warp"), "diagnosisWindowTitle"},
        {Step::loading(), "Quillane Test"},
        {Step::diagnosisSummary(), "diagnosisWindowTitle"},
        {Step::interstitial(), "Quillane Test"},
        {Step::verifying(), "summaryWindowTitle"},
        {Step::keepGoingGate(), "continueWindowTitle"},
        {Step::outcome(), "summaryWindowTitle"},
        {Step::nps(), "outcomeWindowTitle"},
    };
    for (const auto& [step, title] : cases) {
        SCOPED_TRACE(::testing::PrintToString(step));
        EXPECT_EQ(SetupWorkflowCopy::windowTitle(step, edition), title);
    }
    edition.spinePolicy.postPrimaryInterstitial =
        SpineRenderPolicy::InterstitialScreen{"Before you sign in", "h", "b", "Got it", std::nullopt, "p"};
    EXPECT_EQ(SetupWorkflowCopy::windowTitle(Step::interstitial(), edition), "Before you sign in");

    // Without copy of its own an edition speaks with the Claude Code edition's words.
    edition.spineCopy.reset();
    EXPECT_EQ(SetupWorkflowCopy::windowTitle(Step::keepGoingGate(), edition), "Keep going?");
    EXPECT_EQ(SetupWorkflowCopy::windowTitle(Step::nps(), edition), "One last thing");
}

TEST(SetupWorkflowCopy, ArticleLinksAndFrames) {
    ScriptedEdition scripted;
    ProductConfig edition = scripted.config();
    edition.urls.articleBase = QUrl("https://guide.example/articles");
    edition.spinePolicy.stageArticlePaths = {{"clt", "commandlinetools"}, {"empty", ""}};
    edition.spinePolicy.fallbackArticlePath = "quillane/coming-soon";
    EXPECT_EQ(SetupWorkflowCopy::stageArticleURL(edition, "clt"),
              QUrl("https://guide.example/articles/commandlinetools"));
    EXPECT_EQ(SetupWorkflowCopy::stageArticleURL(edition, "other"),
              QUrl("https://guide.example/articles/quillane/coming-soon"));
    EXPECT_EQ(SetupWorkflowCopy::stageArticleURL(edition, "empty"), QUrl("https://guide.example/articles"));

    using Frame = SetupWorkflowCopy::Frame;
    EXPECT_EQ(SetupWorkflowCopy::outcomeFrame(edition, SetupVerificationResult("ok", true)),
              (Frame{"summaryHeadline", "summaryAllVerified",
                     QUrl("https://guide.example/articles/updateArticlePath")}));
    const Frame unverified{"summaryHeadline", "summarySomeUnverified",
                           QUrl("https://guide.example/articles/troubleshootingArticlePath")};
    EXPECT_EQ(SetupWorkflowCopy::outcomeFrame(edition, SetupVerificationResult("no", false)), unverified);
    EXPECT_EQ(SetupWorkflowCopy::outcomeFrame(edition, std::nullopt), unverified);
    EXPECT_EQ(
        SetupWorkflowCopy::feedbackFrame(edition),
        (Frame{"We need your feedback", "One quick question before you go.", edition.urls.articleBase}));

    EXPECT_TRUE(SetupWorkflowCopy::openableApps(edition, SystemProfile{}, std::nullopt).isEmpty());
    edition.spinePolicy.outcomeOpenableApps = SpineRenderPolicy::claudeOpenableApps;
    const SetupVerificationResult desktop("ok", true, 0, std::nullopt, {}, {{"desktop_present", "true"}});
    EXPECT_EQ(SetupWorkflowCopy::openableApps(edition, std::nullopt, desktop).value(0).appName, "Claude.app");
}
