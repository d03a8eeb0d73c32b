// The audit screen through its phases, the follow-up questions and the offer screens, and one journey
// through the real root view from the next-step question to an offer.

#include "AuditScreensFixture.h"

#include "platform/LiveKeyValueStore.h"
#include "support/AccessibleNames.h"
#include "support/IsolatedUserDefaults.h"
#include "support/KeyboardWalk.h"
#include "support/SelectableTexts.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/appshell/WelcomeView.h"
#include "ui/audit/FinalAuditReport.h"
#include "ui/audit/GoalPromptView.h"
#include "ui/audit/NextStepView.h"
#include "ui/audit/OfferViews.h"
#include "ui/audit/SimplifiedCompletionView.h"
#include "ui/audit/Stage1View.h"
#include "ui/audit/Stage2View.h"
#include "ui/audit/StagedAuditFlow.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/ProminentButton.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qlan;
using namespace qlan::test;

namespace {

class AuditFlowScreens : public AuditScreens {
protected:
    AuditFlowScreens() {
        window = std::make_unique<QWidget>();
        navigation = new AppNavigation(window.get());
        new QVBoxLayout(window.get());
        DesktopActions::install(window.get(), desktop);
    }
    // Shows `screen` in the window that holds the navigation model.
    void host(QWidget* screen, const QString& name) {
        window->layout()->addWidget(screen);
        screen->show();
        show(window.get(), name);
    }
    QStringList journal(qsizetype expected) {
        QStringList lines;
        for (const ReceivedEvent& event : settledEvents(expected)) {
            QString line = event.name;
            for (const char* key :
                 {"entry", "stage_id", "outcome", "offer_id", "action", "result", "next_step", "goal"})
                if (event.data.contains(key)) {
                    const QJsonValue value = event.data.value(key);
                    line += u' ' + (value.isNull() ? QStringLiteral("null") : value.toVariant().toString());
                }
            lines << line;
        }
        return lines;
    }
    StagedAuditFlow* makeFlow(AuditContext context, std::optional<SystemProfile> startUp = std::nullopt) {
        StagedAuditFlowModel::Environment environment;
        environment.navigation = navigation;
        environment.fallbackProfile = std::move(startUp);
        environment.services = mac.services();
        environment.probe = [this](QObject*, std::function<void(SystemProfile)> done) {
            probes.append(std::move(done));
            return std::stop_source();
        };
        return new StagedAuditFlow(std::move(context), environment, seams);
    }
    // A build-intent audit in the active window, on stage 1 from `startUp`; its own probe not answered yet.
    StagedAuditFlow* stage1From(const SystemProfile& startUp, const QString& name) {
        probes.clear();
        sheets.clear();
        StagedAuditFlow* flow =
            makeFlow({AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt}, startUp);
        host(flow, name);
        window->activateWindow();
        EXPECT_TRUE(waitForWindowActive(window.get()));
        EXPECT_NE(qobject_cast<Stage1View*>(flow->currentScreen()), nullptr);
        EXPECT_EQ(probes.size(), 1);
        return flow;
    }

    std::unique_ptr<QWidget> window;
    QPointer<AppNavigation> navigation;
    QList<std::function<void(SystemProfile)>> probes;
};

OfferSpec offerSpec(const QString& id, std::optional<QUrl> destination) {
    return OfferSpec{
        id,           "after_audit", "Learn with us",        "A course for you.", "Take the course",
        std::nullopt, std::nullopt,  std::move(destination), "new_developer"};
}

} // namespace

