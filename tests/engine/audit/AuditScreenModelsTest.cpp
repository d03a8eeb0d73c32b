#include "audit/AuditStageModel.h"
#include "audit/FinalAuditReportModel.h"
#include "audit/SimplifiedCompletionModel.h"

#include "telemetry/TelemetryService.h"

#include "AuditFixture.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class AuditScreenModels : public ::testing::Test, public AuditFixture {
protected:
    // A foundations model whose re-probe finishes when the test says so.
    std::unique_ptr<AuditStageModel> foundations(bool withRefresh = true) {
        AuditStageModel::Options options;
        options.stageID = Stage1Foundations::defaultID;
        options.onAdvance = [this] { log << "advance"; };
        if (withRefresh)
            options.onProfileRefresh = [this](std::function<void()> done) {
                log << "refresh";
                pendingRefresh = std::move(done);
            };
        options.openURL = [this](const QUrl& url) { log << "open " + url.toString(); };
        return std::make_unique<AuditStageModel>(std::move(options), *telemetry);
    }

    QStringList log;
    std::function<void()> pendingRefresh;
};

} // namespace

TEST_F(AuditScreenModels, FoundationsInstallCancelRetrySucceedAdvancesOnce) {
    auto model = foundations();
    model->install(Remediation::installHomebrew());
    EXPECT_EQ(model->sheetRemediation(), Remediation::installHomebrew());

    model->finish(RemediationOutcome::canceled());
    EXPECT_FALSE(model->sheetRemediation());
    EXPECT_TRUE(log.isEmpty());

    model->install(Remediation::installHomebrew());
    model->finish(RemediationOutcome::success("Homebrew installed."));
    EXPECT_FALSE(model->sheetRemediation());
    EXPECT_EQ(log, QStringList{"refresh"});
    EXPECT_TRUE(model->isRefreshing());

    // While the re-probe runs the controls do nothing; its end leaves the stage once, and nothing after.
    model->install(Remediation::installHomebrew());
    model->continueOn();
    model->skipByUser();
    model->followLink("Warp", ProductConfig::current().urls.warpAffiliate, true);
    EXPECT_FALSE(model->sheetRemediation());
    pendingRefresh();
    EXPECT_EQ(log, (QStringList{"refresh", "advance"}));
    EXPECT_FALSE(model->isRefreshing());
    model->install(Remediation::installHomebrew());
    model->continueOn();
    EXPECT_FALSE(model->sheetRemediation());
    EXPECT_EQ(log, (QStringList{"refresh", "advance"}));
    model->skipByUser();

    const QList<ReceivedEvent> events = settledEvents(3);
    ASSERT_EQ(events.size(), 3);
    for (int i : {0, 1}) {
        EXPECT_EQ(events[i].name, "remediation_applied");
        EXPECT_EQ(events[i].data.value("remediation_id").toString(), "homebrew");
        EXPECT_EQ(events[i].data.value("method").toString(), "homebrew");
    }
    EXPECT_EQ(events[2].name, "audit_stage_skipped_by_user");
    EXPECT_EQ(events[2].data.value("stage_id").toString(), "stage_1_foundations");
}

TEST_F(AuditScreenModels, SuccessAwaitsTheRefreshFailureAndNoRefreshAdvanceAtOnce) {
    auto model = foundations();
    model->install(Remediation::installHomebrew());
    model->finish(RemediationOutcome::success("Homebrew installed."));
    EXPECT_EQ(log, QStringList{"refresh"});
    pendingRefresh();
    EXPECT_EQ(log, (QStringList{"refresh", "advance"}));

    for (const RemediationOutcome& outcome : {RemediationOutcome::failure("Install failed (exit code 1)."),
                                              RemediationOutcome::success("Homebrew installed.")}) {
        log.clear();
        auto other = foundations(outcome.kind == RemediationOutcome::Kind::success ? false : true);
        other->install(Remediation::installHomebrew());
        other->finish(outcome);
        EXPECT_EQ(log, QStringList{"advance"});
    }
}

