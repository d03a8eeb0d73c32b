#include "Printers.h"
#include "platform/SystemProfiler.h"
#include "platform/XcodeCLTProbe.h"
#include "support/Sandbox.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <type_traits>

using namespace qlan;
using test::Sandbox;
using test::StubSpec;

namespace {

SystemProfiler profilerFor(const Sandbox& sandbox, QString shellVariable = QStringLiteral("/bin/zsh")) {
    SystemProfiler profiler = SystemProfiler::fromServices(sandbox.services());
    profiler.macosVersion = [] { return OperatingSystemVersion{14, 5, 0}; };
    profiler.shellVariable = [shellVariable] { return shellVariable; };
    return profiler;
}

// A `which` that answers for the given commands (name -> printed text) and exits 1 for any other.
StubSpec whichAnswering(const QMap<QString, QString>& answers) {
    QString script = QStringLiteral("case \"$1\" in\n");
    for (auto it = answers.cbegin(); it != answers.cend(); ++it)
        script += QStringLiteral("  %1) printf '%2'; exit 0 ;;\n").arg(it.key(), it.value());
    script += QStringLiteral("esac\nexit 1\n");
    StubSpec spec;
    spec.script = script;
    return spec;
}

QStringList firstArguments(const QList<test::StubCall>& calls) {
    QStringList arguments;
    for (const auto& call : calls)
        arguments.append(call.arguments.value(0));
    arguments.sort();
    return arguments;
}

} // namespace

TEST(SystemProfilerSandbox, ProfilesAStubbedMac) {
    Sandbox mac;
    const QString home = mac.home();
    mac.writeStub("/usr/bin/uname", StubSpec().withStdOut("arm64\n"));
    mac.writeStub("/usr/bin/xcode-select", StubSpec().withStdOut("/Library/Developer/CommandLineTools\n"));
    mac.writeStub("/usr/bin/which",
                  whichAnswering({{"claude", home + "/.local/bin/claude\\n"}, {"java", "/usr/bin/java\\n"}}));
    mac.writeStub("/usr/libexec/java_home",
                  StubSpec().withStdErr("Matching Java Virtual Machines (1):\n"
                                        "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" "
                                        "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"
                                        "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"));
    mac.linkSystemProgram("/bin/zsh");
    mac.writeFile(home + "/.zprofile",
                  "export JAVA_HOME=/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n");

    mac.writeFile("/opt/homebrew/bin/brew", "#!/bin/sh\n", 0755);
    mac.writeFile("/usr/local/bin/brew", "#!/bin/sh\n", 0755);
    mac.writeFile("/usr/local/bin/mise", "#!/bin/sh\n", 0755);
    mac.writeFile(home + "/.sdkman/bin/sdkman-init.sh", "# sdkman\n");
    mac.makeDirectory(home + "/.jenv");
    mac.writeFile(home + "/.asdf", "not a folder");
    mac.makeDirectory("/Applications/Cursor.app/Contents");
    mac.makeDirectory(home + "/Applications/Zed.app");
    mac.makeDirectory("/Applications/Warp.app");
    mac.makeDirectory("/Applications/IntelliJ IDEA CE.app");
    mac.makeDirectory("/Applications/kitty.app");
    mac.writeFile("/Applications/Claude.app", "a file, not a bundle");
    mac.makeDirectory("/Applications/Utilities/iTerm.app");
    mac.makeDirectory("/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home");
    mac.writeFile("/Library/Java/JavaVirtualMachines/zulu-8.jdk/Contents/Home/release",
                  "JAVA_VERSION=\"1.8.0_392\"\nIMPLEMENTOR=\"Azul Systems, Inc.\"\n");

    const SystemProfile profile = profilerFor(mac).profile();

    SystemProfile expected;
    expected.architecture = Architecture::appleSilicon;
    expected.macosVersion = {14, 5, 0};
    expected.shell = Shell::zsh();
    expected.homebrewPrefix = "/opt/homebrew/bin/brew";
    expected.sdkmanRoot = home + "/.sdkman";
    expected.miseExecutable = "/usr/local/bin/mise";
    expected.jenvRoot = home + "/.jenv";
    expected.asdfRoot = std::nullopt;
    expected.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools";
    expected.javaState.whichJava = "/usr/bin/java";
    expected.javaState.installedJDKs = {{"21.0.2", "Eclipse Adoptium", "arm64",
                                         "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home"},
                                        {"1.8.0_392", "Azul Systems, Inc.", "",
                                         "/Library/Java/JavaVirtualMachines/zulu-8.jdk/Contents/Home"}};
    expected.javaState.jvmDirContents = profile.javaState.jvmDirContents; // the folder's own order
    expected.javaState.javaHomeInActiveShell =
        "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
    expected.aiTooling.cursor = true;
    expected.aiTooling.zed = true;
    expected.aiTooling.warpApp = true;
    expected.aiTooling.intellij = true;
    expected.aiTooling.claudeCodeCLI = true;
    expected.terminals.warp = true;
    expected.terminals.kitty = true;
    EXPECT_EQ(profile, expected);
    QStringList listed = profile.javaState.jvmDirContents;
    listed.sort();
    EXPECT_EQ(listed, QStringList({"temurin-21.jdk", "zulu-8.jdk"}));
    EXPECT_TRUE(profile.hasExistingTooling());

    // Each command ran once, with the arguments of its check; mise was found without asking `which`.
    EXPECT_EQ(mac.calls("/usr/bin/uname").size(), 1);
    EXPECT_EQ(mac.calls("/usr/bin/uname").value(0).arguments, QStringList({"-m"}));
    EXPECT_EQ(mac.calls("/usr/bin/xcode-select").value(0).arguments, QStringList({"-p"}));
    EXPECT_EQ(mac.calls("/usr/libexec/java_home").value(0).arguments, QStringList({"-V"}));
    EXPECT_EQ(firstArguments(mac.calls("/usr/bin/which")), QStringList({"aider", "claude", "codex", "java"}));
}

