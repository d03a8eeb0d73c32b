// The fixes of the Java diagnosis that the streaming remediation screen runs: a cask through Homebrew,
// an `sdk` command, mise, the vendor's package (then jEnv), jEnv, and Homebrew itself (then a cask).

#include "remediation/RemediationJobs.h"

#include "platform/ProbeSupport.h"
#include "platform/Probes.h"
#include "remediation/HomebrewInstaller.h"
#include "remediation/JEnvRunner.h"
#include "remediation/MiseRunner.h"
#include "remediation/SDKMANRunner.h"

namespace qlan::jobs {

namespace {

QString homePath(const Runner& runner, const QString& name) {
    return probing::appendingPath(runner.fs->homeDirectory(), name);
}

// The JDK that a package install of this feature version put in place, by version or folder name.
std::optional<JDKInfo> installedJDK(const QList<JDKInfo>& jdks, int featureVersion) {
    const QString major = QString::number(featureVersion);
    for (const JDKInfo& jdk : jdks)
        if (jdk.version.startsWith(major + QLatin1Char('.')) || jdk.version == major ||
            jdk.path.contains(QStringLiteral("temurin-") + major))
            return jdk;
    return std::nullopt;
}

StreamEvent javaCaskStep(const Runner& runner, const QString& cask, const QString& reason, const Output& out,
                         std::stop_token stop) {
    for (const QString& brew : Runner::brewLocations())
        if (runner.fs->isExecutableFile(brew))
            return installCaskStep(runner, brew, cask, reason, false, out, stop);
    out.line(QStringLiteral("Homebrew not found in /opt/homebrew/bin or /usr/local/bin."));
    return StreamEvent::completed(-1);
}

StreamEvent jenvStep(const Runner& runner, const QString& jdkPath, int majorVersion, const Output& out,
                     std::stop_token stop) {
    const JEnvRunner jenv(homePath(runner, QStringLiteral(".jenv")), ShellRunner(runner.process), runner.fs);
    auto inner = jenv.registerJDK(jdkPath, majorVersion);
    return out.relay(inner, stop);
}

// The package install's lines; its terminal event: completed(0), completed(1) after an error, canceled,
// or completed(-1) when it ended without one.
StreamEvent packageStep(const Runner& runner, int featureVersion, const QString& prompt, const Output& out,
                        std::stop_token stop) {
    using E = PKGInstaller::Event::Kind;
    PKGInstaller installer{runner.process, runner.http, runner.fs,
                           AdoptiumAPI{runner.http, runner.sources.adoptiumBase}};
    installer.architecture = runner.sources.architecture;
    auto events = installer.install(featureVersion, prompt);
    StreamEvent terminal = StreamEvent::completed(-1);
    while (std::optional<PKGInstaller::Event> event = events.next(stop)) {
        if (std::optional<QString> line = pkgEventLine(*event, featureVersion)) out.line(*line);
        if (event->kind == E::error) terminal = StreamEvent::completed(1);
        if (event->kind == E::completed) terminal = StreamEvent::completed(0);
        if (event->kind == E::canceled) terminal = StreamEvent::canceled();
    }
    return stop.stop_requested() ? StreamEvent::canceled() : terminal;
}

} // namespace

Events installJavaCask(const Runner& runner, const QString& cask, const QString& reason) {
    return Runner::task([runner, cask, reason](const Output& out, std::stop_token stop) {
        out.finish(javaCaskStep(runner, cask, reason, out, stop));
    });
}

Events runSDKMANCommand(const Runner& runner, const QString& shownCommand, const QString& arguments) {
    return Runner::task([runner, shownCommand, arguments](const Output& out, std::stop_token stop) {
        const QString root = homePath(runner, QStringLiteral(".sdkman"));
        if (!runner.fs->fileExists(probing::appendingPath(root, QStringLiteral("bin/sdkman-init.sh")))) {
            out.line(QStringLiteral("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
            return out.completed(-1);
        }
        // The candidate is shown as given; the command receives it as one quoted word.
        out.line(QStringLiteral("Running: ") + shownCommand);
        auto inner = SDKMANRunner(root, ShellRunner(runner.process), runner.fs).run(arguments);
        out.finish(out.relay(inner, stop));
    });
}

Events useJavaViaMise(const Runner& runner, const QString& version, bool install) {
    return Runner::task([runner, version, install](const Output& out, std::stop_token stop) {
        const MiseRunner mise(QString(), ShellRunner(runner.process), runner.fs);
        const QString java = QStringLiteral("java@") + version;
        out.line(install ? QStringLiteral("Running: mise install ") + java +
                               QStringLiteral(" && mise use -g ") + java
                         : QStringLiteral("Running: mise use -g ") + java);
        auto inner = install ? mise.installJava(version) : mise.useJava(version);
        out.finish(out.relay(inner, stop));
    });
}

Events installJavaPackage(const Runner& runner, int featureVersion, const QString& prompt, bool thenJEnv) {
    return Runner::task([runner, featureVersion, prompt, thenJEnv](const Output& out, std::stop_token stop) {
        const StreamEvent installed = packageStep(runner, featureVersion, prompt, out, stop);
        if (!thenJEnv || installed != StreamEvent::completed(0)) return out.finish(installed);
        out.line(QStringLiteral("Locating installed Temurin…"));
        const QList<JDKInfo> jdks = Probes{ShellRunner(runner.process), runner.fs}.probeAll().installedJDKs;
        if (stop.stop_requested()) return out.canceled();
        if (jdks.isEmpty()) {
            out.line(QStringLiteral("Installed Temurin but couldn't locate a Java installation to register "
                                    "with jEnv. You can run `jenv add /path/to/java` manually."));
            return out.completed(1);
        }
        const std::optional<JDKInfo> jdk = installedJDK(jdks, featureVersion);
        if (!jdk) {
            // Registering another JDK would point JAVA_HOME at the wrong Java.
            out.line(QStringLiteral("Installed Temurin ") + QString::number(featureVersion) +
                     QStringLiteral(" but couldn't locate it among the Java installations to register with "
                                    "jEnv. You can run `jenv add /path/to/java` manually."));
            return out.completed(1);
        }
        out.line(QStringLiteral("Found ") + jdk->path);
        out.finish(jenvStep(runner, jdk->path, featureVersion, out, stop));
    });
}

Events registerJavaWithJEnv(const Runner& runner, const QString& jdkPath, int majorVersion) {
    return Runner::task([runner, jdkPath, majorVersion](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Registering ") + jdkPath + QStringLiteral(" with jEnv (major ") +
                 QString::number(majorVersion) + QStringLiteral(")…"));
        out.finish(jenvStep(runner, jdkPath, majorVersion, out, stop));
    });
}

Events installHomebrewForJava(const Runner& runner, const std::optional<QString>& cask, const QString& reason,
                              const QString& phaseLine) {
    return Runner::task([runner, cask, reason, phaseLine](const Output& out, std::stop_token stop) {
        out.line(QStringLiteral("Running: ") +
                 HomebrewInstaller::commandText(runner.sources.homebrewInstallScript));
        const StreamEvent homebrew = installHomebrewStep(runner, out, stop);
        // Homebrew's result is the run's unless it succeeded and a cask follows.
        if (!cask || homebrew != StreamEvent::completed(0)) return out.finish(homebrew);
        out.line(QString());
        out.line(phaseLine);
        out.finish(javaCaskStep(runner, *cask, reason, out, stop));
    });
}

std::optional<QString> pkgEventLine(const PKGInstaller::Event& event, int featureVersion) {
    using E = PKGInstaller::Event::Kind;
    constexpr double megabyte = 1048576.0;
    switch (event.kind) {
    case E::downloading:
        if (event.totalBytes && *event.totalBytes >= 1)
            return QString::asprintf("Downloaded %.1f MB of %.1f MB", double(event.bytesReceived) / megabyte,
                                     double(*event.totalBytes) / megabyte);
        return QString::asprintf("Downloaded %.1f MB", double(event.bytesReceived) / megabyte);
    case E::error:
        return QStringLiteral("Error: ") + event.message;
    case E::fetching:
        return QStringLiteral("Looking up Temurin ") + QString::number(featureVersion) +
               QStringLiteral(" on Adoptium…");
    case E::slowResponse:
        return QStringLiteral("Adoptium is responding slowly — still trying…");
    case E::verifying:
        return QStringLiteral("Verifying SHA256 checksum…");
    case E::installing:
        return QStringLiteral("Running /usr/sbin/installer (macOS will ask for your password)…");
    case E::completed:
        return QStringLiteral("Installer completed.");
    case E::canceled:
        break;
    }
    return std::nullopt;
}

} // namespace qlan::jobs
