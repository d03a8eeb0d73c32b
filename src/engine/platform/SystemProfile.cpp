#include "platform/SystemProfile.h"

#include <utility>

namespace qlan {
namespace {

QStringList sortedIDs(std::initializer_list<std::pair<bool, const char*>> flags) {
    QStringList ids;
    for (const auto& [set, id] : flags)
        if (set) ids.append(QString::fromLatin1(id));
    ids.sort(Qt::CaseSensitive);
    return ids;
}

} // namespace

QStringList Terminals::installedIDs() const {
    return sortedIDs({{iterm, "iterm2"},
                      {ghostty, "ghostty"},
                      {warp, "warp"},
                      {hyper, "hyper"},
                      {alacritty, "alacritty"},
                      {kitty, "kitty"},
                      {wezterm, "wezterm"}});
}

QStringList AITooling::installedIDs() const {
    return sortedIDs({{claudeCodeDesktop, "claude-desktop"},
                      {cursor, "cursor"},
                      {codexDesktop, "codex-desktop"},
                      {vsCode, "vs-code"},
                      {windsurf, "windsurf"},
                      {kiro, "kiro"},
                      {antigravity, "antigravity"},
                      {zed, "zed"},
                      {replit, "replit"},
                      {warpApp, "warp"},
                      {intellij, "intellij"},
                      {claudeCodeCLI, "claude-code-cli"},
                      {codexCLI, "codex-cli"},
                      {aider, "aider"}});
}

bool SystemProfile::hasExistingTooling() const {
    return homebrewPrefix || sdkmanRoot || miseExecutable || jenvRoot || aiTooling.any() || terminals.any() ||
           xcodeCommandLineToolsPath;
}

} // namespace qlan
