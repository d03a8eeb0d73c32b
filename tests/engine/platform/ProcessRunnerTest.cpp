#include "Printers.h"
#include "platform/CancellableProcess.h"
#include "platform/LiveProcessCancellation.h"
#include "platform/LiveProcessRunner.h"
#include "platform/PlatformError.h"
#include "support/Wait.h"

#include "support/ProcessChecks.h"
#include "support/StreamDrain.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

using namespace qlan;
using qlan::test::childAndGrandchildCommand;
using qlan::test::dead;
using qlan::test::drain;
using qlan::test::nextWithin;
using qlan::test::openDescriptorCount;
using qlan::test::openDescriptorsOf;
using qlan::test::patienceMs;
using qlan::test::readChildAndGrandchild;
using qlan::test::reaped;
using qlan::test::threadCount;
using namespace std::chrono_literals;
using qlan::test::waitUntil;
using Event = ProcessStreamEvent;

extern char** environ; // declared by no header on a Mac

namespace {

const QString sh = QStringLiteral("/bin/sh");

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

std::vector<Event> linesThenExit(const QStringList& lines, int code) {
    std::vector<Event> events;
    for (const QString& line : lines)
        events.push_back(Event::line(line));
    events.push_back(Event::exited(code));
    return events;
}

std::vector<Event> streamShell(const QString& script) {
    LiveProcessRunner runner;
    auto [stream, handle] = runner.stream(sh, {QStringLiteral("-c"), script});
    return drain(stream);
}

// The lines a splitter yields for `bytes` fed in the given chunks.
QStringList split(const QByteArray& bytes, const std::vector<qsizetype>& cuts) {
    OutputLineSplitter splitter;
    QStringList lines;
    const auto onLine = [&](QString line, qint64) { lines << line; };
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        splitter.feed(bytes.constData() + from, static_cast<std::size_t>(cut - from), onLine);
        from = cut;
    }
    splitter.feed(bytes.constData() + from, static_cast<std::size_t>(bytes.size() - from), onLine);
    splitter.finish(onLine);
    return lines;
}

// The lines, each with the count of what it left out, that a splitter yields for `bytes` read in pieces
// of `piece` bytes.
std::vector<std::pair<QString, qint64>> splitInPieces(const QByteArray& bytes, qsizetype piece) {
    OutputLineSplitter splitter;
    std::vector<std::pair<QString, qint64>> lines;
    const auto onLine = [&](QString line, qint64 omitted) { lines.emplace_back(std::move(line), omitted); };
    for (qsizetype from = 0; from < bytes.size(); from += piece)
        splitter.feed(bytes.constData() + from,
                      static_cast<std::size_t>(std::min(piece, bytes.size() - from)), onLine);
    splitter.finish(onLine);
    return lines;
}

// A few megabytes of text with one-, two-, three- and four-byte characters, so that reads split
// characters at many places.
QByteArray payload(qsizetype approximateSize, const char* tag) {
    QByteArray bytes;
    bytes.reserve(approximateSize + 64);
    for (int i = 0; bytes.size() < approximateSize; ++i)
        bytes +=
            QByteArray(tag) + ' ' + QByteArray::number(i) + " caf\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E\n";
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

TEST(LiveProcessRunnerRun, CollectsSeveralMegabytesOnBothPipesByteExact) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray out = payload(3 * 1024 * 1024, "out");
    const QByteArray err = payload(ProcessResult::keptBytes - 64, "err");
    writeFile(dir.filePath("out"), out);
    writeFile(dir.filePath("err"), err);

    // Both pipes fill at the same time: a runner that drains one pipe before the other deadlocks here.
    LiveProcessRunner runner;
    const ProcessResult result = runner.run(
        sh, {"-c", R"(cat "$0" & cat "$1" >&2; wait; exit 4)", dir.filePath("out"), dir.filePath("err")});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.stdOut.size(), QString::fromUtf8(out).size());
    EXPECT_TRUE(result.stdOut == QString::fromUtf8(out));
    EXPECT_TRUE(result.stdErr == QString::fromUtf8(err));
}

TEST(LiveProcessRunnerRun, KeepsTheStartOfEachPipeUpToItsLimitAndCountsTheRest) {
    // Uniform text of one character: whole characters up to the limit are kept, the rest is counted in
    // UTF-16 units, and the exit code stays the child's.
    struct Pipe {
        QByteArray character;
        qsizetype count;
    };
    struct Case {
        const char* what;
        Pipe out;
        Pipe err;
    };
    const qsizetype limit = ProcessResult::keptBytes;
    const QByteArray a = "a", euro = "\xE2\x82\xAC", clef = "\xF0\x9D\x84\x9E";
    const QList<Case> cases{
        {"a flood on standard output", {a, 3 * limit}, {a, 5}},
        {"a flood on standard error", {a, 0}, {a, 3 * limit}},
        {"both at once, the cut before a three-byte character", {euro, limit / 3 + 1000}, {a, limit + 1}},
        {"exactly the limit whole; a four-byte character is two units", {a, limit}, {clef, limit / 4 + 7}},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LiveProcessRunner runner;
    int exitCode = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(dir.filePath("out"), c.out.character.repeated(c.out.count));
        writeFile(dir.filePath("err"), c.err.character.repeated(c.err.count));
        const ProcessResult result =
            runner.run(sh, {"-c", QString(R"(cat "$0" & cat "$1" >&2; wait; exit %1)").arg(++exitCode),
                            dir.filePath("out"), dir.filePath("err")});
        EXPECT_EQ(result.exitCode, exitCode);
        for (const auto& [pipe, text, omitted] : {std::tuple{c.out, result.stdOut, result.stdOutOmitted},
                                                  std::tuple{c.err, result.stdErr, result.stdErrOmitted}}) {
            const QString character = QString::fromUtf8(pipe.character);
            const qsizetype kept = std::min(pipe.count, limit / pipe.character.size());
            EXPECT_EQ(text.size(), kept * character.size());
            EXPECT_TRUE(text == character.repeated(kept));
            EXPECT_EQ(omitted, (pipe.count - kept) * character.size());
        }
        EXPECT_EQ(result.isCut(), c.out.count * c.out.character.size() > limit ||
                                      c.err.count * c.err.character.size() > limit);
    }
}

