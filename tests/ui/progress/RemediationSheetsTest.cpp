// The remediation sheet on screen: routing, its name, the ~/.zprofile diff sheet walked through its states
// with its usage events delivered to a loopback endpoint, and the ~/.zshrc card.

#include "editions/EditionTelemetry.h"
#include "engine/remediation/FaultyFileSystem.h"
#include "platform/ServiceContext.h"
#include "progress/ZshrcActivationPreview.h"
#include "support/AccessibleNames.h"
#include "support/CurrentEdition.h"
#include "support/KeyboardWalk.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/ScreenCapture.h"
#include "support/SelectableTexts.h"
#include "support/Wait.h"
#include "telemetry/TelemetryService.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/progress/RemediationSheet.h"
#include "ui/progress/StreamingRemediationView.h"
#include "ui/progress/ZprofileDiffSheet.h"
#include "ui/progress/ZshrcActivationCard.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/ProminentButton.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace qlan;
using namespace qlan::test;
using namespace std::chrono_literals;

namespace {

const QString kZprofile = QStringLiteral("/Users/tester/.zprofile");
const QString kEndpoint = QStringLiteral("/api/database/records/usage_events");

// The shown, visible buttons of a widget, by their titles.
QStringList visibleButtons(const QWidget* widget) {
    QStringList titles;
    for (const QPushButton* button : widget->findChildren<QPushButton*>())
        if (button->isVisible() && !button->isCheckable()) titles << button->text();
    return titles;
}

QAbstractButton* button(const QWidget* widget, const QString& title) {
    for (QAbstractButton* candidate : widget->findChildren<QAbstractButton*>())
        if (candidate->text() == title && candidate->isVisible()) return candidate;
    ADD_FAILURE() << "no visible button " << title.toStdString();
    return nullptr;
}

bool showsText(const QWidget* widget, const QString& text) {
    for (const QLabel* label : widget->findChildren<QLabel*>())
        if (label->isVisible() && label->text() == text) return true;
    return false;
}

class RemediationSheetsTest : public ::testing::Test {
protected:
    RemediationSheetsTest() {
        server_.route(kEndpoint, LoopbackResponse{.status = 201});
        auto configuration = editionTelemetryConfiguration(sandbox_.services(), server_.url(kEndpoint),
                                                           QStringLiteral("test-key"));
        telemetry_ = std::make_unique<TelemetryService>(std::move(configuration));
        window_.resize(640, 560);
        DesktopActions::install(&window_, desktop_);
    }

    // The sheet over the test window, on the given file system (the sandbox's by default).
    RemediationSheet* openSheet(const Remediation& remediation,
                                std::shared_ptr<FileSystemOperating> fs = {}) {
        AppServices services = sandbox_.services();
        if (fs) services.fs = std::move(fs);
        ServiceContext::setServices(&window_, services);
        window_.show();
        auto* sheet = new RemediationSheet(
            remediation, [this](const RemediationOutcome& outcome) { outcomes_.append(outcome); },
            *telemetry_, &window_);
        sheet->open();
        EXPECT_TRUE(waitForWindowActive(sheet));
        return sheet;
    }

