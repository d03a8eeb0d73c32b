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
    auto java = startChildTask([this] { return Probes{shell, fs}.probeAll(); });
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
    for (const QString& folder : fixedExecutableFolders)
        if (probing::isExecutableFile(fs.get(), folder + u'/' + command)) return true;
    return false;
}

std::optional<QString> SystemProfiler::detectMise() const {
    QStringList fixed;
    for (const QString& folder : fixedExecutableFolders)
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
    auto app = [this](const char* name) {
        return startChildTask([this, name = QString::fromUtf8(name)] { return isAppInstalled(name); });
    };
    auto cli = [this](const char* name) {
        return startChildTask([this, name = QString::fromUtf8(name)] { return isCLIInstalled(name); });
    };
    auto claude = app("Claude.app");
    auto cursor = app("Cursor.app");
    auto codex = app("Codex.app");
    auto vsCode = app("Visual Studio Code.app");
    auto windsurf = app("Windsurf.app");
    auto kiro = app("Kiro.app");
    auto antigravity = app("Antigravity.app");
    auto zed = app("Zed.app");
    auto replit = app("Replit.app");
    auto warp = app("Warp.app");
    auto intellij = app("IntelliJ IDEA.app");
    auto intellijCE = app("IntelliJ IDEA CE.app");
    auto claudeCLI = cli("claude");
    auto codexCLI = cli("codex");
    auto aider = cli("aider");

    const bool hasIntellij = intellij.get();
    const bool hasIntellijCE = intellijCE.get();
    AITooling tooling;
    tooling.claudeCodeDesktop = claude.get();
    tooling.cursor = cursor.get();
    tooling.codexDesktop = codex.get();
    tooling.vsCode = vsCode.get();
    tooling.windsurf = windsurf.get();
    tooling.kiro = kiro.get();
    tooling.antigravity = antigravity.get();
    tooling.zed = zed.get();
    tooling.replit = replit.get();
    tooling.warpApp = warp.get();
    tooling.intellij = hasIntellij || hasIntellijCE;
    tooling.claudeCodeCLI = claudeCLI.get();
    tooling.codexCLI = codexCLI.get();
    tooling.aider = aider.get();
    return tooling;
}

Terminals SystemProfiler::detectTerminals() const {
    auto app = [this](const char* name) {
        return startChildTask([this, name = QString::fromUtf8(name)] { return isAppInstalled(name); });
    };
    auto iterm = app("iTerm.app");
    auto ghostty = app("Ghostty.app");
    auto warp = app("Warp.app");
    auto hyper = app("Hyper.app");
    auto alacritty = app("Alacritty.app");
    auto kitty = app("kitty.app");
    auto wezterm = app("WezTerm.app");

    Terminals terminals;
    terminals.iterm = iterm.get();
    terminals.ghostty = ghostty.get();
    terminals.warp = warp.get();
    terminals.hyper = hyper.get();
    terminals.alacritty = alacritty.get();
    terminals.kitty = kitty.get();
    terminals.wezterm = wezterm.get();
    return terminals;
}

Architecture SystemProfiler::architectureFromMachine(const QString& unameOutput) {
    const QString machine = unameOutput.trimmed();
    if (machine == QLatin1String("arm64")) return Architecture::appleSilicon;
    if (machine == QLatin1String("x86_64")) return Architecture::intel;
    return Architecture::unknown;
}

Shell SystemProfiler::shellFromVariable(const QString& shellVariable) {
    QString path = shellVariable;
    while (path.endsWith(u'/'))
        path.chop(1);
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
    for (const QString& folder : fixedExecutableFolders) {
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
