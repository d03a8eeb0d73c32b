#pragma once
// The steps of installing a vendor's installer package: its download into the edition's cache folder,
// its SHA-256 test and the system installer run through AppleScript with the administrator password
// dialog.

#include "platform/CancellableProcess.h"
#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/ProcessRunning.h"
#include "remediation/DomainError.h"

#include <QString>

#include <stop_token>

namespace qlan {

// The path of `fileName` in the current edition's folder inside the user's Caches folder. The folder is
// created with its parents, and whatever is already at the path is removed (a stale package is never
// verified). Throws the file system's error when a folder cannot be had or made.
QString preparePackageDestination(FileSystemOperating& fs, const QString& fileName);

// Downloads `url` and moves the body to `destination`. A status outside 200 to 299 throws `statusError`
// (the temporary file is removed); the transport's errors (a time-out, a cancellation through `stop`)
// and a failed move are thrown unchanged, the temporary file removed after a failed move too.
void downloadPackage(HTTPFetching& http, FileSystemOperating& fs, const QUrl& url, const QString& destination,
                     const DomainError& statusError, std::stop_token stop);

// The file's SHA-256 digest as 64 lower-case hexadecimal digits. The file is read in pieces, never held
// whole in memory. Throws PlatformError when it cannot be read.
QString sha256Hex(const QString& path);

// Throws DomainError(errorDomain, mismatchCode, "Checksum mismatch (expected E, got C)") unless the
// file's digest equals `expected` exactly (no change of case, no trimming): an empty or malformed
// expected checksum never passes. A read failure is thrown unchanged.
void verifyChecksum(const QString& path, const QString& expected, const QString& errorDomain,
                    int mismatchCode);

struct InstallerOutcome {
    enum class Kind { succeeded, canceled, failed };
    Kind kind = Kind::failed;
    QString message; // for `failed`

    static InstallerOutcome succeeded() { return {Kind::succeeded, {}}; }
    static InstallerOutcome canceled() { return {Kind::canceled, {}}; }
    static InstallerOutcome failed(QString message) { return {Kind::failed, std::move(message)}; }
    friend bool operator==(const InstallerOutcome&, const InstallerOutcome&) = default;
};

// The AppleScript that asks for the administrator password with `prompt` and then has the shell run
// `/usr/sbin/installer -pkg <path> -target /`. The path is one single-quoted shell word, and the whole
// command and the prompt are escaped for AppleScript strings, so no character of a folder name runs as
// a command.
QString installerAppleScript(const QString& packagePath, const QString& prompt);

// Runs "/usr/bin/osascript -e <script>" (inheriting the application's environment), registered with the
// job. Nothing is shown while it runs. Failed to start: failed("Failed to start osascript: ..."); the
// job cancelled: canceled; exit 0: succeeded; "(-128)" or "user canceled" in the output (the dialog was
// dismissed): canceled; otherwise failed with the trimmed output, or "osascript exited <status>" when
// there is none (-1 when it ended without a status).
InstallerOutcome runInstallerWithAdminPrompt(ProcessRunning& process, const QString& packagePath,
                                             const QString& prompt, CancellableProcess& job,
                                             std::stop_token stop);

} // namespace qlan
