// The root view: consent gate, start-up task, navigation stack and router; the entry, and how its run ends.

#include "AppShellFixture.h"

#include "platform/LiveKeyValueStore.h"
#include "platform/ServiceContext.h"
#include "support/AccessibleNames.h"
#include "support/ForwardingFileSystem.h"
#include "support/PlaceholderView.h"
#include "support/ProcessChecks.h"
#include "support/ProcessEnd.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "telemetry/SessionID.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/appshell/QuillaneBrewApp.h"
#include "ui/appshell/WelcomeView.h"
#include "ui/audit/NextStepView.h"
#include "ui/audit/OfferViews.h"
#include "ui/audit/StagedAuditFlow.h"
#include "ui/diagnose/DiagnoseView.h"
#include "ui/progress/RemediationSheet.h"
#include "ui/progress/StreamingRemediationView.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/setup/SetupWorkflowView.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/TextLabel.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <iostream>

using namespace qlan;
using namespace qlan::test;

namespace {

// The visible texts of the labels below `widget`.
QStringList visibleTexts(const QWidget* widget) {
    QStringList texts;
    for (const QLabel* label : widget->findChildren<QLabel*>())
        if (label->isVisible()) texts.append(label->text());
    return texts;
}

bool isShown(const QWidget* root, const char* identifier) {
    const auto* widget = root->findChild<QWidget*>(QString::fromLatin1(identifier));
    return widget && widget->isVisible();
}

const QStringList kLaunchKeys{"macos_major", "macos_minor", "arch",     "shell",    "has_homebrew",
                              "has_sdkman",  "has_mise",    "has_jenv", "has_asdf", "has_xcode_clt"};

} // namespace

class QLANRootViewTest : public AppShellTest {};

