// The diagnose screen over a sandboxed Mac: the state switch, the fix sheet and every way out of it,
// leaving for the audit, coming back without a second probe, a screen popped mid-probe, and the whole
// road from the welcome screen through an install and JAVA_HOME to the audit.

#include "ui/diagnose/DiagnoseView.h"
#include "DiagnoseUiFixture.h"
#include "appshell/AppNavigation.h"
#include "engine/remediation/FaultyFileSystem.h"
#include "platform/LiveKeyValueStore.h"
#include "support/AccessibleNames.h"
#include "support/Gate.h"
#include "support/KeyboardWalk.h"
#include "support/PlaceholderView.h"
#include "support/ScreenCapture.h"
#include "ui/appshell/ConsentView.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/audit/StagedAuditFlow.h"
#include "ui/diagnose/DiagnoseStatusScreens.h"
#include "ui/diagnose/DiagnosisDetailView.h"
#include "ui/diagnose/VerifyScreens.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/progress/ZprofileDiffSheet.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/TextLabel.h"

#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <chrono>

using namespace qlan;
using namespace qlan::test;
using namespace std::chrono_literals;

namespace {

using VM = DiagnoseViewModel;

const JDKInfo kZulu8 = jdkAt("1.8.0_392", "zulu-8.jdk");
const JDKInfo kTemurin25 = jdkAt("25.0.1", "temurin-25.jdk");

Screen audit(CompletionSurface surface) {
    return Screen::audit(AuditContext{AuditEntry::heuristic, surface, std::nullopt});
}

class DiagnoseViewTest : public DiagnoseUiTest {
protected:
    DiagnoseViewTest() {
        writeJavaHomeStub(mac_, {});
        writeLoginShell(mac_, {});
        window_.resize(760, 720);
        new QVBoxLayout(&window_);
        window_.layout()->setContentsMargins(0, 0, 0, 0);
        DesktopActions::install(&window_, desktop_);
    }

    // A stack over the window's navigation whose diagnose destination is the real screen.
    NavigationStackView* showStack() {
        auto* stack =
            new NavigationStackView(navigation_, new QWidget, [this](const Screen& screen) -> QWidget* {
                if (screen.kind() == Screen::Kind::diagnose)
                    return new DiagnoseView(services_, ProductConfig::current(), *telemetry_);
                if (const AuditContext* context = screen.auditContext())
                    return new PlaceholderView("StagedAuditFlow", {}, *context);
                return new QWidget;
            });
        window_.layout()->addWidget(stack);
        window_.show();
        return stack;
    }
    DiagnoseView* diagnoseView(NavigationStackView* stack) const {
        return stack->pushedPages().isEmpty() ? nullptr
                                              : qobject_cast<DiagnoseView*>(stack->pushedPages().first());
    }
    template <typename T> static T* waitForScreen(DiagnoseView* view) {
        waitUntil([&] { return qobject_cast<T*>(view->currentScreen()) != nullptr; });
        return qobject_cast<T*>(view->currentScreen());
    }
    static void finishSheet(DiagnoseView* view, const RemediationOutcome& outcome) {
        ASSERT_NE(view->sheet(), nullptr);
        view->flow()->onRemediationFinished(outcome); // what the sheet reports at its end
    }

    // The sandbox's files, whose reads a test can hold.
    std::shared_ptr<FaultyFileSystem> files_ = std::make_shared<FaultyFileSystem>(mac_.services().fs);
    AppServices services_ = [this] {
        AppServices services = mac_.services();
        services.fs = files_;
        return services;
    }();
    QWidget window_;
    AppNavigation* navigation_ = new AppNavigation(&window_);
};

} // namespace