    // The delivered events as "name exit_code/reason".
    QList<QJsonObject> delivered(qsizetype atLeast) {
        EXPECT_TRUE(waitUntil([&] { return events().size() >= atLeast; }));
        waitUntil([] { return false; }, 300); // nothing more may follow
        return events();
    }
    QList<QJsonObject> events() const {
        QList<QJsonObject> all;
        for (const LoopbackRequest& request : server_.requests())
            for (const auto& entry : QJsonDocument::fromJson(request.body).array())
                all.append(entry.toObject());
        return all;
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox sandbox_;
    LoopbackHttpServer server_;
    std::unique_ptr<TelemetryService> telemetry_;
    QWidget window_;
    QList<RemediationOutcome> outcomes_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
};

} // namespace

TEST_F(RemediationSheetsTest, StreamedFixesRunOnTheStreamingScreen) {
    // No bash in the sandbox: the install script cannot start.
    RemediationSheet* sheet = openSheet(Remediation::installHomebrew());
    EXPECT_EQ(sheet->view()->screen(), RemediationScreen::streaming);
    EXPECT_EQ(sheet->view()->diffSheet(), nullptr);
    StreamingRemediationView* streaming = sheet->view()->streamingView();
    ASSERT_NE(streaming, nullptr);
    ASSERT_TRUE(waitUntil([&] { return streaming->closeButton()->isVisible(); }));
    const QList<QJsonObject> sent = delivered(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().value("event_name").toString(), QStringLiteral("remediation_failed"));
    QTest::keyClick(sheet, Qt::Key_Escape); // after the end, Esc reports the failure as "Close" would
    ASSERT_TRUE(waitUntil([&] { return !outcomes_.isEmpty(); }));
    EXPECT_EQ(outcomes_, QList<RemediationOutcome>{
                             RemediationOutcome::failure(StreamingRemediationModel::failureText(-1))});
    QTest::mouseClick(streaming->closeButton(), Qt::LeftButton); // the screen reports once
    sheet->close();
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(outcomes_.size(), 1);
    EXPECT_TRUE(sheet->isVisible()); // the owner dismisses it
    sheet->dismiss();
    EXPECT_FALSE(sheet->isVisible());

    // A job that succeeded: the window's close control reports the success.
    sandbox_.writeStub(QStringLiteral("/opt/homebrew/bin/brew"));
    RemediationSheet* succeeded = openSheet(Remediation::installWarpViaBrew(QStringLiteral("warp")));
    StreamingRemediationView* warp = succeeded->view()->streamingView();
    ASSERT_TRUE(waitUntil([&] { return warp->finishButton()->isVisible(); }));
    succeeded->close();
    ASSERT_TRUE(waitUntil([&] { return outcomes_.size() == 2; }));
    EXPECT_EQ(outcomes_.last(), RemediationOutcome::success(QStringLiteral("Warp installed.")));
}

// A screen reader announces each sheet by its heading: the streaming screen's title, the ~/.zprofile
// sheet's heading as plain text (its code spans read as the words they show).
TEST_F(RemediationSheetsTest, EachSheetIsNamedAfterItsHeading) {
    const struct {
        Remediation remediation;
        QString heading;
    } sheets[]{
        {Remediation::installHomebrew(), QStringLiteral("Installing Homebrew")},
        {Remediation::installViaPKG(25), QStringLiteral("Installing Temurin 25 (direct PKG)")},
        {Remediation::installWarpViaBrew(QStringLiteral("warp")),
         QStringLiteral("Installing Warp via Homebrew")},
        {Remediation::writeJavaHomeToZprofile(QStringLiteral("/jdk")),
         QStringLiteral("Set JAVA_HOME in ~/.zprofile")},
        {Remediation::keepCurrentLegacyJava(QStringLiteral("/jdk8")),
         QStringLiteral("Set JAVA_HOME in ~/.zprofile")},
    };
    for (const auto& each : sheets) {
        SCOPED_TRACE(each.remediation.id().toStdString());
        RemediationSheet* sheet = openSheet(each.remediation);
        EXPECT_EQ(announcedName(sheet), each.heading);
        QStringList headings; // the labels that read as the sheet's name
        for (QLabel* label : sheet->findChildren<QLabel*>())
            if (label->isVisible() && announcedName(label) == each.heading) headings << label->text();
        EXPECT_EQ(headings.size(), 1) << headings.join('|').toStdString();
        delete sheet;
    }
}

TEST_F(RemediationSheetsTest, DiffSheetFromLoadingToAppliedAndVerified) {
    const QString longLine = QStringLiteral("export A=1 # ") + QString(300, u'x'); // wider than the sheet
    sandbox_.writeFile(kZprofile, (longLine + "\n").toUtf8());
    // The file is read once the test has seen the sheet loading.
    auto held = std::make_shared<FaultyFileSystem>(sandbox_.services().fs);
    std::promise<void> loading;
    held->beforeRead = [go = loading.get_future().share()](const QString&) {
        go.wait_for(std::chrono::milliseconds(patienceMs));
    };
    RemediationSheet* sheet = openSheet(Remediation::writeJavaHomeToZprofile(QStringLiteral("/jdk")), held);
    ZprofileDiffSheet* diff = sheet->view()->diffSheet();
    ASSERT_NE(diff, nullptr);
    EXPECT_TRUE(diff->findChild<ActivityIndicator*>()->isVisible());
    EXPECT_EQ(visibleButtons(diff), QStringList{QStringLiteral("Cancel")});
    loading.set_value();

    ASSERT_TRUE(waitUntil([&] { return diff->model()->preview().has_value(); }));
    EXPECT_EQ(visibleButtons(diff), (QStringList{QStringLiteral("Cancel"), QStringLiteral("Apply")}));
    EXPECT_FALSE(diff->findChild<ActivityIndicator*>()->isVisible());
    EXPECT_FALSE(showsText(diff, QStringLiteral("Creating `~/.zprofile` (didn't exist before).")));
    EXPECT_EQ(diff->rowsView()->rowTexts(),
              (QStringList{QStringLiteral("+ # Quillane — Java configuration"),
                           QStringLiteral("+ export JAVA_HOME=$(/usr/libexec/java_home)"),
                           QStringLiteral("+ export PATH=\"$JAVA_HOME/bin:$PATH\"")}));
    // A row, once it shows, is copied as a person copies it.
    const QString row = QStringLiteral("+ export JAVA_HOME=$(/usr/libexec/java_home)");
    ASSERT_TRUE(waitUntil([&] { return textShowing(diff, row) != nullptr; }));
    EXPECT_TRUE(copiesAsAPerson(textShowing(diff, row), button(diff, QStringLiteral("Apply"))));
    // The two modes are one choice, which the arrow keys move.
    QAbstractButton* onlyChanges = button(diff, QStringLiteral("Show only changes"));
    onlyChanges->setFocus();
    QTest::keyClick(onlyChanges, Qt::Key_Right);
    EXPECT_TRUE(button(diff, QStringLiteral("Show full file"))->isChecked());
    EXPECT_EQ(diff->rowsView()->rowTexts().first(), "  " + longLine);
    EXPECT_EQ(diff->rowsView()->rowTexts().size(), 4);
    EXPECT_TRUE(waitUntil([&] { return diff->rowsView()->horizontalScrollBar()->maximum() > 0; }));
    EXPECT_TRUE(walksByKeyboard(sheet->window())); // the long row is reached by keys too
    const auto* backup = diff->findChild<CodeTextLabel*>();
    EXPECT_EQ(backup->plainText(),
              QStringLiteral("Backup: ") + sandbox_.home() + QStringLiteral("/.zprofile.bak"));
    saveScreenshot(sheet, QStringLiteral("zprofile-diff"));

    // Apply pressed from the keyboard: once the write has taken it away, the focus is on the new default. A
    // screen reader hears the sheet and then that button, never the control after Apply on the way.
    QAbstractButton* apply = button(diff, QStringLiteral("Apply"));
    apply->setFocus(Qt::TabFocusReason);
    const QList<QObject*> focused = focusedWidgetsWhile([&] {
        QTest::keyClick(apply, Qt::Key_Space);
        waitUntil([&] { return diff->model()->didApply() && QApplication::focusWidget() != sheet; });
    });
    EXPECT_EQ(focused, (QList<QObject*>{sheet, QApplication::focusWidget()}));
    ASSERT_TRUE(diff->model()->didApply()); // written off the GUI thread
    EXPECT_EQ(sandbox_.readFile(kZprofile), (longLine + "\n\n# Quillane — Java configuration\n"
                                                        "export JAVA_HOME=$(/usr/libexec/java_home)\n"
                                                        "export PATH=\"$JAVA_HOME/bin:$PATH\"\n")
                                                .toUtf8());
    EXPECT_EQ(sandbox_.readFile(kZprofile + QStringLiteral(".bak")), (longLine + "\n").toUtf8());
    EXPECT_EQ(visibleButtons(diff), QStringList{QStringLiteral("Continue to verify")});
    EXPECT_TRUE(diff->rowsView()->isVisible()); // the diff stays above the new button
    EXPECT_TRUE(waitUntil([&] { return button(diff, QStringLiteral("Continue to verify"))->hasFocus(); }));
    EXPECT_TRUE(outcomes_.isEmpty());

    QTest::keyClick(sheet, Qt::Key_Escape); // after the write, Esc reports it as the button does
    QTest::mouseClick(button(diff, QStringLiteral("Continue to verify")), Qt::LeftButton);
    EXPECT_EQ(outcomes_, (QList<RemediationOutcome>(2, RemediationOutcome::success(QStringLiteral(
                                                           "JAVA_HOME set in ~/.zprofile.")))));
    const QList<QJsonObject> sent = delivered(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].value(QStringLiteral("event_name")).toString(),
              QStringLiteral("remediation_completed"));
    EXPECT_EQ(
        sent[0].value(QStringLiteral("event_data")).toObject().value(QStringLiteral("exit_code")).toInt(-1),
        0);