TEST_F(QLANRootViewTest, FirstLaunchAsksForConsentThenProbesOnceAndSendsTheLaunchEvent) {
    sandbox_.writeStub(QStringLiteral("/opt/homebrew/bin/brew"));
    sandbox_.writeFile(QStringLiteral("/Users/tester/.sdkman/bin/sdkman-init.sh"), "# init\n");
    // An earlier run left an event in the queue file.
    const AppServices services = sandbox_.services();
    const QString queue =
        TelemetryService::pendingFileURL(*services.fs, ProductConfig::current().appSupportDirName);
    services.fs->createDirectory(QFileInfo(queue).absolutePath(), true);
    services.fs->writeData(R"([{"sessionID":"0F8FAD5B-D9CB-469F-A165-70867728950E","clientTimestamp":"t",)"
                           R"("appVersion":"1.0","eventName":"left_over","eventData":{}}])",
                           queue);
    const QString sessionKey = SessionID::key(ProductConfig::current().userDefaultsPrefix);
    auto telemetry = makeTelemetry();
    QLANRootView root(services, *telemetry);
    DesktopActions::install(&root, desktop_);
    showActive(&root);
    saveScreenshot(&root, QStringLiteral("consent"));

    // Only the consent page: nothing probed, nothing sent, not even the earlier run's queue, and no
    // session identifier made.
    EXPECT_FALSE(root.hasConsented());
    EXPECT_TRUE(isShown(&root, "consent-continue"));
    EXPECT_EQ(root.findChild<QWidget*>(QStringLiteral("welcome-diagnose-button")), nullptr);
    EXPECT_EQ(root.navigationStack(), nullptr);
    settle(300);
    ASSERT_TRUE(telemetry->waitForQueuedOperations(patienceMs));
    EXPECT_TRUE(sandbox_.calls(QStringLiteral("/usr/bin/uname")).isEmpty());
    EXPECT_TRUE(server_.requests().isEmpty());
    EXPECT_FALSE(services.store->string(sessionKey));
    EXPECT_TRUE(services.fs->fileExists(queue));
    EXPECT_FALSE(root.profile());

    // Return acts as "Continue", also with the privacy link focused; a second Return at once (a key
    // repeat) records nothing more.
    root.findChild<QWidget*>(QStringLiteral("consent-privacy-link"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(&root, Qt::Key_Return);
    QTest::keyClick(&root, Qt::Key_Return);
    EXPECT_TRUE(LiveKeyValueStore().boolValue(consentKey()));
    EXPECT_TRUE(root.hasConsented());
    EXPECT_TRUE(desktop_->openedURLs.isEmpty());
    settle();
    EXPECT_EQ(root.findChild<QWidget*>(QStringLiteral("consent-continue")), nullptr);
    ASSERT_NE(root.navigationStack(), nullptr);
    EXPECT_TRUE(isShown(&root, "welcome-diagnose-button"));
    EXPECT_THAT(visibleTexts(&root), testing::IsSupersetOf({QStringLiteral("Set up Homebrew on your Mac")}));
    EXPECT_EQ(root.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button"))->text(),
              QStringLiteral("Check my setup"));

    // The first event starts the service: the earlier run's event goes first.
    ASSERT_TRUE(waitForEvents(3));
    saveScreenshot(&root, QStringLiteral("welcome"));
    EXPECT_TRUE(services.store->string(sessionKey));
    QList<ReceivedEvent> events = receivedEvents();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events.takeFirst().name, QStringLiteral("left_over"));
    EXPECT_EQ(events[0].name, QStringLiteral("consent_given"));
    EXPECT_TRUE(events[0].data.isEmpty());
    EXPECT_EQ(events[1].name, QStringLiteral("app_launched"));
    EXPECT_THAT(events[1].data.keys(), testing::UnorderedElementsAreArray(kLaunchKeys));
    EXPECT_EQ(events[1].data.value(QStringLiteral("arch")).toString(), QStringLiteral("arm64"));
    EXPECT_TRUE(events[1].data.value(QStringLiteral("has_homebrew")).toBool());
    EXPECT_TRUE(events[1].data.value(QStringLiteral("has_sdkman")).toBool());
    EXPECT_TRUE(events[1].data.value(QStringLiteral("has_xcode_clt")).toBool());
    EXPECT_FALSE(events[1].data.value(QStringLiteral("has_jenv")).toBool());
    EXPECT_TRUE(events[1].data.value(QStringLiteral("macos_major")).isDouble());

    // The profile is held and offered to every screen; the Mac was probed once.
    ASSERT_TRUE(root.profile());
    EXPECT_EQ(root.profile()->architecture, Architecture::appleSilicon);
    EXPECT_EQ(ServiceContext::systemProfile(root.navigationStack()->currentPage()), root.profile());
    EXPECT_EQ(ServiceContext::services(root.navigationStack()->currentPage()), sandbox_.services());
    settle(300);
    EXPECT_EQ(sandbox_.calls(QStringLiteral("/usr/bin/uname")).size(), 1);
    EXPECT_EQ(receivedEvents().size(), 3);
}

TEST_F(QLANRootViewTest, LaterLaunchOpensOnTheWelcomeScreen) {
    LiveKeyValueStore().set(true, consentKey());
    auto telemetry = makeTelemetry();
    QLANRootView root(sandbox_.services(), *telemetry);
    EXPECT_TRUE(root.hasConsented());
    EXPECT_EQ(root.consentView(), nullptr);
    showActive(&root);
    EXPECT_TRUE(isShown(&root, "welcome-diagnose-button"));
    EXPECT_EQ(root.findChild<QWidget*>(QStringLiteral("consent-continue")), nullptr);

    ASSERT_TRUE(waitForEvents(1));
    settle(300);
    const QList<ReceivedEvent> events = receivedEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, QStringLiteral("app_launched"));
    EXPECT_EQ(events[0].data.size(), 10);
    EXPECT_EQ(sandbox_.calls(QStringLiteral("/usr/bin/uname")).size(), 1);

    // Showing the window again (after hiding it) runs the start-up task no second time.
    root.hide();
    showActive(&root);
    settle(300);
    EXPECT_EQ(receivedEvents().size(), 1);
    EXPECT_EQ(sandbox_.calls(QStringLiteral("/usr/bin/uname")).size(), 1);
}

