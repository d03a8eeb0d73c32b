#pragma once
// A temporary file made in an open folder to take the place of a name in that same folder. It is made,
// renamed and, where it cannot take its place, removed through the folder's descriptor alone, so that a
// folder moved or a link to it retargeted meanwhile neither strands the temporary nor sends the rename to
// another folder: it lands in the folder that was opened, or the temporary is gone.

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace qlan {

class FolderTemporaryFile {
public:
    // Makes a new file "<stem>.tmp-<random word>" in the open folder `folder`, never through a link
    // (O_EXCL, O_NOFOLLOW), with `mode` under the umask, and opens it for writing. A failure throws (see
    // fileio::throwErrno) saying `what` of `path`. `folder` stays open for as long as this object lives.
    FolderTemporaryFile(int folder, const QByteArray& stem, mode_t mode, const QString& what,
                        const QString& path);
    // Removes the file unless it took its place.
    ~FolderTemporaryFile();
    FolderTemporaryFile(const FolderTemporaryFile&) = delete;
    FolderTemporaryFile& operator=(const FolderTemporaryFile&) = delete;

    int fd() const { return file_.get(); }
    const QByteArray& name() const { return name_; }

    // Renames the file to `target` in its folder, over whatever is there. True once it stands there;
    // false with errno set when the rename failed.
    bool replace(const QByteArray& target);
    // The same without replacing an item at `target`, where the file system can tell: 0 once it stands
    // there, -1 with errno set (EEXIST: something was there), 1 when the file system cannot tell.
    int placeWithoutReplacing(const QByteArray& target);

    // Removes the file now: its access list first (a Mac checks a file's own list when removing it, and one
    // copied from a file that denies `delete` would keep it there for good), then its name. Does nothing
    // once it took its place or went.
    void discard();

private:
    // After a rename into place: the new name reaches the disk with the file. The rename is done by then,
    // so a folder that cannot be synced is left to the system.
    void placed();

    int folder_;
    QByteArray name_;
    FileDescriptor file_;
    bool done_ = false;
};

} // namespace qlan
