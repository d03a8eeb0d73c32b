// Homebrew, the casks, the Claude CLI, Temurin and the formula step through the remediation runner, with
// stub bash and brew and real ~/.zprofile files in a sandbox home.

#include "remediation/RemediationJobs.h"

#include "BrewFixture.h"
#include "RunnerEvents.h"
#include "support/CurrentEdition.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using Event = StreamEvent;

namespace {

std::vector<Event> runJob(const Sandbox& sandbox, const SetupRemediation& remediation) {
    auto stream = SetupRemediationRunner::fromServices(sandbox.services()).run(remediation, "Install it");
    auto events = drain(stream);
    EXPECT_TRUE(waitUntil([&] { return privateFoldersIn(sandbox).isEmpty(); }));
    return events;
}

std::vector<Event> tail(const std::vector<Event>& events, std::size_t n) {
    return n > events.size() ? events : std::vector<Event>(events.end() - n, events.end());
}

} // namespace

TEST(BrewJobs, HomebrewInstallThroughTheRunner) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    {
        Sandbox sandbox;
        sandbox.writeStub("/bin/bash", StubSpec().withStdOut("==> Installation successful!\n"));
        sandbox.writeStub("/opt/homebrew/bin/brew");
        EXPECT_EQ(
            runJob(sandbox, SetupRemediation::installHomebrew()),
            (std::vector<Event>{Event::output("==> Installation successful!"),
                                Event::output("Appending brew shellenv to ~/.zprofile (so brew is fully "
                                              "integrated in new shells)."),
                                Event::output("Appended. Backup at " + sandbox.home() + "/.zprofile.bak."),
                                Event::completed(0)}));
        EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"),
                  "# Quillane — Homebrew shellenv\neval \"$(/opt/homebrew/bin/brew shellenv)\"\n");
    }
    {
        Sandbox sandbox;
        sandbox.writeStub(
            "/bin/bash",
            StubSpec().withStdErr("Sorry, a password is required to run sudo\n").withExitCode(1));
        EXPECT_EQ(runJob(sandbox, SetupRemediation::installHomebrew()),
                  (std::vector<Event>{Event::output("Sorry, a password is required to run sudo"),
                                      Event::canceled()}));
        EXPECT_FALSE(sandbox.exists("/Users/tester/.zprofile"));
    }
}

TEST(BrewJobs, CasksWithTheirFollowUpEdits) {
    CurrentEdition edition(ProductConfig::homebrewEdition());
    const QString home = "/Users/tester/.zprofile";
    struct Case {
        const char* name;
        SetupRemediation remediation;
        QList<BrewAnswer> answers;
        QByteArray zprofileBefore; // empty: no file
        std::vector<Event> tail;
        QByteArray zprofileAfter; // empty: no file
    } cases[] = {
        {"app cask",
         SetupRemediation::installZed(),
         {{"==> zed was installed\n", 0}},
         {},
         {Event::output("==> zed was installed"), Event::completed(0)},
         {}},
        {"app cask, password refused",
         SetupRemediation::installWarp(),
         {{"sudo: a password is required\n", 1}},
         {},
         {Event::canceled()},
         {}},
        {"claude CLI",
         SetupRemediation::installClaudeCLI(),
         {{"", 0}},
         {},
         {Event::output("Enabled Claude Code auto-update in ~/.zprofile (backup at /BACKUP)."),
          Event::completed(0)},
         "# Quillane — Claude Code auto-update\nexport CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"},
        {"claude CLI, commented line counts",
         SetupRemediation::installClaudeCLI(),
         {{"", 0}},
         "# export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n",
         {Event::output("Claude Code auto-update is already enabled in ~/.zprofile."), Event::completed(0)},
         "# export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"},
        {"claude CLI fails",
         SetupRemediation::installClaudeCLI(),
         {{"Error: It seems there is already a Binary\n", 1}, {"Error: x\n", 3}},
         {},
         {Event::output("Error: x"), Event::completed(3)},
         {}},
        {"temurin",
         SetupRemediation::installTemurin(),
         {{"", 0}},
         "export A=1\n",
         {Event::output("Set JAVA_HOME in ~/.zprofile (macOS finds `java` on its own; backup at /BACKUP)."),
          Event::completed(0)},
         "export A=1\n\n# Quillane — Java configuration\nexport JAVA_HOME=$(/usr/libexec/java_home)\n"},
        {"temurin, already set",
         SetupRemediation::installTemurin(),
         {{"", 0}},
         "export JAVA_HOME=/x\n",
         {Event::output("JAVA_HOME is already set in ~/.zprofile."), Event::completed(0)},
         "export JAVA_HOME=/x\n"},
    };
    for (Case& c : cases) {
        Sandbox sandbox;
        writeScriptedBrew(sandbox, c.answers);
        if (!c.zprofileBefore.isEmpty()) sandbox.writeFile(home, c.zprofileBefore);
        for (Event& event : c.tail)
            event.text.replace("/BACKUP", sandbox.home() + "/.zprofile.bak");
        const auto events = runJob(sandbox, c.remediation);
        EXPECT_EQ(tail(events, c.tail.size()), c.tail) << c.name;
        EXPECT_EQ(sandbox.exists(home) ? sandbox.readFile(home) : QByteArray(), c.zprofileAfter) << c.name;
    }
}

TEST(BrewJobs, FormulaStep) {
    Sandbox sandbox;
    writeScriptedBrew(sandbox, {{"==> Pouring mise\n", 0}});
    auto [stream, continuation] = SetupRemediationRunner::Events::make();
    const SetupRemediationRunner::Output out(continuation);

    EXPECT_EQ(
        jobs::installFormulaStep(SetupRemediationRunner::fromServices(sandbox.services()), "mise", out, {}),
        0);
    EXPECT_EQ(sandbox.calls(brewPath).first().arguments, (QStringList{"install", "mise"}));

    SetupRemediationRunner noBrew(std::nullopt, sandbox.services().processRunner, sandbox.services().fs,
                                  sandbox.services().http);
    EXPECT_EQ(jobs::installFormulaStep(noBrew, "gh", out, {}), -1);

    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(jobs::installFormulaStep(SetupRemediationRunner::fromServices(sandbox.services()), "gh", out,
                                       stopped.get_token()),
              std::nullopt);

    std::vector<Event> lines;
    while (auto event = stream.tryNext())
        lines.push_back(*event);
    EXPECT_EQ(lines,
              (std::vector<Event>{Event::output("==> Pouring mise"),
                                  Event::output(SetupRemediationRunner::homebrewMissingLine.toString())}));
}
