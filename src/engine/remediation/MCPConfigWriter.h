#pragma once
// Connects one remote MCP server to the AI agents on the Mac: builds the `claude mcp add` command for
// Claude Code (the job runs it; `claude` records the server itself), appends a table to Codex's
// ~/.codex/config.toml after a backup, and locates Claude Desktop's folder (nothing is written there: the
// user adds the server in its settings). Also answers whether a server is already configured.
//
// Codex's file stays valid TOML: the server name and the URL are written as TOML strings (the name bare
// only when it is a bare TOML key), and the would-be file is parsed before it replaces the old one; a
// text that does not parse, or does not read back with the server's URL, is never written.

#include "platform/FileSystemOperating.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class MCPConfigWriter {
public:
    struct CodexResult {
        QStringList lines;      // for the job's output (empty or one line)
        bool succeeded = true;  // false when ~/.codex/config.toml could not be read, backed up or written
        bool codexFound = true; // false when Codex is not on the Mac and nothing was done
        friend bool operator==(const CodexResult&, const CodexResult&) = default;
    };

    explicit MCPConfigWriter(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    static constexpr int configPermissions = 0600;

    QString claudeCodeConfigPath() const; // ~/.claude.json
    QString codexFolder() const;          // ~/.codex
    QString codexConfigPath() const;      // ~/.codex/config.toml
    QString codexBackupPath() const;      // ~/.codex/config.toml.bak

    // Claude Desktop's configuration folder: "Claude" in the user's Application Support folder (or in
    // ~/Library/Application Support when the platform cannot name it). Neither created nor tested.
    QString claudeDesktopConfig() const;

    // True when at least one of ~/.claude.json (its top-level "mcpServers" object) and
    // ~/.codex/config.toml exists and every one that exists has the server. A file that cannot be read or
    // understood counts as lacking it.
    bool isConfigured(const QString& name) const;

    // Appends the server's table to ~/.codex/config.toml when Codex is on the Mac (its folder, or its
    // program in /opt/homebrew/bin or /usr/local/bin) and the file lacks it. The old text goes to
    // config.toml.bak first; when that fails, nothing is written. The file and its backup are mode 0600
    // from their first byte (they hold keys); an earlier backup is replaced only by a whole new one. A
    // file saved by someone else during the edit is kept and the edit reported failed. Never throws.
    CodexResult addToCodex(const QString& name, const QString& url) const;

    // "claude mcp add --transport http '<name>' '<url>' -s user", each value shell-quoted.
    static QString claudeAddCommand(const QString& name, const QString& url);

    // The two-line table: "[mcp_servers.<key>]" and `url = "<url>"`, each ending in a line feed.
    static QString codexTable(const QString& name, const QString& url);
    // The text as a TOML basic string, quotes included.
    static QString tomlString(const QString& text);
    // The name as a TOML key: bare when it is made only of ASCII letters, digits, "_" and "-", else quoted.
    static QString tomlKey(const QString& name);
    // The Codex configuration text defines the server: its table header (bare or quoted) occurs anywhere
    // in the text, or the parsed text has mcp_servers.<name>.
    static bool codexDefines(const QString& text, const QString& name);
};

} // namespace qlan
