#pragma once
// MCP servers the system can add to the user's AI agents. Identified by `slug`.

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace qlan {

struct MCPServer {
    // Works without a key; with one, the endpoint is the template with "{key}" replaced by the key.
    struct KeylessOptionalKey {
        std::optional<QString> keyURLTemplate;
        friend bool operator==(const KeylessOptionalKey&, const KeylessOptionalKey&) = default;
    };
    // The user signs in from inside the agent after the server is added.
    struct OAuth {
        friend bool operator==(const OAuth&, const OAuth&) = default;
    };
    using Connection = std::variant<KeylessOptionalKey, OAuth>;

    QString slug;        // the tail of its remediation id ("mcp:" + slug)
    QString displayName; // used by its remediation's label and caption
    QString url;         // the HTTPS endpoint used when no key is given
    QString summary;     // one line shown to the user
    std::optional<QString> disclosure;
    Connection connection;

    bool isOAuth() const { return std::holds_alternative<OAuth>(connection); }

    // The endpoint to configure. A key (trimmed; a blank one counts as none) goes into the key template
    // percent-encoded, so that it stays one path segment; without a key, or without a template, `url`.
    QString endpoint(const std::optional<QString>& apiKey = std::nullopt) const;

    // The built-in servers, in the order the MCP picker offers them.
    static const QList<MCPServer>& builtIn();

    friend bool operator==(const MCPServer&, const MCPServer&) = default;
};

} // namespace qlan
