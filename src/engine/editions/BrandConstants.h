#pragma once
// Build-time constants of the editions' links and keys, kept in this one place: the host of the guide
// website (every edition's article links), the terminal vendor's host (the campaign landing page) and
// the reverse-DNS identifiers that prefix every key an edition keeps in the key-value store. The hosts
// of the services the catalogue itself uses are in catalog/VendorHosts.h.

namespace qlan::brand {

// The guide website; article links are https://<guideSiteHost><path>.
inline constexpr const char* guideSiteHost = "guides.pellinor.com";

// The terminal vendor's website; its landing page carries the campaign parameters.
inline constexpr const char* terminalVendorHost = "www.warp.dev";

// The reverse-DNS application identifiers of the three editions (the key-value store prefixes).
inline constexpr const char* javaEditionIdentifier = "com.pellinor.vorrel.java";
inline constexpr const char* homebrewEditionIdentifier = "com.pellinor.quillane.brew";
inline constexpr const char* claudeEditionIdentifier = "com.pellinor.quillane.claude";

} // namespace qlan::brand
