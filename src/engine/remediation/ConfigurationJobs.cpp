// Projects, skills, MCP servers, Git and GitHub. Every value put into a command line is one
// single-quoted word. A job that was cancelled starts no further command and edits no file; a fetched
// skill's temporary clone is still removed.

#include "remediation/RemediationJobs.h"

#include "catalog/VendorHosts.h"
#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "platform/ShellQuoting.h"
#include "remediation/GitConfigScript.h"
#include "remediation/MCPConfigWriter.h"
#include "remediation/SkillFolderInstaller.h"
#include "remediation/TemplateTreeCopier.h"

#include <QRegularExpression>
#include <QUuid>

namespace qlan::jobs {
namespace {

// What the jobs' threads read, also while the process ends, is never destroyed: constants, and objects
// made once and never freed.
constexpr QLatin1String codeHost(VendorHosts::codeHost);

void finishWith(const Output& out, bool succeeded) {
    out.completed(succeeded ? 0 : 1);
}

Events installBundledSkill(const Runner& runner, const AgentSkill& skill, const QString& name) {
    return Runner::fileJob([runner, skill, name](const Output& out) {
        const std::optional<QString> folder = skillResourceURL(runner, name);
        if (!folder) {
            out.line(
                QStringLiteral("Couldn't find the bundled %1 skill in the app — this build may be missing "
                               "its skill resources.")
                    .arg(skill.slug));
            return out.completed(1);
        }
        const SkillFolderInstaller::Result result =
            SkillFolderInstaller(runner.fs).install(*folder, skill.slug);
        out.lines(result.lines);
        finishWith(out, result.succeeded);
    });
}

Events installFetchedSkill(const Runner& runner, const AgentSkill& skill, const AgentSkill::Fetch& fetch) {
    return Runner::task([runner, skill, fetch](const Output& out, std::stop_token stop) {
        const QString temp = runner.fs->temporaryDirectory() + QStringLiteral("/qlan-skill-") + skill.slug +
                             QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        out.line(QStringLiteral("Fetching the %1 skill from %2…").arg(skill.displayName, fetch.repo));
        const QString command = QStringLiteral("git clone --filter=blob:none --no-checkout ") +
                                shellQuoted(fetch.repositoryURL().toString()) + QLatin1Char(' ') +
                                shellQuoted(temp) + QStringLiteral(" && git -C ") + shellQuoted(temp) +
                                QStringLiteral(" checkout ") + shellQuoted(fetch.pin);
        const std::int32_t status = runner.runShell(command, out, stop);
        bool ok = false;
        if (stop.stop_requested()) {
            // Cancelled: nothing is installed.
        } else if (status == 0) {
            const QString folder =
                fetch.subpath == QLatin1String(".") ? temp : temp + QLatin1Char('/') + fetch.subpath;
            const SkillFolderInstaller::Result result =
                SkillFolderInstaller(runner.fs).install(folder, skill.slug);
            out.lines(result.lines);
            ok = result.succeeded;
        } else {
            out.line(QStringLiteral("Couldn't fetch %1 from %2.").arg(skill.slug, fetch.repo));
        }
        try {
            if (runner.fs->fileExists(temp)) runner.fs->removeItem(temp);
        } catch (const std::exception&) {
            // A clone left in the temporary folder harms nothing.
        }
        finishWith(out, ok);
    });
}

} // namespace

bool isToolInstalled(const Runner& runner, const QString& tool, std::stop_token stop) {
    for (const QString& folder : {QStringLiteral("/opt/homebrew/bin/"), QStringLiteral("/usr/local/bin/")})
        if (runner.fs->fileExists(folder + tool)) return true;
    // Only the exit status counts; the shell's output is not shown.
    auto [ignored, capture] = Events::make();
    const std::int32_t status = runner.runShell(probing::programLookupCommand(tool), Output(capture), stop);
    capture.finish();
    return status == 0;
}

std::optional<QString> templateResourceURL(const Runner& runner, ProjectTemplate projectTemplate) {
    return runner.resources.folder(*runner.fs,
                                   QStringLiteral("example-projects/") + folderName(projectTemplate));
}

std::optional<QString> skillResourceURL(const Runner& runner, const QString& name) {
    return runner.resources.folder(*runner.fs, QStringLiteral("skills/") + name);
}

Events createProject(const Runner& runner, const SetupRemediation::CreateProject& project) {
    return Runner::fileJob([runner, project](const Output& out) {
        const QString folder = folderName(project.projectTemplate);
        const std::optional<QString> source = templateResourceURL(runner, project.projectTemplate);
        if (!source) {
            out.line(QStringLiteral("Couldn't find the bundled %1 template in the app — this build may be "
                                    "missing its project resources.")
                         .arg(folder));
            return out.completed(1);
        }
        const bool intoExisting = project.destinationPath.has_value();
        const QString destination = intoExisting
                                        ? *project.destinationPath
                                        : runner.fs->homeDirectory() + QStringLiteral("/Documents/") + folder;
        const TemplateTreeCopier::Result result =
            TemplateTreeCopier(runner.fs).createProject(*source, destination, intoExisting);
        out.lines(result.lines);
        finishWith(out, result.succeeded);
    });
}

Events installSkill(const Runner& runner, const AgentSkill& skill) {
    if (const auto* fetch = std::get_if<AgentSkill::Fetch>(&skill.source))
        return installFetchedSkill(runner, skill, *fetch);
    return installBundledSkill(runner, skill, std::get<AgentSkill::Bundle>(skill.source).name);
}

Events addMCPServer(const Runner& runner, const SetupRemediation::AddMCPServer& request) {
    return Runner::task([runner, request](const Output& out, std::stop_token stop) {
        const MCPServer& server = request.server;
        // A key goes into its template percent-encoded; an empty key, no template or OAuth: the plain URL.
        const QString endpoint = server.endpoint(request.apiKey);
        const MCPConfigWriter writer(runner.fs);
        const bool desktop = runner.fs->fileExists(writer.claudeDesktopConfig());
        const bool claude = isToolInstalled(runner, QStringLiteral("claude"), stop);
        bool claudeFailed = false;
        if (claude) {
            out.line(QStringLiteral("Adding %1 to Claude Code…").arg(server.displayName));
            claudeFailed =
                runner.runShell(MCPConfigWriter::claudeAddCommand(server.slug, endpoint), out, stop) != 0;
        } else if (runner.fs->fileExists(runner.fs->homeDirectory() + QStringLiteral("/.claude"))) {
            out.line(QStringLiteral("Claude Code CLI isn't on your PATH — skipping it for %1.")
                         .arg(server.displayName));
        }
        if (stop.stop_requested()) return; // cancelled: Codex's file stays as it was

        const MCPConfigWriter::CodexResult codex = writer.addToCodex(server.slug, endpoint);
        out.lines(codex.lines);
        const bool failed = claudeFailed || (codex.codexFound && !codex.succeeded);
        if (desktop)
            out.line(
                QStringLiteral("For Claude Desktop’s Chat, add %1 under Settings → Connectors — the Code tab "
                               "already has it.")
                    .arg(server.displayName));
        if (!claude && !codex.codexFound) {
            if (!desktop)
                out.line(QStringLiteral("No AI agent is set up yet — nothing to configure %1 for.")
                             .arg(server.displayName));
            return out.completed(0);
        }
        if (server.isOAuth() && !failed)
            out.line(QStringLiteral("Sign in to %1 inside Claude or Codex, then restart it to finish.")
                         .arg(server.displayName));
        finishWith(out, !failed);
    });
}

Events configureGit(const Runner& runner, const SetupRemediation::ConfigureGit& identity) {
    return Runner::task([runner, identity](const Output& out, std::stop_token stop) {
        // A lone surrogate would reach git as another character: refused rather than saved altered.
        for (const auto& [value, what] : {std::pair{identity.name, QStringLiteral("name")},
                                          std::pair{identity.email, QStringLiteral("email")}}) {
            if (value.isValidUtf16()) continue;
            out.line(
                QStringLiteral("Couldn't save your Git %1: it holds a character that isn't valid Unicode "
                               "text. Type it again without that character.")
                    .arg(what));
            return out.completed(1);
        }
        out.line(QStringLiteral("Saving your Git name and email…"));
        const std::int32_t status =
            runner.runShell(GitConfigScript::build(identity.name, identity.email), out, stop);
        if (status == 0) out.line(QStringLiteral("Saved to ~/.gitconfig."));
        out.completed(status);
    });
}

Events installGh(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        const std::optional<std::int32_t> status =
            installFormulaStep(runner, QStringLiteral("gh"), out, stop);
        if (!status || stop.stop_requested()) return out.canceled();
        out.completed(*status);
    });
}

