#pragma once
// Serializes the engine's own edits of one file. A writer that reads a user's file, works out the new
// text and writes it holds the file's lock from the read to the write, so that two jobs (or two threads
// of one) never start from the same text and lose one another's change. Re-entrant on one thread. An
// edit saved by another program meanwhile is caught by the write's last-moment test instead
// (FileWriteOptions::onlyIfUnchanged).

#include <QString>

#include <memory>
#include <mutex>

namespace qlan {

class FileEditLock {
public:
    // Waits until no other thread edits `path` (compared as a cleaned absolute path) and holds it.
    explicit FileEditLock(const QString& path);
    ~FileEditLock();
    FileEditLock(const FileEditLock&) = delete;
    FileEditLock& operator=(const FileEditLock&) = delete;

private:
    std::shared_ptr<std::recursive_mutex> mutex_;
};

} // namespace qlan
