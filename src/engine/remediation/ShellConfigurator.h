#pragma once
// The zsh startup files the rest of the setup relies on: a ~/.zprofile that keeps PATH free of
// duplicates, a ~/.zshrc that loads Homebrew's completions and the user's secrets file, and a ~/.env for
// API keys. Every path comes from the home folder that `fs` reports.

#include "platform/FileSystemOperating.h"

#include <QString>

#include <memory>

namespace qlan {

class ShellConfigurator {
public:
    explicit ShellConfigurator(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // The active line of ~/.zprofile and of ~/.zshrc that shows the setup is in place.
    static inline const QString zprofileNeedle = QStringLiteral("typeset -U path PATH");
    static inline const QString zshrcNeedle = QStringLiteral("source \"$HOME/.env\"");

    QString zprofilePath() const;
    QString zshrcPath() const;
    QString envPath() const;

    // True only when ~/.zprofile has an active line with "typeset -U path PATH", ~/.zshrc has an active
    // line with `source "$HOME/.env"` (both read as UTF-8) and ~/.env exists. A missing or unreadable file
    // makes it false. Never throws; changes nothing.
    bool status() const;
};

} // namespace qlan
