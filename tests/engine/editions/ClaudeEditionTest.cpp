// The Claude Code edition: its probes on a sandboxed Mac (stub programs, the real zsh as login shell,
// real files), the reading of `claude --version`, the default developer-environment stages, the copy,
// the spine and the stage catalogue.

#include "catalog/AICodingDomains.h"
#include "catalog/DevelopmentStages.h"
#include "editions/claude/ClaudeProbes.h"
#include "editions/claude/ClaudeSetupProber.h"
#include "editions/claude/ClaudeSetupVerifier.h"
#include "editions/claude/ClaudeSpineCopy.h"
#include "editions/claude/ClaudeSpineProvider.h"
#include "editions/claude/ClaudeVerifier.h"
#include "platform/ProbeSupport.h"

#include "EditionFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

using C = SetupDiagnosisClassification;
using R = SetupRemediation;

// The login-shell command that looks a program up.
QString lookup(const QString& program) {
    return probing::programLookupCommand(program);
}

const QString gitIdentityCommand = QStringLiteral(
    "git config --global --get user.name >/dev/null && git config --global --get user.email >/dev/null");

SetupProbeBundle probeOn(const Sandbox& sandbox) {
    return ClaudeSetupProber().probe(sandbox.services().processRunner, sandbox.services().fs);
}

// A git that answers `config --global --get user.name|user.email` from files in the home folder.
void writeGitStub(Sandbox& sandbox, const QString& macPath) {
    sandbox.writeStub(
        macPath,
        StubSpec().withScript("case \"$*\" in\n"
                              "  'config --global --get user.name') [ -f \"$HOME/.name\" ] || exit 1;;\n"
                              "  'config --global --get user.email') [ -f \"$HOME/.email\" ] || exit 1;;\n"
                              "  *) exit 2;;\n"
                              "esac\n"));
}

SetupProbeBundle claudeFacts(QStringList onPath, QStringList installed, std::optional<int> exitCode,
                             std::optional<QString> output) {
    SetupProbeBundle bundle;
    bundle.pathVisiblePrimaryTools = std::move(onPath);
    bundle.installedPrimaryToolLocations = std::move(installed);
    bundle.versionExitCode = exitCode;
    bundle.versionOutput = std::move(output);
    return bundle;
}

} // namespace

TEST(ClaudeProbes, FindClaudeOnTheLoginShellsPathAndOnDisk) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeStub("/opt/homebrew/bin/claude", StubSpec().withStdOut("2.1.3 (Claude Code)\n"));
    sandbox.writeStub("/Users/tester/.claude/local/claude");
    // The login profile puts Homebrew's folder on PATH a second time: `which -a` names it twice. It also
    // adds a relative entry with a claude below the folder it stands in, which is no answer.
    const QString brewBin = sandbox.map("/opt/homebrew/bin");
    sandbox.writeStub("/Users/tester/bin/claude");
    sandbox.writeFile(
        "/Users/tester/.zprofile",
        ("cd \"" + sandbox.home() + "\"\nexport PATH=\"" + brewBin + ":$PATH:bin\"\n").toUtf8());

    const SetupProbeBundle bundle = probeOn(sandbox);
    EXPECT_THAT(bundle.pathVisiblePrimaryTools, ElementsAre(brewBin + "/claude", brewBin + "/claude"));
    EXPECT_THAT(bundle.installedPrimaryToolLocations,
                ElementsAre("/opt/homebrew/bin/claude", sandbox.home() + "/.claude/local/claude"));
    EXPECT_EQ(bundle.versionOutput, QStringLiteral("2.1.3 (Claude Code)"));
    EXPECT_EQ(bundle.versionExitCode, 0);
    ASSERT_EQ(sandbox.calls("/opt/homebrew/bin/claude").size(), 1);
    EXPECT_THAT(sandbox.calls("/opt/homebrew/bin/claude")[0].arguments, ElementsAre("--version"));

    // The repeats count once where the stages count installs: two distinct places conflict.
    EXPECT_EQ(claudeCLIDiagnosis(SystemProfile{}, bundle).classification, C::blocked);

    // Nothing anywhere: empty lists and the shell's own "not found" status.
    Sandbox bare;
    bare.linkSystemProgram("/bin/zsh");
    bare.writeFile("/Users/tester/.zprofile", "export PATH=/usr/bin:/bin\n");
    const SetupProbeBundle nothing = probeOn(bare);
    EXPECT_THAT(nothing.pathVisiblePrimaryTools, IsEmpty());
    EXPECT_THAT(nothing.installedPrimaryToolLocations, IsEmpty());
    EXPECT_EQ(nothing.versionOutput, QStringLiteral("zsh:1: command not found: claude"));
    EXPECT_EQ(nothing.versionExitCode, 127);
    EXPECT_FALSE(nothing.companionToolPresent || nothing.shellConfigured || nothing.agentDocNeeded ||
                 nothing.projectExists || nothing.ghPresent || nothing.gitIdentitySet || nothing.ghAuthed);
}

