#include "catalog/SetupRemediation.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace qlan {
namespace {

using Kind = SetupRemediation::Kind;
constexpr VerifyPolicy local = VerifyPolicy::localVerification;
constexpr VerifyPolicy install = VerifyPolicy::installCompletion;

// One kind of fix: its stable id (for a kind with an argument, the part before the argument), button
// label, caption, telemetry method word and verification policy. A null label or caption is made from
// the payload (payloadLabel, payloadCaption).
struct KindRow {
    Kind kind;
    const char* id;
    const char* label;
    const char* caption;
    const char* method;
    VerifyPolicy policy;
};

// Every kind, in declaration order.
constexpr KindRow kindRows[] = {
    {Kind::repairPath, "path-repair:", "Fix your PATH so `claude` is found", nullptr, "zprofile_write",
     local},
    {Kind::createProject, "example:", nullptr, nullptr, "template_copy", install},
    {Kind::installSkill, "skill:", nullptr, nullptr, "skill_install", install},
    {Kind::addMCPServer, "mcp:", nullptr, nullptr, "mcp_add", install},
    {Kind::configureGit, "git:config", "Save your Git name and email",
     "We'll set your name and email with `git config --global`, and a couple of sensible defaults.",
     "git_config", install},
    {Kind::installCommandLineTools, "clt", "Install Command Line Tools", "", "softwareupdate", install},
    {Kind::installHomebrew, "homebrew", "Install Homebrew (recommended)",
     "We'll run the official Homebrew install script. macOS will prompt for your password (three times, as "
     "needed).",
     "homebrew", install},
    {Kind::installClaudeCLI, "brew:claude-code@latest", "Install Claude Code CLI (recommended)",
     "We'll run `brew install --cask claude-code@latest` so Claude Code stays updatable under Homebrew, then "
     "verify `claude --version` runs.",
     "brew", local},
    {Kind::repairHomebrewPath, "path-repair:homebrew", "Fix your PATH so `brew` is found",
     "We'll add Homebrew to your PATH in `~/.zprofile` (after backing it up to `~/.zprofile.bak`) so your "
     "shell can find `brew`, then re-check in a fresh shell.",
     "zprofile_write", local},
    {Kind::installWarp, "brew:warp", "Install Warp (recommended)",
     "We'll install Warp via Homebrew — the modern, AI-assisted macOS terminal we recommend.", "brew",
     install},
    {Kind::installClaudeDesktop, "brew:claude", "Install Claude Desktop (recommended)",
     "We'll run `brew install --cask claude` to install the Claude desktop app, then confirm it's present.",
     "brew", local},
    {Kind::installZed, "brew:zed", "Install Zed",
     "We'll run `brew install --cask zed` to install Zed, a native and fast editor.", "brew", install},
    {Kind::installVSCode, "brew:visual-studio-code", "Install VS Code",
     "We'll run `brew install --cask visual-studio-code` to install Visual Studio Code.", "brew", install},
    {Kind::installCodexCLI, "brew:codex", "Install Codex CLI",
     "We'll run `brew install --cask codex` to install the Codex CLI in your terminal.", "brew", install},
    {Kind::installCodexDesktop, "brew:codex-app", "Install Codex desktop app",
     "We'll run `brew install --cask codex-app` to install the Codex desktop app.", "brew", install},
    {Kind::configureShell, "shell-config", "Set up my shell",
     "We'll set up `~/.zprofile` (PATH), `~/.zshrc` (aliases and completions), and `~/.env` (API keys). "
     "Each file is backed up first, and nothing is overwritten.",
     "shell_config", install},
    {Kind::installUv, "uv", "Install Python (uv)",
     "We'll install uv (Astral's installer), use it to install Python, and add uv's `~/.local/bin` to your "
     "PATH.",
     "uv", install},
    {Kind::installMise, "brew:mise", "Install mise (version manager)",
     "We'll install mise with Homebrew to manage Node and Ruby versions, and activate it in your shell.",
     "brew", install},
    {Kind::installNodeViaMise, "mise:node@lts", "Install Node (via mise)",
     "We'll run `mise use -g node@lts` to install the latest LTS Node.", "mise", install},
    {Kind::installRubyViaMise, "mise:ruby@latest", "Install Ruby (via mise)",
     "We'll run `mise use -g ruby@latest` to install the latest Ruby.", "mise", install},
    {Kind::installRustViaMise, "mise:rust", "Install Rust (via mise)",
     "We'll run `mise use -g rust` to install Rust. mise uses rustup underneath, so cargo and rustc resolve "
     "through mise.",
     "mise", install},
    {Kind::installRustup, "rustup", "Install Rust (rustup)",
     "We'll install rustup (Rust's official installer) and the stable toolchain, and add `~/.cargo/bin` to "
     "your PATH.",
     "rustup", install},
    {Kind::installTemurin, "brew:temurin", "Install Java (Temurin)",
     "We'll install the Temurin JDK with Homebrew (`temurin` cask) and set JAVA_HOME.", "brew", install},
    {Kind::documentEnvironment, "env-doc", "Document the setup for your AI agent", "", "env_doc", install},
    {Kind::installGh, "brew:gh", "Install the GitHub CLI",
     "We'll run `brew install gh` to install the GitHub CLI.", "brew", install},
    {Kind::githubAuth, "git:gh-auth", "Sign in to GitHub",
     "We'll open GitHub sign-in in your browser, then set up Git so pushes don't ask for a password. We "
     "never "
     "see your GitHub password.",
     "gh_auth", install},
};

constexpr bool rowsInDeclarationOrder() {
    for (std::size_t i = 0; i < std::size(kindRows); ++i)
        if (static_cast<std::size_t>(kindRows[i].kind) != i) return false;
    return std::size(kindRows) == SetupRemediation::kindCount;
}
static_assert(rowsInDeclarationOrder(), "kindRows holds every kind once, in declaration order");

const KindRow& rowOf(Kind kind) {
    return kindRows[static_cast<std::size_t>(kind)];
}

template <typename... F> struct Overloaded : F... { using F::operator()...; };
template <typename... F> Overloaded(F...) -> Overloaded<F...>; // Clang before 17 deduces no aggregate

// What follows the row's id: the folder, the template, the skill or the server; empty for other payloads.
QString idArgument(const SetupRemediation::Payload& payload) {
    return std::visit(
        Overloaded{[](const SetupRemediation::RepairPath& p) { return p.directory; },
                   [](const SetupRemediation::CreateProject& p) { return toText(p.projectTemplate); },
                   [](const SetupRemediation::InstallSkill& p) { return p.skill.slug; },
                   [](const SetupRemediation::AddMCPServer& p) { return p.server.slug; },
                   [](const auto&) { return QString(); }},
        payload);
}

QString payloadLabel(const SetupRemediation::Payload& payload) {
    return std::visit(Overloaded{[](const SetupRemediation::CreateProject& p) {
                                     return p.projectTemplate == ProjectTemplate::coding
                                                ? QStringLiteral("Create the coding project")
                                                : QStringLiteral("Create the example project");
                                 },
                                 [](const SetupRemediation::InstallSkill& p) {
                                     return QStringLiteral("Add ") + p.skill.displayName;
                                 },
                                 [](const SetupRemediation::AddMCPServer& p) {
                                     return QStringLiteral("Add ") + p.server.displayName;
                                 },
                                 [](const auto&) { return QString(); }},
                      payload);
}

QString payloadCaption(const SetupRemediation::Payload& payload) {
    return std::visit(
        Overloaded{
            [](const SetupRemediation::RepairPath& p) {
                return QStringLiteral("We'll add `") + p.directory +
                       QStringLiteral("` to your PATH in `~/.zprofile` (after backing it up to "
                                      "`~/.zprofile.bak`) so your shell can find `claude`.");
            },
            [](const SetupRemediation::CreateProject& p) {
                return p.projectTemplate == ProjectTemplate::coding
                           ? QStringLiteral("We'll copy a spec-driven coding project into "
                                            "~/Documents/AI-Coding-Project — a worked scaffold that teaches "
                                            "sustainable AI-assisted development.")
                           : QStringLiteral("We'll copy a ready-to-use sample project into "
                                            "~/Documents/AI-Simple-Project — a folder to open with Claude, "
                                            "with notes to try and CLAUDE.md / AGENTS.md guidance.");
            },
            [](const SetupRemediation::InstallSkill& p) {
                return QStringLiteral("We'll add the ") + p.skill.displayName +
                       QStringLiteral(" skill to your AI agents — ") + p.skill.badge + QStringLiteral(".");
            },
            [](const SetupRemediation::AddMCPServer& p) {
                return QStringLiteral("We'll add the ") + p.server.displayName +
                       (p.server.isOAuth() ? QStringLiteral(" MCP server to your AI agents, then you sign in "
                                                            "inside Claude or Codex to finish.")
                                           : QStringLiteral(" MCP server to your AI agents."));
            },
            [](const auto&) { return QString(); }},
        payload);
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
    return QString::fromUtf8(rowOf(kind_).id) + idArgument(payload_);
}

QString SetupRemediation::displayLabel() const {
    const char* label = rowOf(kind_).label;
    return label ? QString::fromUtf8(label) : payloadLabel(payload_);
}

QString SetupRemediation::caption() const {
    const char* caption = rowOf(kind_).caption;
    return caption ? QString::fromUtf8(caption) : payloadCaption(payload_);
}

QString SetupRemediation::telemetryMethod() const {
    return QString::fromUtf8(rowOf(kind_).method);
}

VerifyPolicy SetupRemediation::verifyPolicy() const {
    return rowOf(kind_).policy;
}

SetupAction SetupRemediation::setupAction() const {
    return {id(), displayLabel(), caption(), verifyPolicy()};
}

} // namespace qlan
