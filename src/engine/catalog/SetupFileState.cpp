#include "catalog/SetupFileState.h"

#include "platform/ProbeSupport.h"

namespace qlan {

QString SetupFileState::zprofilePath() const {
    return fs->homeDirectory() + QStringLiteral("/.zprofile");
}

QString SetupFileState::zshrcPath() const {
    return fs->homeDirectory() + QStringLiteral("/.zshrc");
}

QString SetupFileState::envPath() const {
    return fs->homeDirectory() + QStringLiteral("/.env");
}

QString SetupFileState::claudeDocPath() const {
    return fs->homeDirectory() + QStringLiteral("/.claude/CLAUDE.md");
}

QString SetupFileState::codexDocPath() const {
    return fs->homeDirectory() + QStringLiteral("/.codex/AGENTS.md");
}

bool SetupFileState::hasActiveLine(const QString& text, const QStringList& needles) {
    for (const QString& line : probing::trimmedLines(text)) {
        if (line.startsWith(QLatin1Char('#'))) continue;
        for (const QString& needle : needles)
            if (line.contains(needle, Qt::CaseSensitive)) return true;
    }
    return false;
}

bool SetupFileState::shellConfigured() const {
    const std::optional<QString> zprofile = probing::readText(fs.get(), zprofilePath());
    if (!zprofile || !hasActiveLine(*zprofile, {zprofileNeedle})) return false;
    const std::optional<QString> zshrc = probing::readText(fs.get(), zshrcPath());
    if (!zshrc || !hasActiveLine(*zshrc, {zshrcNeedle})) return false;
    return exists(envPath());
}

bool SetupFileState::agentDocNeeded() const {
    const DetectedTools tools = detectTools();
    if (tools.claude && !readOrEmpty(claudeDocPath()).contains(agentSectionMarker, Qt::CaseSensitive))
        return true;
    if (tools.codex && !readOrEmpty(codexDocPath()).contains(agentSectionMarker, Qt::CaseSensitive))
        return true;
    return false;
}

SetupFileState::DetectedTools SetupFileState::detectTools() const {
    DetectedTools tools;
    tools.homebrew = isInHomebrewBin(QStringLiteral("brew"));
    tools.uv = isInHomebrewBin(QStringLiteral("uv")) || homeItemExists(QStringLiteral(".local/bin/uv"));
    tools.mise = isInHomebrewBin(QStringLiteral("mise")) || homeItemExists(QStringLiteral(".local/bin/mise"));
    tools.rust =
        homeItemExists(QStringLiteral(".cargo/bin/cargo")) || zprofileContains(QStringLiteral(".cargo/bin"));
    tools.java = zprofileContains(QStringLiteral("JAVA_HOME"));
    tools.claude =
        isInHomebrewBin(QStringLiteral("claude")) || homeItemExists(QStringLiteral(".local/bin/claude")) ||
        homeItemExists(QStringLiteral(".claude")) || exists(QStringLiteral("/Applications/Claude.app"));
    tools.codex = isInHomebrewBin(QStringLiteral("codex")) || homeItemExists(QStringLiteral(".codex")) ||
                  exists(QStringLiteral("/Applications/Codex.app"));
    return tools;
}

bool SetupFileState::isInHomebrewBin(const QString& name) const {
    return exists(QStringLiteral("/opt/homebrew/bin/") + name) ||
           exists(QStringLiteral("/usr/local/bin/") + name);
}

bool SetupFileState::zprofileContains(const QString& text) const {
    return readOrEmpty(zprofilePath()).contains(text, Qt::CaseSensitive);
}

bool SetupFileState::exists(const QString& path) const {
    return probing::exists(fs.get(), path, nullptr);
}

bool SetupFileState::homeItemExists(const QString& relative) const {
    return exists(fs->homeDirectory() + QLatin1Char('/') + relative);
}

QString SetupFileState::readOrEmpty(const QString& path) const {
    return probing::readText(fs.get(), path).value_or(QString());
}

} // namespace qlan
