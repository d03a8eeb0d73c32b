// The audit's stage screens, the short completion with its build-intent card, and the report: one walk
// through the states of each, with the events as they reach a loopback endpoint.

#include "AuditScreensFixture.h"

#include "editions/ProductConfig.h"
#include "platform/ServiceContext.h"
#include "support/SelectableTexts.h"

#include "audit/AuditStageModel.h"
#include "ui/audit/AuditStageViews.h"
#include "ui/audit/BuildIntentPromptView.h"
#include "ui/audit/FinalAuditReport.h"
#include "ui/audit/SimplifiedCompletionView.h"
#include "ui/audit/Stage1View.h"
#include "ui/audit/Stage2View.h"
#include "ui/progress/RemediationSheet.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/NPSFeedbackCard.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

TEST_F(AuditScreens, FoundationsInstallCancelRetryThenNothingActsDuringTheReprobe) {
    std::function<void()> pendingRefresh;
    Stage1Foundations stage;
    stage.onProfileRefresh = [&](std::function<void()> done) { pendingRefresh = std::move(done); };
    const SystemProfile bare = profileOf({});
    ASSERT_EQ(stage.gate(bare), AuditStageGate::show);
    std::unique_ptr<QWidget> screen(makeStageView(
        stage, bare, [&] { log << "advance"; }, seams));
    show(screen.get(), "audit-foundations-homebrew");

    EXPECT_EQ(screen->findChild<QWidget*>("audit-stage-foundations")->objectName(),
              "audit-stage-foundations");
    const QStringList texts = labels(screen.get());
    EXPECT_TRUE(texts.contains("✗ Homebrew missing."));
    EXPECT_TRUE(texts.contains(homebrewInstallCommand()));
    EXPECT_FALSE(texts.contains("✗ Xcode Command Line Tools missing."));
    EXPECT_FALSE(texts.contains("→ Your macOS is several versions behind the current release."));
    EXPECT_FALSE(texts.contains("Read the article on Pellinor"));
    // The card's line and the install command are copied as a person copies them.
    for (const QString& text : {QStringLiteral("✗ Homebrew missing."), homebrewInstallCommand()})
        EXPECT_TRUE(copiesAsAPerson(textShowing(screen.get(), text), button(screen.get(), "Maybe later")));

    click(screen.get(), "Install Homebrew (recommended)");
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].remediation, Remediation::installHomebrew());
    EXPECT_TRUE(sheets[0].dialog->isVisible());
    EXPECT_EQ(sheets[0].dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheets[0].dialog->minimumSize(), QSize(560, 420));
    sheets[0].onFinish(RemediationOutcome::canceled());
    settle();
    EXPECT_TRUE(sheets[0].dialog.isNull());
    EXPECT_TRUE(log.isEmpty());

    QAbstractButton* install = button(screen.get(), "Install Homebrew (recommended)");
    install->setFocus(Qt::TabFocusReason);
    clickAsAPerson(install);
    ASSERT_EQ(sheets.size(), 2);
    sheets[1].onFinish(RemediationOutcome::success("Homebrew installed."));
    settle();
    EXPECT_TRUE(sheets[1].dialog.isNull());
    EXPECT_EQ(screen->focusWidget(), screen.get()); // the window holds it, not a button that does nothing
    ASSERT_TRUE(pendingRefresh);
    EXPECT_TRUE(log.isEmpty());
    // While the Mac is checked again, the stage is about to be left: its controls show disabled, and no
    // press, key or click opens a second sheet or leaves the stage early.
    for (const QString title : {"Install Homebrew (recommended)", "Maybe later", "Continue"}) {
        QAbstractButton* control = button(screen.get(), title);
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->isEnabled()) << title.toStdString();
        pressEveryWay(control);
    }
    auto* model = static_cast<Stage1View*>(screen.get())->model();
    model->install(Remediation::installHomebrew());
    model->continueOn();
    model->skipByUser();
    EXPECT_EQ(sheets.size(), 2);
    EXPECT_TRUE(log.isEmpty());
    pendingRefresh();
    EXPECT_EQ(log, QStringList{"advance"});

    const QList<ReceivedEvent> events = settledEvents(2);
    ASSERT_EQ(events.size(), 2);
    for (const ReceivedEvent& event : events) {
        EXPECT_EQ(event.name, "remediation_applied");
        EXPECT_EQ(event.data.value("remediation_id").toString(), "homebrew");
        EXPECT_EQ(event.data.value("method").toString(), "homebrew");
    }
}

