// Nothing that a thread other than the GUI thread reads is destroyed when the process ends: a child program
// whose threads keep asking the proxy question line and reading, each, a value that job, probe, verifier,
// usage-event and picker-reading threads read, ends in every way a process ends, 50 times each, with its
// status and without a sanitizer's report (under AddressSanitizer a read of what the end freed is one;
// elsewhere it may crash). The constants among such values are of types that nothing destroys.

#include "catalog/SetupFileState.h"
#include "editions/ProductConfig.h"
#include "editions/brew/HomebrewLocationState.h"
#include "editions/claude/ClaudeVerifier.h"
#include "platform/AppServices.h"
#include "platform/JdkReleaseFileReader.h"
#include "platform/LiveFileEditHold.h"
#include "platform/LiveFileSystem.h"
#include "platform/ProbeSupport.h"
#include "platform/Probes.h"
#include "platform/SystemProxy.h"
#include "remediation/AgentEnvDoc.h"
#include "remediation/BrewRunner.h"
#include "remediation/HomebrewInstaller.h"
#include "remediation/JEnvRunner.h"
#include "remediation/MiseRunner.h"
#include "remediation/PKGInstaller.h"
#include "remediation/SetupRemediationRunner.h"
#include "remediation/ShellConfigurator.h"
#include "remediation/SkillFolderInstaller.h"
#include "remediation/TemplateTreeCopier.h"
#include "setup/SetupPickerState.h"
#include "support/ProcessEnd.h"
#include "support/SandboxFileSystem.h"
#include "telemetry/SessionID.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <type_traits>
#include <vector>

using namespace qlan;
using namespace qlan::test;

namespace {

template <typename... Constants> constexpr bool nothingDestroys(const Constants&...) {
    return (std::is_trivially_destructible_v<Constants> && ...);
}
static_assert(nothingDestroys(SetupFileState::zprofileNeedle, SetupFileState::zshrcNeedle,
                              SetupFileState::agentSectionMarker, ShellConfigurator::zprofileNeedle,
                              AgentEnvDoc::sectionMarker, HomebrewLocationState::appleSiliconBrew,
                              HomebrewLocationState::intelBrew, HomebrewLocationState::notOnPathHeadline,
                              HomebrewLocationState::wrongChipHeadline, Probes::loginShellMarker,
                              JdkReleaseFileReader::jvmFolder, JdkReleaseFileReader::jvmFolderPrefix,
                              HomebrewInstaller::passwordPrompt, JEnvRunner::pathLine,
                              MiseRunner::activationLine, PKGInstaller::lookupTimeoutMessage,
                              SetupRemediationRunner::homebrewMissingLine));

// Child programs answer at once: the GitHub sign-in prints its code and its page, every other command
// succeeds silently.
class AnsweringProcessRunner : public ProcessRunning {
public:
    ProcessResult run(const QString&, const QStringList&, const std::optional<Environment>&) override {
        return {};
    }
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString&, const QStringList& arguments, const std::optional<Environment>&) override {
        auto [stream, producer] = Stream<ProcessStreamEvent>::make();
        if (arguments.value(1).startsWith(QStringLiteral("gh auth login"))) {
            producer.yield(
                ProcessStreamEvent::line(QStringLiteral("First copy your one-time code: AB12-CD34")));
            producer.yield(ProcessStreamEvent::line(QStringLiteral("Open https://github.com/login/device")));
        }
        producer.yield(ProcessStreamEvent::exited(0));
        producer.finish();
        return {std::move(stream), std::make_shared<Nothing>()};
    }

private:
    struct Nothing : ProcessCancellation {
        void cancel() override {}
    };
};

// A sandbox in `folder`, whose agents setUpAgents gives what the pickers' offers read.
std::shared_ptr<FileSystemOperating> agentsSandbox(const QString& folder) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    return std::make_shared<SandboxFileSystem>(SandboxLayout{root, root + QStringLiteral("/Users/tester")});
}

// Claude and Codex, each with a skill and an MCP server: the offers read the skill folders and parse both
// configurations.
void setUpAgents(FileSystemOperating& fs) {
    const QString home = fs.homeDirectory();
    for (const QLatin1String agent : {QLatin1String("/.claude"), QLatin1String("/.codex")})
        fs.createDirectory(home + agent + QStringLiteral("/skills/avoid-ai-writing"), true);
    fs.writeString(QStringLiteral(R"({"mcpServers": {"notion": {"type": "http"}}})"),
                   home + QStringLiteral("/.claude.json"), true);
    fs.writeString(QStringLiteral("[mcp_servers.notion]\nurl = \"https://mcp.notion.com/mcp\"\n"),
                   home + QStringLiteral("/.codex/config.toml"), true);
}

