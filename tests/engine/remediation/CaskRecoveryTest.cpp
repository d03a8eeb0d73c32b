// The cask recovery chain driven by a scripted stub brew, and the package fallback against a loopback
// Java builds API and download server, with the installer run through a stub osascript.

#include "BrewFixture.h"

#include "remediation/PackageSteps.h"

#include "support/AdminShellStub.h"
#include "support/CurrentEdition.h"
#include "support/LoopbackHttpServer.h"
#include "support/Wait.h"

#include <QCryptographicHash>
#include <QDir>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using E = StreamEvent;
using Policy = BrewRunner::CaskRecoveryPolicy;

namespace {

const QString bypass = "sudo: a terminal is required to read the password; either use the -S option to read "
                       "from standard input or configure an askpass helper\nsudo: a password is required\n";
const QString staleOutput = "Warning: Not upgrading temurin, the latest version is already installed\n";
const E blank = E::output("");
const E retrying = E::output("That didn’t work — retrying once in a moment…");
const E fallingBack = E::output("Homebrew bypassed our sudo wrapper. Falling back to direct .pkg install…");

E forcing(const QString& name) {
    return E::output("A leftover file is blocking the install. Retrying with `brew install --cask --force " +
                     name + "`…");
}

Policy stalePolicy(bool missing) {
    Policy policy;
    policy.staleCaskroom = Policy::StaleCaskroomRecovery{[missing] { return missing; }, "the JDK is missing"};
    return policy;
}

QStringList lines(const QString& output) {
    return output.split('\n', Qt::SkipEmptyParts);
}

std::vector<E> outputs(const QString& output) {
    std::vector<E> events;
    for (const QString& line : lines(output))
        events.push_back(E::output(line));
    return events;
}

std::vector<E> concat(std::initializer_list<std::vector<E>> parts) {
    std::vector<E> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(CaskRecovery, EachPathRunsTheExpectedCommandsAndSaysSo) {
    const QStringList install{"install", "--cask", "temurin"};
    const QStringList force{"install", "--cask", "--force", "temurin"};
    const QStringList reinstall{"reinstall", "--cask", "temurin"};
    const QString leftover = "Error: It seems there is already an App at '/Applications/X.app'.\n";
    const E reinstalling = E::output("Homebrew reports temurin is already installed, but the JDK is missing. "
                                     "Retrying with `brew reinstall --cask temurin`…");
    const E noDialog =
        E::output("macOS couldn’t show the password dialog for this install (Homebrew ran sudo "
                  "without it), so nothing was installed.");
    struct Case {
        const char* name;
        Policy policy;
        QList<BrewAnswer> answers;
        QList<QStringList> commands;
        std::vector<E> events;
    } cases[] = {
        {"clean install", stalePolicy(true), {{"ok\n", 0}}, {install}, {E::output("ok"), E::completed(0)}},
        {"stale caskroom, payload missing",
         stalePolicy(true),
         {{staleOutput, 0}, {"reinstalled\n", 0}},
         {install, reinstall},
         concat({outputs(staleOutput), {blank, reinstalling, E::output("reinstalled"), E::completed(0)}})},
        {"stale caskroom, payload there",
         stalePolicy(false),
         {{staleOutput, 0}},
         {install},
         concat({outputs(staleOutput), {E::completed(0)}})},
        {"only one stale marker",
         stalePolicy(true),
         {{"Warning: Not upgrading temurin\n", 0}},
         {install},
         {E::output("Warning: Not upgrading temurin"), E::completed(0)}},
        {"leftover file, forced install fails",
         Policy::none(),
         {{leftover.toUpper(), 1}, {"still\n", 4}},
         {install, force},
         concat({outputs(leftover.toUpper()),
                 {blank, forcing("temurin"), E::output("still"), E::completed(4)}})},
        {"failed reinstall, then forced install",
         stalePolicy(true),
         {{staleOutput, 0}, {leftover, 1}, {"", 0}},
         {install, reinstall, force},
         concat({outputs(staleOutput),
                 {blank, reinstalling},
                 outputs(leftover),
                 {blank, forcing("temurin"), E::completed(0)}})},
        {"password refused",
         BrewRunner::temurinPolicy(BrewRunner{}),
         {{"Sorry, try again.\nsudo: 3 incorrect password attempts\nAuthentication failed\n", 1}},
         {install},
         concat({outputs("Sorry, try again.\nsudo: 3 incorrect password attempts\nAuthentication failed\n"),
                 {E::canceled()}})},
        {"dialog bypassed, no package to fall back on",
         Policy::none(),
         {{bypass, 1}},
         {install},
         concat({outputs(bypass), {noDialog, E::completed(1)}})},
        {"terminal required alone is retried",
         BrewRunner::temurinPolicy(BrewRunner{}),
         {{"sudo: a terminal is required\n", 1}, {"", 0}},
         {install, install},
         {E::output("sudo: a terminal is required"), blank, retrying, E::completed(0)}},
        {"unknown failure: one retry, its status final",
         Policy::none(),
         {{"Error: boom\n", 1}, {"again\n", 5}},
         {install, install},
         {E::output("Error: boom"), blank, retrying, E::output("again"), E::completed(5)}},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        writeScriptedBrew(sandbox, c.answers);
        auto stream = brewRunnerIn(sandbox).installCask("temurin", "Why", c.policy);
        EXPECT_EQ(drain(stream), c.events) << c.name;
        QList<QStringList> commands;
        for (const StubCall& call : sandbox.calls(brewPath))
            commands.append(call.arguments);
        EXPECT_EQ(commands, c.commands) << c.name;
        EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); })) << c.name;
    }
}

