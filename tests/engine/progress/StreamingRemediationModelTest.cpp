// The streaming remediation screen's state with real child processes: stub brew, bash, jenv, mise,
// java_home, osascript and installer in the sandbox, a real zsh for the login-shell scripts, and a
// loopback builds API for the package install.

#include "progress/StreamingRemediationModel.h"

#include "ProgressTestSupport.h"
#include "editions/ProductConfig.h"
#include "engine/remediation/FaultyFileSystem.h"
#include "progress/ZshrcActivationPreview.h"
#include "remediation/OutputLineLimit.h"
#include "remediation/RemediationJobs.h"
#include "support/AdminShellStub.h"
#include "support/CurrentEdition.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProcessChecks.h"
#include "support/RecordingHTTPFetcher.h"
#include "support/Sandbox.h"
#include "support/Wait.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

using namespace qlan;
using namespace qlan::test;
using Row = StreamingRemediationModel::BottomRow;

namespace {

const QString kTemurinPrompt = StreamingRemediationModel::temurinPrompt;
// A brew that says which password prompt its askpass program would show.
const QString kBrewReportsPrompt = QStringLiteral(
    "if /bin/grep -qF 'Enter Mac password to install Temurin' \"$SUDO_ASKPASS\" 2>/dev/null; then "
    "echo 'prompt: Temurin'; else echo 'prompt: none'; fi\n");

struct Fixture {
    Sandbox mac;
    CurrentEdition edition{ProductConfig::homebrewEdition()};
    RecordedEvents telemetry;
    std::shared_ptr<RecordingHTTPFetcher> http = std::make_shared<RecordingHTTPFetcher>();
    StreamingRemediationModel::Sources sources;
    std::shared_ptr<FileSystemOperating> fs; // instead of the sandbox's, when set
    std::unique_ptr<StreamingRemediationModel> model;
    QList<Row> rowsSeen; // the bottom row after every change, in order
    QList<RemediationOutcome> outcomes;

    Fixture() {
        sources.brewRetryPause = std::chrono::milliseconds(0);
        sources.architecture = QStringLiteral("aarch64");
        http->downloadFolder = mac.services().fs->temporaryDirectory();
    }

    StreamingRemediationModel& start(const Remediation& remediation) {
        AppServices services = mac.services();
        services.http = http;
        if (fs) services.fs = fs;
        model = std::make_unique<StreamingRemediationModel>(remediation, services, telemetry.sink(), sources);
        QObject::connect(model.get(), &StreamingRemediationModel::stateChanged,
                         [this] { rowsSeen << model->bottomRow(); });
        QObject::connect(model.get(), &StreamingRemediationModel::finished,
                         [this](const RemediationOutcome& outcome) { outcomes << outcome; });
        model->start();
        return *model;
    }

    // Runs the remediation until its run has returned.
    StreamingRemediationModel& run(const Remediation& remediation) {
        start(remediation);
        EXPECT_TRUE(waitUntil([&] { return !model->isRunning(); })) << "the run did not end";
        return *model;
    }

    QStringList lines() const { return model->lines(); }
};

struct BrewCase {
    const char* name;
    Remediation remediation;
    QStringList brewLocations;
    QStringList expectedLines;
    std::int32_t exitCode;
    QString calledBrew; // empty: none runs
    QString brewScript = kBrewReportsPrompt;
};

} // namespace

