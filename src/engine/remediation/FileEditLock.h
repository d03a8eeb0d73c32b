#pragma once
// Serializes the engine's own edits of one file, in every thread of every program of the engine (the
// three editions are programs of their own, and a user may run two at once). A writer that reads a
// user's file, works out the new text and writes it holds the file's lock from the read to the write, so
// that no two edits start from the same text and lose one another's change. Re-entrant on one thread.
// An edit saved meanwhile by a program outside the engine (the user's editor) is caught by the write's
// last-moment test instead (FileWriteOptions::onlyIfUnchanged).
//
// On a job's thread the lock also enters the job's edit gate (EditGate): an edit of a job that was asked
// to stop does not begin, and a stop requested while an edit is under way waits for it to end. A wait
// for another program's hold on the file is the job's too: the job's output says which file waits, a
// stop ends the wait at once, and once the job has given up waiting for a file it never waits for it
// again.

#include "platform/FileSystemOperating.h"
#include "platform/PlatformError.h"
#include "remediation/EditGate.h"

#include <QString>

#include <memory>

namespace qlan {

class FileEditLock {
public:
    // Waits until no other edit of the engine's holds `path` (FileSystemOperating::lockForEditing) and
    // holds it. Throws FileBusyError when another program keeps it too long (at once when this job
    // gave up on it before), EditStoppedError when the job of this thread was asked to stop,
    // PlatformError when it cannot be had.
    FileEditLock(FileSystemOperating& fs, const QString& path);
    FileEditLock(const FileEditLock&) = delete;
    FileEditLock& operator=(const FileEditLock&) = delete;

    // The line a job's output shows while its edit of `shown` waits for another program.
    static QString waitingLine(const QString& shown);

private:
    std::unique_ptr<FileEditHold> hold_;
    EditGate::Entry gate_; // entered once the file is held: a stop never waits on another program
};

} // namespace qlan
