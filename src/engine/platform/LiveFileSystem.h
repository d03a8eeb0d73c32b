#pragma once
// The file system of this machine.

#include "platform/FileSystemOperating.h"

namespace qlan {

class LiveFileSystem : public FileSystemOperating {
public:
    bool fileExists(const QString& path) const override;
    bool fileExists(const QString& path, bool* isDirectory) const override;
    bool isExecutableFile(const QString& path) const override;
    QStringList contentsOfDirectory(const QString& path) const override;
    void createDirectory(const QString& path, bool withIntermediateDirectories) override;
    void removeItem(const QString& path) override;
    void moveItem(const QString& source, const QString& destination) override;
    FileAttributes attributesOfItem(const QString& path) const override;
    void setAttributes(const FileAttributes& attributes, const QString& path) override;
    QByteArray readData(const QString& path) const override;
    QString homeDirectory() const override;
    QString readString(const QString& path) const override;
    void writeString(const QString& text, const QString& path, bool atomically) override;
    void writeData(const QByteArray& data, const QString& path) override;
    QString urlForDirectory(StandardDirectory which, bool create) override;
    QString temporaryDirectory() const override;
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override;
    // The lock file of an edit is named after the file's real path (its folder's links resolved) in a
    // private folder of the user's (editLockFolder of userTemporaryFolder), and held with flock, which
    // the system lets go when the holder ends however it ends: a lock file left behind is empty and
    // never stops an edit. A wait for another program gives up after the wait's patience; while another
    // program holds the file, one thread of this program blocks in flock for it, also after the edit
    // that started it gave up or was stopped (a later edit of the file waits for that same thread), and
    // lets go of the lock and its descriptor as soon as it gets the lock and no edit waits any more.
    std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const EditLockWait& wait) override;

    // The folder of this user's own temporary files: $TMPDIR when it names a folder this user may write;
    // otherwise on a Mac the per-user folder the system names, elsewhere $XDG_RUNTIME_DIR when it is
    // this user's private folder, else "/tmp". Never the empty path (the root of the disk). Every temporary
    // file of the engine's goes there (temporaryDirectory, downloads, lock files).
    static QString userTemporaryFolder();
    // The lock folder of this user inside a temporary folder.
    static QString editLockFolder(const QString& temporaryFolder);
    // The lock file of the file at `path` inside a lock folder.
    static QString editLockFile(const QString& path, const QString& lockFolder);
    // lockForEditing with the lock files in `lockFolder` (made when missing).
    static std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const QString& lockFolder,
                                                        const EditLockWait& wait);

    // Writes `data` to `path` through a temporary file in the same folder that then replaces the target
    // in one rename. A symbolic link at `path` stays a link (even a dangling one): the file it names is
    // replaced or created, unless `options` ask for the link itself to be replaced. An existing file's
    // permissions are kept unless `options` name others, and so are its extended attributes and (where
    // this process may set them) its owner and group. On failure the old file is untouched and no
    // temporary file remains.
    static void atomicWrite(const QByteArray& data, const QString& path,
                            const FileWriteOptions& options = {});

    // Writes all of `data` to the open descriptor `fd` of the file at `path`, however the system splits
    // the writes up. A failed write throws PlatformError("<what> “<path>”: <the system's reason>") with
    // errno as its code, so a full disk says "No space left on device".
    static void writeAll(int fd, QByteArrayView data, const QString& path,
                         const QString& what = QStringLiteral("Couldn't write"));

    // Below `root`, each folder is opened by its name in the folder before it (openat with O_NOFOLLOW),
    // so no link is followed: one met on the way (ELOOP) is refused by its path. A file is written as a
    // temporary file in its folder (O_EXCL, O_NOFOLLOW) that is then renamed into place; a rename never
    // writes through a link, and with `keepExisting` it never replaces anything (an item that appeared
    // meanwhile stays, a link there is refused).
    void createDirectoryBelow(const QString& root, const QString& relative) override;
    bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative, int permissions,
                        bool keepExisting) override;
};

} // namespace qlan
