#include "setup/SetupFlowModel.h"

#include "support/IsolatedUserDefaults.h"
#include "support/LoopbackHttpServer.h"
#include "support/Sandbox.h"
#include "support/ScriptedEdition.h"
#include "support/SetupFlowPrinters.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace qlan;
using namespace qlan::test;
using namespace qlan::test::verdicts;

namespace {

using Step = SetupFlowModel::Step;
using Warning = SetupFlowModel::ReadinessWarning;

JSONValue text(const QString& value) {
    return JSONValue::string(value);
}
JSONValue integer(qint64 value) {
    return JSONValue::integer(value);
}
JSONValue texts(const QStringList& values) {
    JSONValue::Array array;
    for (const QString& value : values)
        array.append(text(value));
    return JSONValue::array(array);
}

SystemProfile profileWithTerminals(bool ghostty, bool iterm) {
    SystemProfile profile;
    profile.terminals.ghostty = ghostty;
    profile.terminals.iterm = iterm;
    return profile;
}

// The Homebrew edition's readiness thresholds.
const DiskReadinessConfig& homebrewDisk() {
    return *SpineRenderPolicy::homebrewEdition().diskReadiness;
}

class SetupFlowModelTest : public ::testing::Test {
protected:
    AppServices fixtureServices() const {
        AppServices services = sandbox_.services();
        services.isFixtureMode = true;
        return services;
    }

    std::unique_ptr<SetupFlowModel> makeModel(std::optional<AppServices> services = std::nullopt) {
        return std::make_unique<SetupFlowModel>(edition_.config(), services.value_or(fixtureServices()),
                                                telemetry_.service());
    }

    // Calls the operation and waits until it reports that it has finished.
    static void await(const std::function<void(SetupFlowModel::Done)>& operation) {
        bool finished = false;
        operation([&finished] { finished = true; });
        ASSERT_TRUE(waitUntil([&] { return finished; }));
    }

    // A model started over these steps, in fixture mode unless other services are given.
    std::unique_ptr<SetupFlowModel> started(const QList<WorkflowStep>& steps,
                                            const SystemProfile& profile = {},
                                            std::optional<AppServices> services = std::nullopt) {
        edition_.spine->setSteps(steps);
        auto model = makeModel(std::move(services));
        await([&](auto done) { model->start(profile, done); });
        return model;
    }

    // A network check whose endpoints refuse connections: "unreachable".
    static NetworkReadinessConfig unreachableNetwork() {
        const QUrl refused(
            QStringLiteral("http://127.0.0.1:%1/sample").arg(LoopbackHttpServer::refusedPort()));
        return {{refused, refused}, 1'500'000'000, 600, 800'000, 3.0};
    }