TEST_F(AuditFlowScreens, TheAuditScreenWalksItsPhasesAndKeepsTheAdvanceAfterAnInstall) {
    markFeedbackSubmitted(); // the report without its feedback card
    navigation->setPath({Screen::nextStep()});
    StagedAuditFlow* flow =
        makeFlow({AuditEntry::nextStepBuildSoftware, CompletionSurface::excluded(),
                  QLANAuditContext{"build_software", std::nullopt, OfferRoute::content("x")}});
    host(flow, "audit-flow-loading");
    ASSERT_NE(flow->currentScreen()->findChild<ActivityIndicator*>(), nullptr);
    ASSERT_EQ(probes.size(), 1);

    probes[0](profileOf({.clt = true}));
    ASSERT_NE(qobject_cast<Stage1View*>(flow->currentScreen()), nullptr);
    saveScreenshot(window.get(), "audit-flow-foundations");
    QAbstractButton* install = button(flow->currentScreen(), "Install Homebrew (recommended)");
    window->activateWindow();
    ASSERT_TRUE(waitForWindowActive(window.get()));
    install->setFocus(Qt::TabFocusReason);
    QTest::keyClick(install, Qt::Key_Space);
    ASSERT_EQ(sheets.size(), 1);
    sheets[0].onFinish(RemediationOutcome::success("Homebrew installed."));
    ASSERT_EQ(probes.size(), 2); // the re-probe after the installation
    window->activateWindow();
    ASSERT_TRUE(waitForWindowActive(window.get()));
    // Meanwhile the install starts nothing again, whichever way it is pressed.
    pressEveryWay(install);
    settle();
    EXPECT_EQ(sheets.size(), 1);
    EXPECT_EQ(probes.size(), 2);
    // The next stage is heard once, as the window holding the focus; the stage left tells of no change. The
    // re-probe answers from the event loop, as the prober does.
    const Heard heard = heardWhile([&] {
        QMetaObject::invokeMethod(
            window.get(), [&] { probes[1](profileOf({.brew = true, .clt = true})); }, Qt::QueuedConnection);
        ASSERT_TRUE(waitUntil([&] { return qobject_cast<Stage2View*>(flow->currentScreen()) != nullptr; }));
        ASSERT_TRUE(waitForQueuedCalls());
    });
    EXPECT_EQ(heard.focus, (QList<Told>{{window.get(), window->windowTitle()}}));
    EXPECT_EQ(heard.enabledChanges, QList<QObject*>{});
    ASSERT_NE(qobject_cast<Stage2View*>(flow->currentScreen()), nullptr);
    EXPECT_EQ(flow->findChildren<Stage1View*>().size(), 0);

    click(flow->currentScreen(), "Maybe later");
    settle();
    ASSERT_NE(qobject_cast<FinalAuditReport*>(flow->currentScreen()), nullptr);
    click(flow->currentScreen(), "Done — back to home");
    EXPECT_EQ(navigation->path(), (QList<Screen>{Screen::nextStep(), Screen::contentOffer("x")}));
    EXPECT_EQ(journal(5), (QStringList{"audit_reached next_step_build_software",
                                       "audit_stage_outcome stage_1_foundations rendered",
                                       "remediation_applied", "audit_stage_outcome stage_2_terminal rendered",
                                       "audit_stage_skipped_by_user stage_2_terminal"}));
}

TEST_F(AuditFlowScreens, AStageScreenBusyWithAFixKeepsItsSheetWhenTheProbeEnds) {
    // A stale start-up profile without Homebrew; "Install Homebrew" is pressed before the audit's own
    // probe returns, and that probe finds Homebrew (the stage now gates to a skip), or no tooling at all
    // (the short completion now shows): either waits for the sheet.
    const struct {
        AuditContext context;
        SystemProfile fresh;
        std::function<bool(QWidget*)> next;
    } cases[]{
        {{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt},
         profileOf({.brew = true, .clt = true}),
         [](QWidget* screen) { return qobject_cast<Stage2View*>(screen) != nullptr; }},
        {{AuditEntry::heuristic, CompletionSurface::prompt(BuildIntentSurface::noErrorsFound), std::nullopt},
         profileOf({}),
         [](QWidget* screen) { return qobject_cast<SimplifiedCompletionView*>(screen) != nullptr; }},
    };
    for (const auto& each : cases) {
        probes.clear();
        sheets.clear();
        StagedAuditFlow* flow = makeFlow(each.context, profileOf({.clt = true}));
        host(flow, "audit-flow-start-up-profile");
        QPointer<QWidget> foundations = qobject_cast<Stage1View*>(flow->currentScreen());
        ASSERT_FALSE(foundations.isNull());
        click(foundations, "Install Homebrew (recommended)");
        ASSERT_EQ(probes.size(), 1);
        probes[0](each.fresh);
        settle();
        EXPECT_EQ(flow->currentScreen(), foundations.data());
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_FALSE(sheets[0].dialog.isNull());
        // Once the sheet has ended, the skip takes effect.
        sheets[0].onFinish(RemediationOutcome::canceled());
        settle();
        EXPECT_TRUE(foundations.isNull());
        EXPECT_TRUE(each.next(flow->currentScreen()));
        delete flow;
    }
}

