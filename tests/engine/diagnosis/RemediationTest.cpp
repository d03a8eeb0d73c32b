#include "diagnosis/Remediation.h"
#include "diagnosis/DiagnosisEvents.h"

#include <QList>
#include <gtest/gtest.h>

using namespace qlan;

namespace {
const QString kHome21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
}

TEST(Remediation, IdsTitlesAndRationalesOfAllFourteen) {
    struct Row {
        Remediation value;
        QString id;
        QString title;
        QString rationale;
    };
    const QList<Row> rows = {
        {Remediation::installTemurinViaBrew("temurin@25"), "brew:temurin@25",
         "Install Temurin via Homebrew (recommended)",
         "Easiest path — one command, handles updates and uninstalls cleanly. Native Apple Silicon builds."},
        {Remediation::installViaSDKMAN("25-tem"), "sdkman:25-tem", "Install Temurin via SDKMAN (recommended)",
         "We detected SDKMAN. We'll run `sdk install java 25-tem` and set it as your default Java."},
        {Remediation::installViaMise("temurin-25"), "mise:temurin-25",
         "Install Temurin via Mise (recommended)",
         "We detected Mise. We'll run `mise install java@temurin-25` and set it as your global Java."},
        {Remediation::installViaPKG(25), "pkg:25", "Install Temurin (recommended)",
         "No Homebrew or other developer tooling detected. We'll download the Temurin installer directly "
         "from "
         "Adoptium and run it for you."},
        {Remediation::installViaPKGThenJEnv(25), "pkg-jenv:25",
         "Install Temurin and register with jEnv (recommended)",
         "We detected jEnv. We'll install Temurin from Adoptium, then register it with jEnv (`jenv add` + "
         "`jenv global`)."},
        {Remediation::writeJavaHomeToZprofile(kHome21), "zprofile:" + kHome21,
         "Set JAVA_HOME in ~/.zprofile (recommended)",
         "We'll append two `export` lines to your `~/.zprofile`, after showing you a diff and backing up the "
         "existing file to `~/.zprofile.bak`."},
        {Remediation::setJavaHomeViaSDKMAN("21-tem"), "sdkman-home:21-tem",
         "Set JAVA_HOME via SDKMAN (recommended)",
         "Sets your default Java via `sdk default java <X>-tem` so JAVA_HOME points to the right Java "
         "installation "
         "in every new shell."},
        {Remediation::setJavaHomeViaMise("temurin-21"), "mise-home:temurin-21",
         "Set JAVA_HOME via Mise (recommended)",
         "Runs `mise use -g java@<version>` and ensures Mise's activate hook is in your `~/.zshrc` so "
         "JAVA_HOME "
         "gets set."},
        {Remediation::setJavaHomeViaJenv(kHome21, 21), "jenv-home:21:" + kHome21,
         "Set JAVA_HOME via jEnv (recommended)",
         "Enables jEnv's export plugin and ensures your `~/.zshrc` sources jEnv so JAVA_HOME gets set in "
         "every new "
         "shell."},
        {Remediation::keepCurrentLegacyJava("/a/8"), "keep-legacy:/a/8",
         "Keep my current Java (set JAVA_HOME)",
         "We'll point JAVA_HOME at your existing Java by appending two `export` lines to `~/.zprofile`, "
         "after "
         "showing you a diff and backing up the existing file. Note: software requiring a newer Java will "
         "still "
         "not run."},
        {Remediation::installHomebrewThenTemurin("temurin@25"), "homebrew+brew:temurin@25",
         "Install Homebrew + Java (recommended for developers)",
         "Easiest long-term — Homebrew manages updates and uninstalls cleanly. We'll install Homebrew first "
         "(which "
         "also installs Xcode Command Line Tools), then Temurin via Homebrew."},
        {Remediation::installWarpViaBrew("warp"), "brew:warp", "Install Warp (recommended)",
         "We'll install Warp via Homebrew — one command, native Apple Silicon build."},
        {Remediation::installHomebrewThenWarp("warp"), "homebrew+warp:warp", "Install Warp (recommended)",
         "No Homebrew detected. We'll install Homebrew first (macOS will ask for your password), then "
         "install Warp "
         "via Homebrew."},
        {Remediation::installHomebrew(), "homebrew", "Install Homebrew (recommended)",
         "We'll run the official Homebrew install script. macOS will prompt you for your password. Homebrew "
         "will "
         "also install Xcode Command Line Tools as part of its setup if they aren't already installed."},
    };
    ASSERT_EQ(rows.size(), 14);
    for (const Row& row : rows) {
        EXPECT_EQ(row.value.id(), row.id);
        EXPECT_EQ(row.value.title(), row.title) << row.id.toStdString();
        EXPECT_EQ(row.value.rationale(), row.rationale) << row.id.toStdString();
    }
    // An empty candidate keeps both backticks with one space after "java".
    EXPECT_TRUE(Remediation::installViaSDKMAN("").rationale().contains("`sdk install java ` and"));
}

// A JDK home given with a trailing slash is the same payload, with the same id and the same telemetry.
TEST(Remediation, PathPayloadsLoseATrailingSlash) {
    using Factory = Remediation (*)(const QString&);
    const QList<Factory> factories = {
        [](const QString& path) { return Remediation::writeJavaHomeToZprofile(path); },
        [](const QString& path) { return Remediation::setJavaHomeViaJenv(path, 21); },
        [](const QString& path) { return Remediation::keepCurrentLegacyJava(path); },
    };
    for (const Factory make : factories) {
        for (const QString& written : {kHome21 + "/", kHome21 + "//"}) {
            const Remediation value = make(written);
            EXPECT_EQ(value.jdkPath, kHome21);
            EXPECT_EQ(value, make(kHome21));
            EXPECT_EQ(value.id(), make(kHome21).id());
            EXPECT_EQ(remediationAppliedEvent(value), remediationAppliedEvent(make(kHome21)));
        }
        EXPECT_EQ(make("/").jdkPath, "/");
        EXPECT_EQ(make("").jdkPath, "");
    }
    // Text payloads are kept as given.
    EXPECT_EQ(Remediation::installViaSDKMAN("21-tem/").name, "21-tem/");
}

TEST(Remediation, EqualityIsByCaseAndPayloadNotById) {
    EXPECT_EQ(Remediation::installTemurinViaBrew("warp").id(), Remediation::installWarpViaBrew("warp").id());
    EXPECT_NE(Remediation::installTemurinViaBrew("warp"), Remediation::installWarpViaBrew("warp"));
    EXPECT_NE(Remediation::setJavaHomeViaJenv(kHome21, 21), Remediation::setJavaHomeViaJenv(kHome21, 22));
    EXPECT_NE(Remediation::setJavaHomeViaJenv(kHome21, 21).id(),
              Remediation::setJavaHomeViaJenv(kHome21, 22).id());
    EXPECT_EQ(Remediation::installViaPKG(25), Remediation::installViaPKG(25));
    EXPECT_NE(Remediation::installViaPKG(25), Remediation::installViaPKGThenJEnv(25));
}
