// The Command Line Tools, uv, mise and rustup jobs through the remediation runner: stub sudo, curl, brew
// and mise in a sandbox, a real zsh login shell that reads the ~/.zprofile the jobs write, and cancels
// that reach the children.

#include "remediation/InstallSources.h"
#include "remediation/RemediationJobs.h"

#include "BrewFixture.h"
#include "FaultyFileSystem.h"
#include "RunnerEvents.h"
#include "support/CurrentEdition.h"
#include "support/ForwardingFileSystem.h"
#include "support/ProcessChecks.h"
#include "support/Wait.h"

#include <QFile>

#include <gmock/gmock.h>

#include <future>
#include <random>
#include <thread>

using namespace qlan;
using namespace qlan::test;
using Event = StreamEvent;
using ::testing::ElementsAre;

namespace {

const QString intro = "Installing Apple's Command Line Tools… macOS will ask for your password once. The "
                      "download can take several minutes — please keep this window open.";

SetupRemediationRunner runnerIn(const Sandbox& sandbox) {
    return SetupRemediationRunner::fromServices(sandbox.services());
}

std::vector<Event> runJob(const Sandbox& sandbox, const SetupRemediation& remediation) {
    auto stream = runnerIn(sandbox).run(remediation, "Install it");
    return drain(stream);
}

// A curl stub that prints an install script for `sh` (the script's lines run with $HOME the sandbox
// home).
StubSpec curlPrinting(const QString& script, int exitCode = 0) {
    return StubSpec().withStdOut(script).withExitCode(exitCode);
}

// The pid a stub wrote to `file`, once it is there.
pid_t pidIn(const QString& file) {
    pid_t pid = 0;
    waitUntil([&] {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) return false;
        pid = f.readAll().trimmed().toInt();
        return pid > 0;
    });
    return pid;
}

// Hands every stream call on, but holds the new child's stream back until released, so that a test can
// end the job between the child's start and its registration.
class HeldProcessRunner : public ProcessRunning {
public:
    explicit HeldProcessRunner(std::shared_ptr<ProcessRunning> inner)
        : inner_(std::move(inner)) {}
    ProcessResult run(const QString& e, const QStringList& a,
                      const std::optional<Environment>& env) override {
        return inner_->run(e, a, env);
    }
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& e, const QStringList& a, const std::optional<Environment>& env) override {
        auto child = inner_->stream(e, a, env);
        started.set_value();
        release.get_future().wait();
        return child;
    }
    std::promise<void> started;
    std::promise<void> release;

private:
    std::shared_ptr<ProcessRunning> inner_;
};

} // namespace

TEST(InstallJobs, CommandLineTools) {
    {
        Sandbox sandbox;
        sandbox.makeDirectory("/Library/Developer/CommandLineTools");
        sandbox.writeStub("/usr/bin/sudo");
        EXPECT_THAT(runJob(sandbox, SetupRemediation::installCommandLineTools()),
                    ElementsAre(Event::completed(0)));
        EXPECT_TRUE(sandbox.calls("/usr/bin/sudo").isEmpty());
    }
    struct Case {
        StubSpec sudo;
        std::vector<Event> events;
    };
    const QList<Case> cases = {
        {StubSpec().withStdOut("Software Update Tool\n").withExitCode(1),
         {Event::output(intro), Event::output("Software Update Tool"),
          Event::output("The Command Line Tools install did not complete. You can retry."),
          Event::completed(1)}},
        {StubSpec().withStdOut("Done.\n"),
         {Event::output(intro), Event::output("Done."), Event::output("Command Line Tools installed."),
          Event::completed(0)}},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        sandbox.writeStub("/usr/bin/sudo", c.sudo);
        EXPECT_EQ(runJob(sandbox, SetupRemediation::installCommandLineTools()), c.events);
        const auto calls = sandbox.calls("/usr/bin/sudo");
        ASSERT_EQ(calls.size(), 1);
        const QStringList arguments = calls[0].arguments;
        ASSERT_EQ(arguments.size(), 4);
        EXPECT_EQ(arguments.mid(0, 3), QStringList({"-A", "/bin/bash", "-c"}));
        EXPECT_THAT(arguments[3].toStdString(),
                    ::testing::EndsWith(
                        "\nif [ -d /Library/Developer/CommandLineTools ]; then exit 0; else exit 1; fi"));
        EXPECT_TRUE(calls[0].environment.value("SUDO_ASKPASS").endsWith("/askpass.sh"));
        EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));
    }
}

