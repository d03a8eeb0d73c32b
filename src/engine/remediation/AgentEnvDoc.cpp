#include "remediation/AgentEnvDoc.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/FileEditLock.h"

#include <QFileInfo>

namespace qlan {

QString AgentEnvDoc::claudeDocPath() const {
    return SetupFileState(fs).claudeDocPath();
}

QString AgentEnvDoc::codexDocPath() const {
    return SetupFileState(fs).codexDocPath();
}

bool AgentEnvDoc::exists(const QString& path) const {
    return probing::exists(fs.get(), path, nullptr);
}

bool AgentEnvDoc::isInHomebrewBin(const QString& name) const {
    return SetupFileState(fs).isInHomebrewBin(name);
}

bool AgentEnvDoc::zprofileContains(const QString& text) const {
    return SetupFileState(fs).zprofileContains(text);
}

AgentEnvDoc::DetectedTools AgentEnvDoc::detectTools() const {
    return SetupFileState(fs).detectTools();
}

bool AgentEnvDoc::readDocs() const {
    return SetupFileState(fs).agentDocNeeded();
}

} // namespace qlan

namespace qlan {

QString AgentEnvDoc::render(const DetectedTools& tools) {
    QStringList lines{
        QStringLiteral("<!-- ") + sectionMarker.toString() +
            QStringLiteral(" (managed; you can edit the lines below) -->"),
        QStringLiteral("## Development environment (Quillane)"),
        QString(),
        QStringLiteral(
            "This Mac's developer toolchain was configured by Quillane. One owner per language (no "
            "conflicting version managers on PATH). When working in a project, drive per-project "
            "versions with the manager that owns the language:"),
        QString(),
    };
    if (tools.homebrew) lines << QStringLiteral("- Homebrew is the base package manager (`brew`).");
    if (tools.uv)
        lines << QStringLiteral(
            "- Python: uv owns Python. `uv python install <version>`, `uv venv` / `.venv`, "
            "`uv run`; pin per project with `uv python pin <version>`. Do not use a Homebrew "
            "or system `python` for projects.");
    if (tools.mise)
        lines << QStringLiteral(
            "- Node / Ruby: mise manages versions. `mise use node@<version>` / `mise use "
            "ruby@<version>` per project (writes `mise.toml`); `mise use -g <tool>@<version>` "
            "sets the global default.");
    if (tools.rust)
        lines << QStringLiteral(
            "- Rust: rustup owns toolchains. `rustup default <toolchain>`, `rustup toolchain "
            "install`, `cargo`.");
    if (tools.java)
        lines << QStringLiteral(
            "- Java: Temurin JDK via Homebrew; `JAVA_HOME` is set with `/usr/libexec/java_home` "
            "(use `-v <N>` to select a version).");
    lines << QString()
          << QStringLiteral(
                 "PATH and tool activation live in `~/.zprofile` (login shells, including this agent's "
                 "own subshells) and `~/.zshrc` (interactive mise activation). API keys go in `~/.env` "
                 "(sourced by `~/.zshrc`); never hardcode a key.")
          << QString();
    return lines.join(QLatin1Char('\n'));
}

AgentEnvDoc::Result AgentEnvDoc::document() const {
    const DetectedTools tools = detectTools();
    if (!tools.claude && !tools.codex)
        return {{QStringLiteral("No AI agent (Claude or Codex) detected — skipping the agent setup note.")},
                true};
    const QString section = render(tools);
    Result result;
    if (tools.claude)
        write(claudeDocPath(), section, QStringLiteral("Claude (~/.claude/CLAUDE.md)"), result.messages,
              result.succeeded);
    if (tools.codex)
        write(codexDocPath(), section, QStringLiteral("Codex (~/.codex/AGENTS.md)"), result.messages,
              result.succeeded);
    return result;
}

void AgentEnvDoc::write(const QString& path, const QString& section, const QString& label,
                        QStringList& messages, bool& succeeded) const {
    try {
        const FileEditLock lock(*fs, path);
        // An existing file that is not UTF-8 text throws here and is never rewritten.
        const bool existed = exists(path);
        const QString text = existed ? fs->readString(path) : QString();
        if (text.contains(sectionMarker, Qt::CaseSensitive)) {
            messages << label + QStringLiteral(" already documents the setup — nothing to do.");
            return;
        }
        try {
            fs->createDirectory(QFileInfo(path).path(), true);
        } catch (const std::exception&) {
            // The write below fails then and is reported.
        }
        QString separator;
        if (!text.isEmpty()) {
            FileAppendWriter::writeBackup(*fs, path, FileAppendWriter::backupPathFor(path), text);
            separator = text.endsWith(QLatin1Char('\n')) ? QStringLiteral("\n") : QStringLiteral("\n\n");
        }
        FileWriteOptions options;
        options.onlyIfUnchanged = {existed, text.toUtf8()};
        fs->writeFile((text + separator + section + QLatin1Char('\n')).toUtf8(), path, options);
    } catch (const std::exception& error) {
        messages << QStringLiteral("Couldn't write ") + label + QStringLiteral(": ") +
                        errorDescription(error);
        succeeded = false;
        return;
    }
    messages << QStringLiteral("Documented your setup for ") + label + QLatin1Char('.');
}

} // namespace qlan