TEST(LiveProcessRunnerRun, DecodesLosslesslyWhereItCanAndReplacesInvalidBytes) {
    LiveProcessRunner runner;
    // One bad byte must not empty the whole output; a character split between two writes is whole.
    EXPECT_EQ(
        runner.run(sh, {"-c", R"(printf 'jdk\377 21\n'; printf 'x\303' >&2; sleep 0.2; printf '\251y' >&2)"}),
        (ProcessResult{0, QStringLiteral("jdk\uFFFD 21\n"), QStringLiteral("x\u00E9y")}));
    // A truncated character at the very end is replaced, not dropped.
    EXPECT_EQ(runner.run(sh, {"-c", R"(printf 'end\342\202')"}).stdOut,
              QStringLiteral("end") + QString::fromUtf8("\xE2\x82"));
    EXPECT_TRUE(runner.run(sh, {"-c", R"(printf 'end\342\202')"}).stdOut.endsWith(QChar(0xFFFD)));
    // Arguments reach the child unchanged, spaces, empty and non-ASCII ones included.
    EXPECT_EQ(runner.run(QStringLiteral("/usr/bin/printf"), {"%s|", "a b", "", "\u00FC"}).stdOut,
              QStringLiteral("a b||\u00FC|"));
}

TEST(LiveProcessRunnerRun, WaitsForADescendantThatStillHoldsThePipe) {
    LiveProcessRunner runner;
    QElapsedTimer timer;
    timer.start();
    const ProcessResult result =
        runner.run(sh, {"-c", "(sleep 0.6; echo late; echo late-err >&2) & echo early"});
    EXPECT_GE(timer.elapsed(), 500);
    EXPECT_EQ(result, (ProcessResult{0, "early\nlate\n", "late-err\n"}));
}

// The pid a shell wrote to `path`, once it is there.
pid_t pidIn(const QString& path) {
    pid_t pid = 0;
    waitUntil([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return false;
        pid = file.readAll().trimmed().toInt();
        return pid > 0;
    });
    return pid;
}

TEST(LiveProcessRunnerRun, AChildWithinItsTimeLimitGivesItsResult) {
    LiveProcessRunner runner;
    EXPECT_EQ(runner.runWithTimeLimit(sh, {"-c", "echo out; echo err >&2; exit 3"}, std::nullopt, 5s),
              (ProcessResult{3, "out\n", "err\n"}));
    EXPECT_EQ(runner.runWithTimeLimit(QStringLiteral("/usr/bin/env"), {}, Environment{{"A", "1"}}, 5s).stdOut,
              "A=1\n");
    EXPECT_THROW(runner.runWithTimeLimit(QStringLiteral("/nonexistent/tool"), {}, std::nullopt, 5s),
                 PlatformError);
}

