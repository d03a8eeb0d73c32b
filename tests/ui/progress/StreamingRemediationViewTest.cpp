// The streaming remediation screen inside its sheet, driven with stub programs: the texts of each case,
// the output rows with the retry row's identifier, the bottom rows, the article link, the ~/.zshrc change
// with Esc and the close control, where the focus goes as buttons go, and a close of the sheet while the
// job runs. The output list: rows as high as their text at every width and font (a row past 65,535
// pixels too), the keys moving the rows by their step through a burst of wrapped rows, Home, End and the
// scroll bar's ends landing exactly at the first and the last row, the focus coming to the row in view,
// Shift selecting exactly the rows from where the selection started while rows arrive, a resize inside a
// tall row, and a list taller than the scroll bar's range, selected from its last row to its first by the
// keys and by a click.

#include "ui/progress/StreamingRemediationView.h"
#include "editions/ProductConfig.h"
#include "platform/ServiceContext.h"
#include "progress/ZshrcActivationPreview.h"
#include "support/AccessibleNames.h"
#include "support/CurrentEdition.h"
#include "support/KeyboardWalk.h"
#include "support/PersonClick.h"
#include "support/ProcessChecks.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "telemetry/TelemetryService.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/progress/RemediationSheet.h"
#include "ui/progress/ZshrcActivationCard.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"

#include <QAccessible>
#include <QCursor>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

class StreamingViewTest : public ::testing::Test {
protected:
    StreamingViewTest() {
        ServiceContext::setServices(&window_, mac_.services());
        DesktopActions::install(&window_, desktop_);
        window_.resize(640, 560);
        window_.show();
    }

    RemediationSheet* open(const Remediation& remediation) {
        auto* sheet = new RemediationSheet(
            remediation, [this](const RemediationOutcome& outcome) { outcomes_ << outcome; },
            TelemetryService::shared(), &window_);
        StreamingRemediationModel::Sources sources;
        sources.brewRetryPause = std::chrono::milliseconds(0);
        sheet->view()->streamingView()->setSources(sources);
        sheet->open();
        return sheet;
    }

    bool waitForOutcome() {
        return waitUntil([&] { return !outcomes_.isEmpty(); });
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox mac_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    QWidget window_;
    QList<RemediationOutcome> outcomes_;
};

// Lays `text` out as a row `rowWidth` wide of `list` wraps it: inside the margins the style gives an item's
// text, between words or anywhere in a word.
void wrapAsRow(QTextLayout& layout, const OutputLinesView* list, int rowWidth) {
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setFont(list->font());
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rowWidth - 2 * margin);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

// The rows of `list` on screen, each with where its top is.
QMap<int, int> shownRows(const OutputLinesView* list) {
    QMap<int, int> tops;
    const QAbstractItemModel* rows = list->model();
    int first = -1;
    for (int y = 0; first < 0 && y <= 2 * list->spacing(); ++y)
        first = list->indexAt(QPoint(20, y)).row();
    for (int row = first; row >= 0 && row < rows->rowCount(); ++row) {
        const QRect rect = list->visualRect(rows->index(row, 0));
        if (rect.top() >= list->viewport()->height()) break;
        tops[row] = rect.top();
    }
    return tops;
}

// An output list of `lines` on a shown window.
struct ShownList {
    explicit ShownList(const QStringList& lines)
        : model(&lines) {
        list->setModel(&model);
        model.linesAppended(0, lines.size());
        window.resize(700, 400);
        window.show();
    }

    // A button beside the list that has the focus, in the active window: Tab goes from it to the list.
    QPushButton* addCancel() {
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), &window);
        cancel->move(0, 320);
        cancel->show();
        cancel->setFocus();
        [&] { ASSERT_TRUE(waitForWindowActive(&window)); }();
        return cancel;
    }

    OutputLinesModel model;
    QWidget window;
    OutputLinesView* list = new OutputLinesView(QStringLiteral("Output"), &window);
};

// Whether the first row's top stands at the list's top edge, or the last row's bottom at its bottom edge,
// each with the row's spacing.
bool endRowAtEdge(OutputLinesView* list, bool last) {
    list->viewport()->repaint();
    const QRect row = list->visualRect(list->model()->index(last ? list->model()->rowCount() - 1 : 0, 0));
    return last ? row.bottom() == list->viewport()->height() - list->spacing() - 1
                : row.top() == list->spacing();
}

// A click on the middle of a row of `list` (which the row's text may not reach).
void clickRow(OutputLinesView* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(list->model()->index(row, 0)).center());
}

QList<int> selectedRows(const OutputLinesView* list) {
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool rowInView(const OutputLinesView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).intersects(list->viewport()->rect());
}

// Presses the button on `pressed` in the list's viewport, moves the pointer through the middle to `pointer`,
// holds it there `hold` ms and lets go, as the window system does; returns the rows a screen reader was told.
QList<int> dragTo(OutputLinesView* list, QPoint pressed, QPoint pointer, int hold,
                  Qt::KeyboardModifier modifier = Qt::NoModifier) {
    QWidget* viewport = list->viewport();
    QWindow* window = list->window()->windowHandle();
    const auto inWindow = [&](QPoint point) { return window->mapFromGlobal(viewport->mapToGlobal(point)); };
    QCursor::setPos(viewport->mapToGlobal(pressed));
    QTest::mousePress(window, Qt::LeftButton, modifier, inWindow(pressed));
    return focusedChildrenWhile([&] {
        movePointer(viewport, (pressed + pointer) / 2);
        movePointer(viewport, pointer);
        if (hold > 0) QTest::qWait(hold);
        QTest::mouseRelease(window, Qt::LeftButton, modifier, inWindow(pointer));
    });
}

// Whether `row` is the last row (or the first, at the top) with text in view, as the view is drawn.
bool lastRowWithText(OutputLinesView* list, int row, bool bottom) {
    list->viewport()->repaint();
    const auto inView = [list](int at) {
        return rowInView(list, at);
    }; // no row's rect is empty: false past the ends
    return inView(row) && !inView(row + (bottom ? 1 : -1));
}

