#include "remediation/BrewRunner.h"

#include "platform/JdkReleaseFileReader.h"
#include "platform/Pause.h"
#include "remediation/ChildRun.h"
#include "remediation/DomainError.h"
#include "remediation/JobStream.h"
#include "remediation/PackageSteps.h"

#include <QStringList>

#include <span>

namespace qlan {

namespace {

QString afterFirstAt(const QString& caskName) {
    const qsizetype at = caskName.indexOf(QLatin1Char('@'));
    return at < 0 ? QString() : caskName.mid(at + 1);
}

bool containsAny(const QString& output, std::span<const QLatin1String> markers) {
    for (const QLatin1String marker : markers)
        if (output.contains(marker)) return true;
    return false;
}

// An optional sign, then decimal digits only, within range.
std::optional<int> featureVersion(const QString& text) {
    QString digits = text;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-'))) digits.remove(0, 1);
    if (digits.isEmpty()) return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The cask job of BrewRunner: the first `brew install --cask`, the decision taken after each brew run,
// the recoveries it may start, and the package fallback.
//
// Every decision reads the job's cancel flag first, and no further step (a brew run, the pause, the
// package lookup, its download, the administrator prompt) starts once the job is cancelled.
struct BrewRun {
    std::int32_t status = -1;
    QString output; // lines lower-cased, each followed by "\n"
};

class CaskJob {
public:
    CaskJob(const BrewRunner& runner, QString name, QString prompt, BrewRunner::CaskRecoveryPolicy policy,
            Environment environment, const JobOutput& out, CancellableProcess& job, std::stop_token stop)
        : runner_(runner)
        , name_(std::move(name))
        , prompt_(std::move(prompt))
        , policy_(std::move(policy))
        , environment_(std::move(environment))
        , out_(out)
        , job_(job)
        , stop_(std::move(stop)) {}

    // The whole job, up to its terminal event.
    StreamEvent run() {
        const BrewRun first = launchBrew(QStringLiteral("install"), false);
        if (canceled()) return StreamEvent::canceled();
        if (first.status == 0) {
            if (policy_.staleCaskroom && BrewRunner::isStaleCaskroom(first.output) &&
                policy_.staleCaskroom->artifactMissing()) {
                announce(QStringLiteral("Homebrew reports ") + name_ +
                         QStringLiteral(" is already installed, but ") +
                         policy_.staleCaskroom->missingArtifactDescription +
                         QStringLiteral(". Retrying with `brew reinstall --cask ") + name_ +
                         QStringLiteral("`…"));
                return afterReinstall(launchBrew(QStringLiteral("reinstall"), false));
            }
            return StreamEvent::completed(0);
        }
        return failureChain(first);
    }

private:
    bool canceled() const { return job_.isCanceled(); }

    void line(const QString& text) const { out_.line(text); }

    void announce(const QString& message) const {
        line(QString());
        line(message);
    }

    BrewRun launchBrew(const QString& verb, bool force) const {
        QStringList arguments{verb, QStringLiteral("--cask")};
        if (force) arguments.append(QStringLiteral("--force"));
        arguments.append(name_);
        BrewRun result;
        const ChildRun run = runChild(*runner_.process, runner_.brewPath, arguments, environment_, job_,
                                      stop_, [&](const QString& text, qint64 omitted) {
                                          out_.line(text, omitted);
                                          result.output += text.toLower();
                                          result.output += QLatin1Char('\n');
                                      });
        if (run.startFailure) {
            line(QStringLiteral("Failed to start brew: ") + *run.startFailure);
            return BrewRun{};
        }
        result.status = run.status();
        return result;
    }

    StreamEvent afterReinstall(const BrewRun& reinstall) {
        if (canceled()) return StreamEvent::canceled();
        if (reinstall.status == 0) return StreamEvent::completed(0);
        return failureChain(reinstall);
    }

    // Homebrew ran sudo where the password dialog could not reach it. Without a package to fall back
    // on this is a failure the user should hear about, not a refused password.
    StreamEvent dialogNotShown(const BrewRun& run) const {
        line(QStringLiteral("macOS couldn’t show the password dialog for this install (Homebrew ran sudo "
                            "without it), so nothing was installed."));
        return StreamEvent::completed(run.status);
    }

    StreamEvent failureChain(const BrewRun& failed) {
        if (canceled()) return StreamEvent::canceled();
        if (BrewRunner::isLeftoverFile(failed.output)) {
            announce(
                QStringLiteral("A leftover file is blocking the install. Retrying with `brew install --cask "
                               "--force ") +
                name_ + QStringLiteral("`…"));
            return afterForcedInstall(launchBrew(QStringLiteral("install"), true));
        }
        if (BrewRunner::isSudoWrapperBypassed(failed.output)) {
            if (policy_.pkgFallback) return startFallback();
            return dialogNotShown(failed);
        }
        if (BrewRunner::isAuthFailureOrCancel(failed.output)) return StreamEvent::canceled();

        announce(QStringLiteral("That didn’t work — retrying once in a moment…"));
        pauseUnlessStopped(runner_.retryPause, stop_);
        if (canceled()) return StreamEvent::canceled();
        const BrewRun retry = launchBrew(QStringLiteral("install"), false);
        if (canceled()) return StreamEvent::canceled();
        return StreamEvent::completed(retry.status);
    }

    StreamEvent afterForcedInstall(const BrewRun& forced) {
        if (canceled()) return StreamEvent::canceled();
        if (forced.status == 0) return StreamEvent::completed(0);
        if (BrewRunner::isSudoWrapperBypassed(forced.output)) {
            if (policy_.pkgFallback) return startFallback();
            return dialogNotShown(forced);
        }
        if (BrewRunner::isAuthFailureOrCancel(forced.output)) return StreamEvent::canceled();
        return StreamEvent::completed(forced.status);
    }

    StreamEvent startFallback() {
        announce(QStringLiteral("Homebrew bypassed our sudo wrapper. Falling back to direct .pkg install…"));
        const auto& fallback = *policy_.pkgFallback;
        return pkgFallback(fallback, fallback.versionFromCaskName(name_));
    }

    // Downloads the vendor's package into the edition's cache folder; returns its path.
    QString download(const BrewRunner::CaskRecoveryPolicy::PKGFallback& fallback, const QUrl& url,
                     const QString& version, const QString& architecture) const {
        const QString destination = preparePackageDestination(
            *runner_.fs, fallback.cacheFilePrefix + QLatin1Char('-') + version + QLatin1Char('-') +
                             architecture + QStringLiteral(".pkg"));
        downloadPackage(*runner_.http, *runner_.fs, url, destination,
                        DomainError(QString::fromLatin1(BrewRunner::pkgErrorDomain),
                                    BrewRunner::downloadHTTPError,
                                    QStringLiteral("Install-asset download HTTP error")),
                        stop_);
        return destination;
    }

    StreamEvent pkgFallback(const BrewRunner::CaskRecoveryPolicy::PKGFallback& fallback,
                            const QString& version) {
        const QString architecture = runner_.architecture;
        QString package;
        const auto removePackage = [&] {
            if (package.isEmpty()) return;
            try {
                runner_.fs->removeItem(package);
            } catch (const std::exception&) {
                // Already gone.
            }
        };
        try {
            if (canceled()) return StreamEvent::canceled();
            line(fallback.lookupMessage(version, architecture));
            const auto asset = fallback.resolveAsset(version, architecture, stop_);
            if (canceled()) return StreamEvent::canceled();
            line(QStringLiteral("GET ") + asset.downloadURL.toString(QUrl::FullyEncoded));
            package = download(fallback, asset.downloadURL, version, architecture);
            line(QStringLiteral("Saved to ") + package);
            line(QStringLiteral("Verifying download checksum…"));
            if (canceled()) {
                removePackage();
                return StreamEvent::canceled();
            }
            verifyChecksum(package, asset.checksum, QString::fromLatin1(BrewRunner::pkgErrorDomain),
                           BrewRunner::checksumMismatch);
        } catch (const std::exception& error) {
            removePackage();
            if (isCancellation(error) || canceled()) return StreamEvent::canceled();
            if (isTimeout(error)) {
                line(fallback.timeoutMessage);
                return StreamEvent::completed(1);
            }
            line(QStringLiteral("Fallback failed: ") + errorDescription(error));
            return StreamEvent::completed(1);
        }

        line(QStringLiteral("Running /usr/sbin/installer (macOS will ask for your password)…"));
        const InstallerOutcome outcome =
            runInstallerWithAdminPrompt(*runner_.process, package, prompt_, job_, stop_);
        removePackage();
        switch (outcome.kind) {
        case InstallerOutcome::Kind::succeeded:
            line(QStringLiteral("Installer completed."));
            return StreamEvent::completed(0);
        case InstallerOutcome::Kind::canceled:
            return StreamEvent::canceled();
        case InstallerOutcome::Kind::failed:
            break;
        }
        line(QStringLiteral("Installer failed: ") + outcome.message);
        return StreamEvent::completed(1);
    }

    const BrewRunner& runner_;
    QString name_;
    QString prompt_;
    BrewRunner::CaskRecoveryPolicy policy_;
    Environment environment_;
    const JobOutput& out_;
    CancellableProcess& job_;
    std::stop_token stop_;
};

} // namespace

const BrewRunner::CaskRecoveryPolicy& BrewRunner::CaskRecoveryPolicy::none() {
    // Read on job threads, also while the process ends: never destroyed.
    static const CaskRecoveryPolicy* const empty = new CaskRecoveryPolicy;
    return *empty;
}

bool BrewRunner::isLeftoverFile(const QString& output) {
    return output.contains(QStringLiteral("it seems there is already"));
}

bool BrewRunner::isStaleCaskroom(const QString& output) {
    return output.contains(QStringLiteral("not upgrading")) &&
           output.contains(QStringLiteral("already installed"));
}

bool BrewRunner::isSudoWrapperBypassed(const QString& output) {
    return output.contains(QStringLiteral("a terminal is required")) &&
           output.contains(QStringLiteral("a password is required"));
}

bool BrewRunner::isAuthFailureOrCancel(const QString& output) {
    // Constants that nothing destroys: job threads read them, also while the process ends.
    static constexpr QLatin1String markers[] = {QLatin1String("a password is required"),
                                                QLatin1String("sudo: a password is required"),
                                                QLatin1String("user canceled"),
                                                QLatin1String("sudo_askpass"),
                                                QLatin1String("askpass"),
                                                QLatin1String("authentication failed"),
                                                QLatin1String("execution error: user canceled")};
    return containsAny(output, markers);
}

bool BrewRunner::hasInstalledJDK(const QString& caskName) const {
    const auto javaIn = [&](const QString& entry) {
        return fs->isExecutableFile(JdkReleaseFileReader::jvmFolder + QLatin1Char('/') + entry +
                                    QStringLiteral("/Contents/Home/bin/java"));
    };
    const QString version = afterFirstAt(caskName);
    if (!version.isEmpty()) return javaIn(QStringLiteral("temurin-") + version + QStringLiteral(".jdk"));

    QStringList entries;
    try {
        entries = fs->contentsOfDirectory(JdkReleaseFileReader::jvmFolder);
    } catch (const std::exception&) {
        return false;
    }
    for (const QString& entry : entries)
        if (entry.startsWith(QStringLiteral("temurin-")) && entry.endsWith(QStringLiteral(".jdk")) &&
            javaIn(entry))
            return true;
    return false;
}

QString BrewRunner::temurinVersion(const QString& caskName) {
    const QString version = afterFirstAt(caskName);
    return version.isEmpty() ? QStringLiteral("25") : version;
}

BrewRunner::CaskRecoveryPolicy BrewRunner::temurinPolicy(const BrewRunner& runner) {
    CaskRecoveryPolicy policy;
    policy.staleCaskroom = CaskRecoveryPolicy::StaleCaskroomRecovery{
        [runner] { return !runner.hasInstalledJDK(QStringLiteral("temurin")); },
        QStringLiteral("the JDK is missing from /Library/Java/JavaVirtualMachines/")};

    CaskRecoveryPolicy::PKGFallback fallback;
    fallback.cacheFilePrefix = QStringLiteral("temurin");
    fallback.lookupMessage = [](const QString& version, const QString& architecture) {
        return QStringLiteral("Looking up Temurin ") + version + QStringLiteral(" (") + architecture +
               QStringLiteral(") on Adoptium…");
    };
    fallback.timeoutMessage = QStringLiteral(
        "Adoptium didn't respond in time. Try again in a moment, or use Other Java install methods.");
    fallback.versionFromCaskName = &BrewRunner::temurinVersion;
    fallback.resolveAsset = [adoptium = runner.adoptium](const QString& version, const QString& architecture,
                                                         std::stop_token stop) {
        const std::optional<int> feature = featureVersion(version);
        if (!feature)
            throw DomainError(QString::fromLatin1(pkgErrorDomain), badVersion,
                              QStringLiteral("Bad Temurin major version: ") + version);
        const AdoptiumAPI::AssetMetadata asset = adoptium.latestAsset(*feature, architecture, stop);
        return CaskRecoveryPolicy::PKGFallback::Asset{asset.downloadURL, asset.checksum};
    };
    policy.pkgFallback = std::move(fallback);
    return policy;
}

Stream<BrewRunner::Event> BrewRunner::installCask(const QString& name, const QString& prompt,
                                                  const CaskRecoveryPolicy& policy) const {
    return startJobStream([runner = *this, name, prompt,
                           policy](const JobOutput& out, CancellableProcess& job, std::stop_token stop) {
        out.finish(runPrivileged(runner.executor, prompt, out, [&](const Environment& privileged) {
            return CaskJob(runner, name, prompt, policy, applicationEnvironmentWith(privileged), out, job,
                           stop)
                .run();
        }));
    });
}

Stream<BrewRunner::Event> BrewRunner::installFormula(const QString& name) const {
    return startJobStream(
        [runner = *this, name](const JobOutput& out, CancellableProcess& job, std::stop_token stop) {
            Environment environment = applicationEnvironmentWith({});
            environment.insert(QStringLiteral("HOMEBREW_NO_AUTO_UPDATE"), QStringLiteral("1"));
            const ChildRun run =
                runChild(*runner.process, runner.brewPath, {QStringLiteral("install"), name}, environment,
                         job, stop, [&](const QString& line, qint64 omitted) { out.line(line, omitted); });
            if (run.startFailure) {
                out.line(QStringLiteral("Failed to start brew: ") + *run.startFailure);
                out.completed(-1);
            } else if (job.isCanceled()) {
                out.canceled();
            } else {
                out.completed(run.status());
            }
        });
}

} // namespace qlan