TEST(LiveProcessRunnerRun, AChildPastItsTimeLimitIsStoppedWithItsGroupAndReaped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LiveProcessRunner runner;
    struct Case {
        const char* name;
        QString script;
        qint64 atLeastMs; // SIGKILL comes 1 s after SIGTERM
    };
    const QString pidFile = dir.filePath("pid");
    const QString childFile = dir.filePath("child");
    const std::vector<Case> cases = {
        // Output keeps coming: the limit holds however busy the pipes are.
        {"chatty", R"(echo $$ > "$1"; sleep 100 & echo $! > "$2"; while :; do echo tick; sleep 0.01; done)",
         0},
        // The child closed its pipes and lives on.
        {"silent", R"(echo $$ > "$1"; exec >&- 2>&-; sleep 100 & echo $! > "$2"; wait)", 0},
        // The whole group ignores SIGTERM.
        {"stubborn", R"(trap '' TERM; echo $$ > "$1"; sleep 100 & echo $! > "$2"; wait)", 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(pidFile);
        QFile::remove(childFile);
        QElapsedTimer timer;
        timer.start();
        try {
            runner.runWithTimeLimit(sh, {"-c", c.script, "sh", pidFile, childFile}, std::nullopt, 500ms);
            ADD_FAILURE() << "no time-out";
        } catch (const ProcessTimedOut& timedOut) {
            EXPECT_EQ(timedOut.code(), ETIMEDOUT);
            EXPECT_EQ(timedOut.localizedDescription(),
                      QStringLiteral("The program did not finish within 500 ms."));
        }
        EXPECT_GE(timer.elapsed(), 450);
        EXPECT_GE(timer.elapsed(), 500 + c.atLeastMs - 50);
        EXPECT_LT(timer.elapsed(), 500 + c.atLeastMs + 1500);
        const pid_t child = pidIn(pidFile);
        const pid_t grandchild = pidIn(childFile);
        ASSERT_GT(child, 0);
        ASSERT_GT(grandchild, 0);
        EXPECT_TRUE(reaped(child));                               // no zombie left
        EXPECT_TRUE(waitUntil([&] { return dead(grandchild); })); // the group went with it
    }
    EXPECT_EQ(ProcessTimedOut(QStringLiteral("x"), ETIMEDOUT).localizedDescription(), "x");
    try {
        runner.runWithTimeLimit(QStringLiteral("/bin/sleep"), {"100"}, std::nullopt, 2s);
    } catch (const ProcessTimedOut& timedOut) {
        EXPECT_EQ(timedOut.localizedDescription(), QStringLiteral("The program did not finish within 2 s."));
    }
}

// A background job that keeps the pipes after its parent has exited holds up neither mode for more
// than 2 s: the exit comes with everything read until then, the job itself is left alone.
TEST(LiveProcessRunner, ABackgroundJobHoldingThePipesHoldsUpNeitherModeBeyondTwoSeconds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString jobFile = dir.filePath("job");
    LiveProcessRunner runner;
    // The job's text after its last line break counts as a last line too.
    const QString script = R"(echo first; echo first-err >&2; (sleep 0.5; echo within; echo within-err >&2; )"
                           R"(printf partial; sleep 60) & echo $! > "$1"; echo last)";

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(runner.run(QStringLiteral("/bin/zsh"), {"-c", script, "zsh", jobFile}),
              (ProcessResult{0, "first\nlast\nwithin\npartial", "first-err\nwithin-err\n"}));
    EXPECT_GE(timer.elapsed(), 1900);
    EXPECT_LT(timer.elapsed(), 4000);
    const pid_t runJob = pidIn(jobFile);
    EXPECT_FALSE(dead(runJob)); // left running

    timer.restart();
    auto [stream, handle] = runner.stream(QStringLiteral("/bin/zsh"), {"-c", script, "zsh", jobFile});
    EXPECT_EQ(drain(stream),
              linesThenExit({"first", "first-err", "last", "within", "within-err", "partial"}, 0));
    EXPECT_GE(timer.elapsed(), 1900);
    EXPECT_LT(timer.elapsed(), 4000);
    const pid_t streamJob = pidIn(jobFile);
    EXPECT_FALSE(dead(streamJob));

    // A login shell's background job: `zsh -lc 'sleep 60 &'`.
    timer.restart();
    EXPECT_EQ(runner.runWithTimeLimit(QStringLiteral("/bin/zsh"),
                                      {"-lc", R"(sleep 60 & echo $! > "$HOME/job")"},
                                      Environment{{"HOME", dir.path()}, {"PATH", "/usr/bin:/bin"}}, 10s),
              (ProcessResult{0, "", ""}));
    EXPECT_LT(timer.elapsed(), 4000);
    const pid_t loginJob = pidIn(jobFile);
    EXPECT_FALSE(dead(loginJob));

    for (const pid_t job : {runJob, streamJob, loginJob})
        if (job > 0) ::kill(job, SIGKILL);
}

TEST(LiveProcessRunner, ProgramsThatCannotBeStartedFailInBothModes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notExecutable = dir.filePath("plain.txt");
    writeFile(notExecutable, "#!/bin/sh\necho hi\n");
    const QString missing = dir.filePath("missing-tool");

    LiveProcessRunner runner;
    for (const auto& [path, error] : {std::pair{missing, ENOENT}, std::pair{notExecutable, EACCES}}) {
        try {
            runner.run(path, {"--version"});
            ADD_FAILURE() << "run did not fail for " << path.toStdString();
        } catch (const PlatformError& failure) {
            EXPECT_EQ(failure.code(), error);
            EXPECT_EQ(failure.localizedDescription(), systemMessage(error));
        }

        auto [stream, handle] = runner.stream(path, {"--version"});
        EXPECT_THAT(drain(stream), testing::ElementsAre(Event::failedToStart(systemMessage(error))));
        ASSERT_NE(handle, nullptr);
        handle->cancel(); // harmless: there is no child
    }
    // Only an absolute path starts: a bare or relative name is looked for neither on PATH nor in the
    // working folder.
    EXPECT_THROW(runner.run(QStringLiteral("sh"), {"-c", "true"}), PlatformError);
    EXPECT_THROW(runner.run(QStringLiteral("../../bin/sh"), {"-c", "true"}), PlatformError);
}

TEST(LiveProcessRunner, ChildrenGetDevNullAsInputTheirOwnSessionAndTheChosenEnvironment) {
    LiveProcessRunner runner;
    // Standard input is /dev/null: `cat` ends at once instead of waiting for input that never comes.
    EXPECT_EQ(runner.run(QStringLiteral("/bin/cat"), {}), (ProcessResult{0, "", ""}));
    EXPECT_EQ(runner.run(sh, {"-c", "test /dev/fd/0 -ef /dev/null && echo null"}).stdOut, "null\n");
    auto [catStream, catHandle] = runner.stream(QStringLiteral("/bin/cat"), {});
    EXPECT_THAT(drain(catStream), testing::ElementsAre(Event::exited(0)));

    // The child leads its own session and process group, without a controlling terminal.
    auto [idStream, idHandle] = runner.stream(
        sh,
        {"-c", "if (: </dev/tty) 2>/dev/null; then echo terminal; else echo none; fi; echo $$; sleep 100"});
    EXPECT_EQ(nextWithin(idStream), Event::line("none"));
    const std::optional<Event> id = nextWithin(idStream);
    ASSERT_TRUE(id.has_value());
    const pid_t leader = id->text.toInt();
    ASSERT_GT(leader, 0) << id->text.toStdString();
    EXPECT_EQ(::getsid(leader), leader);
    EXPECT_EQ(::getpgid(leader), leader);
    EXPECT_NE(leader, ::getpgrp());
    idStream.cancel();

    // The child inherits none of our descriptors: only 0, 1, 2 and the one `ls` opens itself.
    const QStringList fds =
        runner.run(QStringLiteral("/bin/ls"), {"/dev/fd"}).stdOut.split('\n', Qt::SkipEmptyParts);
    EXPECT_THAT(fds, testing::IsSubsetOf(QStringList{"0", "1", "2", "3"}));

    // An environment replaces the child's whole environment; none means it inherits ours.
    ::setenv("QLAN_PROCESS_TEST_INHERITED", "from-parent", 1);
    EXPECT_EQ(runner.run(QStringLiteral("/usr/bin/env"), {}, Environment{{"ONLY", "this one"}}).stdOut,
              "ONLY=this one\n");
    EXPECT_EQ(runner.run(QStringLiteral("/usr/bin/env"), {}, Environment{}).stdOut, "");
    EXPECT_THAT(runner.run(QStringLiteral("/usr/bin/env"), {}).stdOut.split('\n'),
                testing::Contains(QStringLiteral("QLAN_PROCESS_TEST_INHERITED=from-parent")));
    auto [envStream, envHandle] =
        runner.stream(QStringLiteral("/usr/bin/env"), {}, Environment{{"A", "1"}, {"B", "2"}});
    EXPECT_EQ(drain(envStream), linesThenExit({"A=1", "B=2"}, 0));
    auto [inheritStream, inheritHandle] = runner.stream(QStringLiteral("/usr/bin/env"), {});
    EXPECT_THAT(drain(inheritStream),
                testing::Contains(Event::line("QLAN_PROCESS_TEST_INHERITED=from-parent")));
    ::unsetenv("QLAN_PROCESS_TEST_INHERITED");

    // A signal ignored by us does not stay ignored in the child.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGTERM, &ignore, &previous);
    const ProcessResult killed = runner.run(sh, {"-c", "kill -TERM $$; echo survived"});
    ::sigaction(SIGTERM, &previous, nullptr);
    EXPECT_EQ(killed, (ProcessResult{15, "", ""}));
}

// Run from a terminal, the application's children still cannot reach it: one that opens /dev/tty (a
// password prompt) fails at once instead of being stopped by SIGTTIN for ever. The test runs itself
// again as the leader of a session whose controlling terminal is a pseudo-terminal; that run checks the
// children.
TEST(LiveProcessRunner, ChildrenStartedFromATerminalCannotOpenIt) {
    const char* helperVariable = "QLAN_TERMINAL_HELPER";
    if (qEnvironmentVariableIsSet(helperVariable)) {
        const int tty = ::open("/dev/tty", O_RDONLY | O_NOCTTY);
        ASSERT_GE(tty, 0) << "the helper run has no controlling terminal";
        ::close(tty);
        LiveProcessRunner runner;
        QElapsedTimer timer;
        timer.start();
        const ProcessResult run =
            runner.runWithTimeLimit(sh, {"-c", "read answer < /dev/tty || exit 7"}, std::nullopt, 10s);
        EXPECT_EQ(run.exitCode, 7);
        auto [stream, handle] = runner.stream(QStringLiteral("/bin/cat"), {"/dev/tty"});
        const std::vector<Event> events = drain(stream);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), Event::exited(1));
        EXPECT_LT(timer.elapsed(), 5000);
        return;
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QByteArray slavePath = ::ptsname(master);
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    QByteArray filter =
        "--gtest_filter=" + QByteArray(testing::UnitTest::GetInstance()->current_test_suite()->name()) + '.' +
        testing::UnitTest::GetInstance()->current_test_info()->name();
    QByteArray noColour = "--gtest_color=no";
    std::vector<char*> argv = {const_cast<char*>(self.constData()), filter.data(), noColour.data(), nullptr};
    QByteArray marker = QByteArray(helperVariable) + "=1";
    std::vector<char*> envp;
    for (char** entry = environ; *entry; ++entry)
        envp.push_back(*entry);
    envp.push_back(marker.data());
    envp.push_back(nullptr);

    const pid_t helper = ::fork();
    ASSERT_GE(helper, 0);
    if (helper == 0) { // only async-signal-safe calls from here on
        ::setsid();
        const int slave = ::open(slavePath.constData(), O_RDWR);
        if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0) ::_exit(120);
        ::dup2(slave, STDIN_FILENO);
        ::dup2(slave, STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        ::close(master);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(121);
    }

    // Read the helper's report until it has closed the terminal (EIO), for at most the tests' patience.
    QByteArray report;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, 200) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) break;
            report.append(buffer, got);
        }
        if (timer.elapsed() > patienceMs) {
            ::kill(helper, SIGKILL);
            ADD_FAILURE() << "the helper run hangs";
            break;
        }
    }
    ::close(master);
    int status = 0;
    ASSERT_EQ(::waitpid(helper, &status, 0), helper);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report.toStdString();
    EXPECT_TRUE(report.contains("[  PASSED  ] 1 test")) << report.toStdString();
}