QStringList labelTexts(const QWidget* widget) {
    QStringList texts;
    for (const QLabel* label : widget->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

TEST(StreamingRemediationTexts, EachCaseShowsItsTitleExplanationAndFinish) {
    const struct {
        Remediation remediation;
        QString title, explanation, finish, success;
    } cases[] = {
        {Remediation::installTemurinViaBrew("temurin"), "Installing Temurin via Homebrew",
         "macOS will ask for your password so brew can install Temurin to "
         "/Library/Java/JavaVirtualMachines/.",
         "Continue to verify", "Temurin installed."},
        {Remediation::installViaSDKMAN("21-tem"), "Installing Temurin via SDKMAN",
         "Running `sdk install java <X>-tem` via your login zsh.", "Continue to verify",
         "Installed Temurin via SDKMAN."},
        {Remediation::installViaMise("temurin-21"), "Installing Temurin via Mise",
         "Running `mise install java@temurin-<X>` and `mise use -g`.", "Continue to verify",
         "Installed Temurin via Mise."},
        {Remediation::installViaPKG(21), "Installing Temurin 21 (direct PKG)",
         "We'll download the Temurin installer from Adoptium, verify its checksum, and ask macOS for "
         "permission "
         "to install.",
         "Continue to verify", "Temurin installed."},
        {Remediation::installViaPKGThenJEnv(17), "Installing Temurin 17 and registering with jEnv",
         "PKG install first, then `jenv add` and `jenv global`. macOS will ask for your password for the "
         "installer step.",
         "Continue to verify", "Temurin installed."},
        {Remediation::setJavaHomeViaSDKMAN("21-tem"), "Setting JAVA_HOME via SDKMAN",
         "Running `sdk default java <X>-tem`.", "Continue to verify", "Set the SDKMAN default Java."},
        {Remediation::setJavaHomeViaMise("temurin-21"), "Setting JAVA_HOME via Mise",
         "Running `mise use -g java@temurin-<X>` and ensuring `~/.zshrc` activates Mise.",
         "Continue to verify", "Configured Mise to set JAVA_HOME."},
        {Remediation::setJavaHomeViaJenv("/jdk", 21), "Setting JAVA_HOME via jEnv",
         "Enabling jEnv's export plugin and registering your Java installation.", "Continue to verify",
         "Configured jEnv to set JAVA_HOME."},
        {Remediation::installHomebrewThenTemurin("temurin"), "Installing Homebrew + Temurin",
         "Two phases: install Homebrew first (with Xcode Command Line Tools as a side-effect if needed), "
         "then "
         "install Temurin via Homebrew.",
         "Continue to verify", "Homebrew + Temurin installed."},
        {Remediation::installWarpViaBrew("warp"), "Installing Warp via Homebrew",
         "Homebrew will install Warp to /Applications/.", "Continue", "Warp installed."},
        {Remediation::installHomebrewThenWarp("warp"), "Installing Homebrew + Warp",
         "Two phases: install Homebrew first (macOS will ask for your password), then install Warp via "
         "Homebrew.",
         "Continue", "Homebrew + Warp installed."},
        {Remediation::installHomebrew(), "Installing Homebrew",
         "Running the official Homebrew install script. macOS will ask for your password; if Xcode Command "
         "Line "
         "Tools aren't installed, a separate Apple dialog will appear during install.",
         "Continue", "Homebrew installed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        const StreamingRemediationView view(c.remediation, {}, TelemetryService::shared());
        const QStringList texts = labelTexts(&view);
        EXPECT_TRUE(texts.contains(c.title));
        EXPECT_TRUE(texts.contains(c.explanation));
        EXPECT_EQ(view.finishButton()->text(), c.finish);
        EXPECT_EQ(StreamingRemediationModel::successMessage(c.remediation), c.success);
    }
}

TEST_F(StreamingViewTest, WarpJourneyShowsEveryLineWithTheRetryRowMarkedThenFinishes) {
    const QString longLine = QStringLiteral("==> Fetching ") + QString(300, u'x') + QStringLiteral(" done");
    QString script = "echo '==> Downloading warp'\necho '==> Retrying with `brew reinstall --cask warp`'\n"
                     "echo 'brew reinstall warp'\necho '" +
                     longLine + "'\n";
    script += "i=0; while [ $i -lt 300 ]; do echo \"progress $i\"; i=$((i+1)); done\n";
    mac_.writeStub("/opt/homebrew/bin/brew", StubSpec().withScript(script));
    RemediationSheet* sheet = open(Remediation::installWarpViaBrew("warp"));
    StreamingRemediationView* view = sheet->view()->streamingView();
    EXPECT_EQ(view->objectName(), "remediation-progress");
    EXPECT_EQ(view->cancelButton()->objectName(), "remediation-cancel");
    ASSERT_TRUE(waitUntil([&] { return view->finishButton()->isVisible(); }));
    EXPECT_FALSE(view->cancelButton()->isVisible());

    const QAbstractItemModel* rows = view->outputView()->model();
    ASSERT_EQ(rows->rowCount(), 304);
    QStringList identifiers;
    for (int row = 0; row < 3; ++row)
        identifiers << rows->index(row, 0).data(OutputLinesModel::identifierRole).toString();
    EXPECT_EQ(identifiers, (QStringList{"", "remediation-retry-line", ""}));
    EXPECT_EQ(rows->index(303, 0).data().toString(), "progress 299");
    QScrollBar* bar = view->outputView()->verticalScrollBar();
    EXPECT_TRUE(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }))
        << "the last line sits at the bottom";
    // The long line is cut nowhere: its row wraps to the list's width, down to its last line, and wraps
    // again when the sheet narrows; nothing scrolls sideways.
    OutputLinesView* list = view->outputView();
    const QFontMetrics metrics(list->font());
    const auto wrappedRow = [&] {
        list->scrollTo(rows->index(3, 0));
        const QRect row = list->visualRect(rows->index(3, 0));
        EXPECT_LE(row.right(), list->viewport()->width());
        EXPECT_GE(row.height() * row.width(), metrics.horizontalAdvance(longLine) * metrics.height());
        return row;
    };
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    const QRect wide = wrappedRow();
    EXPECT_GT(wide.height(), 2 * list->visualRect(rows->index(2, 0)).height());
    const QImage drawn = list->viewport()->grab().toImage();
    QSet<QRgb> lastLine;
    for (int x = wide.left(); x <= wide.right(); ++x)
        lastLine << drawn.pixel(x, wide.bottom() - metrics.height() / 2);
    EXPECT_GT(lastLine.size(), 1) << "the row's last line shows text";
    sheet->resize(sheet->width() - 120, sheet->height());
    EXPECT_GT(wrappedRow().height(), wide.height());
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);

    // Selected rows are drawn as one block, over the gaps between them.
    QTest::keyClick(list, Qt::Key_End);
    const QRect last = list->visualRect(rows->index(303, 0));
    const QImage unselected = list->viewport()->grab().toImage();
    view->outputView()->selectAll();
    const QImage selected = list->viewport()->grab().toImage();
    const QRgb highlight = selected.pixel(last.right() - 1, last.top());
    EXPECT_NE(unselected.pixel(last.right() - 1, last.top()), highlight);
    for (int y = last.top() - list->spacing() * 2; y < last.top(); ++y)
        EXPECT_EQ(selected.pixel(last.right() - 1, y), highlight) << y;
    QTest::keySequence(view->outputView(), QKeySequence::Copy);
    ASSERT_EQ(desktop_->pasteboardWrites.size(), 1);
    EXPECT_TRUE(desktop_->pasteboardWrites.first().startsWith("==> Downloading warp\n==> Retrying"));
    saveScreenshot(sheet, "streaming-succeeded");

    QTest::mouseClick(view->finishButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::success("Warp installed.")});
    sheet->reject(); // a late close reports nothing more
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(outcomes_.size(), 1);
}

TEST_F(StreamingViewTest, FailureOffersTheArticleAndClose) {
    // brew fails once the test lets it, while Cancel holds the focus.
    const QString hold = "/.hold-brew";
    mac_.writeFile(hold, "");
    mac_.writeStub("/opt/homebrew/bin/brew",
                   StubSpec()
                       .withStdOut("Error: nope\n")
                       .withExitCode(4)
                       .withScript("while [ -e '" + mac_.map(hold) + "' ]; do /bin/sleep 0.05; done\n"));
    RemediationSheet* sheet = open(Remediation::installTemurinViaBrew("temurin"));
    ASSERT_TRUE(waitForWindowActive(sheet));
    StreamingRemediationView* view = sheet->view()->streamingView();
    view->cancelButton()->setFocus(Qt::TabFocusReason);
    // Cancel's place goes to "Close" in its row, never to the link beside it, where Return opens a browser;
    // a screen reader hears the sheet, then Close.
    const QList<QObject*> focused = focusedWidgetsWhile([&] {
        QFile::remove(mac_.map(hold));
        ASSERT_TRUE(waitUntil([&] { return view->closeButton()->isVisible(); }));
        EXPECT_TRUE(waitUntil([&] { return view->closeButton()->hasFocus(); }));
    });
    EXPECT_EQ(focused, (QList<QObject*>{sheet, view->closeButton()}));
    EXPECT_TRUE(view->articleLink()->isVisible());
    EXPECT_FALSE(view->finishButton()->isVisible());
    saveScreenshot(sheet, "streaming-failed");
    QTest::mouseClick(view->articleLink(), Qt::LeftButton);
    EXPECT_EQ(desktop_->openedURLs, QList{ProductConfig::current().urls.installMethods});
    EXPECT_TRUE(outcomes_.isEmpty()) << "the screen stays";
    QTest::mouseClick(view->closeButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::failure(StreamingRemediationModel::failureText(4))});
}

