#include "catalog/SetupRemediation.h"
#include "catalog/SetupRemediationEvents.h"
#include "telemetry/EventValues.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

using namespace qlan;

namespace {

struct Expected {
    SetupRemediation remediation;
    const char* id;
    const char* label;
    const char* caption;
    const char* method;
    VerifyPolicy policy;
};

AgentSkill skill(const char* slug, const char* displayName, const char* badge) {
    return {QString::fromUtf8(slug),
            QString::fromUtf8(displayName),
            QString::fromUtf8(badge),
            AgentSkill::Bundle{QString::fromUtf8(slug)},
            false,
            false};
}

MCPServer server(const char* slug, const char* displayName, MCPServer::Connection connection) {
    return {QString::fromUtf8(slug),
            QString::fromUtf8(displayName),
            QStringLiteral("https://example.test/mcp"),
            QStringLiteral("summary"),
            std::nullopt,
            connection};
}

} // namespace

TEST(SetupRemediation, EveryCaseHasItsIdLabelCaptionMethodAndPolicy) {
    const QList<Expected> table{
        {SetupRemediation::repairPath(QStringLiteral("/opt/homebrew/bin")), "path-repair:/opt/homebrew/bin",
         "Fix your PATH so `claude` is found",
         "We'll add `/opt/homebrew/bin` to your PATH in `~/.zprofile` (after backing it up to "
         "`~/.zprofile.bak`) so "
         "your shell can find `claude`.",
         "zprofile_write", VerifyPolicy::localVerification},
        {SetupRemediation::createProject(ProjectTemplate::coding, QStringLiteral("/Users/ada/Work")),
         "example:coding", "Create the coding project",
         "We'll copy a spec-driven coding project into ~/Documents/AI-Coding-Project — a worked scaffold "
         "that teaches "
         "sustainable AI-assisted development.",
         "template_copy", VerifyPolicy::installCompletion},
        {SetupRemediation::createProject(ProjectTemplate::simple), "example:simple",
         "Create the example project",
         "We'll copy a ready-to-use sample project into ~/Documents/AI-Simple-Project — a folder to open "
         "with Claude, "
         "with notes to try and CLAUDE.md / AGENTS.md guidance.",
         "template_copy", VerifyPolicy::installCompletion},
        {SetupRemediation::installSkill(skill("tidy", "Tidy desk", "Keeps things neat")), "skill:tidy",
         "Add Tidy desk", "We'll add the Tidy desk skill to your AI agents — Keeps things neat.",
         "skill_install", VerifyPolicy::installCompletion},
        {SetupRemediation::addMCPServer(server("search", "Search", MCPServer::KeylessOptionalKey{}),
                                        QStringLiteral("key-1")),
         "mcp:search", "Add Search", "We'll add the Search MCP server to your AI agents.", "mcp_add",
         VerifyPolicy::installCompletion},
        {SetupRemediation::configureGit(QStringLiteral("Ada"), QStringLiteral("ada@example.com")),
         "git:config", "Save your Git name and email",
         "We'll set your name and email with `git config --global`, and a couple of sensible defaults.",
         "git_config", VerifyPolicy::installCompletion},
        {SetupRemediation::installCommandLineTools(), "clt", "Install Command Line Tools", "",
         "softwareupdate", VerifyPolicy::installCompletion},
        {SetupRemediation::installHomebrew(), "homebrew", "Install Homebrew (recommended)",
         "We'll run the official Homebrew install script. macOS will prompt for your password (three times, "
         "as needed).",
         "homebrew", VerifyPolicy::installCompletion},
        {SetupRemediation::installClaudeCLI(), "brew:claude-code@latest",
         "Install Claude Code CLI (recommended)",
         "We'll run `brew install --cask claude-code@latest` so Claude Code stays updatable under Homebrew, "
         "then verify `claude --version` runs.",
         "brew", VerifyPolicy::localVerification},
        {SetupRemediation::repairHomebrewPath(), "path-repair:homebrew", "Fix your PATH so `brew` is found",
         "We'll add Homebrew to your PATH in `~/.zprofile` (after backing it up to `~/.zprofile.bak`) so "
         "your shell can find `brew`, then re-check in a fresh shell.",
         "zprofile_write", VerifyPolicy::localVerification},
        {SetupRemediation::installWarp(), "brew:warp", "Install Warp (recommended)",
         "We'll install Warp via Homebrew — the modern, AI-assisted macOS terminal we recommend.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installClaudeDesktop(), "brew:claude", "Install Claude Desktop (recommended)",
         "We'll run `brew install --cask claude` to install the Claude desktop app, then confirm it's "
         "present.",
         "brew", VerifyPolicy::localVerification},
        {SetupRemediation::installZed(), "brew:zed", "Install Zed",
         "We'll run `brew install --cask zed` to install Zed, a native and fast editor.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installVSCode(), "brew:visual-studio-code", "Install VS Code",
         "We'll run `brew install --cask visual-studio-code` to install Visual Studio Code.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installCodexCLI(), "brew:codex", "Install Codex CLI",
         "We'll run `brew install --cask codex` to install the Codex CLI in your terminal.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installCodexDesktop(), "brew:codex-app", "Install Codex desktop app",
         "We'll run `brew install --cask codex-app` to install the Codex desktop app.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::configureShell(), "shell-config", "Set up my shell",
         "We'll set up `~/.zprofile` (PATH), `~/.zshrc` (aliases and completions), and `~/.env` (API keys). "
         "Each file is backed up first, and nothing is overwritten.",
         "shell_config", VerifyPolicy::installCompletion},
        {SetupRemediation::installUv(), "uv", "Install Python (uv)",
         "We'll install uv (Astral's installer), use it to install Python, and add uv's `~/.local/bin` to "
         "your PATH.",
         "uv", VerifyPolicy::installCompletion},
        {SetupRemediation::installMise(), "brew:mise", "Install mise (version manager)",
         "We'll install mise with Homebrew to manage Node and Ruby versions, and activate it in your shell.",
         "brew", VerifyPolicy::installCompletion},
        {SetupRemediation::installNodeViaMise(), "mise:node@lts", "Install Node (via mise)",
         "We'll run `mise use -g node@lts` to install the latest LTS Node.", "mise",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installRubyViaMise(), "mise:ruby@latest", "Install Ruby (via mise)",
         "We'll run `mise use -g ruby@latest` to install the latest Ruby.", "mise",
         VerifyPolicy::installCompletion},
        {SetupRemediation::installRustViaMise(), "mise:rust", "Install Rust (via mise)",
         "We'll run `mise use -g rust` to install Rust. mise uses rustup underneath, so cargo and rustc "
         "resolve through mise.",
         "mise", VerifyPolicy::installCompletion},
        {SetupRemediation::installRustup(), "rustup", "Install Rust (rustup)",
         "We'll install rustup (Rust's official installer) and the stable toolchain, and add `~/.cargo/bin` "
         "to your PATH.",
         "rustup", VerifyPolicy::installCompletion},
        {SetupRemediation::installTemurin(), "brew:temurin", "Install Java (Temurin)",
         "We'll install the Temurin JDK with Homebrew (`temurin` cask) and set JAVA_HOME.", "brew",
         VerifyPolicy::installCompletion},
        {SetupRemediation::documentEnvironment(), "env-doc", "Document the setup for your AI agent", "",
         "env_doc", VerifyPolicy::installCompletion},
        {SetupRemediation::installGh(), "brew:gh", "Install the GitHub CLI",
         "We'll run `brew install gh` to install the GitHub CLI.", "brew", VerifyPolicy::installCompletion},
        {SetupRemediation::githubAuth(), "git:gh-auth", "Sign in to GitHub",
         "We'll open GitHub sign-in in your browser, then set up Git so pushes don't ask for a password. We "
         "never see your GitHub password.",
         "gh_auth", VerifyPolicy::installCompletion},
    };

    QSet<int> kinds;
    for (const Expected& row : table) {
        SCOPED_TRACE(row.id);
        const SetupRemediation& remediation = row.remediation;
        kinds.insert(static_cast<int>(remediation.kind()));
        EXPECT_EQ(remediation.id(), QString::fromUtf8(row.id));
        EXPECT_EQ(remediation.displayLabel(), QString::fromUtf8(row.label));
        EXPECT_EQ(remediation.caption(), QString::fromUtf8(row.caption));
        EXPECT_EQ(remediation.telemetryMethod(), QString::fromUtf8(row.method));
        EXPECT_EQ(remediation.verifyPolicy(), row.policy);
        // The stage action made from it carries the same texts and policy.
        EXPECT_EQ(remediation.setupAction(), (SetupAction{remediation.id(), remediation.displayLabel(),
                                                          remediation.caption(), row.policy}));
    }
    EXPECT_EQ(kinds.size(), 26);
}

