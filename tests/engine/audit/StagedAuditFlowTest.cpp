// The staged audit's state, without a window: the journeys from entry to report with the events exactly
// as they reach a loopback endpoint, and the ways out.

#include "audit/StagedAuditFlowModel.h"

#include "audit/AuditStageModel.h"

#include "AuditFixture.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

using Phase = StagedAuditFlowModel::Phase;

// A probe the test answers by hand, in the order the flow asked.
struct ManualProbe {
    QList<std::function<void(SystemProfile)>> pending;
    StagedAuditFlowModel::ProfileProbe function() {
        return [this](QObject*, std::function<void(SystemProfile)> done) {
            pending.append(std::move(done));
            return std::stop_source();
        };
    }
    void answer(const SystemProfile& profile) { pending.takeFirst()(profile); }
};

class StagedAuditFlowTest : public ::testing::Test, public AuditFixture {
protected:
    std::unique_ptr<StagedAuditFlowModel> makeFlow(AuditContext context,
                                                   std::optional<SystemProfile> startUp = std::nullopt,
                                                   bool manualProbe = true) {
        StagedAuditFlowModel::Environment environment;
        environment.navigation = &navigation;
        environment.fallbackProfile = std::move(startUp);
        environment.services = mac.services();
        if (manualProbe) environment.probe = probe.function();
        return std::make_unique<StagedAuditFlowModel>(std::move(context), environment, *telemetry);
    }
    // Each event as its name followed by its telling properties.
    QStringList journal(qsizetype expected) {
        QStringList lines;
        for (const ReceivedEvent& event : settledEvents(expected)) {
            QString line = event.name;
            for (const char* key : {"entry", "likely_developer", "stage_id", "outcome"})
                if (event.data.contains(key)) line += u' ' + event.data.value(key).toVariant().toString();
            lines << line;
        }
        return lines;
    }

    AppNavigation navigation;
    ManualProbe probe;
};

const AuditContext heuristicPrompt{AuditEntry::heuristic,
                                   CompletionSurface::prompt(BuildIntentSurface::postFix), std::nullopt};

} // namespace

TEST_F(StagedAuditFlowTest, HeuristicEntryWithoutToolingEndsInTheShortCompletion) {
    // The system profiler itself, over a sandboxed Mac with nothing installed.
    auto flow = makeFlow(heuristicPrompt, std::nullopt, /*manualProbe=*/false);
    EXPECT_EQ(flow->phase(), Phase::loading);
    flow->cameOnScreen();
    ASSERT_TRUE(waitUntil([&] { return flow->phase() != Phase::loading; }));
    EXPECT_EQ(flow->phase(), Phase::simplifiedCompletion);
    flow->cameOnScreen(); // back on screen: nothing probed, nothing sent
    EXPECT_EQ(journal(2), (QStringList{"audit_reached heuristic", "audit_gated false"}));

    flow->goHome();
    EXPECT_TRUE(navigation.path().isEmpty());
}

TEST_F(StagedAuditFlowTest, HeuristicEntryWithToolingWalksBothStagesToTheReport) {
    mac.writeStub("/opt/homebrew/bin/brew");
    auto flow = makeFlow(heuristicPrompt, std::nullopt, /*manualProbe=*/false);
    flow->cameOnScreen();
    ASSERT_TRUE(waitUntil([&] { return flow->phase() != Phase::loading; }));
    ASSERT_EQ(flow->phase(), Phase::stage);
    EXPECT_EQ(stageID(flow->currentStage()), "stage_1_foundations"); // no Command Line Tools
    flow->advance(0);
    flow->advance(0); // a late call of the stage already left changes nothing
    EXPECT_EQ(stageID(flow->currentStage()), "stage_2_terminal");
    flow->advance(1);
    EXPECT_EQ(flow->phase(), Phase::report);
    EXPECT_EQ(journal(4), (QStringList{"audit_reached heuristic", "audit_gated true",
                                       "audit_stage_outcome stage_1_foundations rendered",
                                       "audit_stage_outcome stage_2_terminal rendered"}));
    navigation.push(Screen::nextStep());
    flow->finish();
    EXPECT_TRUE(navigation.path().isEmpty());
}