TEST_F(StreamingViewTest, ClosingTheSheetWhileRunningCancelsOnce) {
    mac_.writeStub("/opt/homebrew/bin/brew", StubSpec().withScript(childAndGrandchildCommand));
    RemediationSheet* sheet = open(Remediation::installWarpViaBrew("warp"));
    StreamingRemediationView* view = sheet->view()->streamingView();
    ASSERT_TRUE(waitUntil([&] { return view->model()->lines().size() == 1; }));
    pid_t child = 0, grandchild = 0;
    ASSERT_TRUE(readChildAndGrandchild(view->model()->lines().first(), &child, &grandchild));
    EXPECT_EQ(view->statusText(), "Running…");
    EXPECT_TRUE(view->cancelButton()->isEnabled());

    // Space on Cancel: a screen reader hears the focus go from Cancel to the sheet, and nowhere else.
    ASSERT_TRUE(waitForWindowActive(sheet));
    view->cancelButton()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(focusedWidgetsWhile([&] { QTest::keyClick(view->cancelButton(), Qt::Key_Space); }),
              QList<QObject*>{sheet});
    EXPECT_EQ(view->statusText(), "Canceling…");
    EXPECT_FALSE(view->cancelButton()->isEnabled());
    EXPECT_TRUE(view->cancelButton()->isVisible());
    sheet->reject();
    ASSERT_TRUE(waitForOutcome());
    EXPECT_TRUE(waitUntil([&] { return dead(child) && dead(grandchild); }));
    sheet->reject();
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::canceled()});
}

TEST_F(StreamingViewTest, TheZshrcChangeWaitsInTheBottomRowAndEscSkipsIt) {
    mac_.linkSystemProgram("/bin/zsh");
    // mise waits while the hold file exists: the job runs until the test lets it end.
    const QString hold = "/.hold-mise";
    mac_.writeFile(hold, "");
    mac_.writeStub("/usr/bin/mise", StubSpec().withScript("while [ -e '" + mac_.map(hold) +
                                                          "' ]; do /bin/sleep 0.05; done\n"));
    RemediationSheet* sheet = open(Remediation::setJavaHomeViaMise("temurin-21"));
    ASSERT_TRUE(waitForWindowActive(sheet));
    StreamingRemediationView* view = sheet->view()->streamingView();
    EXPECT_EQ(view->outputView()->accessibleName(), "Setting JAVA_HOME via Mise output");
    ASSERT_TRUE(waitUntil([&] { return !view->model()->lines().isEmpty(); }));
    view->cancelButton()->setFocus(Qt::TabFocusReason);
    const auto height = [view](const QWidget* button) { return button->mapTo(view, QPoint(0, 0)).y(); };
    const int row = height(view->cancelButton());

    // The job's end takes Cancel away: its focus goes to the default, Apply, which stands where Cancel
    // stood, beside Skip (a screen reader hears the sheet, then Apply); the card above holds the preview.
    ZshrcActivationCard* card = nullptr;
    const QList<QObject*> focused = focusedWidgetsWhile([&] {
        QFile::remove(mac_.map(hold));
        ASSERT_TRUE(
            waitUntil([&] { return (card = view->findChild<ZshrcActivationCard*>()) && card->isVisible(); }));
        EXPECT_TRUE(waitUntil([&] { return view->applyZshrcButton()->hasFocus(); }));
    });
    EXPECT_EQ(focused, (QList<QObject*>{sheet, view->applyZshrcButton()}));
    EXPECT_FALSE(view->finishButton()->isVisible());
    EXPECT_FALSE(view->cancelButton()->isVisible());
    EXPECT_EQ(height(view->applyZshrcButton()), row);
    EXPECT_EQ(height(view->skipZshrcButton()), row);
    EXPECT_FALSE(card->isAncestorOf(view->applyZshrcButton()));
    saveScreenshot(sheet, "streaming-zshrc-card");

    // Esc is Skip: its line, and the sheet stays, on its finish button; a second Esc ends it.
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(view->finishButton()->isVisible());
    EXPECT_EQ(height(view->finishButton()), row);
    EXPECT_TRUE(waitUntil([&] { return view->finishButton()->hasFocus(); }));
    EXPECT_EQ(
        view->model()->lines().last(),
        "Skipped ~/.zshrc edit. JAVA_HOME may stay unset in fresh shells until you add the line manually.");
    EXPECT_TRUE(outcomes_.isEmpty());
    QTest::keyClick(sheet, Qt::Key_Escape);
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::success("Configured Mise to set JAVA_HOME.")});
    sheet->dismiss();

    // The window's close control with a change pending: Skip's line, then the job's success.
    RemediationSheet* closed = open(Remediation::setJavaHomeViaMise("temurin-21"));
    StreamingRemediationView* other = closed->view()->streamingView();
    ASSERT_TRUE(waitUntil([&] { return other->applyZshrcButton()->isVisible(); }));
    closed->close();
    ASSERT_TRUE(waitUntil([&] { return outcomes_.size() == 2; }));
    EXPECT_EQ(outcomes_.last(), RemediationOutcome::success("Configured Mise to set JAVA_HOME."));
    EXPECT_EQ(other->model()->lines().last(), ZshrcActivationPreview::skipLine());
    EXPECT_FALSE(mac_.exists("/Users/tester/.zshrc"));
}

// A job that ends while another window is in front, the focus on Cancel: once the sheet is in front again,
// the focus is where it would be had the sheet stayed in front (Close after a failure, Apply with a
// ~/.zshrc change waiting), and a screen reader hears the sheet, then that control.
TEST_F(StreamingViewTest, AJobThatEndsInTheBackLeavesTheFocusAsInFront) {
    mac_.linkSystemProgram("/bin/zsh");
    const QString hold = "/.hold";
    const QString wait = "while [ -e '" + mac_.map(hold) + "' ]; do /bin/sleep 0.05; done\n";
    mac_.writeStub("/opt/homebrew/bin/brew", StubSpec().withExitCode(4).withScript(wait));
    mac_.writeStub("/usr/bin/mise", StubSpec().withScript(wait));
    using Heir = std::function<QWidget*(const StreamingRemediationView*)>;
    const std::pair<Remediation, Heir> cases[]{
        {Remediation::installTemurinViaBrew("temurin"), [](auto* view) { return view->closeButton(); }},
        {Remediation::setJavaHomeViaMise("temurin-21"), [](auto* view) { return view->applyZshrcButton(); }},
    };
    for (const auto& [remediation, heirOf] : cases) {
        SCOPED_TRACE(remediation.id().toStdString());
        mac_.writeFile(hold, "");
        RemediationSheet* sheet = open(remediation);
        ASSERT_TRUE(waitForWindowActive(sheet));
        StreamingRemediationView* view = sheet->view()->streamingView();
        QWidget* heir = heirOf(view);
        const BackInFront back = focusBackInFront(sheet, view->cancelButton(), [&] {
            QFile::remove(mac_.map(hold));
            ASSERT_TRUE(waitUntil([&] { return heir->isVisible(); }));
            ASSERT_TRUE(waitForQueuedCalls());
        });
        EXPECT_EQ(back.focus, heir);
        EXPECT_EQ(back.told.value(back.told.size() - 1), heir);
        EXPECT_TRUE(std::all_of(back.told.cbegin(), back.told.cend(),
                                [&](QObject* told) { return told == sheet || told == heir; }));
        sheet->dismiss();
        delete sheet;
    }
}

TEST_F(StreamingViewTest, ASheetClosedAsItOpensStartsNothing) {
    mac_.writeStub("/opt/homebrew/bin/brew");
    RemediationSheet* sheet = open(Remediation::installWarpViaBrew("warp"));
    sheet->close(); // the window's close control
    ASSERT_TRUE(waitForOutcome());
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::canceled()});
    EXPECT_TRUE(mac_.calls("/opt/homebrew/bin/brew").isEmpty());
}

