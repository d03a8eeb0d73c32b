#include "catalog/SetupRemediation.h"

namespace qlan {
namespace {

// "We'll run `brew install --cask <cask>`" opens the captions of the cask installs.
QString caskRun(const QString& cask) {
    return QStringLiteral("We'll run `brew install --cask ") + cask;
}
QString miseRun(const QString& spec) {
    return QStringLiteral("We'll run `mise use -g ") + spec;
}

} // namespace

SetupRemediation SetupRemediation::repairPath(QString directory) {
    return SetupRemediation(Kind::repairPath, RepairPath{std::move(directory)});
}

SetupRemediation SetupRemediation::createProject(ProjectTemplate projectTemplate,
                                                 std::optional<QString> destinationPath) {
    return SetupRemediation(Kind::createProject, CreateProject{projectTemplate, std::move(destinationPath)});
}

SetupRemediation SetupRemediation::installSkill(AgentSkill skill) {
    return SetupRemediation(Kind::installSkill, InstallSkill{std::move(skill)});
}

SetupRemediation SetupRemediation::addMCPServer(MCPServer server, std::optional<QString> apiKey) {
    return SetupRemediation(Kind::addMCPServer, AddMCPServer{std::move(server), std::move(apiKey)});
}

SetupRemediation SetupRemediation::configureGit(QString name, QString email) {
    return SetupRemediation(Kind::configureGit, ConfigureGit{std::move(name), std::move(email)});
}

QString SetupRemediation::id() const {
    switch (kind_) {
    case Kind::repairPath:
        return QStringLiteral("path-repair:") + payloadAs<RepairPath>()->directory;
    case Kind::createProject:
        return QStringLiteral("example:") + toText(payloadAs<CreateProject>()->projectTemplate);
    case Kind::installSkill:
        return QStringLiteral("skill:") + payloadAs<InstallSkill>()->skill.slug;
    case Kind::addMCPServer:
        return QStringLiteral("mcp:") + payloadAs<AddMCPServer>()->server.slug;
    case Kind::configureGit:
        return QStringLiteral("git:config");
    case Kind::installCommandLineTools:
        return QStringLiteral("clt");
    case Kind::installHomebrew:
        return QStringLiteral("homebrew");
    case Kind::installClaudeCLI:
        return QStringLiteral("brew:claude-code@latest");
    case Kind::repairHomebrewPath:
        return QStringLiteral("path-repair:homebrew");
    case Kind::installWarp:
        return QStringLiteral("brew:warp");
    case Kind::installClaudeDesktop:
        return QStringLiteral("brew:claude");
    case Kind::installZed:
        return QStringLiteral("brew:zed");
    case Kind::installVSCode:
        return QStringLiteral("brew:visual-studio-code");
    case Kind::installCodexCLI:
        return QStringLiteral("brew:codex");
    case Kind::installCodexDesktop:
        return QStringLiteral("brew:codex-app");
    case Kind::configureShell:
        return QStringLiteral("shell-config");
    case Kind::installUv:
        return QStringLiteral("uv");
    case Kind::installMise:
        return QStringLiteral("brew:mise");
    case Kind::installNodeViaMise:
        return QStringLiteral("mise:node@lts");
    case Kind::installRubyViaMise:
        return QStringLiteral("mise:ruby@latest");
    case Kind::installRustViaMise:
        return QStringLiteral("mise:rust");
    case Kind::installRustup:
        return QStringLiteral("rustup");
    case Kind::installTemurin:
        return QStringLiteral("brew:temurin");
    case Kind::documentEnvironment:
        return QStringLiteral("env-doc");
    case Kind::installGh:
        return QStringLiteral("brew:gh");
    case Kind::githubAuth:
        return QStringLiteral("git:gh-auth");
    }
    return {};
}

QString SetupRemediation::displayLabel() const {
    switch (kind_) {
    case Kind::repairPath:
        return QStringLiteral("Fix your PATH so `claude` is found");
    case Kind::createProject:
        return payloadAs<CreateProject>()->projectTemplate == ProjectTemplate::coding
                   ? QStringLiteral("Create the coding project")
                   : QStringLiteral("Create the example project");
    case Kind::installSkill:
        return QStringLiteral("Add ") + payloadAs<InstallSkill>()->skill.displayName;
    case Kind::addMCPServer:
        return QStringLiteral("Add ") + payloadAs<AddMCPServer>()->server.displayName;
    case Kind::configureGit:
        return QStringLiteral("Save your Git name and email");
    case Kind::installCommandLineTools:
        return QStringLiteral("Install Command Line Tools");
    case Kind::installHomebrew:
        return QStringLiteral("Install Homebrew (recommended)");
    case Kind::installClaudeCLI:
        return QStringLiteral("Install Claude Code CLI (recommended)");
    case Kind::repairHomebrewPath:
        return QStringLiteral("Fix your PATH so `brew` is found");
    case Kind::installWarp:
        return QStringLiteral("Install Warp (recommended)");
    case Kind::installClaudeDesktop:
        return QStringLiteral("Install Claude Desktop (recommended)");
    case Kind::installZed:
        return QStringLiteral("Install Zed");
    case Kind::installVSCode:
        return QStringLiteral("Install VS Code");
    case Kind::installCodexCLI:
        return QStringLiteral("Install Codex CLI");
    case Kind::installCodexDesktop:
        return QStringLiteral("Install Codex desktop app");
    case Kind::configureShell:
        return QStringLiteral("Set up my shell");
    case Kind::installUv:
        return QStringLiteral("Install Python (uv)");
    case Kind::installMise:
        return QStringLiteral("Install mise (version manager)");
    case Kind::installNodeViaMise:
        return QStringLiteral("Install Node (via mise)");
    case Kind::installRubyViaMise:
        return QStringLiteral("Install Ruby (via mise)");
    case Kind::installRustViaMise:
        return QStringLiteral("Install Rust (via mise)");
    case Kind::installRustup:
        return QStringLiteral("Install Rust (rustup)");
    case Kind::installTemurin:
        return QStringLiteral("Install Java (Temurin)");
    case Kind::documentEnvironment:
        return QStringLiteral("Document the setup for your AI agent");
    case Kind::installGh:
        return QStringLiteral("Install the GitHub CLI");
    case Kind::githubAuth:
        return QStringLiteral("Sign in to GitHub");
    }
    return {};
}

QString SetupRemediation::caption() const {
    switch (kind_) {
    case Kind::repairPath:
        return QStringLiteral("We'll add `") + payloadAs<RepairPath>()->directory +
               QStringLiteral(
                   "` to your PATH in `~/.zprofile` (after backing it up to `~/.zprofile.bak`) so your "
                   "shell can find `claude`.");
    case Kind::createProject:
        return payloadAs<CreateProject>()->projectTemplate == ProjectTemplate::coding
                   ? QStringLiteral(
                         "We'll copy a spec-driven coding project into ~/Documents/AI-Coding-Project — a "
                         "worked scaffold that teaches sustainable AI-assisted development.")
                   : QStringLiteral(
                         "We'll copy a ready-to-use sample project into ~/Documents/AI-Simple-Project — a "
                         "folder to open with Claude, with notes to try and CLAUDE.md / AGENTS.md "
                         "guidance.");
    case Kind::installSkill: {
        const AgentSkill& skill = payloadAs<InstallSkill>()->skill;
        return QStringLiteral("We'll add the ") + skill.displayName +
               QStringLiteral(" skill to your AI agents — ") + skill.badge + QStringLiteral(".");
    }
    case Kind::addMCPServer: {
        const MCPServer& server = payloadAs<AddMCPServer>()->server;
        return QStringLiteral("We'll add the ") + server.displayName +
               (server.isOAuth()
                    ? QStringLiteral(" MCP server to your AI agents, then you sign in inside Claude or "
                                     "Codex to finish.")
                    : QStringLiteral(" MCP server to your AI agents."));
    }
    case Kind::configureGit:
        return QStringLiteral(
            "We'll set your name and email with `git config --global`, and a couple of sensible defaults.");
    case Kind::installCommandLineTools:
        return QStringLiteral("");
    case Kind::installHomebrew:
        return QStringLiteral(
            "We'll run the official Homebrew install script. macOS will prompt for your password "
            "(three times, as needed).");
    case Kind::installClaudeCLI:
        return caskRun(QStringLiteral("claude-code@latest")) +
               QStringLiteral(
                   "` so Claude Code stays updatable under Homebrew, then verify `claude --version` runs.");
    case Kind::repairHomebrewPath:
        return QStringLiteral(
            "We'll add Homebrew to your PATH in `~/.zprofile` (after backing it up to "
            "`~/.zprofile.bak`) so your shell can find `brew`, then re-check in a fresh shell.");
    case Kind::installWarp:
        return QStringLiteral(
            "We'll install Warp via Homebrew — the modern, AI-assisted macOS terminal we recommend.");
    case Kind::installClaudeDesktop:
        return caskRun(QStringLiteral("claude")) +
               QStringLiteral("` to install the Claude desktop app, then confirm it's present.");
    case Kind::installZed:
        return caskRun(QStringLiteral("zed")) + QStringLiteral("` to install Zed, a native and fast editor.");
    case Kind::installVSCode:
        return caskRun(QStringLiteral("visual-studio-code")) +
               QStringLiteral("` to install Visual Studio Code.");
    case Kind::installCodexCLI:
        return caskRun(QStringLiteral("codex")) +
               QStringLiteral("` to install the Codex CLI in your terminal.");
    case Kind::installCodexDesktop:
        return caskRun(QStringLiteral("codex-app")) + QStringLiteral("` to install the Codex desktop app.");
    case Kind::configureShell:
        return QStringLiteral(
            "We'll set up `~/.zprofile` (PATH), `~/.zshrc` (aliases and completions), and `~/.env` "
            "(API keys). Each file is backed up first, and nothing is overwritten.");
    case Kind::installUv:
        return QStringLiteral("We'll install uv (Astral's installer), use it to install Python, and add uv's "
                              "`~/.local/bin` to your PATH.");
    case Kind::installMise:
        return QStringLiteral("We'll install mise with Homebrew to manage Node and Ruby versions, and "
                              "activate it in your shell.");
    case Kind::installNodeViaMise:
        return miseRun(QStringLiteral("node@lts")) + QStringLiteral("` to install the latest LTS Node.");
    case Kind::installRubyViaMise:
        return miseRun(QStringLiteral("ruby@latest")) + QStringLiteral("` to install the latest Ruby.");
    case Kind::installRustViaMise:
        return miseRun(QStringLiteral("rust")) +
               QStringLiteral(
                   "` to install Rust. mise uses rustup underneath, so cargo and rustc resolve through "
                   "mise.");
    case Kind::installRustup:
        return QStringLiteral(
            "We'll install rustup (Rust's official installer) and the stable toolchain, and add "
            "`~/.cargo/bin` to your PATH.");
    case Kind::installTemurin:
        return QStringLiteral("We'll install the Temurin JDK with Homebrew (`") + QStringLiteral("temurin") +
               QStringLiteral("` cask) and set JAVA_HOME.");
    case Kind::documentEnvironment:
        return QStringLiteral("");
    case Kind::installGh:
        return QStringLiteral("We'll run `brew install ") + QStringLiteral("gh") +
               QStringLiteral("` to install the GitHub CLI.");
    case Kind::githubAuth:
        return QStringLiteral(
            "We'll open GitHub sign-in in your browser, then set up Git so pushes don't ask for a "
            "password. We never see your GitHub password.");
    }
    return {};
}

QString SetupRemediation::telemetryMethod() const {
    switch (kind_) {
    case Kind::repairPath:
        return QStringLiteral("zprofile_write");
    case Kind::createProject:
        return QStringLiteral("template_copy");
    case Kind::installSkill:
        return QStringLiteral("skill_install");
    case Kind::addMCPServer:
        return QStringLiteral("mcp_add");
    case Kind::configureGit:
        return QStringLiteral("git_config");
    case Kind::installCommandLineTools:
        return QStringLiteral("softwareupdate");
    case Kind::installHomebrew:
        return QStringLiteral("homebrew");
    case Kind::repairHomebrewPath:
        return QStringLiteral("zprofile_write");
    case Kind::installClaudeCLI:
    case Kind::installWarp:
    case Kind::installClaudeDesktop:
    case Kind::installZed:
    case Kind::installVSCode:
    case Kind::installCodexCLI:
    case Kind::installCodexDesktop:
    case Kind::installMise:
    case Kind::installTemurin:
    case Kind::installGh:
        return QStringLiteral("brew");
    case Kind::configureShell:
        return QStringLiteral("shell_config");
    case Kind::installUv:
        return QStringLiteral("uv");
    case Kind::installNodeViaMise:
    case Kind::installRubyViaMise:
    case Kind::installRustViaMise:
        return QStringLiteral("mise");
    case Kind::installRustup:
        return QStringLiteral("rustup");
    case Kind::documentEnvironment:
        return QStringLiteral("env_doc");
    case Kind::githubAuth:
        return QStringLiteral("gh_auth");
    }
    return {};
}

VerifyPolicy SetupRemediation::verifyPolicy() const {
    switch (kind_) {
    case Kind::repairPath:
    case Kind::installClaudeCLI:
    case Kind::repairHomebrewPath:
    case Kind::installClaudeDesktop:
        return VerifyPolicy::localVerification;
    default:
        return VerifyPolicy::installCompletion;
    }
}

SetupAction SetupRemediation::setupAction() const {
    return {id(), displayLabel(), caption(), verifyPolicy()};
}

} // namespace qlan