TEST(CaskRecovery, BrewThatCannotStartIsRetriedOnceThenFails) {
    Sandbox sandbox;
    auto stream = brewRunnerIn(sandbox).installCask("warp", "Why", Policy::none());
    EXPECT_EQ(withoutStartReasons(drain(stream)),
              (std::vector<E>{E::output("Failed to start brew: "), blank, retrying,
                              E::output("Failed to start brew: "), E::completed(-1)}));
}

TEST(CaskRecovery, ACancelDuringThePauseStartsNothingMore) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"Error: boom\n", 1}});
    BrewRunner runner = brewRunnerIn(sandbox);
    runner.retryPause = std::chrono::seconds(30);
    auto stream = runner.installCask("warp", "Why", Policy::none());
    for (auto event = nextWithin(stream); event && *event != retrying; event = nextWithin(stream)) {
    }
    stream.cancel();
    // The job ends well before the pause would have: its privileged folder is removed at its end.
    EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));
    EXPECT_EQ(sandbox.calls(brewPath).size(), 1);
}

namespace {

// The Java builds API and the package download on one loopback server.
struct FallbackFixture {
    Sandbox sandbox;
    LoopbackHttpServer server;
    std::shared_ptr<RecordingHTTPFetcher> http = std::make_shared<RecordingHTTPFetcher>();
    CurrentEdition edition{ProductConfig::homebrewEdition()};
    QByteArray package = QByteArray("xar!") + QByteArray(100000, 'p');
    QString digest =
        QString::fromLatin1(QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex());

    FallbackFixture() {
        http->downloadFolder = sandbox.services().fs->temporaryDirectory();
        writeScriptedBrew(sandbox, {{bypass, 1}});
        writeAdminShellOsascript(sandbox);
        sandbox.writeStub("/usr/sbin/installer",
                          StubSpec().withStdOut("installer: The install was successful.\n"));
        server.route("/dl/OpenJDK.pkg", LoopbackResponse{200, {}, package});
        answerLookup(digest);
    }