TEST_F(StreamingViewTest, PagingUpThroughWrappedRowsShowsEveryRowAndMovesThemByTheStep) {
    // 5,000 lines; every fifth holds words too long to share a line, so it wraps to more lines than its
    // length tells.
    mac_.writeStub("/opt/homebrew/bin/brew",
                   StubSpec().withScript("w=$(printf 'x%.0s' {1..50}); i=0; while [ $i -lt 5000 ]; do "
                                         "if [ $((i % 5)) -eq 4 ]; then echo \"$i $w $w $w $w $w $w\"; "
                                         "else echo \"line $i\"; fi; i=$((i+1)); done\n"));
    RemediationSheet* sheet = open(Remediation::installWarpViaBrew("warp"));
    StreamingRemediationView* view = sheet->view()->streamingView();
    ASSERT_TRUE(waitUntil([&] { return view->finishButton()->isVisible(); }));
    OutputLinesView* list = view->outputView();
    const QAbstractItemModel* rows = list->model();
    ASSERT_EQ(rows->rowCount(), 5000);
    QScrollBar* bar = list->verticalScrollBar();
    ASSERT_TRUE(waitUntil([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));

    // Each key moves the rows on screen by its step, never by what the rows coming into view add.
    const auto press = [&](Qt::Key key, int step) -> testing::AssertionResult {
        const QMap<int, int> before = shownRows(list);
        const int from = bar->value();
        QTest::keyClick(list, key);
        list->viewport()->repaint(); // measures the rows that came into view
        if (from < step) return testing::AssertionSuccess();
        for (auto row = before.begin(); row != before.end(); ++row)
            if (const int top = list->visualRect(rows->index(row.key(), 0)).top(); top != row.value() + step)
                return testing::AssertionFailure() << "row " << row.key() << " moved from " << row.value()
                                                   << " to " << top << ", not by " << step;
        return testing::AssertionSuccess();
    };
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(press(Qt::Key_Up, bar->singleStep()));
    QTest::keyClick(list, Qt::Key_End);
    QSet<int> seen;
    for (int pages = 0; bar->value() > 0 && pages < 2000; ++pages) {
        for (int row : shownRows(list).keys())
            seen << row;
        ASSERT_TRUE(press(Qt::Key_PageUp, list->viewport()->height()));
    }
    for (int row : shownRows(list).keys())
        seen << row;
    EXPECT_EQ(seen.size(), 5000) << "every row is on screen on some page";
}

TEST(OutputListRows, RowsWithTabsAreAsHighAsTheirTextAtEveryWidth) {
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("\tat org.example.service.Handler%1.process(Handler.java:%2)\t%3")
                     .arg(i)
                     .arg(i * 37)
                     .arg(QString(i % 7, u'\t'));
    ShownList shown(lines);
    ASSERT_TRUE(waitForWindowExposed(&shown.window));
    OutputLinesModel& model = shown.model;
    OutputLinesView* list = shown.list;
    const auto rowsFitTheirText = [&](int width) -> testing::AssertionResult {
        list->resize(width, 400);
        list->viewport()->repaint();
        const QMap<int, int> onScreen = shownRows(list);
        if (onScreen.size() < 5) return testing::AssertionFailure() << onScreen.size() << " rows shown";
        const int lineHeight = QFontMetrics(list->font()).height();
        for (int row : onScreen.keys()) {
            const QRect rect = list->visualRect(model.index(row));
            QTextLayout layout(lines[row]);
            wrapAsRow(layout, list, rect.width());
            const qreal needed = layout.lineCount() * layout.lineAt(0).height();
            if (rect.height() < std::ceil(needed) || rect.height() >= needed + lineHeight)
                return testing::AssertionFailure() << "row " << row << " is " << rect.height() << " high for "
                                                   << needed << " at " << width;
            if (row + 1 < lines.size() &&
                list->visualRect(model.index(row + 1)).top() != rect.bottom() + 1 + 2 * list->spacing())
                return testing::AssertionFailure() << "row " << row + 1 << " is not below its spacing";
        }
        return testing::AssertionSuccess();
    };
    for (int width = 300; width <= 460; ++width)
        ASSERT_TRUE(rowsFitTheirText(width));
    // Wider spaces wrap the rows anew though every other glyph keeps its size.
    QFont spaced = list->font();
    spaced.setWordSpacing(12);
    list->setFont(spaced);
    for (int width = 460; width >= 440; --width)
        ASSERT_TRUE(rowsFitTheirText(width));
}

TEST(OutputListRows, AResizeInsideATallRowKeepsTheLineAtTheTopEdge) {
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("before %1").arg(i);
    QString tall;
    for (int word = 0; tall.size() < 2990; ++word)
        tall += QStringLiteral("w%1 ").arg(word, 4, 10, QLatin1Char('0'));
    lines << tall;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("after %1").arg(i);
    ShownList shown(lines);
    ASSERT_TRUE(waitForWindowExposed(&shown.window));
    OutputLinesModel& model = shown.model;
    OutputLinesView* list = shown.list;
    list->resize(420, 300);
    const QModelIndex index = model.index(40);
    list->scrollTo(index, QAbstractItemView::PositionAtTop);
    for (int i = 0; i < 25; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    // The characters of the line at the top edge.
    const auto lineAtTop = [&] {
        const QRect rect = list->visualRect(index);
        QTextLayout layout(tall);
        wrapAsRow(layout, list, rect.width());
        for (int i = 0; i < layout.lineCount(); ++i)
            if (const QTextLine line = layout.lineAt(i); line.y() + line.height() > -rect.top())
                return std::pair{line.textStart(), line.textStart() + line.textLength()};
        return std::pair{-1, -1};
    };
    const int read = lineAtTop().first;
    ASSERT_GT(read, 0);
    for (const int width : {421, 433, 470, 380, 341, 300, 420, 399, 512, 420}) {
        list->resize(width, 300);
        list->viewport()->repaint();
        const auto [start, end] = lineAtTop();
        EXPECT_GE(read, start) << width;
        EXPECT_LT(read, end) << width;
    }
}

// A row far taller than 65,535 pixels (3,000 characters in a large font, a character or two a line) keeps
// its whole height, and the row below it starts below it.
TEST(OutputListRows, ARowTallerThanSixteenBitsOfPixelsKeepsItsHeight) {
    QStringList lines{QStringLiteral("before"), QString(3000, u'x'), QStringLiteral("after")};
    ShownList shown(lines);
    QFont large = shown.list->font();
    large.setPixelSize(40);
    shown.list->setFont(large);
    shown.list->resize(shown.list->width() - shown.list->viewport()->width() + 60, 300);
    shown.list->scrollTo(shown.model.index(1), QAbstractItemView::PositionAtTop);
    shown.list->viewport()->repaint();
    const QRect tall = shown.list->visualRect(shown.model.index(1));
    EXPECT_GE(tall.height(), 3000 / 2 * QFontMetrics(large).height());
    EXPECT_EQ(shown.list->visualRect(shown.model.index(2)).top(),
              tall.bottom() + 1 + 2 * shown.list->spacing());
}

// Home, End and the scroll bar's ends are places, not steps: the first row at the top edge, the last at
// the bottom edge (the list follows new rows again), over rows never drawn whose estimated heights are too
// tall (combining marks) and too short (tabs, words that wrap early), in lists of a few pages.
TEST(OutputListRows, HomeEndAndTheScrollBarsEndsLandExactlyAtTheFirstAndTheLastRow) {
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines << QStringList{
            QStringLiteral("a") + QString(120 + i, QChar(0x0301)),
            QStringLiteral("\t%1\t\t\t\tx\t\t\t\ty\t\t\t\tz").arg(i),
            QStringLiteral("==> Installing dependencies: ca-certificates openssl@3 readline sqlite "
                           "xz python@3.12 %1")
                .arg(i),
            QString(40 + i, u'w')}[i % 4];
    // Home or End, with Shift or without, or the scroll bar set to an end.
    const auto toEnd = [](OutputLinesView* list, int way, bool last) {
        QScrollBar* bar = list->verticalScrollBar();
        if (way == 2) return bar->setValue(last ? bar->maximum() : bar->minimum());
        QTest::keyClick(list, last ? Qt::Key_End : Qt::Key_Home, way ? Qt::ShiftModifier : Qt::NoModifier);
    };
    for (const auto& [count, height] : {std::pair{12, 120}, {24, 190}, {40, 300}, {120, 300}})
        for (int way = 0; way < 3; ++way) {
            SCOPED_TRACE(testing::Message()
                         << "way " << way << ", " << count << " rows " << height << " high");
            QStringList shownLines = lines.mid(0, count);
            ShownList shown(shownLines);
            ASSERT_TRUE(waitForWindowExposed(&shown.window));
            shown.list->resize(420, height);
            QTest::keyClick(shown.list, Qt::Key_Up); // from the end, the rows above never drawn
            toEnd(shown.list, way, false);
            EXPECT_TRUE(endRowAtEdge(shown.list, false));
            toEnd(shown.list, way, true); // the rows below never drawn
            EXPECT_TRUE(endRowAtEdge(shown.list, true));
            shownLines << lines[1];
            shown.model.linesAppended(count, 1);
            EXPECT_TRUE(endRowAtEdge(shown.list, true));
        }
}

// Tab into a list scrolled to its middle makes the row at the top edge (the first one mostly shown)
// current, which a screen reader hears after the list and finds as the list's focused child, scrolling
// and selecting nothing; Space selects it, and Shift+click the rows from it to the one clicked. Shift
// steps and Shift+click select exactly the rows between where the selection started and the current
// row, also when rows arrived in between, beside the rows a Command-click kept however the range
// grows, shrinks or turns past them.
TEST(OutputListRows, TheFocusStartsAtTheRowInViewAndShiftSelectsFromWhereTheSelectionStarted) {
    QStringList lines;
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("==> Pouring python@3.12--3.12.%1.bottle.tar.gz").arg(i);
    ShownList shown(lines);
    OutputLinesView* list = shown.list;
    QPushButton* cancel = shown.addCancel();
    list->resize(420, 300);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
    const int value = list->verticalScrollBar()->value();
    // The row at the top edge is the first one of which the view shows the larger part.
    const int first = shownRows(list).firstKey();
    const QRect firstRect = list->visualRect(shown.model.index(first, 0));
    const int top = 2 * firstRect.bottom() + 2 >= firstRect.height() ? first : first + 1;
    EXPECT_EQ(focusedChildrenWhile([&] { QTest::keyClick(cancel, Qt::Key_Tab); }), (QList{-1, top}));
    ASSERT_TRUE(list->hasFocus());
    EXPECT_EQ(list->currentIndex().row(), top);
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(list)->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->role(), QAccessible::ListItem);
    EXPECT_EQ(focused->text(QAccessible::Name), lines[top]);
    EXPECT_TRUE(focused->state().focusable && focused->state().focused);
    EXPECT_EQ(list->verticalScrollBar()->value(), value);
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(list->selectedText(), lines[top]);
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
        clickRow(list, top + row, modifiers);
    };
    const auto arrives = [&] {
        lines << QStringLiteral("==> Done");
        shown.model.linesAppended(lines.size() - 1, 1);
    };
    const auto selected = [&](std::initializer_list<std::pair<int, Qt::KeyboardModifier>> clicks) {
        for (const auto& [row, modifier] : clicks)
            click(row, modifier);
        QList<int> rows = selectedRows(list);
        for (int& row : rows)
            row -= top;
        return rows;
    };
    const auto plain = Qt::NoModifier;
    const auto shift = Qt::ShiftModifier;
    const auto command = Qt::ControlModifier;
    click(2, Qt::ShiftModifier);
    EXPECT_EQ(list->selectedText(), lines.mid(top, 3).join(u'\n'));
    click(5, {});
    for (int step = 0; step < 3; ++step)
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    arrives();
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(list->selectedText(), lines.mid(top + 5, 2).join(u'\n'));
    arrives();
    click(2, Qt::ShiftModifier);
    EXPECT_EQ(list->selectedText(), lines.mid(top + 2, 4).join(u'\n'));
    // Rows selected apart from the range (a Command-click) stay beside it as it grows, shrinks and turns.
    click(8, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    arrives();
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(list->selectedText(), (lines.mid(top + 2, 4) + lines.mid(top + 8, 2)).join(u'\n'));
    for (int step = 0; step < 3; ++step)
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selected({}), (QList{2, 3, 4, 5, 6, 7, 8})) << "turned past the row it started at";
    EXPECT_EQ(selected({{5, plain}, {3, command}, {7, shift}, {1, shift}}), (QList{1, 2, 3, 5}));
    EXPECT_EQ(selected({{2, plain}, {3, command}, {4, command}, {7, shift}, {1, shift}, {6, shift}}),
              (QList{2, 3, 4, 5, 6}));
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selected({}), (QList{2, 3, 4}));
    EXPECT_EQ(selected({{6, plain}, {5, shift}, {5, command}, {5, shift}}), (QList{5, 6}));
    // A drag from a press selects the rows the pointer passes.
    const auto middle = [&](int row) { return list->visualRect(shown.model.index(top + row)).center(); };
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, middle(6));
    QTest::mouseMove(list->viewport(), middle(9));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, middle(9));
    EXPECT_EQ(selected({}), (QList{6, 7, 8, 9}));
}

