#include "remediation/MCPConfigWriter.h"

#include "platform/PlatformError.h"
#include "platform/ShellQuoting.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/FileEditLock.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <toml++/toml.h>

#include <optional>
#include <string>

namespace qlan {
namespace {

// Constants that nothing destroys: the writer runs on job threads, also while the process ends.
constexpr QLatin1String codexPrograms[] = {QLatin1String("/opt/homebrew/bin/codex"),
                                           QLatin1String("/usr/local/bin/codex")};

struct ParsedServer {
    bool parsed = false;
    std::optional<QString> url; // mcp_servers.<name>.url when the table is there
    bool defined = false;       // mcp_servers.<name> exists
    QString error;              // why the text does not parse
};

ParsedServer parseServer(const QString& text, const QString& name) {
    ParsedServer result;
    const std::string document = text.toStdString();
    try {
        const toml::table root = toml::parse(document);
        result.parsed = true;
        const toml::node_view server = root["mcp_servers"][name.toStdString()];
        result.defined = static_cast<bool>(server);
        if (const std::optional<std::string> url = server["url"].value<std::string>())
            result.url = QString::fromStdString(*url);
    } catch (const toml::parse_error& error) {
        result.error = QStringLiteral("line %1: %2")
                           .arg(error.source().begin.line)
                           .arg(QString::fromUtf8(error.description().data(),
                                                  static_cast<qsizetype>(error.description().size())));
    }
    return result;
}

bool isBareKey(const QString& name) {
    if (name.isEmpty()) return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                        u == '_' || u == '-';
        if (!ok) return false;
    }
    return true;
}

} // namespace

QString MCPConfigWriter::claudeCodeConfigPath() const {
    return fs->homeDirectory() + QStringLiteral("/.claude.json");
}
QString MCPConfigWriter::codexFolder() const {
    return fs->homeDirectory() + QStringLiteral("/.codex");
}
QString MCPConfigWriter::codexConfigPath() const {
    return codexFolder() + QStringLiteral("/config.toml");
}
QString MCPConfigWriter::codexBackupPath() const {
    return codexFolder() + QStringLiteral("/config.toml.bak");
}

QString MCPConfigWriter::claudeDesktopConfig() const {
    QString support;
    try {
        support = fs->urlForDirectory(StandardDirectory::applicationSupport, false);
    } catch (const std::exception&) {
    }
    if (support.isEmpty()) support = fs->homeDirectory() + QStringLiteral("/Library/Application Support");
    return support + QStringLiteral("/Claude");
}

QString MCPConfigWriter::claudeAddCommand(const QString& name, const QString& url) {
    return QStringLiteral("claude mcp add --transport http ") + shellQuoted(name) + QLatin1Char(' ') +
           shellQuoted(url) + QStringLiteral(" -s user");
}

QString MCPConfigWriter::tomlString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\b':
            out += QStringLiteral("\\b");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\f':
            out += QStringLiteral("\\f");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("\\u") +
                       QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString MCPConfigWriter::tomlKey(const QString& name) {
    return isBareKey(name) ? name : tomlString(name);
}

QString MCPConfigWriter::codexTable(const QString& name, const QString& url) {
    return QStringLiteral("[mcp_servers.") + tomlKey(name) + QStringLiteral("]\nurl = ") + tomlString(url) +
           QLatin1Char('\n');
}

bool MCPConfigWriter::codexDefines(const QString& text, const QString& name) {
    const QString prefix = QStringLiteral("[mcp_servers.");
    if (text.contains(prefix + name + QLatin1Char(']')) ||
        text.contains(prefix + QLatin1Char('"') + name + QStringLiteral("\"]")) ||
        text.contains(prefix + tomlString(name) + QLatin1Char(']')))
        return true;
    return parseServer(text, name).defined;
}

bool MCPConfigWriter::isConfigured(const QString& name) const {
    int existing = 0;
    int found = 0;
    if (fs->fileExists(claudeCodeConfigPath())) {
        ++existing;
        try {
            const QJsonDocument document = QJsonDocument::fromJson(fs->readData(claudeCodeConfigPath()));
            const QJsonValue servers = document.object().value(QStringLiteral("mcpServers"));
            if (document.isObject() && servers.isObject() && servers.toObject().contains(name)) ++found;
        } catch (const std::exception&) {
        }
    }
    if (fs->fileExists(codexConfigPath())) {
        ++existing;
        try {
            if (codexDefines(fs->readString(codexConfigPath()), name)) ++found;
        } catch (const std::exception&) {
        }
    }
    return existing > 0 && found == existing;
}

MCPConfigWriter::CodexResult MCPConfigWriter::addToCodex(const QString& name, const QString& url) const {
    const QString folder = codexFolder();
    const bool folderExists = fs->fileExists(folder);
    if (!folderExists && !fs->fileExists(codexPrograms[0]) && !fs->fileExists(codexPrograms[1]))
        return {{}, true, false};
    auto failed = [](const QString& why) {
        return CodexResult{{QStringLiteral("Couldn't write your Codex config: ") + why}, false, true};
    };

    const QString config = codexConfigPath();
    std::optional<FileEditLock> lock; // to the end of the write
    QString oldText;
    bool existed = false;
    try {
        lock.emplace(*fs, config);
        existed = fs->fileExists(config);
        if (existed) oldText = fs->readString(config); // unreadable or not UTF-8: left alone
    } catch (const std::exception& error) {
        return failed(errorDescription(error));
    }
    if (codexDefines(oldText, name))
        return {{QStringLiteral("%1 is already in your Codex config — left as is.").arg(name)}, true, true};

    QString separator;
    if (!oldText.isEmpty())
        separator = oldText.endsWith(QLatin1Char('\n')) ? QStringLiteral("\n") : QStringLiteral("\n\n");
    const QString newText = oldText + separator + codexTable(name, url);
    const ParsedServer check = parseServer(newText, name);
    if (!check.parsed)
        return failed(QStringLiteral("it wouldn’t be valid TOML afterwards (%1), so it was left as is.")
                          .arg(check.error));
    if (check.url != url)
        return failed(
            QStringLiteral("%1 wouldn’t read back with its address, so the file was left as is.").arg(name));

    // The file holds keys: it, its backup and their temporary files are private from their first byte.
    FileWriteOptions options;
    options.permissions = configPermissions;
    options.onlyIfUnchanged = {existed, oldText.toUtf8()};
    try {
        if (!folderExists) fs->createDirectory(folder, true);
        if (!oldText.isEmpty())
            FileAppendWriter::writeBackup(*fs, config, codexBackupPath(), oldText, configPermissions);
        fs->writeFile(newText.toUtf8(), config, options);
    } catch (const std::exception& error) {
        return failed(errorDescription(error));
    }
    return {{QStringLiteral("Added %1 to your Codex config.").arg(name)}, true, true};
}

} // namespace qlan
