#pragma once
// Builds the SystemProfile of the Mac: a few read-only commands and file tests, run at the same time.

#include "platform/AppServices.h"
#include "platform/FileSystemOperating.h"
#include "platform/ProbeSupport.h"
#include "platform/ShellRunner.h"
#include "platform/SystemProfile.h"

#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

class SystemProfiler {
public:
    // The running macOS version; tests replace it.
    using VersionProvider = std::function<OperatingSystemVersion()>;
    // The application's SHELL variable (empty when unset); tests replace it.
    using ShellVariableProvider = std::function<QString()>;

    SystemProfiler(ShellRunner shell, std::shared_ptr<FileSystemOperating> fs);
    // `shell` runs through services.processRunner, `fs` is services.fs.
    static SystemProfiler fromServices(const AppServices& services);

    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
    VersionProvider macosVersion = currentMacOSVersion;
    ShellVariableProvider shellVariable = currentShellVariable;
    // Login-shell checks are stopped after this long and give their "could not tell" value; the rest of
    // the profile is unaffected.
    std::chrono::milliseconds loginShellTimeLimit = probing::loginShellTimeLimit;

    // Probes the Mac afresh. The eleven checks run at the same time on threads of their own, so this
    // takes about as long as the slowest. Blocks the calling thread (never call it on the GUI thread);
    // never throws: every failed check gives its value for "nothing found".
    SystemProfile profile() const;

    // Runs profile() on a worker thread and hands the profile to `done` on the thread of `context`.
    std::stop_source profileInBackground(QObject* context, std::function<void(SystemProfile)> done) const;

    // A folder named `bundleName` (e.g. "Cursor.app") in "/Applications" or in the home folder's
    // "Applications". Never throws.
    bool isAppInstalled(const QString& bundleName) const;

    // `which <command>` exits 0 with a non-empty answer, or the command is an executable in
    // "/opt/homebrew/bin" or "/usr/local/bin". Blocks while `which` runs; never throws.
    bool isCLIInstalled(const QString& command) const;

    // The mise executable: fixed places first, then `which mise` when it names an executable file.
    std::optional<QString> detectMise() const;

    AITooling detectAITooling() const;
    Terminals detectTerminals() const;

    // The table rules of the architecture and shell checks.
    static Architecture architectureFromMachine(const QString& unameOutput);
    static Shell shellFromVariable(const QString& shellVariable);

    // The live providers: QOperatingSystemVersion (absent parts read as 0) and the process's SHELL.
    static OperatingSystemVersion currentMacOSVersion();
    static QString currentShellVariable();

    // Executables are looked for in these folders, in this order. Never destroyed: a profiler's worker
    // still probing may read them while the process ends.
    static constexpr std::array<QLatin1String, 2> fixedExecutableFolders{QLatin1String("/opt/homebrew/bin"),
                                                                         QLatin1String("/usr/local/bin")};

private:
    Architecture detectArchitecture() const;
    Shell detectShell() const;
    std::optional<QString> detectHomebrew() const;
    std::optional<QString> detectSDKMAN() const;
    std::optional<QString> detectJEnv() const;
    std::optional<QString> detectAsdf() const;
    std::optional<QString> homeFolderNamed(const QString& name) const;
};

} // namespace qlan
