// The runners of the streaming remediation screen: which engine job each fix starts, and how the events
// of its stream become output lines, the exit status and the cancel flag.

#include "progress/StreamingRemediationModel.h"
#include "remediation/PasswordDialog.h"

#include "editions/brew/HomebrewLocationState.h"
#include "platform/ProbeSupport.h"
#include "platform/Probes.h"
#include "platform/Worker.h"
#include "progress/StreamTask.h"
#include "progress/ZshrcActivationPreview.h"
#include "remediation/BrewRunner.h"
#include "remediation/HomebrewInstaller.h"
#include "remediation/JEnvRunner.h"
#include "remediation/MiseRunner.h"
#include "remediation/SDKMANRunner.h"

namespace qlan {

namespace {

using Kind = Remediation::Kind;

QString homePath(const AppServices& services, const QString& name) {
    return probing::appendingPath(services.fs->homeDirectory(), name);
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

} // namespace

void StreamingRemediationModel::run(Step done) {
    const Remediation& r = remediation_;
    switch (r.kind) {
    case Kind::installTemurinViaBrew:
        return runBrewInstall(r.name, temurinPrompt, std::move(done));
    case Kind::installViaSDKMAN:
        return runSDKMAN(QStringLiteral("sdk install java ") + r.name + QStringLiteral(" y"),
                         SDKMANRunner::installJavaArguments(r.name), std::move(done));
    case Kind::installViaMise:
        return runMise(r.name, true, std::move(done));
    case Kind::installViaPKG:
        return runPKGInstall(r.number, std::move(done));
    case Kind::installViaPKGThenJEnv:
        return runPKGThenJEnv(r.number, std::move(done));
    case Kind::setJavaHomeViaSDKMAN:
        return runSDKMAN(QStringLiteral("sdk default java ") + r.name,
                         SDKMANRunner::defaultJavaArguments(r.name), std::move(done));
    case Kind::setJavaHomeViaMise:
        return runMise(r.name, false, std::move(done));
    case Kind::setJavaHomeViaJenv:
        return runJEnvRegister(r.jdkPath, r.number, std::move(done));
    case Kind::installHomebrewThenTemurin:
        return runHomebrewThenCask(r.name, temurinPrompt,
                                   QStringLiteral("Homebrew installed. Now installing Temurin via Homebrew…"),
                                   std::move(done));
    case Kind::installWarpViaBrew:
        return runBrewInstall(r.name, QString(), std::move(done));
    case Kind::installHomebrewThenWarp:
        return runHomebrewThenCask(r.name, QString(),
                                   QStringLiteral("Homebrew installed. Now installing Warp via Homebrew…"),
                                   std::move(done));
    case Kind::installHomebrew:
        return runHomebrewInstall(std::move(done));
    case Kind::writeJavaHomeToZprofile:
    case Kind::keepCurrentLegacyJava:
        break; // the ~/.zprofile sheet's: no job here
    }
    done();
}

void StreamingRemediationModel::runBrewInstall(const QString& cask, const QString& reason, Step done) {
    QString brew;
    for (const QString& location :
         {HomebrewLocationState::appleSiliconBrew, HomebrewLocationState::intelBrew})
        if (services_.fs->isExecutableFile(location)) {
            brew = location;
            break;
        }
    if (brew.isEmpty()) {
        appendLine(QStringLiteral("Homebrew not found in /opt/homebrew/bin or /usr/local/bin."));
        exitCode_ = -1;
        return done();
    }
    BrewRunner runner{brew,
                      services_.processRunner,
                      services_.http,
                      services_.fs,
                      editionPrivilegedExecutor(services_.fs),
                      AdoptiumAPI{services_.http, sources_.adoptiumBase}};
    runner.retryPause = sources_.brewRetryPause;
    runner.architecture = sources_.architecture;
    consumeRunnerEvents(runner.installCask(cask, reason, BrewRunner::CaskRecoveryPolicy::none()),
                        std::move(done));
}

void StreamingRemediationModel::runSDKMAN(const QString& shownCommand, const QString& arguments, Step done) {
    const QString root = homePath(services_, QStringLiteral(".sdkman"));
    if (!services_.fs->fileExists(probing::appendingPath(root, QStringLiteral("bin/sdkman-init.sh")))) {
        appendLine(QStringLiteral("SDKMAN init script not found at ~/.sdkman/bin/sdkman-init.sh."));
        exitCode_ = -1;
        return done();
    }
    // The candidate is shown as given; the command receives it as one quoted word.
    appendLine(QStringLiteral("Running: ") + shownCommand);
    const SDKMANRunner runner(root, ShellRunner(services_.processRunner), services_.fs);
    consumeRunnerEvents(runner.run(arguments), std::move(done));
}

void StreamingRemediationModel::runMise(const QString& version, bool install, Step done) {
    const MiseRunner runner(QString(), ShellRunner(services_.processRunner), services_.fs);
    const QString java = QStringLiteral("java@") + version;
    if (install) {
        appendLine(QStringLiteral("Running: mise install ") + java + QStringLiteral(" && mise use -g ") +
                   java);
    } else {
        appendLine(QStringLiteral("Running: mise use -g ") + java);
    }
    consumeRunnerEvents(install ? runner.installJava(version) : runner.useJava(version),
                        [this, done = std::move(done)] {
                            if (exitCode_ == 0 && !canceledByUser_)
                                zshrc_->prepare(ShellActivationManager::mise);
                            done();
                        });
}

namespace {

PKGInstaller pkgInstaller(const AppServices& services, const StreamingRemediationModel::Sources& sources) {
    PKGInstaller installer{services.processRunner, services.http, services.fs,
                           AdoptiumAPI{services.http, sources.adoptiumBase}};
    installer.architecture = sources.architecture;
    return installer;
}

} // namespace

void StreamingRemediationModel::runPKGInstall(int featureVersion, Step done) {
    consumePKGEvents(pkgInstaller(services_, sources_).install(featureVersion, temurinPrompt), featureVersion,
                     [this, done = std::move(done)](std::int32_t code) {
                         exitCode_ = code;
                         done();
                     });
}

void StreamingRemediationModel::runPKGThenJEnv(int featureVersion, Step done) {
    consumePKGEvents(
        pkgInstaller(services_, sources_).install(featureVersion, temurinPrompt), featureVersion,
        [this, featureVersion, done = std::move(done)](std::int32_t code) mutable {
            if (code != 0 || canceledByUser_) {
                exitCode_ = code;
                return done();
            }
            appendLine(QStringLiteral("Locating installed Temurin…"));
            const Probes probes{ShellRunner(services_.processRunner), services_.fs};
            runOffThread(
                this, [probes] { return probes.probeAll().installedJDKs; },
                [this, featureVersion, done = std::move(done)](QList<JDKInfo> jdks) mutable {
                    if (canceledByUser_) return done();
                    if (jdks.isEmpty()) {
                        appendLine(
                            QStringLiteral("Installed Temurin but couldn't locate a Java installation to "
                                           "register with jEnv. You can run `jenv add /path/to/java` "
                                           "manually."));
                        exitCode_ = 1;
                        return done();
                    }
                    const std::optional<JDKInfo> jdk = installedJDK(jdks, featureVersion);
                    if (!jdk) {
                        // Registering another JDK would point JAVA_HOME at the wrong Java.
                        appendLine(QStringLiteral("Installed Temurin ") + QString::number(featureVersion) +
                                   QStringLiteral(" but couldn't locate it among the Java installations to "
                                                  "register with jEnv. You can run `jenv add /path/to/java` "
                                                  "manually."));
                        exitCode_ = 1;
                        return done();
                    }
                    appendLine(QStringLiteral("Found ") + jdk->path);
                    registerWithJEnv(jdk->path, featureVersion, std::move(done));
                });
        });
}

void StreamingRemediationModel::runJEnvRegister(const QString& jdkPath, int majorVersion, Step done) {
    appendLine(QStringLiteral("Registering ") + jdkPath + QStringLiteral(" with jEnv (major ") +
               QString::number(majorVersion) + QStringLiteral(")…"));
    registerWithJEnv(jdkPath, majorVersion, std::move(done));
}

void StreamingRemediationModel::registerWithJEnv(const QString& jdkPath, int majorVersion, Step done) {
    const JEnvRunner runner(homePath(services_, QStringLiteral(".jenv")),
                            ShellRunner(services_.processRunner), services_.fs);
    consumeRunnerEvents(runner.registerJDK(jdkPath, majorVersion), [this, done = std::move(done)] {
        if (exitCode_ == 0 && !canceledByUser_) zshrc_->prepare(ShellActivationManager::jenv);
        done();
    });
}

void StreamingRemediationModel::runHomebrewInstall(Step done) {
    const HomebrewInstaller installer{services_.processRunner, services_.fs,
                                      editionPrivilegedExecutor(services_.fs),
                                      sources_.homebrewInstallScript};
    appendLine(QStringLiteral("Running: ") + HomebrewInstaller::commandText(installer.installScriptURL));
    consumeRunnerEvents(installer.run(), std::move(done));
}

void StreamingRemediationModel::runHomebrewThenCask(const QString& cask, const QString& reason,
                                                    const QString& phaseLine, Step done) {
    runHomebrewInstall([this, cask, reason, phaseLine, done = std::move(done)]() mutable {
        if (exitCode_ != 0 || canceledByUser_) return done(); // Homebrew's result is the run's
        exitCode_.reset();
        appendLine(QString());
        appendLine(phaseLine);
        runBrewInstall(cask, reason, std::move(done));
    });
}

// ---- Consuming the streams ----

std::optional<QString> StreamingRemediationModel::pkgEventLine(const PKGInstaller::Event& event,
                                                               int featureVersion) {
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

StreamTask* StreamingRemediationModel::newStreamTask() {
    if (streamTask_) streamTask_->deleteLater();
    streamTask_ = new StreamTask(this);
    return streamTask_;
}

void StreamingRemediationModel::consumeRunnerEvents(Stream<StreamEvent> stream, Step done) {
    newStreamTask()->start<StreamEvent>(
        std::move(stream),
        [this](StreamEvent event) {
            switch (event.kind) {
            case StreamEvent::Kind::output:
                keepLine(event.text);
                break;
            case StreamEvent::Kind::completed:
                exitCode_ = event.exitCode;
                break;
            case StreamEvent::Kind::canceled:
                canceledByUser_ = true;
                emit stateChanged();
                break;
            }
        },
        [this] { flushLines(); },
        [this, done = std::move(done)] {
            flushLines();
            done();
        });
}

void StreamingRemediationModel::consumePKGEvents(Stream<PKGInstaller::Event> stream, int featureVersion,
                                                 std::function<void(std::int32_t)> done) {
    using E = PKGInstaller::Event::Kind;
    auto code = std::make_shared<std::int32_t>(-1);
    newStreamTask()->start<PKGInstaller::Event>(
        std::move(stream),
        [this, code, featureVersion](PKGInstaller::Event event) {
            if (std::optional<QString> line = pkgEventLine(event, featureVersion)) keepLine(*line);
            if (event.kind == E::error) *code = 1;
            if (event.kind == E::completed) *code = 0;
            if (event.kind == E::canceled) {
                canceledByUser_ = true;
                emit stateChanged();
            }
        },
        [this] { flushLines(); },
        [this, code, done = std::move(done)] {
            flushLines();
            done(*code);
        });
}

} // namespace qlan
