// The remediation runner: every case ends with exactly one terminal event, a job that touches nothing is
// over when `run` returns, a file job never holds up the calling thread, a task job's children die with
// its stream, the stopped jobs can be waited for, and the two PATH repair jobs.

#include "remediation/SetupRemediationRunner.h"

#include "platform/LiveFileEditHold.h"
#include "remediation/EditGate.h"
#include "remediation/FileEditLock.h"

#include "FaultyFileSystem.h"
#include "RunnerEvents.h"
#include "support/CurrentEdition.h"
#include "support/EditLockHolder.h"
#include "support/ProcessChecks.h"
#include "support/Sandbox.h"
#include "support/StreamDrain.h"
#include "support/Wait.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

using namespace qlan;
using qlan::test::Sandbox;
using Event = StreamEvent;

namespace {

SetupRemediationRunner runnerIn(const Sandbox& sandbox) {
    return SetupRemediationRunner::fromServices(sandbox.services());
}

QList<SetupRemediation> allCases() {
    const AgentSkill bundled = AgentSkill::builtIn().first();
    return {SetupRemediation::repairPath("/Users/tester/.local/bin"),
            SetupRemediation::createProject(ProjectTemplate::coding),
            SetupRemediation::installSkill(bundled),
            SetupRemediation::addMCPServer(MCPServer::builtIn().first(), std::nullopt),
            SetupRemediation::configureGit("Ada", "ada@example.com"),
            SetupRemediation::installCommandLineTools(),
            SetupRemediation::installHomebrew(),
            SetupRemediation::installClaudeCLI(),
            SetupRemediation::repairHomebrewPath(),
            SetupRemediation::installWarp(),
            SetupRemediation::installClaudeDesktop(),
            SetupRemediation::installZed(),
            SetupRemediation::installVSCode(),
            SetupRemediation::installCodexCLI(),
            SetupRemediation::installCodexDesktop(),
            SetupRemediation::configureShell(),
            SetupRemediation::installUv(),
            SetupRemediation::installMise(),
            SetupRemediation::installNodeViaMise(),
            SetupRemediation::installRubyViaMise(),
            SetupRemediation::installRustViaMise(),
            SetupRemediation::installRustup(),
            SetupRemediation::installTemurin(),
            SetupRemediation::documentEnvironment(),
            SetupRemediation::installGh(),
            SetupRemediation::githubAuth()};
}

} // namespace

TEST(SetupRemediationRunner, EveryCaseEndsWithExactlyOneTerminalEvent) {
    const QList<SetupRemediation> cases = allCases();
    ASSERT_EQ(cases.size(), 26);
    for (const SetupRemediation& remediation : cases) {
        SCOPED_TRACE(remediation.id().toStdString());
        Sandbox sandbox; // no Homebrew, no programs at all
        auto stream = runnerIn(sandbox).run(remediation, QStringLiteral("Quillane"));
        const std::vector<Event> events = test::drain(stream);
        ASSERT_FALSE(events.empty());
        EXPECT_TRUE(events.back().isTerminal());
        EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const Event& e) { return e.isTerminal(); }),
                  1);
    }
}

TEST(SetupRemediationRunner, ACaskJobWithoutHomebrewIsOverBeforeRunReturns) {
    Sandbox sandbox;
    for (const SetupRemediation& remediation :
         {SetupRemediation::installWarp(), SetupRemediation::installClaudeCLI(),
          SetupRemediation::installTemurin(), SetupRemediation::installCodexDesktop()}) {
        SCOPED_TRACE(remediation.id().toStdString());
        EXPECT_THAT(
            test::runImmediate(runnerIn(sandbox), remediation),
            testing::ElementsAre(Event::output("Homebrew isn't available yet — install Homebrew first."),
                                 Event::completed(-1)));
    }
}

TEST(SetupRemediationRunner, BrewIsTheFirstExecutableOfTheTwoPlaces) {
    Sandbox sandbox;
    EXPECT_EQ(runnerIn(sandbox).brewPath, std::nullopt);
    sandbox.writeFile("/opt/homebrew/bin/brew", "not executable", 0644);
    sandbox.writeStub("/usr/local/bin/brew");
    EXPECT_EQ(runnerIn(sandbox).brewPath, QStringLiteral("/usr/local/bin/brew"));
    sandbox.writeStub("/opt/homebrew/bin/brew");
    EXPECT_EQ(runnerIn(sandbox).brewPath, QStringLiteral("/opt/homebrew/bin/brew"));
}

