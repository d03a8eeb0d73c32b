#include "catalog/SharedDomainCopy.h"
#include "catalog/AICodingDomains.h"

#include <gtest/gtest.h>

using namespace qlan;

namespace {

using C = SetupDiagnosisClassification;
using R = SetupRemediation;

struct Row {
    const char* headline;
    const char* detail;
};

} // namespace

TEST(SharedDomainCopy, StandardAndClaudeWordingWordForWord) {
    const SharedDomainCopy& copy = SharedDomainCopy::standard();
    const QList<std::pair<SharedDomainCopy::State, Row>> rows{
        {copy.cltReady,
         {"Command Line Tools are installed",
          "Apple's Command Line Tools are present — required for Homebrew and Git."}},
        {copy.cltFixable,
         {"Install Apple's Command Line Tools", "Homebrew and Git need Apple's Command Line Tools. We'll "
                                                "open Apple's installer; it takes a few minutes."}},
        {copy.homebrewReady,
         {"Homebrew is installed",
          "Homebrew is present — we'll use it to install your tools coherently and keep them updatable."}},
        {copy.homebrewFixable,
         {"Homebrew isn't installed", "We'll install Homebrew first — it's how we install your tools as one "
                                      "coherent, updatable, removable "
                                      "setup."}},
        {copy.warpReady, {"Warp is installed", "You already have Warp."}},
        {copy.warpFixable,
         {"Try Warp — the AI-assisted terminal", "Warp is a modern macOS terminal we recommend."}},
    };
    for (const auto& [state, row] : rows) {
        EXPECT_EQ(state.headline, QString::fromUtf8(row.headline));
        EXPECT_EQ(state.detail, QString::fromUtf8(row.detail));
    }

    const SharedDomainCopy& claude = SharedDomainCopy::claudeEdition();
    EXPECT_EQ(
        claude.homebrewReady.detail,
        QStringLiteral("Homebrew is present — we'll use it to install Claude Code coherently and keep it "
                       "updatable."));
    EXPECT_EQ(claude.homebrewFixable.detail,
              QStringLiteral(
                  "We'll install Homebrew first — it's how we install the Claude Code CLI and Desktop as "
                  "one coherent, updatable, removable setup."));
    EXPECT_EQ(claude.warpFixable.detail,
              QStringLiteral("Warp is the modern macOS terminal we recommend for working with Claude Code."));
    // Everything else is the standard wording.
    EXPECT_EQ(claude.homebrewFixable.headline, QStringLiteral("Homebrew isn't installed"));
    SharedDomainCopy restored = claude;
    restored.homebrewReady.detail = copy.homebrewReady.detail;
    restored.homebrewFixable.detail = copy.homebrewFixable.detail;
    restored.warpFixable.detail = copy.warpFixable.detail;
    EXPECT_EQ(restored, copy);
}

TEST(SharedDomainCopy, CommandLineToolsAndHomebrewDiagnoses) {
    const SharedDomainCopy& copy = SharedDomainCopy::claudeEdition();
    SystemProfile fresh;
    EXPECT_EQ(copy.cltDiagnosis(fresh),
              (SetupDiagnosis{copy.cltFixable.headline, copy.cltFixable.detail, C::fixable}));
    EXPECT_EQ(copy.homebrewDiagnosis(fresh),
              (SetupDiagnosis{copy.homebrewFixable.headline, copy.homebrewFixable.detail, C::fixable}));
    SystemProfile tooled;
    tooled.xcodeCommandLineToolsPath = QStringLiteral("/Library/Developer/CommandLineTools");
    tooled.homebrewPrefix = QStringLiteral("/opt/homebrew/bin/brew");
    EXPECT_EQ(copy.cltDiagnosis(tooled),
              (SetupDiagnosis{copy.cltReady.headline, copy.cltReady.detail, C::ready}));
    EXPECT_EQ(copy.homebrewDiagnosis(tooled),
              (SetupDiagnosis{copy.homebrewReady.headline, copy.homebrewReady.detail, C::ready}));
}

