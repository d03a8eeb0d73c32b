// The action sheet on screen: a batch from start to "Continue" with the sign-in hand-over, and every way
// of cancelling it (the button with real child processes, Esc, the close control) ending the job and
// reporting once.

#include "setup/SetupActionOutput.h"
#include "support/AccessibleNames.h"
#include "support/CurrentEdition.h"
#include "support/KeyboardWalk.h"
#include "support/ProcessChecks.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/ScriptedRemediationRunner.h"
#include "support/TelemetryRecorder.h"
#include "support/Wait.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/setup/SetupActionProgressView.h"
#include "ui/widgets/SheetDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

using Event = StreamEvent;
using SR = SetupRemediation;

bool shown(const QWidget* root, const char* id) {
    const auto* widget = root->findChild<QWidget*>(QString::fromLatin1(id));
    return widget && widget->isVisible();
}

class SetupActionSheetTest : public ::testing::Test {
protected:
    SetupActionSheetTest() {
        DesktopActions::install(&window_, desktop_);
        window_.resize(720, 700);
        window_.show();
    }

    // The sheet over the window, running `remediations` through `run`.
    SheetDialog* open(const QList<SetupRemediation>& remediations, SetupActionBatch::RunRemediation run,
                      bool continuesPastFailure = false) {
        auto* view = new SetupActionProgressView(
            QStringLiteral("Install languages"), remediations, std::move(run), continuesPastFailure,
            [this](SetupActionOutcome outcome) { outcomes_.append(outcome); }, ProductConfig::current(),
            telemetry_.service());
        auto* sheet = new SheetDialog(
            view, [view] { view->closeRequested(); }, &window_);
        sheet->open();
        view_ = view;
        return sheet;
    }

    SetupActionBatch::RunRemediation scripted() {
        return [runner = runner_](const SR& remediation, const QString& reason) {
            return runner.run(remediation, reason);
        };
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox sandbox_;
    TelemetryRecorder telemetry_{sandbox_.services()};
    ScriptedRemediationRunner runner_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    QWidget window_;
    SetupActionProgressView* view_ = nullptr;
    QList<SetupActionOutcome> outcomes_;
};

} // namespace

