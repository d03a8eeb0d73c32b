#pragma once
// Runs Homebrew's `brew` and turns its output into a stream of output lines and exactly one terminal
// event (completed or canceled). A cask is installed with the administrator password dialog available
// and, when the first attempt does not end cleanly, repaired by its recovery policy: a forced install over
// a leftover file, a reinstall over a stale caskroom, the vendor's package when Homebrew ran sudo past the
// dialog, or one plain retry after a pause. A formula is installed plainly.

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ProcessRunning.h"
#include "remediation/AdoptiumAPI.h"
#include "remediation/InstallSources.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

struct BrewRunner {
    using Event = StreamEvent;

    struct CaskRecoveryPolicy {
        // A successful install that reports the cask as already installed while its payload is gone.
        struct StaleCaskroomRecovery {
            std::function<bool()> artifactMissing; // callable from any thread
            QString missingArtifactDescription;    // inserted into the reinstall message
        };
        // The vendor's installer package, when Homebrew ran sudo past the password dialog's wrapper.
        struct PKGFallback {
            struct Asset {
                QUrl downloadURL;
                QString checksum;
            };
            QString cacheFilePrefix;
            std::function<QString(const QString& version, const QString& architecture)> lookupMessage;
            QString timeoutMessage;
            std::function<QString(const QString& caskName)> versionFromCaskName;
            // Throws the lookup's error; `stop` cancels a request in flight.
            std::function<Asset(const QString& version, const QString& architecture, std::stop_token stop)>
                resolveAsset;
        };

        std::optional<StaleCaskroomRecovery> staleCaskroom;
        std::optional<PKGFallback> pkgFallback;

        // Neither recovery.
        static const CaskRecoveryPolicy& none();
    };

    // The errors of the package fallback (domain "BrewRunner.PKG").
    static constexpr char pkgErrorDomain[] = "BrewRunner.PKG";
    enum PKGErrorCode { badVersion = 1, downloadHTTPError = 2, checksumMismatch = 5 };

    QString brewPath; // the brew executable
    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    PrivilegedExecutor executor;
    AdoptiumAPI adoptium;
    // The pause before the one retry of a failed cask install; a cancel ends it early.
    std::chrono::milliseconds retryPause{2000};
    // The architecture word of the package fallback, fixed per build.
    QString architecture = QString::fromLatin1(InstallSources::adoptiumArchitecture);

    // `brew install --cask <name>` with the password dialog's environment (`prompt` is its text, and the
    // package installer's), then the policy's recovery. At most three brew runs, one pause, one fallback.
    Stream<Event> installCask(const QString& name, const QString& prompt,
                              const CaskRecoveryPolicy& policy) const;
    // `brew install <name>` with HOMEBREW_NO_AUTO_UPDATE=1; no password dialog, no recovery.
    Stream<Event> installFormula(const QString& name) const;
    // Whether a Temurin JDK is installed: the one named by the text after "@" in the cask name, or any
    // "temurin-*.jdk" in /Library/Java/JavaVirtualMachines, with an executable Contents/Home/bin/java.
    bool hasInstalledJDK(const QString& caskName) const;

    // The Temurin JDK's policy: reinstall when no JDK is installed, fall back to the Java builds API's
    // package. Captures a copy of the runner.
    static CaskRecoveryPolicy temurinPolicy(const BrewRunner& runner);
    // The text after the first "@" when there is any, otherwise "25".
    static QString temurinVersion(const QString& caskName);

    // The tests on a run's collected output (its lines lower-cased, each followed by "\n").
    static bool isLeftoverFile(const QString& output);
    static bool isStaleCaskroom(const QString& output);
    static bool isSudoWrapperBypassed(const QString& output);
    static bool isAuthFailureOrCancel(const QString& output);
};

} // namespace qlan