    // The file now sets JAVA_HOME: the next sheet opens on its default, never on Cancel beside it.
    ZprofileDiffSheet* alreadySet =
        openSheet(Remediation::writeJavaHomeToZprofile(QStringLiteral("/jdk")))->view()->diffSheet();
    ASSERT_TRUE(waitUntil([&] { return alreadySet->model()->preview().has_value(); }));
    EXPECT_EQ(visibleButtons(alreadySet),
              (QStringList{QStringLiteral("Cancel"), QStringLiteral("Continue to verify")}));
    EXPECT_TRUE(
        waitUntil([&] { return button(alreadySet, QStringLiteral("Continue to verify"))->hasFocus(); }));

    // Return on the diff's view control applies: that JAVA_HOME was set is told once, and the focus stays.
    sandbox_.writeFile(kZprofile, "export A=1\n");
    RemediationSheet* byReturn = openSheet(Remediation::writeJavaHomeToZprofile(QStringLiteral("/jdk")));
    ZprofileDiffSheet* returned = byReturn->view()->diffSheet();
    ASSERT_TRUE(waitUntil([&] { return returned->model()->preview().has_value(); }));
    QAbstractButton* onlyChangesAgain = button(returned, QStringLiteral("Show only changes"));
    ASSERT_TRUE(waitUntil([&] { return onlyChangesAgain->hasFocus(); }));
    const Heard heard = heardWhile([&] {
        QTest::keyClick(onlyChangesAgain, Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return returned->model()->didApply(); }));
        ASSERT_TRUE(waitForQueuedCalls());
    });
    EXPECT_EQ(heard.announced, QStringList{QStringLiteral("JAVA_HOME set in ~/.zprofile.")});
    EXPECT_EQ(heard.focus, QList<Told>{});
    EXPECT_TRUE(onlyChangesAgain->hasFocus());
    EXPECT_EQ(visibleButtons(returned), QStringList{QStringLiteral("Continue to verify")});
}

