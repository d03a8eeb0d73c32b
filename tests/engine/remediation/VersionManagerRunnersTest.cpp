// The jEnv, mise and SDKMAN runners: the exact login-shell scripts, hostile values staying literal in a
// real zsh, and the ~/.zshrc lines still missing.

#include "remediation/JEnvRunner.h"
#include "remediation/MiseRunner.h"
#include "remediation/SDKMANRunner.h"

#include "support/Sandbox.h"
#include "support/StreamDrain.h"

#include <gmock/gmock.h>

using namespace qlan;
using qlan::test::drain;
using qlan::test::Sandbox;
using qlan::test::StubSpec;
using ::testing::ElementsAre;

namespace {

ShellRunner shellOf(const Sandbox& mac) {
    return ShellRunner(mac.services().processRunner);
}
JEnvRunner jenvOf(const Sandbox& mac) {
    return JEnvRunner(mac.home() + "/.jenv", shellOf(mac), mac.services().fs);
}
MiseRunner miseOf(const Sandbox& mac) {
    return MiseRunner("/usr/bin/env", shellOf(mac), mac.services().fs);
}
SDKMANRunner sdkmanOf(const Sandbox& mac) {
    return SDKMANRunner(mac.home() + "/.sdkman", shellOf(mac), mac.services().fs);
}

} // namespace

TEST(VersionManagerRunners, RunExactlyTheirScriptsInALoginShell) {
    Sandbox mac;
    mac.writeStub("/bin/zsh", StubSpec().withStdOut("working\n").withExitCode(4));
    const QString home = mac.home();

    auto registered = jenvOf(mac).registerJDK("/Library/Java/JDK's \"21\"\\x.jdk/Contents/Home", 21);
    EXPECT_THAT(drain(registered), ElementsAre(StreamEvent::output("working"), StreamEvent::completed(4)));
    auto installed = miseOf(mac).installJava("temurin-21");
    drain(installed);
    auto used = miseOf(mac).useJava("corretto-17");
    drain(used);
    auto sdk = sdkmanOf(mac).run(SDKMANRunner::installJavaArguments("21.0.2-tem"));
    drain(sdk);
    auto sdkDefault = sdkmanOf(mac).run(SDKMANRunner::defaultJavaArguments("it's"));
    drain(sdkDefault);

    QStringList scripts;
    for (const auto& call : mac.calls("/bin/zsh")) {
        ASSERT_EQ(call.arguments.size(), 2);
        EXPECT_EQ(call.arguments[0], "-lc");
        scripts << call.arguments[1];
    }
    EXPECT_THAT(
        scripts,
        ElementsAre("set -e\n"
                    "jenv enable-plugin export || true\n"
                    "jenv add '/Library/Java/JDK'\\''s \"21\"\\x.jdk/Contents/Home' || true\n"
                    "jenv rehash\n"
                    "jenv global 21",
                    "mise install java@'temurin-21' && mise use -g java@'temurin-21'",
                    "mise use -g java@'corretto-17'",
                    "source '" + home + "/.sdkman/bin/sdkman-init.sh' && sdk install java '21.0.2-tem' y",
                    "source '" + home + "/.sdkman/bin/sdkman-init.sh' && sdk default java 'it'\\''s'"));
}

TEST(VersionManagerRunners, ValuesReachTheToolsAsOneLiteralWordAndNeverRun) {
    Sandbox mac;
    mac.linkSystemProgram("/bin/zsh");
    mac.writeStub("/usr/bin/jenv", StubSpec().withStdOut("jenv ran\n"));
    mac.writeStub("/usr/bin/mise", StubSpec().withExitCode(2));
    const QString marker = mac.home() + "/marker";
    const QString hostile = "x $(touch " + marker + ") `touch " + marker + "` 'q' \"d\" \\ $HOME";
    mac.writeFile(mac.home() + "/.sdkman/bin/sdkman-init.sh",
                  "sdk() { for a in \"$@\"; do echo \"[$a]\"; done; }\n");

    auto registered = jenvOf(mac).registerJDK(hostile, 17);
    EXPECT_EQ(drain(registered).back(), StreamEvent::completed(0));
    const auto jenvCalls = mac.calls("/usr/bin/jenv");
    ASSERT_EQ(jenvCalls.size(), 4);
    EXPECT_EQ(jenvCalls[1].arguments, QStringList({"add", hostile}));
    EXPECT_EQ(jenvCalls[3].arguments, QStringList({"global", "17"}));

    // A failing first command stops the second.
    auto installed = miseOf(mac).installJava(hostile);
    EXPECT_EQ(drain(installed).back(), StreamEvent::completed(2));
    ASSERT_EQ(mac.calls("/usr/bin/mise").size(), 1);
    EXPECT_EQ(mac.calls("/usr/bin/mise")[0].arguments, QStringList({"install", "java@" + hostile}));

    auto sdk = sdkmanOf(mac).run(SDKMANRunner::installJavaArguments(hostile));
    EXPECT_THAT(drain(sdk), ElementsAre(StreamEvent::output("[install]"), StreamEvent::output("[java]"),
                                        StreamEvent::output("[" + hostile + "]"), StreamEvent::output("[y]"),
                                        StreamEvent::completed(0)));
    EXPECT_FALSE(mac.exists(marker));

    // Without SDKMAN the shell itself fails.
    Sandbox bare;
    bare.linkSystemProgram("/bin/zsh");
    auto missing = sdkmanOf(bare).run(SDKMANRunner::defaultJavaArguments("21"));
    EXPECT_NE(drain(missing).back(), StreamEvent::completed(0));
}

TEST(VersionManagerRunners, ReportTheZshrcLinesStillMissing) {
    const QString jenvPath = JEnvRunner::pathLine;
    const QString jenvInit = JEnvRunner::initLine;
    const QString mise = MiseRunner::activationLine;
    struct Case {
        const char* name;
        std::optional<QByteArray> zshrc;
        QStringList jenv;
        QStringList mise;
    };
    const QList<Case> cases = {
        {"no file", std::nullopt, {jenvPath, jenvInit}, {mise}},
        {"empty", QByteArray(), {jenvPath, jenvInit}, {mise}},
        {"commented",
         "  # eval \"$(jenv init -)\"\n\t#eval \"$(mise activate zsh)\"\n",
         {jenvPath, jenvInit},
         {mise}},
        {"path only", "export PATH=\"$HOME/.jenv/bin:$PATH\"\n", {jenvInit}, {mise}},
        {"both, other shell",
         "eval \"$(jenv init -)\"\nPATH=~/.jenv/bin:$PATH\neval \"$(mise activate bash)\"",
         {},
         {}},
        {"not UTF-8", "eval \"$(jenv init -)\" \xff\xfe\n", {jenvPath, jenvInit}, {mise}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox mac;
        if (c.zshrc) mac.writeFile(mac.home() + "/.zshrc", *c.zshrc);
        EXPECT_EQ(jenvOf(mac).missingZshrcLines(), c.jenv);
        EXPECT_EQ(miseOf(mac).missingZshrcLines(), c.mise);
        if (c.zshrc) {
            EXPECT_EQ(mac.readFile(mac.home() + "/.zshrc"), *c.zshrc);
        }
    }
}