// A fix pressed by Space whose sheet's end leaves the stage, in Linux's order and in a Mac's: only the window
// is heard, holding the focus on the screen that comes; never the stage's button on the way.
TEST_F(AuditFlowScreens, ASheetsEndThatLeavesTheStageIsHeardAsTheWindowOfTheNextScreen) {
    using Kind = RemediationOutcome::Kind;
    const AuditContext buildIntent{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt};
    const AuditContext heuristic{AuditEntry::heuristic,
                                 CompletionSurface::prompt(BuildIntentSurface::noErrorsFound), std::nullopt};
    const auto stage2 = [](QWidget* screen) { return qobject_cast<Stage2View*>(screen) != nullptr; };
    const auto report = [](QWidget* screen) { return qobject_cast<FinalAuditReport*>(screen) != nullptr; };
    const auto shortCompletion = [](QWidget* screen) {
        return qobject_cast<SimplifiedCompletionView*>(screen) != nullptr;
    };
    const struct {
        const char* name;
        AuditContext context;
        SystemProfile startUp;
        std::optional<SystemProfile> freshUnderTheFix; // the audit's own probe ends while the sheet is open
        QString fix;
        Kind end;
        std::function<bool(QWidget*)> next;
    } cases[]{
        {"stage 1 fails", buildIntent, profileOf({.clt = true}), std::nullopt,
         "Install Homebrew (recommended)", Kind::failure, stage2},
        {"stage 2 fails", buildIntent, profileOf({.brew = true, .clt = true}), std::nullopt,
         "Install Warp (recommended)", Kind::failure, report},
        {"stage 2 succeeds", buildIntent, profileOf({.brew = true, .clt = true}), std::nullopt,
         "Install Warp (recommended)", Kind::success, report},
        {"a cancel under the short completion", heuristic, profileOf({.clt = true}), profileOf({}),
         "Install Homebrew (recommended)", Kind::canceled, shortCompletion},
        {"a failure under the short completion", heuristic, profileOf({.clt = true}), profileOf({}),
         "Install Homebrew (recommended)", Kind::failure, shortCompletion},
    };
    for (const SheetEnd order : bothSheetEnds)
        for (const auto& each : cases) {
            SCOPED_TRACE(std::string(each.name) +
                         (order == SheetEnd::activateInsideHide ? ", Mac order" : ", Linux order"));
            probes.clear();
            sheets.clear();
            StagedAuditFlow* flow = makeFlow(each.context, each.startUp);
            host(flow, "audit-flow-sheet-end");
            ASSERT_EQ(probes.size(), 1);
            if (!each.freshUnderTheFix) probes[0](each.startUp);
            window->activateWindow();
            ASSERT_TRUE(waitForWindowActive(window.get()));
            const auto [focus, ring, told] = focusAfterSheet(
                window.get(), button(flow->currentScreen(), each.fix),
                [&] {
                    ASSERT_EQ(sheets.size(), 1);
                    if (each.freshUnderTheFix) probes[0](*each.freshUnderTheFix);
                    sheets[0].onFinish(each.end == Kind::success   ? RemediationOutcome::success("Installed.")
                                       : each.end == Kind::failure ? RemediationOutcome::failure("Failed.")
                                                                   : RemediationOutcome::canceled());
                },
                order);
            EXPECT_TRUE(each.next(flow->currentScreen()));
            EXPECT_EQ(focus, window.get());
            EXPECT_EQ(told, (QList<Told>{{window.get(), window->windowTitle()}}));
            delete flow;
        }
}