TEST_F(RemediationSheetsTest, DiffSheetFailuresAndCancel) {
    // A folder that refuses the backup: the error in red, only "Close", which reports the failure.
    auto fs = std::make_shared<FaultyFileSystem>(sandbox_.services().fs);
    fs->failWrite = [](const QString& path) { return path.endsWith(QStringLiteral(".zprofile.bak")); };
    std::promise<void> writing; // the write waits until the test lets it go on
    fs->beforeWrite = [go = writing.get_future().share()](const QString&) {
        go.wait_for(std::chrono::milliseconds(patienceMs));
    };
    RemediationSheet* sheet = openSheet(Remediation::keepCurrentLegacyJava(QStringLiteral("/jdk8")), fs);
    ZprofileDiffSheet* diff = sheet->view()->diffSheet();
    ASSERT_TRUE(waitUntil([&] { return diff->model()->preview().has_value(); }));
    EXPECT_TRUE(showsText(diff, QStringLiteral("Creating `~/.zprofile` (didn't exist before).")));
    QAbstractButton* apply = button(diff, QStringLiteral("Apply"));
    apply->setFocus(Qt::TabFocusReason);
    QTest::keyClick(apply, Qt::Key_Space);
    // While the write runs, no control holds the focus: not the view control at the top.
    EXPECT_TRUE(waitUntil([&] { return sheet->focusWidget() == sheet; }));
    // How the write ended is told once: the error's text.
    const Heard heard = heardWhile([&] {
        writing.set_value();
        ASSERT_TRUE(waitUntil([&] { return diff->model()->applyError().has_value(); }));
        ASSERT_TRUE(waitForQueuedCalls());
    });
    ASSERT_TRUE(diff->model()->applyError().has_value());
    const QString error = *diff->model()->applyError();
    EXPECT_EQ(heard.announced, QStringList{error});
    EXPECT_TRUE(error.startsWith(QStringLiteral("Couldn't write backup file: ")));
    EXPECT_TRUE(showsText(diff, error));
    EXPECT_EQ(visibleButtons(diff), QStringList{QStringLiteral("Close")});
    EXPECT_TRUE(waitUntil([&] { return button(diff, QStringLiteral("Close"))->hasFocus(); })); // Apply's row
    saveScreenshot(sheet, QStringLiteral("zprofile-write-failed"));
    QTest::keyClick(sheet, Qt::Key_Escape); // Esc reports the failure, as "Close" does
    EXPECT_EQ(outcomes_, QList<RemediationOutcome>{RemediationOutcome::failure(error)});
    EXPECT_FALSE(sandbox_.exists(kZprofile));

    // An unreadable file: the reason in red, "Cancel" alone at the right; Esc is that Cancel.
    sandbox_.writeFile(kZprofile, "\xff\xfe");
    RemediationSheet* second = openSheet(Remediation::keepCurrentLegacyJava(QStringLiteral("/jdk8")));
    ZprofileDiffSheet* unreadable = second->view()->diffSheet();
    ASSERT_TRUE(waitUntil([&] { return unreadable->model()->loadError().has_value(); }));
    EXPECT_TRUE(showsText(unreadable, *unreadable->model()->loadError()));
    EXPECT_EQ(visibleButtons(unreadable), QStringList{QStringLiteral("Cancel")});
    QAbstractButton* lone = button(unreadable, QStringLiteral("Cancel"));
    EXPECT_GT(lone->mapTo(unreadable, QPoint(0, 0)).x(), unreadable->width() / 2);
    // The sheet's only stop holds the focus: Tab leaves it there, and shows its ring.
    EXPECT_TRUE(lone->hasFocus());
    QTest::keyClick(lone, Qt::Key_Tab);
    const QWidget* ring = second->findChild<QWidget*>(QStringLiteral("focus-ring"));
    EXPECT_TRUE(lone->hasFocus() && ring && ring->isVisible());
    QTest::keyClick(second, Qt::Key_Escape);
    EXPECT_EQ(outcomes_.last(), RemediationOutcome::canceled());
    EXPECT_TRUE(second->isVisible());

    const QList<QJsonObject> sent = delivered(2);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].value(QStringLiteral("event_name")).toString(), QStringLiteral("remediation_failed"));
    EXPECT_EQ(
        sent[0].value(QStringLiteral("event_data")).toObject().value(QStringLiteral("exit_code")).toInt(), 1);
    EXPECT_EQ(sent[1].value(QStringLiteral("event_name")).toString(), QStringLiteral("remediation_canceled"));
    EXPECT_EQ(sandbox_.readFile(kZprofile), "\xff\xfe");
}

