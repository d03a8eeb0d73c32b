#include "platform/SystemProfiler.h"

#include "platform/ChildTask.h"
#include "platform/ProbeSupport.h"
#include "platform/Probes.h"
#include "platform/Worker.h"
#include "platform/XcodeCLTProbe.h"

#include <QOperatingSystemVersion>
#include <QtGlobal>

#include <array>
#include <future>
#include <utility>

namespace qlan {

SystemProfiler::SystemProfiler(ShellRunner shell, std::shared_ptr<FileSystemOperating> fs)
    : shell(std::move(shell))
    , fs(std::move(fs)) {}

SystemProfiler SystemProfiler::fromServices(const AppServices& services) {
    return SystemProfiler(ShellRunner(services.processRunner), services.fs);
}

SystemProfile SystemProfiler::profile() const {
    auto architecture = startChildTask([this] { return detectArchitecture(); });
    auto loginShell = startChildTask([this] { return detectShell(); });
    auto homebrew = startChildTask([this] { return detectHomebrew(); });
    auto sdkman = startChildTask([this] { return detectSDKMAN(); });
    auto mise = startChildTask([this] { return detectMise(); });
    auto jenv = startChildTask([this] { return detectJEnv(); });
    auto asdf = startChildTask([this] { return detectAsdf(); });
    auto clt = startChildTask([this] { return XcodeCLTProbe{shell}.path(); });
    auto java = startChildTask([this] { return Probes{shell, fs, loginShellTimeLimit}.probeAll(); });
    auto ai = startChildTask([this] { return detectAITooling(); });
    auto terminals = startChildTask([this] { return detectTerminals(); });

    SystemProfile result;
    result.architecture = architecture.get();
    try {
        result.macosVersion = macosVersion ? macosVersion() : currentMacOSVersion();
    } catch (...) {
        result.macosVersion = {};
    }
    result.shell = loginShell.get();
    result.homebrewPrefix = homebrew.get();
    result.sdkmanRoot = sdkman.get();
    result.miseExecutable = mise.get();
    result.jenvRoot = jenv.get();
    result.asdfRoot = asdf.get();
    result.xcodeCommandLineToolsPath = clt.get();
    result.javaState = java.get();
    result.aiTooling = ai.get();
    result.terminals = terminals.get();
    return result;
}

std::stop_source SystemProfiler::profileInBackground(QObject* context,
                                                     std::function<void(SystemProfile)> done) const {
    return runOffThread(
        context, [profiler = *this] { return profiler.profile(); }, std::move(done));
}

bool SystemProfiler::isAppInstalled(const QString& bundleName) const {
    if (probing::isFolder(fs.get(), QStringLiteral("/Applications/") + bundleName)) return true;
    const QString home = probing::homeDirectory(fs.get());
    if (home.isEmpty()) return false;
    return probing::isFolder(fs.get(),
                             probing::appendingPath(home, QStringLiteral("Applications/") + bundleName));
}

bool SystemProfiler::isCLIInstalled(const QString& command) const {
    const auto outcome =
        probing::runCommand(shell.process.get(), QStringLiteral("/usr/bin/which"), {command});
    if (outcome.exitedZero() && !outcome.result->stdOut.trimmed().isEmpty()) return true;
    for (const QLatin1String folder : fixedExecutableFolders)
        if (probing::isExecutableFile(fs.get(), folder + u'/' + command)) return true;
    return false;
}

std::optional<QString> SystemProfiler::detectMise() const {
    QStringList fixed;
    for (const QLatin1String folder : fixedExecutableFolders)
        fixed.append(folder + QStringLiteral("/mise"));
    const QString home = probing::homeDirectory(fs.get());
    if (!home.isEmpty()) fixed.append(probing::appendingPath(home, QStringLiteral(".local/bin/mise")));
    for (const QString& path : fixed)
        if (probing::isExecutableFile(fs.get(), path)) return path;

    const auto outcome =
        probing::runCommand(shell.process.get(), QStringLiteral("/usr/bin/which"), {QStringLiteral("mise")});
    if (!outcome.exitedZero()) return std::nullopt;
    const QString answer = outcome.result->stdOut.trimmed();
    if (answer.isEmpty() || !probing::isExecutableFile(fs.get(), answer)) return std::nullopt;
    return answer;
}

AITooling SystemProfiler::detectAITooling() const {
    // The command-line checks run `which`, so they get threads of their own; the application checks are
    // quick folder tests made meanwhile.
    auto cli = [this](const char* name) {
        return startChildTask([this, name = QString::fromUtf8(name)] { return isCLIInstalled(name); });
    };
    auto claudeCLI = cli("claude");
    auto codexCLI = cli("codex");
    auto aider = cli("aider");
    const auto app = [this](const char* name) { return isAppInstalled(QString::fromUtf8(name)); };

    AITooling tooling;
    tooling.claudeCodeDesktop = app("Claude.app");
    tooling.cursor = app("Cursor.app");
    tooling.codexDesktop = app("Codex.app");
    tooling.vsCode = app("Visual Studio Code.app");
    tooling.windsurf = app("Windsurf.app");
    tooling.kiro = app("Kiro.app");
    tooling.antigravity = app("Antigravity.app");
    tooling.zed = app("Zed.app");
    tooling.replit = app("Replit.app");
    tooling.warpApp = app("Warp.app");
    const bool hasIntellij = app("IntelliJ IDEA.app");
    const bool hasIntellijCE = app("IntelliJ IDEA CE.app");
    tooling.intellij = hasIntellij || hasIntellijCE;
    tooling.claudeCodeCLI = claudeCLI.get();
    tooling.codexCLI = codexCLI.get();
    tooling.aider = aider.get();
    return tooling;
}

Terminals SystemProfiler::detectTerminals() const {
    // Quick folder tests only: no threads needed.
    const auto app = [this](const char* name) { return isAppInstalled(QString::fromUtf8(name)); };
    Terminals terminals;
    terminals.iterm = app("iTerm.app");
    terminals.ghostty = app("Ghostty.app");
    terminals.warp = app("Warp.app");
    terminals.hyper = app("Hyper.app");
    terminals.alacritty = app("Alacritty.app");
    terminals.kitty = app("kitty.app");
    terminals.wezterm = app("WezTerm.app");
    return terminals;
}

Architecture SystemProfiler::architectureFromMachine(const QString& unameOutput) {
    const QString machine = unameOutput.trimmed();
    if (machine == QLatin1String("arm64")) return Architecture::appleSilicon;
    if (machine == QLatin1String("x86_64")) return Architecture::intel;
    return Architecture::unknown;
}

Shell SystemProfiler::shellFromVariable(const QString& shellVariable) {
    const QString path = probing::withoutTrailingSlash(shellVariable);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.isEmpty()) return Shell::other(QStringLiteral("unknown"));
    if (name == QLatin1String("zsh")) return Shell::zsh();
    if (name == QLatin1String("bash")) return Shell::bash();
    if (name == QLatin1String("fish")) return Shell::fish();
    return Shell::other(name);
}