// A row the focus made current is a place, not a choice: once the reader moves the view, Space and Shift act
// on the row in view, never one out of view; a Shift+click with nothing selected selects the clicked row
// alone; the focus coming back with nothing selected takes the row in view; a row the reader chose keeps its
// place however far the view moves; rows arriving keep the row the keys left where it is, and the view
// following them carries it while it shows; End follows the end again. A screen reader is told a clicked row
// once, and the first row of a focused list that was empty once.
TEST(OutputListRows, ARowTheFocusGaveIsAPlaceThatTheViewMovesAndAChosenRowStays) {
    QStringList lines;
    for (int i = 0; i < 5400; ++i)
        lines << QStringLiteral("==> Fetching dependency %1 of the job").arg(i);
    const int last = int(lines.size()) - 1;
    for (const bool space : {false, true}) {
        ShownList shown(lines); // at its end, following it
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        ASSERT_EQ(shown.list->currentIndex().row(), last);
        QTest::keyClick(shown.list, Qt::Key_Home);
        if (space)
            QTest::keyClick(shown.list, Qt::Key_Space);
        else
            clickRow(shown.list, 1, Qt::ShiftModifier);
        EXPECT_EQ(selectedRows(shown.list), QList{space ? 0 : 1});
    }
    {
        ShownList shown(lines);
        QPushButton* cancel = shown.addCancel();
        QTest::keyClick(cancel, Qt::Key_Tab);
        QTest::keyClick(shown.list, Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_TRUE(cancel->hasFocus());
        shown.list->verticalScrollBar()->setValue(0);
        QTest::keyClick(cancel, Qt::Key_Tab);
        EXPECT_TRUE(rowInView(shown.list, shown.list->currentIndex().row()));
        EXPECT_EQ(focusedChildrenWhile([&] { QTest::keyClick(shown.list, Qt::Key_Down, Qt::ShiftModifier); }),
                  QList{1});
        EXPECT_EQ(selectedRows(shown.list), (QList{0, 1}));
    }
    {
        ShownList shown(lines); // nobody focused it
        shown.addCancel();
        EXPECT_EQ(focusedChildrenWhile([&] { clickRow(shown.list, last - 8, Qt::ShiftModifier); }),
                  (QList{-1, last - 8}));
        EXPECT_EQ(selectedRows(shown.list), QList{last - 8});
        // A chosen row keeps its place far out of view.
        shown.list->verticalScrollBar()->setValue(0);
        clickRow(shown.list, 101);
        const int slot = shown.list->visualRect(shown.model.index(0)).height() + 2 * shown.list->spacing();
        shown.list->verticalScrollBar()->setValue(shown.list->verticalScrollBar()->value() + 5000 * slot);
        const int shownRow = shownRows(shown.list).firstKey() + 3;
        ASSERT_GT(shownRow, 5000);
        clickRow(shown.list, shownRow, Qt::ShiftModifier);
        EXPECT_EQ(selectedRows(shown.list).size(), shownRow - 101 + 1);
        EXPECT_EQ(selectedRows(shown.list).first(), 101);
        // Shift+Down on the last row, chosen and scrolled away from: nothing to add, but the row shows.
        QTest::keyClick(shown.list, Qt::Key_End, Qt::ShiftModifier);
        shown.list->verticalScrollBar()->setValue(0);
        QTest::keyClick(shown.list, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_TRUE(rowInView(shown.list, last));
        EXPECT_EQ(selectedRows(shown.list).size(), last - 101 + 1);
    }
    {
        // A key that moves the view moves a row the focus gave, told once; the row in view is the first
        // whose larger part shows.
        ShownList shown(lines);
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        QTest::keyClick(shown.list, Qt::Key_Home);
        QCoreApplication::sendPostedEvents(); // what the focus coming in told
        const QList<int> told = focusedChildrenWhile([&] { QTest::keyClick(shown.list, Qt::Key_PageDown); });
        EXPECT_EQ(told, QList{shown.list->currentIndex().row()});
        EXPECT_GT(told.value(0), 0);
        const QRect row = shown.list->visualRect(shown.model.index(40));
        shown.list->verticalScrollBar()->setValue(shown.list->verticalScrollBar()->value() + row.bottom() -
                                                  1);
        QTest::keyClick(shown.list, Qt::Key_Space);
        EXPECT_EQ(selectedRows(shown.list), QList{41});
    }
    {
        // From the last row the keys move the row at the bottom edge, and at an end of the view the row
        // itself: Up to the first row and Down back tell every row once, in order; Page Up from the last
        // moves a page.
        QStringList some = lines.mid(0, 60);
        ShownList shown(some);
        OutputLinesView* list = shown.list;
        list->resize(420, 300);
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        QCoreApplication::sendPostedEvents();
        const auto walk = [&](Qt::Key key, int steps) {
            return focusedChildrenWhile([&] {
                for (int step = 0; step < steps; ++step, QCoreApplication::sendPostedEvents())
                    QTest::keyClick(list, key);
            });
        };
        QList<int> rows(60);
        std::iota(rows.begin(), rows.end(), 0);
        EXPECT_EQ(walk(Qt::Key_Up, 59), QList<int>(rows.rbegin() + 1, rows.rend()));
        EXPECT_EQ(walk(Qt::Key_Down, 59), rows.mid(1));
        QTest::keyClick(list, Qt::Key_End);
        const int slot = list->visualRect(shown.model.index(0)).height() + 2 * list->spacing();
        EXPECT_NEAR(59 - walk(Qt::Key_PageUp, 1).value(0), list->viewport()->height() / slot, 1);
        // A row taller than the view that fills the larger part of it at the top edge is the row in view.
        QStringList tallLines = some;
        tallLines[50] = QString(3000, u'x');
        ShownList tall(tallLines);
        tall.list->resize(420, 300);
        QPushButton* cancel = tall.addCancel();
        tall.list->scrollTo(tall.model.index(50), QAbstractItemView::PositionAtTop);
        const int shownPart = tall.list->viewport()->height() * 2 / 3;
        const int hidden = tall.list->visualRect(tall.model.index(50)).height() - shownPart;
        ASSERT_GT(hidden, shownPart); // less than half of it shows
        tall.list->verticalScrollBar()->setValue(tall.list->verticalScrollBar()->value() + hidden);
        QTest::keyClick(cancel, Qt::Key_Tab);
        EXPECT_EQ(tall.list->currentIndex().row(), 50);
    }
    for (const bool away : {false, true}) {
        // Rows arriving keep the row Up moved to in a list that fitted while it shows, then the bottom one.
        QStringList some = lines.mid(0, 6);
        ShownList shown(some);
        shown.list->resize(420, 300);
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        QTest::keySequence(shown.list, QKeySequence(Qt::Key_Up, Qt::Key_Up));
        while (shown.list->verticalScrollBar()->value() == 0 || (away && rowInView(shown.list, 3))) {
            some << lines.mid(some.size(), 3);
            shown.model.linesAppended(some.size() - 3, 3);
            QCoreApplication::processEvents();
            EXPECT_EQ(shown.list->currentIndex().row(), rowInView(shown.list, 3) ? 3 : some.size() - 1);
        }
        EXPECT_EQ(focusedChildrenWhile([&] { QTest::keyClick(shown.list, Qt::Key_Up); }),
                  QList{away ? int(some.size()) - 2 : 2});
    }
    {
        // Keys that walk back down to the last row: rows arriving keep it, and Down goes on from it.
        QStringList some = lines.mid(0, 400);
        ShownList shown(some);
        shown.list->resize(420, 300);
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        QTest::keySequence(shown.list, QKeySequence(Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down));
        ASSERT_EQ(shown.list->currentIndex().row(), 399);
        some << lines.mid(400, 3);
        shown.model.linesAppended(400, 3);
        QCoreApplication::processEvents();
        EXPECT_EQ(shown.list->currentIndex().row(), 399);
        EXPECT_EQ(focusedChildrenWhile([&] { QTest::keyClick(shown.list, Qt::Key_Down); }), QList{400});
    }
    {
        // Keys (Up, Down, Page Up, Home, End) with rows arriving ('+') between them: rows that do not move
        // the view leave the row the keys reached where it is, and each row the keys reach is told once, in
        // order; End follows the end again, and Home stands at the top edge as a short list grows.
        const auto walk = [](ShownList& shown, QStringList& some, std::string_view keys) {
            constexpr Qt::Key named[]{Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End};
            return focusedChildrenWhile([&] {
                for (const char key : keys) {
                    if (key == '+') shown.model.linesAppended((some << some.last()).size() - 1, 1);
                    if (key != '+') QTest::keyClick(shown.list, named[std::string_view("udUhe").find(key)]);
                    QCoreApplication::processEvents();
                }
            });
        };
        QStringList tall; // rows three lines high
        for (int i = 0; i < 80; ++i)
            tall << lines[i] +
                        QStringLiteral(" at https://example.org/pkg/0.tar.gz, and more words to wrap it "
                                       "once again over a third line of its own");
        ShownList shown(tall);
        shown.list->resize(420, 300);
        QTest::keyClick(shown.addCancel(), Qt::Key_Tab);
        ASSERT_EQ(shown.list->visualRect(shown.model.index(79)).height(),
                  3 * int(std::ceil(QFontMetricsF(shown.list->font()).height())));
        walk(shown, tall, "UU");
        QList<int> rows{shown.list->currentIndex().row()};
        const QList<int> told = walk(shown, tall, "d+d+d+d+d+d+d+d+d+");
        while (rows.last() < shown.list->currentIndex().row())
            rows << rows.last() + 1;
        EXPECT_EQ(told, rows.mid(1));
        EXPECT_GE(told.size(), 2);
        EXPECT_EQ(walk(shown, tall, "hddu"), (QList{0, 1, 0}));
        EXPECT_EQ(walk(shown, tall, "e++++uu"), (QList{88, 91})); // the last of 89 rows; of 93, less one
        QStringList few = lines.mid(0, 6);
        ShownList grows(few);
        grows.list->resize(420, 300);
        QTest::keyClick(grows.addCancel(), Qt::Key_Tab);
        walk(grows, few, "h" + std::string(30, '+'));
        const int top = grows.list->currentIndex().row();
        EXPECT_LE(top, shownRows(grows.list).firstKey() + 1) << "the row at the top edge";
        EXPECT_EQ(walk(grows, few, "d"), QList{top + 1});
    }
    for (const bool end : {true, false}) {
        // Rows selected while the focus gave the current row (the last, or the first), which then left the
        // view: Shift+End (Shift+Home) starts over at the row at the edge and comes back to that row, and the
        // list shows what it selected, with the current row in view.
        QStringList some = lines.mid(0, 400);
        ShownList shown(some);
        QScrollBar* bar = shown.list->verticalScrollBar();
        QPushButton* cancel = shown.addCancel();
        if (!end) bar->setValue(0);
        shown.list->selectAll();
        QTest::keyClick(cancel, Qt::Key_Tab);
        bar->setValue(end ? 0 : bar->maximum());
        QTest::keyClick(shown.list, end ? Qt::Key_End : Qt::Key_Home, Qt::ShiftModifier);
        const QList<int> selected = selectedRows(shown.list);
        ASSERT_FALSE(selected.isEmpty());
        EXPECT_LT(selected.size(), 400);
        EXPECT_EQ(selected.size(), end ? 400 - selected.first() : selected.last() + 1);
        EXPECT_TRUE(rowInView(shown.list, shown.list->currentIndex().row()));
    }
    {
        // A Shift key from a chosen row out of view extends it from the anchor and brings it into view.
        QStringList some = lines.mid(0, 300);
        const std::pair<Qt::Key, QList<int>> steps[]{{Qt::Key_Down, {294, 297, 298}},
                                                     {Qt::Key_Up, {294, 296, 297}},
                                                     {Qt::Key_End, {294, 297, 298, 299}}};
        for (const auto& [key, expected] : steps) {
            ShownList shown(some);
            shown.addCancel();
            clickRow(shown.list, 294);
            clickRow(shown.list, 297, Qt::ControlModifier);
            shown.list->verticalScrollBar()->setValue(0);
            QTest::keyClick(shown.list, key, Qt::ShiftModifier);
            EXPECT_EQ(selectedRows(shown.list), expected) << key;
            EXPECT_TRUE(rowInView(shown.list, shown.list->currentIndex().row()));
        }
    }
    QStringList arriving;
    ShownList empty(arriving);
    QTest::keyClick(empty.addCancel(), Qt::Key_Tab);
    ASSERT_TRUE(empty.list->hasFocus());
    const QList<int> told = focusedChildrenWhile([&] {
        for (int batch = 0; batch < 20; ++batch) {
            for (int i = 0; i < 10; ++i)
                arriving << lines[batch * 10 + i];
            empty.model.linesAppended(batch * 10, 10);
            QCoreApplication::processEvents();
        }
    });
    ASSERT_EQ(told.size(), 1) << "told once, not on every line";
    EXPECT_GE(told.first(), 0);
    EXPECT_TRUE(rowInView(empty.list, empty.list->currentIndex().row()));
    EXPECT_FALSE(empty.list->selectionModel()->hasSelection());
}

// A press dragged past an edge of the view, or held in the margin along it, scrolls the rows toward the
// pointer and selects the rows from the pressed one to the row at that edge (beside the rows a Shift or
// Command press kept), told to a screen reader once, where the drag ends; the release stops the rows. The
// rows move only toward the pointer, also while rows arrive at a list that follows them.
TEST(OutputListRows, ADragPastAnEdgeScrollsTowardThePointerAndSelectsTheRowsDraggedOver) {
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("==> Linking Binary 'tool-%1' to '/opt/homebrew/bin/tool-%1'").arg(i);
    struct Case {
        const char* name;
        int pointerY; // past the bottom edge (+), the top edge (-), or inside the bottom margin (0)
        Qt::KeyboardModifier modifier;
        QList<int> kept;
        bool arriving = false; // at the end of a list that follows new rows as they arrive
    };
    const Case cases[]{{"below", 40, Qt::NoModifier, {}},
                       {"above", -25, Qt::NoModifier, {}},
                       {"in the bottom margin", 0, Qt::NoModifier, {}},
                       {"Shift", 40, Qt::ShiftModifier, {140, 141, 142, 143, 144}},
                       {"Command", 40, Qt::ControlModifier, {140}},
                       {"above, rows arriving", -25, Qt::NoModifier, {}, true}};
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        QStringList some = lines.mid(0, each.arriving ? 150 : 300);
        ShownList shown(some);
        OutputLinesView* list = shown.list;
        list->setGeometry(0, 40, 420, 300);
        shown.addCancel();
        list->scrollTo(shown.model.index(145), QAbstractItemView::PositionAtCenter);
        if (each.modifier != Qt::NoModifier) clickRow(list, 140);
        QWidget* viewport = list->viewport();
        const int height = viewport->height();
        const QPoint pressed = list->visualRect(shown.model.index(145)).center();
        const QPoint pointer(pressed.x(), each.pointerY > 0   ? height + each.pointerY
                                          : each.pointerY < 0 ? each.pointerY
                                                              : height - 4);
        const int value = list->verticalScrollBar()->value();
        QList<int> values{value}; // as rows arrive while the button holds
        QTimer arrive;
        QObject::connect(&arrive, &QTimer::timeout, [&] {
            some << lines[0];
            shown.model.linesAppended(some.size() - 1, 1);
            if (QGuiApplication::mouseButtons()) values << list->verticalScrollBar()->value();
        });
        if (each.arriving) arrive.start(10);
        const QList<int> told = dragTo(list, pressed, pointer, 500, each.modifier);
        EXPECT_TRUE(std::is_sorted(values.rbegin(), values.rend())) << "the view moved down";
        const int moved = list->verticalScrollBar()->value() - value;
        EXPECT_TRUE(each.pointerY < 0 ? moved < 0 : moved > 0) << moved;
        const int current = list->currentIndex().row();
        const QRect slot =
            list->visualRect(shown.model.index(current)).adjusted(0, -list->spacing(), 0, list->spacing());
        if (each.pointerY == 0)
            EXPECT_TRUE(slot.contains(pointer)) << "row " << current << " is not the row at the pointer";
        else
            EXPECT_TRUE(lastRowWithText(list, current, each.pointerY > 0)) << "row " << current;
        QList<int> expected = each.kept;
        for (int row = std::min(current, 145); row <= std::max(current, 145); ++row)
            if (!expected.contains(row)) expected << row;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(selectedRows(list), expected);
        EXPECT_EQ(told, QList{current});
        const int stopped = list->verticalScrollBar()->value();
        QTest::qWait(100);
        EXPECT_EQ(list->verticalScrollBar()->value(), stopped);
    }
}

// A drag past an edge, let go at once or held for a while, the pointer just past the edge or a view's height
// a tick, over short rows or rows wrapped higher than their estimate, ends on the last (or first) row with
// text in view as the view is drawn, also where the edge's pixel falls in the gap between two rows.
TEST(OutputListRows, ADragPastAnEdgeEndsOnARowWithTextInView) {
    for (const QString& line :
         {QStringLiteral("==> Linking"), QStringLiteral("\tx\t\t\t\ty\t\t\t\tz\t\t\t\tw")}) {
        QStringList lines(2000, line);
        ShownList shown(lines);
        OutputLinesView* list = shown.list;
        list->resize(420, 300);
        shown.addCancel();
        const int height = list->viewport()->height();
        for (const int past : {30, 2 * height, -30, -2 * height})
            for (const int hold : {0, 90, 300}) {
                SCOPED_TRACE(testing::Message()
                             << line.size() << " characters, " << past << " px, " << hold << " ms");
                const bool bottom = past > 0;
                list->scrollTo(shown.model.index(1000), QAbstractItemView::PositionAtCenter);
                list->viewport()->repaint();
                // The edge's pixel in the gap above a row's text (below it, at the top).
                const QMap<int, int> rows = shownRows(list);
                const QRect edge =
                    list->visualRect(shown.model.index(bottom ? rows.lastKey() : rows.firstKey()));
                list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() +
                                                    (bottom ? edge.top() - height : edge.bottom() + 1));
                dragTo(list, QPoint(20, height / 2), QPoint(20, bottom ? height + past : past), hold);
                EXPECT_TRUE(lastRowWithText(list, list->currentIndex().row(), bottom));
            }
    }
}

