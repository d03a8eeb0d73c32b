// The test sandbox: path mapping, the sandboxed services, stub programs and a real zsh login shell.

#include "support/Sandbox.h"
#include "support/SandboxProcessRunner.h"
#include "support/ScopedVariable.h"
#include "support/Wait.h"

#include "platform/PlatformError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>

#include <gmock/gmock.h>

using namespace qlan;
using namespace qlan::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

namespace {

// Runs a program through the sandbox's process runner (a real child; standard input is /dev/null).
ProcessResult runInSandbox(const Sandbox& sandbox, const QString& executable, const QStringList& arguments,
                           const std::optional<Environment>& environment = std::nullopt) {
    return sandbox.services().processRunner->run(executable, arguments, environment);
}

// Every event of a streamed child, up to its end.
QList<ProcessStreamEvent> drain(Stream<ProcessStreamEvent>& stream) {
    QList<ProcessStreamEvent> events;
    while (auto event = stream.next())
        events.append(*event);
    return events;
}

} // namespace

TEST(SandboxTest, MapsMacPathsInsideTheRootIdempotentlyAndWithoutEscape) {
    Sandbox sandbox;
    const QString root = sandbox.root();
    EXPECT_TRUE(QFileInfo(root).isDir());
    EXPECT_EQ(QFileInfo(root).canonicalFilePath(), root);
    EXPECT_EQ(sandbox.home(), root + "/Users/tester");
    EXPECT_TRUE(QFileInfo(sandbox.home()).isDir());

    EXPECT_EQ(sandbox.map("/opt/homebrew/bin/brew"), root + "/opt/homebrew/bin/brew");
    EXPECT_EQ(sandbox.map(sandbox.map("/opt/homebrew/bin/brew")), root + "/opt/homebrew/bin/brew");
    EXPECT_EQ(sandbox.map(sandbox.home() + "/.zprofile"), sandbox.home() + "/.zprofile");
    EXPECT_EQ(sandbox.map("/"), root);
    EXPECT_EQ(sandbox.map(root), root);
    EXPECT_EQ(sandbox.map("/Applications//Warp.app/./Contents/"), root + "/Applications/Warp.app/Contents");

    // ".." never leaves the root, whether the path is a Mac path or already a real one.
    EXPECT_EQ(sandbox.map("/../../etc/passwd"), root + "/etc/passwd");
    EXPECT_EQ(sandbox.map("/usr/../../../etc"), root + "/etc");
    const QString climbed = sandbox.map(root + "/../../etc");
    EXPECT_TRUE(sandbox.layout().contains(climbed)) << climbed.toStdString();

    // Relative and empty paths are not Mac locations: unchanged.
    EXPECT_EQ(sandbox.map("bin/zsh"), "bin/zsh");
    EXPECT_EQ(sandbox.map(""), "");

    // A second sandbox is another root.
    Sandbox other;
    EXPECT_NE(other.root(), root);
    EXPECT_FALSE(other.layout().contains(root));
}