// Stage 1 from a start-up profile (Homebrew missing, macOS two releases behind) with the focus on a control,
// and the audit's own probe answering from the event loop. A fresh profile that changes nothing the stage
// shows leaves the screen as it stands; one that changes a card shows the change in place. Where the focused
// control stays, the focus stays there, nothing is heard, and the next Tab goes on from there; where its card
// goes, the window takes the focus, told once and nothing else, and the next Tab goes to the first control.
TEST_F(AuditFlowScreens, AFreshProfileKeepsTheStageScreenAndItsFocus) {
    const QString homebrew = "✗ Homebrew missing.";
    const QString tools = "✗ Xcode Command Line Tools missing.";
    const QString macOS = "→ Your macOS is several versions behind the current release.";
    const SystemProfile startUp = profileOf({.macOS = 15});
    SystemProfile javaHomeSet = startUp;
    javaHomeSet.javaState.javaHomeInActiveShell =
        "/Library/Java/JavaVirtualMachines/temurin-25.jdk/Contents/Home";
    const SystemProfile homebrewFound = profileOf({.brew = true, .macOS = 15});
    const SystemProfile macOSUpdated = profileOf({.macOS = 26});
    const QString toolsGuide = "Read the article on Pellinor →";
    const struct {
        const char* name;
        SystemProfile fresh;
        QString focused;
        QString nextByTab;
        QStringList cards; // their first lines, afterwards
        bool goes = false; // the focused control's card goes
    } cases[]{
        {"JAVA_HOME set", javaHomeSet, "How to update macOS →", "Continue", {homebrew, macOS}},
        {"Warp installed",
         profileOf({.warp = true, .macOS = 15}),
         "Install Homebrew (recommended)",
         "Maybe later",
         {homebrew, macOS}},
        {"Homebrew found", homebrewFound, "How to update macOS →", "Continue", {tools, macOS}},
        {"macOS updated", macOSUpdated, "Maybe later", "Continue", {homebrew}},
        {"Homebrew found under its install",
         homebrewFound,
         "Install Homebrew (recommended)",
         toolsGuide,
         {tools, macOS},
         true},
        {"Homebrew found under Maybe later", homebrewFound, "Maybe later", toolsGuide, {tools, macOS}, true},
        // A card's line that the person pressed, as it stays and as its card goes.
        {"JAVA_HOME set on the macOS line", javaHomeSet, macOS, "How to update macOS →", {homebrew, macOS}},
        {"Homebrew found on its line", homebrewFound, homebrew, toolsGuide, {tools, macOS}, true},
        {"macOS updated under its guide",
         macOSUpdated,
         "How to update macOS →",
         "Install Homebrew (recommended)",
         {homebrew},
         true},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        StagedAuditFlow* flow = stage1From(startUp, "audit-flow-fresh-profile");
        QPointer<QWidget> stage = flow->currentScreen();
        QWidget* focused = button(stage, each.focused);
        if (focused) {
            focused->setFocus(Qt::TabFocusReason);
        } else if (QLabel* text = textShowing(stage, each.focused)) {
            dragOver(text, QPoint(2, text->height() / 2), QPoint(text->width() / 2, text->height() / 2));
            focused = text;
        }
        ASSERT_TRUE(focused && window->focusWidget() == focused && probes.size() == 1);
        settle();
        const Heard heard = heardWhile([&] {
            QMetaObject::invokeMethod(
                window.get(), [&] { probes[0](each.fresh); }, Qt::QueuedConnection);
            ASSERT_TRUE(waitUntil([&] { return flow->model()->currentProfile() == each.fresh; }));
            ASSERT_TRUE(waitForQueuedCalls());
        });
        ASSERT_EQ(flow->currentScreen(), stage.data());
        if (each.goes) {
            EXPECT_EQ(window->focusWidget(), window.get());
            EXPECT_EQ(heard.focus, (QList<Told>{{window.get(), window->windowTitle()}}));
        } else {
            EXPECT_EQ(window->focusWidget(), focused);
            EXPECT_EQ(heard.focus, QList<Told>{});
        }
        EXPECT_EQ(heard.enabledChanges, QList<QObject*>{});
        QStringList cards = labels(stage);
        cards.removeIf([](const QString& text) { return !text.startsWith("✗") && !text.startsWith("→"); });
        EXPECT_EQ(cards, each.cards);
        EXPECT_TRUE(textsSelectableByMouse(stage)); // a card that came as well
        saveScreenshot(window.get(), QString("audit-flow-fresh-profile-") + each.name);
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        auto* next = qobject_cast<QAbstractButton*>(window->focusWidget());
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->text(), each.nextByTab);
        delete flow;
    }
}