OperatingSystemVersion SystemProfiler::currentMacOSVersion() {
    const QOperatingSystemVersion current = QOperatingSystemVersion::current();
    return {qMax(current.majorVersion(), 0), qMax(current.minorVersion(), 0),
            qMax(current.microVersion(), 0)};
}

QString SystemProfiler::currentShellVariable() {
    return qEnvironmentVariable("SHELL");
}

Architecture SystemProfiler::detectArchitecture() const {
    const auto outcome =
        probing::runCommand(shell.process.get(), QStringLiteral("/usr/bin/uname"), {QStringLiteral("-m")});
    return architectureFromMachine(outcome.result ? outcome.result->stdOut : QString());
}

Shell SystemProfiler::detectShell() const {
    QString variable;
    try {
        variable = shellVariable ? shellVariable() : currentShellVariable();
    } catch (...) {
        variable.clear();
    }
    return shellFromVariable(variable);
}

std::optional<QString> SystemProfiler::detectHomebrew() const {
    for (const QLatin1String folder : fixedExecutableFolders) {
        const QString brew = folder + QStringLiteral("/brew");
        if (probing::isExecutableFile(fs.get(), brew)) return brew;
    }
    return std::nullopt;
}

std::optional<QString> SystemProfiler::detectSDKMAN() const {
    const QString home = probing::homeDirectory(fs.get());
    if (home.isEmpty()) return std::nullopt;
    if (!probing::isNonFolder(fs.get(),
                              probing::appendingPath(home, QStringLiteral(".sdkman/bin/sdkman-init.sh"))))
        return std::nullopt;
    return probing::appendingPath(home, QStringLiteral(".sdkman"));
}

std::optional<QString> SystemProfiler::detectJEnv() const {
    return homeFolderNamed(QStringLiteral(".jenv"));
}

std::optional<QString> SystemProfiler::detectAsdf() const {
    return homeFolderNamed(QStringLiteral(".asdf"));
}

std::optional<QString> SystemProfiler::homeFolderNamed(const QString& name) const {
    const QString home = probing::homeDirectory(fs.get());
    if (home.isEmpty()) return std::nullopt;
    const QString folder = probing::appendingPath(home, name);
    if (!probing::isFolder(fs.get(), folder)) return std::nullopt;
    return folder;
}

} // namespace qlan