TEST(SandboxTest, FileSystemServiceWorksInsideTheRootOnly) {
    Sandbox sandbox;
    const auto& fs = *sandbox.services().fs;

    EXPECT_EQ(fs.homeDirectory(), sandbox.home());
    // This machine has /bin/sh; the empty sandbox does not.
    ASSERT_TRUE(QFileInfo::exists("/bin/sh"));
    EXPECT_FALSE(fs.fileExists("/bin/sh"));
    EXPECT_FALSE(fs.isExecutableFile("/bin/sh"));

    sandbox.services().fs->createDirectory("/Library", false);
    sandbox.services().fs->writeString("probe", "/Library/qlan-sandbox-probe.txt", true);
    EXPECT_EQ(sandbox.readFile("/Library/qlan-sandbox-probe.txt"), "probe");
    EXPECT_FALSE(QFileInfo::exists("/Library/qlan-sandbox-probe.txt"));
    EXPECT_EQ(fs.readString("/Library/qlan-sandbox-probe.txt"), "probe");
    EXPECT_THAT(fs.contentsOfDirectory("/Library"), ElementsAre("qlan-sandbox-probe.txt"));

    sandbox.services().fs->moveItem("/Library/qlan-sandbox-probe.txt", "/Users/tester/moved.txt");
    EXPECT_EQ(sandbox.readFile(sandbox.home() + "/moved.txt"), "probe");
    sandbox.services().fs->createDirectory("/opt/homebrew/bin", true);
    bool isDirectory = false;
    EXPECT_TRUE(fs.fileExists("/opt/homebrew/bin", &isDirectory));
    EXPECT_TRUE(isDirectory);
    sandbox.services().fs->removeItem("/opt");
    EXPECT_FALSE(sandbox.exists("/opt"));
    EXPECT_THROW(sandbox.services().fs->removeItem("/opt"), PlatformError);

    // The user's standard folders are real folders in the sandbox home, made on request.
    const QString support =
        sandbox.services().fs->urlForDirectory(StandardDirectory::applicationSupport, false);
    EXPECT_EQ(support, sandbox.home() + "/Library/Application Support");
    EXPECT_FALSE(QFileInfo::exists(support));
    EXPECT_EQ(sandbox.services().fs->urlForDirectory(StandardDirectory::applicationSupport, true), support);
    EXPECT_TRUE(QFileInfo(support).isDir());
    const QString caches = sandbox.services().fs->urlForDirectory(StandardDirectory::caches, true);
    EXPECT_EQ(caches, sandbox.home() + "/Library/Caches");
    EXPECT_TRUE(QFileInfo(caches).isDir());

    // The temporary folder is the sandbox's /private/tmp, also reached as /tmp as on a Mac.
    const QString temporary = fs.temporaryDirectory();
    EXPECT_EQ(temporary, sandbox.root() + "/private/tmp");
    EXPECT_TRUE(QFileInfo(temporary).isDir());
    sandbox.services().fs->writeData("x", "/tmp/through-the-link");
    EXPECT_TRUE(QFileInfo::exists(temporary + "/through-the-link"));

    // Links made by the test point inside the sandbox.
    sandbox.writeFile("/opt/homebrew/Cellar/git/2.45/bin/git", "#!/bin/sh\n", 0755);
    sandbox.makeSymlink("/opt/homebrew/bin/git", "/opt/homebrew/Cellar/git/2.45/bin/git");
    EXPECT_TRUE(fs.isExecutableFile("/opt/homebrew/bin/git"));
    sandbox.makeSymlink("/usr/local/bin/dangling", "/nowhere");
    EXPECT_TRUE(sandbox.exists("/usr/local/bin/dangling"));
    EXPECT_FALSE(fs.fileExists("/usr/local/bin/dangling"));
}

TEST(SandboxTest, HelpersNeverWriteThroughALinkOutOfTheSandbox) {
    Sandbox sandbox;
    const QString zsh = QStandardPaths::findExecutable("zsh");
    ASSERT_FALSE(zsh.isEmpty()) << "zsh is needed by these tests";
    const QFileInfo before(zsh);
    ASSERT_TRUE(before.exists());

    sandbox.linkSystemProgram("/bin/zsh");
    EXPECT_EQ(QFileInfo(sandbox.map("/bin/zsh")).symLinkTarget(), QFileInfo(zsh).absoluteFilePath());
    EXPECT_THROW(sandbox.writeFile("/bin/zsh", "clobbered"), std::runtime_error);
    sandbox.writeStub("/bin/zsh", StubSpec().withStdOut("stub\n"));
    EXPECT_FALSE(QFileInfo(sandbox.map("/bin/zsh")).isSymLink());

    const QFileInfo after(zsh);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.lastModified(), before.lastModified());

    EXPECT_THROW(sandbox.linkSystemProgram("/usr/bin/no-such-program-qlan"), std::runtime_error);
}