TEST(AICodingDomains, DiagnosesWordForWordWithTheirRules) {
    const SystemProfile fresh;
    const SetupProbeBundle none;
    SystemProfile everything;
    everything.aiTooling.claudeCodeCLI = everything.aiTooling.claudeCodeDesktop = true;
    everything.aiTooling.codexCLI = everything.aiTooling.zed = true;
    SetupProbeBundle done;
    done.shellConfigured = done.projectExists = done.ghPresent = done.gitIdentitySet = done.ghAuthed = true;
    SetupProbeBundle docNeeded;
    docNeeded.agentDocNeeded = true;

    struct Case {
        const char* domain;
        const SystemProfile& profile;
        const SetupProbeBundle& bundle;
        const char* headline;
        const char* detail;
        C classification;
    };
    const QList<Case> cases{
        {"ai-claude", everything, none, "Claude is installed",
         "You have Claude Desktop and the Claude Code CLI.", C::ready},
        {"ai-claude", fresh, none, "Install Claude",
         "Claude Code is Anthropic's AI coding assistant — a desktop app and a terminal CLI. Install "
         "whichever you "
         "want; already-installed ones are grayed out.",
         C::fixable},
        {"codex", fresh, none, "Also install Codex?",
         "Codex is OpenAI's coding agent. It is available in your terminal and in the ChatGPT desktop app.",
         C::fixable},
        {"codex", everything, none, "Codex is installed", "You already have Codex.", C::ready},
        {"editor", everything, none, "You have an editor", "A recommended editor is already installed.",
         C::ready},
        {"editor", fresh, none, "Install Zed, a better editor",
         "Based on what you have, we recommend Zed, a native and fast editor. VS Code is a slower "
         "alternative if you "
         "prefer it.",
         C::fixable},
        {"shell-config", fresh, done, "Your shell is configured",
         "Your shell files already have the PATH, mise, and ~/.env setup we add.", C::ready},
        {"shell-config", fresh, none, "Shell configuration",
         "We'll configure your shell files so a new terminal finds your tools, and create ~/.env for your "
         "API keys.",
         C::fixable},
        {"languages", everything, done, "Install programming languages",
         "Pick the languages you want. This app also installs a version manager where it's advisable (uv for "
         "Python, "
         "mise for Node and Ruby and Rust).",
         C::fixable},
        {"agent-docs", fresh, docNeeded, "Tell your AI agent how your Mac is set up",
         "We'll add a short note to your agent's instructions (CLAUDE.md / AGENTS.md) describing how your "
         "tools are "
         "set up.",
         C::fixable},
        {"agent-docs", fresh, none, "Your AI agent is set up",
         "Your agent's instructions already describe how your tools are configured.", C::ready},
        {"project", fresh, done, "Your project is set up",
         "You already have an example project in ~/Documents.", C::ready},
        {"project", fresh, none, "Set up a project",
         "Set up an example project, with CLAUDE.md and AGENTS.md files for guidance.", C::fixable},
        {"skills", everything, done, "Add SKILLS",
         "Skills add new capabilities to AI agents. Some skills are just instructions; some run code. Type "
         "'/' "
         "(slash) in AI chat to see available skills.",
         C::fixable},
        {"mcp", everything, done, "Add MCP servers",
         "MCP servers connect AI agents to services they can't reach on their own, such as web searches and "
         "macOS "
         "apps (some services need a sign-in). We set up the configuration so you don't get annoying errors.",
         C::fixable},
        {"git", fresh, done, "Git and GitHub are set up",
         "Your name and email are configured and you're signed in to GitHub.", C::ready},
        {"git", fresh, none, "Set up Git with GitHub",
         "Git is already on your Mac. We'll set your name and email for commits, then you can sign in to set "
         "up "
         "GitHub for use without password re-typing.",
         C::fixable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.domain);
        EXPECT_EQ(
            aiCodingDiagnosis(QString::fromUtf8(c.domain), c.profile, c.bundle),
            (SetupDiagnosis{QString::fromUtf8(c.headline), QString::fromUtf8(c.detail), c.classification}));
    }

    // Git needs all three of its flags.
    SetupProbeBundle signedOut = done;
    signedOut.ghAuthed = false;
    EXPECT_EQ(aiCodingDiagnosis(QStringLiteral("git"), fresh, signedOut)->classification, C::fixable);

    // Only the ten exact ids are AI-coding domains.
    for (const char* id : {"clt", "warp", "homebrew", "Codex", "claude-cli", ""}) {
        EXPECT_EQ(aiCodingDiagnosis(QString::fromUtf8(id), fresh, none), std::nullopt) << id;
        EXPECT_TRUE(aiCodingRemediations(QString::fromUtf8(id), fresh, none).isEmpty()) << id;
        EXPECT_FALSE(isAICodingDomain(QString::fromUtf8(id))) << id;
    }
    for (const char* id : {"ai-claude", "codex", "editor", "shell-config", "languages", "agent-docs",
                           "project", "skills", "mcp", "git"})
        EXPECT_TRUE(isAICodingDomain(QString::fromUtf8(id))) << id;
}