TEST(SetupRemediationRunner, RunShellRelaysLinesAndTheStatusOfALoginShell) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    const SetupRemediationRunner runner = runnerIn(sandbox);
    auto stream = SetupRemediationRunner::task(
        [runner](const SetupRemediationRunner::Output& out, std::stop_token stop) {
            const std::int32_t first = runner.runShell("echo one; echo 'two  spaced' >&2; exit 3", out, stop);
            out.line(QStringLiteral("status %1").arg(first));
            out.completed(runner.runShell("true", out, stop));
        });
    EXPECT_THAT(test::drain(stream), testing::ElementsAre(Event::output("one"), Event::output("two  spaced"),
                                                          Event::output("status 3"), Event::completed(0)));

    // No shell to start: the reason, then -1.
    Sandbox noShell;
    const SetupRemediationRunner bare = runnerIn(noShell);
    auto failed =
        SetupRemediationRunner::task([bare](const SetupRemediationRunner::Output& out, std::stop_token stop) {
            out.completed(bare.runShell("true", out, stop));
        });
    const std::vector<Event> events = test::drain(failed);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].text.startsWith("Failed to start: ")) << events[0].text.toStdString();
    EXPECT_EQ(events[1], Event::completed(-1));
}

TEST(SetupRemediationRunner, AJobThatThrowsOrForgetsItsEndStillEndsOnce) {
    auto thrown = SetupRemediationRunner::immediate([](const SetupRemediationRunner::Output& out) {
        out.line("working");
        throw PlatformError("disk on fire");
    });
    EXPECT_THAT(
        test::finishedEvents(thrown),
        testing::ElementsAre(Event::output("working"), Event::output("disk on fire"), Event::completed(-1)));
    auto forgotten =
        SetupRemediationRunner::task([](const SetupRemediationRunner::Output& out, std::stop_token) {
            out.completed(0);
            out.completed(5); // dropped: one terminal event only
            out.line("late");
        });
    EXPECT_THAT(test::drain(forgotten), testing::ElementsAre(Event::completed(0)));
    auto silent = SetupRemediationRunner::task([](const SetupRemediationRunner::Output&, std::stop_token) {});
    EXPECT_THAT(test::drain(silent), testing::ElementsAre(Event::completed(-1)));
}

TEST(SetupRemediationRunner, DroppingATaskJobsStreamKillsItsChildAndGrandchild) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    const SetupRemediationRunner runner = runnerIn(sandbox);
    for (const bool drop : {true, false}) {
        SCOPED_TRACE(drop ? "dropped" : "cancelled");
        auto jobEnded = std::make_shared<std::atomic<bool>>(false);
        auto holderCanceled = std::make_shared<std::atomic<bool>>(false);
        pid_t child = 0;
        pid_t grandchild = 0;
        {
            auto stream =
                startJobStream([runner, jobEnded, holderCanceled](
                                   const JobOutput& out, CancellableProcess& job, std::stop_token stop) {
                    const std::int32_t status = runner.runShell(test::childAndGrandchildCommand, out, stop);
                    out.completed(status);
                    *holderCanceled = job.isCanceled();
                    *jobEnded = true;
                });
            const std::optional<Event> ids = test::nextWithin(stream);
            ASSERT_TRUE(ids.has_value());
            ASSERT_TRUE(test::readChildAndGrandchild(ids->text, &child, &grandchild))
                << ids->text.toStdString();
            EXPECT_FALSE(test::dead(grandchild));
            if (!drop) {
                stream.cancel();
                EXPECT_EQ(stream.next(), std::nullopt) << "nothing after the consumer went away";
            }
        }
        EXPECT_TRUE(test::waitUntil([&] { return test::dead(child); }));
        EXPECT_TRUE(test::waitUntil([&] { return test::dead(grandchild); }));
        EXPECT_TRUE(test::waitUntil([&] { return jobEnded->load(); })) << "the job's thread ends";
        EXPECT_TRUE(holderCanceled->load()) << "the termination handler cancels the job's holder";
    }
}