TEST(StreamingRemediation, BrewCasksFindBrewAndPassTheirPrompt) {
    const QString opt = "/opt/homebrew/bin/brew", usr = "/usr/local/bin/brew";
    const QList<BrewCase> cases = {
        {"Temurin, both locations",
         Remediation::installTemurinViaBrew("temurin@21"),
         {opt, usr},
         {"prompt: Temurin"},
         0,
         opt},
        {"Warp, Intel location", Remediation::installWarpViaBrew("warp"), {usr}, {"prompt: none"}, 0, usr},
        {"no brew",
         Remediation::installWarpViaBrew("warp"),
         {},
         {"Homebrew not found in /opt/homebrew/bin or /usr/local/bin."},
         -1,
         {}},
        {"a line of 3 MB without an end: its start, and a count of the rest",
         Remediation::installWarpViaBrew("warp"),
         {usr},
         {QString(OutputLineLimit::characters, QLatin1Char('#')) + "… 2,997,000 more characters"},
         0,
         usr,
         "/usr/bin/head -c 3000000 /dev/zero | /usr/bin/tr '\\0' '#'\n"},
        {"colour codes, a hyperlink and a letter with 2,999 marks: the text that a terminal shows",
         Remediation::installWarpViaBrew("warp"),
         {usr},
         {"==> Pouring warp", "see https://brew.sh",
          "a" + QString(OutputLineLimit::marksPerCharacter, QChar(0x0301))},
         0,
         usr,
         "printf '\\033[1;34m==>\\033[0m \\033[1mPouring warp\\033[0m\\n'\n"
         "printf 'see \\033]8;;https://brew.sh\\033\\\\https://brew.sh\\033]8;;\\033\\\\\\n'\n"
         "printf a; for i in $(/usr/bin/seq 2999); do printf '\\314\\201'; done\n"},
    };
    for (const BrewCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const QString& location : c.brewLocations)
            f.mac.writeStub(location, StubSpec().withScript(c.brewScript));
        f.run(c.remediation);
        EXPECT_EQ(f.lines(), c.expectedLines);
        EXPECT_EQ(f.model->exitCode(), c.exitCode);
        EXPECT_EQ(f.model->bottomRow(), c.exitCode == 0 ? Row::succeeded : Row::failed);
        for (const QString& location : c.brewLocations)
            EXPECT_EQ(f.mac.calls(location).size(), location == c.calledBrew ? 1 : 0)
                << location.toStdString();
        if (!c.calledBrew.isEmpty()) {
            EXPECT_EQ(f.mac.calls(c.calledBrew).first().arguments,
                      (QStringList{"install", "--cask", c.remediation.name}));
        }
    }
}

TEST(StreamingRemediation, SDKMANShowsTheCandidateRawAndNeverRunsIt) {
    Fixture missing;
    missing.run(Remediation::installViaSDKMAN("21.0.2-tem"));
    EXPECT_EQ(missing.lines(), QStringList{"SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."});
    EXPECT_EQ(missing.model->exitCode(), -1);

    const QString candidate = "21\"$(touch /tmp/pwned)`touch /tmp/pwned2`";
    for (const bool install : {true, false}) {
        Fixture f;
        f.mac.linkSystemProgram("/bin/zsh");
        f.mac.writeFile("/Users/tester/.sdkman/bin/sdkman-init.sh",
                        "sdk() { print -r -- \"sdk got: $*\"; }\n");
        f.run(install ? Remediation::installViaSDKMAN(candidate)
                      : Remediation::setJavaHomeViaSDKMAN(candidate));
        const QString shown =
            install ? "sdk install java " + candidate + " y" : "sdk default java " + candidate;
        EXPECT_EQ(f.lines(), (QStringList{"Running: " + shown, "sdk got: " + shown.mid(4)}));
        EXPECT_EQ(f.model->bottomRow(), Row::succeeded) << "no ~/.zshrc proposal after SDKMAN";
        EXPECT_FALSE(f.mac.exists("/tmp/pwned") || f.mac.exists("/private/tmp/pwned"));
        EXPECT_FALSE(f.mac.exists("/tmp/pwned2") || f.mac.exists("/private/tmp/pwned2"));
    }
}