// A cancel returns at once, also when the child ignores it and is never reaped while the cancel runs.
TEST(LiveProcessCancellation, CancelNeverWaitsForTheChild) {
    LiveProcessRunner runner;
    auto [stream, handle] =
        runner.stream(sh, {"-c", "trap '' TERM; echo ready; while :; do sleep 0.05; done"});
    EXPECT_EQ(nextWithin(stream), Event::line("ready"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 100; ++i)
        handle->cancel();
    stream.cancel(); // the consumer goes: the same cancel from the termination handler
    EXPECT_LT(timer.elapsed(), 500);
    auto live = std::dynamic_pointer_cast<LiveProcessCancellation>(handle);
    ASSERT_NE(live, nullptr);
    EXPECT_FALSE(live->hasExited()); // the child ignored SIGTERM
    live->kill();
    EXPECT_TRUE(waitUntil([&] { return live->hasExited(); }));
}

// A cancel sends SIGTERM to the group and SIGKILL to whatever of it is left 2 s later, whether the
// child or only a descendant ignores SIGTERM; the exit is reported as soon as the child is gone. A wait for
// the cancelled children returns once the group is gone and the child reaped.
TEST(LiveProcessCancellation, ACancelEndsTheWholeGroupWithinTheGrace) {
    struct Case {
        const char* name;
        const char* script;
        int code;
        qint64 exitAfterMs;
        qint64 exitBeforeMs;
    };
    const std::vector<Case> cases = {
        {"the child and its grandchild ignore SIGTERM", "trap '' TERM; sleep 100 & echo $$ $!; wait", SIGKILL,
         1900, 3500},
        {"only a grandchild that holds no pipe ignores it",
         "(trap '' TERM; exec sleep 100) >/dev/null 2>&1 & echo $$ $!; wait", SIGTERM, 0, 1000},
    };
    LiveProcessRunner runner;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [stream, handle] = runner.stream(sh, {"-c", c.script});
        const std::optional<Event> ids = nextWithin(stream);
        pid_t child = 0;
        pid_t grandchild = 0;
        ASSERT_TRUE(ids && readChildAndGrandchild(ids->text, &child, &grandchild));
        QElapsedTimer timer;
        timer.start();
        handle->cancel();
        EXPECT_FALSE(LiveProcessCancellation::waitForCanceledChildren(LiveProcessCancellation::Clock::now()));
        EXPECT_EQ(drain(stream), linesThenExit({}, c.code));
        EXPECT_GE(timer.elapsed(), c.exitAfterMs);
        EXPECT_LT(timer.elapsed(), c.exitBeforeMs);
        EXPECT_TRUE(LiveProcessCancellation::waitForCanceledChildren(LiveProcessCancellation::Clock::now() +
                                                                     std::chrono::milliseconds(patienceMs)));
        EXPECT_TRUE(reaped(child));
        EXPECT_TRUE(waitUntil([&] { return dead(grandchild); }));
        EXPECT_GE(timer.elapsed(), 1900); // the grandchild had its grace
        EXPECT_LT(timer.elapsed(), 3500);
    }
}