TEST_F(QLANRootViewTest, FixtureModeSendsAnEmptyLaunchEventAndProbesNothing) {
    LiveKeyValueStore().set(true, consentKey());
    const AppServices fixture = fixtureServices();
    auto telemetry = makeTelemetry();
    QLANRootView root(fixture, *telemetry);
    showActive(&root);

    ASSERT_TRUE(waitForEvents(1));
    settle(300);
    const QList<ReceivedEvent> events = receivedEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].name, QStringLiteral("app_launched"));
    EXPECT_TRUE(events[0].data.isEmpty());
    EXPECT_TRUE(sandbox_.calls(QStringLiteral("/usr/bin/uname")).isEmpty());
    EXPECT_TRUE(sandbox_.calls(QStringLiteral("/usr/bin/xcode-select")).isEmpty());
    EXPECT_FALSE(root.profile());
}

TEST_F(QLANRootViewTest, ConsentIsKeptWhenTelemetryIsOff) {
    auto telemetry = makeTelemetry(/*disabled=*/true);
    bool continued = false;
    ConsentView consent([&] { continued = true; }, *telemetry);
    showActive(&consent);
    QTest::mouseClick(consent.findChild<QPushButton*>(QStringLiteral("consent-continue")), Qt::LeftButton);
    EXPECT_TRUE(continued);
    EXPECT_TRUE(LiveKeyValueStore().boolValue(consentKey()));
    ASSERT_TRUE(telemetry->waitForQueuedOperations(patienceMs));
    settle(200);
    EXPECT_TRUE(server_.requests().isEmpty());
}