TEST(StreamingRemediation, MiseAndJEnvEndWithTheZshrcProposalUntilApplyOrSkip) {
    // mise install: the proposal is skipped.
    Fixture mise;
    mise.mac.linkSystemProgram("/bin/zsh");
    mise.mac.writeStub("/usr/bin/mise", StubSpec().withScript("echo \"mise $*\"\n"));
    mise.mac.writeFile("/Users/tester/.zshrc", "# eval \"$(mise activate zsh)\"\n");
    mise.run(Remediation::installViaMise("temurin-21"));
    EXPECT_EQ(mise.lines(),
              (QStringList{"Running: mise install java@temurin-21 && mise use -g java@temurin-21",
                           "mise install java@temurin-21", "mise use -g java@temurin-21"}));
    EXPECT_EQ(mise.model->bottomRow(), Row::succeededChangePending);
    mise.model->finishWithSuccess(); // not offered yet
    mise.model->escape();            // Esc is Skip: the screen stays, on its finish button
    EXPECT_EQ(mise.model->bottomRow(), Row::succeeded);
    EXPECT_EQ(mise.lines().last(), ZshrcActivationPreview::skipLine());
    EXPECT_EQ(mise.mac.readFile("/Users/tester/.zshrc"), "# eval \"$(mise activate zsh)\"\n");
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_TRUE(mise.outcomes.isEmpty());
    mise.model->finishWithSuccess();
    ASSERT_TRUE(waitUntil([&] { return !mise.outcomes.isEmpty(); }));
    EXPECT_EQ(mise.outcomes, QList{RemediationOutcome::success("Installed Temurin via Mise.")});

    // mise use -g, already activated: nothing to propose.
    Fixture active;
    active.mac.linkSystemProgram("/bin/zsh");
    active.mac.writeStub("/usr/bin/mise");
    active.mac.writeFile("/Users/tester/.zshrc", "eval \"$(mise activate zsh)\"\n");
    active.run(Remediation::setJavaHomeViaMise("temurin-21"));
    EXPECT_EQ(active.lines(), QStringList{"Running: mise use -g java@temurin-21"});
    EXPECT_EQ(active.model->bottomRow(), Row::succeeded);

    // jEnv register: the proposal is applied with its backup.
    Fixture jenv;
    jenv.mac.linkSystemProgram("/bin/zsh");
    jenv.mac.writeStub("/usr/bin/jenv", StubSpec().withScript("echo \"jenv $*\"\n"));
    jenv.mac.writeFile("/Users/tester/.zshrc", "export PATH=\"$HOME/.jenv/bin:$PATH\"\n");
    const QString jdk = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
    jenv.run(Remediation::setJavaHomeViaJenv(jdk, 21));
    EXPECT_EQ(jenv.lines(),
              (QStringList{"Registering " + jdk + " with jEnv (major 21)…", "jenv enable-plugin export",
                           "jenv add " + jdk, "jenv rehash", "jenv global 21"}));
    EXPECT_EQ(jenv.model->bottomRow(), Row::succeededChangePending);
    jenv.model->applyZshrc();
    ASSERT_TRUE(waitUntil([&] { return !jenv.model->zshrc()->isApplying(); }));
    EXPECT_EQ(jenv.model->bottomRow(), Row::succeeded);
    const QString home = jenv.mac.home();
    EXPECT_EQ(jenv.lines().last(), "Updated " + home + "/.zshrc. Backup at " + home + "/.zshrc.bak.");
    EXPECT_TRUE(jenv.mac.readFile("/Users/tester/.zshrc").endsWith("jEnv init\neval \"$(jenv init -)\"\n"));
    EXPECT_EQ(jenv.telemetry.names(), QStringList{"remediation_completed"}) << "apply sends nothing";

    // A backup that cannot be written: the card stays with the reason, the job's success too.
    Fixture failing;
    failing.mac.linkSystemProgram("/bin/zsh");
    failing.mac.writeStub("/usr/bin/mise");
    auto faulty = std::make_shared<FaultyFileSystem>(failing.mac.services().fs);
    faulty->failWrite = [](const QString& path) { return path.endsWith("/.zshrc.bak"); };
    failing.fs = faulty;
    failing.run(Remediation::installViaMise("21"));
    const qsizetype before = failing.lines().size();
    failing.model->applyZshrc();
    ASSERT_TRUE(waitUntil([&] { return !failing.model->zshrc()->isApplying(); }));
    EXPECT_EQ(failing.model->bottomRow(), Row::succeededChangePending);
    EXPECT_TRUE(failing.model->zshrc()->error().value_or("").startsWith("Couldn't write backup file: "));
    EXPECT_EQ(failing.lines().size(), before);
    EXPECT_FALSE(failing.mac.exists("/Users/tester/.zshrc"));
    failing.model->close(); // the close control decides too: Skip, then the job's success
    EXPECT_EQ(failing.model->bottomRow(), Row::succeeded);
    EXPECT_EQ(failing.lines().last(), ZshrcActivationPreview::skipLine());
    ASSERT_TRUE(waitUntil([&] { return !failing.outcomes.isEmpty(); }));
    EXPECT_EQ(failing.outcomes, QList{RemediationOutcome::success("Installed Temurin via Mise.")});
    EXPECT_EQ(failing.telemetry.names(), QStringList{"remediation_completed"});
}