TEST(OutputLineSplitter, SplitsAtEverySeparatorWhereverTheReadsEnd) {
    const QString fffd(QChar(0xFFFD));
    const std::vector<std::pair<QByteArray, QStringList>> table = {
        {"a\n\nb", {"a", "b"}},
        {"a\r\nb\r", {"a", "b"}},
        {"1\v2\f3\xC2\x85"
         "4\xE2\x80\xA8"
         "5\xE2\x80\xA9"
         "6",
         {"1", "2", "3", "4", "5", "6"}},
        {"\n\r\n\r\v\f\xC2\x85\xE2\x80\xA8", {}},
        {"", {}},
        {"caf\xC3\xA9\n\xF0\x9D\x84\x9E", {"caf\u00E9", QString::fromUtf8("\xF0\x9D\x84\x9E")}},
        {"x\xFFy\n", {"x" + fffd + "y"}},
        // Look-alikes that are no separators: U+2027, NBSP, and the separators' bytes out of order.
        {"a\xE2\x80\xA7"
         "b\xC2\xA0"
         "c\x85\xC2",
         {QString::fromUtf8("a\xE2\x80\xA7"
                            "b\xC2\xA0"
                            "c\x85\xC2")}},
        // A lead byte cut short by a separator: the bad bytes become U+FFFD, the separator still counts.
        {"p\xE2\x80\nq\xC2\rr\xE2", {QString::fromUtf8("p\xE2\x80"), "q" + fffd, "r" + fffd}},
        {"\xE2\xE2\x80\xA8z", {fffd, "z"}},
    };
    for (const auto& [bytes, expected] : table) {
        SCOPED_TRACE(bytes.toHex(' ').toStdString());
        EXPECT_EQ(split(bytes, {}), expected);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
            EXPECT_EQ(split(bytes, {cut}), expected) << cut;
        std::vector<qsizetype> everyByte;
        for (qsizetype cut = 1; cut < bytes.size(); ++cut)
            everyByte.push_back(cut);
        EXPECT_EQ(split(bytes, everyByte), expected);
    }
}