TEST(InstallJobs, CommandLineToolsThatCannotStart) {
    Sandbox sandbox; // no sudo
    const auto events = runJob(sandbox, SetupRemediation::installCommandLineTools());
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], Event::output(intro));
    EXPECT_TRUE(events[1].text.startsWith("Couldn't start the install: ")) << events[1].text.toStdString();
    EXPECT_EQ(events[2], Event::completed(-1));
    EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));

    auto faulty = std::make_shared<FaultyFileSystem>(sandbox.services().fs);
    faulty->failWrite = [](const QString& path) { return path.contains("vrl-priv-"); };
    sandbox.writeStub("/usr/bin/sudo");
    const SetupRemediationRunner runner(std::nullopt, sandbox.services().processRunner, faulty,
                                        sandbox.services().http);
    auto stream = runner.run(SetupRemediation::installCommandLineTools(), "");
    const auto refused = drain(stream);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(refused[0].text.startsWith("Couldn't start the install: Couldn't write"))
        << refused[0].text.toStdString();
    EXPECT_EQ(refused[1], Event::completed(-1));
    EXPECT_TRUE(sandbox.calls("/usr/bin/sudo").isEmpty());
}

TEST(InstallJobs, CommandLineToolsCancelledBeforeTheChildRegistersStopsIt) {
    Sandbox sandbox;
    const QString pidFile = sandbox.root() + "/sudo.pid";
    sandbox.writeStub("/usr/bin/sudo",
                      StubSpec().withScript("echo $$ > '" + pidFile + "'\nexec /bin/sleep 100\n"));
    auto held = std::make_shared<HeldProcessRunner>(sandbox.services().processRunner);
    const SetupRemediationRunner runner(std::nullopt, held, sandbox.services().fs, sandbox.services().http);
    {
        auto stream = runner.run(SetupRemediation::installCommandLineTools(), "");
        ASSERT_EQ(held->started.get_future().wait_for(std::chrono::milliseconds(patienceMs)),
                  std::future_status::ready);
    } // the consumer goes away while the child is not registered yet
    const pid_t pid = pidIn(pidFile);
    ASSERT_GT(pid, 0);
    held->release.set_value();
    EXPECT_TRUE(waitUntil([&] { return dead(pid); }));
    EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));
}