TEST(StreamingRemediation, HomebrewChainsRunTheCaskOnlyAfterAZeroAndNeverOfferFinishBetween) {
    struct ChainCase {
        const char* name;
        Remediation remediation;
        int bashExit;
        int brewExit;
        QStringList expectedLines;
        std::int32_t exitCode;
    };
    const QString running = "Running: /bin/bash -c \"$(curl -fsSL https://example.test/install.sh)\"";
    const QList<ChainCase> cases = {
        {"Temurin chain, cask fails",
         Remediation::installHomebrewThenTemurin("temurin"),
         0,
         1,
         {running, "==> Installation successful!",
          "Appending brew shellenv to ~/.zprofile (so brew is fully "
          "integrated in new shells).",
          "@backup", "", "Homebrew installed. Now installing Temurin via Homebrew…", "prompt: Temurin", "",
          "That didn’t work — retrying once in a moment…", "prompt: Temurin"},
         1},
        {"Warp chain, Homebrew fails with 3",
         Remediation::installHomebrewThenWarp("warp"),
         3,
         0,
         {running, "==> Installation successful!"},
         3},
        {"Warp chain succeeds",
         Remediation::installHomebrewThenWarp("warp"),
         0,
         0,
         {running, "==> Installation successful!",
          "Appending brew shellenv to ~/.zprofile (so brew is fully "
          "integrated in new shells).",
          "@backup", "", "Homebrew installed. Now installing Warp via Homebrew…", "prompt: none"},
         0},
    };
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.sources.homebrewInstallScript = "https://example.test/install.sh";
        f.mac.writeStub("/bin/bash",
                        StubSpec().withStdOut("==> Installation successful!\n").withExitCode(c.bashExit));
        f.mac.writeStub("/opt/homebrew/bin/brew", StubSpec().withScript(kBrewReportsPrompt + "exit " +
                                                                        QString::number(c.brewExit) + "\n"));
        f.run(c.remediation);
        QStringList expected = c.expectedLines;
        expected.replaceInStrings("@backup", "Appended. Backup at " + f.mac.home() + "/.zprofile.bak.");
        EXPECT_EQ(f.lines(), expected);
        EXPECT_EQ(f.model->exitCode(), c.exitCode);
        // brew's own single retry of a failed cask stays.
        EXPECT_EQ(f.mac.calls("/opt/homebrew/bin/brew").size(), c.bashExit != 0   ? 0
                                                                : c.brewExit == 0 ? 1
                                                                                  : 2);
        const Row last = c.exitCode == 0 ? Row::succeeded : Row::failed;
        EXPECT_EQ(f.rowsSeen.last(), last);
        EXPECT_EQ(f.rowsSeen.count(last), 1) << "no finish or close between the phases";
        ASSERT_EQ(f.telemetry.events->size(), 1);
        const auto& event = f.telemetry.events->first();
        EXPECT_EQ(event.name, c.exitCode == 0 ? "remediation_completed" : "remediation_failed");
        if (c.exitCode != 0) {
            EXPECT_EQ(event.properties.value("reason"),
                      JSONValue::string("exit code " + QString::number(c.exitCode)));
            f.model->finishWithFailure();
            ASSERT_TRUE(waitUntil([&] { return !f.outcomes.isEmpty(); }));
            EXPECT_EQ(f.outcomes.first(),
                      RemediationOutcome::failure(StreamingRemediationModel::failureText(c.exitCode)));
            EXPECT_TRUE(f.outcomes.first().message.contains(
                "](" + ProductConfig::current().urls.troubleshooting.toString(QUrl::FullyEncoded) + ")"));
        }
    }
}