TEST_F(AuditScreens, FoundationsToolsCardLinkAndMacOSCard) {
    Stage1View tools(
        profileOf({.brew = true}), [&] { log << "advance"; }, {}, seams);
    show(&tools, "audit-foundations-tools");
    EXPECT_TRUE(labels(&tools).contains("✗ Xcode Command Line Tools missing."));
    EXPECT_FALSE(labels(&tools).contains("✗ Homebrew missing."));
    click(&tools, "Read the article on Pellinor →");
    EXPECT_EQ(desktop->openedURLs, QList<QUrl>{ProductConfig::current().urls.commandLineTools});
    EXPECT_TRUE(log.isEmpty());
    const QList<ReceivedEvent> events = settledEvents(1);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, "audit_outbound_clicked");
    EXPECT_EQ(events[0].data.value("tool").toString(), "Xcode CLT install guide");
    EXPECT_EQ(events[0].data.value("url").toString(),
              ProductConfig::current().urls.commandLineTools.toString());

    const SystemProfile behind = profileOf({.brew = true, .clt = true, .macOS = 15});
    Stage1View macOS(
        behind, [&] { log << "advance"; }, {}, seams);
    show(&macOS, "audit-foundations-macos");
    EXPECT_EQ(labels(&macOS), (QStringList{"System check", "Here's what we found.",
                                           "→ Your macOS is several versions behind the current release."}));
    EXPECT_EQ(macOS.findChildren<QAbstractButton*>().size(), 2);
    EXPECT_NE(macOS.findChild<LinkLabel*>(), nullptr);
    EXPECT_NE(button(&macOS, "How to update macOS →"), nullptr);
    EXPECT_NE(macOS.findChild<QPushButton*>("audit-stage-skip"), nullptr);
}

TEST_F(AuditScreens, ClosingTheRemediationSheetIsACancelAndLeavesTheScreen) {
    seams.fixSheet = {}; // the application's own sheet, running its jobs inside the sandbox
    Stage1View screen(
        profileOf({}), [&] { log << "advance"; }, {}, seams);
    ServiceContext::setServices(&screen, mac.services());
    show(&screen, "audit-foundations-sheet");
    const auto openSheet = [&] {
        QList<RemediationSheet*> open;
        for (RemediationSheet* sheet : screen.findChildren<RemediationSheet*>())
            if (sheet->isVisible()) open << sheet;
        return open;
    };
    click(&screen, "Install Homebrew (recommended)");
    ASSERT_EQ(openSheet().size(), 1);
    QPointer<RemediationSheet> sheet = openSheet()[0];
    EXPECT_EQ(sheet->view()->remediation(), Remediation::installHomebrew());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    QTest::keyClick(sheet, Qt::Key_Escape); // Esc, like the close control, is the sheet's Cancel
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_FALSE(screen.model()->sheetRemediation());
    EXPECT_TRUE(log.isEmpty());
    click(&screen, "Install Homebrew (recommended)");
    ASSERT_EQ(openSheet().size(), 1);
    openSheet()[0]->close(); // closed as it opens: the job never starts
    settle();
    EXPECT_TRUE(openSheet().isEmpty());
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(settledNames(4), (QStringList{"remediation_applied", "remediation_canceled",
                                            "remediation_applied", "remediation_canceled"}));
}

