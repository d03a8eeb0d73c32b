#include "remediation/PackageSteps.h"

#include "editions/ProductConfig.h"
#include "platform/PlatformError.h"
#include "platform/PrivilegedExecutor.h"
#include "platform/ShellQuoting.h"
#include "remediation/ChildRun.h"
#include "remediation/DomainError.h"

#include <QCryptographicHash>
#include <QFile>

namespace qlan {

namespace {

void removeIgnoringFailure(FileSystemOperating& fs, const QString& path) {
    try {
        fs.removeItem(path);
    } catch (const std::exception&) {
        // Nothing there, or not ours to report.
    }
}

} // namespace

QString preparePackageDestination(FileSystemOperating& fs, const QString& fileName) {
    const QString folder = fs.urlForDirectory(StandardDirectory::caches, true) + QLatin1Char('/') +
                           ProductConfig::current().cacheDirName;
    fs.createDirectory(folder, true);
    const QString destination = folder + QLatin1Char('/') + fileName;
    removeIgnoringFailure(fs, destination);
    return destination;
}

void downloadPackage(HTTPFetching& http, FileSystemOperating& fs, const QUrl& url, const QString& destination,
                     const DomainError& statusError, std::stop_token stop) {
    auto [temporary, response] = http.download(url, stop);
    if (response.statusCode < 200 || response.statusCode > 299) {
        removeIgnoringFailure(fs, temporary);
        throw statusError;
    }
    try {
        fs.moveItem(temporary, destination);
    } catch (...) {
        removeIgnoringFailure(fs, temporary); // a download that could not be put in place is not kept
        throw;
    }
}

QString sha256Hex(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(QStringLiteral("Couldn't read %1: %2").arg(path, file.errorString()),
                            static_cast<int>(file.error()));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n < 0)
            throw PlatformError(QStringLiteral("Couldn't read %1: %2").arg(path, file.errorString()),
                                static_cast<int>(file.error()));
        if (n == 0) break;
        hash.addData(QByteArrayView(buffer.constData(), n));
    }
    return QString::fromLatin1(hash.result().toHex());
}

void verifyChecksum(const QString& path, const QString& expected, const QString& errorDomain,
                    int mismatchCode) {
    const QString computed = sha256Hex(path);
    if (computed != expected)
        throw DomainError(errorDomain, mismatchCode,
                          QStringLiteral("Checksum mismatch (expected %1, got %2)").arg(expected, computed));
}

QString installerAppleScript(const QString& packagePath, const QString& prompt) {
    const QString command =
        QStringLiteral("/usr/sbin/installer -pkg ") + shellQuoted(packagePath) + QStringLiteral(" -target /");
    return QStringLiteral("do shell script \"") + PrivilegedExecutor::appleScriptEscaped(command) +
           QStringLiteral("\" with administrator privileges with prompt \"") +
           PrivilegedExecutor::appleScriptEscaped(prompt) + QLatin1Char('"');
}

InstallerOutcome runInstallerWithAdminPrompt(ProcessRunning& process, const QString& packagePath,
                                             const QString& prompt, CancellableProcess& job,
                                             std::stop_token stop) {
    QString transcript;
    const ChildRun run = runChild(process, QStringLiteral("/usr/bin/osascript"),
                                  {QStringLiteral("-e"), installerAppleScript(packagePath, prompt)},
                                  std::nullopt, job, stop, [&](const QString& line, qint64) {
                                      transcript += line;
                                      transcript += QLatin1Char('\n');
                                  });

    if (run.startFailure)
        return InstallerOutcome::failed(QStringLiteral("Failed to start osascript: ") + *run.startFailure);
    if (job.isCanceled()) return InstallerOutcome::canceled();
    if (run.status() == 0) return InstallerOutcome::succeeded();
    const QString trimmed = transcript.trimmed();
    if (trimmed.contains(QStringLiteral("(-128)")) ||
        trimmed.toLower().contains(QStringLiteral("user canceled")))
        return InstallerOutcome::canceled();
    if (!trimmed.isEmpty()) return InstallerOutcome::failed(trimmed);
    return InstallerOutcome::failed(QStringLiteral("osascript exited ") + QString::number(run.status()));
}

} // namespace qlan
