#include "remediation/FileEditLock.h"

#include "platform/ProbeSupport.h"

namespace qlan {
namespace {

std::unique_ptr<FileEditHold> hold(FileSystemOperating& fs, const QString& path) {
    const std::shared_ptr<EditGate> gate = EditGate::current();
    if (!gate) return fs.lockForEditing(path, {});
    if (std::optional<FileBusyError> refused = gate->givenUp(path)) throw *refused;
    EditLockWait wait;
    wait.stops = gate->stops();
    wait.onWaiting = [&] { gate->notify(FileEditLock::waitingLine(probing::homeRelativePath(&fs, path))); };
    try {
        return fs.lockForEditing(path, wait);
    } catch (const FileBusyError& error) {
        gate->giveUp(path, error);
        throw;
    }
}

} // namespace

FileEditLock::FileEditLock(FileSystemOperating& fs, const QString& path)
    : hold_(hold(fs, path)) {
    if (!gate_.admitted()) throw EditStoppedError(path);
}

QString FileEditLock::waitingLine(const QString& shown) {
    return QStringLiteral("Waiting for another program to finish changing %1…").arg(shown);
}

} // namespace qlan
