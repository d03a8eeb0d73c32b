#pragma once
// Everything known about the Mac after probing. Built once by the profiler, then only read.

#include "platform/JavaProbeModel.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace qlan {

enum class Architecture { appleSilicon, intel, unknown };

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
    friend bool operator==(const OperatingSystemVersion&, const OperatingSystemVersion&) = default;
};

struct Shell {
    enum class Kind { zsh, bash, fish, other };
    Kind kind = Kind::zsh;
    QString name; // the program name, for `other` only

    static Shell zsh() { return {Kind::zsh, {}}; }
    static Shell bash() { return {Kind::bash, {}}; }
    static Shell fish() { return {Kind::fish, {}}; }
    static Shell other(QString name) { return {Kind::other, std::move(name)}; }
    friend bool operator==(const Shell& a, const Shell& b) {
        return a.kind == b.kind && (a.kind != Kind::other || a.name == b.name);
    }
};

struct Terminals {
    bool iterm = false;
    bool ghostty = false;
    bool warp = false;
    bool hyper = false;
    bool alacritty = false;
    bool kitty = false;
    bool wezterm = false;

    // Ids of the installed terminals, in ascending text order.
    QStringList installedIDs() const;
    bool any() const { return iterm || ghostty || warp || hyper || alacritty || kitty || wezterm; }
    friend bool operator==(const Terminals&, const Terminals&) = default;
};

struct AITooling {
    bool claudeCodeDesktop = false;
    bool cursor = false;
    bool codexDesktop = false;
    bool vsCode = false;
    bool windsurf = false;
    bool kiro = false;
    bool antigravity = false;
    bool zed = false;
    bool replit = false;
    bool warpApp = false;
    bool intellij = false;
    bool claudeCodeCLI = false;
    bool codexCLI = false;
    bool aider = false;

    // Ids of the installed tools, in ascending text order.
    QStringList installedIDs() const;
    bool any() const { return !installedIDs().isEmpty(); }
    friend bool operator==(const AITooling&, const AITooling&) = default;
};

struct SystemProfile {
    Architecture architecture = Architecture::unknown;
    OperatingSystemVersion macosVersion;
    Shell shell;
    std::optional<QString> homebrewPrefix; // the `brew` executable itself, not its prefix folder
    std::optional<QString> sdkmanRoot;
    std::optional<QString> miseExecutable;
    std::optional<QString> jenvRoot;
    std::optional<QString> asdfRoot;
    std::optional<QString> xcodeCommandLineToolsPath;
    ProbeBundle javaState;
    AITooling aiTooling;
    Terminals terminals;

    // The Mac already shows development tooling (asdf alone, or a JDK alone, does not count).
    bool hasExistingTooling() const;
    friend bool operator==(const SystemProfile&, const SystemProfile&) = default;
};

} // namespace qlan