// The end of the application waits for the jobs it stopped until each of them has ended, and for those
// only: a job nobody stopped holds up no such wait.
TEST(SetupRemediationRunner, AWaitForTheStoppedJobsWaitsUntilEachOfThemHasEnded) {
    using Clock = std::chrono::steady_clock;
    struct Held {
        std::promise<void> started;
        std::promise<void> release;
    };
    const auto job = [](const std::shared_ptr<Held>& held) {
        return startJobStream([held, released = held->release.get_future().share()](
                                  const JobOutput&, CancellableProcess&, std::stop_token) {
            held->started.set_value();
            released.wait();
        });
    };
    const auto running = std::make_shared<Held>();
    const auto stopped = std::make_shared<Held>();
    auto goesOn = job(running);
    auto ends = job(stopped);
    running->started.get_future().wait();
    stopped->started.get_future().wait();
    EXPECT_TRUE(EditGate::waitForStoppedJobs(Clock::now() + std::chrono::milliseconds(test::patienceMs)));
    ends.cancel();
    EXPECT_FALSE(EditGate::waitForStoppedJobs(Clock::now() + std::chrono::milliseconds(100)));
    stopped->release.set_value();
    EXPECT_TRUE(EditGate::waitForStoppedJobs(Clock::now() + std::chrono::milliseconds(test::patienceMs)));
    running->release.set_value();
    EXPECT_THAT(test::drain(goesOn), testing::ElementsAre(Event::completed(-1)));
}

TEST(SetupRemediationRunner, RepairPathAddsTheEscapedDirectoryOnce) {
    test::CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const QString backup = sandbox.home() + "/.zprofile.bak";
    const QString directory = QStringLiteral("/Users/tester/My \"$HOME\" `x` \\bin");
    const auto repair = SetupRemediation::repairPath(directory);
    // The directory only in a comment is not on PATH: the line is added.
    sandbox.writeFile("/Users/tester/.zprofile",
                      "# export PATH=\"/Users/tester/My \\\"\\$HOME\\\" \\`x\\` \\\\bin:$PATH\"\n");
    EXPECT_THAT(
        test::runToEnd(runnerIn(sandbox), repair),
        testing::ElementsAre(Event::output("Added `" + directory +
                                           "` to your PATH in ~/.zprofile (backup at " + backup + ")."),
                             Event::completed(0)));
    EXPECT_TRUE(sandbox.readFile("/Users/tester/.zprofile")
                    .endsWith("\n\n# Quillane — Claude Code PATH\n"
                              "export PATH=\"/Users/tester/My \\\"\\$HOME\\\" \\`x\\` \\\\bin:$PATH\"\n"));
    const QByteArray after = sandbox.readFile("/Users/tester/.zprofile");
    EXPECT_THAT(
        test::runToEnd(runnerIn(sandbox), repair),
        testing::ElementsAre(
            Event::output("`" + directory + "` is already on your PATH in ~/.zprofile — nothing to do."),
            Event::completed(0)));
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"), after);

    // The line reaches zsh as the directory itself, nothing expanded.
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeFile("/Users/tester/.zprofile", after.mid(after.indexOf("# Quillane")));
    const SetupRemediationRunner runner = runnerIn(sandbox);
    auto stream = SetupRemediationRunner::task(
        [runner](const SetupRemediationRunner::Output& out, std::stop_token stop) {
            out.completed(runner.runShell("print -r -- ${PATH%%:*}", out, stop));
        });
    EXPECT_THAT(test::drain(stream), testing::ElementsAre(Event::output(directory), Event::completed(0)));
}

TEST(SetupRemediationRunner, RepairHomebrewPathFindsBrewItselfAndNeedsAnActiveLine) {
    test::CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const auto repair = SetupRemediation::repairHomebrewPath();
    EXPECT_THAT(test::runToEnd(runnerIn(sandbox), repair),
                testing::ElementsAre(Event::output("Homebrew isn't installed yet — nothing to repair."),
                                     Event::completed(1)));
    EXPECT_FALSE(sandbox.exists("/Users/tester/.zprofile"));

    // The runner was built before Homebrew existed: the job looks for brew by itself, /opt/homebrew first.
    const SetupRemediationRunner earlier = runnerIn(sandbox);
    sandbox.writeStub("/usr/local/bin/brew");
    sandbox.writeStub("/opt/homebrew/bin/brew");
    sandbox.writeFile("/Users/tester/.zprofile", "  # eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    EXPECT_THAT(test::runToEnd(earlier, repair),
                testing::ElementsAre(Event::output("Added Homebrew to your PATH in ~/.zprofile (backup at " +
                                                   sandbox.home() + "/.zprofile.bak)."),
                                     Event::completed(0)));
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"),
              "  # eval \"$(/opt/homebrew/bin/brew shellenv)\"\n\n# Quillane — Homebrew shellenv\n"
              "eval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    EXPECT_THAT(test::runToEnd(earlier, repair),
                testing::ElementsAre(Event::output("Homebrew's shellenv is already active in ~/.zprofile — "
                                                   "re-checking in a fresh shell."),
                                     Event::completed(0)));

    // A ~/.zprofile that cannot be written: the reason, exit 1, the file as it was.
    auto faulty = std::make_shared<test::FaultyFileSystem>(sandbox.services().fs);
    faulty->failWrite = [](const QString& path) { return path.endsWith("/.zprofile"); };
    sandbox.writeFile("/Users/tester/.zprofile", "export A=1\n");
    const SetupRemediationRunner failing(std::nullopt, sandbox.services().processRunner, faulty,
                                         sandbox.services().http);
    const std::vector<Event> events = test::runToEnd(failing, repair);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].text.startsWith("Couldn't update ~/.zprofile: Couldn't write file: "))
        << events[0].text.toStdString();
    EXPECT_EQ(events[1], Event::completed(1));
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"), "export A=1\n");
}

