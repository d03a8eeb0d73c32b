#pragma once
// The edit lock of a file, held across programs: an advisory flock on a lock file named after the file's
// real path, in a private folder of the user's.

#include "platform/FileSystemOperating.h"

#include <QString>

#include <memory>

namespace qlan {

struct EditLockEntry;

class LiveFileEditHold : public FileEditHold {
public:
    // Holds the edit lock of the file at `path`, with its lock file in `lockFolder` (made when missing, and
    // refused when it is not this user's private folder). The lock file is named after the file's real
    // path (its folder's links resolved) and held with flock, which the system lets go when the holder
    // ends however it ends: a lock file left behind is empty and never stops an edit. One thread may hold
    // a file more than once. A wait for another program gives up after the wait's patience; while another
    // program holds the file, one thread of this program blocks in flock for it, also after the edit that
    // started it gave up or was stopped (a later edit of the file waits for that same thread), and lets go
    // of the lock and its descriptor as soon as it gets the lock and no edit waits any more.
    static std::unique_ptr<FileEditHold> hold(const QString& path, const QString& lockFolder,
                                              const EditLockWait& wait);

    // The lock folder of this user inside a temporary folder.
    static QString lockFolder(const QString& temporaryFolder);
    // The lock file of the file at `path` inside a lock folder.
    static QString lockFile(const QString& path, const QString& lockFolder);

    explicit LiveFileEditHold(std::shared_ptr<EditLockEntry> entry);
    ~LiveFileEditHold() override;

private:
    std::shared_ptr<EditLockEntry> entry_;
};

} // namespace qlan