TEST_F(DiagnoseViewTest, TheFixSheetAndEveryWayBackFromIt) {
    NavigationStackView* stack = showStack();
    navigation_->push(Screen::diagnose());
    DiagnoseView* view = diagnoseView(stack);
    ASSERT_NE(view, nullptr);
    EXPECT_NE(qobject_cast<ProgressScaffold*>(view->currentScreen()), nullptr);
    ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);
    saveScreenshot(&window_, "diagnose-d1");

    // Install: the sheet over the diagnosis, which stays behind it and does nothing.
    const Remediation install = Remediation::installViaPKG(25);
    click(view, "diagnosis-d1-install-chosen");
    ASSERT_NE(view->sheet(), nullptr);
    EXPECT_TRUE(view->sheet()->isVisible());
    EXPECT_GE(view->sheet()->minimumWidth(), 560);
    EXPECT_EQ(view->flow()->state(), VM::State(VM::Remediating{install}));
    auto* behind = qobject_cast<DiagnosisDetailView*>(view->currentScreen());
    ASSERT_NE(behind, nullptr);
    QTest::mouseClick(behind->findChild<QPushButton*>("diagnosis-d1-install-chosen"), Qt::LeftButton);
    EXPECT_EQ(view->flow()->state(), VM::State(VM::Remediating{install}));
    saveScreenshot(view->sheet(), "diagnose-sheet");

    // Escape, and the window's close control, are a cancel: the diagnosis with the same fix again.
    QTest::keyClick(view->sheet(), Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return view->sheet() == nullptr; }));
    EXPECT_EQ(view->flow()->state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), install, std::nullopt}));
    click(view, "diagnosis-d1-install-chosen");
    view->sheet()->close();
    ASSERT_TRUE(waitUntil([&] { return view->sheet() == nullptr; }));
    EXPECT_EQ(view->flow()->state(), VM::State(VM::Diagnosed{Diagnosis::noJDK(), install, std::nullopt}));

    // A failed install: the error screen with the sheet's message, Back to the diagnosis.
    click(view, "diagnosis-d1-install-chosen");
    const QString failure =
        "Install failed (exit code 1). The article at [Pellinor](https://example.test/t) may help.";
    finishSheet(view, RemediationOutcome::failure(failure));
    auto* error = waitForScreen<ErrorScaffold>(view);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->scaffold()->explanation()->text(), failure);
    QTest::mouseClick(error->button(), Qt::LeftButton);
    ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);

    // Homebrew needs no Java check: "Done" with the sheet's message, then on to the audit.
    view->flow()->onRemediate(Remediation::installHomebrew());
    finishSheet(view, RemediationOutcome::success("Homebrew installed."));
    auto* done = waitForScreen<CompletedScaffold>(view);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->scaffold()->explanation()->text(), "Homebrew installed.");
    EXPECT_TRUE(mac_.calls("/bin/zsh").size() == 1); // the probe's JAVA_HOME question only: no check ran
    QTest::mouseClick(done->button(), Qt::LeftButton);
    EXPECT_EQ(
        navigation_->path(),
        (QList<Screen>{Screen::diagnose(), audit(CompletionSurface::prompt(BuildIntentSurface::postFix))}));

    // Coming back shows the same screen without a second probe.
    stack->goBack();
    EXPECT_EQ(diagnoseView(stack), view);
    EXPECT_NE(qobject_cast<CompletedScaffold*>(view->currentScreen()), nullptr);
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(mac_.calls("/usr/libexec/java_home").size(), 1);

    // Every event of the walk, not only the first few: a slow delivery must not cut the count short.
    QStringList names = settledNames(17);
    EXPECT_EQ(names.count("remediation_applied"), 4);
    EXPECT_EQ(names.count("remediation_canceled"), 2);
    EXPECT_EQ(names.count("remediation_failed"), 2);
    EXPECT_EQ(names.count("chooser_shown"), 8);
    EXPECT_EQ(names.count("diagnosis_reached"), 1);
}