// Stage 1's Homebrew fix runs when the audit's own probe answers: it finds the Command Line Tools (nothing
// the stage shows changes), the current macOS (its card goes) or Homebrew (the fix's own card goes, the
// Command Line Tools card comes). Cancel or Esc, in Linux's order of the sheet's end and in a Mac's: the same
// screen, the focus back on "Install Homebrew (recommended)", heard once; where that button went, the window
// holds the focus, heard once and nothing else, and the next Tab goes to the first control.
TEST_F(AuditFlowScreens, AFixCancelledAfterAFreshProfileTellsOnlyItsButton) {
    const SystemProfile startUp = profileOf({.macOS = 15});
    const struct {
        const char* name;
        SystemProfile fresh;
        bool buttonGoes;
    } profiles[]{
        {"tools found", profileOf({.clt = true, .macOS = 15}), false},
        {"macOS current", profileOf({.macOS = 26}), false},
        {"Homebrew found", profileOf({.brew = true, .macOS = 15}), true},
    };
    for (const SheetEnd order : bothSheetEnds)
        for (const auto& each : profiles)
            for (const bool byEsc : {false, true}) {
                SCOPED_TRACE(
                    std::string(order == SheetEnd::activateInsideHide ? "Mac order, " : "Linux order, ") +
                    each.name + (byEsc ? ", Esc" : ", Cancel"));
                StagedAuditFlow* flow = stage1From(startUp, "audit-flow-cancel-after-profile");
                QPointer<QWidget> stage = flow->currentScreen();
                QPointer<QAbstractButton> install = button(stage, "Install Homebrew (recommended)");
                ASSERT_TRUE(install && probes.size() == 1);
                const auto [focus, ring, told] = focusAfterSheet(
                    window.get(), install,
                    [&] {
                        ASSERT_EQ(sheets.size(), 1);
                        probes[0](each.fresh);
                        if (byEsc)
                            QTest::keyClick(sheets[0].dialog, Qt::Key_Escape);
                        else
                            sheets[0].onFinish(RemediationOutcome::canceled());
                    },
                    order);
                ASSERT_EQ(flow->currentScreen(), stage.data());
                if (each.buttonGoes) {
                    EXPECT_EQ(focus, window.get());
                    EXPECT_EQ(told, (QList<Told>{{window.get(), window->windowTitle()}}));
                    EXPECT_EQ(button(stage, "Install Homebrew (recommended)"), nullptr);
                    QTest::keyClick(window.get(), Qt::Key_Tab);
                    auto* first = qobject_cast<QAbstractButton*>(window->focusWidget());
                    ASSERT_NE(first, nullptr);
                    EXPECT_EQ(first->text(), "Read the article on Pellinor →");
                } else {
                    EXPECT_EQ(focus, install);
                    EXPECT_EQ(told, (QList<Told>{{install, install->text()}}));
                }
                EXPECT_EQ(
                    labels(stage).contains("→ Your macOS is several versions behind the current release."),
                    each.fresh.macosVersion.majorVersion == 15);
                delete flow;
            }
}

