// The check after a Java fix against a stub login shell, and the result screen of each outcome.

#include "ui/diagnose/VerifyScreens.h"
#include "DiagnoseUiFixture.h"
#include "editions/ProductConfig.h"
#include "support/ScreenCapture.h"
#include "support/SelectableTexts.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QPushButton>

using namespace qlan;
using namespace qlan::test;

namespace {

const QString kTemurin25 = jdkAt("25.0.1", "temurin-25.jdk").path;
const QString kZulu8 = jdkAt("1.8.0_392", "zulu-8.jdk").path;

} // namespace

TEST_F(DiagnoseUiTest, EachOutcomeShowsItsEvidenceTitleAndWayOn) {
    struct Case {
        QString name;
        Remediation remediation;
        LoginShellAnswers shell;
        QString title;
        QString explainer;
        QString blockId;
        QString javaHomeShown;
        QStringList buttons;
        QString event;
        QJsonObject eventData;
    };
    const QString version = openjdkVersionOutput("25.0.1");
    const QString legacyOutput = openjdkVersionOutput("1.8.0_392");
    const QList<Case> cases = {
        {"install-no-home",
         Remediation::installTemurinViaBrew("temurin@25"),
         {std::nullopt, version, 0},
         "Java installed",
         "Java is installed, but your shell doesn't know where to find it yet. One more step.",
         "verify-result-pass",
         "(unset)",
         {"Set JAVA_HOME (recommended)", "Continue to system audit"},
         "verify_passed",
         {{"java_version_excerpt", "openjdk version \"25.0.1\" 2025-09-16 LTS"}, {"java_major_version", 25}}},
        {"home-fix-no-home",
         Remediation::writeJavaHomeToZprofile(kTemurin25),
         {std::nullopt, version, 0},
         "Java configuration incomplete",
         "The remediation completed but Java still isn't running correctly. Read the article.",
         "verify-result-fail",
         "(unset)",
         {"Back"},
         "verify_failed",
         {{"exit_code", 0}, {"java_version_excerpt", "openjdk version \"25.0.1\" 2025-09-16 LTS"}}},
        {"keep-legacy",
         Remediation::keepCurrentLegacyJava(kZulu8),
         {kZulu8, legacyOutput, 0},
         "Java configured",
         "Here's the actual output from a fresh `'java -version'`.",
         "verify-result-pass",
         kZulu8,
         {"Continue to system audit"},
         "verify_passed_with_legacy",
         {{"java_version_excerpt", "openjdk version \"1.8.0_392\" 2025-09-16 LTS"},
          {"java_major_version", 8},
          {"chosen_path", kZulu8}}},
        {"no-java",
         Remediation::installViaPKG(25),
         {std::nullopt, "", 127},
         "Java install incomplete",
         "The remediation completed but Java still isn't running correctly. Read the article.",
         "verify-result-fail",
         "(unset)",
         {"Back"},
         "verify_failed",
         {{"exit_code", 127}, {"java_version_excerpt", ""}}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        writeLoginShell(mac_, c.shell);
        const qsizetype before = endpoint_.receivedEvents().size();
        std::optional<JavaVerifier::Result> result;
        VerifyScaffold checking(
            c.remediation, mac_.services(), [&](const auto& r) { result = r; }, *telemetry_);
        EXPECT_EQ(checking.scaffold()->heading()->text(), "Verifying…");
        EXPECT_FALSE(checking.hasStarted());
        checking.show();
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
        EXPECT_EQ(result->javaVersionExitCode, c.shell.javaVersionExitCode);

        QStringList calls;
        VerifyResultView::Callbacks callbacks{[&] { calls << "continue"; }, [&] { calls << "back"; },
                                              [&] { calls << "set"; }};
        VerifyResultView view(c.remediation, *result, callbacks,
                              ProductConfig::current().urls.troubleshooting, *telemetry_);
        DesktopActions::install(&view, desktop_);
        view.resize(720, 700);
        view.show();
        saveScreenshot(&view, "verify-" + c.name);
        EXPECT_EQ(view.scaffold()->heading()->text(), c.title);
        EXPECT_EQ(view.scaffold()->explanation()->text(), c.explainer);
        EXPECT_NE(shown(&view, c.blockId), nullptr);
        EXPECT_TRUE(showsText(&view, c.javaHomeShown));
        EXPECT_TRUE(showsText(&view, c.shell.javaVersionOutput.isEmpty() ? "(no output)"
                                                                         : c.shell.javaVersionOutput));
        EXPECT_EQ(view.scaffold()->articleLink(), nullptr);
        if (!c.shell.javaVersionOutput.isEmpty()) {
            EXPECT_TRUE(copiesAsAPerson(textShowing(&view, c.shell.javaVersionOutput),
                                        buttonTitled(&view, c.buttons.first())));
        }
        for (const QString& title : c.buttons) {
            QAbstractButton* button = buttonTitled(&view, title);
            ASSERT_NE(button, nullptr) << title.toStdString();
            QTest::mouseClick(button, Qt::LeftButton);
        }
        const bool legacyWarning = shown(&view, "verify-legacy-warning") != nullptr;
        EXPECT_EQ(legacyWarning, c.name == "keep-legacy");
        if (legacyWarning) {
            EXPECT_TRUE(showsText(&view,
                                  "JAVA_HOME is now set, but Java 8 cannot run software that requires a "
                                  "newer Java."));
        }
        if (view.outcome() == VerifyOutcome::failed) {
            auto* article = view.findChild<LinkLabel*>();
            EXPECT_EQ(article->text(), "Open the article");
            article->activate();
            EXPECT_EQ(desktop_->openedURLs.last(), ProductConfig::current().urls.troubleshooting);
            EXPECT_EQ(calls, QStringList{"back"});
        } else if (view.outcome() == VerifyOutcome::javaHomeUnset) {
            EXPECT_EQ(calls, (QStringList{"set", "continue"}));
            EXPECT_TRUE(static_cast<ProminentButton*>(view.setJavaHomeButton())->isBoundToReturn());
            view.setActionsEnabled(false);
            EXPECT_FALSE(view.setJavaHomeButton()->isEnabled());
            EXPECT_FALSE(view.continueButton()->isEnabled());
        } else {
            EXPECT_EQ(calls, QStringList{"continue"});
            EXPECT_TRUE(static_cast<ProminentButton*>(view.continueButton())->isBoundToReturn());
        }

        // One check event per run, then the follow-up offer when it is shown: every one of them waited for.
        const bool offersFollowUp = view.outcome() == VerifyOutcome::javaHomeUnset;
        const QList<ReceivedEvent> events = settledEvents(before + (offersFollowUp ? 2 : 1)).mid(before);
        ASSERT_GE(events.size(), 1);
        EXPECT_EQ(events[0].name, c.event);
        EXPECT_EQ(events[0].data, c.eventData);
        QStringList rest;
        for (qsizetype i = 1; i < events.size(); ++i)
            rest << events[i].name + " " + events[i].data.value("first_remediation_id").toString();
        EXPECT_EQ(rest, offersFollowUp ? QStringList{"verify_offered_followup " + c.remediation.id()}
                                       : QStringList{});
    }
    // Each check asked two fresh login shells.
    QStringList commands = shellCommands(mac_).mid(0, 2);
    commands.sort();
    EXPECT_EQ(commands, (QStringList{"echo __VRL_VERIFY_JAVA_HOME__:$JAVA_HOME", "java -version 2>&1"}));
}