TEST(ClaudeProbes, CompanionGitHubAndGitChecks) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    // gh and codex in a folder only the login profile puts on PATH: found by the login shell.
    sandbox.writeStub("/Users/tester/tools/gh", StubSpec().withExitCode(1));
    sandbox.writeStub("/Users/tester/tools/codex");
    sandbox.writeFile("/Users/tester/.zprofile",
                      ("export PATH=\"" + sandbox.home() + "/tools:$PATH\"\n").toUtf8());
    SetupProbeBundle bundle = probeOn(sandbox);
    EXPECT_TRUE(bundle.companionToolPresent);
    EXPECT_TRUE(bundle.ghPresent);
    EXPECT_FALSE(bundle.ghAuthed) << "gh auth status exited 1";
    EXPECT_FALSE(bundle.gitIdentitySet) << "no Command Line Tools, Xcode or Homebrew git";
    EXPECT_THAT(sandbox.calls("/Users/tester/tools/gh"), testing::SizeIs(1));
    EXPECT_THAT(sandbox.calls("/Users/tester/tools/gh")[0].arguments, ElementsAre("auth", "status"));

    // Signed in; a Homebrew git with only a name, then with both name and email.
    sandbox.writeStub("/Users/tester/tools/gh");
    writeGitStub(sandbox, "/opt/homebrew/bin/git");
    sandbox.writeFile("/Users/tester/.name", "");
    bundle = probeOn(sandbox);
    EXPECT_TRUE(bundle.ghAuthed);
    EXPECT_FALSE(bundle.gitIdentitySet);
    sandbox.writeFile("/Users/tester/.email", "");
    EXPECT_TRUE(probeOn(sandbox).gitIdentitySet);
    EXPECT_THAT(sandbox.calls("/opt/homebrew/bin/git").last().arguments,
                ElementsAre("config", "--global", "--get", "user.email"));

    // What the login shell's files make of the lookup: only one that exits with 0 and prints the tool
    // finds it.
    struct Row {
        const char* what;
        QByteArray zprofile;
        QByteArray zshenv;
        bool present; // codex and gh alike
    };
    const QList<Row> rows{
        {"an alias and a function, as in a new terminal window", "alias codex='npx @openai/codex'\n",
         "gh() { command /x/gh \"$@\"; }\n", true},
        {"output silenced, both absent", "exec >/dev/null\n", "", false},
        {"output silenced, both known", "alias codex=codex-cli\nexec >/dev/null\n",
         "gh() { command /x/gh \"$@\"; }\n", false},
        {"the login shell ends in its profile with 0, both absent", "exit 0\n", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Sandbox shell;
        shell.linkSystemProgram("/bin/zsh");
        shell.writeFile("/Users/tester/.zprofile", row.zprofile);
        shell.writeFile("/Users/tester/.zshenv", row.zshenv);
        bundle = probeOn(shell);
        EXPECT_EQ(bundle.companionToolPresent, row.present);
        EXPECT_EQ(bundle.ghPresent, row.present);
    }
}