TEST_F(QLANRootViewTest, TheStackFollowsThePathAndTheRouterBuildsEveryDestination) {
    LiveKeyValueStore().set(true, consentKey());
    const AppServices fixture = fixtureServices();
    auto telemetry = makeTelemetry(/*disabled=*/true);
    QLANRootView root(fixture, *telemetry);
    showActive(&root);
    NavigationStackView* stack = root.navigationStack();
    AppNavigation* navigation = root.navigation();
    auto* back = root.findChild<QToolButton*>(QStringLiteral("navigation-back"));
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->isVisible());

    // The welcome button pushes the guided setup in this edition.
    QTest::mouseClick(root.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button")),
                      Qt::LeftButton);
    EXPECT_EQ(navigation->path(), QList<Screen>{Screen::setupWorkflow()});
    auto* setup = qobject_cast<SetupWorkflowView*>(stack->currentPage());
    ASSERT_NE(setup, nullptr);
    EXPECT_TRUE(setup->isVisible());
    EXPECT_TRUE(back->isVisible());
    saveScreenshot(&root, QStringLiteral("setup-workflow-loading"));

    // Pages of an unchanged prefix stay; the back control removes the last entry.
    const AuditContext context{AuditEntry::nextStepBuildSoftware, CompletionSurface::excluded(),
                               QLANAuditContext{QStringLiteral("build_software"), std::nullopt,
                                                OfferRoute::content(QStringLiteral("starter"))}};
    navigation->push(Screen::audit(context));
    EXPECT_EQ(stack->pushedPages().first(), setup);
    auto* audit = qobject_cast<StagedAuditFlow*>(stack->currentPage());
    ASSERT_NE(audit, nullptr);
    EXPECT_EQ(audit->model()->context(), context);
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(navigation->path(), QList<Screen>{Screen::setupWorkflow()});
    EXPECT_EQ(stack->currentPage(), setup);

    using Pair = std::pair<QString, QString>;
    navigation->setPath({Screen::diagnose()});
    EXPECT_NE(qobject_cast<DiagnoseView*>(stack->currentPage()), nullptr);
    const auto offerOf = [&](const Screen& screen) {
        navigation->setPath({screen});
        auto* page = qobject_cast<OfferView*>(stack->currentPage());
        return page ? Pair(QString::fromLatin1(page->metaObject()->className()), page->model().offerID())
                    : Pair();
    };
    using Offer = Pair;
    EXPECT_EQ(offerOf(Screen::contentOffer(QStringLiteral("course_offer"))),
              Offer("qlan::ContentOfferView", QStringLiteral("course_offer")));
    EXPECT_EQ(offerOf(Screen::guidedHelpOffer()),
              Offer("qlan::GuidedHelpOfferView", QStringLiteral("guided_help_plan")));
    EXPECT_EQ(offerOf(Screen::aiCodingOffer()),
              Offer("qlan::AICodingInterestView", QStringLiteral("ai_coding_setup")));
    // This edition asks no next-step question: an empty page with the back control.
    navigation->setPath({Screen::nextStep()});
    EXPECT_EQ(qobject_cast<PlaceholderView*>(stack->currentPage()), nullptr);
    EXPECT_TRUE(visibleTexts(stack->currentPage()).isEmpty());
    EXPECT_TRUE(back->isVisible());

    // Home from any depth: the welcome screen, the goal kept.
    navigation->setSelectedGoal(QStringLiteral("learn"));
    navigation->setPath({Screen::setupWorkflow(), Screen::diagnose(), Screen::aiCodingOffer()});
    EXPECT_EQ(stack->pushedPages().size(), 3);
    navigation->setPath({});
    settle();
    EXPECT_TRUE(navigation->path().isEmpty());
    EXPECT_EQ(navigation->selectedGoal(), QStringLiteral("learn"));
    EXPECT_EQ(stack->currentPage(), stack->rootPage());
    EXPECT_TRUE(stack->pushedPages().isEmpty());
    EXPECT_TRUE(isShown(&root, "welcome-diagnose-button"));
    EXPECT_FALSE(back->isVisible());
    EXPECT_EQ(root.findChildren<PlaceholderView*>().size(), 0);
    EXPECT_EQ(root.findChild<QWidget*>(QStringLiteral("consent-continue")), nullptr);

    // The edition is read when the destination is built: with a next-step question, its screen.
    ProductConfig asking = ProductConfig::current();
    asking.nextStepPrompt =
        NextStepPrompt{QStringLiteral("What next?"), QString(), QStringLiteral("after_setup"), {}};
    CurrentEdition scoped(asking);
    navigation->setPath({Screen::nextStep()});
    EXPECT_NE(qobject_cast<NextStepView*>(stack->currentPage()), nullptr);
}