TEST(StreamingRemediation, ACanceledHomebrewPhaseEndsTheChain) {
    // The password refused inside the install script: the installer reports a cancel.
    Fixture refused;
    refused.mac.writeStub("/bin/bash",
                          StubSpec().withStdOut("sudo: a password is required\n").withExitCode(1));
    refused.mac.writeStub("/opt/homebrew/bin/brew");
    refused.run(Remediation::installHomebrewThenTemurin("temurin"));
    EXPECT_TRUE(refused.model->canceledByUser());
    EXPECT_FALSE(refused.lines().contains("Homebrew installed. Now installing Temurin via Homebrew…"));
    EXPECT_TRUE(refused.mac.calls("/opt/homebrew/bin/brew").isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !refused.outcomes.isEmpty(); }));
    EXPECT_EQ(refused.outcomes, QList{RemediationOutcome::canceled()});
    EXPECT_EQ(refused.telemetry.names(), QStringList{"remediation_canceled"});

    // The user cancels while the install script runs.
    Fixture canceled;
    canceled.mac.writeStub("/bin/bash", StubSpec().withScript(childAndGrandchildCommand));
    canceled.mac.writeStub("/opt/homebrew/bin/brew");
    auto& model = canceled.start(Remediation::installHomebrewThenWarp("warp"));
    ASSERT_TRUE(waitUntil([&] { return model.lines().size() == 2; }));
    model.cancel();
    ASSERT_TRUE(waitUntil([&] { return !canceled.outcomes.isEmpty(); }));
    EXPECT_EQ(model.lines().size(), 2);
    EXPECT_TRUE(canceled.mac.calls("/opt/homebrew/bin/brew").isEmpty());
    EXPECT_EQ(canceled.telemetry.names(), QStringList{"remediation_canceled"});
}

TEST(StreamingRemediation, EachRunEndsWithExactlyOneTerminalEvent) {
    // No exit status at all: a failure with -1 on screen.
    Fixture none;
    none.run(Remediation::writeJavaHomeToZprofile("/jdk"));
    EXPECT_EQ(none.telemetry.names(), QStringList{"remediation_failed"});
    EXPECT_EQ(none.telemetry.events->first().properties.value("reason"),
              JSONValue::string("process ended without exit code"));
    EXPECT_EQ(none.telemetry.events->first().properties.value("exit_code"), JSONValue::integer(1));
    EXPECT_EQ(none.model->bottomRow(), Row::failed);
    EXPECT_EQ(none.model->exitCode(), -1);

    // A cancel while brew and its child run: both are gone, one event, one canceled outcome.
    Fixture canceled;
    canceled.mac.writeStub("/opt/homebrew/bin/brew", StubSpec().withScript(childAndGrandchildCommand));
    auto& model = canceled.start(Remediation::installWarpViaBrew("warp"));
    ASSERT_TRUE(waitUntil([&] { return !model.lines().isEmpty(); }));
    pid_t child = 0, grandchild = 0;
    ASSERT_TRUE(readChildAndGrandchild(model.lines().first(), &child, &grandchild));
    model.close(); // a close of the sheet while the job runs is a Cancel
    EXPECT_EQ(model.bottomRow(), Row::canceling);
    model.cancel();
    ASSERT_TRUE(waitUntil([&] { return !canceled.outcomes.isEmpty(); }));
    EXPECT_TRUE(waitUntil([&] { return dead(child) && dead(grandchild); }));
    model.cancel();
    model.finishWithFailure();
    ASSERT_TRUE(waitForQueuedCalls());
    EXPECT_EQ(canceled.outcomes, QList{RemediationOutcome::canceled()});
    EXPECT_EQ(canceled.telemetry.names(), QStringList{"remediation_canceled"});
    EXPECT_EQ(model.bottomRow(), Row::canceling);

    // 0 and N; a close of the sheet afterwards reports what ended, as the finish button or "Close" does.
    for (const int code : {0, 5}) {
        Fixture f;
        f.mac.writeStub("/opt/homebrew/bin/brew", StubSpec().withExitCode(code));
        f.run(Remediation::installWarpViaBrew("warp"));
        ASSERT_EQ(f.telemetry.events->size(), 1);
        EXPECT_EQ(f.telemetry.names().first(), code == 0 ? "remediation_completed" : "remediation_failed");
        EXPECT_EQ(f.telemetry.events->first().properties.value("exit_code"), JSONValue::integer(code));
        f.model->close();
        ASSERT_TRUE(waitUntil([&] { return !f.outcomes.isEmpty(); }));
        EXPECT_EQ(f.outcomes.first(),
                  code == 0 ? RemediationOutcome::success("Warp installed.")
                            : RemediationOutcome::failure(StreamingRemediationModel::failureText(code)));
    }
}