TEST_F(StagedAuditFlowTest, AFreshProbeThatTurnsTheShownStageIntoASkipMovesOn) {
    // Start-up: the Command Line Tools only. The screen's own probe: Homebrew and the tools on Apple
    // silicon with the current macOS.
    auto flow = makeFlow(heuristicPrompt, profileOf({.clt = true}));
    flow->cameOnScreen();
    ASSERT_EQ(flow->phase(), Phase::stage);
    EXPECT_EQ(flow->currentIndex(), 0);
    probe.answer(profileOf({.brew = true, .clt = true, .macOS = 26}));
    ASSERT_EQ(flow->phase(), Phase::stage);
    EXPECT_EQ(stageID(flow->currentStage()), "stage_2_terminal");
    EXPECT_EQ(journal(5),
              (QStringList{"audit_stage_outcome stage_1_foundations rendered", "audit_reached heuristic",
                           "audit_gated true", "audit_stage_outcome stage_1_foundations skipped_already_ok",
                           "audit_stage_outcome stage_2_terminal rendered"}));

    // With Warp as well, the same start-up profile passes over both stages to the report.
    auto second = makeFlow(AuditContext{AuditEntry::nextStepCourse, CompletionSurface::excluded(),
                                        QLANAuditContext{"course", std::nullopt, std::nullopt}},
                           profileOf({.clt = true}));
    second->cameOnScreen();
    probe.answer(profileOf({.brew = true, .clt = true, .warp = true}));
    EXPECT_EQ(second->phase(), Phase::report);
}

TEST_F(StagedAuditFlowTest, AStageBusyWithAFixIsPassedOverOnlyOnceTheFixHasEnded) {
    // A stale start-up profile without Homebrew; the screen's own probe, answered while the install
    // sheet is open, finds it. Cancelled: the waiting skip takes effect. Installed: the re-probe after
    // the fix leaves the stage as shown, with no skip.
    for (const auto kind : {RemediationOutcome::Kind::canceled, RemediationOutcome::Kind::success}) {
        auto flow =
            makeFlow(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt},
                     profileOf({.clt = true}));
        flow->cameOnScreen();
        AuditStageModel stage(
            {.stageID = Stage1Foundations::defaultID,
             .onAdvance = [&] { flow->advance(0); },
             .onProfileRefresh = std::get<Stage1Foundations>(flow->currentStage()).onProfileRefresh,
             .openURL = {}},
            *telemetry);
        flow->followStage(0, &stage);
        stage.install(Remediation::installHomebrew());
        probe.answer(profileOf({.brew = true, .clt = true}));
        EXPECT_EQ(flow->currentIndex(), 0);
        stage.finish(RemediationOutcome{kind, {}});
        if (kind == RemediationOutcome::Kind::success) {
            EXPECT_EQ(flow->currentIndex(), 0); // still busy: the re-probe runs
            probe.answer(profileOf({.brew = true, .clt = true}));
        }
        EXPECT_EQ(stageID(flow->currentStage()), "stage_2_terminal");
    }
    QStringList journal = this->journal(9);
    journal.sort();
    EXPECT_EQ(journal, (QStringList{"audit_reached build_intent", "audit_reached build_intent",
                                    "audit_stage_outcome stage_1_foundations rendered",
                                    "audit_stage_outcome stage_1_foundations rendered",
                                    "audit_stage_outcome stage_1_foundations skipped_already_ok",
                                    "audit_stage_outcome stage_2_terminal rendered",
                                    "audit_stage_outcome stage_2_terminal rendered", "remediation_applied",
                                    "remediation_applied"}));
}

// The screen that stands, from a start-up profile with stage 1 shown (Homebrew missing, macOS behind): a
// fresh profile that changes only what the stage shows leaves it; one that passes over the stage does not,
// unless the stage is busy with a fix.
TEST_F(StagedAuditFlowTest, AFreshProfileKeepsTheScreenWhileTheStageAndItsGateStay) {
    using Shown = StagedAuditFlowModel::ShownScreen;
    const Shown stage1{Phase::stage, 0, true};
    const struct {
        const char* name;
        SystemProfile fresh;
        bool busy;
        Shown after;
    } cases[]{
        {"nothing shown changes", profileOf({.warp = true, .macOS = 15}), false, stage1},
        {"a card changes", profileOf({.brew = true, .macOS = 15}), false, stage1},
        {"the stage passed over", profileOf({.brew = true, .clt = true}), false, {Phase::stage, 1, true}},
        {"the stage passed over under a fix", profileOf({.brew = true, .clt = true}), true, stage1},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        auto flow =
            makeFlow(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt},
                     profileOf({.macOS = 15}));
        flow->cameOnScreen();
        EXPECT_EQ(flow->shownScreen(), stage1);
        AuditStageModel stage(
            {.stageID = Stage1Foundations::defaultID, .onAdvance = {}, .onProfileRefresh = {}, .openURL = {}},
            *telemetry);
        flow->followStage(0, &stage);
        if (each.busy) stage.install(Remediation::installHomebrew());
        probe.answer(each.fresh);
        EXPECT_EQ(flow->shownScreen(), each.after);
    }
    EXPECT_EQ(makeFlow(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt})
                  ->shownScreen(),
              Shown{});
}