// Each screen pushed while the focus is on the screen below (its button pressed from the keyboard), and Back
// pressed by Space: a screen reader hears the window once, under the title of the screen shown, as the
// screen switches; once the turn has settled, at most where the focus stands (or the window again, as a
// screen inside the one pushed takes the place of another); never the first control or the pane of the
// screen that comes in on the way.
TEST_F(QLANRootViewTest, APushFromTheKeyboardTellsNoControlOnTheWay) {
    LiveKeyValueStore().set(true, consentKey());
    auto telemetry = makeTelemetry(/*disabled=*/true);
    QLANRootView root(fixtureServices(), *telemetry);
    showActive(&root);
    AppNavigation* navigation = root.navigation();
    const auto switchHeardOnce = [&root](const std::function<void()>& act) {
        const QList<Told> told = heardWhile(act).focus;
        EXPECT_EQ(told, (QList<Told>{{&root, root.windowTitle()}}));
        const QList<Told> settled = heardWhile([] { ASSERT_TRUE(waitForQueuedCalls()); }).focus;
        for (const Told& each : settled)
            EXPECT_TRUE(each.widget == &root || each.widget == QApplication::focusWidget())
                << ::testing::PrintToString(settled);
    };
    const AuditContext audit{AuditEntry::nextStepBuildSoftware, CompletionSurface::excluded(), std::nullopt};
    for (const Screen& screen : {Screen::setupWorkflow(), Screen::diagnose(), Screen::audit(audit),
                                 Screen::contentOffer(QStringLiteral("course_offer")),
                                 Screen::guidedHelpOffer(), Screen::aiCodingOffer()}) {
        SCOPED_TRACE(::testing::PrintToString(screen.kind()));
        navigation->setPath({});
        settle();
        auto* welcome = root.findChild<QPushButton*>(QStringLiteral("welcome-diagnose-button"));
        welcome->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(welcome->hasFocus());
        switchHeardOnce([&] {
            if (screen == Screen::setupWorkflow())
                QTest::keyClick(welcome, Qt::Key_Space);
            else
                navigation->push(screen);
        });
        EXPECT_EQ(navigation->path(), QList<Screen>{screen});
        QAbstractButton* back = root.navigationStack()->backButton();
        back->setFocus(Qt::TabFocusReason);
        switchHeardOnce([&] { QTest::keyClick(back, Qt::Key_Space); });
        EXPECT_TRUE(navigation->path().isEmpty());
    }

    // Back by Space from the third screen to the second, where the Back control stays: heard the same, the
    // window holds the focus, and the next Tab goes to Back first.
    navigation->setPath({Screen::diagnose(), Screen::audit(audit)});
    QAbstractButton* back = root.navigationStack()->backButton();
    back->setFocus(Qt::TabFocusReason);
    switchHeardOnce([&] { QTest::keyClick(back, Qt::Key_Space); });
    EXPECT_EQ(navigation->path(), QList<Screen>{Screen::diagnose()});
    EXPECT_EQ(root.focusWidget(), &root);
    QTest::keyClick(&root, Qt::Key_Tab);
    EXPECT_EQ(root.focusWidget(), back);
}

TEST_F(QLANRootViewTest, TheEntryMakesTheHomebrewEditionCurrentAndSizesTheWindow) {
    CurrentEdition javaFirst(ProductConfig::javaEdition());
    EXPECT_EQ(ProductConfig::current().flow, SetupFlow::diagnose);
    QuillaneBrewApp app;
    EXPECT_EQ(ProductConfig::current().appID, QStringLiteral("qlan-brew"));
    EXPECT_EQ(ProductConfig::current().flow, SetupFlow::setupWorkflow);
    EXPECT_EQ(ProductConfig::current().userDefaultsPrefix,
              ProductConfig::homebrewEdition().userDefaultsPrefix);

    auto window = app.makeWindow();
    EXPECT_EQ(window->size(), QSize(720, 720));
    EXPECT_EQ(window->minimumSize(), QSize(720, 700));
    window->show();
    window->resize(500, 400);
    EXPECT_GE(window->width(), 720);
    EXPECT_GE(window->height(), 700);
    window->resize(1000, 900);
    EXPECT_EQ(window->size(), QSize(1000, 900));
}

