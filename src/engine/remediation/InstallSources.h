#pragma once
// Build-time addresses of the outside sources the install jobs fetch from, kept in this one place.
// The jobs take them as defaults of a field of their own, so that tests point them at a sandbox script
// or a loopback server.

namespace qlan::InstallSources {

// Homebrew's official install script, fetched with curl and run by bash.
inline constexpr char homebrewInstallScript[] =
    "https://raw.githubusercontent.com/Homebrew/install/HEAD/install.sh";

// uv's official install script (Astral), fetched with curl and run by sh.
inline constexpr char uvInstallScript[] = "https://astral.sh/uv/install.sh";

// rustup's official install script, fetched with curl and run by sh.
inline constexpr char rustupInstallScript[] = "https://sh.rustup.rs";

// The Java builds API (Eclipse Adoptium); the request path and query are fixed by its client.
inline constexpr char adoptiumAPIBase[] = "https://api.adoptium.net";

// The processor architecture word of the Java builds API for the Mac this program is built for.
#if defined(__x86_64__)
inline constexpr char adoptiumArchitecture[] = "x64";
#else
inline constexpr char adoptiumArchitecture[] = "aarch64";
#endif

} // namespace qlan::InstallSources