TEST(ClaudeProbes, FixedPathsDecideWithoutRunningAnything) {
    Sandbox sandbox;
    // A stub login shell that fails every check it is asked.
    writeStubShell(sandbox, {{"/usr/bin/which -a claude", "", 1},
                             {"claude --version 2>&1", "zsh:1: command not found: claude\n", 127},
                             {lookup("codex"), "", 1},
                             {lookup("gh"), "", 1},
                             {gitIdentityCommand, "", 1},
                             {"gh auth status", "", 1}});
    SetupProbeBundle bundle = probeOn(sandbox);
    EXPECT_FALSE(bundle.companionToolPresent);
    EXPECT_FALSE(bundle.ghPresent);
    EXPECT_FALSE(bundle.gitIdentitySet);
    EXPECT_EQ(bundle.versionOutput, QStringLiteral("zsh:1: command not found: claude"));
    EXPECT_EQ(bundle.versionExitCode, 127);
    // With no git anywhere the identity is not asked.
    EXPECT_THAT(shellCommands(sandbox),
                testing::UnorderedElementsAre("/usr/bin/which -a claude", "claude --version 2>&1",
                                              lookup("codex"), lookup("gh"), "gh auth status"));

    // Codex at the Intel Homebrew place and gh at the native one: present, their commands never run.
    Sandbox fixed;
    writeStubShell(fixed, {{"/usr/bin/which -a claude", "", 1},
                           {"claude --version 2>&1", "", 127},
                           {gitIdentityCommand, "", 0},
                           {"gh auth status", "", 0}});
    fixed.writeStub("/usr/local/bin/codex");
    fixed.writeStub("/opt/homebrew/bin/gh");
    fixed.makeDirectory("/Library/Developer/CommandLineTools");
    bundle = probeOn(fixed);
    EXPECT_TRUE(bundle.companionToolPresent);
    EXPECT_TRUE(bundle.ghPresent);
    EXPECT_TRUE(bundle.gitIdentitySet);
    EXPECT_TRUE(bundle.ghAuthed);
    EXPECT_EQ(bundle.versionOutput, std::nullopt) << "nothing printed";
    EXPECT_THAT(shellCommands(fixed),
                testing::UnorderedElementsAre("/usr/bin/which -a claude", "claude --version 2>&1",
                                              gitIdentityCommand, "gh auth status"));
    EXPECT_THAT(fixed.calls("/usr/local/bin/codex"), IsEmpty());

    // Without a fixed path, the lookup finds the tool when it exits with 0 and prints more than white
    // space.
    struct Lookup {
        QString output;
        int exitCode;
        bool present;
    };
    for (const Lookup& answer : QList<Lookup>{{"/x/codex\n", 0, true},
                                              {"codex: aliased to npx @openai/codex", 0, true},
                                              {"", 0, false},
                                              {" \t\n\n", 0, false},
                                              {"/x/codex\n", 1, false}}) {
        SCOPED_TRACE(answer.output.toStdString() + " / " + std::to_string(answer.exitCode));
        Sandbox lookedUp;
        writeStubShell(lookedUp, {{lookup("codex"), answer.output, answer.exitCode},
                                  {lookup("gh"), answer.output, answer.exitCode}});
        bundle = probeOn(lookedUp);
        EXPECT_EQ(bundle.companionToolPresent, answer.present);
        EXPECT_EQ(bundle.ghPresent, answer.present);
        EXPECT_EQ(bundle.versionExitCode, 99) << "the stub shell's answer to an unknown command";
    }
}

TEST(ClaudeProbes, FilesOfTheShellTheAgentsAndTheProject) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeFile("/Users/tester/.zprofile", "typeset -U path PATH\n");
    sandbox.writeFile("/Users/tester/.zshrc",
                      "[ -f \"$HOME/.env\" ] && set -a && source \"$HOME/.env\" && set +a\n");
    sandbox.makeDirectory("/Applications/Claude.app");
    // Only the coding example project: not the one that counts.
    sandbox.makeDirectory("/Users/tester/Documents/AI-Coding-Project");
    SetupProbeBundle bundle = probeOn(sandbox);
    EXPECT_FALSE(bundle.shellConfigured) << "~/.env missing";
    EXPECT_TRUE(bundle.agentDocNeeded);
    EXPECT_FALSE(bundle.projectExists);

    sandbox.writeFile("/Users/tester/.env", "");
    sandbox.writeFile("/Users/tester/.claude/CLAUDE.md", "<!-- Quillane — development environment -->\n");
    sandbox.makeDirectory("/Users/tester/Documents/AI-Simple-Project");
    bundle = probeOn(sandbox);
    EXPECT_TRUE(bundle.shellConfigured);
    EXPECT_FALSE(bundle.agentDocNeeded);
    EXPECT_TRUE(bundle.projectExists);
}