TEST(StreamingRemediation, PackageEventsBecomeLines) {
    using E = PKGInstaller::Event;
    using K = E::Kind;
    const struct {
        E event;
        std::optional<QString> line;
    } cases[] = {
        {E::downloading(1048576, 2097152), "Downloaded 1.0 MB of 2.0 MB"},
        {E::downloading(1572864, std::nullopt), "Downloaded 1.5 MB"},
        {E::downloading(1572864, 0), "Downloaded 1.5 MB"},
        {E::error("boom"), "Error: boom"},
        {E::of(K::fetching), "Looking up Temurin 21 on Adoptium…"},
        {E::of(K::canceled), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jobs::pkgEventLine(c.event, 21), c.line);
}

namespace {

const QByteArray kPackage = QByteArray("xar!") + QByteArray(3000, 'p');

// A builds API and download server for Temurin 21, osascript running the installer stub, and java_home
// listing the given JDKs.
void servePackage(Fixture& f, LoopbackHttpServer& server, const QStringList& javaHomeList) {
    f.sources.adoptiumBase = server.url("/").toString(QUrl::StripTrailingSlash);
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(kPackage, QCryptographicHash::Sha256).toHex());
    server.route(
        "/v3/assets/latest/21/hotspot",
        LoopbackResponse{.status = 200,
                         .body = QStringLiteral(R"([{"binary":{"installer":{"link":"%1","checksum":"%2",)"
                                                R"("name":"OpenJDK21.pkg"}},"release_name":"jdk-21"}])")
                                     .arg(server.url("/pkg/OpenJDK21.pkg").toString(), digest)
                                     .toUtf8()});
    server.route("/pkg/OpenJDK21.pkg", LoopbackResponse{.status = 200, .body = kPackage});
    writeAdminShellOsascript(f.mac);
    f.mac.writeStub("/usr/sbin/installer", StubSpec().withStdOut("installer: The install was successful.\n"));
    f.mac.linkSystemProgram("/bin/zsh");
    f.mac.writeStub("/usr/bin/jenv", StubSpec().withScript("echo \"jenv $*\"\n"));
    QString list = "Matching Java Virtual Machines (" + QString::number(javaHomeList.size()) + "):\n";
    for (const QString& entry : javaHomeList)
        list += "    " + entry + "\n";
    f.mac.writeStub("/usr/libexec/java_home", StubSpec().withStdErr(list));
}

QString javaHomeEntry(const QString& version, const QString& folder) {
    return version + " (arm64) \"Eclipse Adoptium\" - \"OpenJDK " + version +
           "\" /Library/Java/JavaVirtualMachines/" + folder + "/Contents/Home";
}

} // namespace

TEST(StreamingRemediation, PackageThenJEnvRegistersOnlyTheJDKJustInstalled) {
    const QString lookup = "Looking up Temurin 21 on Adoptium…";
    const QString t21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
    const struct {
        const char* name;
        QStringList javaHome;
        QStringList tail; // the lines after "Locating installed Temurin…"
        std::int32_t exitCode;
    } cases[] = {
        {"the new JDK among others",
         {javaHomeEntry("17.0.9", "temurin-17.jdk"), javaHomeEntry("21.0.2", "temurin-21.jdk")},
         {"Found " + t21, "jenv enable-plugin export", "jenv add " + t21, "jenv rehash", "jenv global 21"},
         0},
        {"only another JDK",
         {javaHomeEntry("17.0.9", "temurin-17.jdk")},
         {"Installed Temurin 21 but couldn't locate it among the Java installations to register with jEnv. "
          "You "
          "can run `jenv add /path/to/java` manually."},
         1},
        {"no JDK",
         {},
         {"Installed Temurin but couldn't locate a Java installation to register with jEnv. You can run "
          "`jenv add /path/to/java` manually."},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        LoopbackHttpServer server;
        servePackage(f, server, c.javaHome);
        f.run(Remediation::installViaPKGThenJEnv(21));
        const QStringList lines = f.lines();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.first(), lookup);
        const qsizetype locating = lines.indexOf("Locating installed Temurin…");
        ASSERT_GT(locating, 0) << lines.join('\n').toStdString();
        EXPECT_EQ(lines[locating - 1], "Installer completed.");
        EXPECT_TRUE(lines.contains("Verifying SHA256 checksum…"));
        EXPECT_EQ(lines.mid(locating + 1), c.tail);
        EXPECT_EQ(f.model->exitCode(), c.exitCode);
        EXPECT_EQ(f.mac.calls("/usr/bin/jenv").isEmpty(), c.exitCode != 0);
        EXPECT_EQ(f.model->bottomRow(), c.exitCode == 0 ? Row::succeededChangePending : Row::failed);
    }
}