TEST(AICodingDomains, RemediationsFollowTheDiagnoses) {
    const SetupProbeBundle none;
    const auto remediations = [&](const char* id, const SystemProfile& profile,
                                  const SetupProbeBundle& bundle) {
        return aiCodingRemediations(QString::fromUtf8(id), profile, bundle);
    };

    // Claude Desktop without the CLI: fixable, and only the CLI is offered.
    SystemProfile desktopOnly;
    desktopOnly.aiTooling.claudeCodeDesktop = true;
    EXPECT_EQ(aiCodingDiagnosis(QStringLiteral("ai-claude"), desktopOnly, none)->headline,
              QStringLiteral("Install Claude"));
    EXPECT_EQ(remediations("ai-claude", desktopOnly, none), QList<R>{R::installClaudeCLI()});
    EXPECT_EQ(remediations("ai-claude", SystemProfile{}, none),
              (QList<R>{R::installClaudeDesktop(), R::installClaudeCLI()}));

    // Codex Desktop alone, or the companion flag, makes codex ready with nothing to do.
    SystemProfile codexDesktop;
    codexDesktop.aiTooling.codexDesktop = true;
    EXPECT_EQ(aiCodingDiagnosis(QStringLiteral("codex"), codexDesktop, none)->headline,
              QStringLiteral("Codex is installed"));
    EXPECT_TRUE(remediations("codex", codexDesktop, none).isEmpty());
    SetupProbeBundle companion;
    companion.companionToolPresent = true;
    EXPECT_EQ(aiCodingDiagnosis(QStringLiteral("codex"), SystemProfile{}, companion)->classification,
              C::ready);
    EXPECT_TRUE(remediations("codex", SystemProfile{}, companion).isEmpty());
    EXPECT_EQ(remediations("codex", SystemProfile{}, none),
              (QList<R>{R::installCodexCLI(), R::installCodexDesktop()}));

    // VS Code without Zed makes the editor ready.
    SystemProfile vsCode;
    vsCode.aiTooling.vsCode = true;
    EXPECT_EQ(aiCodingDiagnosis(QStringLiteral("editor"), vsCode, none)->classification, C::ready);
    EXPECT_TRUE(remediations("editor", vsCode, none).isEmpty());
    EXPECT_EQ(remediations("editor", SystemProfile{}, none), (QList<R>{R::installZed(), R::installVSCode()}));

    SetupProbeBundle configured;
    configured.shellConfigured = true;
    EXPECT_TRUE(remediations("shell-config", SystemProfile{}, configured).isEmpty());
    EXPECT_EQ(remediations("shell-config", SystemProfile{}, none), QList<R>{R::configureShell()});

    SetupProbeBundle docNeeded;
    docNeeded.agentDocNeeded = true;
    EXPECT_EQ(remediations("agent-docs", SystemProfile{}, docNeeded), QList<R>{R::documentEnvironment()});
    EXPECT_TRUE(remediations("agent-docs", SystemProfile{}, none).isEmpty());

    // A fresh Mac gets only the simple project; one with Homebrew gets the simple one, then the coding one.
    EXPECT_EQ(remediations("project", SystemProfile{}, none),
              QList<R>{R::createProject(ProjectTemplate::simple)});
    SystemProfile withHomebrew;
    withHomebrew.homebrewPrefix = QStringLiteral("/opt/homebrew/bin/brew");
    EXPECT_EQ(
        remediations("project", withHomebrew, none),
        (QList<R>{R::createProject(ProjectTemplate::simple), R::createProject(ProjectTemplate::coding)}));
    SetupProbeBundle projectThere;
    projectThere.projectExists = true;
    EXPECT_TRUE(remediations("project", withHomebrew, projectThere).isEmpty());

    // The picker domains have no list of their own, whatever the Mac.
    for (const char* id : {"languages", "skills", "mcp", "git"})
        EXPECT_TRUE(remediations(id, SystemProfile{}, none).isEmpty()) << id;

    // Everywhere else a list is non-empty exactly when the diagnosis is fixable.
    for (const char* id : {"ai-claude", "codex", "editor", "shell-config", "agent-docs", "project"})
        for (const SystemProfile* profile :
             std::initializer_list<const SystemProfile*>{&desktopOnly, &codexDesktop, &vsCode, &withHomebrew})
            for (const SetupProbeBundle* bundle : std::initializer_list<const SetupProbeBundle*>{
                     &none, &companion, &configured, &docNeeded, &projectThere}) {
                const bool fixable =
                    aiCodingDiagnosis(QString::fromUtf8(id), *profile, *bundle)->classification == C::fixable;
                EXPECT_EQ(!remediations(id, *profile, *bundle).isEmpty(), fixable) << id;
            }
}
