#pragma once
// Serializes the engine's own edits of one file, in every thread of every program of the engine (the
// three editions are programs of their own, and a user may run two at once). A writer that reads a
// user's file, works out the new text and writes it holds the file's lock from the read to the write, so
// that no two edits start from the same text and lose one another's change. Re-entrant on one thread.
// An edit saved meanwhile by a program outside the engine (the user's editor) is caught by the write's
// last-moment test instead (FileWriteOptions::onlyIfUnchanged).
//
// On a job's thread the lock also enters the job's edit gate (EditGate): an edit of a job that was asked
// to stop does not begin, and a stop requested while an edit is under way waits for it to end.

#include "platform/FileSystemOperating.h"
#include "platform/PlatformError.h"
#include "remediation/EditGate.h"

#include <QString>

#include <memory>

namespace qlan {

// An edit was not begun because its job had been asked to stop; nothing was written. `code` is
// ECANCELED.
class EditStoppedError : public PlatformError {
public:
    using PlatformError::PlatformError;
};

class FileEditLock {
public:
    // Waits until no other edit of the engine's holds `path` (FileSystemOperating::lockForEditing) and
    // holds it. Throws PlatformError when it cannot be had, EditStoppedError when the job of this thread
    // was asked to stop.
    FileEditLock(FileSystemOperating& fs, const QString& path);
    FileEditLock(const FileEditLock&) = delete;
    FileEditLock& operator=(const FileEditLock&) = delete;

private:
    std::unique_ptr<FileEditHold> hold_;
    EditGate::Entry gate_; // entered once the file is held: a stop never waits on another program
};

} // namespace qlan
