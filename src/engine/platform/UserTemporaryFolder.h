#pragma once
// The folder of this user's own temporary files.

#include <QString>

namespace qlan {

class UserTemporaryFolder {
public:
    // $TMPDIR when it names a folder this user may write; otherwise the per-user folder the system names
    // (on a Mac its temporary folder, elsewhere $XDG_RUNTIME_DIR) when this user may write it, owns it
    // and it is closed to others; else "/tmp". Never the empty path (the root of the disk). Every temporary
    // file of the engine's goes there (the file system's temporaryDirectory, downloads, lock files).
    static QString path();
};

} // namespace qlan
