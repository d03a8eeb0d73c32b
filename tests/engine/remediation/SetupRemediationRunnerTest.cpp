// The remediation runner: every case ends with exactly one terminal event, immediate jobs are over when
// `run` returns, and a task job's children die with its stream.

#include "remediation/SetupRemediationRunner.h"

#include "EventPrinter.h"
#include "support/ProcessChecks.h"
#include "support/Sandbox.h"
#include "support/StreamDrain.h"
#include "support/Wait.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;
using Event = SetupRemediationRunner::Event;

namespace {

SetupRemediationRunner runnerIn(const Sandbox& sandbox) {
    return SetupRemediationRunner::fromServices(sandbox.services());
}

// Every event already buffered, without waiting; true in `finished` when the stream had ended.
std::vector<Event> buffered(SetupRemediationRunner::Events& stream, bool* finished) {
    std::vector<Event> events;
    while (auto event = stream.tryNext())
        events.push_back(std::move(*event));
    *finished = stream.isAtEnd();
    return events;
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
        auto stream = runnerIn(sandbox).run(remediation, QStringLiteral("reason"));
        bool finished = false;
        EXPECT_THAT(
            buffered(stream, &finished),
            testing::ElementsAre(Event::output("Homebrew isn't available yet — install Homebrew first."),
                                 Event::completed(-1)));
        EXPECT_TRUE(finished) << remediation.id().toStdString();
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
