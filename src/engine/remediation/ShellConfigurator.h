#pragma once
// The zsh startup files the rest of the setup relies on: a ~/.zprofile that keeps PATH free of
// duplicates, a ~/.zshrc that loads Homebrew's completions and the user's secrets file, and a ~/.env for
// API keys with owner-only permissions; and the PATH and activation lines that uv, mise and rustup need.
// Every path comes from the home folder that `fs` reports. Blocks go through FileAppendWriter (marker
// line, backup, atomic write). Nothing here throws: the operations return the lines to show.

#include "catalog/SetupFileState.h"
#include "platform/FileSystemOperating.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <stop_token>

namespace qlan {

class ShellConfigurator {
public:
    struct Result {
        QStringList messages;
        bool succeeded = true;
        friend bool operator==(const Result&, const Result&) = default;
    };

    explicit ShellConfigurator(std::shared_ptr<FileSystemOperating> fs)
        : fs(std::move(fs)) {}

    std::shared_ptr<FileSystemOperating> fs;

    // The active line of ~/.zprofile and of ~/.zshrc that shows the setup is in place.
    static constexpr QLatin1String zprofileNeedle = SetupFileState::zprofileNeedle;
    static constexpr QLatin1String zshrcNeedle = SetupFileState::zshrcNeedle;

    QString zprofilePath() const;
    QString zshrcPath() const;
    QString envPath() const;

    // True only when ~/.zprofile has an active line with "typeset -U path PATH", ~/.zshrc has an active
    // line with `source "$HOME/.env"` (both read as UTF-8) and ~/.env exists. A missing or unreadable file
    // makes it false. Never throws; changes nothing.
    bool status() const;

    // The whole shell setup: a header line in a blank ~/.zprofile and ~/.zshrc, their blocks (added
    // unless the same active line that `status` looks for is there), and ~/.env from its template with
    // mode 0600 unless it exists. A failing step does not stop the later ones; `succeeded` is false when
    // any failed, and only then is the closing message left out.
    Result configure() const;

    // One message each (two for mise): the line added, already there, or the failure. A stop request
    // is looked at before each file edit: an edit not begun by then is left out, with its message.
    QStringList addUvPath(std::stop_token stop = {}) const;
    QStringList addMiseActivation(std::stop_token stop = {}) const;
    QStringList addCargoPath(std::stop_token stop = {}) const;

private:
    void ensureHeader(const QString& path, const QString& header) const;
    void createEnvFile(Result& result) const;
};

} // namespace qlan
