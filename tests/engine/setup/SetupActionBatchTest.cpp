// The action sheet's batch over the scripted runner: how each batch ends and what it reports, the
// sign-in hand-over, the password reasons, the Claude events, a cancel in the middle, and the output
// rows, which must match the install output filter however the lines arrive.

#include "setup/SetupActionBatch.h"
#include "setup/SetupActionOutput.h"

#include "remediation/OutputLineLimit.h"

#include "support/CurrentEdition.h"
#include "support/InstallTranscript.h"
#include "support/Sandbox.h"
#include "support/ScriptedRemediationRunner.h"
#include "support/SetupFlowPrinters.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace qlan;
using namespace qlan::test;

namespace {

using Event = StreamEvent;
using SR = SetupRemediation;

// "name id [exit_code] [reason]" of a remediation event; other events by name and properties.
QString summary(const TelemetryEvent& event) {
    QStringList parts{event.name};
    for (const char* key : {"remediation_id", "exit_code", "reason", "method", "directory"}) {
        const auto value = event.properties.find(QString::fromLatin1(key));
        if (value == event.properties.end()) continue;
        parts << (value->kind() == JSONValue::Kind::integer ? QString::number(value->toInteger())
                                                            : value->toString());
    }
    return parts.join(QLatin1Char(' '));
}

class SetupActionBatchTest : public ::testing::Test {
protected:
    std::unique_ptr<SetupActionBatch> makeBatch(const QList<SetupRemediation>& remediations,
                                                bool continuesPastFailure) {
        auto batch = std::make_unique<SetupActionBatch>(
            remediations, continuesPastFailure,
            [runner = runner_](const SR& remediation, const QString& reason) {
                return runner.run(remediation, reason);
            },
            ProductConfig::homebrewEdition(), telemetry_.service());
        batch->loginName = QStringLiteral("ada");
        batch->desktop.copyToPasteboard = [this](const QString& code) { pasteboard_ << code; };
        batch->desktop.openURL = [this](const QUrl& url) { opened_ << url; };
        return batch;
    }

    std::unique_ptr<SetupActionBatch> ran(const QList<SetupRemediation>& remediations,
                                          bool continuesPastFailure) {
        auto batch = makeBatch(remediations, continuesPastFailure);
        batch->start();
        EXPECT_TRUE(waitUntil([&] { return batch->hasEnded(); }));
        return batch;
    }

