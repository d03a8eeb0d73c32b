// Command Line Tools, uv with Python, mise with its activation and languages, rustup. The tools that
// come from a `curl ... | sh` script are checked for afterwards, where their installer puts them (the
// login shell may move them with UV_INSTALL_DIR, XDG_BIN_HOME or CARGO_HOME): a download that failed
// is a failure, whatever the pipeline's last command said. A job that was cancelled edits no file: the
// stop is looked at again before each edit.

#include "remediation/PasswordDialog.h"
#include "remediation/RemediationJobs.h"

#include "platform/PlatformError.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ProbeSupport.h"
#include "remediation/ChildRun.h"
#include "remediation/InstallSources.h"
#include "remediation/ShellConfigurator.h"

#include <span>

namespace qlan::jobs {

namespace {

// The constants here are never destroyed: the jobs' threads read them, also while the process ends.
constexpr QLatin1String cltClang("/Library/Developer/CommandLineTools/usr/bin/clang");
constexpr QLatin1String cltFolder("/Library/Developer/CommandLineTools");

QString commandLineToolsScript() {
    return QStringList{
        QStringLiteral("/usr/bin/touch /tmp/.com.apple.dt.CommandLineTools.installondemand.in-progress"),
        QStringLiteral(
            "LABEL=$(/usr/sbin/softwareupdate -l 2>/dev/null | /usr/bin/grep 'Label:.*Command Line "
            "Tools' | /usr/bin/sed -E 's/^.*Label: //' | /usr/bin/sort -V | /usr/bin/tail -n1)"),
        QStringLiteral("if [ -n \"$LABEL\" ]; then /usr/sbin/softwareupdate -i \"$LABEL\" --verbose; fi"),
        QStringLiteral("/bin/rm -f /tmp/.com.apple.dt.CommandLineTools.installondemand.in-progress"),
        QStringLiteral(
            "/usr/bin/xcode-select --switch /Library/Developer/CommandLineTools 2>/dev/null || true"),
        QStringLiteral("if [ -d /Library/Developer/CommandLineTools ]; then exit 0; else exit 1; fi"),
    }
        .join(QLatin1Char('\n'));
}

// `curl <options> <url> | sh -s -- <arguments>`, with pipefail so that a failed download fails the
// command instead of feeding an empty script to sh.
QString pipedInstallCommand(const QString& curlOptions, const char* url, const QString& shArguments) {
    return QStringLiteral("set -o pipefail; curl ") + curlOptions + QLatin1Char(' ') +
           QString::fromLatin1(url) + QStringLiteral(" | sh -s -- ") + shArguments;
}

// What moves a tool: an environment variable and the tool's path below the folder the variable names.
struct MovedBy {
    QLatin1String variable;
    QLatin1String below;
};

// A tool that an install script puts into a folder of its own choosing.
struct ScriptedTool {
    QLatin1String name;          // as the lines name it
    QLatin1String defaultInHome; // where it lands when nothing moves it, relative to the home folder
    std::span<const MovedBy> movedBy;
};

constexpr MovedBy uvMovedBy[] = {{QLatin1String("UV_INSTALL_DIR"), QLatin1String("uv")},
                                 {QLatin1String("UV_INSTALL_DIR"), QLatin1String("bin/uv")},
                                 {QLatin1String("XDG_BIN_HOME"), QLatin1String("uv")},
                                 {QLatin1String("XDG_DATA_HOME"), QLatin1String("../bin/uv")}};
constexpr ScriptedTool uvTool{QLatin1String("uv"), QLatin1String(".local/bin/uv"), uvMovedBy};
constexpr MovedBy rustupMovedBy[] = {{QLatin1String("CARGO_HOME"), QLatin1String("bin/rustup")}};
constexpr ScriptedTool rustupTool{QLatin1String("rustup"), QLatin1String(".cargo/bin/rustup"), rustupMovedBy};

// True when the tool is in its default place, or where the variables that move it point in the login
// shell the install script ran in (the user's ~/.zprofile may set them).
bool findInstalledTool(const Runner& runner, const ScriptedTool& tool) {
    if (runner.fs->isExecutableFile(runner.fs->homeDirectory() + QLatin1Char('/') + tool.defaultInHome))
        return true;
    QStringList variables;
    for (const MovedBy& moved : tool.movedBy)
        if (!variables.contains(moved.variable)) variables.append(moved.variable);
    QString command = QStringLiteral("printf '%s\\n'");
    for (const QString& variable : variables)
        command += QStringLiteral(" \"${%1-}\"").arg(variable);
    const probing::CommandOutcome outcome = probing::runLoginShell(runner.process.get(), command);
    if (!outcome.exitedZero()) return false;
    const QStringList values = outcome.result->stdOut.split(QLatin1Char('\n'));
    for (const auto& [variable, below] : tool.movedBy) {
        const QString folder = values.value(variables.indexOf(variable));
        if (folder.startsWith(QLatin1Char('/')) &&
            probing::isExecutableFile(runner.fs.get(), folder + QLatin1Char('/') + below))
            return true;
    }
    return false;
}

// Runs a tool's install script and then checks that the tool is there. Returns the status to report:
// the script's, or 1 (after a line saying so) when it claimed success but the tool is missing.
std::int32_t runInstallScript(const Runner& runner, const QString& command, const ScriptedTool& tool,
                              const Output& out, std::stop_token stop) {
    const std::int32_t status = runner.runShell(command, out, stop);
    if (status != 0 || stop.stop_requested()) return status;
    if (findInstalledTool(runner, tool)) return 0;
    out.line(
        QStringLiteral("The %1 installer finished, but ~/%2 is missing.").arg(tool.name, tool.defaultInHome));
    return 1;
}

Events useMiseTool(const Runner& runner, const QString& tool, const QString& preparation = {}) {
    return Runner::task([runner, tool, preparation](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Running mise use -g ") + tool + QStringLiteral("…"));
        const QString use = QStringLiteral("mise use -g ") + tool;
        out.completed(runner.runShell(
            preparation.isEmpty() ? use : preparation + QStringLiteral(" && ") + use, out, stop));
    });
}

} // namespace

Events installCommandLineTools(const Runner& runner) {
    return startJobStream([runner](const Output& out, CancellableProcess& job, std::stop_token stop) {
        if (runner.fs->fileExists(cltClang) || runner.fs->fileExists(cltFolder)) return out.completed(0);

        PrivilegedEnvironment privileged;
        try {
            privileged = editionPrivilegedExecutor(runner.fs).makeEnvironment(
                QStringLiteral("Enter your Mac password to install Apple's Command Line Tools."));
        } catch (const std::exception& error) {
            out.line(QStringLiteral("Couldn't start the install: ") + errorDescription(error));
            return out.completed(-1);
        }
        struct Cleanup {
            std::function<void()> run;
            ~Cleanup() {
                if (run) run();
            }
        } cleanup{privileged.cleanup};

        out.line(QStringLiteral("Installing Apple's Command Line Tools… macOS will ask for your password "
                                "once. The download can take several minutes — please keep this window "
                                "open."));
        const ChildRun child =
            runChild(*runner.process, QStringLiteral("/usr/bin/sudo"),
                     {QStringLiteral("-A"), QStringLiteral("/bin/bash"), QStringLiteral("-c"),
                      commandLineToolsScript()},
                     applicationEnvironmentWith(privileged.environment), job, stop,
                     [&](const QString& line, qint64 omitted) { out.line(line, omitted); });
        if (child.startFailure) {
            out.line(QStringLiteral("Couldn't start the install: ") + *child.startFailure);
            return out.completed(-1);
        }
        if (job.isCanceled() || stop.stop_requested()) return out.canceled();
        out.line(child.status() == 0
                     ? QStringLiteral("Command Line Tools installed.")
                     : QStringLiteral("The Command Line Tools install did not complete. You can retry."));
        out.completed(child.status());
    });
}

Events installUv(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Installing uv (Astral's installer)…"));
        const std::int32_t status =
            runInstallScript(runner,
                             pipedInstallCommand(QStringLiteral("-LsSf"), InstallSources::uvInstallScript,
                                                 QStringLiteral("--no-modify-path")),
                             uvTool, out, stop);
        if (status != 0 || stop.stop_requested()) return out.completed(status);
        out.lines(ShellConfigurator(runner.fs).addUvPath(stop));
        out.line(QStringLiteral("Installing the latest Python with uv…"));
        out.completed(runner.runShell(QStringLiteral("uv python install --default"), out, stop));
    });
}