TEST(SystemProfilerSandbox, AMacWithoutAnyProgramStillGivesACompleteProfile) {
    Sandbox empty;
    const SystemProfile profile = profilerFor(empty, QString()).profile();

    SystemProfile expected;
    expected.architecture = Architecture::unknown;
    expected.macosVersion = {14, 5, 0};
    expected.shell = Shell::other("unknown");
    EXPECT_EQ(profile, expected);
    EXPECT_FALSE(profile.hasExistingTooling());
    EXPECT_EQ(profile.aiTooling, AITooling{});
    EXPECT_EQ(profile.terminals, Terminals{});
    EXPECT_EQ(profile.javaState, ProbeBundle{});
}

TEST(SystemProfilerSandbox, HomebrewAndVersionManagerFolders) {
    // The fixed folders are never destroyed: a profiler's worker may read them while the process ends.
    EXPECT_TRUE(std::is_trivially_destructible_v<decltype(SystemProfiler::fixedExecutableFolders)>);
    {
        Sandbox mac;
        mac.writeFile("/opt/homebrew/bin/brew", "not executable", 0644);
        mac.writeFile("/usr/local/bin/brew", "#!/bin/sh\n", 0755);
        mac.makeDirectory(mac.home() + "/.sdkman/bin"); // no init script
        mac.writeFile(mac.home() + "/.jenv", "a file");
        mac.makeDirectory(mac.home() + "/.asdf/shims");
        const SystemProfile profile = profilerFor(mac).profile();
        EXPECT_EQ(profile.homebrewPrefix, "/usr/local/bin/brew");
        EXPECT_EQ(profile.sdkmanRoot, std::nullopt);
        EXPECT_EQ(profile.jenvRoot, std::nullopt);
        EXPECT_EQ(profile.asdfRoot, mac.home() + "/.asdf");
        EXPECT_TRUE(profile.hasExistingTooling());
    }
    {
        Sandbox mac;
        mac.makeDirectory(mac.home() + "/.sdkman/bin/sdkman-init.sh"); // a folder of that name
        mac.makeDirectory(mac.home() + "/.asdf");
        const SystemProfile profile = profilerFor(mac).profile();
        EXPECT_EQ(profile.homebrewPrefix, std::nullopt);
        EXPECT_EQ(profile.sdkmanRoot, std::nullopt);
        EXPECT_EQ(profile.asdfRoot, mac.home() + "/.asdf");
        EXPECT_FALSE(profile.hasExistingTooling()); // asdf alone does not count
    }
}