TEST_F(AuditFlowScreens, TheShortCompletionLeadsToRecommendationsOrHome) {
    StagedAuditFlow* flow = makeFlow(
        {AuditEntry::heuristic, CompletionSurface::prompt(BuildIntentSurface::postFix), std::nullopt},
        profileOf({}));
    host(flow, "audit-flow-short-completion");
    ASSERT_NE(qobject_cast<SimplifiedCompletionView*>(flow->currentScreen()), nullptr);
    click(flow->currentScreen(), "See recommendations →");
    EXPECT_EQ(
        navigation->path(),
        QList<Screen>{Screen::audit({AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt})});
    flow->model()->cameOnScreen(); // back from the pushed audit
    click(flow->currentScreen(), "Done — back to home");
    EXPECT_TRUE(navigation->path().isEmpty());
}

TEST_F(AuditFlowScreens, NextStepWaitsForAChoiceThenOpensIt) {
    const NextStepPrompt prompt{
        "What next?",
        "Choose what suits you.",
        "after_java",
        {NextStepOption{"course", "Take a course", Outcome::ready, OfferRoute::audit()},
         NextStepOption{"other", "Not sure", Outcome::unsure, OfferRoute::guidedHelpWTP()}}};
    auto* screen = new NextStepView(prompt, navigation, *telemetry);
    host(screen, "next-step");
    EXPECT_FALSE(screen->continueButton()->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(navigation->path().isEmpty());

    auto* row = window->findChild<QAbstractButton*>("next-step-option-other");
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() - 3, row->height() / 2)); // its far end
    EXPECT_TRUE(row->isChecked());
    EXPECT_TRUE(announcesShownTexts(window.get()));
    EXPECT_FALSE(window->findChild<QAbstractButton*>("next-step-option-course")->isChecked());
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(navigation->path(), QList<Screen>{Screen::guidedHelpOffer()});
    EXPECT_EQ(navigation->selectedNextStep(), "other");
    EXPECT_EQ(journal(1), QStringList{"next_step_selected unsure other null"});
}

TEST_F(AuditFlowScreens, TheWelcomeScreenAsksTheGoalAndOpensTheCheck) {
    ProductConfig asking = ProductConfig::current();
    asking.goalPrompt = GoalPrompt{"What brings you here?",
                                   "Pick one.",
                                   "welcome",
                                   5,
                                   {GoalOption{"school", "For school", QString("Which course?")},
                                    GoalOption{"explore", "Just exploring", std::nullopt}}};
    CurrentEdition scoped(asking);
    auto* welcome = new WelcomeView(ProductConfig::current(), *telemetry);
    host(welcome, "welcome-goal");
    EXPECT_EQ(window->findChild<QPushButton*>("welcome-diagnose-button"), nullptr);
    GoalPromptView* goal = welcome->goalPrompt();
    ASSERT_NE(goal, nullptr);
    EXPECT_FALSE(goal->continueButton()->isEnabled());
    EXPECT_FALSE(goal->detailField()->isVisible());

    clickAsAPerson(window->findChild<QAbstractButton*>("goal-option-school"));
    ASSERT_TRUE(goal->detailField()->isVisible());
    EXPECT_EQ(goal->detailField()->placeholderText(), "Which course?");
    EXPECT_TRUE(announcesShownTexts(window.get()));
    goal->detailField()->insert("abcdefg"); // a paste
    EXPECT_EQ(goal->detailField()->text(), "abcde");
    window->activateWindow();
    ASSERT_TRUE(waitForWindowActive(window.get()));
    QTest::mouseClick(goal->detailField(), Qt::LeftButton);
    ASSERT_TRUE(goal->detailField()->hasFocus());
    auto* explore = window->findChild<QAbstractButton*>("goal-option-explore");
    QTest::mouseClick(explore, Qt::LeftButton, {}, QPoint(explore->width() - 3, explore->height() / 2));
    EXPECT_FALSE(goal->detailField()->isVisible());
    EXPECT_EQ(goal->detailField()->text(), "");
    // The hidden field leaves the focus on no control: Space there presses nothing.
    settle();
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(navigation->path().isEmpty());
    clickAsAPerson(window->findChild<QAbstractButton*>("goal-option-school"));
    goal->detailField()->setText("a\tb");
    QTest::mouseClick(goal->continueButton(), Qt::LeftButton);

    EXPECT_EQ(navigation->selectedGoal(), "school");
    EXPECT_EQ(navigation->path(), QList<Screen>{Screen::diagnose()});
    const QList<ReceivedEvent> events = settledEvents(1);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, "goal_selected");
    EXPECT_EQ(events[0].data.value("detail").toString(), "ab");
}