TEST(SandboxTest, ChildEnvironmentKeepsChildrenInsideTheSandbox) {
    Sandbox sandbox;
    SandboxProcessRunner runner(sandbox.layout());
    EXPECT_EQ(runner.executablePath("/usr/libexec/java_home"), sandbox.root() + "/usr/libexec/java_home");
    EXPECT_EQ(runner.executablePath("zsh"), sandbox.root() + "/zsh");

    const Environment inherited = [&] {
        const ScopedVariable zdotdir("ZDOTDIR", "/root/real-dotfiles");
        const ScopedVariable kept("QLAN_SANDBOX_INHERITED", "kept");
        return runner.childEnvironment(std::nullopt);
    }();

    EXPECT_EQ(inherited.value("HOME"), sandbox.home());
    EXPECT_EQ(inherited.value("QLAN_SANDBOX_INHERITED"), "kept");
    EXPECT_FALSE(inherited.contains("ZDOTDIR"));
    EXPECT_FALSE(inherited.contains("BASH_ENV"));
    EXPECT_EQ(inherited.value("TMPDIR"), sandbox.root() + "/private/tmp");
    const QString r = sandbox.root();
    EXPECT_EQ(inherited.value("PATH"),
              QStringList({r + "/opt/homebrew/bin", r + "/usr/local/bin", r + "/usr/bin", r + "/bin",
                           r + "/usr/sbin", r + "/sbin", "/usr/bin", "/bin"})
                  .join(':'));

    sandbox.makeDirectory("/opt/homebrew/bin");
    const Environment explicitEnvironment = runner.childEnvironment(Environment{
        {"PATH", "/private/tmp/askpass:/opt/homebrew/bin:/usr/bin::relative"},
        {"ZDOTDIR", "/Users/tester/.config/zsh"},
        {"SUDO_ASKPASS", "/private/tmp/askpass/askpass.sh"},
    });
    EXPECT_EQ(
        explicitEnvironment.value("PATH"),
        QStringList({"/private/tmp/askpass", r + "/opt/homebrew/bin", "/usr/bin", "", "relative"}).join(':'));
    EXPECT_EQ(explicitEnvironment.value("ZDOTDIR"), sandbox.home() + "/.config/zsh");
    EXPECT_EQ(explicitEnvironment.value("HOME"), sandbox.home());
    EXPECT_EQ(explicitEnvironment.value("SUDO_ASKPASS"), "/private/tmp/askpass/askpass.sh");
    EXPECT_EQ(explicitEnvironment.size(), 4);
}

TEST(SandboxTest, StubsRecordEveryRunAndAnswerAsTold) {
    Sandbox sandbox;
    sandbox.writeStub("/opt/homebrew/bin/brew", StubSpec()
                                                    .withStdOut("Homebrew 4.3.1\n")
                                                    .withStdErr("Warning: 'quoted' \\ $HOME\n")
                                                    .withExitCode(3)
                                                    .withScript("echo \"extra:$#:$1\""));
    const QStringList arguments{"install", "", "two words", "line\nbreak", "quote ' and \" and $HOME", "é✓"};
    const ProcessResult first = runInSandbox(sandbox, "/opt/homebrew/bin/brew", arguments,
                                             Environment{{"PATH", "/usr/bin:/bin"}, {"MULTI", "a=b\nc"}});
    EXPECT_EQ(first.exitCode, 3);
    EXPECT_EQ(first.stdOut, "Homebrew 4.3.1\nextra:6:install\n");
    EXPECT_EQ(first.stdErr, "Warning: 'quoted' \\ $HOME\n");

    const ProcessResult second = runInSandbox(sandbox, "/opt/homebrew/bin/brew", {});
    EXPECT_EQ(second.stdOut, "Homebrew 4.3.1\nextra:0:\n");

    const QList<StubCall> calls = sandbox.calls("/opt/homebrew/bin/brew");
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0].arguments, arguments);
    EXPECT_EQ(calls[0].environment.value("MULTI"), "a=b\nc");
    EXPECT_EQ(calls[0].environment.value("HOME"), sandbox.home());
    EXPECT_EQ(calls[0].environment.value("PATH"), "/usr/bin:/bin");
    QMap<QString, QString> seen = calls[0].environment;