TEST(ClaudeProbes, AShellThatCannotStart) {
    Sandbox sandbox;
    sandbox.writeStub("/Users/tester/.local/bin/claude");
    sandbox.writeStub("/opt/homebrew/bin/codex");
    sandbox.makeDirectory("/Applications/Xcode.app");
    const SetupProbeBundle bundle = probeOn(sandbox);
    EXPECT_THAT(bundle.pathVisiblePrimaryTools, IsEmpty());
    EXPECT_THAT(bundle.installedPrimaryToolLocations, ElementsAre(sandbox.home() + "/.local/bin/claude"));
    EXPECT_EQ(bundle.versionOutput, std::nullopt);
    EXPECT_EQ(bundle.versionExitCode, -1);
    EXPECT_TRUE(bundle.companionToolPresent) << "a fixed path needs no command";
    EXPECT_FALSE(bundle.ghPresent);
    EXPECT_FALSE(bundle.gitIdentitySet);
    EXPECT_FALSE(bundle.ghAuthed);
    EXPECT_TRUE(bundle.agentDocNeeded) << "file checks still run";
}

TEST(ClaudeVerifier, ReadsTheVersionAnswer) {
    const QMap<QString, QString> desktop{{"desktop_present", "true"}};
    const QMap<QString, QString> noDesktop{{"desktop_present", "false"}};

    EXPECT_EQ(ClaudeVerifier::result("2.1.3 (Claude Code)\n", 0, true),
              SetupVerificationResult(
                  "2.1.3 (Claude Code)\n", true, 0, QStringLiteral("likely_resolved"),
                  {"Claude Code CLI installed — version 2.1.3", "Claude Desktop installed"}, desktop));
    EXPECT_EQ(ClaudeVerifier::result("Claude Code 2.1.3\n", 0, false),
              SetupVerificationResult("Claude Code 2.1.3\n", true, 0, QStringLiteral("likely_resolved"),
                                      {"Claude Code CLI installed"}, noDesktop));
    EXPECT_EQ(ClaudeVerifier::result("zsh:1: command not found: claude\n", 127, true),
              SetupVerificationResult("zsh:1: command not found: claude\n", false, 127,
                                      QStringLiteral("blocked"), {}, desktop));
    EXPECT_EQ(ClaudeVerifier::result(" \n", 0, true),
              SetupVerificationResult(" \n", false, 0, QStringLiteral("blocked"), {}, desktop));
    EXPECT_EQ(ClaudeVerifier::result("", -1, false),
              SetupVerificationResult("", false, -1, QStringLiteral("blocked"), {}, noDesktop));

    // Words are cut at spaces, line feeds and tabs; the first must start with a digit.
    EXPECT_EQ(ClaudeVerifier::parseVersion("\n\t2.0.1\tbeta"), QStringLiteral("2.0.1"));
    EXPECT_EQ(ClaudeVerifier::parseVersion("1.0.0-rc.1 (Claude Code)"), QStringLiteral("1.0.0-rc.1"));
    EXPECT_EQ(ClaudeVerifier::parseVersion("v2.0.1"), std::nullopt);
    EXPECT_EQ(ClaudeVerifier::parseVersion("Claude 2.0.1"), std::nullopt);
    EXPECT_EQ(ClaudeVerifier::parseVersion(" \n "), std::nullopt);
    EXPECT_EQ(ClaudeVerifier::parseVersion("٣.1"), QStringLiteral("٣.1")) << "any numeric character";

    // Through the real login shell.
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeStub("/opt/homebrew/bin/claude", StubSpec().withStdErr("2.2.0 (Claude Code)\n"));
    const ClaudeVerifier verifier{ShellRunner(sandbox.services().processRunner)};
    EXPECT_EQ(verifier.verify(false).verifiedItems, QStringList{"Claude Code CLI installed — version 2.2.0"});
    Sandbox noShell;
    EXPECT_EQ(ClaudeVerifier{ShellRunner(noShell.services().processRunner)}.verify(true),
              SetupVerificationResult("", false, -1, QStringLiteral("blocked"), {}, desktop));
}

TEST(ClaudeSetupVerifier, ChecksTheDesktopAppAndTheCLIInALoginShell) {
    Sandbox sandbox;
    sandbox.linkSystemProgram("/bin/zsh");
    sandbox.writeStub("/opt/homebrew/bin/claude", StubSpec().withStdOut("2.1.3 (Claude Code)\n"));
    const auto verify = [&] {
        return ClaudeSetupVerifier().verify(std::nullopt, sandbox.services().processRunner,
                                            sandbox.services().fs);
    };

    // A file named like the app is not the app.
    sandbox.writeFile("/Applications/Claude.app", "");
    EXPECT_EQ(verify(), SetupVerificationResult(
                            "2.1.3 (Claude Code)\n", true, 0, QStringLiteral("likely_resolved"),
                            {"Claude Code CLI installed — version 2.1.3"}, {{"desktop_present", "false"}}));

    // The app in the user's own Applications folder counts.
    sandbox.makeDirectory("/Users/tester/Applications/Claude.app");
    EXPECT_EQ(verify().verifiedItems,
              (QStringList{"Claude Code CLI installed — version 2.1.3", "Claude Desktop installed"}));

    // The login shell does not find claude: not passed, but the app is still recorded.
    sandbox.writeFile("/Users/tester/.zprofile", "export PATH=/usr/bin:/bin\n");
    const SetupVerificationResult missing = verify();
    EXPECT_EQ(missing, SetupVerificationResult(missing.rawOutput, false, 127, QStringLiteral("blocked"), {},
                                               {{"desktop_present", "true"}}));
    EXPECT_THAT(missing.rawOutput.toStdString(), testing::HasSubstr("command not found: claude"));
}

