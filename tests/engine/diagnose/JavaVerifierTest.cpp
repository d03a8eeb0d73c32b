#include "diagnose/JavaVerifier.h"

#include "support/Sandbox.h"
#include "support/StubShell.h"

#include <QList>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

const QString kMarker = "__VRL_VERIFY_JAVA_HOME__:";
const QString kTemurin21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";

JavaVerifier::Result verifyOn(const Sandbox& sandbox) {
    return JavaVerifier(ShellRunner(sandbox.services().processRunner)).run();
}

} // namespace

TEST(JavaVerifier, RealLoginShellReadsTheStartupFilesAnew) {
    Sandbox mac;
    mac.linkSystemProgram("/bin/zsh");
    mac.writeStub("/usr/bin/java",
                  StubSpec().withStdErr("openjdk version \"21.0.5\" 2024-10-15 LTS\nOpenJDK Runtime\n"));
    // Start-up files that print before the marker, and a JAVA_HOME with spaces around it.
    mac.writeFile(mac.home() + "/.zprofile",
                  "echo 'Welcome back'\nexport JAVA_HOME='  " + kTemurin21.toUtf8() + " \t'\n");

    const JavaVerifier::Result result = verifyOn(mac);
    EXPECT_EQ(result.javaVersionOutput,
              "Welcome back\nopenjdk version \"21.0.5\" 2024-10-15 LTS\nOpenJDK Runtime\n");
    EXPECT_EQ(result.javaVersionExitCode, 0);
    EXPECT_EQ(result.javaHomeValue, kTemurin21);
    EXPECT_TRUE(result.containsVersion(true));

    // The same Mac without JAVA_HOME: the marker line ends at the colon.
    mac.writeFile(mac.home() + "/.zprofile", "unset JAVA_HOME\n");
    const JavaVerifier::Result unset = verifyOn(mac);
    EXPECT_EQ(unset.javaHomeValue, std::nullopt);
    EXPECT_TRUE(unset.containsVersion(false));
    EXPECT_FALSE(unset.containsVersion(true));
}

TEST(JavaVerifier, RunsTheTwoCommandLinesAndFoldsFailuresIntoTheResult) {
    Sandbox mac;
    writeStubShell(mac, {{"java -version 2>&1", "zsh: command not found: java\n", 127},
                         {"echo __VRL_VERIFY_JAVA_HOME__:$JAVA_HOME", kMarker + "/jdk\n", 0}});
    const JavaVerifier::Result result = verifyOn(mac);
    EXPECT_EQ(result, (JavaVerifier::Result{"zsh: command not found: java\n", 127, QString("/jdk")}));
    EXPECT_FALSE(result.containsVersion(false));

    QList<QStringList> argvs;
    for (const StubCall& call : mac.calls("/bin/zsh"))
        argvs.append(call.arguments);
    EXPECT_EQ(argvs.size(), 2);
    EXPECT_TRUE(argvs.contains(QStringList{"-lc", "java -version 2>&1"}));
    EXPECT_TRUE(argvs.contains(QStringList{"-lc", "echo __VRL_VERIFY_JAVA_HOME__:$JAVA_HOME"}));

    // No shell at all: empty output, -1, no JAVA_HOME.
    Sandbox bare;
    EXPECT_EQ(verifyOn(bare), (JavaVerifier::Result{"", -1, std::nullopt}));
}

TEST(JavaVerifier, AHangingLoginShellFailsWithinTheTimeLimit) {
    Sandbox mac;
    mac.linkSystemProgram("/bin/zsh");
    mac.writeStub("/usr/bin/java", StubSpec().withStdErr("openjdk version \"21.0.5\"\n"));
    mac.writeFile(mac.home() + "/.zprofile", "echo starting\nsleep 30\nexport JAVA_HOME=/jdk\n");

    const auto started = std::chrono::steady_clock::now();
    const JavaVerifier::Result result =
        JavaVerifier(ShellRunner(mac.services().processRunner), std::chrono::milliseconds(500)).run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(result, (JavaVerifier::Result{"", -1, std::nullopt}));
    EXPECT_FALSE(result.containsVersion(false));
}

TEST(JavaVerifier, ReadsJavaHomeFromTheLastMarkerLine) {
    const QList<std::pair<QString, std::optional<QString>>> cases = {
        {"", std::nullopt},
        {"no marker here\n", std::nullopt},
        {kMarker + "\n", std::nullopt},
        {kMarker + " \t/opt/jdk 21 \t\n", QString("/opt/jdk 21")},
        {"banner\r\n" + kMarker + "/a\r\nmore output\n", QString("/a")},
        {kMarker + "/first\n" + kMarker + "/second\n", QString("/second")},
        {kMarker + "/first\n" + kMarker + "   \n", std::nullopt},
        {"prefix " + kMarker + "/b" + kMarker + "c\n", QString("/b" + kMarker + "c")},
        {kMarker + "/a\u2028" + kMarker + "/b\u0085tail", QString("/b")},
    };
    for (const auto& [output, expected] : cases)
        EXPECT_EQ(JavaVerifier::javaHomeFromOutput(output), expected) << output.toStdString();
}

TEST(JavaVerifier, ContainsVersionNeedsExitZeroTheWordAndOptionallyJavaHome) {
    struct Case {
        JavaVerifier::Result result;
        bool requiringJavaHome;
        bool expected;
    };
    const QString usual = "openjdk version \"25\" 2025-09-16\n";
    const QList<Case> cases = {
        {{usual, 0, std::nullopt}, false, true},
        {{"Java VERSION 21", 0, std::nullopt}, false, true},
        {{"openjdk 21.0.5", 0, QString("/j")}, false, false},
        {{usual, 1, QString("/j")}, false, false},
        {{usual, 0, std::nullopt}, true, false},
        {{usual, 0, QString()}, true, false},
        {{usual, 0, QString("/j")}, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result.containsVersion(c.requiringJavaHome), c.expected)
            << c.result.javaVersionOutput.toStdString();
    // An absent JAVA_HOME and an empty one are different results.
    EXPECT_NE((JavaVerifier::Result{usual, 0, std::nullopt}), (JavaVerifier::Result{usual, 0, QString()}));
}