TEST_F(StagedAuditFlowTest, BuildIntentEntryWalksTheStagesWithoutTheGate) {
    auto flow = makeFlow(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt});
    flow->cameOnScreen();
    probe.answer(profileOf({})); // no tooling at all: the build-intent entry still walks the stages
    EXPECT_EQ(flow->phase(), Phase::stage);
    flow->advance(0);
    flow->advance(1);
    EXPECT_EQ(flow->phase(), Phase::report);
    EXPECT_EQ(journal(3),
              (QStringList{"audit_reached build_intent", "audit_stage_outcome stage_1_foundations rendered",
                           "audit_stage_outcome stage_2_terminal rendered"}));
}

TEST_F(StagedAuditFlowTest, TheProfileRefreshTellsTheStageBeforeTheScreenChanges) {
    auto flow = makeFlow(AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt});
    flow->cameOnScreen();
    probe.answer(profileOf({.clt = true}));
    QStringList order;
    QObject::connect(flow.get(), &StagedAuditFlowModel::changed, [&] { order << "changed"; });
    const auto refresh = std::get<Stage1Foundations>(flow->currentStage()).onProfileRefresh;
    refresh([&] {
        order << "done";
        flow->advance(0);
    });
    probe.answer(profileOf({.brew = true, .clt = true}));
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.first(), "done");
    EXPECT_EQ(flow->currentProfile()->homebrewPrefix.has_value(), true);
    EXPECT_EQ(stageID(flow->currentStage()), "stage_2_terminal");
}

TEST_F(StagedAuditFlowTest, LeavingFollowsTheRouteAndActsOncePerVisit) {
    auto flow = makeFlow(heuristicPrompt);
    flow->openRecommendations();
    flow->openRecommendations(); // a double press
    EXPECT_EQ(navigation.path(), QList<Screen>{Screen::audit({AuditEntry::buildIntent,
                                                              CompletionSurface::excluded(), std::nullopt})});
    flow->cameOnScreen(); // the pushed audit was closed
    flow->goHome();
    EXPECT_TRUE(navigation.path().isEmpty());

    struct Case {
        std::optional<OfferRoute> route;
        QList<Screen> path;
    };
    const QList<Case> cases = {
        {std::nullopt, {}},
        {OfferRoute::content("x"), {Screen::nextStep(), Screen::contentOffer("x")}},
        {OfferRoute::audit(OfferRoute::content("x")), {}},
        {OfferRoute::guidedHelpWTP(), {Screen::nextStep(), Screen::guidedHelpOffer()}},
        {OfferRoute::aiCodingInterest(), {Screen::nextStep(), Screen::aiCodingOffer()}},
    };
    for (const Case& c : cases) {
        navigation.setPath({Screen::nextStep()});
        auto routed = makeFlow({AuditEntry::nextStepNotSure, CompletionSurface::excluded(),
                                QLANAuditContext{"other", std::nullopt, c.route}});
        routed->finish();
        routed->finish();
        EXPECT_EQ(navigation.path(), c.path);
    }
}

TEST_F(StagedAuditFlowTest, FixtureModeWithoutAProfileWaitsAndSendsNothing) {
    StagedAuditFlowModel::Environment environment;
    environment.navigation = &navigation;
    environment.services = mac.services();
    environment.services.isFixtureMode = true;
    StagedAuditFlowModel flow(heuristicPrompt, environment, *telemetry);
    flow.cameOnScreen();
    EXPECT_EQ(flow.phase(), Phase::loading);
    bool done = false;
    flow.refreshProfile([&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_TRUE(journal(0).isEmpty());
}

TEST_F(StagedAuditFlowTest, AProbeThatEndsAfterTheScreenIsGoneDoesNothing) {
    StubSpec slowUname;
    slowUname.stdOut = "arm64\n";
    slowUname.sleepMs = 200;
    mac.writeStub("/usr/bin/uname", slowUname);
    auto flow = makeFlow(heuristicPrompt, std::nullopt, /*manualProbe=*/false);
    flow->cameOnScreen();
    flow.reset();
    waitUntil([] { return false; }, 400);
    EXPECT_TRUE(journal(0).isEmpty());
}
