#pragma once
// Serializes the engine's own edits of one file, in every thread of every program of the engine (the
// three editions are programs of their own, and a user may run two at once). A writer that reads a
// user's file, works out the new text and writes it holds the file's lock from the read to the write, so
// that no two edits start from the same text and lose one another's change. Re-entrant on one thread.
// An edit saved meanwhile by a program outside the engine (the user's editor) is caught by the write's
// last-moment test instead (FileWriteOptions::onlyIfUnchanged).

#include "platform/FileSystemOperating.h"

#include <QString>

#include <memory>

namespace qlan {

class FileEditLock {
public:
    // Waits until no other edit of the engine's holds `path` (FileSystemOperating::lockForEditing) and
    // holds it. Throws PlatformError when it cannot be had.
    FileEditLock(FileSystemOperating& fs, const QString& path);
    FileEditLock(const FileEditLock&) = delete;
    FileEditLock& operator=(const FileEditLock&) = delete;

private:
    std::unique_ptr<FileEditHold> hold_;
};

} // namespace qlan
