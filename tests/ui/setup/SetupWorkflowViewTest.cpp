// The guided setup's screen over a scripted edition: the page and window title of every step, and a
// pending batch run in its sheet, after which the pending batch is cleared before the flow moves on.

#include "ui/setup/SetupWorkflowView.h"
#include "platform/ServiceContext.h"
#include "support/AccessibleNames.h"
#include "support/CurrentEdition.h"
#include "support/KeyboardWalk.h"
#include "support/PersonClick.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/ScriptedEdition.h"
#include "support/ScriptedRemediationRunner.h"
#include "support/SetupFlowPrinters.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/setup/SetupActionProgressView.h"
#include "ui/widgets/TextLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using namespace qlan::test::verdicts;

namespace {

using Step = SetupFlowModel::Step;
using SR = SetupRemediation;

class SetupWorkflowViewTest : public ::testing::Test {
protected:
    SetupWorkflowViewTest() {
        edition_.spine->setSteps(QList<WorkflowStep>{scriptedStep("clt", fixable, primary),
                                                     scriptedStep("homebrew", fixable, primary)});
        edition_.domainsWithCopy = {QStringLiteral("clt")};
        current_ = std::make_unique<CurrentEdition>(edition_.config());
        AppServices services = sandbox_.services();
        services.isFixtureMode = true;
        ServiceContext::setSystemProfile(&window_, SystemProfile{});
        DesktopActions::install(&window_, std::make_shared<RecordingDesktopActions>());
        view_ = new SetupWorkflowView(services, edition_.config(), telemetry_.service());
        view_->setRunnerFactory([this](const AppServices&) {
            ++runnersMade_;
            return [runner = runner_](const SR& remediation, const QString& reason) {
                return runner.run(remediation, reason);
            };
        });
        (new QVBoxLayout(&window_))->addWidget(view_);
    }

    void showAndStart() {
        window_.show();
        ASSERT_TRUE(waitUntil([&] { return view_->model()->step() == Step::diagnosisSummary(); }));
    }

    QString pageName() const { return view_->currentPage()->objectName(); }

    ScriptedEdition edition_;
    std::unique_ptr<CurrentEdition> current_;
    Sandbox sandbox_;
    TelemetryRecorder telemetry_{sandbox_.services()};
    ScriptedRemediationRunner runner_;
    int runnersMade_ = 0;
    QWidget window_;
    SetupWorkflowView* view_;
};

} // namespace