TEST_F(AuditFlowScreens, OffersWithoutACatalogueEntryShowTheirFixedTextsAndSendNothing) {
    auto* content = new ContentOfferView("x", navigation, *telemetry);
    host(content, "offer-content-fallback");
    EXPECT_EQ(labels(content).mid(0, 2), (QStringList{"You're all set", "Java is set up and verified."}));
    EXPECT_EQ(content->findChildren<QPushButton*>().size(), 1);
    navigation->setPath({Screen::contentOffer("x")});
    QTest::mouseClick(content->findChild<QPushButton*>("offer-x-dismiss"), Qt::LeftButton);
    EXPECT_TRUE(navigation->path().isEmpty());

    auto* help = new GuidedHelpOfferView(navigation, *telemetry);
    host(help, "offer-guided-help-fallback");
    QTest::mouseClick(help->findChild<QPushButton*>("offer-guided_help_plan-primary"), Qt::LeftButton);
    settle();
    EXPECT_NE(help->findChild<QWidget*>("offer-guided_help_plan-unavailable"), nullptr);
    EXPECT_EQ(help->findChild<QPushButton*>("offer-guided_help_plan-primary"), nullptr);
    saveScreenshot(help, "offer-guided-help-notice");
    navigation->setPath({Screen::guidedHelpOffer()});
    click(help, "Done — back to home");
    EXPECT_TRUE(navigation->path().isEmpty());

    auto* ai = new AICodingInterestView(navigation, *telemetry);
    host(ai, "offer-ai-coding-fallback");
    EXPECT_EQ(labels(ai).mid(0, 2), (QStringList{"Build with AI?", "We can help you set that up."}));
    EXPECT_EQ(ai->findChildren<QPushButton*>().size(), 1);
    EXPECT_TRUE(settledEvents().isEmpty());
}

TEST_F(AuditFlowScreens, ACatalogueOfferReportsItsShowingAndTheChoice) {
    ProductConfig offering = ProductConfig::current();
    offering.offerCatalog.insert("ai_coding_setup",
                                 offerSpec("ai_coding_setup", QUrl("https://example.com/ai")));
    offering.offerCatalog.insert("local", offerSpec("local", QUrl("file:///Applications/Calculator.app")));
    CurrentEdition scoped(offering);

    auto* ai = new AICodingInterestView(navigation, *telemetry);
    host(ai, "offer-ai-coding");
    ai->hide();
    ai->show(); // on screen again: shown once
    navigation->setPath({Screen::aiCodingOffer()});
    QTest::mouseClick(ai->findChild<QPushButton*>("offer-ai_coding_setup-primary"), Qt::LeftButton);
    EXPECT_EQ(desktop->openedURLs, QList<QUrl>{QUrl("https://example.com/ai")});
    EXPECT_TRUE(navigation->path().isEmpty());

    // Only web addresses are handed to the desktop.
    auto* local = new ContentOfferView("local", navigation, *telemetry);
    host(local, "offer-content-local");
    QTest::mouseClick(local->findChild<QPushButton*>("offer-local-primary"), Qt::LeftButton);
    EXPECT_EQ(desktop->openedURLs.size(), 1);

    // The guided help records interest, shows its notice, and goes home without another event.
    offering.offerCatalog.insert("guided_help_plan", offerSpec("guided_help_plan", std::nullopt));
    CurrentEdition helping(offering);
    navigation->setSelectedNextStep("other");
    auto* help = new GuidedHelpOfferView(navigation, *telemetry);
    host(help, "offer-guided-help");
    click(help, "Take the course");
    settle();
    click(help, "Done — back to home");

    EXPECT_EQ(
        journal(6),
        (QStringList{"offer_shown ai_coding_setup null null",
                     "offer_action ai_coding_setup selected interest null", "offer_shown local null null",
                     "offer_action local selected null null", "offer_shown guided_help_plan other null",
                     "offer_action guided_help_plan selected interest_no_fulfillment other"}));
}