TEST(SetupRemediation, IdentifiersDependOnlyOnTheirArgumentWhileEqualityComparesTheWholePayload) {
    // The same id, yet different values.
    const auto homebrewDirectory = SetupRemediation::repairPath(QStringLiteral("homebrew"));
    EXPECT_EQ(homebrewDirectory.id(), SetupRemediation::repairHomebrewPath().id());
    EXPECT_EQ(homebrewDirectory.id(), QStringLiteral("path-repair:homebrew"));
    EXPECT_NE(homebrewDirectory, SetupRemediation::repairHomebrewPath());
    EXPECT_NE(homebrewDirectory.displayLabel(), SetupRemediation::repairHomebrewPath().displayLabel());

    // The directory goes into the id unchanged; an empty one leaves the bare prefix.
    EXPECT_EQ(SetupRemediation::repairPath(QStringLiteral("/Users/ada/.local/bin/")).id(),
              QStringLiteral("path-repair:/Users/ada/.local/bin/"));
    EXPECT_EQ(SetupRemediation::repairPath(QString()).id(), QStringLiteral("path-repair:"));
    EXPECT_EQ(SetupRemediation::repairPath(QStringLiteral("/a")),
              SetupRemediation::repairPath(QStringLiteral("/a")));
    EXPECT_NE(SetupRemediation::repairPath(QStringLiteral("/a")),
              SetupRemediation::repairPath(QStringLiteral("/a/")));

    // The destination does not reach the id or the caption, but does reach equality.
    const auto codingHere =
        SetupRemediation::createProject(ProjectTemplate::coding, QStringLiteral("/Users/ada/Work"));
    const auto codingDocuments = SetupRemediation::createProject(ProjectTemplate::coding);
    EXPECT_EQ(codingHere.id(), QStringLiteral("example:coding"));
    EXPECT_EQ(codingHere.id(), codingDocuments.id());
    EXPECT_EQ(codingHere.caption(), codingDocuments.caption());
    EXPECT_NE(codingHere, codingDocuments);
    EXPECT_NE(codingDocuments, SetupRemediation::createProject(ProjectTemplate::simple));

    // Git's name and e-mail never reach the id.
    const auto git = SetupRemediation::configureGit(QStringLiteral("Ada"), QStringLiteral("ada@example.com"));
    const auto otherGit =
        SetupRemediation::configureGit(QStringLiteral("Grace"), QStringLiteral("g@example.com"));
    EXPECT_EQ(git.id(), QStringLiteral("git:config"));
    EXPECT_EQ(otherGit.id(), QStringLiteral("git:config"));
    EXPECT_NE(git, otherGit);
    EXPECT_EQ(git.payloadAs<SetupRemediation::ConfigureGit>()->email, QStringLiteral("ada@example.com"));
    EXPECT_EQ(git.payloadAs<SetupRemediation::RepairPath>(), nullptr);

    // Payload-free cases equal themselves only.
    EXPECT_EQ(SetupRemediation::installGh(), SetupRemediation::installGh());
    EXPECT_NE(SetupRemediation::installGh(), SetupRemediation::githubAuth());
}