TEST_F(AuditScreens, TerminalInstallsLinksAndDeclines) {
    Stage2View withBrew(
        profileOf({.brew = true}), [&] { log << "advance"; }, seams);
    show(&withBrew, "audit-terminal");
    EXPECT_NE(withBrew.findChild<QWidget*>("audit-stage-terminal"), nullptr);
    EXPECT_TRUE(
        labels(&withBrew).contains("We may earn a commission if you install Warp through Quillane with "
                                   "Homebrew. Our recommendation is editorial."));
    click(&withBrew, "Install Warp (recommended)");
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].remediation, Remediation::installWarpViaBrew("warp"));
    sheets[0].onFinish(RemediationOutcome::failure("Install failed (exit code 1)."));
    EXPECT_EQ(log, QStringList{"advance"});

    log.clear();
    Stage2View without(
        profileOf({}), [&] { log << QString("advance after %1 opened").arg(desktop->openedURLs.size()); },
        seams);
    show(&without, "audit-terminal-without-homebrew");
    click(&without, "Install Warp (recommended)");
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[1].remediation, Remediation::installHomebrewThenWarp("warp"));
    sheets[1].onFinish(RemediationOutcome::canceled());
    EXPECT_TRUE(log.isEmpty());
    click(&without, "Learn more about Warp →");
    EXPECT_EQ(desktop->openedURLs, QList<QUrl>{ProductConfig::current().urls.warpAffiliate});
    EXPECT_EQ(log, QStringList{"advance after 1 opened"});

    Stage2View declining(
        profileOf({}), [&] { log << "declined"; }, seams);
    show(&declining, "audit-terminal-decline");
    QTest::mouseClick(declining.findChild<QPushButton*>("audit-stage-skip"), Qt::LeftButton);
    EXPECT_EQ(log.last(), "declined");

    const QList<ReceivedEvent> events = settledEvents(4);
    QStringList seen;
    for (const ReceivedEvent& event : events)
        seen << event.name + " " + event.data.value("remediation_id").toString() +
                    event.data.value("method").toString() + event.data.value("tool").toString() +
                    event.data.value("stage_id").toString();
    EXPECT_EQ(seen,
              (QStringList{"remediation_applied brew:warpbrew",
                           "remediation_applied homebrew+warp:warphomebrew+brew",
                           "audit_outbound_clicked Warp", "audit_stage_skipped_by_user stage_2_terminal"}));
}

TEST_F(AuditScreens, ShortCompletionCardPromptAndDone) {
    int recommendations = 0;
    SimplifiedCompletionView screen(
        CompletionSurface::prompt(BuildIntentSurface::noErrorsFound), [&] { ++recommendations; },
        [&] { log << "done"; }, mac.services(), seams);
    show(&screen, "audit-short-completion");
    EXPECT_EQ(labels(&screen).mid(0, 2), (QStringList{"Java is working", "You're all set."}));

    // Card, prompt, Done, in this order.
    auto* card = screen.findChild<NPSFeedbackCard*>("nps-card");
    auto* prompt = screen.findChild<QWidget*>("completion-build-intent-prompt");
    ASSERT_TRUE(card && prompt);
    EXPECT_LT(card->mapTo(&screen, QPoint()).y(), prompt->mapTo(&screen, QPoint()).y());
    EXPECT_LT(prompt->mapTo(&screen, QPoint()).y(), screen.doneButton()->mapTo(&screen, QPoint()).y());
    EXPECT_TRUE(announcesShownTexts(&screen));

    prompt->hide();
    prompt->show();
    click(&screen, "See recommendations →");
    click(&screen, "See recommendations →");
    EXPECT_EQ(recommendations, 2);
    click(&screen, "Done — back to home");
    EXPECT_EQ(log, QStringList{"done"});

    const QList<ReceivedEvent> events = settledEvents(4);
    QStringList names;
    for (const ReceivedEvent& event : events)
        names << event.name + " " + event.data.value("surface").toString();
    EXPECT_EQ(names, (QStringList{"build_intent_prompt_shown no_errors_found",
                                  "build_intent_opted_in no_errors_found",
                                  "build_intent_opted_in no_errors_found", "nps_dismissed "}));

    // Without a surface, and with the card answered before: only Done, which sends nothing.
    markFeedbackSubmitted();
    SimplifiedCompletionView excluded(
        CompletionSurface::excluded(), [] {}, [&] { log << "done"; }, mac.services(), seams);
    show(&excluded, "audit-short-completion-excluded");
    EXPECT_EQ(excluded.findChild<BuildIntentPromptView*>(), nullptr);
    EXPECT_EQ(excluded.findChild<NPSFeedbackCard*>(), nullptr);
    click(&excluded, "Done — back to home");
    EXPECT_EQ(settledEvents().size(), 4);
}

