// The cask job of BrewRunner: the first `brew install --cask`, the decision taken after each brew run,
// the recoveries it may start, and the package fallback.
//
// Every decision reads the job's cancel flag first, and no further step (a brew run, the pause, the
// package lookup, its download, the administrator prompt) starts once the job is cancelled.

#include "remediation/BrewRunner.h"

#include "platform/Pause.h"
#include "remediation/ChildRun.h"
#include "remediation/DomainError.h"
#include "remediation/JobStream.h"
#include "remediation/PackageSteps.h"

namespace qlan {

namespace {

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

} // namespace qlan
