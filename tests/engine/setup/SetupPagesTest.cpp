#include "editions/ProductConfig.h"
#include "setup/SetupOutcomeContent.h"
#include "setup/SetupStagePlan.h"
#include "setup/SetupSummary.h"

#include "editions/brew/HomebrewLocationState.h"
#include "setup/SetupActionBatch.h"
#include "setup/SetupWorkflowCopy.h"
#include "support/CurrentEdition.h"
#include "support/IsolatedUserDefaults.h"
#include "support/Sandbox.h"
#include "support/ScriptedEdition.h"
#include "support/ScriptedRemediationRunner.h"
#include "support/SetupFlowPrinters.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"
#include "telemetry/NPSFeedbackHost.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qlan;
using namespace qlan::test;
using namespace qlan::test::verdicts;

namespace {

using Step = SetupFlowModel::Step;
using Content = SetupStagePlan::Content;

class SetupPagesTest : public ::testing::Test {
protected:
    AppServices fixtureServices() const {
        AppServices services = sandbox_.services();
        services.isFixtureMode = true;
        return services;
    }

    // A model over these steps, started in fixture mode, its edition current.
    std::unique_ptr<SetupFlowModel> started(const QList<WorkflowStep>& steps,
                                            const SystemProfile& profile = {}) {
        edition_.spine->setSteps(steps);
        current_.reset(); // puts the previous edition back before the next is made current
        current_ = std::make_unique<CurrentEdition>(edition_.config());
        auto model =
            std::make_unique<SetupFlowModel>(edition_.config(), fixtureServices(), telemetry_.service());
        bool finished = false;
        model->start(profile, [&finished] { finished = true; });
        EXPECT_TRUE(waitUntil([&] { return finished; }));
        return model;
    }

    std::optional<SetupStagePlan> plan(const SetupFlowModel& model, const QString& domainID) {
        return SetupStagePlan::make(domainID, model, *sandbox_.services().fs, ProductConfig::current());
    }

