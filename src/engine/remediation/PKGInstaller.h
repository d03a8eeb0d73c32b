#pragma once
// Installs a Temurin JDK from the installer package that the Java builds API publishes: looks the latest
// package of a feature version up, downloads it into the edition's cache folder, verifies its SHA-256
// checksum and runs the system installer with administrator rights (the password dialog through
// AppleScript). The package is removed after every run that finished its download. One stream of events
// ending with exactly one of `completed`, `canceled` or `error`; a lookup or a download that takes long
// adds a `slowResponse` notice, once per step, and goes on.

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "platform/Stream.h"
#include "remediation/AdoptiumAPI.h"
#include "remediation/InstallSources.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qlan {

struct PKGInstaller {
    struct Event {
        enum class Kind {
            downloading,
            error,
            fetching,
            slowResponse,
            verifying,
            installing,
            completed,
            canceled
        };
        Kind kind = Kind::fetching;
        std::int64_t bytesReceived = 0;         // `downloading`: the package's size
        std::optional<std::int64_t> totalBytes; // `downloading`: the package's size
        QString message;                        // `error`: the text for the user

        static Event downloading(std::int64_t received, std::optional<std::int64_t> total) {
            return {Kind::downloading, received, total, {}};
        }
        static Event error(QString message) { return {Kind::error, 0, std::nullopt, std::move(message)}; }
        static Event of(Kind kind) { return {kind, 0, std::nullopt, {}}; }

        bool isTerminal() const {
            return kind == Kind::error || kind == Kind::completed || kind == Kind::canceled;
        }
        friend bool operator==(const Event&, const Event&) = default;
    };

    // The errors made here (domain "PKGInstaller").
    static constexpr char errorDomain[] = "PKGInstaller";
    enum ErrorCode { downloadHTTPError = 2, checksumMismatch = 6 };

    static constexpr QLatin1String lookupTimeoutMessage{
        "Adoptium didn't respond within 20 seconds. Try again in a moment, or use Other Java install "
        "methods."};
    // The download has no 20-second limit of its own; its time-out says so in other words.
    static constexpr QLatin1String downloadTimeoutMessage{
        "The download from Adoptium timed out. Try again in a moment, or use Other Java install methods."};

    std::shared_ptr<ProcessRunning> process;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    AdoptiumAPI adoptium;
    // The architecture word of the lookup and the package's file name, fixed per build.
    QString architecture = QString::fromLatin1(InstallSources::adoptiumArchitecture);
    // When a step counts as slow, measured on `clock`.
    std::chrono::milliseconds lookupSlowAfter{8000};
    std::chrono::milliseconds downloadSlowAfter{15000};
    // A monotonic clock that keeps counting while the Mac sleeps.
    std::function<std::chrono::nanoseconds()> clock = continuousClock;

    // Starts one installation on a worker thread and returns its stream at once. Ending the stream
    // cancels the run: a request in flight stops, a running osascript is terminated, no later step starts.
    Stream<Event> install(int featureVersion, const QString& prompt) const;

    // "temurin-<version>-<architecture>.pkg".
    QString packageFileName(int featureVersion) const;

    static std::chrono::nanoseconds continuousClock();
};

} // namespace qlan