    void answerLookup(const QString& checksum, int status = 200) {
        answerLookupWith(status, QStringLiteral(R"([{"binary":{"installer":{"link":"%1","checksum":"%2",)"
                                                R"("name":"OpenJDK.pkg"}},"release_name":"jdk-21"}])")
                                     .arg(server.url("/dl/OpenJDK.pkg").toString(), checksum)
                                     .toUtf8());
    }
    void answerLookupWith(int status, const QByteArray& body) {
        server.route("/v3/assets/latest/21/hotspot", LoopbackResponse{status, {}, body});
    }

    std::vector<E> run(const QString& cask = "temurin@21") {
        BrewRunner runner = brewRunnerIn(sandbox, http);
        runner.adoptium.baseAddress = server.url("/").toString(QUrl::StripTrailingSlash);
        auto stream =
            runner.installCask(cask, "Enter password for Temurin", BrewRunner::temurinPolicy(runner));
        return drain(stream);
    }

    QString packagePath() const {
        return sandbox.home() + "/Library/Caches/" + ProductConfig::homebrewEdition().cacheDirName +
               "/temurin-21-x64.pkg";
    }

    // The events after the brew run and the fallback announcement.
    std::vector<E> afterAnnouncement(const std::vector<E>& events) const {
        const auto at = std::find(events.begin(), events.end(), fallingBack);
        EXPECT_NE(at, events.end());
        return at == events.end() ? events : std::vector<E>(at + 1, events.end());
    }
};

} // namespace

TEST(CaskRecovery, PackageFallbackInstallsTheVerifiedPackageAndRemovesIt) {
    FallbackFixture f;
    const auto events = f.run();
    EXPECT_EQ(events,
              concat({outputs(bypass),
                      {blank, fallingBack, E::output("Looking up Temurin 21 (x64) on Adoptium…"),
                       E::output("GET " + f.server.url("/dl/OpenJDK.pkg").toString()),
                       E::output("Saved to " + f.packagePath()), E::output("Verifying download checksum…"),
                       E::output("Running /usr/sbin/installer (macOS will ask for your password)…"),
                       E::output("Installer completed."), E::completed(0)}}));

    const auto lookup = f.server.requests().first();
    EXPECT_EQ(lookup.target, "/v3/assets/latest/21/hotspot?architecture=x64&image_type=jdk&os=mac");
    EXPECT_EQ(lookup.header("Accept"), "application/json");
    EXPECT_EQ(f.http->requests().first().timeoutSeconds, 20.0);

    const auto installs = f.sandbox.calls("/usr/sbin/installer");
    ASSERT_EQ(installs.size(), 1);
    EXPECT_EQ(installs.first().arguments, (QStringList{"-pkg", f.packagePath(), "-target", "/"}));
    EXPECT_FALSE(QFile::exists(f.packagePath()));
    EXPECT_EQ(f.sandbox.calls(brewPath).size(), 1);
}