// A Shift step that cannot move the current row (at the first or the last row) changes nothing; a page step
// moves at least one row, also out of a row taller than the view; and a click schedules no scroll that would
// undo Home, End or the scroll bar's ends a moment later.
TEST(OutputListRows, AShiftStepThatCannotMoveKeepsTheSelectionAndAClickSchedulesNoScroll) {
    QStringList lines{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"),
                      QString(3000, u'x')};
    for (int i = 0; i < 10; ++i)
        lines << QStringLiteral("line %1").arg(i);
    ShownList shown(lines);
    OutputLinesView* list = shown.list;
    list->resize(420, 300);
    shown.addCancel();
    const int last = int(lines.size()) - 1;
    const std::tuple<int, int, Qt::Key> stuck[]{
        {0, 0, Qt::Key_Up},
        {0, 0, Qt::Key_PageUp},
        {0, 0, Qt::Key_Home},
        {last, last, Qt::Key_Down},
        {last, last, Qt::Key_PageDown},
        {last, last, Qt::Key_End},
        {last - 4, last, Qt::Key_End},
        {2, 0, Qt::Key_Home},
    };
    for (const auto& [clicked, shiftClicked, key] : stuck) {
        SCOPED_TRACE(testing::Message() << clicked << ".." << shiftClicked << " key " << key);
        list->verticalScrollBar()->setValue(shiftClicked == 0 ? 0 : list->verticalScrollBar()->maximum());
        clickRow(list, clicked);
        if (shiftClicked != clicked) clickRow(list, shiftClicked, Qt::ShiftModifier);
        const QModelIndexList before = list->selectionModel()->selectedRows();
        const int value = list->verticalScrollBar()->value();
        QTest::keyClick(list, key, Qt::ShiftModifier);
        EXPECT_EQ(list->selectionModel()->selectedRows(), before);
        EXPECT_EQ(list->currentIndex().row(), shiftClicked);
        EXPECT_EQ(list->verticalScrollBar()->value(), value);
    }
    // Out of a row taller than the view, a page down moves one row.
    list->resize(list->width() - list->viewport()->width() + 60, 200);
    list->scrollTo(shown.model.index(3), QAbstractItemView::PositionAtTop);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_EQ(list->currentIndex().row(), 3);
    QTest::keyClick(list, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(list->currentIndex().row(), 4);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 2);

    // A click, then at once Home, End or a scroll bar's end: a moment later the list still shows that end.
    list->resize(420, 200);
    QScrollBar* bar = list->verticalScrollBar();
    const std::function<void()> moves[]{
        [&] { QTest::keyClick(list, Qt::Key_Home); },
        [&] { QTest::keyClick(list, Qt::Key_End); },
        [&] { bar->setValue(bar->minimum()); },
        [&] { bar->setValue(bar->maximum()); },
    };
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, 100));
        moves[way]();
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        EXPECT_TRUE(endRowAtEdge(list, way % 2 == 1));
    }
}