TEST(InstallJobs, ScriptInstallersCheckTheirToolBeforeEditingZprofile) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QString makeUv = "mkdir -p \"$HOME/.local/bin\"\n"
                           "printf '#!/bin/sh\\necho \"uv $*\"\\n' > \"$HOME/.local/bin/uv\"\n"
                           "chmod +x \"$HOME/.local/bin/uv\"\n";
    const QString makeRustup = "mkdir -p \"$HOME/.cargo/bin\" && : > \"$HOME/.cargo/bin/rustup\" && "
                               "chmod +x \"$HOME/.cargo/bin/rustup\" && echo 'stable installed'\n";
    // The installers as they are: the login shell's variables move the tool.
    const QString makeMovedUv =
        "d=\"${UV_INSTALL_DIR:-${XDG_BIN_HOME:-$HOME/.local/bin}}\"\nmkdir -p \"$d\"\n"
        "printf '#!/bin/sh\\necho \"uv $*\"\\n' > \"$d/uv\"\nchmod +x \"$d/uv\"\n";
    const QString makeMovedRustup =
        "d=\"${CARGO_HOME:-$HOME/.cargo}/bin\"\nmkdir -p \"$d\" && : > \"$d/rustup\" && "
        "chmod +x \"$d/rustup\"\n";
    const std::vector<Event> uvSucceeded{Event::output("Configured uv on PATH (~/.zprofile)."),
                                         Event::output("Installing the latest Python with uv…"),
                                         Event::output("uv python install --default"), Event::completed(0)};
    struct Case {
        const char* name;
        SetupRemediation job;
        StubSpec curl;
        std::vector<Event> tail; // after the job's first line
        QString zprofileNeedle;  // empty: ~/.zprofile stays absent
        QByteArray zprofile;     // before the job
    };
    const QString uvPath = "export PATH=\"$HOME/.local/bin:$PATH\"";
    const QString cargoPath = "export PATH=\"$HOME/.cargo/bin:$PATH\"";
    const QList<Case> cases = {
        {"uv and Python", SetupRemediation::installUv(), curlPrinting(makeUv), uvSucceeded, uvPath, {}},
        {"uv installer exits 7",
         SetupRemediation::installUv(),
         curlPrinting("echo 'no space'\nexit 7\n"),
         {Event::output("no space"), Event::completed(7)},
         {},
         {}},
        {"uv download fails",
         SetupRemediation::installUv(),
         curlPrinting({}, 22).withStdErr("curl: (22) The requested URL returned error: 404\n"),
         {Event::output("curl: (22) The requested URL returned error: 404"), Event::completed(22)},
         {},
         {}},
        {"uv installer claims success",
         SetupRemediation::installUv(),
         curlPrinting("exit 0\n"),
         {Event::output("The uv installer finished, but ~/.local/bin/uv is missing."), Event::completed(1)},
         {},
         {}},
        {"uv moved by UV_INSTALL_DIR", SetupRemediation::installUv(), curlPrinting(makeMovedUv), uvSucceeded,
         uvPath, "export UV_INSTALL_DIR=\"$HOME/tools\"\nexport PATH=\"$UV_INSTALL_DIR:$PATH\"\n"},
        {"uv moved by XDG_BIN_HOME", SetupRemediation::installUv(), curlPrinting(makeMovedUv), uvSucceeded,
         uvPath, "export XDG_BIN_HOME=\"$HOME/bin\"\nexport PATH=\"$XDG_BIN_HOME:$PATH\"\n"},
        {"rustup",
         SetupRemediation::installRustup(),
         curlPrinting(makeRustup),
         {Event::output("stable installed"), Event::output("Configured Rust (cargo) on PATH (~/.zprofile)."),
          Event::completed(0)},
         cargoPath,
         {}},
        {"rustup moved by CARGO_HOME",
         SetupRemediation::installRustup(),
         curlPrinting(makeMovedRustup),
         {Event::output("Configured Rust (cargo) on PATH (~/.zprofile)."), Event::completed(0)},
         cargoPath,
         "export CARGO_HOME=\"$HOME/.rust/cargo\"\n"},
        {"rustup download fails",
         SetupRemediation::installRustup(),
         curlPrinting({}, 6),
         {Event::completed(6)},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        sandbox.linkSystemProgram("/bin/zsh");
        sandbox.writeStub("/usr/bin/curl", c.curl);
        if (!c.zprofile.isEmpty()) sandbox.writeFile(sandbox.home() + "/.zprofile", c.zprofile);
        const auto events = runJob(sandbox, c.job);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(std::vector<Event>(events.begin() + 1, events.end()), c.tail);
        const bool uv = c.job == SetupRemediation::installUv();
        EXPECT_EQ(sandbox.calls("/usr/bin/curl").value(0).arguments,
                  uv ? QStringList({"-LsSf", InstallSources::uvInstallScript})
                     : QStringList(
                           {"--proto", "=https", "--tlsv1.2", "-sSf", InstallSources::rustupInstallScript}));
        if (c.zprofileNeedle.isEmpty()) {
            EXPECT_FALSE(sandbox.exists(sandbox.home() + "/.zprofile"));
        } else {
            EXPECT_TRUE(sandbox.readFile(sandbox.home() + "/.zprofile").contains(c.zprofileNeedle.toUtf8()));
        }
    }
}

