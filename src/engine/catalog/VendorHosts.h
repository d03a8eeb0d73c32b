#pragma once
// The hosts of the outside services the catalogue points at, in one place (the terminal vendor's
// landing page, which the editions link to, is with the brand constants in catalog/BrandConstants.h). Each is a bare host name;
// the paths that go with it are fixed where it is used, and every address is HTTPS.

namespace qlan::VendorHosts {

// The public code host that serves fetched agent skills (and whose site root the readiness check samples).
inline constexpr char codeHost[] = "github.com";

// The vendors' hosted MCP services.
inline constexpr char firecrawlMCP[] = "mcp.firecrawl.dev";
inline constexpr char notionMCP[] = "mcp.notion.com";
inline constexpr char slackMCP[] = "mcp.slack.com";

// The download servers that the readiness check samples: the package manager's formula API and the
// operating system's software-update catalogue.
inline constexpr char homebrewFormulae[] = "formulae.brew.sh";
inline constexpr char appleSoftwareUpdate[] = "swscan.apple.com";

} // namespace qlan::VendorHosts
