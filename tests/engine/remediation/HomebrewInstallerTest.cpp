// The Homebrew installer with real child processes: a real bash and curl fetching a sandbox install
// script, and stub bash scripts for the outcomes; ~/.zprofile is a real file in the sandbox home.

#include "remediation/PasswordDialog.h"
#include "remediation/HomebrewInstaller.h"

#include "StreamEventPrinter.h"
#include "support/CurrentEdition.h"
#include "support/ProcessChecks.h"
#include "support/Sandbox.h"
#include "support/StreamDrain.h"
#include "support/Wait.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using qlan::test::StubSpec;
using E = StreamEvent;

namespace {

HomebrewInstaller installerIn(const Sandbox& sandbox,
                              const QString& url = "https://example.test/install.sh") {
    const auto& services = sandbox.services();
    return HomebrewInstaller{services.processRunner, services.fs, editionPrivilegedExecutor(services.fs), url};
}

QStringList privateFolders(const Sandbox& sandbox) {
    const auto fs = sandbox.services().fs;
    return fs->contentsOfDirectory(fs->temporaryDirectory()).filter(QRegularExpression("^vrl-priv-"));
}

std::vector<E> runIn(const Sandbox& sandbox) {
    auto stream = installerIn(sandbox).run();
    auto events = test::drain(stream);
    // The clean-up runs right after the terminal event.
    EXPECT_TRUE(test::waitUntil([&] { return privateFolders(sandbox).isEmpty(); }));
    return events;
}

} // namespace

TEST(HomebrewInstaller, RealBashRunsTheFetchedScriptAndTheShellenvLineIsAppended) {
    Sandbox sandbox;
    test::CurrentEdition edition(ProductConfig::homebrewEdition());
    sandbox.linkSystemProgram("/bin/bash");
    sandbox.linkSystemProgram("/usr/bin/curl");
    const QString brew = sandbox.map("/opt/homebrew/bin/brew");
    sandbox.writeFile(
        "/srv/install.sh",
        QString("echo '==> Checking for `sudo` access'\n"
                "echo \"NONINTERACTIVE=$NONINTERACTIVE\"\n"
                "[ -x \"${PATH%%:*}/sudo\" ] && [ -x \"$SUDO_ASKPASS\" ] && echo 'sudo wrapper first'\n"
                "/bin/mkdir -p \"%1\" && /usr/bin/touch \"%2\" && /bin/chmod 755 \"%2\"\n"
                "echo '==> Installation successful!'\n")
            .arg(QFileInfo(brew).path(), brew)
            .toUtf8());
    sandbox.writeFile("/Users/tester/.zprofile", "export EDITOR=vi\n");

    auto stream = installerIn(sandbox, "file://" + sandbox.map("/srv/install.sh")).run();
    const auto events = test::drain(stream);
    const QString home = sandbox.home();
    EXPECT_EQ(events, (std::vector<E>{
                          E::output("==> Checking for `sudo` access"), E::output("NONINTERACTIVE=1"),
                          E::output("sudo wrapper first"), E::output("==> Installation successful!"),
                          E::output("Appending brew shellenv to ~/.zprofile (so brew is fully "
                                    "integrated in new shells)."),
                          E::output("Appended. Backup at " + home + "/.zprofile.bak."), E::completed(0)}));
    EXPECT_EQ(
        sandbox.readFile("/Users/tester/.zprofile"),
        "export EDITOR=vi\n\n# Quillane — Homebrew shellenv\neval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile.bak"), "export EDITOR=vi\n");
    EXPECT_TRUE(test::waitUntil([&] { return privateFolders(sandbox).isEmpty(); }));

    // A second run finds the line active and leaves the file alone.
    auto again = installerIn(sandbox, "file://" + sandbox.map("/srv/install.sh")).run();
    const auto second = test::drain(again);
    ASSERT_GE(second.size(), 2u);
    EXPECT_EQ(second.at(second.size() - 2),
              E::output("brew shellenv already active in ~/.zprofile — skipping."));
    EXPECT_EQ(second.back(), E::completed(0));
}