// What the threads of the application read, one reader each. An edit holds the lock of a file in `folder`;
// the pickers read the agents of agentsSandbox(folder).
std::vector<std::function<void()>> readers(const QString& folder) {
    const auto answerer = std::make_shared<const SystemProxy::Answerer>(
        [](const QNetworkProxyQuery&) { return QList<QNetworkProxy>(); });
    const SetupRemediationRunner runner(std::nullopt, std::make_shared<AnsweringProcessRunner>(),
                                        std::make_shared<LiveFileSystem>(), nullptr);
    const std::shared_ptr<FileSystemOperating> agents = agentsSandbox(folder);
    return {
        [answerer] {
            QList<QNetworkProxy> proxies;
            SystemProxy::ask(answerer, QUrl(QStringLiteral("http://192.0.2.1/")), proxies,
                             HostLookup::Clock::now() + std::chrono::seconds(1), {},
                             &HostLookup::startDetached);
        },
        [] { (void)ProductConfig::current().displayName.size(); },
        [] { (void)probing::programLookupCommand(QStringLiteral("brew")); },
        [] { (void)BrewRunner::isAuthFailureOrCancel(QStringLiteral("Error: user canceled")); },
        [] { (void)BrewRunner::CaskRecoveryPolicy::none(); },
        [] { (void)HomebrewInstaller::isAuthFailureOrCancel(QStringLiteral("Error: user canceled")); },
        [] { (void)ClaudeVerifier::parseVersion(QStringLiteral("2.1.0 (Claude Code)")); },
        [] { (void)SkillFolderInstaller::agents().size(); },
        [] { (void)TemplateTreeCopier::exampleCopyNames().contains(QStringLiteral("CLAUDE.md")); },
        [] { (void)SessionID::parse(QStringLiteral("00000000-0000-0000-0000-000000000001")); },
        [] { (void)AppServices::live().fs.get(); },
        [folder] {
            LiveFileEditHold::hold(QDir(folder).filePath(QStringLiteral("edited")),
                                   QDir(folder).filePath(QStringLiteral("locks")), {});
        },
        [agents] { (void)SetupPickerState::skillsOffer(std::nullopt, agents).listed.size(); },
        [agents] { (void)SetupPickerState::mcpOffer(agents).listed.size(); },
        [runner] {
            JobEvents events = runner.run(SetupRemediation::githubAuth(), QStringLiteral("Quillane"));
            while (events.next()) {
            }
        },
    };
}

} // namespace

TEST(EndOfProcess, NothingAWorkerReadsIsDestroyedWhileTheProcessEnds) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::shared_ptr<FileSystemOperating> agents = agentsSandbox(folder.path());
    ASSERT_NO_THROW(setUpAgents(*agents));
    ASSERT_EQ(SetupPickerState::skillsOffer(std::nullopt, agents).installed,
              QSet<QString>{QStringLiteral("avoid-ai-writing")});
    ASSERT_EQ(SetupPickerState::mcpOffer(agents).configured, QSet<QString>{QStringLiteral("notion")});
    for (const ProcessEnd& end : processEnds) {
        SCOPED_TRACE(end.how);
        for (int run = 1; run <= 50; ++run) {
            const ChildRun child = runEndingChild(
                QStringLiteral("EndOfProcessChildProgram.ReadWhileTheProcessEnds"),
                {{"QLAN_END_WHILE_READ", end.how}, {"QLAN_READERS_FOLDER", folder.path()}}, folder);
            ASSERT_TRUE(endedCleanly(child, end)) << "run " << run;
        }
    }
}

// Run as a child program by the test above: every reader reads once, then goes on reading on its thread
// while the process ends.
TEST(EndOfProcessChildProgram, ReadWhileTheProcessEnds) {
    const QString how = qEnvironmentVariable("QLAN_END_WHILE_READ");
    if (how.isEmpty()) GTEST_SKIP() << "runs only as a child program";
    const QString folder = qEnvironmentVariable("QLAN_READERS_FOLDER");
    ASSERT_FALSE(folder.isEmpty());
    static std::atomic<int> started = 0; // trivially destructible: the readers outlive every static
    const std::vector<std::function<void()>> all = readers(folder);
    for (const std::function<void()>& read : all)
        std::thread([read] {
            const auto once = [&] {
                try {
                    read();
                } catch (const std::exception&) {
                    // What the reader uses goes as the process ends (its lock folder, say).
                }
            };
            once();
            ++started;
            started.notify_all();
            for (;;)
                once();
        }).detach();
    for (int now = started; now < static_cast<int>(all.size()); now = started)
        started.wait(now);
    endThisProcess(how);
}