Events githubAuth(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Starting GitHub sign-in…"));
        const QString login = QStringLiteral("gh auth login --web --git-protocol https --hostname ") +
                              codeHost + QStringLiteral(" --skip-ssh-key");
        static const auto* const codePattern =
            new QRegularExpression(QStringLiteral("[A-Z0-9]{4}-[A-Z0-9]{4}"));
        static const auto* const devicePattern =
            new QRegularExpression(QStringLiteral("https://") + QRegularExpression::escape(codeHost) +
                                   QStringLiteral("/login/device"));
        std::optional<QString> code;
        bool opened = false;
        try {
            auto child = runner.process->stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), login});
            while (std::optional<ProcessStreamEvent> event = child.first.next(stop)) {
                if (event->kind == ProcessStreamEvent::Kind::failedToStart) {
                    out.line(QStringLiteral("Failed to start: ") + event->text);
                    continue;
                }
                if (event->kind != ProcessStreamEvent::Kind::line) continue; // the exit status is not used
                const QString& line = event->text;
                out.line(line, event->omitted);
                if (!code && line.toLower().contains(QLatin1String("code"))) {
                    const QRegularExpressionMatch match = codePattern->match(line);
                    if (match.hasMatch()) code = match.captured();
                }
                if (!opened) {
                    const QRegularExpressionMatch match = devicePattern->match(line);
                    if (match.hasMatch()) {
                        out.openBrowser(match.captured(), code);
                        opened = true;
                    }
                }
            }
        } catch (const std::exception& error) {
            out.line(QStringLiteral("Failed to start: ") + errorDescription(error));
        }
        if (stop.stop_requested()) return;

        if (runner.runShell(QStringLiteral("gh auth status >/dev/null 2>&1"), out, stop) != 0) {
            out.line(
                QStringLiteral("GitHub sign-in not completed. You can finish anytime by running `gh auth "
                               "login` in your terminal."));
            return out.completed(1);
        }
        runner.runShell(QStringLiteral("gh auth setup-git"), out, stop);
        out.line(QStringLiteral("Signed in to GitHub. Git is ready — pushes won't ask for a password."));
        out.completed(0);
    });
}

} // namespace qlan::jobs