TEST_F(AuditFlowScreens, FromTheNextStepQuestionThroughTheAuditToAnOffer) {
    IsolatedUserDefaults defaults;
    LiveKeyValueStore().set(true, ConsentView::consentKey());
    markFeedbackSubmitted();
    ProductConfig edition = ProductConfig::current();
    edition.nextStepPrompt =
        NextStepPrompt{"What next?",
                       "Choose one.",
                       "after_java",
                       {NextStepOption{"build_software", "Build software", Outcome::ready,
                                       OfferRoute::audit(OfferRoute::content("starter"))}}};
    edition.offerCatalog.insert("starter", offerSpec("starter", QUrl("https://example.com/start")));
    CurrentEdition scoped(edition);

    QLANRootView root(mac.services(), *telemetry);
    DesktopActions::install(&root, desktop);
    show(&root, "journey-root");
    ASSERT_TRUE(endpoint.waitForEvents(1)); // the launch: the start-up profile is held
    root.navigation()->push(Screen::nextStep());
    QWidget* page = root.navigationStack()->currentPage();
    clickAsAPerson(page->findChild<QAbstractButton*>("next-step-option-build_software"));
    QTest::mouseClick(page->findChild<QPushButton*>("next-step-continue"), Qt::LeftButton);

    auto* flow = qobject_cast<StagedAuditFlow*>(root.navigationStack()->currentPage());
    ASSERT_NE(flow, nullptr);
    // The sandboxed Mac has nothing: the foundations, then the terminal, then the report.
    ASSERT_NE(qobject_cast<Stage1View*>(flow->currentScreen()), nullptr);
    // The screen's own probe has ended before the stage is left.
    ASSERT_TRUE(waitUntil([&] { return endpoint.eventNames().contains("audit_reached"); }));
    click(flow->currentScreen(), "Continue");
    ASSERT_NE(qobject_cast<Stage2View*>(flow->currentScreen()), nullptr);
    QTest::mouseClick(flow->currentScreen()->findChild<QPushButton*>("audit-stage-skip"), Qt::LeftButton);
    ASSERT_NE(qobject_cast<FinalAuditReport*>(flow->currentScreen()), nullptr);
    click(flow->currentScreen(), "Done — back to home");

    auto* offer = qobject_cast<ContentOfferView*>(root.navigationStack()->currentPage());
    ASSERT_NE(offer, nullptr);
    QTest::mouseClick(offer->findChild<QPushButton*>("offer-starter-primary"), Qt::LeftButton);
    EXPECT_TRUE(root.navigation()->path().isEmpty());
    EXPECT_EQ(desktop->openedURLs, QList<QUrl>{QUrl("https://example.com/start")});

    const QStringList journey{"next_step_selected ready build_software null",
                              "audit_stage_outcome stage_1_foundations rendered",
                              "audit_reached next_step_build_software",
                              "audit_stage_outcome stage_2_terminal rendered",
                              "audit_stage_skipped_by_user stage_2_terminal",
                              "offer_shown starter build_software null",
                              "offer_action starter selected null build_software"};
    // The events are delivered one after another, each once the one before it has been stored: the last
    // ones may still be on their way, so every one of them is waited for, the launch's included.
    QStringList names = journal(journey.size() + 1);
    names.removeAll("app_launched");
    EXPECT_EQ(names, journey);
}