TEST(InstallJobs, ACancelledInstallScriptEndsItsChildrenAndEditsNothing) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    const QString pidFile = sandbox.root() + "/curl.pid";
    // The download ignores SIGTERM: it ends by the SIGKILL that follows.
    sandbox.writeStub("/usr/bin/curl", StubSpec().withScript("trap '' TERM\necho $$ > '" + pidFile +
                                                             "'\nexec /bin/sleep 100\n"));
    pid_t pid = 0;
    {
        auto stream = runnerIn(sandbox).run(SetupRemediation::installUv(), "");
        pid = pidIn(pidFile);
        ASSERT_GT(pid, 0);
    }
    EXPECT_TRUE(waitUntil([&] { return dead(pid); }));
    EXPECT_FALSE(sandbox.exists(sandbox.home() + "/.zprofile"));
}

// A job stopped while it edits ~/.zprofile finishes that edit whole before the stop returns, and begins
// no other.
TEST(InstallJobs, AJobStoppedDuringAnEditFinishesItFirstAndMakesNoFurtherEdit) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Pouring mise\n", 0}});
    auto slow = std::make_shared<FaultyFileSystem>(sandbox.services().fs);
    std::promise<void> editing;
    std::promise<void> resume;
    std::shared_future<void> resumed = resume.get_future().share();
    std::mutex mutex;
    QStringList written;
    slow->beforeWrite = [&, first = std::make_shared<std::once_flag>()](const QString& path) {
        {
            std::lock_guard lock(mutex);
            written << path;
        }
        if (path.contains("/.zprofile"))
            std::call_once(*first, [&] {
                editing.set_value();
                resumed.wait();
            });
    };
    // The edit goes on a moment after the sheet has been closed.
    std::shared_future<void> editingStarted = editing.get_future().share();
    std::jthread resumer([&] {
        editingStarted.wait_for(std::chrono::milliseconds(patienceMs));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        resume.set_value();
    });
    {
        const SetupRemediationRunner runner(brewPath, sandbox.services().processRunner, slow,
                                            sandbox.services().http);
        auto stream = runner.run(SetupRemediation::installMise(), "");
        ASSERT_EQ(editingStarted.wait_for(std::chrono::milliseconds(patienceMs)), std::future_status::ready);
    } // the sheet is closed during the first edit: the close returns once that edit is whole
    EXPECT_TRUE(sandbox.readFile(sandbox.home() + "/.zprofile").contains("mise activate zsh --shims"));
    EXPECT_TRUE(waitUntil([&] { return slow.use_count() == 1; })); // the job has ended
    std::lock_guard lock(mutex);
    EXPECT_TRUE(written.filter(".zshrc").isEmpty()) << written.join(", ").toStdString();
    EXPECT_FALSE(sandbox.exists(sandbox.home() + "/.zshrc"));
    EXPECT_TRUE(sandbox.readFile(sandbox.home() + "/.zprofile").contains("mise activate zsh --shims"));
}