TEST(CaskRecovery, PackageFallbackFailures) {
    const QString good = "GOOD"; // replaced by the package's digest
    struct Case {
        const char* name;
        QString cask;
        int lookupStatus;
        QByteArray lookupBody; // empty: the standard answer with `checksum`
        QString checksum;
        int downloadStatus;
        std::vector<E> tail;
    } cases[] = {
        {"checksum mismatch", "temurin@21", 200, {}, QString(64, 'a'), 200, {}},
        {"upper-case checksum is lower-cased",
         "temurin@21",
         200,
         {},
         "UPPER",
         200,
         {E::output("Installer completed."), E::completed(0)}},
        {"download 404",
         "temurin@21",
         200,
         {},
         good,
         404,
         {E::output("Fallback failed: Install-asset download HTTP error"), E::completed(1)}},
        {"lookup 204",
         "temurin@21",
         204,
         {},
         good,
         200,
         {E::output("Fallback failed: The Java builds API answered with HTTP status 204."), E::completed(1)}},
        {"empty array",
         "temurin@21",
         200,
         "[]",
         good,
         200,
         {E::output("Fallback failed: No installer asset for Java 21 on x64"), E::completed(1)}},
        {"checksum of 63",
         "temurin@21",
         200,
         {},
         QString(63, 'a'),
         200,
         {E::output("Fallback failed: Unexpected checksum format from Adoptium (63 chars)"),
          E::completed(1)}},
        {"version not a number",
         "temurin@2x",
         200,
         {},
         good,
         200,
         {E::output("Fallback failed: Bad Temurin major version: 2x"), E::completed(1)}},
    };
    for (Case& c : cases) {
        FallbackFixture f;
        QString checksum = c.checksum == good      ? f.digest
                           : c.checksum == "UPPER" ? f.digest.toUpper()
                                                   : c.checksum;
        if (c.lookupBody.isEmpty())
            f.answerLookup(checksum, c.lookupStatus);
        else
            f.answerLookupWith(c.lookupStatus, c.lookupBody);
        if (c.downloadStatus != 200)
            f.server.route("/dl/OpenJDK.pkg", LoopbackResponse{c.downloadStatus, {}, "no"});
        if (c.tail.empty())
            c.tail = {E::output("Fallback failed: Checksum mismatch (expected " + checksum + ", got " +
                                f.digest + ")"),
                      E::completed(1)};

        const auto events = f.afterAnnouncement(f.run(c.cask));
        ASSERT_GE(events.size(), c.tail.size()) << c.name;
        EXPECT_EQ(std::vector<E>(events.end() - c.tail.size(), events.end()), c.tail) << c.name;
        if (QString(c.name) == "version not a number") {
            EXPECT_TRUE(f.server.requests().isEmpty());
        }
        if (c.tail.back() != E::completed(0)) {
            EXPECT_TRUE(f.sandbox.calls("/usr/sbin/installer").isEmpty()) << c.name;
        }
        EXPECT_FALSE(QFile::exists(f.packagePath())) << c.name;
    }
}

TEST(CaskRecovery, LookupTimeOutAndDismissedDialog) {
    {
        FallbackFixture f;
        f.http->timeoutOverride = 0.3;
        f.server.route("/v3/assets/latest/21/hotspot",
                       LoopbackResponse{.status = 200, .body = "[]", .headDelayMs = 3000});
        EXPECT_EQ(
            f.afterAnnouncement(f.run()),
            (std::vector<E>{E::output("Looking up Temurin 21 (x64) on Adoptium…"),
                            E::output("Adoptium didn't respond in time. Try again in a moment, or use Other "
                                      "Java install methods."),
                            E::completed(1)}));
    }
    {
        FallbackFixture f;
        f.sandbox.writeStub(
            "/usr/bin/osascript",
            StubSpec().withStdErr("execution error: User canceled. (-128)\n").withExitCode(1));
        const auto events = f.run();
        EXPECT_EQ(events.back(), E::canceled());
        EXPECT_EQ(events.at(events.size() - 2),
                  E::output("Running /usr/sbin/installer (macOS will ask for your password)…"));
        EXPECT_FALSE(QFile::exists(f.packagePath()));
    }
    {
        // Cancelled while the lookup waits: the request is dropped, nothing is downloaded or installed.
        FallbackFixture f;
        f.server.route("/v3/assets/latest/21/hotspot",
                       LoopbackResponse{.status = 200, .body = "[]", .headDelayMs = 10000});
        BrewRunner runner = brewRunnerIn(f.sandbox, f.http);
        runner.adoptium.baseAddress = f.server.url("/").toString(QUrl::StripTrailingSlash);
        auto stream = runner.installCask("temurin@21", "Why", BrewRunner::temurinPolicy(runner));
        for (auto event = nextWithin(stream); event && !event->text.startsWith("Looking up");
             event = nextWithin(stream)) {
        }
        stream.cancel();
        EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(f.sandbox).isEmpty(); }));
        EXPECT_TRUE(f.http->downloads().isEmpty());
        EXPECT_TRUE(f.sandbox.calls("/usr/bin/osascript").isEmpty());
    }
}