    IsolatedUserDefaults defaults_;
    Sandbox sandbox_;
    ScriptedEdition edition_;
    TelemetryRecorder telemetry_{sandbox_.services()};
    std::unique_ptr<CurrentEdition> current_;
};

TEST_F(SetupPagesTest, TheSummaryListsThePrimariesInOrderWithoutTheExcludedDomains) {
    const CurrentEdition brew(ProductConfig::homebrewEdition());
    const SetupWorkflow workflow{
        {scriptedStep("clt", fixable, primary),
         scriptedStep("warp", fixable, primary),
         {BasicSetupStage("homebrew", {HomebrewLocationState::notOnPathHeadline, {}, fixable}), primary},
         scriptedStep("editor", fixable, offer),
         scriptedStep("git", ready, optional)}};
    EXPECT_EQ(SetupSummary::rows(workflow, ProductConfig::current()),
              (QStringList{"Command Line Tools: not installed", "Homebrew: installed, not on PATH"}));
    EXPECT_TRUE(SetupSummary::rows(std::nullopt, ProductConfig::current()).isEmpty());
    EXPECT_TRUE(
        SetupSummary::rows(SetupWorkflow{{scriptedStep("warp", fixable, primary)}}, ProductConfig::current())
            .isEmpty());
}

TEST_F(SetupPagesTest, TheHomebrewGateStandsOnlyForAFixableStageThatNeedsAMissingHomebrew) {
    edition_.policy.homebrewIndependentDomains.insert("skills");
    const struct {
        const char* domainID;
        SetupDiagnosisClassification classification;
        bool brewAtUsrLocal;
        bool homebrewPrefix;
        bool withHomebrewStep;
        bool gated;
        bool offersHomebrewStep;
    } rows[] = {
        {"editor", fixable, false, false, true, true, true},
        {"editor", fixable, false, false, false, true, false},
        {"editor", SetupDiagnosisClassification::unknown, false, false, true, true, true},
        {"skills", fixable, false, false, true, false, false},
        {"editor", fixable, true, false, true, false, false},
        {"editor", fixable, false, true, true, false, false},
        {"editor", ready, false, false, true, false, false},
        {"editor", blocked, false, false, true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 %2 brew:%3 prefix:%4 step:%5")
                         .arg(row.domainID, toText(row.classification))
                         .arg(row.brewAtUsrLocal)
                         .arg(row.homebrewPrefix)
                         .arg(row.withHomebrewStep)
                         .toStdString());
        Sandbox sandbox;
        if (row.brewAtUsrLocal) sandbox.writeStub("/usr/local/bin/brew");
        QList<WorkflowStep> steps{scriptedStep(row.domainID, row.classification, primary)};
        if (row.withHomebrewStep) steps.prepend(scriptedStep("homebrew", ready, primary));
        SystemProfile profile;
        if (row.homebrewPrefix) profile.homebrewPrefix = "/opt/homebrew/bin/brew";
        edition_.spine->setRemediations(row.domainID, {SetupRemediation::installZed()});
        const auto model = started(steps, profile);
        const auto stage =
            SetupStagePlan::make(row.domainID, *model, *sandbox.services().fs, ProductConfig::current());
        ASSERT_TRUE(stage);
        EXPECT_EQ(stage->gated, row.gated);
        EXPECT_EQ(stage->offersHomebrewStep, row.offersHomebrewStep);
        EXPECT_EQ(stage->rows.isEmpty(),
                  row.gated || row.classification == ready || row.classification == blocked);
    }
}

TEST_F(SetupPagesTest, TheStageFramesItsDiagnosisAndListsItsFixesWithTheirCaptions) {
    sandbox_.writeStub("/opt/homebrew/bin/brew");
    edition_.domainsWithCopy = {"warp"};
    edition_.policy.remediationCaptions.insert(SetupRemediation::installWarp().id(), QString());
    edition_.policy.specialStages.insert(
        "tools", SpineRenderPolicy::GroupedInstall{"Install tools", "tools-batch", "install-tools"});
    edition_.spine->setRemediations("warp",
                                    {SetupRemediation::installWarp(), SetupRemediation::installZed()});
    edition_.spine->setRemediations("tools", {SetupRemediation::installUv(), SetupRemediation::installZed()});
    const QString detail = QStringLiteral("Found [x](https://example.com) in ~/Code");
    const auto model = started({{BasicSetupStage("odd", {"Odd headline", detail, blocked}), primary},
                                scriptedStep("warp", fixable, offer),
                                scriptedStep("tools", fixable, optional),
                                scriptedStep("warp", ready, optional)});

    EXPECT_FALSE(plan(*model, "missing"));
    const auto odd = plan(*model, "odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->content, Content::blocked);
    EXPECT_EQ(odd->title, "Odd headline");
    EXPECT_EQ(odd->blockedDetail, detail);
    EXPECT_FALSE(odd->explainer.contains("[x]("))
        << odd->explainer.toStdString(); // escaped: shows as text, no link
    EXPECT_EQ(odd->articleURL, SetupWorkflowCopy::stageArticleURL(ProductConfig::current(), "odd"));

    // The first step of a domain counts; an empty caption entry hides the fix's own caption.
    const auto warp = plan(*model, "warp");
    ASSERT_TRUE(warp);
    EXPECT_EQ(warp->content, Content::actions);
    EXPECT_EQ(warp->title, "warp headline");
    EXPECT_EQ(warp->explainer, "warp body");
    EXPECT_EQ(warp->rows, (QList<SetupStagePlan::Row>{
                              {SetupRemediation::installWarp(), QString()},
                              {SetupRemediation::installZed(), SetupRemediation::installZed().caption()}}));
    EXPECT_FALSE(SetupRemediation::installZed().caption().isEmpty());

    const auto tools = plan(*model, "tools");
    ASSERT_TRUE(tools && tools->specialKind);
    EXPECT_TRUE(tools->rows.isEmpty());
    EXPECT_EQ(tools->remediations, (QList{SetupRemediation::installUv(), SetupRemediation::installZed()}));
}

TEST_F(SetupPagesTest, AStageAsksForItsBatchOnceAndRecordsTheOfferOnlyForARow) {
    edition_.policy.offers.insert("warp", {"warp", "post_homebrew", "warp_not_installed"});
    const auto model = started({scriptedStep("warp", fixable, offer)});

    const SetupFlowModel::PendingInstall both{
        "both", "Install both", {SetupRemediation::installZed()}, false};
    EXPECT_TRUE(model->startRemediation("warp", SetupRemediation::installWarp()));
    EXPECT_FALSE(model->startRemediation("warp", SetupRemediation::installWarp()));
    EXPECT_FALSE(model->request(both));
    const auto warp = SetupRemediation::installWarp();
    EXPECT_EQ(model->pendingInstall(),
              (SetupFlowModel::PendingInstall{warp.id(), warp.displayLabel(), {warp}, false}));

    model->stageFinished(SetupActionOutcome::canceled, std::nullopt);
    EXPECT_FALSE(model->pendingInstall());
    EXPECT_TRUE(model->request(both));
    EXPECT_EQ(model->pendingInstall(), both);
    EXPECT_EQ(telemetry_.names(), (QStringList{"diagnosis_reached", "offer_action"}));
}

TEST_F(SetupPagesTest, ReadinessWarningsContinueInTurnAndAStopLeavesTheFlow) {
    const auto model = started({scriptedStep("clt", fixable, primary)});
    const NetworkReadinessResult slow{NetworkVerdict::slow, 1.0, 3000, 3, 3};
    const DiskReadinessResult low{DiskVerdict::low, 20'000'000'000, 15'000'000'000, 10'000'000'000};
    AppNavigation navigation;
    navigation.setPath({Screen::setupWorkflow()});
    model->setNavigation(&navigation);

    model->advanceReadiness({slow, low});
    EXPECT_EQ(SetupSummary::warningCopy(model->step().warning.value()), ReadinessScreenCopy::network(slow));
    model->continueAfterWarning();
    EXPECT_EQ(model->step(), Step::readinessWarning(low));
    model->continueAfterWarning();
    EXPECT_EQ(model->step(), Step::stage("clt"));

    model->advanceReadiness({slow, low});
    model->stopAtWarning();
    EXPECT_TRUE(model->pendingReadiness().isEmpty());
    EXPECT_TRUE(navigation.path().isEmpty());
    const auto actions = telemetry_.events();
    QStringList described;
    for (const auto& event : actions)
        if (event.name.endsWith("_warning_action"))
            described << event.name + ":" + event.properties.value("action").toString();
    EXPECT_EQ(described, (QStringList{"network_warning_action:continue", "disk_warning_action:continue",
                                      "network_warning_action:stop"}));
}

TEST_F(SetupPagesTest, TheOutcomeShowsTheChecklistOrNonBlankOutputAndFindsAppsAndProjects) {
    const struct {
        std::optional<SetupVerificationResult> result;
        QStringList checklist;
        std::optional<QString> rawOutput;
    } rows[] = {
        {SetupVerificationResult("ok", true, 0, {}, {"brew", "git", "zsh"}), {"brew", "git", "zsh"}, {}},
        {SetupVerificationResult(" \n\t\n", false, 1), {}, {}},
        {SetupVerificationResult("brew: not found\n", false, 1), {}, QStringLiteral("brew: not found\n")},
        {std::nullopt, {}, {}},
    };
    for (const auto& row : rows) {
        auto model = started({scriptedStep("clt", fixable, primary)});
        if (row.result) {
            edition_.verifier->setResult(*row.result);
            bool done = false;
            model->runVerification([&done] { done = true; });
            ASSERT_TRUE(waitUntil([&] { return done; }));
        }
        const auto content =
            SetupOutcomeContent::make(*model, *sandbox_.services().fs, ProductConfig::current());
        EXPECT_EQ(content.passed, row.result && row.result->passed);
        EXPECT_EQ(content.checklist, row.checklist);
        EXPECT_EQ(content.rawOutput, row.rawOutput);
        EXPECT_EQ(content.tip, "selfCheckTip");
        EXPECT_FALSE(content.showsActionsRow());
    }

    const auto& fs = *sandbox_.services().fs;
    const QString home = fs.homeDirectory();
    sandbox_.makeDirectory(home + "/Documents/AI-Coding-Project");
    EXPECT_EQ(SetupOutcomeContent::exampleProjectFolders(fs),
              QStringList{home + "/Documents/AI-Coding-Project"});
    sandbox_.makeDirectory(home + "/Documents/AI-Simple-Project");
    EXPECT_EQ(SetupOutcomeContent::exampleProjectFolders(fs),
              (QStringList{home + "/Documents/AI-Simple-Project", home + "/Documents/AI-Coding-Project"}));

    sandbox_.makeDirectory(home + "/Applications/Zed.app");
    EXPECT_EQ(SetupOutcomeContent::applicationPath("Zed.app", fs), home + "/Applications/Zed.app");
    sandbox_.makeDirectory("/Applications/Zed.app");
    EXPECT_EQ(SetupOutcomeContent::applicationPath("Zed.app", fs), "/Applications/Zed.app");
    EXPECT_EQ(SetupOutcomeContent::applicationPath("Warp.app", fs), std::nullopt);
}

TEST_F(SetupPagesTest, TheAnswerEndsTheFlowWhenFeedbackWasGivenBefore) {
    AppNavigation navigation;
    for (const bool submittedBefore : {false, true}) {
        SCOPED_TRACE(submittedBefore);
        const auto model = started({scriptedStep("clt", ready, primary)});
        model->setStep(Step::outcome());
        sandbox_.services().store->set(
            submittedBefore, NPSFeedbackHost::submittedKey(ProductConfig::current().userDefaultsPrefix));
        navigation.setPath({Screen::setupWorkflow()});
        model->setNavigation(&navigation);
        EXPECT_TRUE(model->resolveOutcome("resolved"));
        EXPECT_EQ(model->step(), submittedBefore ? Step::outcome() : Step::nps());
        EXPECT_EQ(navigation.path().isEmpty(), submittedBefore);
        EXPECT_EQ(ScriptedEdition::outcomeCalls().last().selfReport, "resolved");
    }
}

TEST_F(SetupPagesTest, DoneCountsALeaveWithoutAnAnswerAsOneDismissal) {
    const struct {
        const char* answer; // what happened on the card before "Done"
        int dismissals;
    } rows[] = {{"nothing", 1}, {"dismissed", 1}, {"submitted", 0}, {"submitted-and-thanked", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        Sandbox sandbox;
        TelemetryRecorder telemetry(sandbox.services());
        const auto model = started({scriptedStep("clt", ready, primary)});
        NPSFeedbackHost host(ProductConfig::current().userDefaultsPrefix, sandbox.services().store,
                             telemetry.service());
        const QString answer = row.answer;
        if (answer == "dismissed") host.recordDismissal();
        if (answer.startsWith("submitted")) host.recordSubmission(9, {});
        if (answer == "dismissed" || answer == "submitted-and-thanked") model->setNpsResolved(true);
        AppNavigation navigation;
        navigation.setPath({Screen::setupWorkflow()});
        model->setNavigation(&navigation);
        model->finishFeedback(host);
        EXPECT_TRUE(model->npsResolved());
        EXPECT_TRUE(navigation.path().isEmpty());
        EXPECT_EQ(telemetry.events("nps_dismissed").size(), row.dismissals);
    }
}

// The Homebrew edition's layout, scripted: from loading through every kind of step to the welcome page.
TEST_F(SetupPagesTest, AHeadlessWalkOfTheHomebrewEditionReachesTheWelcomePage) {
    edition_.policy.offers.insert("warp", {"warp", "post_homebrew", "warp_not_installed"});
    edition_.spine->setRemediations("clt", {SetupRemediation::installCommandLineTools()});
    edition_.spine->setRemediations("homebrew", {SetupRemediation::installHomebrew()});
    edition_.spine->setRemediations("editor", {SetupRemediation::installZed()});
    edition_.verifier->setResult({"brew 4.4", true, 0, "verified", {"Homebrew 4.4"}});
    ScriptedRemediationRunner runner;
    AppNavigation navigation;
    navigation.setPath({Screen::setupWorkflow()});

    edition_.spine->setSteps(
        QList{scriptedStep("clt", fixable, primary), scriptedStep("homebrew", fixable, primary),
              scriptedStep("warp", fixable, offer), scriptedStep("editor", fixable, optional)});
    current_.reset();
    current_ = std::make_unique<CurrentEdition>(edition_.config());
    const AppServices services = fixtureServices();
    SetupFlowModel model(edition_.config(), services, telemetry_.service());
    model.setNavigation(&navigation);
    EXPECT_EQ(model.step(), Step::loading());
    model.start(SystemProfile{});
    ASSERT_TRUE(waitUntil([&] { return model.step() == Step::diagnosisSummary(); }));
    EXPECT_EQ(SetupSummary::rows(model.workflow(), ProductConfig::current()),
              (QStringList{"clt: not installed", "homebrew: not installed"}));
    model.continueFromDiagnosis();
    ASSERT_EQ(model.step(), Step::stage("clt"));

    // Each primary stage runs its one fix through the runner, then the flow moves on.
    const auto runPending = [&] {
        const auto pending = model.pendingInstall();
        ASSERT_TRUE(pending);
        SetupActionBatch batch(
            pending->remediations, pending->continuesPastFailure,
            [&runner](const SetupRemediation& fix, const QString& reason) { return runner.run(fix, reason); },
            model.config(), telemetry_.service());
        batch.start();
        ASSERT_TRUE(waitUntil([&] { return batch.hasEnded(); }));
        bool done = false;
        model.stageFinished(batch.continueOutcome(), SystemProfile{}, [&done] { done = true; });
        ASSERT_TRUE(waitUntil([&] { return done; }));
    };
    const auto clt = plan(model, "clt");
    ASSERT_TRUE(clt && !clt->gated && clt->rows.size() == 1);
    model.startRemediation("clt", clt->rows[0].remediation);
    runPending();
    ASSERT_EQ(model.step(), Step::stage("homebrew"));
    model.startRemediation("homebrew", plan(model, "homebrew")->rows[0].remediation);
    runPending();

    // No interstitial in this edition: straight to verification, then the offer.
    ASSERT_EQ(model.step(), Step::verifying());
    bool verified = false;
    model.runVerification([&verified] { verified = true; });
    ASSERT_TRUE(waitUntil([&] { return verified; }));
    ASSERT_EQ(model.step(), Step::stage("warp"));
    model.stageAppeared("warp");
    ASSERT_TRUE(plan(model, "warp")->gated); // the scripted Mac never gets a brew executable
    model.dismissOffer("warp");
    ASSERT_EQ(model.step(), Step::keepGoingGate());
    model.advanceToOptional();
    ASSERT_EQ(model.step(), Step::stage("editor"));
    model.dismissOffer("editor");
    ASSERT_EQ(model.step(), Step::outcome());
    EXPECT_EQ(SetupOutcomeContent::make(model, *services.fs, ProductConfig::current()).checklist,
              QStringList{"Homebrew 4.4"});
    EXPECT_TRUE(model.resolveOutcome("resolved"));
    ASSERT_EQ(model.step(), Step::nps());
    NPSFeedbackHost host(ProductConfig::current().userDefaultsPrefix, services.store, telemetry_.service());
    model.finishFeedback(host);
    EXPECT_TRUE(navigation.path().isEmpty());

    QStringList fixes;
    for (const auto& call : runner.calls())
        fixes << call.remediationID;
    EXPECT_EQ(fixes, (QStringList{SetupRemediation::installCommandLineTools().id(),
                                  SetupRemediation::installHomebrew().id()}));
    const QStringList names = telemetry_.names();
    for (const char* name : {"diagnosis_reached", "remediation_applied", "remediation_completed",
                             "verify_passed", "offer_shown", "offer_action", "nps_dismissed"})
        EXPECT_TRUE(names.contains(name)) << name;
}

} // namespace