    IsolatedUserDefaults defaults_;
    Sandbox sandbox_;
    ScriptedEdition edition_;
    TelemetryRecorder telemetry_{sandbox_.services()};
};

TEST_F(SetupFlowModelTest, ANewModelShowsLoadingAndStepsCompareByPayload) {
    const auto model = makeModel();
    EXPECT_EQ(model->step(), Step::loading());
    EXPECT_FALSE(model->profile() || model->probes() || model->workflow() || model->verifyResult() ||
                 model->pendingInstall());
    EXPECT_EQ(Step::stage("clt"), Step::stage("clt"));
    EXPECT_NE(Step::stage("clt"), Step::stage("homebrew"));
    EXPECT_NE(Step::loading(), Step::diagnosisSummary());
    const DiskReadinessResult low{DiskVerdict::low, 20'000'000'000, 15, 10};
    DiskReadinessResult lower = low;
    lower.availableBytes = 19'000'000'000;
    EXPECT_NE(Step::readinessWarning(Warning(low)), Step::readinessWarning(Warning(lower)));
    EXPECT_EQ(Step::readinessWarning(Warning(low)), Step::readinessWarning(Warning(low)));
}

TEST_F(SetupFlowModelTest, StartReportsTheDiagnosisOfThePrimaryStagesOnce) {
    const struct {
        QList<WorkflowStep> steps;
        SystemProfile profile;
        JSONObject properties;
    } rows[] = {
        {{scriptedStep("clt", blocked, primary), scriptedStep("homebrew", fixable, primary),
          scriptedStep("warp", fixable, primary), scriptedStep("shell", fixable, primary),
          scriptedStep("project", blocked, offer), scriptedStep("git", fixable, optional)},
         profileWithTerminals(true, true),
         {{"reason", text("blocked")},
          {"fixable_count", integer(3)},
          {"blocked_count", integer(1)},
          {"terminal_count", integer(2)},
          {"terminals", texts({"ghostty", "iterm2"})}}},
        {{scriptedStep("clt", ready, primary), scriptedStep("homebrew", fixable, primary)},
         {},
         {{"reason", text("fixable")},
          {"fixable_count", integer(1)},
          {"blocked_count", integer(0)},
          {"terminal_count", integer(0)},
          {"terminals", texts({})}}},
        {{scriptedStep("clt", ready, primary), scriptedStep("project", blocked, offer)},
         {},
         {{"reason", text("ready")},
          {"fixable_count", integer(0)},
          {"blocked_count", integer(0)},
          {"terminal_count", integer(0)},
          {"terminals", texts({})}}},
    };
    QList<TelemetryEvent> expected;
    for (const auto& row : rows) {
        const auto model = started(row.steps, row.profile);
        EXPECT_EQ(model->step(), Step::diagnosisSummary());
        EXPECT_EQ(model->workflow(), SetupWorkflow{row.steps});
        expected.append({"diagnosis_reached", row.properties});

        // The screen's task runs again: back to the summary, probed afresh, no second event.
        model->setStep(Step::stage("clt"));
        const int probes = edition_.prober->calls();
        await([&](auto done) { model->start(std::nullopt, done); });
        EXPECT_EQ(model->step(), Step::diagnosisSummary());
        EXPECT_EQ(edition_.prober->calls(), probes + 1);
    }
    EXPECT_EQ(telemetry_.events(), expected);
}

TEST_F(SetupFlowModelTest, LiveStartProfilesTheSandboxedMac) {
    sandbox_.makeDirectory("/Applications/Warp.app");
    SetupProbeBundle bundle;
    bundle.ghPresent = true;
    edition_.prober->setBundle(bundle);
    edition_.spine->setSteps(QList<WorkflowStep>{scriptedStep("clt", fixable, primary)});
    const auto model = makeModel(sandbox_.services());
    // Outside fixture mode the fallback profile is not used: the Mac is profiled.
    await([&](auto done) { model->start(profileWithTerminals(true, true), done); });

    ASSERT_TRUE(model->profile());
    EXPECT_EQ(model->profile()->terminals.installedIDs(), QStringList{"warp"});
    EXPECT_EQ(model->probes(), bundle);
    EXPECT_EQ(edition_.spine->lastProbes(), bundle);
    EXPECT_EQ(telemetry_.events("diagnosis_reached").value(0).properties.value("terminals"), texts({"warp"}));
}

TEST_F(SetupFlowModelTest, FixtureModeWithoutAnyProfileStaysLoading) {
    const auto model = makeModel();
    await([&](auto done) { model->start(std::nullopt, done); });
    EXPECT_EQ(model->step(), Step::loading());
    EXPECT_FALSE(model->profile() || model->probes() || model->workflow());
    EXPECT_EQ(edition_.prober->calls(), 0);
    EXPECT_TRUE(telemetry_.events().isEmpty());
}

TEST_F(SetupFlowModelTest, MovingBetweenStages) {
    const QList<WorkflowStep> steps = {
        scriptedStep("p1", fixable, primary), scriptedStep("p2", ready, primary),
        scriptedStep("p3", fixable, primary), scriptedStep("o1", fixable, offer),
        scriptedStep("o2", ready, offer),     scriptedStep("x1", fixable, optional),
        scriptedStep("x2", ready, optional),
    };
    const QList<WorkflowStep> allReady = {scriptedStep("p1", ready, primary),
                                          scriptedStep("o1", ready, offer),
                                          scriptedStep("x1", ready, optional)};
    const auto past = [](const QString& id) { return [id](SetupFlowModel& m) { m.advancePastDomain(id); }; };
    const auto enter = [](SetupFlowModel& m) { m.enterPrimaryStages(); };
    const struct {
        const char* name;
        std::optional<QList<WorkflowStep>> steps; // none: the model never loaded
        bool interstitial;
        std::function<void(SetupFlowModel&)> act;
        Step expected;
    } rows[] = {
        {"enter", steps, false, enter, Step::stage("p1")},
        {"enter, all ready", allReady, false, enter, Step::verifying()},
        {"enter, all ready, interstitial", allReady, true, enter, Step::interstitial()},
        {"enter, no workflow", std::nullopt, false, enter, Step::verifying()},
        {"primary skips ready", steps, false, past("p1"), Step::stage("p3")},
        {"ready domain still counts", steps, false, past("p2"), Step::stage("p3")},
        {"last primary", steps, false, past("p3"), Step::verifying()},
        {"last primary, interstitial", steps, true, past("p3"), Step::interstitial()},
        {"last offer", steps, false, past("o1"), Step::keepGoingGate()},
        {"last optional", steps, false, past("x1"), Step::outcome()},
        {"unknown domain", steps, false, past("gone"), Step::verifying()},
        {"unknown domain, interstitial", steps, true, past("gone"), Step::interstitial()},
        {"no workflow", std::nullopt, true, past("p1"), Step::interstitial()},
        {"offers", steps, false, [](SetupFlowModel& m) { m.advanceToOffers(); }, Step::stage("o1")},
        {"offers, all ready", allReady, false, [](SetupFlowModel& m) { m.advanceToOffers(); },
         Step::keepGoingGate()},
        {"optional", steps, false, [](SetupFlowModel& m) { m.advanceToOptional(); }, Step::stage("x1")},
        {"optional, all ready", allReady, false, [](SetupFlowModel& m) { m.advanceToOptional(); },
         Step::outcome()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        edition_.policy.postPrimaryInterstitial.reset();
        if (row.interstitial)
            edition_.policy.postPrimaryInterstitial = SpineRenderPolicy::InterstitialScreen{};
        const auto model = row.steps ? started(*row.steps) : makeModel();
        row.act(*model);
        EXPECT_EQ(model->step(), row.expected);
    }
}

TEST_F(SetupFlowModelTest, ShownStagesSkipWhenReadyReportBlocksOnceAndRecordOffers) {
    edition_.policy.offers = {{"warp", {"warp-terminal", "spine", "no_terminal"}},
                              {"shell", {"shell-offer", "spine", "unused"}},
                              {"project", {"starter-project", "spine", "first_run"}}};
    SetupProbeBundle bundle;
    bundle.gitIdentitySet = true;
    edition_.prober->setBundle(bundle);
    const auto model =
        started({scriptedStep("clt", blocked, primary), scriptedStep("homebrew", ready, primary),
                 scriptedStep("warp", fixable, primary), scriptedStep("shell", ready, primary),
                 scriptedStep("project", fixable, offer), scriptedStep("git", fixable, optional)});

    model->setStep(Step::stage("clt"));
    model->stageAppeared("clt");
    model->stageAppeared("clt");
    EXPECT_EQ(model->step(), Step::stage("clt"));
    EXPECT_EQ(ScriptedEdition::blockedCalls(), (QList<ScriptedEdition::BlockedCall>{{"clt", bundle}}));

    model->stageAppeared("homebrew"); // ready: skips itself
    EXPECT_EQ(model->step(), Step::stage("warp"));
    model->stageAppeared("warp");
    model->stageAppeared("warp");
    model->stageAppeared("shell"); // ready, with an offer: skipped, never reported
    EXPECT_EQ(model->step(), Step::verifying());

    model->setStep(Step::stage("warp"));
    model->recordOfferAction("warp");
    EXPECT_EQ(model->step(), Step::stage("warp"));
    model->dismissOffer("warp"); // already acted on: no second event, but still moves on
    EXPECT_EQ(model->step(), Step::verifying());
    model->dismissOffer("project");
    EXPECT_EQ(model->step(), Step::keepGoingGate());
    model->recordOfferAction("git"); // no offer
    model->dismissOffer("git");
    EXPECT_EQ(model->step(), Step::outcome());
    model->stageAppeared("gone");
    EXPECT_EQ(model->step(), Step::outcome());

    const auto offerEvent = [](const QString& name, const QString& id, const QString& surface,
                               const QString& third, const QString& value) {
        TelemetryEvent event{name,
                             {{"offer_id", text(id)},
                              {"offer_surface", text(surface)},
                              {third, text(value)},
                              {"next_step", JSONValue::null()}}};
        event.properties.insert(third == "action" ? "result" : "goal", JSONValue::null());
        return event;
    };
    EXPECT_EQ(telemetry_.events().mid(1),
              (QList<TelemetryEvent>{
                  offerEvent("offer_shown", "warp-terminal", "spine", "eligibility_reason", "no_terminal"),
                  offerEvent("offer_action", "warp-terminal", "spine", "action", "selected"),
                  offerEvent("offer_action", "starter-project", "spine", "action", "dismissed"),
              }));
    EXPECT_EQ(model->emittedOfferDomains(), QSet<QString>{"warp"});
    EXPECT_EQ(model->actedOfferDomains(), (QSet<QString>{"warp", "project"}));
}

TEST_F(SetupFlowModelTest, AFinishedBatchReprobesAndMovesOnOrStays) {
    edition_.policy.advanceOnPartialFailureDomains = {"languages"};
    const QList<WorkflowStep> before = {
        scriptedStep("clt", fixable, primary), scriptedStep("homebrew", fixable, primary),
        scriptedStep("warp", fixable, primary), scriptedStep("languages", fixable, optional)};
    const QList<WorkflowStep> homebrewNowReady = {
        scriptedStep("clt", ready, primary), scriptedStep("homebrew", ready, primary),
        scriptedStep("warp", fixable, primary), scriptedStep("languages", fixable, optional)};
    const QList<WorkflowStep> warpDropped = {scriptedStep("clt", ready, primary),
                                             scriptedStep("languages", fixable, optional)};
    const struct {
        const char* name;
        Step shown;
        SetupActionOutcome outcome;
        QList<WorkflowStep> after;
        Step expected;
        bool reprobed;
    } rows[] = {
        {"success", Step::stage("clt"), SetupActionOutcome::success, before, Step::stage("homebrew"), true},
        {"success made the next ready", Step::stage("clt"), SetupActionOutcome::success, homebrewNowReady,
         Step::stage("warp"), true},
        {"success, stage gone", Step::stage("warp"), SetupActionOutcome::success, warpDropped,
         Step::verifying(), true},
        {"failure moved past", Step::stage("languages"), SetupActionOutcome::failure, before, Step::outcome(),
         true},
        {"failure stays", Step::stage("warp"), SetupActionOutcome::failure, homebrewNowReady,
         Step::stage("warp"), false},
        {"canceled stays", Step::stage("clt"), SetupActionOutcome::canceled, before, Step::stage("clt"),
         false},
        {"no stage shown", Step::diagnosisSummary(), SetupActionOutcome::success, before,
         Step::diagnosisSummary(), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto model = started(before);
        model->setStep(row.shown);
        edition_.spine->setSteps(row.after);
        const int probes = edition_.prober->calls();
        QSignalSpy batchEnded(model.get(), &SetupFlowModel::batchEnded); // the rows are checked again
        ASSERT_TRUE(model->request({"batch", "Batch", {}, false}));
        await([&](auto done) { model->stageFinished(row.outcome, std::nullopt, done); });
        EXPECT_FALSE(model->pendingInstall());
        EXPECT_EQ(batchEnded.size(), 1);
        EXPECT_EQ(model->step(), row.expected);
        EXPECT_EQ(edition_.prober->calls(), probes + (row.reprobed ? 1 : 0));
        EXPECT_EQ(model->workflow(), SetupWorkflow{row.reprobed ? row.after : before});
    }
    // Refreshes send no second diagnosis.
    EXPECT_EQ(telemetry_.names(), QStringList(std::size(rows), "diagnosis_reached"));
}

TEST_F(SetupFlowModelTest, ABatchMovesOnlyTheStageItCameFromAndTheStageTakesNothingWhileTheMacIsChecked) {
    const QList<WorkflowStep> steps = {scriptedStep("clt", fixable, primary),
                                       scriptedStep("homebrew", fixable, primary),
                                       scriptedStep("warp", fixable, primary)};
    const auto model = started(steps);
    model->setStep(Step::stage("clt"));
    const SetupFlowModel::PendingInstall batch{"batch", "Batch", {}, false};
    const auto finish = [&](SetupActionOutcome outcome) {
        auto finished = std::make_shared<bool>(false);
        model->stageFinished(outcome, std::nullopt, [finished] { *finished = true; });
        return finished;
    };

    // Success from "clt", the re-probe held: the stage holds and is drawn anew before its batch is cleared
    // (the sheet closes last), and takes no batch, fix or skip until it is left; the hold has ended when the
    // next stage comes.
    edition_.prober->hold();
    ASSERT_TRUE(model->request(batch));
    QStringList order;
    auto listener = std::make_unique<QObject>();
    for (const auto& watched : {std::pair{&SetupFlowModel::refreshingChanged, "refreshing"},
                                {&SetupFlowModel::batchEnded, "ended"},
                                {&SetupFlowModel::pendingInstallChanged, "cleared"},
                                {&SetupFlowModel::stepChanged, "step"}})
        QObject::connect(model.get(), watched.first, listener.get(), [&order, &model, name = watched.second] {
            order << QString::fromLatin1(name) + (model->isRefreshing() ? " held" : "");
        });
    QSignalSpy refreshing(model.get(), &SetupFlowModel::refreshingChanged);
    auto finished = finish(SetupActionOutcome::success);
    EXPECT_EQ(order, (QStringList{"refreshing held", "ended held", "cleared held"}));
    EXPECT_TRUE(model->isRefreshing());
    EXPECT_FALSE(model->request(batch));
    EXPECT_FALSE(model->startRemediation("clt", SetupRemediation::installWarp()));
    EXPECT_FALSE(model->dismissOffer("clt"));
    EXPECT_EQ(model->step(), Step::stage("clt"));
    edition_.prober->release();
    ASSERT_TRUE(waitUntil([&] { return *finished; }));
    EXPECT_EQ(model->step(), Step::stage("homebrew"));
    EXPECT_EQ(refreshing.size(), 2); // on, then off
    EXPECT_EQ(order.mid(3), (QStringList{"step", "refreshing"}));
    listener.reset();

    // A batch whose flow moved on before it ended passes over nothing, and checks nothing again.
    const int probes = edition_.prober->calls();
    ASSERT_TRUE(model->request(batch));
    model->setStep(Step::stage("warp"));
    EXPECT_TRUE(*finish(SetupActionOutcome::success));
    EXPECT_EQ(model->step(), Step::stage("warp"));
    EXPECT_EQ(edition_.prober->calls(), probes);

    // A stage left while its re-probe ran is not left again, nor is the one shown by then.
    edition_.prober->hold();
    ASSERT_TRUE(model->request(batch));
    finished = finish(SetupActionOutcome::success);
    model->setStep(Step::stage("homebrew"));
    edition_.prober->release();
    ASSERT_TRUE(waitUntil([&] { return *finished; }));
    EXPECT_EQ(model->step(), Step::stage("homebrew"));
    EXPECT_TRUE(model->dismissOffer("homebrew"));
    EXPECT_EQ(model->step(), Step::stage("warp"));
}

TEST_F(SetupFlowModelTest, VerificationIsReportedForTheFirstResultOnly) {
    const struct {
        const char* name;
        SetupVerificationResult first;
        Step afterFirst;
        TelemetryEvent event;
    } rows[] = {
        {"passed",
         {"\n  Homebrew 4.3.1\n\n", true, 0, "ok"},
         Step::stage("o1"),
         {"verify_passed",
          {{"cli_version_excerpt", text("Homebrew 4.3.1")}, {"engine_outcome", text("ok")}}}},
        {"failed without exit code or outcome",
         {"brew: command not found", false},
         Step::outcome(),
         {"verify_failed", {{"engine_outcome", text("")}, {"exit_code", integer(-1)}}}},
    };
    QList<TelemetryEvent> expected;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto model = started({scriptedStep("clt", ready, primary), scriptedStep("o1", fixable, offer)},
                                   profileWithTerminals(true, false));
        edition_.verifier->setResult(row.first);
        await([&](auto done) { model->runVerification(done); });
        EXPECT_EQ(model->verifyResult(), row.first);
        EXPECT_EQ(model->step(), row.afterFirst);
        EXPECT_EQ(edition_.verifier->lastProfile(), profileWithTerminals(true, false));
        expected.append(row.event);

        // Shown again: the result and the step follow, the event does not.
        const SetupVerificationResult second("Homebrew 4.4.0", !row.first.passed, 3, "again");
        edition_.verifier->setResult(second);
        await([&](auto done) { model->runVerification(done); });
        EXPECT_EQ(model->verifyResult(), second);
        EXPECT_EQ(model->step(), second.passed ? Step::stage("o1") : Step::outcome());
    }
    QList<TelemetryEvent> verifyEvents = telemetry_.events();
    verifyEvents.removeIf([](const TelemetryEvent& event) { return event.name == "diagnosis_reached"; });
    EXPECT_EQ(verifyEvents, expected);
}

TEST_F(SetupFlowModelTest, AnOutcomeAfterSubmittedFeedbackEndsTheFlow) {
    const auto model = started({scriptedStep("clt", ready, primary)});
    edition_.verifier->setResult({"Homebrew 4.3.1", false, 1, "broken"});
    await([&](auto done) { model->runVerification(done); });
    sandbox_.services().store->set(true, edition_.config().userDefaultsPrefix + ".nps_submitted");
    AppNavigation navigation;
    navigation.setPath({Screen::setupWorkflow()});
    model->setNavigation(&navigation);

    EXPECT_TRUE(model->resolveOutcome("resolved"));
    EXPECT_EQ(model->step(), Step::outcome());
    EXPECT_TRUE(navigation.path().isEmpty());
    EXPECT_EQ(ScriptedEdition::outcomeCalls(),
              (QList<ScriptedEdition::OutcomeCall>{{QString("broken"), "resolved"}}));
    EXPECT_EQ(telemetry_.names(), (QStringList{"diagnosis_reached", "verify_failed"}));
}

// The only test of this program that sets the process-wide "feedback card shown" flag.
TEST_F(SetupFlowModelTest, TheFeedbackCardIsReportedShownOncePerProcess) {
    for (const char* selfReport : {"not_resolved", "resolved"}) {
        const auto model = started({scriptedStep("clt", ready, primary)});
        model->setStep(Step::outcome());
        EXPECT_TRUE(model->resolveOutcome(selfReport));
        EXPECT_EQ(model->step(), Step::nps());
    }
    EXPECT_EQ(
        ScriptedEdition::outcomeCalls(),
        (QList<ScriptedEdition::OutcomeCall>{{std::nullopt, "not_resolved"}, {std::nullopt, "resolved"}}));
    EXPECT_EQ(telemetry_.events("nps_shown"), (QList<TelemetryEvent>{{"nps_shown", {}}}));
}

TEST_F(SetupFlowModelTest, TheDiskVerdictAtItsBoundaries) {
    const struct {
        std::optional<qint64> available;
        DiskVerdict verdict;
    } rows[] = {
        {25'000'000'000, DiskVerdict::ok},       {24'999'999'999, DiskVerdict::low},
        {3'000'000'000, DiskVerdict::low},       {2'999'999'999, DiskVerdict::critical},
        {std::nullopt, DiskVerdict::unmeasured},
    };
    for (const auto& row : rows) {
        QStringList asked;
        const auto capacity = [&](const QString& path) {
            asked << path;
            return row.available;
        };
        EXPECT_EQ(SetupFlowModel::checkDisk(*sandbox_.services().fs, homebrewDisk(), capacity),
                  (DiskReadinessResult{row.verdict, row.available, 15'000'000'000, 10'000'000'000}));
        EXPECT_EQ(asked, QStringList{sandbox_.home()});
    }
    // A worst case and headroom beyond the 64-bit range count as more than any disk holds.
    const qint64 most = std::numeric_limits<qint64>::max();
    EXPECT_EQ(
        SetupFlowModel::checkDisk(*sandbox_.services().fs, {most, most, 3}, [&](auto) { return most - 1; })
            .verdict,
        DiskVerdict::low);

    // The live measurement: the sandbox's volume has room; no path, no answer.
    EXPECT_GT(SetupFlowModel::availableCapacity(sandbox_.home()).value_or(0), 0);
    EXPECT_EQ(SetupFlowModel::availableCapacity(""), std::nullopt);
}

TEST_F(SetupFlowModelTest, ReadinessWarningsComeNetworkFirstThenDisk) {
    edition_.policy.networkReadiness = unreachableNetwork();
    edition_.policy.diskReadiness = homebrewDisk();
    const auto model =
        started({scriptedStep("clt", ready, primary), scriptedStep("homebrew", fixable, primary)}, {},
                sandbox_.services());
    model->volumeCapacity = [](const QString&) { return qint64(24'999'999'999); };
    QList<Step> shown;
    QObject::connect(model.get(), &SetupFlowModel::stepChanged, [&] { shown << model->step(); });

    await([&](auto done) { model->continueFromDiagnosis(done); });
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], Step::loading());
    ASSERT_EQ(model->step().kind, Step::Kind::readinessWarning);
    const Warning network = *model->step().warning;
    EXPECT_EQ(std::get<NetworkReadinessResult>(network).verdict, NetworkVerdict::unreachable);
    const DiskReadinessResult disk{DiskVerdict::low, 24'999'999'999, 15'000'000'000, 10'000'000'000};
    EXPECT_EQ(model->pendingReadiness(), QList<Warning>{disk});

    model->continueAfterWarning();
    EXPECT_EQ(model->step(), Step::readinessWarning(disk));
    EXPECT_TRUE(model->pendingReadiness().isEmpty());
    model->continueAfterWarning();
    EXPECT_EQ(model->step(), Step::stage("homebrew"));

    EXPECT_EQ(
        telemetry_.events().mid(1),
        (QList<TelemetryEvent>{
            {"network_check",
             {{"verdict", text("unreachable")},
              {"endpoints_reachable", integer(0)},
              {"endpoints_total", integer(2)}}},
            {"disk_space_check",
             {{"verdict", text("low")},
              {"available_gb", integer(25)},
              {"worst_case_gb", integer(15)},
              {"headroom_gb", integer(10)}}},
            {"network_warning_action", {{"action", text("continue")}, {"verdict", text("unreachable")}}},
            {"disk_warning_action", {{"action", text("continue")}, {"verdict", text("low")}}},
        }));
}

TEST_F(SetupFlowModelTest, StoppingAtTheFirstWarningDropsTheRest) {
    edition_.policy.networkReadiness = unreachableNetwork();
    edition_.policy.diskReadiness = homebrewDisk();
    const auto model = started({scriptedStep("clt", fixable, primary)}, {}, sandbox_.services());
    model->volumeCapacity = [](const QString&) { return qint64(2'999'999'999); };
    await([&](auto done) { model->continueFromDiagnosis(done); });
    ASSERT_EQ(model->pendingReadiness().size(), 1);
    AppNavigation navigation;
    navigation.setPath({Screen::setupWorkflow()});
    model->setNavigation(&navigation);

    model->stopAtWarning();
    EXPECT_TRUE(model->pendingReadiness().isEmpty());
    EXPECT_TRUE(navigation.path().isEmpty());
    EXPECT_EQ(telemetry_.events("network_warning_action"),
              (QList<TelemetryEvent>{
                  {"network_warning_action", {{"action", text("stop")}, {"verdict", text("unreachable")}}}}));
    EXPECT_TRUE(telemetry_.events("disk_warning_action").isEmpty());
}

TEST_F(SetupFlowModelTest, WithoutChecksContinueGoesStraightToTheStages) {
    const struct {
        const char* name;
        bool configured;
        bool fixtureMode;
    } rows[] = {{"fixture mode", true, true}, {"no configuration", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        edition_.policy.networkReadiness.reset();
        edition_.policy.diskReadiness.reset();
        if (row.configured) {
            edition_.policy.networkReadiness = unreachableNetwork();
            edition_.policy.diskReadiness = homebrewDisk();
        }
        AppServices services = sandbox_.services();
        services.isFixtureMode = row.fixtureMode;
        const auto model = started(
            {scriptedStep("clt", ready, primary), scriptedStep("warp", fixable, primary)}, {}, services);
        model->volumeCapacity = [](const QString&) { return qint64(1); };
        QList<Step> shown;
        QObject::connect(model.get(), &SetupFlowModel::stepChanged, [&] { shown << model->step(); });
        await([&](auto done) { model->continueFromDiagnosis(done); });
        EXPECT_EQ(shown, QList<Step>{Step::stage("warp")});
    }
    EXPECT_EQ(telemetry_.names(), (QStringList{"diagnosis_reached", "diagnosis_reached"}));
}

TEST_F(SetupFlowModelTest, AModelDestroyedDuringAnAwaitedProbeIsLeftAlone) {
    edition_.spine->setSteps(QList<WorkflowStep>{scriptedStep("clt", fixable, primary)});
    edition_.prober->hold();
    auto model = makeModel();
    bool finished = false;
    model->start(SystemProfile{}, [&] { finished = true; });
    ASSERT_TRUE(waitUntil([&] { return edition_.prober->calls() == 1; }));
    model.reset();
    edition_.prober->release();
    ASSERT_TRUE(waitUntil([&] { return edition_.prober->returned() == 1; }));
    waitUntil([] { return false; }, 200); // let a stray continuation arrive, if any
    EXPECT_FALSE(finished);
    EXPECT_EQ(edition_.spine->calls(), 0);
    EXPECT_TRUE(telemetry_.events().isEmpty());
}

TEST_F(SetupFlowModelTest, ADestroyedModelStopsItsNetworkCheck) {
    LoopbackHttpServer server;
    // A server that trickles bytes for as long as the client listens.
    server.route("/sample", LoopbackResponse{.status = 200,
                                             .body = QByteArray(1000, 'x'),
                                             .chunkBytes = 100,
                                             .chunkDelayMs = 50,
                                             .endless = true});
    edition_.policy.networkReadiness =
        NetworkReadinessConfig{{server.url("/sample")}, 1'500'000'000, 600, 1'000'000'000'000, 60.0};
    auto model = started({scriptedStep("clt", fixable, primary)}, {}, sandbox_.services());
    bool finished = false;
    model->continueFromDiagnosis([&] { finished = true; });
    ASSERT_TRUE(waitUntil([&] { return server.answersInProgress() == 1; }));
    model.reset();
    EXPECT_TRUE(waitUntil([&] { return server.answersInProgress() == 0; }));
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(finished);
    EXPECT_EQ(telemetry_.names(), QStringList{"diagnosis_reached"});
}

} // namespace