// A quit while a proxy question is inside the system's answerer: before the process ends at once with the
// event loop's status, the window goes, a job running in it ends as a close ends it (its children gone, by
// SIGKILL once the grace has passed for those deaf to SIGTERM), and a usage event tracked in the turn of
// the quit is in the queue file, also when that file is written only once the window has gone.
TEST(QuillaneBrewApp, AQuitWhileTheSystemIsAskedForAProxyEndsTheJobsAndKeepsTheEvents) {
    for (const char* how : {"a job runs", "no job runs"}) {
        SCOPED_TRACE(how);
        const QTemporaryDir temporary; // the child's sandbox among what it leaves there
        const ChildRun child = runEndingChild(QStringLiteral("QuillaneBrewAppChildProgram.QuitWhileAsked"),
                                              {{"QLAN_QUIT_WHILE_ASKED", how}}, temporary);
        EXPECT_TRUE(endedCleanly(child, {3}));
        QMap<QString, QString> told; // "pids" and "queue", each a line of the child's
        for (const QString& line : QString::fromUtf8(child.output).split(u'\n')) {
            const qsizetype space = line.indexOf(u' ');
            if (space > 0) told.insert(line.left(space), line.mid(space + 1));
        }
        if (QLatin1String(how) == QLatin1String("a job runs")) {
            pid_t shell = 0, sleeper = 0;
            ASSERT_TRUE(readChildAndGrandchild(told.value("pids"), &shell, &sleeper))
                << child.output.toStdString();
            EXPECT_TRUE(waitUntil([&] { return dead(shell) && dead(sleeper); })) << shell << " " << sleeper;
        }
        QFile queue(told.value("queue"));
        EXPECT_TRUE(queue.open(QIODevice::ReadOnly)) << queue.fileName().toStdString();
        EXPECT_TRUE(queue.readAll().contains("\"quit_while_asked\""));
    }
}

class QuillaneBrewAppChildProgram : public AppShellTest {};

// Writes files only once the window is gone, so that the end has to wait for the queue file's write.
class WritesAfterTheWindow : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    void writeData(const QByteArray& data, const QString& path) override {
        windowGone.wait(false);
        ForwardingFileSystem::writeData(data, path);
    }
    static inline std::atomic<bool> windowGone = false;
};

// Run as a child program by the test above: perhaps a cask install runs in a sheet over the window (its
// brew started a child of its own and waits for it, both deaf to SIGTERM); a proxy question is held inside
// the answerer, an event is tracked in the turn that ends the event loop with 3, and the run ends as the
// entry ends it.
TEST_F(QuillaneBrewAppChildProgram, QuitWhileAsked) {
    const QString how = qEnvironmentVariable("QLAN_QUIT_WHILE_ASKED");
    if (how.isEmpty()) GTEST_SKIP() << "runs only as a child program";
    server_.route(kUsageEventsPath, LoopbackResponse{.status = 503}); // the events stay queued
    AppServices services = sandbox_.services();
    services.fs = std::make_shared<WritesAfterTheWindow>(services.fs);
    TelemetryService telemetry(loopbackTelemetryConfiguration(services, server_));
    auto window = std::make_unique<QLANRootView>(fixtureServices(), telemetry);
    QObject::connect(window.get(), &QObject::destroyed, [] {
        WritesAfterTheWindow::windowGone = true;
        WritesAfterTheWindow::windowGone.notify_all();
    });
    ASSERT_NO_FATAL_FAILURE(showActive(window.get()));
    if (how == QLatin1String("a job runs")) {
        sandbox_.writeStub(
            QStringLiteral("/opt/homebrew/bin/brew"),
            StubSpec().withScript(QStringLiteral("trap '' TERM; ") + childAndGrandchildCommand));
        auto* sheet = new RemediationSheet(
            Remediation::installWarpViaBrew(QStringLiteral("warp")), [](const RemediationOutcome&) {},
            telemetry, window.get());
        sheet->open();
        const StreamingRemediationModel* job = sheet->view()->streamingView()->model();
        ASSERT_TRUE(waitUntil([&] { return !job->lines().isEmpty(); }));
        std::cout << "pids " << job->lines().first().toStdString() << "\n";
    }
    // Not flushed: the end flushes it.
    std::cout << "queue " << telemetry.pendingFile().toStdString() << "\nending\n";
    askAndHold(fetcherWithAHoldingAnswerer());
    QTimer::singleShot(0, [&] {
        telemetry.track(QStringLiteral("quit_while_asked"));
        QCoreApplication::exit(3);
    });
    const int status = QApplication::exec();
    QuillaneBrewApp::endRun(std::move(window), status);
    ADD_FAILURE() << "the run went on";
}