// The scroll bar's handle dragged past either end of a list some 500,000,000 pixels tall, whose rows' heights
// differ from their estimates, shows that end: the first row at the top edge, or the last at the bottom edge.
TEST(OutputListRows, TheHandleDraggedPastAnEndOfAVeryTallListShowsThatEnd) {
    const QString plain(3000, u'x');
    const QString marked = QStringLiteral("a") + QString(2999, QChar(0x0301)); // one line, estimated as 3,000
    QStringList lines{plain};
    ShownList shown(lines);
    OutputLinesView* list = shown.list;
    list->resize(list->width() - list->viewport()->width() + 60, 300);
    const qint64 slot = list->visualRect(shown.model.index(0)).height() + 2 * list->spacing();
    const qint64 count = 1'000'000'000 / slot + 100;
    lines.reserve(count);
    for (qint64 i = 1; i < count; ++i)
        lines << (i % 2 ? marked : plain);
    shown.model.linesAppended(1, count - 1);
    QScrollBar* bar = list->verticalScrollBar();
    // The handle held, moved in steps (the rows shown drawn at each) to past the end, and released.
    for (const bool toEnd : {false, true}) {
        SCOPED_TRACE(toEnd ? "to the end" : "to the top");
        bar->setSliderDown(true);
        for (int step = 1; step <= 8; ++step) {
            bar->setSliderPosition(bar->value() + ((toEnd ? bar->maximum() : 0) - bar->value()) * step / 8);
            list->viewport()->repaint();
            QCoreApplication::processEvents();
        }
        bar->setSliderPosition(toEnd ? bar->maximum() : bar->minimum());
        bar->setSliderDown(false);
        EXPECT_GT(qint64(bar->maximum()) + list->viewport()->height(), 500'000'000);
        EXPECT_EQ(bar->value(), toEnd ? bar->maximum() : bar->minimum());
        EXPECT_TRUE(endRowAtEdge(list, toEnd));
    }
}

