#pragma once
// Build-time constants of the maker's brand, kept in this one place: the host of the guide website
// (every edition's article links) and the reverse-DNS identifiers that prefix every key an edition
// keeps in the key-value store. Outside vendors' hosts (the terminal vendor's among them) are in
// catalog/VendorHosts.h.

namespace qlan::brand {

// The guide website; article links are https://<guideSiteHost><path>.
inline constexpr const char* guideSiteHost = "guides.pellinor.com";

// The reverse-DNS application identifiers of the three editions (the key-value store prefixes).
inline constexpr const char* javaEditionIdentifier = "com.pellinor.vorrel.java";
inline constexpr const char* homebrewEditionIdentifier = "com.pellinor.quillane.brew";
inline constexpr const char* claudeEditionIdentifier = "com.pellinor.quillane.claude";

} // namespace qlan::brand