TEST(OutputLineSplitter, KeepsTheStartOfALongLineAndCountsTheRest) {
    const qsizetype kept = OutputLineSplitter::keptBytes;
    const QByteArray x(kept, 'x');
    const QString xs = QString::fromLatin1(x);
    const QByteArray clef = "\xF0\x9D\x84\x9E"; // U+1D11E: four bytes, two UTF-16 units
    const std::vector<std::pair<QByteArray, std::vector<std::pair<QString, qint64>>>> table = {
        {x + "\n" + x, {{xs, 0}, {xs, 0}}},
        {x + "yz\nab", {{xs, 2}, {"ab", 0}}},
        // The cut falls inside a character: the character goes whole into the count.
        {x.left(kept - 1) + "\xC3\xA9yz\n", {{xs.left(kept - 1), 3}}},
        {x.left(kept - 2) + clef + "ab", {{xs.left(kept - 2), 4}}},
        // Megabytes without a line break, then a separator of three bytes.
        {x + QByteArray(3'000'000, '=') + "\xE2\x80\xA8" + "next", {{xs, 3'000'000}, {"next", 0}}},
    };
    for (const auto& [bytes, expected] : table) {
        SCOPED_TRACE(bytes.size());
        for (const qsizetype piece :
             {qsizetype(1), qsizetype(7), qsizetype(4096), qsizetype(65536), bytes.size()}) {
            if (piece == 1 && bytes.size() > 100'000) continue;
            EXPECT_EQ(splitInPieces(bytes, piece), expected) << piece;
        }
    }
}

TEST(LiveProcessRunnerStream, SplitsTheCombinedOutputOfARealChildIntoLines) {
    EXPECT_EQ(streamShell(R"(printf 'a\n\nb')"), linesThenExit({"a", "b"}, 0));
    EXPECT_EQ(streamShell(R"(printf 'a\r\nb\r')"), linesThenExit({"a", "b"}, 0));
    EXPECT_EQ(streamShell(R"(printf '1\v2\f3\302\2054\342\200\2505\342\200\2516')"),
              linesThenExit({"1", "2", "3", "4", "5", "6"}, 0));
    EXPECT_EQ(streamShell(R"(printf 'x\377y\n'; exit 3)"), linesThenExit({"x\uFFFDy"}, 3));
    EXPECT_EQ(streamShell("true"), linesThenExit({}, 0));
    // Standard output and standard error share one pipe, in the order the child writes them.
    EXPECT_EQ(streamShell("echo out; echo err >&2; echo out2"), linesThenExit({"out", "err", "out2"}, 0));
    // Separators and characters split between two writes (and so between two reads).
    EXPECT_EQ(
        streamShell(
            R"(printf 'a\r'; sleep 0.2; printf '\nb\342\200'; sleep 0.2; printf '\250c\303'; sleep 0.2; printf '\251d')"),
        linesThenExit({"a", "b", "c\u00E9d"}, 0));
}

TEST(LiveProcessRunnerStream, DeliversEveryLineBeforeTheExit) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray text = payload(3 * 1024 * 1024, "line");
    writeFile(dir.filePath("text"), text);
    QStringList expected = QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);

    LiveProcessRunner runner;
    auto [stream, handle] = runner.stream(QStringLiteral("/bin/cat"), {dir.filePath("text")});
    const std::vector<Event> events = drain(stream);
    ASSERT_EQ(events.size(), static_cast<std::size_t>(expected.size()) + 1);
    EXPECT_EQ(events.back(), Event::exited(0));
    for (qsizetype i = 0; i < expected.size(); ++i)
        ASSERT_EQ(events[static_cast<std::size_t>(i)], Event::line(expected[i])) << i;

    // The last words of a child that exits at once after writing, and those of a descendant that
    // still holds the pipe, come before the exit.
    EXPECT_EQ(streamShell("(sleep 0.3; echo late) & echo early; echo last >&2"),
              linesThenExit({"early", "last", "late"}, 0));
}

TEST(LiveProcessRunner, ASignalledChildReportsTheSignalNumberInBothModes) {
    LiveProcessRunner runner;
    EXPECT_EQ(runner.run(sh, {"-c", "kill -TERM $$"}).exitCode, 15);
    EXPECT_EQ(runner.run(sh, {"-c", "kill -KILL $$"}).exitCode, 9);
    EXPECT_EQ(streamShell("echo bye; kill -TERM $$"), linesThenExit({"bye"}, 15));

    // Cancelling a running child: SIGTERM to its whole group, reported as 15 like any other exit.
    auto [stream, handle] = runner.stream(QStringLiteral("/bin/zsh"), {"-c", "echo ready; sleep 100 & wait"});
    EXPECT_EQ(nextWithin(stream), Event::line("ready"));
    handle->cancel();
    EXPECT_EQ(drain(stream), linesThenExit({}, 15));
    handle->cancel(); // after the end: nothing happens
    EXPECT_TRUE(std::dynamic_pointer_cast<LiveProcessCancellation>(handle)->isCanceled());
}

