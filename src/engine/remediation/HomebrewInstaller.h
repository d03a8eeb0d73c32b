#pragma once
// Installs Homebrew with its official install script, unattended, with the administrator password asked
// for in the system dialog that the privileged executor sets up; relays the script's output line by line
// and, when the script succeeded, adds Homebrew's shellenv line to ~/.zprofile. One stream of output
// lines and exactly one terminal event:
// - completed(0): Homebrew is installed (the ~/.zprofile step is reported in lines and never changes it);
// - canceled: the password was refused or the dialog dismissed, or the consumer went away;
// - completed(status): the script failed; -1 when it could not be started or ended without a status,
//   1 when the script could not be downloaded or no brew exists afterwards.

#include "platform/FileSystemOperating.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ProcessRunning.h"
#include "remediation/InstallSources.h"

#include <QString>

#include <memory>

namespace qlan {

struct HomebrewInstaller {
    using Event = StreamEvent;

    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<FileSystemOperating> fs;
    PrivilegedExecutor executor;
    QString installScriptURL = QString::fromLatin1(InstallSources::homebrewInstallScript);

    static constexpr QLatin1String passwordPrompt{"Enter Mac password to install Homebrew."};

    // Starts one installation on a worker thread and returns its stream at once.
    Stream<Event> run() const;

    // `/bin/bash -c "$(curl -fsSL <url>)"`: the script fetched silently and run by a nested bash.
    static QString commandText(const QString& url);
    // The shellenv line for a brew location.
    static QString shellenvLine(const QString& brewPath);
    // True when the lower-cased transcript holds one of the password-refused or cancel markers.
    static bool isAuthFailureOrCancel(const QString& transcript);
};

} // namespace qlan