TEST(SystemProfilerSandbox, ApplicationBundlesAreLookedForInTheTwoApplicationsFolders) {
    Sandbox mac;
    const SystemProfiler profiler = profilerFor(mac);
    mac.makeDirectory(mac.home() + "/Applications/Cursor.app");
    mac.makeDirectory("/Applications/Visual Studio Code.app");
    mac.writeFile("/Applications/Claude.app", "file");
    mac.makeDirectory("/Applications/Utilities/iTerm.app");
    mac.makeDirectory("/Applications/IntelliJ IDEA.app");
    mac.makeDirectory("/Applications/IntelliJ IDEA CE.app");
    mac.makeSymlink("/Applications/Ghostty.app", "/Volumes/Apps/Ghostty.app");
    mac.makeDirectory("/Volumes/Apps/Ghostty.app");

    EXPECT_TRUE(profiler.isAppInstalled("Cursor.app"));
    EXPECT_TRUE(profiler.isAppInstalled("Visual Studio Code.app"));
    EXPECT_FALSE(profiler.isAppInstalled("Claude.app"));
    EXPECT_FALSE(profiler.isAppInstalled("iTerm.app"));
    EXPECT_FALSE(profiler.isAppInstalled("Kiro.app"));
    EXPECT_TRUE(profiler.isAppInstalled("Ghostty.app"));

    const AITooling ai = profiler.detectAITooling();
    EXPECT_TRUE(ai.cursor);
    EXPECT_TRUE(ai.vsCode);
    EXPECT_TRUE(ai.intellij);
    EXPECT_FALSE(ai.claudeCodeDesktop);
    EXPECT_EQ(ai.installedIDs(), QStringList({"cursor", "intellij", "vs-code"}));
    const Terminals terminals = profiler.detectTerminals();
    EXPECT_FALSE(terminals.iterm);
    EXPECT_TRUE(terminals.ghostty);
    EXPECT_EQ(terminals.installedIDs(), QStringList({"ghostty"}));
}

TEST(SystemProfilerSandbox, CommandLookups) {
    Sandbox mac;
    const SystemProfiler profiler = profilerFor(mac);
    // `which` answering with a path that is not even there counts: the answer is not examined.
    mac.writeStub("/usr/bin/which", whichAnswering({{"claude", "/nowhere/claude\\n"}, {"blank", " \\t\\n"}}));
    EXPECT_TRUE(profiler.isCLIInstalled("claude"));
    EXPECT_FALSE(profiler.isCLIInstalled("codex"));
    mac.writeFile("/usr/local/bin/codex", "#!/bin/sh\n", 0755);
    EXPECT_TRUE(profiler.isCLIInstalled("codex"));
    mac.writeFile("/opt/homebrew/bin/aider", "not executable", 0644);
    EXPECT_FALSE(profiler.isCLIInstalled("aider"));
    // White space from `which` is no answer: the fixed folders decide.
    EXPECT_FALSE(profiler.isCLIInstalled("blank"));
    mac.writeFile("/opt/homebrew/bin/blank", "#!/bin/sh\n", 0755);
    EXPECT_TRUE(profiler.isCLIInstalled("blank"));

    // Without any `which`, the fixed folders still answer.
    Sandbox bare;
    bare.writeFile("/usr/local/bin/codex", "#!/bin/sh\n", 0755);
    EXPECT_TRUE(profilerFor(bare).isCLIInstalled("codex"));
    EXPECT_FALSE(profilerFor(bare).isCLIInstalled("claude"));
}