TEST_F(SetupActionSheetTest, ABatchFromStartToContinue) {
    desktop_->pasteboardWrites << QStringLiteral("what was there");
    runner_.script(
        SR::githubAuth().id(),
        ScriptedJob{{Event::output("2026-05-17 10:11:12.345 gh[412:9001] hidden"), Event::output("Waiting"),
                     Event::openBrowser("https://github.com/login/device", QStringLiteral("WXYZ-0001")),
                     Event::completed(0)},
                    false,
                    40});
    SheetDialog* sheet = open({SR::installGh(), SR::githubAuth()}, scripted());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->findChild<QLabel*>("setup-action-title")->text(), "Install languages");
    EXPECT_EQ(view_->outputList()->accessibleName(), "Install languages output");
    EXPECT_TRUE(shown(sheet, "setup-action-status"));
    EXPECT_TRUE(shown(sheet, "setup-action-cancel"));
    EXPECT_FALSE(shown(sheet, "setup-action-continue"));
    EXPECT_EQ(sheet->findChild<QLabel*>("setup-action-status")->text(),
              "Working… this can take a minute — please keep this window open.");

    ASSERT_TRUE(waitUntil([&] { return shown(sheet, "setup-action-continue"); }));
    EXPECT_FALSE(shown(sheet, "setup-action-cancel"));
    const SetupActionOutput* output = view_->output();
    ASSERT_TRUE(waitUntil([&] { return output->rowCount() == 2; }));
    EXPECT_EQ(output->row(0), "Waiting"); // the log line is hidden but kept
    EXPECT_EQ(output->row(1),
              "Opened your browser. Your one-time code is WXYZ-0001 (copied to the clipboard) — "
              "paste it and authorize.");
    EXPECT_EQ(view_->batch()->lines().size(), 3);
    EXPECT_EQ(desktop_->pasteboardWrites, (QStringList{"what was there", "WXYZ-0001"}));
    EXPECT_EQ(desktop_->openedURLs, QList<QUrl>{QUrl("https://github.com/login/device")});
    // Copy with no row selected leaves the code on the pasteboard; a row shows no tooltip.
    OutputLinesView* list = view_->outputList();
    QTest::keySequence(list, QKeySequence::Copy);
    EXPECT_EQ(desktop_->pasteboardWrites, (QStringList{"what was there", "WXYZ-0001"}));
    const QPoint onRow = list->visualRect(output->index(1)).center();
    QHelpEvent tip(QEvent::ToolTip, onRow, list->viewport()->mapToGlobal(onRow));
    QApplication::sendEvent(list->viewport(), &tip);
    EXPECT_FALSE(QToolTip::isVisible());
    saveScreenshot(sheet, QStringLiteral("setup-action-sheet-ended"));

    // Return presses "Continue"; the report goes out once, and the owner dismisses the sheet.
    EXPECT_TRUE(outcomes_.isEmpty());
    sheet->activateWindow();
    QTest::keyClick(sheet, Qt::Key_Return);
    QTest::keyClick(sheet, Qt::Key_Return);
    EXPECT_EQ(outcomes_, QList<SetupActionOutcome>{SetupActionOutcome::success});
    EXPECT_TRUE(sheet->isVisible());
    sheet->dismiss();
    EXPECT_FALSE(sheet->isVisible());

    // A batch that ends while the focus is on Cancel hands it to "Continue" (zsh waits for the hold file); a
    // screen reader hears the sheet, then "Continue", never a row of the output on the way.
    const QString hold = QStringLiteral("/.hold-zsh");
    sandbox_.writeFile(hold, "");
    sandbox_.writeStub("/bin/zsh", StubSpec().withScript("while [ -e '" + sandbox_.map(hold) +
                                                         "' ]; do /bin/sleep 0.05; done\n"));
    SheetDialog* held =
        open({SR::installNodeViaMise()},
             SetupActionBatch::runWith(SetupRemediationRunner::fromServices(sandbox_.services())));
    ASSERT_TRUE(waitForWindowActive(held));
    auto* cancel = held->findChild<QPushButton*>("setup-action-cancel");
    cancel->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(cancel->hasFocus());
    auto* proceed = held->findChild<QPushButton*>("setup-action-continue");
    const QList<QObject*> focused = focusedWidgetsWhile([&] {
        QFile::remove(sandbox_.map(hold));
        ASSERT_TRUE(waitUntil([&] { return shown(held, "setup-action-continue"); }));
        EXPECT_TRUE(waitUntil([&] { return proceed->hasFocus(); }));
    });
    EXPECT_EQ(focused, (QList<QObject*>{held, proceed}));

    // The same while another window is in front, after a success and after a failure: back in front, the
    // sheet has the focus on "Continue", never on the output list that the Mac's Tab rule would pick.
    for (const char* exit : {"0", "1"}) {
        sandbox_.writeFile(hold, "");
        sandbox_.writeStub("/bin/zsh", StubSpec().withScript("while [ -e '" + sandbox_.map(hold) +
                                                             "' ]; do /bin/sleep 0.05; done\nexit " + exit));
        SheetDialog* behind =
            open({SR::installNodeViaMise()},
                 SetupActionBatch::runWith(SetupRemediationRunner::fromServices(sandbox_.services())));
        ASSERT_TRUE(waitForWindowActive(behind));
        auto* next = behind->findChild<QPushButton*>("setup-action-continue");
        const BackInFront back =
            focusBackInFront(behind, behind->findChild<QPushButton*>("setup-action-cancel"), [&] {
                QFile::remove(sandbox_.map(hold));
                ASSERT_TRUE(waitUntil([&] { return shown(behind, "setup-action-continue"); }));
                ASSERT_TRUE(waitForQueuedCalls());
            });
        EXPECT_EQ(back.focus, next) << exit;
        EXPECT_EQ(back.told.value(back.told.size() - 1), next) << exit;
        behind->dismiss();
        delete behind;
    }
}

