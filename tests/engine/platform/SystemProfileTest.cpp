#include "platform/SystemProfile.h"
#include "Printers.h"

#include <gtest/gtest.h>

using namespace qlan;

TEST(SystemProfile, InstalledIDsAreSortedByTextAndEachListStandsAlone) {
    AITooling everything{true, true, true, true, true, true, true, true, true, true, true, true, true, true};
    EXPECT_EQ(everything.installedIDs(),
              QStringList({"aider", "antigravity", "claude-code-cli", "claude-desktop", "codex-cli",
                           "codex-desktop", "cursor", "intellij", "kiro", "replit", "vs-code", "warp",
                           "windsurf", "zed"}));
    EXPECT_TRUE(AITooling{}.installedIDs().isEmpty());

    Terminals allTerminals{true, true, true, true, true, true, true};
    EXPECT_EQ(allTerminals.installedIDs(),
              QStringList({"alacritty", "ghostty", "hyper", "iterm2", "kitty", "warp", "wezterm"}));
    EXPECT_TRUE(Terminals{}.installedIDs().isEmpty());

    AITooling warpApp;
    warpApp.warpApp = true;
    Terminals warpTerminal;
    warpTerminal.warp = true;
    EXPECT_EQ(warpApp.installedIDs(), QStringList({"warp"}));
    EXPECT_EQ(warpTerminal.installedIDs(), QStringList({"warp"}));

    AITooling zedOnly;
    zedOnly.zed = true;
    EXPECT_EQ(zedOnly.installedIDs(), QStringList({"zed"}));
}

TEST(SystemProfile, ExistingToolingCountsEverythingButAsdfJavaAndTheMachineFacts) {
    const SystemProfile fresh;
    EXPECT_FALSE(fresh.hasExistingTooling());

    auto with = [](auto change) {
        SystemProfile profile;
        change(profile);
        return profile.hasExistingTooling();
    };
    EXPECT_TRUE(with([](SystemProfile& p) { p.homebrewPrefix = "/opt/homebrew/bin/brew"; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.sdkmanRoot = "/Users/a/.sdkman"; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.miseExecutable = "/usr/local/bin/mise"; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.jenvRoot = "/Users/a/.jenv"; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.aiTooling.zed = true; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.aiTooling.aider = true; }));
    EXPECT_TRUE(with([](SystemProfile& p) { p.terminals.kitty = true; }));
    EXPECT_TRUE(
        with([](SystemProfile& p) { p.xcodeCommandLineToolsPath = "/Library/Developer/CommandLineTools"; }));

    // A Mac whose only tooling is asdf, or only a JDK, is fresh.
    EXPECT_FALSE(with([](SystemProfile& p) { p.asdfRoot = "/Users/a/.asdf"; }));
    EXPECT_FALSE(with([](SystemProfile& p) {
        p.javaState.installedJDKs = {
            {"21.0.2", "Eclipse Adoptium", "arm64", "/Library/Java/x/Contents/Home"}};
        p.javaState.whichJava = "/usr/bin/java";
        p.javaState.javaHomeInActiveShell = "/Library/Java/x/Contents/Home";
    }));
    EXPECT_FALSE(with([](SystemProfile& p) {
        p.architecture = Architecture::appleSilicon;
        p.shell = Shell::fish();
        p.macosVersion = {15, 1, 0};
    }));
}

TEST(SystemProfile, ShellsCompareByKindAndOnlyOtherShellsByName) {
    EXPECT_EQ(Shell::zsh(), Shell::zsh());
    EXPECT_EQ(Shell::other("tcsh"), Shell::other("tcsh"));
    EXPECT_NE(Shell::other("tcsh"), Shell::other("ksh"));
    EXPECT_NE(Shell::zsh(), Shell::other("zsh"));
    EXPECT_EQ((Shell{Shell::Kind::bash, "ignored"}), Shell::bash());
}