// Cancels of the mise job (Homebrew, then the ~/.zprofile and ~/.zshrc edits) at random moments: once a
// cancel has returned, no file changes any more. An edit under way when the cancel comes is finished
// before the cancel returns.
TEST(InstallJobs, NoFileChangesOnceACancelHasReturned) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const int lanes = 4;
    const int cancelsPerLane = 50;
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<std::unique_ptr<Sandbox>> sandboxes;
    for (int lane = 0; lane < lanes; ++lane) {
        sandboxes.push_back(std::make_unique<Sandbox>());
        sandboxes.back()->writeStub(brewPath, StubSpec().withStdOut("==> Pouring mise\n").withSleep(10));
    }
    // The files as they are, one text each ("-" for none).
    const auto snapshot = [](const Sandbox& sandbox) {
        QStringList texts;
        for (const char* name : {"/.zprofile", "/.zprofile.bak", "/.zshrc", "/.zshrc.bak"}) {
            const QString path = sandbox.home() + name;
            texts << (sandbox.exists(path) ? QString::fromUtf8(sandbox.readFile(path)) : QStringLiteral("-"));
        }
        return texts;
    };
    // Starts the job on fresh files, cancels it after `delay` (none: lets it run) and waits for its end.
    // Returns the files right after the cancel returned and at the end.
    const auto run = [&](const Sandbox& sandbox, std::optional<std::chrono::microseconds> delay) {
        for (const char* name : {"/.zprofile", "/.zprofile.bak", "/.zshrc", "/.zshrc.bak"})
            QFile::remove(sandbox.home() + name);
        const auto& services = sandbox.services();
        // The job's own copy of the services: the only other owner of this file system while it runs.
        auto fs = std::make_shared<ForwardingFileSystem>(services.fs);
        auto stream = SetupRemediationRunner(brewPath, services.processRunner, fs, services.http)
                          .run(SetupRemediation::installMise(), "");
        std::pair<QStringList, QStringList> files;
        if (delay) {
            std::this_thread::sleep_for(*delay);
            stream.cancel();
            files.first = snapshot(sandbox);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
        while (fs.use_count() > 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        files.second = snapshot(sandbox);
        if (!delay) files.first = files.second;
        return files;
    };

    // How long a whole job takes here: the cancels fall anywhere in it and a little after.
    const auto started = std::chrono::steady_clock::now();
    const QStringList whole = run(*sandboxes[0], std::nullopt).second;
    const auto duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_TRUE(whole[2].contains("eval \"$(mise activate zsh)\"")) << whole.join(" | ").toStdString();

    std::vector<QStringList> changed(lanes);
    std::vector<std::thread> threads;
    for (int lane = 0; lane < lanes; ++lane)
        threads.emplace_back([&, lane] {
            std::mt19937 random(seed + static_cast<unsigned>(lane));
            std::uniform_int_distribution<long long> moment(0, duration.count() * 6 / 5);
            for (int i = 0; i < cancelsPerLane; ++i) {
                const auto delay = std::chrono::microseconds(moment(random));
                const auto [atCancel, atEnd] = run(*sandboxes[lane], delay);
                if (atCancel != atEnd)
                    changed[lane] << QStringLiteral("cancel after %1 µs: %2 -> %3")
                                         .arg(delay.count())
                                         .arg(atCancel.join(" | "), atEnd.join(" | "));
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const QStringList& lane : changed)
        EXPECT_TRUE(lane.isEmpty()) << lane.join("\n").toStdString();
}

TEST(InstallJobs, MiseAndItsLanguages) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    struct Case {
        SetupRemediation job;
        QString line;
        QString command;
    };
    const QList<Case> cases = {
        {SetupRemediation::installNodeViaMise(), "Running mise use -g node@lts…", "mise use -g node@lts"},
        {SetupRemediation::installRubyViaMise(), "Running mise use -g ruby@latest…",
         "mise settings ruby.compile=false && mise use -g ruby@latest"},
        {SetupRemediation::installRustViaMise(), "Running mise use -g rust…", "mise use -g rust"},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        sandbox.writeStub("/bin/zsh", StubSpec().withStdOut("mise done\n").withExitCode(3));
        EXPECT_THAT(runJob(sandbox, c.job),
                    ElementsAre(Event::output(c.line), Event::output("mise done"), Event::completed(3)));
        const auto calls = sandbox.calls("/bin/zsh");
        ASSERT_EQ(calls.size(), 1);
        EXPECT_EQ(calls[0].arguments, QStringList({"-lc", c.command}));
    }

    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Pouring mise\n", 0}});
    EXPECT_THAT(runJob(sandbox, SetupRemediation::installMise()),
                ElementsAre(Event::output("==> Pouring mise"),
                            Event::output("Configured mise shims (~/.zprofile)."),
                            Event::output("Configured mise activate (~/.zshrc)."), Event::completed(0)));
    EXPECT_TRUE(sandbox.readFile(sandbox.home() + "/.zshrc").contains("eval \"$(mise activate zsh)\""));

    Sandbox failing;
    writeScriptedBrew(failing, {{"Error: no bottle\n", 1}});
    EXPECT_THAT(runJob(failing, SetupRemediation::installMise()),
                ElementsAre(Event::output("Error: no bottle"), Event::completed(1)));
    EXPECT_FALSE(failing.exists(failing.home() + "/.zshrc"));

    Sandbox noBrew;
    EXPECT_THAT(runJob(noBrew, SetupRemediation::installMise()),
                ElementsAre(Event::output(SetupRemediationRunner::homebrewMissingLine.toString()),
                            Event::completed(-1)));
}