TEST_F(DiagnoseViewTest, AnUnknownStateLeavesWithoutAPromptAndAScreenPoppedMidProbeDoesNothing) {
    // Folders in JavaVirtualMachines that java_home does not list: the diagnosis fails.
    mac_.makeDirectory("/Library/Java/JavaVirtualMachines/broken.jdk");
    NavigationStackView* stack = showStack();
    navigation_->push(Screen::diagnose());
    auto* unknown = waitForScreen<DiagnosisDetailView>(diagnoseView(stack));
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->diagnosis().kind, Diagnosis::Kind::unknown);
    click(unknown, "continue-to-audit");
    EXPECT_EQ(navigation_->path().last(), audit(CompletionSurface::excluded()));

    // A slow probe; the screen leaves the stack before it ends.
    navigation_->setPath({});
    mac_.writeStub("/usr/libexec/java_home", StubSpec().withSleep(300));
    navigation_->push(Screen::diagnose());
    QPointer<DiagnoseView> popped = diagnoseView(stack);
    ASSERT_TRUE(popped);
    ASSERT_TRUE(waitUntil([&] { return popped->flow()->isProbing(); }));
    navigation_->setPath({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popped.isNull());
    ASSERT_TRUE(waitUntil([&] { return mac_.calls("/usr/libexec/java_home").size() == 2; }));
    waitUntil([] { return false; }, 600);

    // A screen that leaves the stack with its fix sheet open takes the sheet with it.
    navigation_->push(Screen::diagnose());
    QPointer<DiagnoseView> withSheet = diagnoseView(stack);
    ASSERT_NE(waitForScreen<DiagnosisDetailView>(withSheet), nullptr);
    withSheet->flow()->onRemediate(Remediation::installHomebrew());
    QPointer<RemediationSheet> sheet = withSheet->sheet();
    ASSERT_TRUE(sheet && sheet->isVisible());
    navigation_->setPath({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(withSheet.isNull());
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(settledNames(3),
              (QStringList{"diagnosis_reached", "diagnosis_reached", "remediation_applied"}));
}

TEST_F(DiagnoseViewTest, FromTheWelcomeScreenThroughAnInstallAndJavaHomeToTheAudit) {
    // A Mac with Homebrew and no Java; the Java edition starts at the diagnosis.
    LiveKeyValueStore().set(true, ProductConfig::current().userDefaultsPrefix + ".consented");
    mac_.writeFile("/opt/homebrew/bin/brew", "#!/bin/sh\n", 0755);
    QLANRootView root(mac_.services(), *telemetry_);
    DesktopActions::install(&root, desktop_);
    root.resize(760, 760);
    root.show();
    click(&root, "welcome-diagnose-button");
    auto* view = qobject_cast<DiagnoseView*>(root.navigationStack()->currentPage());
    ASSERT_NE(view, nullptr);
    ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);
    saveScreenshot(&root, "journey-1-d1");

    // The Temurin install (the sheet's run played by the test): afterwards java_home lists the old
    // JDK first, and a fresh login shell runs Java 25 without JAVA_HOME.
    click(view, "diagnosis-d1-install-chosen");
    EXPECT_EQ(view->flow()->sheetRemediation(), Remediation::installTemurinViaBrew("temurin@25"));
    writeJavaHomeStub(mac_, {kZulu8, kTemurin25});
    writeLoginShell(mac_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0});
    finishSheet(view, RemediationOutcome::success("Temurin installed."));
    auto* installed = waitForScreen<VerifyResultView>(view);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(installed->outcome(), VerifyOutcome::javaHomeUnset);
    saveScreenshot(&root, "journey-2-installed");

    // Set JAVA_HOME, pressed by Space: both buttons wait for the probe, then the ~/.zprofile sheet for
    // Java 25.
    root.activateWindow();
    ASSERT_TRUE(waitForWindowActive(&root));
    installed->setJavaHomeButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(installed->setJavaHomeButton(), Qt::Key_Space);
    EXPECT_FALSE(installed->setJavaHomeButton()->isEnabled());
    EXPECT_FALSE(installed->continueButton()->isEnabled());
    QTest::mouseClick(installed->setJavaHomeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->sheet() != nullptr; }));
    EXPECT_EQ(view->flow()->sheetRemediation(), Remediation::writeJavaHomeToZprofile(kTemurin25.path));
    ZprofileDiffSheet* diff = view->sheet()->view()->diffSheet();
    ASSERT_NE(diff, nullptr);
    ASSERT_TRUE(waitUntil([&] { return buttonTitled(diff, "Apply") != nullptr; }));
    saveScreenshot(view->sheet(), "journey-3-zprofile");
    // The check after the write waits for the test: it lets it end once it has seen "Verifying…" and listens.
    const QString checkHeld = "/check-held";
    mac_.writeFile(checkHeld, {});
    const auto releaseCheck = qScopeGuard([&] { QFile::remove(mac_.map(checkHeld)); });
    writeLoginShell(mac_, {kTemurin25.path, openjdkVersionOutput("25.0.1"), 0, checkHeld});
    QTest::mouseClick(buttonTitled(diff, "Apply"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return buttonTitled(diff, "Continue to verify") != nullptr; }));
    EXPECT_TRUE(mac_.readFile(mac_.home() + "/.zprofile").contains("export JAVA_HOME="));
    // After the write a close goes on to verify. The result is heard as the window under its title (the
    // button that opened the sheet is gone), then the screen's default, where the focus lands.
    QTest::keyClick(view->sheet(), Qt::Key_Escape);
    root.activateWindow();
    ASSERT_TRUE(waitForWindowActive(&root));
    ASSERT_NE(waitForScreen<VerifyScaffold>(view), nullptr);
    ASSERT_TRUE(waitForQueuedCalls()); // the focus given back as the sheet closed
    VerifyResultView* configured = nullptr;
    const Heard heard = heardWhile([&] {
        QFile::remove(mac_.map(checkHeld));
        configured = waitForScreen<VerifyResultView>(view);
        ASSERT_NE(configured, nullptr);
        // The focus lands a few queued calls after the screen stands.
        ASSERT_TRUE(waitUntil([&] { return configured->continueButton()->hasFocus(); }));
        ASSERT_TRUE(waitForQueuedCalls());
    });
    ASSERT_NE(configured, nullptr);
    EXPECT_EQ(heard.focus, (QList<Told>{{&root, root.windowTitle()},
                                        {configured->continueButton(), "Continue to system audit"}}));
    EXPECT_EQ(configured->outcome(), VerifyOutcome::passed);
    EXPECT_EQ(configured->scaffold()->heading()->text(), "Java configured");
    saveScreenshot(&root, "journey-4-configured");
    QTest::mouseClick(configured->continueButton(), Qt::LeftButton);
    auto* next = qobject_cast<StagedAuditFlow*>(root.navigationStack()->currentPage());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->model()->context(),
              (AuditContext{AuditEntry::heuristic, CompletionSurface::prompt(BuildIntentSurface::postFix),
                            std::nullopt}));
    saveScreenshot(&root, "journey-5-audit");

    // The number of events varies (see below): wait for the last one the journey sends.
    ASSERT_TRUE(waitUntil([&] { return endpoint_.eventNames().contains("audit_gated"); }));
    QStringList names = settledNames(12);
    names.removeAll("app_launched");
    EXPECT_GE(names.removeAll("chooser_shown"), 1);
    // The Temurin sheet's own run against the stub brew may also have ended before the test's outcome.
    EXPECT_GE(names.removeAll("remediation_completed"), 1);
    EXPECT_EQ(names, (QStringList{"diagnosis_reached", "remediation_applied", "verify_passed",
                                  "verify_offered_followup", "remediation_applied", "verify_passed",
                                  "audit_stage_outcome", "audit_reached", "audit_gated"}));
}