TEST_F(AuditScreens, ReportRefreshesItsRowsAndLosesTheCardOnSubmission) {
    mac.writeStub("/opt/homebrew/bin/brew");
    QList<std::function<void()>> pauses;
    seams.feedbackHost = std::make_shared<NPSFeedbackHost>(
        ProductConfig::current().userDefaultsPrefix, mac.services().store, *telemetry,
        [&](QObject*, std::function<void()> resume) { pauses.append(std::move(resume)); });
    FinalAuditReport report(
        profileOf({.clt = true}), [&] { log << "done"; }, mac.services(), seams);
    const auto rows = [&] {
        QStringList texts;
        for (const QLabel* label : report.findChild<QWidget*>("audit-final-report")->findChildren<QLabel*>())
            texts << label->text();
        return texts;
    };
    EXPECT_EQ(rows(), (QStringList{"✓", "Xcode Command Line Tools installed", "✗", "Homebrew missing", "→",
                                   "Try Warp — we recommend it"}));
    show(&report, "audit-report");
    ASSERT_TRUE(waitUntil([&] { return rows().contains("Homebrew installed"); }));
    saveScreenshot(&report, "audit-report-refreshed");

    auto* card = report.findChild<NPSFeedbackCard*>("nps-card");
    ASSERT_NE(card, nullptr);
    card->selectScore(9);
    card->submit();
    ASSERT_EQ(pauses.size(), 1);
    pauses[0]();
    settle();
    EXPECT_EQ(report.findChild<NPSFeedbackCard*>(), nullptr);
    click(&report, "Done — back to home");
    EXPECT_EQ(log, QStringList{"done"});
    EXPECT_EQ(settledNames(1), QStringList{"nps_submitted"});

    // Fixture mode probes nothing: the rows keep the profile handed in.
    AppServices fixture = mac.services();
    fixture.isFixtureMode = true;
    FinalAuditReport still(
        profileOf({}), [] {}, fixture, seams);
    show(&still, "audit-report-fixture");
    settle();
    EXPECT_FALSE(still.model()->hasFreshProfile());
    EXPECT_TRUE(still.findChildren<QLabel*>().size() > 0);
}

TEST_F(AuditScreens, CompletionsWhoseScreenIsGoneDoNothing) {
    std::function<void()> pendingRefresh;
    auto foundations = std::make_unique<Stage1View>(
        profileOf({}), [&] { log << "advance"; },
        [&](std::function<void()> done) { pendingRefresh = std::move(done); }, seams);
    show(foundations.get(), "audit-gone");
    click(foundations.get(), "Install Homebrew (recommended)");
    const auto onFinish = sheets.last().onFinish;
    onFinish(RemediationOutcome::success("Homebrew installed."));
    foundations.reset();
    pendingRefresh();
    onFinish(RemediationOutcome::success("Homebrew installed."));

    auto report = std::make_unique<FinalAuditReport>(
        profileOf({}), [&] { log << "done"; }, mac.services(), seams);
    show(report.get(), "audit-report-gone");
    report.reset();
    settle();
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(log.isEmpty());
}