TEST(SetupRemediation, SkillAndServerCaptionsFollowTheirRecords) {
    // An OAuth server gets the sign-in tail; a key-based one the short tail, with or without a key.
    const MCPServer notion = MCPServer::builtIn().at(1);
    const auto addNotion = SetupRemediation::addMCPServer(notion);
    EXPECT_EQ(addNotion.id(), QStringLiteral("mcp:notion"));
    EXPECT_EQ(addNotion.caption(),
              QStringLiteral("We'll add the Notion MCP server to your AI agents, then you sign in "
                             "inside Claude or Codex to finish."));
    const MCPServer firecrawl = MCPServer::builtIn().at(0);
    const QString shortTail = QStringLiteral("We'll add the Firecrawl MCP server to your AI agents.");
    EXPECT_EQ(SetupRemediation::addMCPServer(firecrawl).caption(), shortTail);
    EXPECT_EQ(SetupRemediation::addMCPServer(firecrawl, QStringLiteral("fc-1")).caption(), shortTail);
    // The key never reaches the id, but does reach equality.
    EXPECT_EQ(SetupRemediation::addMCPServer(firecrawl, QStringLiteral("fc-1")).id(),
              QStringLiteral("mcp:firecrawl"));
    EXPECT_NE(SetupRemediation::addMCPServer(firecrawl, QStringLiteral("fc-1")),
              SetupRemediation::addMCPServer(firecrawl));
    EXPECT_NE(SetupRemediation::addMCPServer(firecrawl, QStringLiteral("fc-1")),
              SetupRemediation::addMCPServer(firecrawl, QStringLiteral("fc-2")));

    // An empty badge keeps the dash.
    AgentSkill bare = AgentSkill::builtIn().at(0);
    bare.badge.clear();
    EXPECT_TRUE(SetupRemediation::installSkill(bare).caption().endsWith(QStringLiteral(" — .")));
    // Skills compare as whole records.
    AgentSkill preselectedOff = AgentSkill::builtIn().at(0);
    preselectedOff.preselected = false;
    EXPECT_NE(SetupRemediation::installSkill(preselectedOff),
              SetupRemediation::installSkill(AgentSkill::builtIn().at(0)));
    EXPECT_EQ(SetupRemediation::installSkill(preselectedOff).id(), QStringLiteral("skill:avoid-ai-writing"));

    // The two empty captions are empty texts.
    EXPECT_TRUE(SetupRemediation::installCommandLineTools().caption().isEmpty());
    EXPECT_TRUE(SetupRemediation::documentEnvironment().caption().isEmpty());
}

