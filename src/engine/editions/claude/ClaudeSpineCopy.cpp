#include "editions/claude/ClaudeSpineCopy.h"

namespace qlan {
namespace {

SpineScreenCopy make(const char* windowTitle, const char* headline, const char* body,
                     const char* footer = nullptr) {
    return {QString::fromUtf8(windowTitle), QString::fromUtf8(headline), QString::fromUtf8(body),
            footer ? std::optional<QString>(QString::fromUtf8(footer)) : std::nullopt};
}

} // namespace

SpineCopy claudeSpineCopy() {
    SpineCopy copy;
    copy.screens = {
        {QStringLiteral("clt"),
         make(
             "Apple's Command Line Tools", "Install the Command Line Tools",
             "Homebrew and Git need Apple's Command Line Tools. We'll download and install them for you — it "
             "can take several minutes, and macOS will ask for your password once.")},
        {QStringLiteral("homebrew"),
         make("The Homebrew package manager", "Install Homebrew?",
              "Homebrew provides important developer tools and we use it to install Claude.")},
        {QStringLiteral("claude-cli"), make("AI coding tools", "Install Claude Code CLI",
                                            "Claude Code CLI runs in your terminal for AI-assisted coding. "
                                            "This app installs it with Homebrew "
                                            "and checks that it runs.")},
        {QStringLiteral("warp"), make("The terminal for the command line", "Install Warp, a better terminal",
                                      "You'll need a terminal to run Claude Code CLI. We suggest Warp, a "
                                      "fast terminal with AI to help "
                                      "learn and remember commands. Pellinor recommends it.")},
        {QStringLiteral("claude-desktop"),
         make(
             "AI desktop", "Add Claude Desktop",
             "The GUI app is a useful companion for the Claude Code CLI. Try both. This app installs it with "
             "Homebrew.")},
        {QStringLiteral("codex"),
         make("AI coding tools (continued)", "Also install Codex?",
              "Codex from OpenAI is another useful coding tool, in your terminal and as a desktop app. It's "
              "helpful to have both.",
              "We're not affiliated with OpenAI. We just like using both.")},
        {QStringLiteral("editor"),
         make("File editor", "Install Zed, a better editor",
              "Based on what you have, we recommend Zed, a native and fast editor. VS Code is a slower "
              "alternative if you prefer it.")},
        {QStringLiteral("shell-config"), make("Configure the shell for terminal use", "Shell configuration",
                                              "The shell is a terminal program that controls the command "
                                              "line interface (CLI). We'll correctly "
                                              "configure your shell files.")},
        {QStringLiteral("languages"), make("Programming languages", "Install programming languages",
                                           "Pick from Python, JavaScript (Node), Java, Ruby, or Rust. Choose "
                                           "more than one and this app sets "
                                           "up mise to manage versions.")},
        {QStringLiteral("agent-docs"),
         make("AI agent setup notes", "Document your setup for your AI agent",
              "We'll add a short note to your AI agent's instructions (CLAUDE.md / AGENTS.md) describing how "
              "your tools are set up. Your existing instructions are kept and backed up.")},
        {QStringLiteral("project"), make("A project for Claude", "Set up a project",
                                         "Give Claude a folder to work in, with CLAUDE.md and AGENTS.md "
                                         "files for guidance. Start with our "
                                         "sample project or choose your own.",
                                         "This app never overwrites an existing CLAUDE.md or AGENTS.md.")},
        {QStringLiteral("skills"), make("Skills", "Add SKILLS",
                                        "Skills add new capabilities to AI agents. Some skills are just "
                                        "instructions; some run code. Type "
                                        "'/' (slash) in AI chat to see available skills.")},
        {QStringLiteral("mcp"),
         make("MCP servers", "Add MCP servers",
              "MCP servers connect AI agents to services they can't reach on their own, such as web searches "
              "and macOS apps (some services need a sign-in). We set up the configuration so you don't get "
              "annoying errors.",
              "Connection keys are saved to your agent config file. Restart Claude or Codex to load new "
              "servers.")},
        {QStringLiteral("git"),
         make("Version control with Git and GitHub", "Set up Git with GitHub",
              "Git is already on your Mac. We'll set your name and email for commits, then sign you in to "
              "GitHub so you can save and back up your work — no password re-typing.",
              "We never see your GitHub password — sign-in happens in your browser. Your name and email are "
              "saved to ~/.gitconfig; your login is stored securely by the GitHub CLI.")},
    };
    copy.statusNames = {{QStringLiteral("clt"), QStringLiteral("Command Line Tools")},
                        {QStringLiteral("homebrew"), QStringLiteral("Homebrew")},
                        {QStringLiteral("claude-cli"), QStringLiteral("Claude Code")},
                        {QStringLiteral("warp"), QStringLiteral("Warp")},
                        {QStringLiteral("claude-desktop"), QStringLiteral("Claude Desktop")}};
    copy.diagnosisWindowTitle = QStringLiteral("Diagnosis");
    copy.diagnosisHeadline = QStringLiteral("Here's what the system check found");
    copy.diagnosisFooter = QStringLiteral("Nothing changes on your Mac without your okay.");
    copy.diagnosisArticlePath = QStringLiteral("claude-code/prerequisites");
    copy.verifyingTitle = QStringLiteral("Verifying Claude Code…");
    copy.continueWindowTitle = QStringLiteral("Keep going?");
    copy.continueHeadline = QStringLiteral("Check the developer environment?");
    copy.continueBody = QStringLiteral("Claude Code is set up. We'll continue with a check of shell "
                                       "configuration, editors, and programming languages.");
    copy.summaryWindowTitle = QStringLiteral("Done");
    copy.summaryHeadline = QStringLiteral("Your Mac is ready for Claude Code");
    copy.summaryAllVerified = QStringLiteral("All tools are verified as working");
    copy.summarySomeUnverified = QStringLiteral(
        "Some tools could not be verified. You can re-run the setup, or continue and try again.");
    copy.selfCheckTip =
        QStringLiteral("In an AI app, ask the agent: “Is my development environment set up for coding?”");
    copy.outcomeQuestion = QStringLiteral("Did this pretty much complete what you came to do?");
    copy.updateArticlePath = QStringLiteral("claude-code/update");
    copy.troubleshootingArticlePath = QStringLiteral("claude-code/command-not-found");
    copy.outcomeWindowTitle = QStringLiteral("One last thing");
    copy.projectFolderPrompt = QStringLiteral("Choose a folder for Claude to work in");
    return copy;
}

} // namespace qlan
