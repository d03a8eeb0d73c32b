#include "catalog/AICodingDomains.h"

namespace qlan {
namespace {

constexpr auto ready = SetupDiagnosisClassification::ready;
constexpr auto fixable = SetupDiagnosisClassification::fixable;

SetupDiagnosis make(const char* headline, const char* detail, SetupDiagnosisClassification classification) {
    return {QString::fromUtf8(headline), QString::fromUtf8(detail), classification};
}

bool hasCodex(const SystemProfile& profile, const SetupProbeBundle& bundle) {
    return profile.aiTooling.codexCLI || profile.aiTooling.codexDesktop || bundle.companionToolPresent;
}

bool hasEditor(const SystemProfile& profile) {
    return profile.aiTooling.zed || profile.aiTooling.vsCode;
}

} // namespace

bool isAICodingDomain(const QString& domainID) {
    static const QStringList domains{
        QStringLiteral("ai-claude"),    QStringLiteral("codex"),     QStringLiteral("editor"),
        QStringLiteral("shell-config"), QStringLiteral("languages"), QStringLiteral("agent-docs"),
        QStringLiteral("project"),      QStringLiteral("skills"),    QStringLiteral("mcp"),
        QStringLiteral("git"),
    };
    return domains.contains(domainID, Qt::CaseSensitive);
}

std::optional<SetupDiagnosis> aiCodingDiagnosis(const QString& domainID, const SystemProfile& profile,
                                                const SetupProbeBundle& bundle) {
    const AITooling& ai = profile.aiTooling;
    if (domainID == QLatin1String("ai-claude")) {
        if (ai.claudeCodeCLI && ai.claudeCodeDesktop)
            return make("Claude is installed", "You have Claude Desktop and the Claude Code CLI.", ready);
        return make(
            "Install Claude",
            "Claude Code is Anthropic's AI coding assistant — a desktop app and a terminal CLI. Install "
            "whichever you want; already-installed ones are grayed out.",
            fixable);
    }
    if (domainID == QLatin1String("codex")) {
        if (!hasCodex(profile, bundle))
            return make(
                "Also install Codex?",
                "Codex is OpenAI's coding agent. It is available in your terminal and in the ChatGPT desktop "
                "app.",
                fixable);
        return make("Codex is installed", "You already have Codex.", ready);
    }
    if (domainID == QLatin1String("editor")) {
        if (hasEditor(profile))
            return make("You have an editor", "A recommended editor is already installed.", ready);
        return make("Install Zed, a better editor",
                    "Based on what you have, we recommend Zed, a native and fast editor. VS Code is a slower "
                    "alternative if you prefer it.",
                    fixable);
    }
    if (domainID == QLatin1String("shell-config")) {
        if (bundle.shellConfigured)
            return make("Your shell is configured",
                        "Your shell files already have the PATH, mise, and ~/.env setup we add.", ready);
        return make(
            "Shell configuration",
            "We'll configure your shell files so a new terminal finds your tools, and create ~/.env for your "
            "API keys.",
            fixable);
    }
    if (domainID == QLatin1String("languages"))
        return make(
            "Install programming languages",
            "Pick the languages you want. This app also installs a version manager where it's advisable (uv "
            "for Python, mise for Node and Ruby and Rust).",
            fixable);
    if (domainID == QLatin1String("agent-docs")) {
        if (bundle.agentDocNeeded)
            return make(
                "Tell your AI agent how your Mac is set up",
                "We'll add a short note to your agent's instructions (CLAUDE.md / AGENTS.md) describing how "
                "your tools are set up.",
                fixable);
        return make("Your AI agent is set up",
                    "Your agent's instructions already describe how your tools are configured.", ready);
    }
    if (domainID == QLatin1String("project")) {
        if (bundle.projectExists)
            return make("Your project is set up", "You already have an example project in ~/Documents.",
                        ready);
        return make("Set up a project",
                    "Set up an example project, with CLAUDE.md and AGENTS.md files for guidance.", fixable);
    }
    if (domainID == QLatin1String("skills"))
        return make("Add SKILLS",
                    "Skills add new capabilities to AI agents. Some skills are just instructions; some run "
                    "code. Type "
                    "'/' (slash) in AI chat to see available skills.",
                    fixable);
    if (domainID == QLatin1String("mcp"))
        return make(
            "Add MCP servers",
            "MCP servers connect AI agents to services they can't reach on their own, such as web searches "
            "and macOS apps (some services need a sign-in). We set up the configuration so you don't get "
            "annoying errors.",
            fixable);
    if (domainID == QLatin1String("git")) {
        if (bundle.ghPresent && bundle.gitIdentitySet && bundle.ghAuthed)
            return make("Git and GitHub are set up",
                        "Your name and email are configured and you're signed in to GitHub.", ready);
        return make(
            "Set up Git with GitHub",
            "Git is already on your Mac. We'll set your name and email for commits, then you can sign in to "
            "set up GitHub for use without password re-typing.",
            fixable);
    }
    return std::nullopt;
}

QList<SetupRemediation> aiCodingRemediations(const QString& domainID, const SystemProfile& profile,
                                             const SetupProbeBundle& bundle) {
    const AITooling& ai = profile.aiTooling;
    QList<SetupRemediation> fixes;
    if (domainID == QLatin1String("ai-claude")) {
        if (!ai.claudeCodeDesktop) fixes.append(SetupRemediation::installClaudeDesktop());
        if (!ai.claudeCodeCLI) fixes.append(SetupRemediation::installClaudeCLI());
    } else if (domainID == QLatin1String("codex")) {
        if (!hasCodex(profile, bundle))
            fixes << SetupRemediation::installCodexCLI() << SetupRemediation::installCodexDesktop();
    } else if (domainID == QLatin1String("editor")) {
        if (!hasEditor(profile)) fixes << SetupRemediation::installZed() << SetupRemediation::installVSCode();
    } else if (domainID == QLatin1String("shell-config")) {
        if (!bundle.shellConfigured) fixes.append(SetupRemediation::configureShell());
    } else if (domainID == QLatin1String("agent-docs")) {
        if (bundle.agentDocNeeded) fixes.append(SetupRemediation::documentEnvironment());
    } else if (domainID == QLatin1String("project")) {
        if (!bundle.projectExists) {
            fixes.append(SetupRemediation::createProject(ProjectTemplate::simple));
            if (profile.hasExistingTooling())
                fixes.append(SetupRemediation::createProject(ProjectTemplate::coding));
        }
    }
    return fixes;
}

} // namespace qlan
