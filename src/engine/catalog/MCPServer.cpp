#include "catalog/MCPServer.h"

#include "catalog/VendorHosts.h"

#include <QUrl>

namespace qlan {
namespace {

QString https(const char* host, const char* path) {
    return QStringLiteral("https://") + QString::fromLatin1(host) + QString::fromLatin1(path);
}

} // namespace

QString MCPServer::endpoint(const std::optional<QString>& apiKey) const {
    const auto* keyless = std::get_if<KeylessOptionalKey>(&connection);
    if (!keyless || !keyless->keyURLTemplate || !apiKey) return url;
    const QString key = apiKey->trimmed();
    if (key.isEmpty()) return url;
    QString endpoint = *keyless->keyURLTemplate;
    return endpoint.replace(QStringLiteral("{key}"), QString::fromLatin1(QUrl::toPercentEncoding(key)));
}

const QList<MCPServer>& MCPServer::builtIn() {
    // Read on the pickers' reading threads, also while the process ends: never destroyed.
    static const auto* const servers = new QList<MCPServer>{
        {QStringLiteral("firecrawl"), QStringLiteral("Firecrawl"),
         https(VendorHosts::firecrawlMCP, "/v2/mcp"),
         QStringLiteral("Better web search than built-in agent web searches"), std::nullopt,
         KeylessOptionalKey{https(VendorHosts::firecrawlMCP, "/{key}/v2/mcp")}},
        {QStringLiteral("notion"), QStringLiteral("Notion"), https(VendorHosts::notionMCP, "/mcp"),
         QStringLiteral("Connect Notion, the popular workplace productivity app. Sign-in required."),
         std::nullopt, OAuth{}},
        {QStringLiteral("slack"), QStringLiteral("Slack"), https(VendorHosts::slackMCP, "/mcp"),
         QStringLiteral("Connect Slack, the popular workplace messaging app. Sign-in required."),
         std::nullopt, OAuth{}},
    };
    return *servers;
}

} // namespace qlan