TEST(DevelopmentStages, StepsPlacementsAndActionsOnABareMac) {
    const SetupProbeBundle none = claudeFacts({}, {}, 127, std::nullopt);
    const QList<WorkflowStep> silicon =
        makeDevelopmentStages(profileOn(Architecture::appleSilicon), none, SharedDomainCopy::standard());
    EXPECT_EQ(
        describe(silicon),
        (QStringList{
            "clt primary fixable [clt/installCompletion]",
            "homebrew primary fixable [homebrew/installCompletion]",
            "claude-cli primary fixable [brew:claude-code@latest/localVerification]",
            "warp primary fixable [brew:warp/installCompletion]",
            "claude-desktop primary fixable [brew:claude/localVerification]",
            "codex primary fixable [brew:codex/installCompletion brew:codex-app/installCompletion]",
            "project offer fixable [example:simple/installCompletion]",
            "skills offer fixable []",
            "mcp offer fixable []",
            "editor optional fixable [brew:zed/installCompletion brew:visual-studio-code/installCompletion]",
            "shell-config optional fixable [shell-config/installCompletion]",
            "languages optional fixable []",
            "agent-docs optional ready []",
            "git optional fixable []",
        }));
    EXPECT_EQ(makeDevelopmentStages(profileOn(Architecture::unknown), none,
                                    ProductConfig::current().sharedDomainCopy)
                  .size(),
              14);
    const QList<WorkflowStep> intel = makeDevelopmentStages(profileOn(Architecture::intel), none,
                                                            ProductConfig::current().sharedDomainCopy);
    EXPECT_EQ(intel.size(), 13);
    EXPECT_FALSE(domainIDs(intel).contains("codex"));
    EXPECT_EQ(domainIDs(makeClaudeSpineStages(profileOn(Architecture::intel), none,
                                              ProductConfig::current().sharedDomainCopy)),
              (QStringList{"clt", "homebrew", "claude-cli", "warp", "claude-desktop"}));

    // The stage texts: the shared wording for the prerequisites, the developer rules for the rest.
    const SharedDomainCopy& wording = SharedDomainCopy::claudeEdition();
    const QList<WorkflowStep> claudeWorded =
        makeDevelopmentStages(profileOn(Architecture::intel), none, wording);
    EXPECT_EQ(stageOf(claudeWorded, "homebrew").diagnosis().detail, wording.homebrewFixable.detail);
    EXPECT_EQ(stageOf(claudeWorded, "warp").diagnosis().detail, wording.warpFixable.detail);
    EXPECT_EQ(
        stageOf(claudeWorded, "claude-desktop").diagnosis(),
        (SetupDiagnosis{"Claude Desktop isn't installed",
                        "We'll install the Claude desktop app via Homebrew (`claude` cask).", C::fixable}));
    EXPECT_EQ(
        stageOf(claudeWorded, "claude-cli").diagnosis(),
        (SetupDiagnosis{"Claude Code CLI isn't installed",
                        "We'll install it via Homebrew (`claude-code@latest`) and verify `claude --version` "
                        "runs.",
                        C::fixable}));
}