    QStringList events() {
        QStringList all;
        for (const TelemetryEvent& event : telemetry_.events())
            all << summary(event);
        return all;
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox sandbox_;
    TelemetryRecorder telemetry_{sandbox_.services()};
    ScriptedRemediationRunner runner_;
    QStringList pasteboard_;
    QList<QUrl> opened_;
};

} // namespace

TEST_F(SetupActionBatchTest, HowABatchEndsAndWhatItReports) {
    struct Case {
        const char* name;
        QList<SetupRemediation> remediations;
        QMap<QString, ScriptedJob> scripts;
        bool continuesPastFailure;
        std::optional<std::int32_t> exitCode;
        bool canceled;
        SetupActionOutcome outcome;
        QStringList lines;
        QStringList events;
    };
    const QString skipNode =
        QStringLiteral("Skipping Install Node (via mise) — it needs a step that didn't finish.");
    const QList<Case> cases{
        {"empty", {}, {}, false, 0, false, SetupActionOutcome::success, {}, {}},
        {"0, 3, 5 going on past failures",
         {SR::installUv(), SR::installRustup(), SR::installTemurin()},
         {{SR::installUv().id(), ScriptedJob::completing(0, {"uv ok"})},
          {SR::installRustup().id(), ScriptedJob::completing(3, {"rustup failed"})},
          {SR::installTemurin().id(), ScriptedJob::completing(5)}},
         true,
         3,
         false,
         SetupActionOutcome::failure,
         {"uv ok", "rustup failed"},
         {"remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod(),
          "remediation_completed " + SR::installUv().id() + " 0",
          "remediation_applied " + SR::installRustup().id() + " " + SR::installRustup().telemetryMethod(),
          "remediation_failed " + SR::installRustup().id() + " 3 nonzero_exit",
          "remediation_applied " + SR::installTemurin().id() + " " + SR::installTemurin().telemetryMethod(),
          "remediation_failed " + SR::installTemurin().id() + " 5 nonzero_exit"}},
        {"0, 3, 5 stopping at the first failure",
         {SR::installUv(), SR::installRustup(), SR::installTemurin()},
         {{SR::installRustup().id(), ScriptedJob::completing(3)},
          {SR::installTemurin().id(), ScriptedJob::completing(5)}},
         false,
         3,
         false,
         SetupActionOutcome::failure,
         {},
         {"remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod(),
          "remediation_completed " + SR::installUv().id() + " 0",
          "remediation_applied " + SR::installRustup().id() + " " + SR::installRustup().telemetryMethod(),
          "remediation_failed " + SR::installRustup().id() + " 3 nonzero_exit"}},
        {"mise failing skips Node, uv still runs",
         {SR::installMise(), SR::installNodeViaMise(), SR::installUv()},
         {{SR::installMise().id(), ScriptedJob::completing(1, {"Error: mise"})}},
         true,
         1,
         false,
         SetupActionOutcome::failure,
         {"Error: mise", skipNode},
         {"remediation_applied brew:mise " + SR::installMise().telemetryMethod(),
          "remediation_failed brew:mise 1 nonzero_exit",
          "remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod(),
          "remediation_completed " + SR::installUv().id() + " 0"}},
        {"mise succeeding lets Node run",
         {SR::installMise(), SR::installNodeViaMise()},
         {},
         true,
         0,
         false,
         SetupActionOutcome::success,
         {},
         {"remediation_applied brew:mise " + SR::installMise().telemetryMethod(),
          "remediation_completed brew:mise 0",
          "remediation_applied mise:node@lts " + SR::installNodeViaMise().telemetryMethod(),
          "remediation_completed mise:node@lts 0"}},
        {"canceled, then completed(0)",
         {SR::installUv(), SR::installRustup()},
         {{SR::installUv().id(),
           ScriptedJob{{Event::output("asking"), Event::canceled(), Event::completed(0)}}}},
         true,
         std::nullopt,
         true,
         SetupActionOutcome::canceled,
         {"asking"},
         {"remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod()}},
        {"a very long line is kept cut",
         {SR::installUv()},
         {{SR::installUv().id(), ScriptedJob::completing(0, {QString(5000, QLatin1Char('#'))})}},
         false,
         0,
         false,
         SetupActionOutcome::success,
         {OutputLineLimit::shown(QString(5000, QLatin1Char('#')))},
         {"remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod(),
          "remediation_completed " + SR::installUv().id() + " 0"}},
        {"a stream without an exit status",
         {SR::installUv()},
         {{SR::installUv().id(), ScriptedJob{{Event::output("gone")}}}},
         false,
         -1,
         false,
         SetupActionOutcome::failure,
         {"gone"},
         {"remediation_applied " + SR::installUv().id() + " " + SR::installUv().telemetryMethod(),
          "remediation_failed " + SR::installUv().id() + " -1 nonzero_exit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        TelemetryRecorder telemetry(sandbox.services());
        ScriptedRemediationRunner runner;
        for (auto it = c.scripts.begin(); it != c.scripts.end(); ++it)
            runner.script(it.key(), it.value());
        SetupActionBatch batch(c.remediations, c.continuesPastFailure,
                               SetupActionBatch::RunRemediation([runner](const SR& r, const QString& reason) {
                                   return runner.run(r, reason);
                               }),
                               ProductConfig::homebrewEdition(), telemetry.service());
        EXPECT_EQ(batch.continueOutcome(), SetupActionOutcome::failure); // not ended yet
        batch.start();
        batch.start(); // a second start changes nothing
        ASSERT_TRUE(waitUntil([&] { return batch.hasEnded(); }));
        waitUntil([] { return false; }, 50); // nothing may follow the end
        EXPECT_EQ(batch.exitCode(), c.exitCode);
        EXPECT_EQ(batch.isCanceled(), c.canceled);
        EXPECT_EQ(batch.continueOutcome(), c.outcome);
        EXPECT_EQ(batch.lines(), c.lines);
        QStringList sent;
        for (const TelemetryEvent& event : telemetry.events())
            sent << summary(event);
        EXPECT_EQ(sent, c.events);
    }
}

TEST_F(SetupActionBatchTest, SignInHandsTheCodeAndTheAddressToTheDesktop) {
    runner_.script(
        SR::githubAuth().id(),
        ScriptedJob{{Event::openBrowser("https://github.com/login/device", QStringLiteral("ABCD-1234")),
                     Event::openBrowser("https://github.com/login/device", std::nullopt),
                     Event::openBrowser("not a url", std::nullopt), Event::completed(0)}});
    auto batch = ran({SR::githubAuth()}, false);
    EXPECT_EQ(pasteboard_, QStringList{"ABCD-1234"}); // exactly the code, once; untouched without one
    EXPECT_EQ(opened_, (QList<QUrl>{QUrl("https://github.com/login/device"),
                                    QUrl("https://github.com/login/device")}));
    EXPECT_EQ(batch->lines(),
              (QStringList{"Opened your browser. Your one-time code is ABCD-1234 (copied to the clipboard) — "
                           "paste it and authorize.",
                           "Opened your browser — follow the GitHub sign-in there.",
                           "Opened your browser — follow the GitHub sign-in there."}));
}

TEST_F(SetupActionBatchTest, PasswordReasonsComeFromTheEdition) {
    ran({SR::installTemurin(), SR::installWarp()}, true);
    EXPECT_EQ(runner_.calls(), (QList<ScriptedRemediationRunner::Call>{
                                   {SR::installTemurin().id(), "Enter a password to install Java"},
                                   {SR::installWarp().id(), "Set up Homebrew"}}));

    ProductConfig unnamed = ProductConfig::homebrewEdition();
    unnamed.spinePolicy.privilegedActionReason.reset();
    EXPECT_EQ(SetupActionBatch::defaultReason(unnamed), unnamed.displayName);
    ScriptedRemediationRunner runner;
    SetupActionBatch batch(
        {SR::installWarp()}, false,
        [runner](const SR& r, const QString& reason) { return runner.run(r, reason); }, unnamed,
        telemetry_.service());
    batch.start();
    ASSERT_TRUE(waitUntil([&] { return batch.hasEnded(); }));
    EXPECT_EQ(runner.calls().value(0).reason, unnamed.displayName);
}

TEST_F(SetupActionBatchTest, ClaudeFixesReportTheirDetailOnSuccessOnly) {
    struct Case {
        SetupRemediation remediation;
        std::int32_t exitCode;
        QString login;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {SR::installClaudeCLI(), 0, "ada", "claude_cli_installed brew"},
        {SR::installClaudeCLI(), 1, "ada", std::nullopt},
        {SR::installClaudeDesktop(), 0, "ada", "claude_desktop_installed brew"},
        {SR::installWarp(), 0, "ada", std::nullopt},
        {SR::repairPath("/Users/ada/.local/bin"), 0, "ada", "claude_path_repaired /Users/~/.local/bin"},
        {SR::repairPath("/Users/ada/"), 0, "ada", "claude_path_repaired /Users/~/"},
        {SR::repairPath("/Users/ada"), 0, "ada", "claude_path_repaired /Users/ada"},
        {SR::repairPath("/Users/adam/bin"), 0, "ada", "claude_path_repaired /Users/adam/bin"},
        {SR::repairPath("/opt/homebrew/bin"), 0, "ada", "claude_path_repaired /opt/homebrew/bin"},
        {SR::repairPath("/Users/ada/bin"), 0, "", "claude_path_repaired /Users/ada/bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remediation.id().toStdString());
        const auto event = SetupActionBatch::claudeDetailEvent(c.remediation, c.exitCode, c.login);
        EXPECT_EQ(event ? std::optional(summary(*event)) : std::nullopt, c.expected);
    }
    // A batch sends it right after "remediation_completed".
    ran({SR::installClaudeCLI()}, false);
    EXPECT_EQ(events().last(), "claude_cli_installed brew");
}

TEST_F(SetupActionBatchTest, CancelStopsTheRunningJobAndStartsNothingMore) {
    runner_.script(SR::installUv().id(), ScriptedJob::runningUntilStopped({"downloading"}));
    auto batch = makeBatch({SR::installUv(), SR::installRustup(), SR::installTemurin()}, false);
    QSignalSpy ended(batch.get(), &SetupActionBatch::ended);
    batch->start();
    ASSERT_TRUE(waitUntil([&] { return batch->lines() == QStringList{"downloading"}; }));
    QSignalSpy finished(batch.get(), &SetupActionBatch::finished);
    batch->cancel();
    batch->cancel();
    batch->finish(SetupActionOutcome::canceled);
    batch->finish(SetupActionOutcome::success); // reported once only
    EXPECT_EQ(ended.size(), 1);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished.first().first().value<SetupActionOutcome>(), SetupActionOutcome::canceled);
    EXPECT_TRUE(batch->isCanceled());
    EXPECT_EQ(batch->exitCode(), std::nullopt);
    EXPECT_EQ(batch->continueOutcome(), SetupActionOutcome::canceled);
    EXPECT_TRUE(waitUntil([&] { return runner_.runningJobs() == 0; }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(runner_.stoppedJobs(), QStringList{SR::installUv().id()});
    EXPECT_EQ(runner_.calls().size(), 1);
    EXPECT_EQ(events(), QStringList{"remediation_applied " + SR::installUv().id() + " " +
                                    SR::installUv().telemetryMethod()});

    // A batch that goes away mid-run stops its job; its late events reach nothing.
    runner_.script(SR::installRustup().id(),
                   ScriptedJob{{Event::output("late"), Event::completed(0)}, false, 50});
    auto gone = makeBatch({SR::installRustup()}, false);
    gone->start();
    gone.reset();
    EXPECT_TRUE(waitUntil([&] { return runner_.runningJobs() == 0; }));
    EXPECT_EQ(runner_.stoppedJobs().last(), SR::installRustup().id());
}

TEST_F(SetupActionBatchTest, OutputRowsMatchTheFilterHoweverLinesArrive) {
    const InstallTranscript transcript = makeInstallTranscript(4096);
    ScriptedJob job;
    for (const QString& line : transcript.lines)
        job.events << Event::output(line);
    job.events << Event::completed(0);
    runner_.script(SR::installHomebrew().id(), job);
    auto batch = makeBatch({SR::installHomebrew()}, false);
    SetupActionOutput output(batch.get());
    batch->start();
    ASSERT_TRUE(waitUntil([&] { return batch->hasEnded(); }));
    ASSERT_TRUE(
        waitUntil([&] { return output.rowCount() == InstallOutputFilter::filter(batch->lines()).size(); }));
    QStringList rows;
    for (int i = 0; i < output.rowCount(); ++i)
        rows << output.data(output.index(i)).toString();
    EXPECT_EQ(rows, InstallOutputFilter::filter(transcript.lines));
    EXPECT_EQ(batch->lines(), transcript.lines); // the raw lines stay whole
}
