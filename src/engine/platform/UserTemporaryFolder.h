#pragma once
// The folder of this user's own temporary files.

#include <QString>

namespace qlan {

class UserTemporaryFolder {
public:
    // $TMPDIR when it names a folder this user may write; otherwise on a Mac the per-user folder the
    // system names, elsewhere $XDG_RUNTIME_DIR when it is this user's private folder, else "/tmp". Never
    // the empty path (the root of the disk). Every temporary file of the engine's goes there (the file
    // system's temporaryDirectory, downloads, lock files).
    static QString path();
};

} // namespace qlan