TEST_F(SetupWorkflowViewTest, EveryStepShowsItsPageAndWindowTitle) {
    EXPECT_EQ(pageName(), "setup-loading");
    EXPECT_EQ(view_->stepWindowTitle(), ProductConfig::current().displayName);
    EXPECT_GE(view_->minimumWidth(), 720);
    showAndStart();
    EXPECT_EQ(pageName(), "setup-diagnosis-summary");
    EXPECT_EQ(window_.windowTitle(), "diagnosisWindowTitle");

    const DiskReadinessResult low{DiskVerdict::low, 5'000'000'000, 15'000'000'000, 10'000'000'000};
    const QList<std::tuple<Step, QString, QString>> cases{
        {Step::readinessWarning(low), "setup-readiness-warning", "Your disk space"},
        {Step::stage("clt"), "setup-stage", "clt title"},
        {Step::stage("homebrew"), "setup-stage", "diagnosisWindowTitle"},
        {Step::interstitial(), "setup-interstitial", ProductConfig::current().displayName},
        {Step::verifying(), "setup-verifying", "summaryWindowTitle"},
        {Step::keepGoingGate(), "setup-keep-going", "continueWindowTitle"},
        {Step::outcome(), "setup-outcome", "summaryWindowTitle"},
        {Step::nps(), "setup-nps", "outcomeWindowTitle"},
        {Step::loading(), "setup-loading", ProductConfig::current().displayName},
    };
    for (const auto& [step, page, title] : cases) {
        SCOPED_TRACE(::testing::PrintToString(step));
        QWidget* before = view_->currentPage();
        view_->model()->setStep(step);
        EXPECT_NE(view_->currentPage(), before); // every change of step builds its page afresh
        EXPECT_EQ(pageName(), page);
        EXPECT_TRUE(view_->currentPage()->isVisible());
        EXPECT_EQ(window_.windowTitle(), title);
        if (step == Step::outcome()) {
            auto* scaffold = qobject_cast<ScreenScaffold*>(view_->currentPage());
            ASSERT_NE(scaffold, nullptr);
            EXPECT_EQ(scaffold->heading()->text(), "summaryHeadline");
            saveScreenshot(&window_, QStringLiteral("setup-workflow-outcome"));
        }
    }
    QWidget* same = view_->currentPage();
    view_->model()->setStep(Step::loading()); // the same step keeps its page
    EXPECT_EQ(view_->currentPage(), same);
}

TEST_F(SetupWorkflowViewTest, APendingBatchRunsInItsSheetThenTheFlowMovesOn) {
    showAndStart();
    SetupFlowModel* model = view_->model();
    model->enterPrimaryStages();
    ASSERT_EQ(model->step(), Step::stage("clt"));
    QStringList order;
    QObject listening; // the model outlives the test's body: the connections end with it
    QObject::connect(model, &SetupFlowModel::pendingInstallChanged, &listening, [&] {
        order << (model->pendingInstall() ? "pending " + model->pendingInstall()->id : "cleared");
    });
    QObject::connect(model, &SetupFlowModel::stepChanged, &listening,
                     [&] { order << "step " + model->step().domainID; });

    runner_.script(SR::installCommandLineTools().id(), ScriptedJob::completing(0, {"installing"}));
    model->request({"clt", "Install the Command Line Tools", {SR::installCommandLineTools()}, false});
    SheetDialog* sheet = view_->sheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->parentWidget(), view_);
    EXPECT_GE(sheet->minimumWidth(), 560);
    EXPECT_GE(sheet->minimumHeight(), 420);
    // Named after its heading, the batch's title: what a screen reader announces for the sheet.
    EXPECT_EQ(announcedName(sheet), "Install the Command Line Tools");
    EXPECT_EQ(sheet->findChild<QLabel*>("setup-action-title")->text(), announcedName(sheet));
    ASSERT_TRUE(waitUntil([&] { return view_->sheetView()->batch()->hasEnded(); }));
    saveScreenshot(sheet, QStringLiteral("setup-workflow-sheet"));
    QTest::mouseClick(sheet->findChild<QPushButton*>("setup-action-continue"), Qt::LeftButton);
    EXPECT_EQ(view_->sheet(), nullptr);
    EXPECT_FALSE(model->pendingInstall().has_value());
    ASSERT_TRUE(waitUntil([&] { return model->step() == Step::stage("homebrew"); }));
    EXPECT_EQ(order.mid(0, 2), (QStringList{"pending clt", "cleared"})); // cleared before the flow moves
    EXPECT_EQ(order.last(), "step homebrew");

    // The next batch gets a new sheet and runner; a cancel stops its job and leaves the flow where it is.
    runner_.script(SR::installHomebrew().id(), ScriptedJob::runningUntilStopped({"downloading"}));
    model->request({"homebrew", "Install Homebrew", {SR::installHomebrew()}, false});
    ASSERT_NE(view_->sheet(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return view_->sheetView()->batch()->lines().size() == 1; }));
    QTest::keyClick(view_->sheet(), Qt::Key_Escape);
    EXPECT_EQ(view_->sheet(), nullptr);
    EXPECT_FALSE(model->pendingInstall().has_value());
    EXPECT_TRUE(waitUntil([&] { return runner_.runningJobs() == 0; }));
    EXPECT_EQ(runner_.stoppedJobs(), QStringList{SR::installHomebrew().id()});
    EXPECT_EQ(model->step(), Step::stage("homebrew"));
    EXPECT_EQ(runnersMade_, 2);
}

TEST_F(SetupWorkflowViewTest, TheScreenGoingAwayStopsItsSheetsJob) {
    showAndStart();
    runner_.script(SR::installHomebrew().id(), ScriptedJob::runningUntilStopped({"downloading"}));
    view_->model()->request({"homebrew", "Install Homebrew", {SR::installHomebrew()}, false});
    ASSERT_TRUE(waitUntil([&] { return view_->sheetView()->batch()->lines().size() == 1; }));
    delete view_;
    EXPECT_TRUE(waitUntil([&] { return runner_.runningJobs() == 0; }));
    EXPECT_EQ(runner_.stoppedJobs(), QStringList{SR::installHomebrew().id()});
    waitUntil([] { return false; }, 100); // late deliveries reach nothing
}

TEST_F(SetupWorkflowViewTest, AStagePageReportsThatItAppeared) {
    edition_.spine->setSteps(
        QList<WorkflowStep>{scriptedStep("clt", SetupDiagnosisClassification::ready, primary),
                            scriptedStep("git", SetupDiagnosisClassification::blocked, primary),
                            scriptedStep("homebrew", fixable, primary)});
    showAndStart();
    // A ready stage moves on by itself; a blocked one calls the edition's hook, once.
    view_->model()->setStep(Step::stage("clt"));
    ASSERT_TRUE(waitUntil([&] { return view_->model()->step() == Step::stage("git"); }));
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(view_->model()->step(), Step::stage("git"));
    view_->model()->setStep(Step::verifying());
    view_->model()->setStep(Step::stage("git"));
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(ScriptedEdition::blockedCalls().size(), 1);
    EXPECT_EQ(ScriptedEdition::blockedCalls().value(0).domainID, "git");

    // A step that has moved on before its page's report runs is left alone.
    view_->model()->setStep(Step::stage("clt"));
    view_->model()->setStep(Step::diagnosisSummary());
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(view_->model()->step(), Step::diagnosisSummary());
}

