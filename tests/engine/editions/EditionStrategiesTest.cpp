// The guided setup's fallbacks for an edition without its own strategy objects.

#include "editions/EditionStrategies.h"
#include "catalog/DevelopmentStages.h"
#include "editions/brew/BrewProber.h"
#include "editions/brew/BrewSpineProvider.h"
#include "editions/brew/BrewVerifier.h"
#include "platform/ProbeSupport.h"

#include "EditionFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using testing::UnorderedElementsAre;

namespace {

// A provider that lays out no workflow but names fixes of its own.
class NoWorkflowProvider final : public SpineProvider {
public:
    std::optional<SetupWorkflow> makeSpine(const std::optional<QString>&, const SystemProfile&,
                                           const SetupProbeBundle&, const SpineSelection&) const override {
        ++asked;
        return std::nullopt;
    }
    QList<SetupRemediation> remediations(const QString&, const SystemProfile&,
                                         const SetupProbeBundle&) const override {
        return {SetupRemediation::installGh()};
    }
    mutable int asked = 0;
};

} // namespace

TEST(EditionStrategies, WithoutAProberTheClaudeCodeProbesRun) {
    Sandbox sandbox;
    writeStubShell(sandbox, {{"/usr/bin/which -a claude", "/opt/homebrew/bin/claude\n", 0},
                             {"claude --version 2>&1", "2.1.3 (Claude Code)\n", 0}});
    sandbox.writeStub("/opt/homebrew/bin/claude");
    const SetupProbeBundle bundle =
        EditionStrategies{}.probe(sandbox.services().processRunner, sandbox.services().fs);
    EXPECT_EQ(bundle.pathVisiblePrimaryTools, QStringList{"/opt/homebrew/bin/claude"});
    EXPECT_EQ(bundle.installedPrimaryToolLocations, QStringList{"/opt/homebrew/bin/claude"});
    EXPECT_EQ(bundle.versionOutput, QStringLiteral("2.1.3 (Claude Code)"));
    EXPECT_THAT(shellCommands(sandbox),
                UnorderedElementsAre("/usr/bin/which -a claude", "claude --version 2>&1",
                                     probing::programLookupCommand("codex"),
                                     probing::programLookupCommand("gh"), "gh auth status"));

    // With a prober, only the edition's own commands run.
    Sandbox brew;
    writeStubShell(brew, {{"/usr/bin/which -a brew", "/opt/homebrew/bin/brew\n", 0}});
    EditionStrategies withProber;
    withProber.prober = std::make_shared<BrewProber>();
    EXPECT_EQ(withProber.probe(brew.services().processRunner, brew.services().fs).pathVisiblePrimaryTools,
              QStringList{"/opt/homebrew/bin/brew"});
    EXPECT_THAT(shellCommands(brew), UnorderedElementsAre("/usr/bin/which -a brew", "brew --version 2>&1"));
}

TEST(EditionStrategies, WithoutAWorkflowTheDefaultStages) {
    const SystemProfile profile = profileOn(Architecture::appleSilicon);
    const SetupProbeBundle probes;
    SharedDomainCopy wording = SharedDomainCopy::standard();
    wording.cltFixable = {"Tools first", "from the edition's own wording"};

    // No provider: the default stages in the edition's wording, and their fixes per domain.
    EditionStrategies none;
    none.wording = wording;
    const SetupWorkflow fallback = none.workflow(profile, probes);
    EXPECT_EQ(fallback.steps, makeDevelopmentStages(profile, probes, wording));
    EXPECT_EQ(stageOf(fallback.steps, "clt").diagnosis().headline, "Tools first");
    EXPECT_EQ(none.remediations("claude-cli", profile, probes), QList{SetupRemediation::installClaudeCLI()});

    // A provider that gives no workflow: asked without focus, then the default stages; its own fixes
    // still answer for a domain.
    EditionStrategies silent;
    auto provider = std::make_shared<NoWorkflowProvider>();
    silent.spineProvider = provider;
    EXPECT_EQ(silent.workflow(profile, probes).steps.size(), 14);
    EXPECT_EQ(provider->asked, 1);
    EXPECT_EQ(silent.remediations("claude-cli", profile, probes), QList{SetupRemediation::installGh()});

    // A provider with a workflow: its own spine and fixes.
    EditionStrategies brew;
    brew.spineProvider = std::make_shared<BrewSpineProvider>();
    EXPECT_EQ(domainIDs(brew.workflow(profile, probes).steps).mid(0, 4),
              (QStringList{"clt", "homebrew", "warp", "ai-claude"}));
    EXPECT_EQ(brew.remediations("homebrew", profile, probes), QList{SetupRemediation::installHomebrew()});
}

TEST(EditionStrategies, WithoutAVerifierTheClaudeCodeCheck) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeStub("/opt/homebrew/bin/claude", StubSpec().withStdOut("2.1.3\n"));
    sandbox.writeStub("/opt/homebrew/bin/brew", StubSpec().withStdOut("Homebrew 4.5.2\n"));
    sandbox.makeDirectory("/Applications/Claude.app");

    const SetupVerificationResult fallback =
        EditionStrategies{}.verify(std::nullopt, sandbox.services().processRunner, sandbox.services().fs);
    EXPECT_EQ(fallback.verifiedItems,
              (QStringList{"Claude Code CLI installed — version 2.1.3", "Claude Desktop installed"}));
    EXPECT_EQ(fallback.details.value("desktop_present"), "true");

    EditionStrategies brew;
    brew.verifier = std::make_shared<BrewVerifier>();
    EXPECT_EQ(brew.verify(SystemProfile{}, sandbox.services().processRunner, sandbox.services().fs),
              SetupVerificationResult("Homebrew 4.5.2\n", true, 0, QStringLiteral("likely_resolved"),
                                      {"Homebrew installed — version 4.5.2"}));
}
