// The Java edition: the diagnosis, a Temurin install run by the sheet against the sandbox's brew, its
// check, JAVA_HOME written to ~/.zprofile, the audit's stages, its report, and home.

#include "JourneyFixture.h"

#include "support/JavaMac.h"
#include "support/RealShell.h"
#include "support/StubShell.h"
#include "support/Wait.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/scaffold/NavigationStackView.h"
#include "ui/widgets/SheetDialog.h"

#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gmock/gmock.h>

using namespace qlan;
using namespace qlan::test;

namespace {

const JDKInfo kTemurin25 = jdkAt("25.0.1", "temurin-25.jdk");
// While this file exists, brew's install waits after its first lines (more than its sheet shows).
const QString kHold = QStringLiteral("/.journey/hold-install");

class JavaJourney : public JourneyTest {
protected:
    JavaJourney()
        : JourneyTest(ProductConfig::javaEdition()) {
        journeyName_ = QStringLiteral("java");
        sandbox_.writeStub(QStringLiteral("/usr/bin/uname"), StubSpec().withStdOut("arm64\n"));
        sandbox_.writeStub(QStringLiteral("/usr/bin/xcode-select"),
                           StubSpec().withStdOut("/Library/Developer/CommandLineTools\n"));
        sandbox_.makeDirectory(QStringLiteral("/Library/Developer/CommandLineTools/usr/bin"));
        // After the install, java_home knows Temurin 25 (a plain script that brew puts in place).
        sandbox_.writeFile(QStringLiteral("/.journey-java-home"),
                           ("#!/bin/bash\n" + javaHomeScript({kTemurin25})).toUtf8(), 0755);
        writeJavaHomeStub(sandbox_, {});
        writeLoginShell(sandbox_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0});
        // brew installs the Temurin cask: the JDK's folder and the new java_home.
        sandbox_.writeStub(
            QStringLiteral("/opt/homebrew/bin/brew"),
            StubSpec().withScript(
                QStringLiteral("case \"$1\" in\n"
                               "  install) echo \"==> Installing ${@: -1}\"\n"
                               "    for n in {1..40}; do echo \"==> Part $n\"; done\n"
                               "    while [ -e '%4' ]; do /bin/sleep 0.05; done\n"
                               "    /bin/mkdir -p '%1/bin' && /bin/cp '%2' '%3';;\n"
                               "  --version) echo 'Homebrew 4.4.0';;\n"
                               "esac\n")
                    .arg(sandbox_.map(kTemurin25.path), sandbox_.map(QStringLiteral("/.journey-java-home")),
                         sandbox_.map(QStringLiteral("/usr/libexec/java_home")), sandbox_.map(kHold))));
    }
};

} // namespace

