#pragma once
// The error that a platform operation reports (a file that cannot be read, a program that cannot be
// started, a request that fails). Callers show `localizedDescription` after a prefix of their own.

#include <QString>

#include <cerrno>

#include <stdexcept>

namespace qlan {

class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& localizedDescription, int code = 0)
        : std::runtime_error(localizedDescription.toStdString())
        , localizedDescription_(localizedDescription)
        , code_(code) {}

    const QString& localizedDescription() const { return localizedDescription_; }
    // errno for file and process errors, the network error code for transport errors.
    int code() const { return code_; }

private:
    QString localizedDescription_;
    int code_;
};

// The text to show for any exception: a PlatformError's localized description, otherwise what().
inline QString errorDescription(const std::exception& error) {
    if (const auto* platform = dynamic_cast<const PlatformError*>(&error))
        return platform->localizedDescription();
    return QString::fromLocal8Bit(error.what());
}

// A child did not finish within the time limit it was run with (ProcessRunning::runWithTimeLimit); it
// has been stopped. `code` is ETIMEDOUT.
class ProcessTimedOut : public PlatformError {
public:
    using PlatformError::PlatformError;
};

// A write that was to replace a file only if it still held what its caller read found it changed by
// someone else (FileWriteOptions::onlyIfUnchanged); nothing was written. `code` is EAGAIN.
class FileChangedError : public PlatformError {
public:
    using PlatformError::PlatformError;
};

// An edit was not made because another program of the engine kept the file past the edit's patience
// (FileSystemOperating::lockForEditing); nothing was written. `code` is EWOULDBLOCK.
class FileBusyError : public PlatformError {
public:
    using PlatformError::PlatformError;
};

// A file the current user may not change (another user's, or one the system keeps as it is) was left as
// it was: neither replaced by one of the user's own nor copied into a backup for an edit that cannot be
// made. `code` is EPERM.
class NotPermittedError : public PlatformError {
public:
    NotPermittedError(const QString& path, int code)
        : PlatformError(
              QStringLiteral("Couldn't write “%1”: you don't have permission to change it — nothing was written")
                  .arg(path),
              code) {}
};

// An edit was not begun because its job had been asked to stop, also while it waited for the file;
// nothing was written. `code` is ECANCELED.
class EditStoppedError : public PlatformError {
public:
    explicit EditStoppedError(const QString& path)
        : PlatformError(QStringLiteral("The job was stopped, so “%1” was left as it was.").arg(path),
                        ECANCELED) {}
};

// A request failed before its response head arrived. `code` is a QNetworkReply::NetworkError value.
class TransportError : public PlatformError {
public:
    using PlatformError::PlatformError;
};

} // namespace qlan