#if !defined(__linux__)
    // Only Linux shows a process its environment as it was started; elsewhere the stub's bash adds these.
    seen.remove("PWD");
    seen.remove("SHLVL");
#endif
    EXPECT_EQ(seen.size(), 3) << "the environment seen is exactly the one given";
    EXPECT_THAT(calls[1].arguments, IsEmpty()); // no arguments, not one empty argument
    EXPECT_EQ(calls[1].environment.value("HOME"), sandbox.home());
    EXPECT_TRUE(calls[1].environment.value("PATH").startsWith(sandbox.root() + "/opt/homebrew/bin:"));
    EXPECT_TRUE(calls[1].standardInput.isEmpty());
    // The same stub through its real path is the same log.
    EXPECT_EQ(sandbox.calls(sandbox.map("/opt/homebrew/bin/brew")).size(), 2);
    EXPECT_THAT(sandbox.calls("/opt/homebrew/bin/git"), IsEmpty());

    // A stub that was never written cannot be started, even where this machine has the program.
    ASSERT_TRUE(QFileInfo::exists("/usr/bin/env"));
    EXPECT_THROW(runInSandbox(sandbox, "/usr/bin/env", {}), PlatformError);
}

TEST(SandboxTest, StubsReadStandardInputToTheEnd) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/bash");
    sandbox.writeStub("/usr/bin/sudo", StubSpec().withStdOut("done\n"));
    // A payload larger than a pipe buffer, with NUL bytes and no final newline.
    QByteArray payload;
    for (int i = 0; i < 20000; ++i)
        payload += "line " + QByteArray::number(i) + '\0';
    sandbox.writeFile("/private/tmp/payload", payload);
    const ProcessResult result =
        runInSandbox(sandbox, "/bin/bash",
                     {"-c", "/bin/cat \"$1\" | \"$2\" -S", "bash", sandbox.map("/private/tmp/payload"),
                      sandbox.map("/usr/bin/sudo")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.stdOut, "done\n");
    const QList<StubCall> calls = sandbox.calls("/usr/bin/sudo");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_THAT(calls[0].arguments, ElementsAre("-S"));
    EXPECT_EQ(calls[0].standardInput.size(), payload.size());
    EXPECT_TRUE(calls[0].standardInput == payload);
}

TEST(SandboxTest, StubsSleepBeforeAndAfterTheirOutput) {
    Sandbox sandbox;
    sandbox.writeStub("/usr/sbin/softwareupdate",
                      StubSpec().withStdOut("late\n").withSleep(300).withSleepAfter(200));
    QElapsedTimer timer;
    timer.start();
    const ProcessResult result = runInSandbox(sandbox, "/usr/sbin/softwareupdate", {"-l"});
    EXPECT_GE(timer.elapsed(), 500);
    EXPECT_EQ(result.stdOut, "late\n");
    EXPECT_EQ(result.exitCode, 0);
}

TEST(SandboxTest, ConcurrentRunsOfOneStubAreAllRecorded) {
    Sandbox sandbox;
    sandbox.writeStub("/opt/homebrew/bin/brew", StubSpec().withStdOut("listed\n"));
    constexpr int kRuns = 12;
    // stream() starts every child at once: the runs overlap.
    std::vector<Stream<ProcessStreamEvent>> streams;
    QStringList expected;
    for (int i = 0; i < kRuns; ++i) {
        streams.push_back(sandbox.services()
                              .processRunner->stream("/opt/homebrew/bin/brew", {"list", QString::number(i)})
                              .first);
        expected.append(QString::number(i));
    }
    for (auto& stream : streams)
        EXPECT_THAT(drain(stream),
                    ElementsAre(ProcessStreamEvent::line("listed"), ProcessStreamEvent::exited(0)));
    QStringList seen;
    for (const StubCall& call : sandbox.calls("/opt/homebrew/bin/brew")) {
        ASSERT_EQ(call.arguments.size(), 2);
        EXPECT_EQ(call.arguments[0], "list");
        seen.append(call.arguments[1]);
    }
    EXPECT_THAT(seen, UnorderedElementsAreArray(expected));
}