// A stopped child is still there: nothing is cut short while it is stopped (not even past the 2 s that
// a descendant holding the pipe gets), and once continued its output is read to the end and its exit
// reported with its code.
TEST(LiveProcessRunnerStream, AStoppedChildIsReadToTheEndOnceContinued) {
    LiveProcessRunner runner;
    auto [stream, handle] = runner.stream(sh, {"-c", "echo $$; kill -STOP $$; echo after; exit 7"});
    const std::optional<Event> first = nextWithin(stream);
    ASSERT_TRUE(first.has_value());
    const pid_t child = first->text.toInt();
    ASSERT_GT(child, 0) << first->text.toStdString();
    const auto isStopped = [child] {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(child), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == child && info.si_code == CLD_STOPPED;
    };
    ASSERT_TRUE(waitUntil(isStopped));
    auto live = std::dynamic_pointer_cast<LiveProcessCancellation>(handle);
    ASSERT_NE(live, nullptr);
    EXPECT_FALSE(live->hasExited());
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(isStopped());
    EXPECT_FALSE(live->hasExited());
    EXPECT_EQ(stream.tryNext(), std::nullopt) << "nothing ends while the child is stopped";

    ASSERT_EQ(::kill(child, SIGCONT), 0);
    EXPECT_EQ(drain(stream), linesThenExit({"after"}, 7));
    EXPECT_TRUE(waitUntil([&] { return reaped(child); }));

    // A stopped child that is cancelled is continued to take its SIGTERM, rather than left stopped until
    // the SIGKILL after the grace: its handler runs.
    QTemporaryDir dir;
    const QString termed = dir.filePath("termed");
    auto [stopped, stopHandle] = runner.stream(
        sh, {"-c", "trap 'echo > " + termed + "; exit 0' TERM; echo $$; kill -STOP $$; sleep 30"});
    const std::optional<Event> pid = nextWithin(stopped);
    ASSERT_TRUE(pid.has_value());
    const pid_t second = pid->text.toInt();
    ASSERT_GT(second, 0);
    ASSERT_TRUE(waitUntil([&] {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(second), &info, WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == second;
    }));
    stopped.cancel();
    EXPECT_TRUE(waitUntil([&] { return reaped(second); }));
    EXPECT_TRUE(QFileInfo::exists(termed)) << "ended by SIGKILL, not by its SIGTERM";
}

TEST(LiveProcessRunnerStream, EndingTheConsumerKillsTheChildAndItsDescendants) {
    LiveProcessRunner runner;
    for (const bool drop : {true, false}) {
        SCOPED_TRACE(drop ? "dropped" : "cancelled");
        const int threadsBefore = threadCount();
        pid_t child = 0;
        pid_t grandchild = 0;
        {
            auto [stream, handle] = runner.stream(sh, {"-c", childAndGrandchildCommand});
            const std::optional<Event> ids = nextWithin(stream);
            ASSERT_TRUE(ids.has_value());
            ASSERT_TRUE(readChildAndGrandchild(ids->text, &child, &grandchild)) << ids->text.toStdString();
            EXPECT_FALSE(dead(child));
            EXPECT_FALSE(dead(grandchild));
            if (!drop) {
                stream.cancel();
                EXPECT_EQ(stream.next(), std::nullopt); // nothing more after a cancel, not even `exited`
            }
        }
        // The child is reaped by us (no zombie left), the grandchild killed with it.
        EXPECT_TRUE(waitUntil([&] { return reaped(child); }));
        EXPECT_TRUE(waitUntil([&] { return dead(grandchild); }));
        EXPECT_TRUE(waitUntil([&] { return threadCount() <= threadsBefore; })); // the reader is gone
    }
}

TEST(CancellableProcess, ACancelledJobCancelsEveryChildItIsGiven) {
    LiveProcessRunner runner;
    CancellableProcess job;
    job.cancel(); // before the first child exists
    EXPECT_TRUE(job.isCanceled());
    for (int child = 0; child < 2; ++child) {
        auto [stream, handle] = runner.stream(QStringLiteral("/bin/sleep"), {"100"});
        job.setCurrent(handle);
        EXPECT_EQ(drain(stream), linesThenExit({}, 15));
    }

    // Cancelling while a child runs terminates it.
    CancellableProcess running;
    auto [stream, handle] = runner.stream(sh, {"-c", "echo started; sleep 100"});
    running.setCurrent(handle);
    EXPECT_EQ(nextWithin(stream), Event::line("started"));
    running.cancel();
    EXPECT_EQ(drain(stream), linesThenExit({}, 15));
}

TEST(LiveProcessCancellation, ACancelBeforeTheChildIsAttachedTerminatesItAtAttach) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::pause();
        ::_exit(0);
    }
    LiveProcessCancellation handle;
    handle.cancel();
    handle.attach(pid);
    EXPECT_EQ(handle.waitForExit(), SIGTERM);
    EXPECT_TRUE(reaped(pid));
    EXPECT_EQ(handle.waitForExit(), -1); // nothing attached any more
    handle.cancel();                     // and nothing left to signal

    // Termination codes as the platform reports them.
    EXPECT_EQ(terminationCode(0), 0);
    EXPECT_EQ(terminationCode(42 << 8), 42);
    EXPECT_EQ(terminationCode(SIGKILL), 9);
}