TEST(SystemProfilerSandbox, MiseLookup) {
    {
        Sandbox mac;
        mac.writeStub("/usr/bin/which", whichAnswering({{"mise", "/usr/local/bin/mise\\n"}}));
        mac.writeFile("/opt/homebrew/bin/mise", "#!/bin/sh\n", 0755);
        mac.writeFile("/usr/local/bin/mise", "#!/bin/sh\n", 0755);
        EXPECT_EQ(profilerFor(mac).detectMise(), "/opt/homebrew/bin/mise");
        EXPECT_TRUE(mac.calls("/usr/bin/which").isEmpty());
    }
    {
        Sandbox mac;
        mac.writeFile(mac.home() + "/.local/bin/mise", "#!/bin/sh\n", 0755);
        EXPECT_EQ(profilerFor(mac).detectMise(), mac.home() + "/.local/bin/mise");
    }
    {
        Sandbox mac;
        mac.writeFile("/usr/local/share/mise", "not executable", 0644);
        mac.writeStub("/usr/bin/which", whichAnswering({{"mise", "/usr/local/share/mise\\n"}}));
        EXPECT_EQ(profilerFor(mac).detectMise(), std::nullopt);
        mac.writeFile("/usr/local/share/mise", "#!/bin/sh\n", 0755);
        EXPECT_EQ(profilerFor(mac).detectMise(), "/usr/local/share/mise");
        EXPECT_EQ(firstArguments(mac.calls("/usr/bin/which")), QStringList({"mise", "mise"}));
    }
    {
        Sandbox mac;
        mac.writeFile("/usr/local/share/mise", "#!/bin/sh\n", 0755);
        mac.writeStub("/usr/bin/which", StubSpec().withStdOut("/usr/local/share/mise\n").withExitCode(1));
        EXPECT_EQ(profilerFor(mac).detectMise(), std::nullopt);
    }
}

TEST(SystemProfilerSandbox, CommandLineToolsFolder) {
    Sandbox mac;
    const XcodeCLTProbe probe{ShellRunner(mac.services().processRunner)};
    EXPECT_EQ(probe.path(), std::nullopt); // xcode-select cannot be started

    mac.writeStub("/usr/bin/xcode-select",
                  StubSpec().withStdOut("/Applications/Xcode.app/Contents/Developer\n"));
    EXPECT_EQ(probe.path(), "/Applications/Xcode.app/Contents/Developer");

    mac.writeStub("/usr/bin/xcode-select",
                  StubSpec()
                      .withStdOut("/Library/Developer/CommandLineTools\n")
                      .withStdErr("xcode-select: error: unable to get active developer directory\n")
                      .withExitCode(2));
    EXPECT_EQ(probe.path(), std::nullopt);

    mac.writeStub("/usr/bin/xcode-select", StubSpec().withStdOut(" \n"));
    EXPECT_EQ(probe.path(), std::nullopt);
}