TEST_F(JavaJourney, DiagnosisTemurinJavaHomeTheAuditAndItsReportBackHome) {
    openApp();
    capture(QStringLiteral("consent"));
    click(QStringLiteral("consent-continue"));
    ASSERT_TRUE(waitForShown(QStringLiteral("welcome-diagnose-button")));
    capture(QStringLiteral("welcome"));
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_TRUE(waitUntil([&] { return button(QStringLiteral("diagnosis-d1-install-chosen")); }))
        << visibleButtons().join('\n').toStdString();
    capture(QStringLiteral("d1"));
    sandbox_.writeFile(kHold, "");
    click(QStringLiteral("diagnosis-d1-install-chosen"));
    ASSERT_TRUE(waitUntil([&] {
        const auto* output = openSheet() ? openSheet()->findChild<OutputLinesView*>() : nullptr;
        return output && output->model() && output->model()->rowCount() == 41;
    }));
    capture(QStringLiteral("installing")); // Return pressed there, wherever the focus is, stops nothing
    EXPECT_TRUE(visibleTexts().contains(QStringLiteral("Running…")));
    QFile::remove(sandbox_.map(kHold));
    clickTitled(QStringLiteral("Continue to verify"));
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("Java installed")); }));
    capture(QStringLiteral("installed"));
    // The sheet ran the install for real against the sandbox's brew.
    ASSERT_EQ(sandbox_.calls(QStringLiteral("/opt/homebrew/bin/brew")).size(), 1);
    EXPECT_EQ(
        sandbox_.calls(QStringLiteral("/opt/homebrew/bin/brew"))[0].arguments,
        (QStringList{QStringLiteral("install"), QStringLiteral("--cask"), QStringLiteral("temurin@25")}));
    EXPECT_TRUE(sandbox_.exists(kTemurin25.path));
    EXPECT_THAT(visibleTexts(),
                ::testing::IsSupersetOf({QStringLiteral("Java installed"), QStringLiteral("(unset)")}));
    EXPECT_NE(button(QStringLiteral("continue-to-audit")), nullptr);
    clickTitled(QStringLiteral("Set JAVA_HOME (recommended)"));
    // The diff opens with the focus on its view control; "Apply" is the default.
    ASSERT_TRUE(waitUntil([&] { return visibleButtons().join(' ').contains("\"Apply\""); }));
    const auto* focused = qobject_cast<QAbstractButton*>(openSheet()->focusWidget());
    EXPECT_EQ(focused ? focused->text() : QString(), QStringLiteral("Show only changes"));
    capture(QStringLiteral("java-home"));
    clickTitled(QStringLiteral("Apply"));
    // The write runs off the GUI thread; the sheet then offers the next step.
    ASSERT_TRUE(waitUntil([&] { return visibleButtons().join(' ').contains("\"Continue to verify\""); }));
    capture(QStringLiteral("java-home-applied"));
    // The real zsh reads the profile without an error: JAVA_HOME names the JDK, whose bin folder leads PATH.
    const ShellStartup login = startZsh(sandbox_, ZshStart::Login);
    EXPECT_EQ(login.exitCode, 0);
    EXPECT_EQ(login.stdErr, QString());
    EXPECT_EQ(login.environment.value(QStringLiteral("JAVA_HOME")), kTemurin25.path);
    EXPECT_EQ(login.path.value(0), kTemurin25.path + QStringLiteral("/bin"))
        << login.path.join(':').toStdString();
    // The check after the fix gets that shell's JAVA_HOME.
    writeLoginShell(
        sandbox_, {login.environment.value(QStringLiteral("JAVA_HOME")), openjdkVersionOutput("25.0.1"), 0});
    clickTitled(QStringLiteral("Continue to verify"));
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("Java configured")); }));
    EXPECT_TRUE(sandbox_.readFile(home(".zprofile")).contains("export JAVA_HOME="));
    capture(QStringLiteral("configured"));
    click(QStringLiteral("continue-to-audit"));
    // The audit's stages, then its report.
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("System check")); }));
    capture(QStringLiteral("audit-system"));
    click(QStringLiteral("audit-stage-skip"));
    ASSERT_TRUE(waitUntil(
        [&] { return visibleTexts().contains(QStringLiteral("Try Warp — the AI-assisted terminal")); }));
    capture(QStringLiteral("audit-warp"));
    click(QStringLiteral("audit-stage-skip"));
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("Your Mac at a glance")); }));
    EXPECT_THAT(visibleTexts(), ::testing::IsSupersetOf({QStringLiteral("Xcode Command Line Tools installed"),
                                                         QStringLiteral("Homebrew installed")}));
    capture(QStringLiteral("report"));
    clickTitled(QStringLiteral("Done — back to home"));
    ASSERT_TRUE(waitUntil([&] {
        return root_->navigation()->path().isEmpty() && button(QStringLiteral("welcome-diagnose-button"));
    }));
    capture(QStringLiteral("home"));
    ASSERT_TRUE(waitUntil([&] { return records_.eventNames().contains(QStringLiteral("audit_reached")); }))
        << records_.eventNames().join(' ').toStdString();
    EXPECT_THAT(records_.eventNames(),
                ::testing::IsSupersetOf({QStringLiteral("consent_given"), QStringLiteral("diagnosis_reached"),
                                         QStringLiteral("remediation_applied"),
                                         QStringLiteral("verify_passed"), QStringLiteral("audit_reached")}));
}

