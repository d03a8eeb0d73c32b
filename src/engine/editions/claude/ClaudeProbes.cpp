#include "editions/claude/ClaudeProbes.h"

#include "catalog/SetupFileState.h"
#include "platform/ChildTask.h"
#include "platform/ProbeSupport.h"

namespace qlan {

QString ClaudeProbes::home() const {
    return probing::homeDirectory(fs.get());
}

QStringList ClaudeProbes::pathLookup() const {
    const std::optional<ProcessResult> result =
        probing::runLoginShell(shell.process.get(), QStringLiteral("/usr/bin/which -a claude")).result;
    if (!result || result->exitCode != 0) return {};
    return probing::absolutePathLines(result->stdOut);
}

std::pair<std::optional<QString>, std::optional<std::int32_t>> ClaudeProbes::version() const {
    const std::optional<ProcessResult> result =
        probing::runLoginShell(shell.process.get(), QStringLiteral("claude --version 2>&1")).result;
    if (!result) return {std::nullopt, -1};
    const QString output = result->stdOut.trimmed();
    return {output.isEmpty() ? std::nullopt : std::optional<QString>(output), result->exitCode};
}

bool ClaudeProbes::presence(const QStringList& paths, const QString& program) const {
    for (const QString& path : paths)
        if (probing::exists(fs.get(), path, nullptr)) return true;
    return probing::programIsFound(shell.process.get(), program);
}

bool ClaudeProbes::codexPresent() const {
    return presence({QStringLiteral("/opt/homebrew/bin/codex"), QStringLiteral("/usr/local/bin/codex")},
                    QStringLiteral("codex"));
}

bool ClaudeProbes::ghPresent() const {
    return presence({QStringLiteral("/opt/homebrew/bin/gh"), QStringLiteral("/usr/local/bin/gh")},
                    QStringLiteral("gh"));
}

bool ClaudeProbes::gitIdentitySet() const {
    // Without the Command Line Tools, Xcode or a Homebrew git, running `git` would only start Apple's
    // installer prompt.
    bool anyGit = false;
    for (const char* path : {"/Library/Developer/CommandLineTools", "/Applications/Xcode.app",
                             "/opt/homebrew/bin/git", "/usr/local/bin/git"})
        if (probing::exists(fs.get(), QString::fromLatin1(path), nullptr)) {
            anyGit = true;
            break;
        }
    if (!anyGit) return false;
    const std::optional<ProcessResult> result =
        probing::runLoginShell(
            shell.process.get(),
            QStringLiteral("git config --global --get user.name >/dev/null && git config --global "
                           "--get user.email >/dev/null"))
            .result;
    return result && result->exitCode == 0;
}

bool ClaudeProbes::ghAuthed() const {
    const std::optional<ProcessResult> result =
        probing::runLoginShell(shell.process.get(), QStringLiteral("gh auth status")).result;
    return result && result->exitCode == 0;
}

QStringList ClaudeProbes::installedScan() const {
    const QString homeFolder = home();
    QStringList candidates{QStringLiteral("/opt/homebrew/bin/claude"),
                           QStringLiteral("/usr/local/bin/claude")};
    if (!homeFolder.isEmpty())
        candidates << probing::appendingPath(homeFolder, QStringLiteral(".local/bin/claude"))
                   << probing::appendingPath(homeFolder, QStringLiteral(".claude/local/claude"));
    QStringList found;
    for (const QString& path : candidates)
        if (probing::exists(fs.get(), path, nullptr)) found.append(path);
    return found;
}

bool ClaudeProbes::projectExists() const {
    const QString homeFolder = home();
    return !homeFolder.isEmpty() &&
           probing::exists(fs.get(),
                           probing::appendingPath(homeFolder, QStringLiteral("Documents/AI-Simple-Project")),
                           nullptr);
}

SetupProbeBundle ClaudeProbes::probeAll() const {
    auto pathTask = startChildTask([this] { return pathLookup(); });
    auto versionTask = startChildTask([this] { return version(); });
    auto codexTask = startChildTask([this] { return codexPresent(); });
    auto ghTask = startChildTask([this] { return ghPresent(); });
    auto identityTask = startChildTask([this] { return gitIdentitySet(); });
    auto authTask = startChildTask([this] { return ghAuthed(); });

    SetupProbeBundle bundle;
    bundle.installedPrimaryToolLocations = installedScan();
    std::tie(bundle.versionOutput, bundle.versionExitCode) = versionTask.get();
    bundle.pathVisiblePrimaryTools = pathTask.get();
    bundle.companionToolPresent = codexTask.get();
    bundle.shellConfigured = SetupFileState(fs).shellConfigured();
    bundle.agentDocNeeded = SetupFileState(fs).agentDocNeeded();
    bundle.projectExists = projectExists();
    bundle.ghPresent = ghTask.get();
    bundle.gitIdentitySet = identityTask.get();
    bundle.ghAuthed = authTask.get();
    return bundle;
}

} // namespace qlan