TEST(SetupRemediation, TheEventsOfAFix) {
    const auto text = [](const QString& value) { return JSONValue::string(value); };
    const QString accented = QString("e\u0301").repeated(170); // a letter and a combining accent each
    const QString home = QDir::homePath();
    const SetupRemediation repair = SetupRemediation::repairPath(home + "/.local/bin");
    EXPECT_TRUE(repair.id().contains(home)) << repair.id().toStdString();
    const QString maskedID = homeMasked(repair.id());
    EXPECT_FALSE(maskedID.contains(home));

    EXPECT_EQ(
        setupRemediationAppliedEvent(repair),
        (TelemetryEvent{"remediation_applied",
                        {{"remediation_id", text(maskedID)}, {"method", text(repair.telemetryMethod())}}}));
    EXPECT_EQ(setupRemediationCompletedEvent(SetupRemediation::installHomebrew(), 0),
              (TelemetryEvent{"remediation_completed",
                              {{"remediation_id", text(SetupRemediation::installHomebrew().id())},
                               {"exit_code", JSONValue::integer(0)}}}));
    const auto failed =
        setupRemediationFailedEvent(SetupRemediation::installWarp(), -1, home + " " + accented);
    EXPECT_EQ(failed.name, "remediation_failed");
    EXPECT_EQ(failed.properties.value("exit_code"), JSONValue::integer(-1));
    EXPECT_EQ(failed.properties.value("reason"), text(cutToCharacters("/Users/~ " + accented, 160)));
}