// Only an exit or a death is an exit: whatever else waitid() answers leaves the child running.
TEST(LiveProcessCancellation, OnlyAnExitOrADeathReportsTheChildGone) {
    struct Case {
        pid_t pid;
        int code;
        bool gone;
    };
    for (const Case& c :
         {Case{4242, CLD_EXITED, true}, Case{4242, CLD_KILLED, true}, Case{4242, CLD_DUMPED, true},
          Case{4242, CLD_STOPPED, false}, Case{4242, CLD_CONTINUED, false}, Case{4242, CLD_TRAPPED, false},
          Case{0, CLD_EXITED, false}, Case{0, 0, false}}) {
        siginfo_t answer{};
        answer.si_pid = c.pid;
        answer.si_code = c.code;
        EXPECT_EQ(reportsExit(answer), c.gone) << "pid " << c.pid << ", code " << c.code;
    }
}

// The zombie check as a Mac runs it, on the answers of its proc_pidinfo(PROC_PIDTBSDINFO): the bytes it
// wrote (136, the whole record; 0 or -1 when it found nothing) and the state in the record (SIDL 1, SRUN 2,
// SSLEEP 3, SSTOP 4, SZOMB 5). Only a whole record in the zombie's state is a zombie.
TEST(ProcessChecks, AMacsAnswerIsAZombieOnlyWhenItsWholeRecordSaysSo) {
    constexpr std::size_t record = 136;
    struct Case {
        int answered;
        std::uint32_t status;
        bool zombie;
    };
    for (const Case& c : {Case{136, 5, true}, Case{136, 1, false}, Case{136, 2, false}, Case{136, 3, false},
                          Case{136, 4, false}, Case{0, 5, false}, Case{-1, 5, false}, Case{64, 5, false}}) {
        EXPECT_EQ(test::describesZombie(c.answered, record, c.status), c.zombie)
            << c.answered << " bytes, state " << c.status;
    }
#if defined(__APPLE__)
    EXPECT_EQ(sizeof(proc_bsdinfo), record);
#endif
}

// The checks the process tests rest on read what the kernel tells, on every system: none of them holds
// for want of a way to look.
TEST(ProcessChecks, SeeThreadsDescriptorsZombiesAndReapedChildren) {
    std::promise<void> release;
    std::thread extra([waiting = release.get_future()] { waiting.wait(); });
    const int during = threadCount();
    EXPECT_GE(during, 2);
    release.set_value();
    extra.join();
    EXPECT_TRUE(waitUntil([&] { return threadCount() < during; }));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("held");
    const int descriptors = openDescriptorCount();
    EXPECT_GE(descriptors, 3);
    {
        QFile held(path);
        ASSERT_TRUE(held.open(QIODevice::WriteOnly));
        EXPECT_EQ(openDescriptorsOf(path), 1);
        EXPECT_GT(openDescriptorCount(), descriptors);
    }
    EXPECT_EQ(openDescriptorsOf(path), 0);

    const pid_t running = ::fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    const pid_t exiting = ::fork();
    ASSERT_GE(exiting, 0);
    if (exiting == 0) ::_exit(0);
    EXPECT_FALSE(dead(running));
    EXPECT_FALSE(reaped(running));
    EXPECT_TRUE(waitUntil([&] { return dead(exiting); })) << "a zombie is dead";
    EXPECT_FALSE(reaped(exiting)) << "but not reaped";
    for (const pid_t child : {running, exiting}) {
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        EXPECT_TRUE(reaped(child));
    }
}

TEST(LiveProcessRunner, LeavesNoDescriptorsThreadsOrChildrenBehind) {
    LiveProcessRunner runner;
    runner.run(QStringLiteral("/usr/bin/true"), {}); // warm-up
    const int fdsBefore = openDescriptorCount();
    const int threadsBefore = threadCount();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(runner.run(sh, {"-c", "echo out; echo err >&2"}), (ProcessResult{0, "out\n", "err\n"}));
        EXPECT_THROW(runner.run(QStringLiteral("/nonexistent/tool"), {}), PlatformError);
        auto [done, doneHandle] = runner.stream(sh, {"-c", "echo one; echo two >&2"});
        EXPECT_EQ(drain(done), linesThenExit({"one", "two"}, 0));
        auto [failed, failedHandle] = runner.stream(QStringLiteral("/nonexistent/tool"), {});
        EXPECT_EQ(drain(failed).size(), 1u);
        auto [dropped, droppedHandle] = runner.stream(QStringLiteral("/bin/sleep"), {"100"});
    }
    EXPECT_TRUE(waitUntil([&] { return openDescriptorCount() <= fdsBefore; }))
        << openDescriptorCount() << " descriptors open, " << fdsBefore << " before";
    EXPECT_TRUE(waitUntil([&] { return threadCount() <= threadsBefore; }));
    // No child of ours is left, reaped or not.
    EXPECT_TRUE(waitUntil([] {
        siginfo_t info{};
        return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == -1 && errno == ECHILD;
    }));
}
