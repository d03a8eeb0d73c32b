#include "remediation/PKGInstaller.h"

#include "platform/CancellableProcess.h"
#include "platform/PlatformError.h"
#include "platform/Worker.h"
#include "remediation/DomainError.h"
#include "remediation/PackageSteps.h"

#include <condition_variable>
#include <ctime>
#include <mutex>

namespace qlan {

namespace {

using Event = PKGInstaller::Event;
using Output = StreamContinuation<Event>;

// Sends `slowResponse` once `after` has passed on the installer's clock, unless the step it watches ends
// first. The step ends it by destroying it; after that no notice is sent, so a notice never follows the
// step's own events.
class SlowNotice {
public:
    SlowNotice(const PKGInstaller& installer, std::chrono::milliseconds after, const Output& out)
        : shared_(std::make_shared<Shared>()) {
        // The deadline counts from the start of the step, however late the worker thread gets going.
        const auto deadline = installer.clock() + after;
        worker_ = startWorker([shared = shared_, clock = installer.clock, deadline, out](std::stop_token stop) {
            std::mutex waitMutex;
            std::condition_variable_any wake;
            std::unique_lock waitLock(waitMutex);
            for (;;) {
                const auto now = clock();
                if (now >= deadline) break;
                // Short slices: the clock keeps counting while the Mac sleeps, a wait may not.
                const auto slice =
                    std::min<std::chrono::nanoseconds>(deadline - now, std::chrono::milliseconds(50));
                if (wake.wait_for(waitLock, stop, slice, [] { return false; }) || stop.stop_requested())
                    return;
            }
            std::lock_guard lock(shared->mutex);
            if (!shared->ended) out.yield(Event::of(Event::Kind::slowResponse));
        });
    }
    ~SlowNotice() {
        {
            std::lock_guard lock(shared_->mutex);
            shared_->ended = true;
        }
        worker_.request_stop();
    }
    SlowNotice(const SlowNotice&) = delete;
    SlowNotice& operator=(const SlowNotice&) = delete;

private:
    struct Shared {
        std::mutex mutex;
        bool ended = false;
    };
    std::shared_ptr<Shared> shared_;
    std::stop_source worker_;
};

enum class Step { lookup, download, verify };

Event failureEvent(const std::exception& error, Step step, const std::optional<QString>& package,
                   std::stop_token stop) {
    if (isCancellation(error) || stop.stop_requested()) return Event::of(Event::Kind::canceled);
    if (isTimeout(error))
        return Event::error(step == Step::lookup ? PKGInstaller::lookupTimeoutMessage
                                                 : PKGInstaller::downloadTimeoutMessage);
    return Event::error(errorDescription(error) + QStringLiteral(" (pkg: ") +
                        package.value_or(QStringLiteral("n/a")) + QLatin1Char(')'));
}

void runInstallation(const PKGInstaller& installer, int featureVersion, const QString& prompt,
                     const Output& out, CancellableProcess& job, std::stop_token stop) {
    std::optional<QString> package;
    const auto end = [&](const Event& terminal) {
        out.yield(terminal);
        out.finish();
        if (!package) return;
        try {
            installer.fs->removeItem(*package);
        } catch (const std::exception&) {
            // Already gone.
        }
    };

    out.yield(Event::of(Event::Kind::fetching));
    Step step = Step::lookup;
    try {
        AdoptiumAPI::AssetMetadata asset;
        {
            SlowNotice notice(installer, installer.lookupSlowAfter, out);
            asset = installer.adoptium.latestAsset(featureVersion, installer.architecture, stop);
        }
        step = Step::download;
        {
            SlowNotice notice(installer, installer.downloadSlowAfter, out);
            const QString destination =
                preparePackageDestination(*installer.fs, installer.packageFileName(featureVersion));
            downloadPackage(*installer.http, *installer.fs, asset.downloadURL, destination,
                            DomainError(QString::fromLatin1(PKGInstaller::errorDomain),
                                        PKGInstaller::downloadHTTPError,
                                        QStringLiteral("Adoptium download HTTP error")),
                            stop);
            package = destination;
        }
        std::int64_t size = 0;
        try {
            size = installer.fs->attributesOfItem(*package).size.value_or(0);
        } catch (const std::exception&) {
            // The size is only shown.
        }
        out.yield(Event::downloading(size, size));

        step = Step::verify;
        out.yield(Event::of(Event::Kind::verifying));
        verifyChecksum(*package, asset.checksum, QString::fromLatin1(PKGInstaller::errorDomain),
                       PKGInstaller::checksumMismatch);
    } catch (const std::exception& error) {
        end(failureEvent(error, step, package, stop));
        return;
    }

    // A run cancelled during the checksum test asks for no password.
    if (job.isCanceled()) return end(Event::of(Event::Kind::canceled));
    out.yield(Event::of(Event::Kind::installing));
    const InstallerOutcome outcome =
        runInstallerWithAdminPrompt(*installer.process, *package, prompt, job, stop);
    switch (outcome.kind) {
    case InstallerOutcome::Kind::succeeded:
        return end(Event::of(Event::Kind::completed));
    case InstallerOutcome::Kind::canceled:
        return end(Event::of(Event::Kind::canceled));
    case InstallerOutcome::Kind::failed:
        return end(Event::error(outcome.message));
    }
}

} // namespace

std::chrono::nanoseconds PKGInstaller::continuousClock() {
#if defined(__APPLE__)
    constexpr clockid_t id = CLOCK_MONOTONIC; // keeps counting while the Mac sleeps
#else
    constexpr clockid_t id = CLOCK_BOOTTIME;
#endif
    timespec now{};
    ::clock_gettime(id, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

QString PKGInstaller::packageFileName(int featureVersion) const {
    return QStringLiteral("temurin-") + QString::number(featureVersion) + QLatin1Char('-') + architecture +
           QStringLiteral(".pkg");
}

Stream<PKGInstaller::Event> PKGInstaller::install(int featureVersion, const QString& prompt) const {
    auto made = Stream<Event>::make(); // not a structured binding: the lambdas below capture it
    auto& stream = made.first;
    auto& out = made.second;
    auto job = std::make_shared<CancellableProcess>();
    std::stop_source run =
        startWorker([installer = *this, featureVersion, prompt, out, job](std::stop_token stop) {
            try {
                runInstallation(installer, featureVersion, prompt, out, *job, stop);
            } catch (const std::exception& error) {
                out.yield(Event::error(errorDescription(error)));
            }
            out.finish();
        });
    out.onTermination([job, run](StreamTermination) mutable {
        job->cancel();
        run.request_stop();
    });
    return std::move(stream);
}

} // namespace qlan