TEST(StreamingRemediation, PackageErrorAndCancel) {
    Fixture failing;
    LoopbackHttpServer server;
    failing.sources.adoptiumBase = server.url("/").toString(QUrl::StripTrailingSlash);
    server.route("/v3/assets/latest/17/hotspot", LoopbackResponse{.status = 200, .body = "[]"});
    failing.run(Remediation::installViaPKG(17));
    ASSERT_EQ(failing.lines().size(), 2);
    EXPECT_EQ(failing.lines().first(), "Looking up Temurin 17 on Adoptium…");
    EXPECT_TRUE(failing.lines().last().startsWith("Error: "));
    EXPECT_EQ(failing.model->exitCode(), 1);

    // A lookup that never answers, cancelled.
    Fixture slow;
    std::atomic<bool> release = false; // outlives the server, whose handler reads it
    LoopbackHttpServer stalled;
    slow.sources.adoptiumBase = stalled.url("/").toString(QUrl::StripTrailingSlash);
    stalled.route("/v3/assets/latest/17/hotspot", [&](const LoopbackRequest&) {
        waitUntil([&] { return release.load(); });
        return LoopbackResponse{.status = 200, .body = "[]"};
    });
    auto& model = slow.start(Remediation::installViaPKG(17));
    ASSERT_TRUE(waitUntil([&] { return stalled.requests().size() == 1 && !model.lines().isEmpty(); }));
    model.cancel();
    EXPECT_EQ(model.bottomRow(), Row::canceling);
    ASSERT_TRUE(waitUntil([&] { return !slow.outcomes.isEmpty(); }));
    release = true;
    EXPECT_EQ(slow.lines(), QStringList{"Looking up Temurin 17 on Adoptium…"});
    EXPECT_EQ(model.exitCode(), -1);
    EXPECT_EQ(slow.telemetry.names(), QStringList{"remediation_canceled"});
}

TEST(StreamingRemediation, AModelDestroyedMidRunStopsItsJobAndIgnoresLateEvents) {
    Fixture f;
    f.mac.writeStub(
        "/opt/homebrew/bin/brew",
        StubSpec().withScript("echo $$ 0; i=0; while [ $i -lt 200 ]; do echo line $i; i=$((i+1)); "
                              "/bin/sleep 0.01; done\n"));
    auto& model = f.start(Remediation::installWarpViaBrew("warp"));
    ASSERT_TRUE(waitUntil([&] { return model.lines().size() > 3; }));
    pid_t brew = 0, unused = 0;
    readChildAndGrandchild(model.lines().first(), &brew, &unused);
    f.model.reset();
    EXPECT_TRUE(waitUntil([&] { return dead(brew); }));
    waitUntil([] { return false; }, 200);
    EXPECT_TRUE(f.outcomes.isEmpty());

    // Gone while the installed JDKs are being probed: the probe's answer finds nobody.
    Fixture probing;
    LoopbackHttpServer server;
    servePackage(probing, server, {javaHomeEntry("21.0.2", "temurin-21.jdk")});
    probing.mac.writeStub("/usr/libexec/java_home", StubSpec().withSleep(400));
    auto& installing = probing.start(Remediation::installViaPKGThenJEnv(21));
    ASSERT_TRUE(waitUntil([&] { return installing.lines().contains("Locating installed Temurin…"); }));
    probing.model.reset();
    EXPECT_TRUE(waitUntil([&] { return probing.mac.calls("/usr/libexec/java_home").size() == 1; }));
    waitUntil([] { return false; }, 800);
    EXPECT_TRUE(probing.mac.calls("/usr/bin/jenv").isEmpty());
    EXPECT_TRUE(probing.outcomes.isEmpty());
}
