#pragma once
// Every file and folder operation of the engine. Paths are absolute POSIX paths; a "file URL" of the
// product is carried as its path. Throwing operations report PlatformError.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace qlan {

struct FileAttributes {
    std::optional<qint64> size;
    std::optional<int> posixPermissions; // e.g. 0700
    std::optional<QDateTime> modificationDate;
    std::optional<QDateTime> creationDate;
    std::optional<bool> isDirectory;
    std::optional<bool> isSymbolicLink;
    std::optional<bool> isRegularFile; // false for a folder, a link, a named pipe, a device
    friend bool operator==(const FileAttributes&, const FileAttributes&) = default;
};

// How `writeFile` puts a file in place. The write is always atomic: a temporary file in the same folder,
// written whole, then renamed over the target. A file whose owner the write could not keep (another
// user's) is refused, even in a folder the user may write. A file that is replaced keeps its owner, its
// permission bits (read-only ones too), its access list, its extended attributes and, where the process
// may set it, its group; where its group cannot be kept, the new file grants no group access. Set-ID
// bits never survive a write.
struct FileWriteOptions {
    // What the file must still hold for the write to go ahead.
    struct Contents {
        bool exists = false; // false: there must still be no file
        QByteArray bytes;
    };
    // The file's permission bits. The temporary file has them before its first byte, so a file that
    // holds a secret is never readable by others, not even for a moment. Absent: an existing file keeps
    // its bits, a new one gets those the umask allows.
    std::optional<int> permissions;
    // A symbolic link at the path is replaced by the file itself, never written through (backups).
    // Otherwise the link stays and the file it names gets the bytes (created when missing).
    bool replaceLink = false;
    // The file whose owner, group, permission bits (unless `permissions` names others), access list and
    // extended attributes the new file takes instead of the replaced one's: a backup's original, so that
    // the backup is no more open than the file it keeps. Ignored when it is not a regular file; a regular
    // file whose edit would be refused is refused here too (NotPermittedError).
    std::optional<QString> accessLike;
    // Tested just before the new file takes the old one's place: when the old one no longer holds these
    // bytes (someone else saved it meanwhile), nothing is written and FileChangedError is thrown.
    std::optional<Contents> onlyIfUnchanged;
};

enum class StandardDirectory { applicationSupport, caches };

// How an edit waits while another program of the engine holds its file
// (FileSystemOperating::lockForEditing). One wait per edit, of at most `patience`.
struct EditLockWait {
    // Any of these ends the wait at once (EditStoppedError): the stop of the job that edits, and of the
    // jobs that started it.
    std::vector<std::stop_token> stops;
    // Told once, before the edit waits for another program.
    std::function<void()> onWaiting;
    std::chrono::milliseconds patience{10000};
};

// The engine's hold on one file while it edits it (FileSystemOperating::lockForEditing). Let go when
// destroyed.
class FileEditHold {
public:
    virtual ~FileEditHold() = default;
};

class FileSystemOperating {
public:
    virtual ~FileSystemOperating() = default;

    // 1. true when anything exists at the path (symbolic links followed)
    virtual bool fileExists(const QString& path) const = 0;
    // 2. existence plus whether the item is a folder
    virtual bool fileExists(const QString& path, bool* isDirectory) const = 0;
    // 3. exists and the current user may execute it
    virtual bool isExecutableFile(const QString& path) const = 0;
    // 4. entry names of a folder, unsorted, without the folder's path
    virtual QStringList contentsOfDirectory(const QString& path) const = 0;
    // 5. creates the folder (and missing parents when asked); throws when it exists and not asked
    virtual void createDirectory(const QString& path, bool withIntermediateDirectories) = 0;
    // 6. deletes a file or a whole folder tree
    virtual void removeItem(const QString& path) = 0;
    // 7. moves or renames; throws when the destination exists
    virtual void moveItem(const QString& source, const QString& destination) = 0;
    // 8. the item's attributes (a symbolic link's own, never those of what it names); throws when missing
    virtual FileAttributes attributesOfItem(const QString& path) const = 0;
    // 9. applies the attributes that are set (the engine sets only POSIX permissions)
    virtual void setAttributes(const FileAttributes& attributes, const QString& path) = 0;
    // 10. reads the whole file; throws at once when it is not a regular file (a folder, a named pipe, a
    // device), never waiting for a writer
    virtual QByteArray readData(const QString& path) const = 0;
    // 11. the current user's home folder
    virtual QString homeDirectory() const = 0;
    // 12. reads the whole file as UTF-8; throws when it is not valid UTF-8. A byte-order mark stays in
    // the text (U+FEFF), so that writing the text back gives the same bytes.
    virtual QString readString(const QString& path) const = 0;
    // 13. writes the text as UTF-8; atomically = temporary file, then one-step replace. Throws, writing
    // nothing, when the text is not valid Unicode (a lone surrogate would be saved as another character)
    // or the path holds something other than a regular file (a symbolic link is followed).
    virtual void writeString(const QString& text, const QString& path, bool atomically) = 0;
    // 14. writes the bytes atomically
    virtual void writeData(const QByteArray& data, const QString& path) = 0;
    // 15. the current user's standard folder of that kind, created when asked and missing
    virtual QString urlForDirectory(StandardDirectory which, bool create) = 0;
    // 16. the current user's temporary folder
    virtual QString temporaryDirectory() const = 0;
    // 17. writes the bytes atomically as `options` say; throws when the target is not a regular file
    // (after a followed link), FileChangedError when it changed (`onlyIfUnchanged`), NotPermittedError
    // before anything is written when the file it would replace is another user's (whose owner only the
    // super-user could keep) or one that the system keeps as it is (immutable, append-only). A read-only
    // file of this user's own is replaced, its mode kept.
    virtual void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) = 0;
    // 18. waits until no other edit of the engine's holds the file at `path` (a symbolic link stands for
    // the file it names), in this program or in any other program of the engine, and holds it until the
    // returned hold is destroyed. Re-entrant on one thread. The wait is the one `wait` describes. Throws
    // FileBusyError when another program keeps the file past the wait's patience, EditStoppedError
    // when a stop ends the wait, PlatformError when there is no place for the lock.
    virtual std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const EditLockWait& wait) = 0;

    // Paths below a folder. `root` is a folder that exists and may be reached through symbolic links
    // (the caller chose it); `relative` is a path below it ("a/b/c", no "." or ".." part). Nothing below
    // `root` is reached through a link, at any level, however late the link appears: a link on the way
    // or at the path itself throws a PlatformError naming its path, and nothing is written through it.
    // With `keepExisting` (a folder that holds the user's items) a link found at the path itself at the
    // first look is one of those items: it is left as it is, and only a link that appears later throws.
    // 19. creates the folder at `relative`, and the missing ones on the way; an existing folder is fine.
    // False, entering nothing, when `keepExisting` found a link at `relative`.
    virtual bool createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) = 0;
    // 20. writes the bytes atomically to a new file at `relative` (its folder must exist) whose permission
    // bits are `permissions` from the start. An item already there: with `keepExisting` it stays (a link
    // too) and false is returned, without a write; otherwise a regular file is replaced (anything else
    // throws).
    virtual bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative,
                                int permissions, bool keepExisting) = 0;
};

} // namespace qlan