// Space on a stage's button, then the sheet's end, heard in Linux's order and in a Mac's: the focus is on
// that button, or on the one that does the same on the stage's content built anew, and only it is heard;
// after a success that moves on, on no control. Never on the first control (where Qt would put it), nor told
// there on the way.
TEST_F(SetupWorkflowViewTest, AfterTheActionSheetTheFocusIsOnItsButtonOrNoControl) {
    edition_.spine->setRemediations("clt", {SR::installCommandLineTools()});
    auto* first = new QPushButton(QStringLiteral("Back"));
    static_cast<QBoxLayout*>(window_.layout())->insertWidget(0, first);
    showAndStart();
    window_.activateWindow();
    view_->model()->enterPrimaryStages();
    const auto titled = [&](const QString& title) -> QPushButton* {
        for (auto* button : view_->currentPage()->findChildren<QPushButton*>())
            if (button->isVisible() && button->text() == title) return button;
        return nullptr;
    };
    const auto stageButton = [&] { return titled(SR::installCommandLineTools().displayLabel()); };
    const std::pair<ScriptedJob, bool> cases[]{{ScriptedJob::runningUntilStopped(), true}, // Esc
                                               {ScriptedJob::completing(1), true},
                                               {ScriptedJob::completing(0), false}};
    edition_.spine->setRemediations("homebrew", {SR::installHomebrew()});
    for (const SheetEnd order : bothSheetEnds) {
        SCOPED_TRACE(order == SheetEnd::activateInsideHide ? "Mac order" : "Linux order");
        for (const auto& each : cases) {
            const ScriptedJob& job = each.first;
            const bool stays = each.second;
            SCOPED_TRACE(job.runsUntilStopped ? "Esc" : stays ? "a failure" : "a success");
            view_->model()->setStep(Step::stage("clt"));
            runner_.script(SR::installCommandLineTools().id(), job);
            const auto [focus, ring, told] = focusAfterSheet(
                &window_, stageButton(),
                [&] {
                    if (job.runsUntilStopped) {
                        QTest::keyClick(view_->sheet(), Qt::Key_Escape);
                        return (void)waitUntil([&] { return !view_->sheet(); }); // once the job has stopped
                    }
                    waitUntil([&] { return view_->sheetView()->batch()->hasEnded(); });
                    view_->sheetView()->finish();
                    waitUntil([&] { return view_->model()->step() != Step::stage("clt"); },
                              stays ? 300 : patienceMs);
                },
                order);
            EXPECT_EQ(focus, stays ? stageButton() : &window_);
            // On the stage that stays only the button is heard, also where the window comes to the front
            // inside the sheet's hide, before the stage has been built anew.
            if (stays) {
                EXPECT_EQ(told, (QList<Told>{{focus, stageButton()->text()}}));
            }
            EXPECT_EQ(view_->model()->step(), Step::stage(stays ? "clt" : "homebrew"));
            EXPECT_NE(focus, first);
            EXPECT_EQ(ring, stays);
        }

        // A success whose re-probe is slow: until the flow has left the stage, its controls show disabled and
        // start nothing, however pressed, and the focus waits with the window, not on a button doing nothing.
        view_->model()->setStep(Step::stage("clt"));
        edition_.prober->hold();
        const auto [focus, ring, told] = focusAfterSheet(
            &window_, stageButton(),
            [&] {
                waitUntil([&] { return view_->sheetView()->batch()->hasEnded(); });
                QTest::keyClick(view_->sheet(), Qt::Key_Return);
            },
            order);
        EXPECT_EQ(focus, &window_);
        EXPECT_FALSE(stageButton()->isEnabled()); // Skip and the pickers: SetupPickersTest
        pressEveryWay(stageButton());
        ASSERT_TRUE(waitForQueuedCalls());
        EXPECT_EQ(view_->sheet(), nullptr);
        EXPECT_EQ(view_->model()->step(), Step::stage("clt"));
        // The hold's end is heard once, as the window under the next stage's title, and only that stage's
        // controls stand: the stage left tells of no change, and the next comes live without a flicker.
        const QString stageTitle = view_->stepWindowTitle();
        const Heard heard = heardWhile([&] {
            edition_.prober->release();
            ASSERT_TRUE(waitUntil([&] { return view_->model()->step() == Step::stage("homebrew"); }));
            ASSERT_TRUE(waitForQueuedCalls());
        });
        EXPECT_NE(window_.windowTitle(), stageTitle);
        EXPECT_EQ(heard.focus, (QList<Told>{{&window_, window_.windowTitle()}}));
        EXPECT_EQ(heard.enabledChanges, QList<QObject*>{});
    }
    clickAsAPerson(titled(SR::installHomebrew().displayLabel())); // the next stage's own button works
    EXPECT_NE(view_->sheet(), nullptr);
}
