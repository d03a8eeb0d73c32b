#include "remediation/HomebrewInstaller.h"

#include "editions/brew/HomebrewLocationState.h"
#include "remediation/BrewRunner.h"
#include "remediation/ChildRun.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/JobStream.h"

#include <QStringList>

#include <optional>

namespace qlan {

namespace {

std::optional<QString> findBrew(const FileSystemOperating& fs) {
    for (const QLatin1String location :
         {HomebrewLocationState::appleSiliconBrew, HomebrewLocationState::intelBrew})
        if (fs.fileExists(location)) return location;
    return std::nullopt;
}

// `curl -fsSL` reports a failed download on standard error ("curl: (22) ..."), and `bash -c ""` then
// exits 0: the script never ran.
bool downloadFailed(const QString& transcript) {
    return transcript.startsWith(QStringLiteral("curl: ("));
}

void appendShellenv(const HomebrewInstaller& installer, const QString& brewPath, const JobOutput& out) {
    const FileAppendWriter writer(installer.fs->homeDirectory() + QStringLiteral("/.zprofile"), installer.fs);
    try {
        const auto preview =
            writer.append(HomebrewInstaller::shellenvLine(brewPath), QStringLiteral("Homebrew shellenv"),
                          QStringLiteral("brew shellenv"), true);
        if (preview.alreadySet) {
            out.line(QStringLiteral("brew shellenv already active in ~/.zprofile — skipping."));
            return;
        }
        out.line(QStringLiteral(
            "Appending brew shellenv to ~/.zprofile (so brew is fully integrated in new shells)."));
        out.line(QStringLiteral("Appended. Backup at ") + preview.backupPath + QLatin1Char('.'));
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Couldn't append brew shellenv to ~/.zprofile: ") + errorDescription(error));
    }
}

// Runs the script with the privileged environment in place and decides the terminal event.
StreamEvent runInstallScript(const HomebrewInstaller& installer, const Environment& privileged,
                             const JobOutput& out, CancellableProcess& job, std::stop_token stop) {
    Environment environment = applicationEnvironmentWith(privileged);
    environment.insert(QStringLiteral("NONINTERACTIVE"), QStringLiteral("1"));

    QString transcript;
    const ChildRun run =
        runChild(*installer.process, QStringLiteral("/bin/bash"),
                 {QStringLiteral("-c"), HomebrewInstaller::commandText(installer.installScriptURL)},
                 environment, job, stop, [&](const QString& line, qint64 omitted) {
                     transcript += line.toLower();
                     transcript += QLatin1Char('\n');
                     out.line(line, omitted);
                 });

    if (run.startFailure) {
        out.line(QStringLiteral("Failed to start Homebrew installer: ") + *run.startFailure);
        return StreamEvent::completed(-1);
    }
    if (job.isCanceled()) return StreamEvent::canceled();
    const std::int32_t status = run.status();
    if (status != 0) {
        if (HomebrewInstaller::isAuthFailureOrCancel(transcript)) return StreamEvent::canceled();
        return StreamEvent::completed(status);
    }
    if (downloadFailed(transcript)) {
        out.line(
            QStringLiteral("The Homebrew install script could not be downloaded, so nothing was installed."));
        return StreamEvent::completed(1);
    }
    const std::optional<QString> brew = findBrew(*installer.fs);
    if (!brew) {
        out.line(QStringLiteral("Note: brew not found in expected locations after "
                                "install; skipping ~/.zprofile shellenv append."));
        return StreamEvent::completed(1);
    }
    if (job.isCanceled() || stop.stop_requested()) return StreamEvent::canceled(); // no edit after a stop
    appendShellenv(installer, *brew, out);
    return StreamEvent::completed(0);
}

} // namespace

QString HomebrewInstaller::commandText(const QString& url) {
    return QStringLiteral("/bin/bash -c \"$(curl -fsSL ") + url + QStringLiteral(")\"");
}

QString HomebrewInstaller::shellenvLine(const QString& brewPath) {
    return QStringLiteral("eval \"$(") + brewPath + QStringLiteral(" shellenv)\"");
}

bool HomebrewInstaller::isAuthFailureOrCancel(const QString& transcript) {
    // The script's sudo and osascript say a refused or canceled password in the words brew's own runs
    // use; one table serves both.
    return BrewRunner::isAuthFailureOrCancel(transcript);
}

Stream<HomebrewInstaller::Event> HomebrewInstaller::run() const {
    return startJobStream([installer = *this](const JobOutput& out, CancellableProcess& job,
                                              std::stop_token stop) {
        out.finish(runPrivileged(installer.executor, passwordPrompt, out, [&](const Environment& privileged) {
            return runInstallScript(installer, privileged, out, job, stop);
        }));
    });
}

} // namespace qlan