namespace {

// A job's events taken on this (the GUI) thread, as a screen takes them; destroying it is a Cancel.
struct Screen {
    explicit Screen(SetupRemediationRunner::Events stream) {
        std::move(stream).deliverTo(
            &context, [this](Event event) { events.push_back(std::move(event)); }, [this] { ended = true; });
    }
    QStringList lines() const {
        QStringList texts;
        for (const Event& event : events)
            if (!event.isTerminal()) texts << event.text;
        return texts;
    }
    QObject context;
    std::vector<Event> events;
    bool ended = false;
};

} // namespace

// Another program holds ~/.zprofile. A file job started on this thread never holds it up, says which file
// waits, waits once and goes on without it; Cancel ends a wait at once; the thread and descriptor left
// waiting go when the other program lets go.
TEST(SetupRemediationRunner, AFileJobWaitsForAnotherProgramOnceOffTheCallingThreadAndCancelEndsTheWait) {
    test::CurrentEdition edition(ProductConfig::homebrewEdition());
    Sandbox sandbox;
    const QString zprofile = sandbox.home() + "/.zprofile";
    const QString locks = LiveFileEditHold::lockFolder(sandbox.services().fs->temporaryDirectory());
    test::EditLockHolder holder(zprofile, locks);
    if (!holder.held()) GTEST_SKIP() << "flock(1) is not installed";
    const QString lockFile = LiveFileEditHold::lockFile(zprofile, locks);
    const QString waiting = FileEditLock::waitingLine("~/.zprofile");

    const auto start = std::chrono::steady_clock::now();
    Screen setup(runnerIn(sandbox).run(SetupRemediation::configureShell(), "Quillane"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(test::waitUntil([&] { return setup.lines().contains(waiting); })); // handed over meanwhile
    ASSERT_TRUE(test::waitUntil([&] { return setup.ended; }));
    const auto patience = EditLockWait{}.patience; // how long one wait for another program lasts
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * patience) << "one wait, not one a step";
    EXPECT_EQ(setup.lines().count(waiting), 1) << setup.lines().join('\n').toStdString();
    const QStringList failed = setup.lines().filter("Couldn't update ~/.zprofile: ");
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].contains("hasn't finished in 10 seconds")) << failed[0].toStdString();
    EXPECT_EQ(setup.events.back(), Event::completed(1));
    EXPECT_TRUE(sandbox.exists("/Users/tester/.zshrc")) << "the next file is set up all the same";
    // Which call a thread waits in only Linux tells; elsewhere the lock file's descriptor stands for it.
    if (const std::optional<int> waiting = test::threadsInFlock()) {
        EXPECT_EQ(*waiting, 1);
    }
    EXPECT_EQ(test::openDescriptorsOf(lockFile), 1);

    // The next job waits for the thread that waits already; a Cancel ends its wait at once.
    const auto repairStarted = std::chrono::steady_clock::now();
    auto repair = std::make_unique<Screen>(
        runnerIn(sandbox).run(SetupRemediation::repairPath("/Users/tester/.local/bin"), "Quillane"));
    ASSERT_TRUE(test::waitUntil([&] { return repair->lines() == QStringList{waiting}; }));
    if (const std::optional<int> waiting = test::threadsInFlock()) {
        EXPECT_EQ(*waiting, 1);
    }
    const qsizetype threads = test::threadCount();
    repair.reset();
    EXPECT_TRUE(test::waitUntil([&] { return test::threadCount() < threads; })) << "the job has ended";
    EXPECT_LT(std::chrono::steady_clock::now() - repairStarted, patience)
        << "ended by the Cancel, not at the end of its wait";
    EXPECT_EQ(test::openDescriptorsOf(lockFile), 1);

    holder.release();
    EXPECT_TRUE(test::waitUntil(
        [&] { return test::openDescriptorsOf(lockFile) == 0 && test::threadsInFlock().value_or(0) == 0; }));
    EXPECT_FALSE(sandbox.exists("/Users/tester/.zprofile")) << "nothing was written for the canceled job";
}