Events installMise(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        const std::optional<std::int32_t> status =
            installFormulaStep(runner, QStringLiteral("mise"), out, stop);
        if (!status || stop.stop_requested()) return out.canceled();
        if (*status == 0) out.lines(ShellConfigurator(runner.fs).addMiseActivation(stop));
        if (stop.stop_requested()) return out.canceled();
        out.completed(*status);
    });
}

Events installNodeViaMise(const Runner& runner) {
    return useMiseTool(runner, QStringLiteral("node@lts"));
}

Events installRubyViaMise(const Runner& runner) {
    return useMiseTool(runner, QStringLiteral("ruby@latest"),
                       QStringLiteral("mise settings ruby.compile=false"));
}

Events installRustViaMise(const Runner& runner) {
    return useMiseTool(runner, QStringLiteral("rust"));
}

Events installRustup(const Runner& runner) {
    return Runner::task([runner](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Installing rustup and the stable Rust toolchain…"));
        const std::int32_t status = runInstallScript(
            runner,
            pipedInstallCommand(QStringLiteral("--proto '=https' --tlsv1.2 -sSf"),
                                InstallSources::rustupInstallScript, QStringLiteral("-y --no-modify-path")),
            rustupTool, out, stop);
        if (status == 0) out.lines(ShellConfigurator(runner.fs).addCargoPath(stop));
        out.completed(status);
    });
}

} // namespace qlan::jobs