TEST_F(SetupActionSheetTest, CancelDuringTheFirstOfThreeKillsItsChildren) {
    sandbox_.writeStub("/bin/zsh", StubSpec().withScript(QString::fromLatin1(childAndGrandchildCommand)));
    SheetDialog* sheet =
        open({SR::installNodeViaMise(), SR::installRubyViaMise(), SR::installRustViaMise()},
             SetupActionBatch::runWith(SetupRemediationRunner::fromServices(sandbox_.services())), true);
    const QStringList& lines = view_->batch()->lines();
    ASSERT_TRUE(waitUntil([&] { return lines.size() == 2; }));
    pid_t child = 0, grandchild = 0;
    ASSERT_TRUE(readChildAndGrandchild(lines[1], &child, &grandchild)) << lines[1].toStdString();

    QTest::mouseClick(sheet->findChild<QPushButton*>("setup-action-cancel"), Qt::LeftButton);
    EXPECT_EQ(outcomes_, QList<SetupActionOutcome>{SetupActionOutcome::canceled}); // at once
    EXPECT_TRUE(waitUntil([&] { return dead(child) && dead(grandchild); }));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(sandbox_.calls("/bin/zsh").size(), 1);
    EXPECT_EQ(telemetry_.names(), QStringList{"remediation_applied"});
    sheet->close(); // a later close reports nothing more
    EXPECT_EQ(outcomes_.size(), 1);
}

TEST_F(SetupActionSheetTest, EscAndTheCloseControlAreCancel) {
    runner_.script(SR::installUv().id(), ScriptedJob::runningUntilStopped({"downloading"}));
    SheetDialog* sheet = open({SR::installUv(), SR::installRustup()}, scripted());
    ASSERT_TRUE(waitUntil([&] { return view_->batch()->lines().size() == 1; }));
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_EQ(outcomes_, QList<SetupActionOutcome>{SetupActionOutcome::canceled});
    EXPECT_TRUE(waitUntil([&] { return runner_.runningJobs() == 0; }));
    EXPECT_EQ(runner_.stoppedJobs(), QStringList{SR::installUv().id()});
    EXPECT_EQ(runner_.calls().size(), 1);
    EXPECT_TRUE(shown(sheet, "setup-action-continue"));

    // Once a batch has ended, closing the sheet reports what "Continue" would.
    outcomes_.clear();
    runner_.script(SR::installRustup().id(), ScriptedJob::completing(2));
    SheetDialog* failed = open({SR::installRustup()}, scripted());
    ASSERT_TRUE(waitUntil([&] { return shown(failed, "setup-action-continue"); }));
    failed->close();
    failed->close();
    EXPECT_EQ(outcomes_, QList<SetupActionOutcome>{SetupActionOutcome::failure});
}