TEST(DevelopmentStages, ClaudeCLIVerdictsAndFixes) {
    const SystemProfile profile = profileOn(Architecture::appleSilicon);
    const QString brewClaude = QStringLiteral("/opt/homebrew/bin/claude");
    const auto cliStage = [&](const SetupProbeBundle& facts) {
        const QList<WorkflowStep> steps =
            makeDevelopmentStages(profile, facts, ProductConfig::current().sharedDomainCopy);
        const SetupStage& stage = stageOf(steps, "claude-cli");
        return BasicSetupStage(stage.domainID(), stage.diagnosis(), stage.actions());
    };

    // The same path twice on PATH and once on disk: one install, ready.
    const BasicSetupStage ready = cliStage(claudeFacts({brewClaude, brewClaude}, {brewClaude}, 0, "2.1.3"));
    EXPECT_EQ(ready.diagnosis(),
              (SetupDiagnosis{"Claude Code CLI is ready", "`claude` runs: 2.1.3", C::ready}));
    EXPECT_THAT(ready.actions(), IsEmpty());

    // Two distinct installs: blocked, both named in ascending order, nothing offered.
    const BasicSetupStage conflict =
        cliStage(claudeFacts({"/usr/local/bin/claude"}, {brewClaude, "/usr/local/bin/claude"}, 0, "2.1.3"));
    EXPECT_EQ(conflict.diagnosis(),
              (SetupDiagnosis{
                  "More than one `claude` command found",
                  "We found multiple `claude` installs (/opt/homebrew/bin/claude, /usr/local/bin/claude). "
                  "To avoid breaking a setup you rely on, we won't remove anything automatically. "
                  "Recommended: keep the Homebrew-managed one and remove the others, then make sure "
                  "Homebrew's bin directory comes first on your PATH.",
                  C::blocked}));
    EXPECT_THAT(conflict.actions(), IsEmpty());
    EXPECT_THAT(
        makeDevelopmentRemediations("claude-cli", profile, claudeFacts({"/a/claude"}, {"/b/claude"}, 0, "1")),
        IsEmpty());

    // On PATH but failing, or without output: reinstall, verified locally.
    for (const SetupProbeBundle& facts :
         {claudeFacts({brewClaude}, {}, 1, "Error"), claudeFacts({brewClaude}, {brewClaude}, 0, std::nullopt),
          claudeFacts({brewClaude}, {}, std::nullopt, "2.1.3")}) {
        const BasicSetupStage attention = cliStage(facts);
        EXPECT_EQ(attention.diagnosis(),
                  (SetupDiagnosis{"Claude Code CLI needs attention",
                                  "`claude` is on your PATH but didn't run cleanly. We'll (re)install it via "
                                  "Homebrew.",
                                  C::fixable}));
        EXPECT_EQ(attention.actions(), QList{R::installClaudeCLI().setupAction()});
        EXPECT_EQ(attention.actions()[0].id, "brew:claude-code@latest");
        EXPECT_EQ(attention.actions()[0].verifyPolicy, VerifyPolicy::localVerification);
    }

    // Installed in ~/.local/bin but not on PATH: repair PATH to that folder.
    const QString localClaude = QStringLiteral("/Users/tester/.local/bin/claude");
    const BasicSetupStage hidden = cliStage(claudeFacts({}, {localClaude}, 127, std::nullopt));
    EXPECT_EQ(
        hidden.diagnosis(),
        (SetupDiagnosis{"Claude Code is installed but not on your PATH",
                        "`claude` exists at /Users/tester/.local/bin/claude but your shell can't find it. "
                        "We'll add it to your PATH (after backing up `~/.zprofile`).",
                        C::fixable}));
    EXPECT_EQ(hidden.actions(), QList{R::repairPath("/Users/tester/.local/bin").setupAction()});
    EXPECT_EQ(hidden.actions()[0].id, "path-repair:/Users/tester/.local/bin");
    EXPECT_EQ(hidden.actions()[0].verifyPolicy, VerifyPolicy::localVerification);
}

