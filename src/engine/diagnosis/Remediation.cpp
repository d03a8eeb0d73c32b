#include "diagnosis/Remediation.h"

#include "platform/ProbeSupport.h"

namespace qlan {

QString Remediation::withoutTrailingSlash(QString path) {
    return probing::withoutTrailingSlash(std::move(path));
}

QString Remediation::id() const {
    switch (kind) {
    case Kind::installTemurinViaBrew:
    case Kind::installWarpViaBrew:
        return QStringLiteral("brew:") + name;
    case Kind::installViaSDKMAN:
        return QStringLiteral("sdkman:") + name;
    case Kind::installViaMise:
        return QStringLiteral("mise:") + name;
    case Kind::installViaPKG:
        return QStringLiteral("pkg:") + QString::number(number);
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("pkg-jenv:") + QString::number(number);
    case Kind::writeJavaHomeToZprofile:
        return QStringLiteral("zprofile:") + jdkPath;
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("sdkman-home:") + name;
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("mise-home:") + name;
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("jenv-home:") + QString::number(number) + QLatin1Char(':') + jdkPath;
    case Kind::keepCurrentLegacyJava:
        return QStringLiteral("keep-legacy:") + jdkPath;
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral("homebrew+brew:") + name;
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("homebrew+warp:") + name;
    case Kind::installHomebrew:
        return QStringLiteral("homebrew");
    }
    return {};
}

QString Remediation::title() const {
    switch (kind) {
    case Kind::installTemurinViaBrew:
        return QStringLiteral("Install Temurin via Homebrew (recommended)");
    case Kind::installViaSDKMAN:
        return QStringLiteral("Install Temurin via SDKMAN (recommended)");
    case Kind::installViaMise:
        return QStringLiteral("Install Temurin via Mise (recommended)");
    case Kind::installViaPKG:
        return QStringLiteral("Install Temurin (recommended)");
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("Install Temurin and register with jEnv (recommended)");
    case Kind::writeJavaHomeToZprofile:
        return QStringLiteral("Set JAVA_HOME in ~/.zprofile (recommended)");
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("Set JAVA_HOME via SDKMAN (recommended)");
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("Set JAVA_HOME via Mise (recommended)");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("Set JAVA_HOME via jEnv (recommended)");
    case Kind::keepCurrentLegacyJava:
        return QStringLiteral("Keep my current Java (set JAVA_HOME)");
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral("Install Homebrew + Java (recommended for developers)");
    case Kind::installWarpViaBrew:
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("Install Warp (recommended)");
    case Kind::installHomebrew:
        return QStringLiteral("Install Homebrew (recommended)");
    }
    return {};
}

QString Remediation::rationale() const {
    switch (kind) {
    case Kind::installTemurinViaBrew:
        return QStringLiteral(
            "Easiest path — one command, handles updates and uninstalls cleanly. Native Apple "
            "Silicon builds.");
    case Kind::installViaSDKMAN:
        return QStringLiteral("We detected SDKMAN. We'll run `sdk install java ") + name +
               QStringLiteral("` and set it as your default Java.");
    case Kind::installViaMise:
        return QStringLiteral("We detected Mise. We'll run `mise install java@") + name +
               QStringLiteral("` and set it as your global Java.");
    case Kind::installViaPKG:
        return QStringLiteral("No Homebrew or other developer tooling detected. We'll download the Temurin "
                              "installer directly from Adoptium and run it for you.");
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral(
            "We detected jEnv. We'll install Temurin from Adoptium, then register it with jEnv "
            "(`jenv add` + `jenv global`).");
    case Kind::writeJavaHomeToZprofile:
        return QStringLiteral(
            "We'll append two `export` lines to your `~/.zprofile`, after showing you a diff "
            "and backing up the existing file to `~/.zprofile.bak`.");
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral(
            "Sets your default Java via `sdk default java <X>-tem` so JAVA_HOME points to the "
            "right Java installation in every new shell.");
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("Runs `mise use -g java@<version>` and ensures Mise's activate hook is in your "
                              "`~/.zshrc` so JAVA_HOME gets set.");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("Enables jEnv's export plugin and ensures your `~/.zshrc` sources jEnv so "
                              "JAVA_HOME gets set in every new shell.");
    case Kind::keepCurrentLegacyJava:
        return QStringLiteral(
            "We'll point JAVA_HOME at your existing Java by appending two `export` lines to "
            "`~/.zprofile`, after showing you a diff and backing up the existing file. Note: "
            "software requiring a newer Java will still not run.");
    case Kind::installHomebrewThenTemurin:
        return QStringLiteral(
            "Easiest long-term — Homebrew manages updates and uninstalls cleanly. We'll install "
            "Homebrew first (which also installs Xcode Command Line Tools), then Temurin via "
            "Homebrew.");
    case Kind::installWarpViaBrew:
        return QStringLiteral("We'll install Warp via Homebrew — one command, native Apple Silicon build.");
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("No Homebrew detected. We'll install Homebrew first (macOS will ask for your "
                              "password), then install Warp via Homebrew.");
    case Kind::installHomebrew:
        return QStringLiteral(
            "We'll run the official Homebrew install script. macOS will prompt you for your "
            "password. Homebrew will also install Xcode Command Line Tools as part of its setup "
            "if they aren't already installed.");
    }
    return {};
}

} // namespace qlan