TEST_F(DiagnoseViewTest, ASetJavaHomeProbeThatEndsUnderAnotherScreenStartsNothing) {
    NavigationStackView* stack = showStack();
    navigation_->push(Screen::diagnose());
    DiagnoseView* view = diagnoseView(stack);
    ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);
    click(view, "diagnosis-d1-install-chosen");
    writeJavaHomeStub(mac_, {kTemurin25});
    writeLoginShell(mac_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0});
    finishSheet(view, RemediationOutcome::success("Temurin installed."));
    auto* installed = waitForScreen<VerifyResultView>(view);
    ASSERT_NE(installed, nullptr);
    const VM::State verified = view->flow()->state();

    writeJavaHomeStub(mac_, {kTemurin25}, 300);
    QTest::mouseClick(installed->setJavaHomeButton(), Qt::LeftButton);
    navigation_->push(Screen::nextStep());
    ASSERT_TRUE(waitUntil([&] { return !view->flow()->isSettingJavaHome(); }));
    EXPECT_EQ(navigation_->path(), (QList<Screen>{Screen::diagnose(), Screen::nextStep()}));
    EXPECT_EQ(view->sheet(), nullptr);
    EXPECT_EQ(view->flow()->state(), verified);
    EXPECT_TRUE(installed->setJavaHomeButton()->isEnabled());
}

