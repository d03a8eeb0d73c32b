#pragma once
// Build-time constants of the editions' links and keys, kept in this one place: the host of the guide
// website (every edition's article links), the terminal vendor's host (the campaign landing page) and
// the reverse-DNS identifiers that prefix every key an edition keeps in the key-value store, and the
// name of the edition this application runs. The hosts of the services the catalogue itself uses are in
// catalog/VendorHosts.h. The configure step reads the Homebrew edition's identifier and name from here
// for the application bundle's Info.plist: keep each on one line, in this form.

namespace qlan::brand {

// The guide website; article links are https://<guideSiteHost><path>.
inline constexpr const char* guideSiteHost = "guides.pellinor.com";

// The terminal vendor's website; its landing page carries the campaign parameters.
inline constexpr const char* terminalVendorHost = "www.warp.dev";

// The reverse-DNS application identifiers of the three editions (the key-value store prefixes). The
// Homebrew edition's is also the application bundle's identifier, and so its user defaults domain on a Mac.
inline constexpr const char* javaEditionIdentifier = "com.pellinor.vorrel.java";
inline constexpr const char* homebrewEditionIdentifier = "com.pellinor.quillane.brew";
inline constexpr const char* claudeEditionIdentifier = "com.pellinor.quillane.claude";

// The Homebrew edition's name as the user sees it (also the application bundle's display name).
inline constexpr const char* homebrewEditionDisplayName = "Quillane with Homebrew";

} // namespace qlan::brand