// Every command of a profile waits until all of them are running at once; checks that ran one after
// another would time out and give "nothing found".
TEST(SystemProfilerSandbox, TheChecksRunAtTheSameTime) {
    Sandbox mac;
    QTemporaryDir meetingPoint;
    ASSERT_TRUE(meetingPoint.isValid());
    const int commands = 8; // uname, xcode-select, which x4 (claude, codex, aider, java), java_home, zsh
    auto meeting = [&](const QString& thenRun) {
        StubSpec spec;
        spec.script = QStringLiteral("touch '%1'/$$\n"
                                     "i=0\n"
                                     "while [ \"$(ls '%1' | wc -l)\" -lt %2 ]; do\n"
                                     "  sleep 0.01; i=$((i+1)); [ $i -gt 2000 ] && exit 99\n"
                                     "done\n%3\n")
                          .arg(meetingPoint.path())
                          .arg(commands)
                          .arg(thenRun);
        return spec;
    };
    mac.writeStub("/usr/bin/uname", meeting("echo x86_64"));
    mac.writeStub("/usr/bin/xcode-select", meeting("echo /Library/Developer/CommandLineTools"));
    mac.writeStub("/usr/bin/which",
                  meeting("[ \"$1\" = codex ] && echo /usr/local/bin/codex && exit 0; exit 1"));
    mac.writeStub("/usr/libexec/java_home",
                  meeting("echo '    17.0.9 (x86_64) \"Amazon.com Inc.\" - \"Corretto 17\" /opt/jdk17' >&2"));
    mac.writeStub("/bin/zsh", meeting("echo __VRL_JAVA_HOME__:/opt/jdk17"));
    mac.writeFile("/usr/local/bin/mise", "#!/bin/sh\n", 0755);

    const SystemProfile profile = profilerFor(mac).profile();
    EXPECT_EQ(profile.architecture, Architecture::intel);
    EXPECT_EQ(profile.xcodeCommandLineToolsPath, "/Library/Developer/CommandLineTools");
    EXPECT_TRUE(profile.aiTooling.codexCLI);
    EXPECT_EQ(profile.javaState.installedJDKs,
              QList<JDKInfo>({{"17.0.9", "Amazon.com Inc.", "x86_64", "/opt/jdk17"}}));
    EXPECT_EQ(profile.javaState.javaHomeInActiveShell, "/opt/jdk17");
}

TEST(SystemProfilerSandbox, ProfilingInTheBackgroundHandsTheProfileToTheContextThread) {
    Sandbox mac;
    mac.writeStub("/usr/bin/uname", StubSpec().withStdOut("x86_64\n").withSleep(100));
    mac.makeDirectory("/Applications/Hyper.app");
    const SystemProfiler profiler = profilerFor(mac);

    QObject context;
    std::optional<SystemProfile> delivered;
    Qt::HANDLE deliveredOn = nullptr;
    profiler.profileInBackground(&context, [&](SystemProfile profile) {
        delivered = std::move(profile);
        deliveredOn = QThread::currentThreadId();
    });
    EXPECT_FALSE(delivered.has_value()); // the caller's thread did not wait for the checks
    ASSERT_TRUE(test::waitUntil([&] { return delivered.has_value(); }));
    EXPECT_EQ(deliveredOn, QThread::currentThreadId());
    EXPECT_EQ(delivered->architecture, Architecture::intel);
    EXPECT_TRUE(delivered->terminals.hyper);
    EXPECT_EQ(*delivered, profiler.profile());
}

// A login shell whose ~/.zprofile hangs gives its check's "could not tell" value once the time limit
// has passed; every other check answers and the profile arrives.
TEST(SystemProfilerSandbox, AHangingZprofileCostsOnlyItsCheck) {
    Sandbox mac;
    mac.writeStub("/usr/bin/uname", StubSpec().withStdOut("arm64\n"));
    mac.writeStub("/usr/bin/which", whichAnswering({{"java", "/usr/bin/java\\n"}}));
    mac.linkSystemProgram("/bin/zsh");
    mac.writeFile(mac.home() + "/.zprofile", "export JAVA_HOME=/opt/jdk\nsleep 100\n");
    mac.makeDirectory("/Applications/Hyper.app");

    SystemProfiler profiler = profilerFor(mac);
    EXPECT_EQ(profiler.loginShellTimeLimit, std::chrono::seconds(30));
    profiler.loginShellTimeLimit = std::chrono::milliseconds(500);
    QObject context;
    std::optional<SystemProfile> delivered;
    QElapsedTimer timer;
    timer.start();
    profiler.profileInBackground(&context, [&](SystemProfile profile) { delivered = std::move(profile); });
    ASSERT_TRUE(test::waitUntil([&] { return delivered.has_value(); }));
    EXPECT_LT(timer.elapsed(), 4000);
    EXPECT_EQ(delivered->javaState.javaHomeInActiveShell, std::nullopt);
    EXPECT_EQ(delivered->javaState.whichJava, "/usr/bin/java");
    EXPECT_EQ(delivered->architecture, Architecture::appleSilicon);
    EXPECT_TRUE(delivered->terminals.hyper);
}
