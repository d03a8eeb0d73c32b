// The streaming remediation screen inside its sheet, driven with stub programs: the texts of each case,
// the output rows with the retry row's identifier, the bottom rows, the article link, the ~/.zshrc change
// with Esc and the close control, where the focus goes as buttons go, and a close of the sheet while the
// job runs.

#include "ui/progress/StreamingRemediationView.h"
#include "editions/ProductConfig.h"
#include "platform/ServiceContext.h"
#include "progress/ZshrcActivationPreview.h"
#include "support/AccessibleNames.h"
#include "support/CurrentEdition.h"
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

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSet>
#include <QTest>

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
        return waitUntil([&] { return !outcomes_.isEmpty(); }, 10000);
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox mac_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    QWidget window_;
    QList<RemediationOutcome> outcomes_;
};

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
    ASSERT_TRUE(waitUntil([&] { return view->finishButton()->isVisible(); }, 10000));
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

    view->outputView()->selectAll();
    QTest::keySequence(view->outputView(), QKeySequence::Copy);
    ASSERT_EQ(desktop_->pasteboardWrites.size(), 1);
    EXPECT_TRUE(desktop_->pasteboardWrites.first().startsWith("==> Downloading warp\n==> Retrying"));
    saveScreenshot(sheet, "streaming-succeeded");

    QTest::mouseClick(view->finishButton(), Qt::LeftButton);
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(outcomes_, QList{RemediationOutcome::success("Warp installed.")});
    sheet->reject(); // a late close reports nothing more
    waitUntil([] { return false; }, 100);
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    StreamingRemediationView* view = sheet->view()->streamingView();
    view->cancelButton()->setFocus(Qt::TabFocusReason);
    QFile::remove(mac_.map(hold));
    ASSERT_TRUE(waitUntil([&] { return view->closeButton()->isVisible(); }, 10000));
    // Cancel's place goes to "Close" in its row, never to the link beside it, where Return opens a browser.
    EXPECT_TRUE(waitUntil([&] { return view->closeButton()->hasFocus(); }));
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
    ASSERT_TRUE(waitUntil([&] { return view->model()->lines().size() == 1; }, 10000));
    pid_t child = 0, grandchild = 0;
    ASSERT_TRUE(readChildAndGrandchild(view->model()->lines().first(), &child, &grandchild));
    EXPECT_EQ(view->statusText(), "Running…");
    EXPECT_TRUE(view->cancelButton()->isEnabled());

    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_EQ(view->statusText(), "Canceling…");
    EXPECT_FALSE(view->cancelButton()->isEnabled());
    EXPECT_TRUE(view->cancelButton()->isVisible());
    sheet->reject();
    ASSERT_TRUE(waitForOutcome());
    EXPECT_TRUE(waitUntil([&] { return dead(child) && dead(grandchild); }));
    sheet->reject();
    waitUntil([] { return false; }, 100);
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    StreamingRemediationView* view = sheet->view()->streamingView();
    EXPECT_EQ(view->outputView()->accessibleName(), "Setting JAVA_HOME via Mise output");
    ASSERT_TRUE(waitUntil([&] { return !view->model()->lines().isEmpty(); }, 10000));
    view->cancelButton()->setFocus(Qt::TabFocusReason);
    const auto height = [view](const QWidget* button) { return button->mapTo(view, QPoint(0, 0)).y(); };
    const int row = height(view->cancelButton());
    QFile::remove(mac_.map(hold));

    // The job's end takes Cancel away: its focus goes to the default, Apply, which stands where Cancel
    // stood, beside Skip; the card above holds the preview only.
    ZshrcActivationCard* card = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] { return (card = view->findChild<ZshrcActivationCard*>()) && card->isVisible(); }, 10000));
    EXPECT_FALSE(view->finishButton()->isVisible());
    EXPECT_FALSE(view->cancelButton()->isVisible());
    EXPECT_TRUE(waitUntil([&] { return view->applyZshrcButton()->hasFocus(); }));
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
    ASSERT_TRUE(waitUntil([&] { return other->applyZshrcButton()->isVisible(); }, 10000));
    closed->close();
    ASSERT_TRUE(waitUntil([&] { return outcomes_.size() == 2; }));
    EXPECT_EQ(outcomes_.last(), RemediationOutcome::success("Configured Mise to set JAVA_HOME."));
    EXPECT_EQ(other->model()->lines().last(), ZshrcActivationPreview::skipLine());
    EXPECT_FALSE(mac_.exists("/Users/tester/.zshrc"));
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
            if (expected == "Canceling…" && waitUntil([&] { return model->lines().size() == 1; }, 10000))
                QTest::mouseClick(sheet->view()->streamingView()->cancelButton(), Qt::LeftButton);
            waitUntil([&] { return !model->isRunning() && model->exitCode(); }, 10000);
            QTest::qWait(50);
        });
        EXPECT_EQ(told, QStringList{expected});
        EXPECT_TRUE(sheet->view()->streamingView()->outputView()->hasFocus());
    }
}