TEST_F(RemediationSheetsTest, ZshrcCardShowsExactlyWhileAProposalWaits) {
    QWidget screen;
    auto* layout = new QVBoxLayout(&screen);
    ZshrcActivationPreview model(sandbox_.services().fs);
    QSignalSpy lines(&model, &ZshrcActivationPreview::lineAppended);
    auto* card = new ZshrcActivationCard(&model);
    layout->addWidget(card);
    screen.show();
    EXPECT_FALSE(card->isVisible());

    model.prepare(ShellActivationManager::jenv);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->rowsView()->rowTexts().size(), 3);
    EXPECT_TRUE(visibleButtons(card).isEmpty()); // they stand in the screen's bottom row
    saveScreenshot(&screen, QStringLiteral("zshrc-card"));
    model.apply();
    ASSERT_TRUE(waitUntil([&] { return !model.isApplying(); })); // written off this thread
    EXPECT_FALSE(card->isVisible());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0][0].toString().startsWith(QStringLiteral("Updated ")));

    // A failed apply shows its reason in the card; Skip takes card and reason away.
    auto failing = std::make_shared<FaultyFileSystem>(sandbox_.services().fs);
    failing->failWrite = [](const QString& path) { return path.endsWith(QStringLiteral(".zshrc")); };
    ZshrcActivationPreview refused(failing);
    auto* refusedCard = new ZshrcActivationCard(&refused);
    layout->addWidget(refusedCard);
    refused.prepare(ShellActivationManager::mise);
    refused.apply();
    ASSERT_TRUE(waitUntil([&] { return !refused.isApplying(); }));
    EXPECT_TRUE(showsText(refusedCard, *refused.error()));
    refused.skip();
    EXPECT_FALSE(refusedCard->isVisible());

    // An unreadable ~/.zshrc makes no proposal: no card.
    sandbox_.writeFile(QStringLiteral("/Users/tester/.zshrc"), "\xc3\x28");
    ZshrcActivationPreview unreadable(sandbox_.services().fs);
    auto* errorCard = new ZshrcActivationCard(&unreadable);
    layout->addWidget(errorCard);
    unreadable.prepare(ShellActivationManager::mise);
    EXPECT_TRUE(unreadable.error().has_value());
    EXPECT_FALSE(errorCard->isVisible());
}