// Space on the install button, then the sheet's end, heard in Linux's order and in a Mac's: the focus is on
// that button on the diagnosis built anew (Space tries again), on no control after a failure, on the verified
// screen's default; never on Back, nor told there on the way. The same after the JAVA_HOME sheet, whose
// button on the diagnosis built anew has another title.
TEST_F(DiagnoseViewTest, AfterTheFixSheetTheFocusIsOnItsButtonOrTheScreensDefaultNeverOnBack) {
    NavigationStackView* stack = showStack();
    window_.activateWindow();
    for (const SheetEnd order : bothSheetEnds) {
        SCOPED_TRACE(order == SheetEnd::activateInsideHide ? "Mac order" : "Linux order");
        writeJavaHomeStub(mac_, {});
        writeLoginShell(mac_, {});
        navigation_->setPath({});
        navigation_->setPath({Screen::diagnose()}); // a diagnosis of its own
        DiagnoseView* view = diagnoseView(stack);
        ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);
        writeJavaHomeStub(mac_, {kZulu8, kTemurin25});
        writeLoginShell(mac_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0});
        const std::optional<RemediationOutcome> ends[]{std::nullopt, RemediationOutcome::failure("Failed."),
                                                       RemediationOutcome::success("Temurin installed.")};
        for (const std::optional<RemediationOutcome>& end : ends) {
            if (auto* error = qobject_cast<ErrorScaffold*>(view->currentScreen())) error->button()->click();
            const auto [focus, ring, told] = focusAfterSheet(
                &window_, shown(view, "diagnosis-d1-install-chosen"),
                [&] {
                    if (!end) return QTest::keyClick(view->sheet(), Qt::Key_Escape); // a cancel
                    finishSheet(view, *end);
                    if (end->kind == RemediationOutcome::Kind::success) waitForScreen<VerifyResultView>(view);
                },
                order);
            auto* verified = qobject_cast<VerifyResultView*>(view->currentScreen());
            QWidget* expected = !end       ? shown(view, "diagnosis-d1-install-chosen")
                                : verified ? verified->setJavaHomeButton()
                                           : &window_;
            EXPECT_EQ(focus, expected);
            EXPECT_NE(focus, window_.findChild<QWidget*>("navigation-back"));
            EXPECT_EQ(ring, focus != &window_); // as before the sheet, where Tab had moved the focus
        }

        // Space on "Set JAVA_HOME (recommended)", Esc on the ~/.zprofile sheet: the diagnosis built anew
        // opens the same sheet from a button of another title, which takes the focus and the ring.
        auto* verified = qobject_cast<VerifyResultView*>(view->currentScreen());
        ASSERT_NE(verified, nullptr);
        const auto [focus, ring, told] = focusAfterSheet(
            &window_, verified->setJavaHomeButton(),
            [&] {
                ASSERT_TRUE(waitUntil([&] { return view->sheet() != nullptr; }));
                QTest::keyClick(view->sheet(), Qt::Key_Escape);
            },
            order);
        auto* reopens = shown<QPushButton>(view, "remediation-primary-button");
        ASSERT_NE(reopens, nullptr);
        EXPECT_EQ(reopens->text(), "Set JAVA_HOME in ~/.zprofile (recommended)");
        EXPECT_EQ(focus, reopens);
        EXPECT_TRUE(ring);
    }
}