TEST(DevelopmentStages, OtherDomainsVerdictsAndFixes) {
    const SetupProbeBundle none = claudeFacts({}, {}, 127, std::nullopt);
    SystemProfile profile = profileOn(Architecture::appleSilicon);

    // Cursor or Windsurf alone is no editor: Zed first, then VS Code.
    profile.aiTooling.cursor = profile.aiTooling.windsurf = true;
    EXPECT_EQ(makeDevelopmentRemediations("editor", profile, none),
              (QList{R::installZed(), R::installVSCode()}));
    profile.aiTooling.vsCode = true;
    EXPECT_THAT(makeDevelopmentRemediations("editor", profile, none), IsEmpty());

    // The example project: one template on a Mac without tooling, simple then coding with Homebrew.
    EXPECT_EQ(makeDevelopmentRemediations("project", profileOn(Architecture::intel), none),
              QList{R::createProject(ProjectTemplate::simple)});
    SystemProfile tooled = profileOn(Architecture::intel);
    tooled.homebrewPrefix = QStringLiteral("/usr/local/bin/brew");
    EXPECT_EQ(makeDevelopmentRemediations("project", tooled, none),
              (QList{R::createProject(ProjectTemplate::simple), R::createProject(ProjectTemplate::coding)}));

    // Ready stages stay in the list with no actions.
    SetupProbeBundle done = none;
    done.shellConfigured = done.projectExists = done.ghPresent = done.gitIdentitySet = done.ghAuthed = true;
    done.companionToolPresent = true;
    tooled.architecture = Architecture::appleSilicon;
    tooled.xcodeCommandLineToolsPath = QStringLiteral("/Library/Developer/CommandLineTools");
    tooled.aiTooling.claudeCodeDesktop = tooled.aiTooling.zed = tooled.aiTooling.warpApp = true;
    const QList<WorkflowStep> steps =
        makeDevelopmentStages(tooled, done, ProductConfig::current().sharedDomainCopy);
    for (const char* id : {"clt", "homebrew", "warp", "claude-desktop", "codex", "project", "editor",
                           "shell-config", "agent-docs", "git"}) {
        EXPECT_EQ(stageOf(steps, id).diagnosis().classification, C::ready) << id;
        EXPECT_THAT(stageOf(steps, id).actions(), IsEmpty()) << id;
    }
    EXPECT_EQ(stageOf(steps, "git").diagnosis().headline, "Git and GitHub are set up");
    // gh signed in but no identity: fixable, chosen on its screen.
    done.gitIdentitySet = false;
    EXPECT_EQ(
        claudeDomainDiagnosis("git", tooled, done, ProductConfig::current().sharedDomainCopy)->classification,
        C::fixable);
    EXPECT_THAT(makeDevelopmentRemediations("git", tooled, done), IsEmpty());

    // The agent note is asked for when the probes say so.
    done.agentDocNeeded = true;
    EXPECT_EQ(makeDevelopmentRemediations("agent-docs", tooled, done), QList{R::documentEnvironment()});

    // "ai-claude" has no verdict here, but the developer rules still name its fixes; unknown ids nothing.
    EXPECT_EQ(claudeDomainDiagnosis("ai-claude", tooled, done, ProductConfig::current().sharedDomainCopy),
              std::nullopt);
    EXPECT_EQ(makeDevelopmentRemediations("ai-claude", profileOn(Architecture::intel), none),
              (QList{R::installClaudeDesktop(), R::installClaudeCLI()}));
    for (const char* id : {"Codex", "claude", "", "languages"})
        EXPECT_THAT(makeDevelopmentRemediations(id, profileOn(Architecture::intel), none), IsEmpty()) << id;
    EXPECT_EQ(claudeDomainDiagnosis("Codex", tooled, done, ProductConfig::current().sharedDomainCopy),
              std::nullopt);
    for (const char* id :
         {"codex", "editor", "shell-config", "languages", "agent-docs", "project", "skills", "mcp", "git"})
        EXPECT_EQ(claudeDomainDiagnosis(id, tooled, done, ProductConfig::current().sharedDomainCopy),
                  aiCodingDiagnosis(id, tooled, done))
            << id;
}