TEST_F(JavaJourney, AJdkFolderNamedLikeALinkMakesNoLink) {
    journeyName_ = QStringLiteral("hostile-jdk");
    const JDKInfo odd = jdkAt("21.0.5", "[x](https://example.invalid)");
    writeJavaHomeStub(sandbox_, {odd});
    sandbox_.makeDirectory(odd.path + QStringLiteral("/bin"));
    openApp();
    click(QStringLiteral("consent-continue"));
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("JAVA_HOME isn't set")); }));
    capture(QStringLiteral("diagnosis"));
    // The folder's name reads as it is, and as no link.
    int shown = 0;
    for (const QLabel* label : root_->findChildren<QLabel*>()) {
        if (!label->isVisible() || !label->text().contains(QStringLiteral("example.invalid"))) continue;
        ++shown;
        QTextDocument document;
        if (label->textFormat() == Qt::MarkdownText)
            document.setMarkdown(label->text());
        else
            document.setPlainText(label->text());
        EXPECT_TRUE(document.toPlainText().contains(QStringLiteral("/[x](https://example.invalid)/")))
            << document.toPlainText().toStdString();
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                EXPECT_FALSE(it.fragment().charFormat().isAnchor()) << it.fragment().text().toStdString();
    }
    EXPECT_GE(shown, 1);
    click(QStringLiteral("remediation-primary-button"));
    clickTitled(QStringLiteral("Apply"));
    ASSERT_TRUE(waitUntil([&] { return sandbox_.exists(home(".zprofile")); }));
    // The profile names no folder: the shell asks java_home.
    const QByteArray profile = sandbox_.readFile(home(".zprofile"));
    EXPECT_TRUE(profile.contains("export JAVA_HOME=$(/usr/libexec/java_home)\n")) << profile.toStdString();
    EXPECT_FALSE(profile.contains("example.invalid"));
    // The real zsh gets the folder's name whole from java_home.
    const ShellStartup login = startZsh(sandbox_, ZshStart::Login);
    EXPECT_EQ(login.stdErr, QString());
    EXPECT_EQ(login.environment.value(QStringLiteral("JAVA_HOME")), odd.path);
}

TEST_F(JavaJourney, MiseSetsJavaHomeAndTheZshrcChangeIsDecidedInTheBottomRow) {
    journeyName_ = QStringLiteral("mise");
    writeJavaHomeStub(sandbox_, {kTemurin25});
    sandbox_.makeDirectory(kTemurin25.path + QStringLiteral("/bin"));
    sandbox_.writeStub(QStringLiteral("/opt/homebrew/bin/mise"));
    writeLoginShell(sandbox_, {std::nullopt, openjdkVersionOutput("25.0.1"), 0},
                    {{QStringLiteral("mise use -g java@'temurin-25.0.1'"),
                      QStringLiteral("mise ~/.config/mise/config.toml tools: java@temurin-25.0.1\n")}});
    openApp();
    click(QStringLiteral("consent-continue"));
    click(QStringLiteral("welcome-diagnose-button"));
    ASSERT_TRUE(waitUntil([&] { return visibleTexts().contains(QStringLiteral("JAVA_HOME isn't set")); }));
    click(QStringLiteral("remediation-primary-button"));
    // mise has set the global Java; ~/.zshrc still lacks its activation: "Skip" and "Apply ~/.zshrc change"
    // (the default) wait in the bottom row, under the card that shows the line.
    ASSERT_TRUE(waitUntil([&] {
        return button(QStringLiteral("remediation-cancel")) == nullptr &&
               visibleButtons().join(' ').contains("\"Apply ~/.zshrc change\"");
    })) << visibleButtons().join('\n').toStdString();
    capture(QStringLiteral("zshrc-change"));
    const auto* output = openSheet()->findChild<OutputLinesView*>();
    QTest::keyClick(openSheet(), Qt::Key_Escape); // Esc is Skip: the sheet stays, on its finish button
    ASSERT_TRUE(waitUntil([&] { return visibleButtons().join(' ').contains("\"Continue to verify\""); }));
    EXPECT_EQ(output->model()->index(output->model()->rowCount() - 1, 0).data().toString(),
              QStringLiteral("Skipped ~/.zshrc edit. JAVA_HOME may stay unset in fresh shells until you add "
                             "the line manually."));
    EXPECT_FALSE(sandbox_.exists(home(".zshrc")));
    capture(QStringLiteral("zshrc-skipped"));
    QTest::keyClick(openSheet(), Qt::Key_Escape); // then Esc ends it as the job's success
    ASSERT_TRUE(waitUntil([&] { return openSheet() == nullptr; }));
    EXPECT_EQ(shellCommands(sandbox_).filter(QStringLiteral("mise")),
              QStringList{QStringLiteral("mise use -g java@'temurin-25.0.1'")});
}