// A sheet's end that leaves the stage holds the controls before the sheet closes, and they do nothing from
// then on: a failure, a success without a re-probe, a cancel after which the flow leaves the stage. A cancel
// that stays holds nothing.
TEST_F(AuditScreenModels, ASheetsEndThatLeavesTheStageHoldsItsControlsBeforeTheSheetCloses) {
    const struct {
        RemediationOutcome outcome;
        bool leftOnceIdle;
        bool held;
    } cases[]{{RemediationOutcome::failure("Install failed (exit code 1)."), false, true},
              {RemediationOutcome::success("Homebrew installed."), false, true},
              {RemediationOutcome::canceled(), true, true},
              {RemediationOutcome::canceled(), false, false}};
    for (const auto& each : cases) {
        SCOPED_TRACE(&each - cases);
        auto model = foundations(/*withRefresh=*/false);
        model->setLeftOnceIdle([&each] { return each.leftOnceIdle; });
        model->install(Remediation::installHomebrew());
        std::optional<bool> heldAsTheSheetCloses;
        const QMetaObject::Connection closing = QObject::connect(
            model.get(), &AuditStageModel::sheetChanged, [&] { heldAsTheSheetCloses = model->isHeld(); });
        model->finish(each.outcome);
        QObject::disconnect(closing);
        EXPECT_EQ(heldAsTheSheetCloses, each.held);
        EXPECT_EQ(model->isHeld(), each.held);
        model->install(Remediation::installHomebrew());
        EXPECT_EQ(model->sheetRemediation().has_value(), !each.held);
    }
}

TEST_F(AuditScreenModels, LinksSendTheirEventThenOpenAndOnlyTheTerminalsAdvances) {
    auto model = foundations();
    const QUrl guide = ProductConfig::current().urls.commandLineTools;
    model->followLink("Xcode CLT install guide", guide, false);
    EXPECT_EQ(log, QStringList{"open " + guide.toString()});
    const QList<ReceivedEvent> events = settledEvents(1);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, "audit_outbound_clicked");
    EXPECT_EQ(events[0].data.value("tool").toString(), "Xcode CLT install guide");
    EXPECT_EQ(events[0].data.value("url").toString(), guide.toString());

    const QUrl vendor = ProductConfig::current().urls.warpAffiliate;
    model->followLink("Warp", vendor, true);
    model->followLink("Warp", vendor, true);
    EXPECT_EQ(log.mid(1), (QStringList{"open " + vendor.toString(), "advance", "open " + vendor.toString()}));
}

TEST_F(AuditScreenModels, ARefreshThatEndsAfterTheScreenIsGoneDoesNothing) {
    auto model = foundations();
    model->install(Remediation::installHomebrew());
    model->finish(RemediationOutcome::success("Homebrew installed."));
    model.reset();
    pendingRefresh();
    EXPECT_EQ(log, QStringList{"refresh"});
}

TEST_F(AuditScreenModels, CompletionPromptOnceOptInEveryPressDoneLeavesTheCard) {
    int recommendations = 0, done = 0;
    SimplifiedCompletionModel model(
        CompletionSurface::prompt(BuildIntentSurface::noErrorsFound), [&] { ++recommendations; },
        [&] { ++done; }, makeHost(), *telemetry);
    ASSERT_TRUE(model.feedback().isIncluded());
    EXPECT_EQ(model.promptSurface(), BuildIntentSurface::noErrorsFound);
    model.feedback().cameOnScreen();
    model.promptCameOnScreen();
    model.promptCameOnScreen();
    model.optIn();
    model.optIn();
    EXPECT_EQ(recommendations, 2);
    model.done();
    EXPECT_EQ(done, 1);

    const QList<ReceivedEvent> events = settledEvents(4);
    QStringList names;
    for (const ReceivedEvent& event : events) {
        names << event.name;
        if (event.name.startsWith("build_intent")) {
            EXPECT_EQ(event.data.value("surface").toString(), "no_errors_found");
        }
    }
    EXPECT_EQ(names, (QStringList{"build_intent_prompt_shown", "build_intent_opted_in",
                                  "build_intent_opted_in", "nps_dismissed"}));
}

