// Homebrew and the cask-based jobs, and the formula step that the mise and GitHub CLI jobs use. Each
// relays the lines of its installer's stream; the cask jobs for the Claude CLI and Temurin finish with
// a small ~/.zprofile edit after a successful install, reported as a line that never changes the status.

#include "remediation/PasswordDialog.h"
#include "remediation/RemediationJobs.h"

#include "remediation/BrewRunner.h"
#include "remediation/FileAppendWriter.h"
#include "remediation/FileEditLock.h"
#include "remediation/HomebrewInstaller.h"
#include "remediation/ZprofileWriter.h"

namespace qlan::jobs {

namespace {

BrewRunner brewRunnerFor(const Runner& runner, const QString& brew) {
    BrewRunner brewRunner{brew,
                          runner.process,
                          runner.http,
                          runner.fs,
                          editionPrivilegedExecutor(runner.fs),
                          AdoptiumAPI{runner.http, runner.sources.adoptiumBase}};
    brewRunner.retryPause = runner.sources.brewRetryPause;
    brewRunner.architecture = runner.sources.architecture;
    return brewRunner;
}

// A cask install relayed; on success `afterSuccess` adds its lines before completed(0).
Events caskJob(const Runner& runner, const QString& cask, const QString& reason, bool temurin,
               std::function<void(const Runner&, const Output&)> afterSuccess = {}) {
    if (!runner.brewPath) return Runner::homebrewMissing();
    return Runner::task(
        [runner, cask, reason, temurin, afterSuccess](const Output& out, std::stop_token stop) {
            const StreamEvent terminal =
                installCaskStep(runner, *runner.brewPath, cask, reason, temurin, out, stop);
            if (terminal.kind == StreamEvent::Kind::completed && terminal.exitCode == 0 && afterSuccess &&
                !stop.stop_requested())
                afterSuccess(runner, out);
            out.finish(terminal);
        });
}

QString zprofileOf(const Runner& runner) {
    return runner.fs->homeDirectory() + QStringLiteral("/.zprofile");
}

void enableClaudeAutoUpdate(const Runner& runner, const Output& out) {
    try {
        const auto preview = FileAppendWriter(zprofileOf(runner), runner.fs)
                                 .append(QStringLiteral("export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1"),
                                         QStringLiteral("Claude Code auto-update"),
                                         QStringLiteral("CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE"), false);
        out.line(preview.alreadySet
                     ? QStringLiteral("Claude Code auto-update is already enabled in ~/.zprofile.")
                     : QStringLiteral("Enabled Claude Code auto-update in ~/.zprofile (backup at ") +
                           preview.backupPath + QStringLiteral(")."));
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Couldn't enable Claude Code auto-update: ") + errorDescription(error));
    }
}

void setJavaHome(const Runner& runner, const Output& out) {
    try {
        const ZprofileWriter writer = ZprofileWriter::forHome(runner.fs);
        const FileEditLock lock(*runner.fs, writer.writer.target); // from the preview to the write
        const auto preview = writer.preview(false);
        writer.writer.apply(preview);
        out.line(
            preview.alreadySet
                ? QStringLiteral("JAVA_HOME is already set in ~/.zprofile.")
                : QStringLiteral("Set JAVA_HOME in ~/.zprofile (macOS finds `java` on its own; backup at ") +
                      preview.backupPath + QStringLiteral(")."));
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Couldn't set JAVA_HOME: ") + errorDescription(error));
    }
}

} // namespace

StreamEvent installHomebrewStep(const Runner& runner, const Output& out, std::stop_token stop) {
    auto inner = HomebrewInstaller{runner.process, runner.fs, editionPrivilegedExecutor(runner.fs),
                                   runner.sources.homebrewInstallScript}
                     .run();
    return out.relay(inner, stop);
}

StreamEvent installCaskStep(const Runner& runner, const QString& brew, const QString& cask,
                            const QString& reason, bool temurin, const Output& out, std::stop_token stop) {
    const BrewRunner brewRunner = brewRunnerFor(runner, brew);
    auto inner = brewRunner.installCask(cask, reason,
                                        temurin ? BrewRunner::temurinPolicy(brewRunner)
                                                : BrewRunner::CaskRecoveryPolicy::none());
    return out.relay(inner, stop);
}

Events installHomebrew(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        out.finish(installHomebrewStep(runner, out, stop));
    });
}

Events installAppCask(const Runner& runner, const QString& cask, const QString& reason) {
    return caskJob(runner, cask, reason, false);
}

Events installClaudeCLI(const Runner& runner, const QString& reason) {
    return caskJob(runner, QStringLiteral("claude-code@latest"), reason, false, enableClaudeAutoUpdate);
}

Events installTemurin(const Runner& runner, const QString& reason) {
    return caskJob(runner, QStringLiteral("temurin"), reason, true, setJavaHome);
}

std::optional<std::int32_t> installFormulaStep(const Runner& runner, const QString& formula,
                                               const Output& out, std::stop_token stop) {
    if (!runner.brewPath) {
        out.line(Runner::homebrewMissingLine.toString());
        return -1;
    }
    auto inner = brewRunnerFor(runner, *runner.brewPath).installFormula(formula);
    const StreamEvent terminal = out.relay(inner, stop);
    if (terminal.kind == StreamEvent::Kind::canceled) return std::nullopt;
    return terminal.exitCode;
}

} // namespace qlan::jobs