TEST(HomebrewInstaller, ADownloadThatFailsIsNoSuccess) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/bash");
    sandbox.linkSystemProgram("/usr/bin/curl");
    sandbox.writeStub("/opt/homebrew/bin/brew"); // an earlier Homebrew does not make the install a success
    auto stream = installerIn(sandbox, "file://" + sandbox.map("/srv/missing.sh")).run();
    const auto events = test::drain(stream);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events.at(0).text.startsWith("curl: (")) << events.at(0).text.toStdString();
    EXPECT_EQ(events.at(1),
              E::output("The Homebrew install script could not be downloaded, so nothing was installed."));
    EXPECT_EQ(events.at(2), E::completed(1));
    EXPECT_FALSE(sandbox.exists("/Users/tester/.zprofile"));
}

TEST(HomebrewInstaller, CommandLineAndEnvironmentOfTheScript) {
    Sandbox sandbox;
    sandbox.writeStub("/bin/bash", StubSpec().withStdOut("==> Done\n"));
    sandbox.writeStub("/opt/homebrew/bin/brew");
    runIn(sandbox);
    const auto calls = sandbox.calls("/bin/bash");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first().arguments,
              (QStringList{"-c", "/bin/bash -c \"$(curl -fsSL https://example.test/install.sh)\""}));
    const auto& env = calls.first().environment;
    EXPECT_EQ(env.value("NONINTERACTIVE"), "1");
    EXPECT_TRUE(env.value("SUDO_ASKPASS").endsWith("/askpass.sh"));
    EXPECT_TRUE(env.value("PATH").section(':', 0, 0).contains("/vrl-priv-"));
    EXPECT_FALSE(env.contains("HOMEBREW_NO_AUTO_UPDATE"));
}

TEST(HomebrewInstaller, OutcomesOfTheScript) {
    const E notFound = E::output(
        "Note: brew not found in expected locations after install; skipping ~/.zprofile shellenv append.");
    struct Case {
        const char* name;
        std::optional<StubSpec> bash; // none: bash cannot be started
        bool brewPresent;
        std::vector<E> tail; // the last events
    } cases[] = {
        {"password refused",
         StubSpec().withStdErr("Sorry, a password is required to run sudo\n").withExitCode(1),
         false,
         {E::output("Sorry, a password is required to run sudo"), E::canceled()}},
        {"marker in any case",
         StubSpec().withStdOut("AUTHENTICATION FAILED\n").withExitCode(1),
         false,
         {E::canceled()}},
        {"exit 0 despite a marker", StubSpec().withStdOut("askpass\n"), true, {E::completed(0)}},
        {"plain failure",
         StubSpec().withStdOut("Error: no git\n").withExitCode(3),
         false,
         {E::output("Error: no git"), E::completed(3)}},
        {"ended by a signal", StubSpec().withScript("kill -KILL $$"), false, {E::completed(9)}},
        {"no brew after exit 0", StubSpec(), false, {notFound, E::completed(1)}},
    };
    for (const Case& c : cases) {
        Sandbox sandbox;
        if (c.bash) sandbox.writeStub("/bin/bash", *c.bash);
        if (c.brewPresent) sandbox.writeStub("/usr/local/bin/brew");
        const auto events = runIn(sandbox);
        ASSERT_GE(events.size(), c.tail.size()) << c.name;
        EXPECT_EQ(std::vector<E>(events.end() - c.tail.size(), events.end()), c.tail) << c.name;
    }

    Sandbox sandbox;
    const auto events = runIn(sandbox);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events.front().text.startsWith("Failed to start Homebrew installer: "));
    EXPECT_EQ(events.back(), E::completed(-1));
}

TEST(HomebrewInstaller, CancellingKillsTheScriptWithItsChildrenAndCleansUp) {
    Sandbox sandbox;
    sandbox.writeStub("/bin/bash", StubSpec().withScript("/bin/sleep 60 &\necho \"child $!\"\nwait"));
    auto stream = installerIn(sandbox).run();
    const auto first = test::nextWithin(stream);
    ASSERT_TRUE(first && first->text.startsWith("child ")) << (first ? first->text.toStdString() : "none");
    const pid_t child = first->text.mid(6).toInt();
    stream.cancel();
    EXPECT_TRUE(test::waitUntil([&] { return test::dead(child); }));
    EXPECT_TRUE(test::waitUntil([&] { return privateFolders(sandbox).isEmpty(); }));
}