// The ~/.zprofile sheet opens on the chosen view of its diff ("Show only changes") whichever screen opened
// it (the diagnosis that finds JAVA_HOME unset, the one that finds only a legacy JDK, "Java installed" after
// an install) and whether its window became active before or after the file was read: no other control
// holds the focus before it.
TEST_F(DiagnoseViewTest, TheZprofileSheetOpensOnTheChosenDiffViewFromEveryScreen) {
    mac_.writeFile(mac_.home() + "/.zprofile", "export PATH=\"/opt/homebrew/bin:$PATH\"\n");
    // The sheet's read of the file waits while the gate is held (on the reading thread).
    const auto gate = std::make_shared<Gate>();
    files_->beforeRead = [gate](const QString& path) {
        if (path.endsWith("/.zprofile")) gate->passWithin(std::chrono::milliseconds(patienceMs));
    };
    const auto hold = [gate](bool held) {
        if (held)
            gate->hold();
        else
            gate->release();
    };
    const auto releaseAtEnd = qScopeGuard([&] { hold(false); });
    NavigationStackView* stack = showStack();
    struct Opening {
        const char* name;
        QList<JDKInfo> jdks;
        std::function<QAbstractButton*(DiagnoseView*)> opener;
    };
    const Opening openings[]{
        {"JAVA_HOME unset",
         {kTemurin25},
         [](DiagnoseView* view) { return shown<QAbstractButton>(view, "remediation-primary-button"); }},
        {"legacy only",
         {kZulu8},
         [](DiagnoseView* view) { return shown<QAbstractButton>(view, "diagnosis-d3-keep-legacy"); }},
        {"Java installed",
         {},
         [this](DiagnoseView* view) -> QAbstractButton* {
             click(view, "diagnosis-d1-install-chosen");
             writeJavaHomeStub(mac_, {kTemurin25});
             writeLoginShell(mac_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0});
             finishSheet(view, RemediationOutcome::success("Temurin installed."));
             auto* installed = waitForScreen<VerifyResultView>(view);
             return installed ? installed->setJavaHomeButton() : nullptr;
         }},
    };
    for (const Opening& opening : openings)
        for (const bool readOnceActive : {false, true}) {
            SCOPED_TRACE(std::string(opening.name) +
                         (readOnceActive ? ", read once active" : ", read at once"));
            writeJavaHomeStub(mac_, opening.jdks);
            writeLoginShell(
                mac_, {std::nullopt,
                       opening.jdks.isEmpty() ? QString() : openjdkVersionOutput(opening.jdks[0].version),
                       opening.jdks.isEmpty() ? 127 : 0});
            navigation_->push(Screen::diagnose());
            DiagnoseView* view = diagnoseView(stack);
            ASSERT_NE(waitForScreen<DiagnosisDetailView>(view), nullptr);
            QAbstractButton* opener = opening.opener(view);
            ASSERT_NE(opener, nullptr);
            window_.activateWindow();
            ASSERT_TRUE(waitForWindowActive(&window_));

            hold(readOnceActive);
            QList<QPointer<QWidget>> focused; // the sheet's controls that took the focus, in turn
            // The connection ends with this turn of the loop, also where an assertion ends the turn.
            QObject watching;
            const QMetaObject::Connection watch =
                QObject::connect(qApp, &QApplication::focusChanged, &watching, [&](QWidget*, QWidget* now) {
                    if (now && !now->isWindow() && view->sheet() && now->window() == view->sheet())
                        focused.append(now);
                });
            clickAsAPerson(opener);
            const bool opened =
                waitUntil([&] { return view->sheet() != nullptr; }) && waitForWindowActive(view->sheet());
            hold(false);
            ASSERT_TRUE(opened);
            ZprofileDiffSheet* diff = view->sheet()->view()->diffSheet();
            ASSERT_NE(diff, nullptr);
            ASSERT_TRUE(waitUntil([&] { return diff->rowsView()->isVisible(); }));
            ASSERT_TRUE(waitForQueuedCalls());
            QObject::disconnect(watch);

            EXPECT_EQ(focused.size(), 1);
            auto* first =
                focused.isEmpty() ? nullptr : qobject_cast<QAbstractButton*>(focused.first().data());
            EXPECT_EQ(first ? first->text() : QString(), "Show only changes");
            EXPECT_EQ(QApplication::focusWidget(), first);
            navigation_->setPath({});
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
}