TEST(ClaudeSpineCopy, ScreensFootersAndTexts) {
    const SpineCopy copy = claudeSpineCopy();
    const QStringList ids{"clt",     "homebrew", "claude-cli",   "warp",      "claude-desktop",
                          "codex",   "editor",   "shell-config", "languages", "agent-docs",
                          "project", "skills",   "mcp",          "git"};
    QStringList withFooter;
    for (const QString& id : ids) {
        const std::optional<SpineScreenCopy> screen = copy.screenCopy(id, std::nullopt);
        ASSERT_TRUE(screen) << id.toStdString();
        if (screen->footer) withFooter << id;
        // The screen stays the same whatever diagnosis it is given.
        EXPECT_EQ(copy.screenCopy(id, SetupDiagnosis{"x", "y", C::blocked}), screen);
    }
    EXPECT_EQ(withFooter, (QStringList{"codex", "project", "mcp", "git"}));
    EXPECT_EQ(copy.screenCopy("git", std::nullopt),
              (SpineScreenCopy{"Version control with Git and GitHub", "Set up Git with GitHub",
                               "Git is already on your Mac. We'll set your name and email for "
                               "commits, then sign you in to GitHub "
                               "so you can save and back up your work — no password re-typing.",
                               "We never see your GitHub password — sign-in happens in your browser. "
                               "Your name and email are saved "
                               "to ~/.gitconfig; your login is stored securely by the GitHub CLI."}));
    EXPECT_EQ(
        copy.screenCopy("clt", std::nullopt)->body,
        "Homebrew and Git need Apple's Command Line Tools. We'll download and install them for you — it can "
        "take several minutes, and macOS will ask for your password once.");

    // No screen for "ai-claude" or unknown ids, while their status lines still answer with the id.
    for (const char* id : {"ai-claude", "Git", "nope"}) {
        EXPECT_EQ(copy.screenCopy(id, std::nullopt), std::nullopt) << id;
        EXPECT_EQ(copy.statusLabel(id, {"h", "d", C::ready}), QString::fromUtf8(id) + ": installed");
    }
    // Only the classification is read.
    EXPECT_EQ(copy.statusLabel("claude-cli", {"Claude Code CLI is ready", "d", C::blocked}),
              "Claude Code: needs attention");
    EXPECT_EQ(copy.statusLabel("claude-desktop", {"", "", C::fixable}), "Claude Desktop: not installed");
    EXPECT_EQ(copy.statusLabel("clt", {"", "", C::unknown}), "Command Line Tools: unknown");
    EXPECT_EQ(copy.statusLabel("homebrew", {"Homebrew is installed for the wrong chip", "", C::fixable}),
              "Homebrew: not installed");
    EXPECT_EQ(copy.statusLabel("warp", {"", "", C::ready}), "Warp: installed");

    EXPECT_THAT(
        (QStringList{copy.diagnosisWindowTitle, copy.diagnosisHeadline, copy.diagnosisFooter,
                     copy.diagnosisArticlePath, copy.verifyingTitle, copy.continueWindowTitle,
                     copy.continueHeadline, copy.continueBody, copy.summaryWindowTitle, copy.summaryHeadline,
                     copy.summaryAllVerified, copy.summarySomeUnverified, copy.selfCheckTip,
                     copy.outcomeQuestion, copy.updateArticlePath, copy.troubleshootingArticlePath,
                     copy.outcomeWindowTitle, copy.projectFolderPrompt}),
        ElementsAre("Diagnosis", "Here's what the system check found",
                    "Nothing changes on your Mac without your okay.", "claude-code/prerequisites",
                    "Verifying Claude Code…", "Keep going?", "Check the developer environment?",
                    "Claude Code is set up. We'll continue with a check of shell configuration, editors, and "
                    "programming languages.",
                    "Done", "Your Mac is ready for Claude Code", "All tools are verified as working",
                    "Some tools could not be verified. You can re-run the setup, or continue and try again.",
                    "In an AI app, ask the agent: “Is my development environment set up for coding?”",
                    "Did this pretty much complete what you came to do?", "claude-code/update",
                    "claude-code/command-not-found", "One last thing",
                    "Choose a folder for Claude to work in"));
}

TEST(ClaudeSpineProvider, SpineAndRemediations) {
    const ClaudeSpineProvider provider;
    const SetupProbeBundle none = claudeFacts({}, {}, 127, std::nullopt);
    for (const Architecture architecture :
         {Architecture::appleSilicon, Architecture::unknown, Architecture::intel}) {
        const SystemProfile profile = profileOn(architecture);
        EXPECT_EQ(provider.makeSpine(QStringLiteral("git"), profile, none, emptySpineSelection()),
                  std::nullopt);
        const std::optional<SetupWorkflow> workflow =
            provider.makeSpine(std::nullopt, profile, none, emptySpineSelection());
        ASSERT_TRUE(workflow);
        EXPECT_EQ(workflow->steps,
                  makeDevelopmentStages(profile, none, ProductConfig::current().sharedDomainCopy));
        EXPECT_EQ(workflow->steps.size(), architecture == Architecture::intel ? 13 : 14);
    }

    SystemProfile warp = profileOn(Architecture::appleSilicon);
    EXPECT_EQ(provider.remediations("warp", warp, none), QList{R::installWarp()});
    warp.aiTooling.warpApp = true;
    EXPECT_THAT(provider.remediations("warp", warp, none), IsEmpty());
    for (const char* id : {"clt", "homebrew", "claude-cli", "claude-desktop", "codex", "project", "x"})
        EXPECT_EQ(provider.remediations(id, warp, none), makeDevelopmentRemediations(id, warp, none)) << id;
}