TEST_F(AuditScreenModels, CompletionWithoutPromptOrCard) {
    markFeedbackSubmitted();
    int done = 0;
    SimplifiedCompletionModel model(
        CompletionSurface::excluded(), [] {}, [&] { ++done; }, makeHost(), *telemetry);
    EXPECT_FALSE(model.promptSurface());
    EXPECT_FALSE(model.feedback().isIncluded());
    model.promptCameOnScreen();
    model.done();
    EXPECT_EQ(done, 1);

    // An edition that asks its next-step question leaves the card out as well.
    ProductConfig asking = ProductConfig::homebrewEdition();
    asking.nextStepPrompt = NextStepPrompt{};
    CurrentEdition scoped(asking);
    mac.services().store->set(false,
                              NPSFeedbackHost::submittedKey(ProductConfig::current().userDefaultsPrefix));
    EXPECT_FALSE(HostedFeedbackCard(makeHost()).isIncluded());
    EXPECT_TRUE(settledEvents().isEmpty());
}

TEST_F(AuditScreenModels, ReportRows) {
    using Tone = AuditReportRow::Tone;
    EXPECT_EQ(FinalAuditReportModel::rows(profileOf({.clt = true})),
              (QList<AuditReportRow>{{"✓", Tone::good, "Xcode Command Line Tools installed"},
                                     {"✗", Tone::bad, "Homebrew missing"},
                                     {"→", Tone::recommendation, "Try Warp — we recommend it"}}));
    EXPECT_EQ(FinalAuditReportModel::rows(profileOf({.brew = true, .warp = true})),
              (QList<AuditReportRow>{{"✗", Tone::bad, "Xcode Command Line Tools missing"},
                                     {"✓", Tone::good, "Homebrew installed"},
                                     {"✓", Tone::good, "Warp installed"}}));
}

TEST_F(AuditScreenModels, ReportProbesOnceAndNeverInFixtureMode) {
    mac.writeStub("/opt/homebrew/bin/brew");
    AppServices fixture = mac.services();
    fixture.isFixtureMode = true;
    FinalAuditReportModel still(
        profileOf({}), [] {}, fixture, makeHost());
    still.cameOnScreen();
    EXPECT_FALSE(waitUntil([&] { return still.hasFreshProfile(); }, 300));

    FinalAuditReportModel report(
        profileOf({}), [] {}, mac.services(), makeHost());
    int changes = 0;
    QObject::connect(&report, &FinalAuditReportModel::profileChanged, [&] { ++changes; });
    report.cameOnScreen();
    report.cameOnScreen();
    ASSERT_TRUE(waitUntil([&] { return report.hasFreshProfile(); }));
    report.cameOnScreen();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(FinalAuditReportModel::rows(report.displayedProfile())[1].text, "Homebrew installed");

    // A probe that ends after the report is gone is dropped.
    auto gone = std::make_unique<FinalAuditReportModel>(
        profileOf({}), [] {}, mac.services(), makeHost());
    gone->cameOnScreen();
    gone.reset();
    waitUntil([] { return false; }, 300);
}

TEST_F(AuditScreenModels, ReportDoneSendsDismissalOnlyForAShownUnansweredCard) {
    QStringList order;
    FinalAuditReportModel shown(
        profileOf({}), [&] { order << "done"; }, mac.services(), makeHost());
    ASSERT_TRUE(shown.feedback().isIncluded());
    shown.feedback().cameOnScreen();
    shown.done();
    EXPECT_EQ(settledNames(1), QStringList{"nps_dismissed"});

    markFeedbackSubmitted();
    FinalAuditReportModel answered(
        profileOf({}), [&] { order << "done"; }, mac.services(), makeHost());
    EXPECT_FALSE(answered.feedback().isIncluded());
    answered.done();
    EXPECT_EQ(settledNames(), QStringList{"nps_dismissed"});
    EXPECT_EQ(order, (QStringList{"done", "done"}));
}
