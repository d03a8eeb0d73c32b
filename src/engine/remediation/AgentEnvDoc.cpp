#include "remediation/AgentEnvDoc.h"

#include "platform/ProbeSupport.h"

namespace qlan {

QString AgentEnvDoc::claudeDocPath() const {
    return fs->homeDirectory() + QStringLiteral("/.claude/CLAUDE.md");
}

QString AgentEnvDoc::codexDocPath() const {
    return fs->homeDirectory() + QStringLiteral("/.codex/AGENTS.md");
}

bool AgentEnvDoc::exists(const QString& path) const {
    return probing::exists(fs.get(), path, nullptr);
}

bool AgentEnvDoc::homeItemExists(const QString& relative) const {
    return exists(fs->homeDirectory() + QLatin1Char('/') + relative);
}

QString AgentEnvDoc::readOrEmpty(const QString& path) const {
    return probing::readText(fs.get(), path).value_or(QString());
}

bool AgentEnvDoc::isInHomebrewBin(const QString& name) const {
    return exists(QStringLiteral("/opt/homebrew/bin/") + name) ||
           exists(QStringLiteral("/usr/local/bin/") + name);
}

bool AgentEnvDoc::zprofileContains(const QString& text) const {
    return readOrEmpty(fs->homeDirectory() + QStringLiteral("/.zprofile")).contains(text, Qt::CaseSensitive);
}

AgentEnvDoc::DetectedTools AgentEnvDoc::detectTools() const {
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

bool AgentEnvDoc::readDocs() const {
    const DetectedTools tools = detectTools();
    if (tools.claude && !readOrEmpty(claudeDocPath()).contains(sectionMarker, Qt::CaseSensitive)) return true;
    if (tools.codex && !readOrEmpty(codexDocPath()).contains(sectionMarker, Qt::CaseSensitive)) return true;
    return false;
}

} // namespace qlan