TEST(SandboxTest, StreamedStubsEndWithTheirCodeOrAreStoppedWhileSleeping) {
    Sandbox sandbox;
    sandbox.writeStub(
        "/usr/bin/xcode-select",
        StubSpec().withStdOut("first\nsecond\n").withStdErr("error: already installed\n").withExitCode(1));
    auto [finished, finishedHandle] =
        sandbox.services().processRunner->stream("/usr/bin/xcode-select", {"--install"});
    EXPECT_THAT(drain(finished),
                ElementsAre(ProcessStreamEvent::line("first"), ProcessStreamEvent::line("second"),
                            ProcessStreamEvent::line("error: already installed"),
                            ProcessStreamEvent::exited(1)));
    EXPECT_THAT(sandbox.calls("/usr/bin/xcode-select")[0].arguments, ElementsAre("--install"));

    // A stub asleep before its output is stopped by cancel, with SIGTERM's number as its code.
    sandbox.writeStub("/usr/sbin/softwareupdate", StubSpec().withStdOut("never\n").withSleep(30000));
    QElapsedTimer timer;
    timer.start();
    auto [sleeping, handle] = sandbox.services().processRunner->stream("/usr/sbin/softwareupdate", {"-l"});
    ASSERT_TRUE(waitUntil([&] { return sandbox.calls("/usr/sbin/softwareupdate").size() == 1; }));
    ASSERT_TRUE(handle);
    handle->cancel();
    EXPECT_THAT(drain(sleeping), ElementsAre(ProcessStreamEvent::exited(15)));
    EXPECT_LT(timer.elapsed(), 10000);

    // A stub that does not exist: exactly one failure to start.
    auto [missing, missingHandle] = sandbox.services().processRunner->stream("/opt/homebrew/bin/mise", {});
    const QList<ProcessStreamEvent> failure = drain(missing);
    ASSERT_EQ(failure.size(), 1);
    EXPECT_EQ(failure[0].kind, ProcessStreamEvent::Kind::failedToStart);
}

TEST(SandboxTest, ZshLoginShellUsesTheSandboxHomeAndItsProfile) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeStub("/opt/homebrew/bin/brew", StubSpec().withStdOut("Homebrew 4.3.1\n"));
    sandbox.writeFile("/Users/tester/.zprofile", "export QLAN_PROFILE=sandbox\n");

    // Dotfiles that stand for the real user's: a shell of the sandbox must not read them.
    Sandbox elsewhere;
    elsewhere.writeFile(elsewhere.home() + "/.zprofile", "export QLAN_PROFILE=real-user\n");
    const ProcessResult result = [&] {
        const ScopedVariable zdotdir("ZDOTDIR", elsewhere.home().toUtf8());
        return runInSandbox(sandbox, "/bin/zsh",
                            {"-lc", "print -r -- \"$HOME|$QLAN_PROFILE|${ZDOTDIR-unset}\"; brew --version"});
    }();

    EXPECT_EQ(result.exitCode, 0) << result.stdErr.toStdString();
    EXPECT_EQ(result.stdOut, sandbox.home() + "|sandbox|unset\nHomebrew 4.3.1\n");
    const QList<StubCall> calls = sandbox.calls("/opt/homebrew/bin/brew");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_THAT(calls[0].arguments, ElementsAre("--version"));
    EXPECT_EQ(calls[0].environment.value("QLAN_PROFILE"), "sandbox");
}
