#pragma once
// The files the setup writes, as the probes read them: whether the zsh set-up is in place and whether an
// AI agent's global instruction file still lacks the managed section. Reads through `fs` only, changes
// nothing and never throws. The writers (ShellConfigurator, AgentEnvDoc) decide "already there" by the
// same lines and marker, so a probe and a fix never disagree.

#include "platform/FileSystemOperating.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

class SetupFileState {
public:
    // The tools found on the Mac.
    struct DetectedTools {
        bool homebrew = false;
        bool uv = false;
        bool mise = false;
        bool rust = false;
        bool java = false;
        bool claude = false;
        bool codex = false;
        friend bool operator==(const DetectedTools&, const DetectedTools&) = default;
    };

    explicit SetupFileState(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // The active line of ~/.zprofile and of ~/.zshrc that shows the shell set-up is in place. Constants
    // that nothing destroys, as are the others here: job threads read them, also while the process ends.
    static constexpr QLatin1String zprofileNeedle{"typeset -U path PATH"};
    static constexpr QLatin1String zshrcNeedle{"source \"$HOME/.env\""};
    // A file that contains this text anywhere holds the agents' managed section (the same in every
    // edition).
    static constexpr QStringView agentSectionMarker = u"Quillane — development environment";

    QString zprofilePath() const;  // ~/.zprofile
    QString zshrcPath() const;     // ~/.zshrc
    QString envPath() const;       // ~/.env
    QString claudeDocPath() const; // ~/.claude/CLAUDE.md
    QString codexDocPath() const;  // ~/.codex/AGENTS.md

    // True when the text holds an active line containing one of the needles (literal, case-sensitive;
    // tried in the given order). The text is split at every line break character (line feed, carriage
    // return, CR LF, vertical tab, form feed, U+0085, U+2028, U+2029); each line is trimmed of spaces and
    // tabs; a line that then begins with "#" is a comment and never counts, even when indented.
    static bool hasActiveLine(const QString& text, const QStringList& needles);

    // True only when ~/.zprofile has an active line with `zprofileNeedle`, ~/.zshrc one with
    // `zshrcNeedle` (both read as UTF-8) and ~/.env exists. A missing or unreadable file makes it false.
    bool shellConfigured() const;

    // True when a managed section still has to be written: Claude is detected and ~/.claude/CLAUDE.md
    // lacks the section marker, or Codex is detected and ~/.codex/AGENTS.md lacks it. A missing or
    // unreadable file lacks it; with neither agent detected the answer is false.
    bool agentDocNeeded() const;

    // Existence checks only; the user's PATH is not consulted.
    DetectedTools detectTools() const;
    // "/opt/homebrew/bin/<name>" or "/usr/local/bin/<name>" exists, asked in that order.
    bool isInHomebrewBin(const QString& name) const;
    // ~/.zprofile, read as UTF-8, contains the text anywhere (comment lines too); false when it is
    // missing or unreadable.
    bool zprofileContains(const QString& text) const;

private:
    bool exists(const QString& path) const;
    bool homeItemExists(const QString& relative) const;
    // The file's text; empty when it is missing or cannot be read as UTF-8.
    QString readOrEmpty(const QString& path) const;
};

} // namespace qlan