TEST(OutputListRows, EndReachesTheLastRowOfAListTallerThanTheScrollBarsRange) {
    const QString longest(3000, u'x'); // every row shares its text
    QStringList lines{longest};
    ShownList shown(lines);
    ASSERT_TRUE(waitForWindowExposed(&shown.window));
    OutputLinesModel& model = shown.model;
    OutputLinesView* list = shown.list;
    list->resize(list->width() - list->viewport()->width() + 40, 300); // a few characters a line
    const qint64 slot = list->visualRect(model.index(0)).height() + 2 * list->spacing();
    const qint64 count = (qint64(1) << 31) / slot + 1000;
    lines.reserve(count + 10);
    for (qint64 i = 1; i < count; ++i)
        lines << longest;
    model.linesAppended(1, count - 1);
    ASSERT_GT(count * slot, std::numeric_limits<int>::max());

    EXPECT_TRUE(endRowAtEdge(list, true)) << "the list follows its output to the end";
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_TRUE(endRowAtEdge(list, false));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_TRUE(endRowAtEdge(list, true));
    // Page Up moves the rows by a page, even where the scroll bar's steps are coarser than a pixel.
    const int top = list->visualRect(model.index(model.rowCount() - 1)).top();
    QTest::keyClick(list, Qt::Key_PageUp);
    EXPECT_EQ(list->visualRect(model.index(model.rowCount() - 1)).top(), top + list->viewport()->height());
    QTest::keyClick(list, Qt::Key_End);
    lines << longest << longest;
    model.linesAppended(count, 2);
    EXPECT_TRUE(endRowAtEdge(list, true)) << "following the output reaches its end";
    // Shift with a key or a click extends the selection between the last row and the first, however far
    // apart they are.
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), model.rowCount());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model.index(0)).center());
    QTest::keyClick(list, Qt::Key_End);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      list->visualRect(model.index(model.rowCount() - 1)).center());
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), model.rowCount());
}

// When the job ends, a screen reader is told the outcome or the row's status text, once; the focus stays in
// the output list.
TEST_F(StreamingViewTest, TheEndOfTheJobIsToldToAScreenReaderAndTheFocusStays) {
    const std::tuple<Remediation, StubSpec, QString> cases[]{
        {Remediation::installWarpViaBrew("warp"), StubSpec(), "Warp installed."},
        {Remediation::installTemurinViaBrew("temurin"), StubSpec().withExitCode(4),
         "Install failed (exit code 4). The article at Pellinor may help."},
        {Remediation::installWarpViaBrew("warp"), StubSpec().withScript(childAndGrandchildCommand),
         "Canceling…"},
    };
    for (const auto& each : cases) {
        const auto& [remediation, brew, expectedText] = each;
        const QString expected = expectedText; // captured below
        mac_.writeStub("/opt/homebrew/bin/brew", brew);
        std::unique_ptr<RemediationSheet> sheet;
        const QStringList told = toldWhile([&] {
            sheet.reset(open(std::get<0>(each)));
            StreamingRemediationModel* model = sheet->view()->streamingView()->model();
            sheet->view()->streamingView()->outputView()->setFocus();
            if (expected == "Canceling…" && waitUntil([&] { return model->lines().size() == 1; }))
                QTest::mouseClick(sheet->view()->streamingView()->cancelButton(), Qt::LeftButton);
            ASSERT_TRUE(waitUntil([&] { return !model->isRunning() && model->exitCode(); }));
            ASSERT_TRUE(waitForQueuedCalls());
        });
        EXPECT_EQ(told, QStringList{expected});
        EXPECT_TRUE(sheet->view()->streamingView()->outputView()->hasFocus());
    }
}