TEST_F(SetupActionSheetTest, TheListFollowsTheLastLineUnlessScrolledUp) {
    QStringList many;
    for (int i = 0; i < 400; ++i)
        many << QStringLiteral("line %1").arg(i);
    many[200] += QString(300, u'x');
    ScriptedJob slow = ScriptedJob::completing(0, many);
    slow.delayBetweenEventsMs = 1;
    runner_.script(SR::installUv().id(), ScriptedJob::completing(0, many));
    runner_.script(SR::installRustup().id(), slow);
    open({SR::installUv()}, scripted());
    QScrollBar* bar = view_->outputList()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return view_->batch()->hasEnded() && view_->output()->rowCount() == 400; }));
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));

    SheetDialog* sheet = open({SR::installRustup()}, scripted());
    OutputLinesView* list = view_->outputList();
    bar = list->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0; }));
    bar->triggerAction(QAbstractSlider::SliderToMinimum); // the user scrolls up
    ASSERT_TRUE(waitUntil([&] { return view_->batch()->hasEnded() && view_->output()->rowCount() == 400; }));
    ASSERT_TRUE(waitForQueuedCalls()); // what the last rows set off: the list must not follow them
    EXPECT_EQ(bar->value(), 0);
    EXPECT_GT(bar->maximum(), 0);

    // The long row wraps to the list's width, and wraps again when the sheet widens and narrows.
    const QString longText = view_->output()->row(200);
    const auto wrappedRow = [&] {
        list->scrollTo(view_->output()->index(200));
        const QRect row = list->visualRect(view_->output()->index(200));
        EXPECT_LE(row.right(), list->viewport()->width());
        const QFontMetrics metrics(list->font());
        EXPECT_GE(row.height() * row.width(), metrics.horizontalAdvance(longText) * metrics.height());
        return row.height();
    };
    sheet->resize(sheet->width() + 200, sheet->height());
    const int wide = wrappedRow();
    EXPECT_GT(wide, 2 * list->visualRect(view_->output()->index(199)).height());
    sheet->resize(sheet->width() - 200, sheet->height());
    EXPECT_GT(wrappedRow(), wide);
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);

    // The keys scroll the rows, and Tab reaches the list.
    QTest::keyClick(list, Qt::Key_PageDown);
    const int paged = bar->value();
    EXPECT_GT(paged, 0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_GT(bar->value(), paged);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(walksByKeyboard(sheet));

    // Shift with a key selects from where the reader is: from the current row while it is in view (the row
    // the focus gave follows the view: after End the last, where Shift+Down cannot move and selects
    // nothing), the view staying; from a row the reader chose out of view, extended from the anchor and
    // brought into view.
    const auto row = [&](int position) { return view_->output()->row(position); };
    const struct {
        Qt::Key scroll, select;
        QStringList selected;
        bool stays;
    } keys[] = {
        {Qt::Key_End, Qt::Key_Down, {}, true},
        {Qt::Key_unknown, Qt::Key_Up, {row(398), row(399)}, true},
        {Qt::Key_Home, Qt::Key_Up, {row(397), row(398), row(399)}, false},
    };
    for (const auto& key : keys) {
        if (key.scroll != Qt::Key_unknown) QTest::keyClick(list, key.scroll);
        const int value = bar->value();
        QTest::keyClick(list, key.select, Qt::ShiftModifier);
        EXPECT_EQ(list->selectedText(), key.selected.join(u'\n')) << key.select;
        EXPECT_EQ(bar->value() == value, key.stays) << key.select;
        EXPECT_TRUE(list->visualRect(list->currentIndex()).intersects(list->viewport()->rect()));
    }
    // A screen reader hears the selected rows as selected.
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(rows, nullptr);
    EXPECT_TRUE(rows->child(398)->state().selected);
    EXPECT_FALSE(rows->child(396)->state().selected);
}

// When the batch ends, a screen reader is told how, once; the focus stays in the output list.
TEST_F(SetupActionSheetTest, TheEndOfTheBatchIsToldToAScreenReaderAndTheFocusStays) {
    const std::pair<ScriptedJob, QString> cases[]{
        {ScriptedJob::completing(0), "Install languages — done."},
        {ScriptedJob::completing(3), "Install languages — failed (exit code 3)."},
        {ScriptedJob::canceling({"password refused"}), "Install languages — canceled."},
    };
    for (const auto& [job, expected] : cases) {
        runner_.script(SR::installUv().id(), job);
        std::unique_ptr<SheetDialog> sheet;
        const QStringList told = toldWhile([&] {
            sheet.reset(open({SR::installUv()}, scripted()));
            view_->outputList()->setFocus();
            ASSERT_TRUE(waitUntil([&] { return view_->batch()->hasEnded(); }));
            ASSERT_TRUE(waitForQueuedCalls());
        });
        EXPECT_EQ(told, QStringList{expected});
        EXPECT_TRUE(view_->outputList()->hasFocus());
    }
}
