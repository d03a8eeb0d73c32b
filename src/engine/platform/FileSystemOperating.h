#pragma once
// Every file and folder operation of the engine. Paths are absolute POSIX paths; a "file URL" of the
// product is carried as its path. Throwing operations report PlatformError.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace qlan {

struct FileAttributes {
    std::optional<qint64> size;
    std::optional<int> posixPermissions; // e.g. 0700
    std::optional<QDateTime> modificationDate;
    std::optional<QDateTime> creationDate;
    std::optional<bool> isDirectory;
    std::optional<bool> isSymbolicLink;
    friend bool operator==(const FileAttributes&, const FileAttributes&) = default;
};

enum class StandardDirectory { applicationSupport, caches };

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
    // 8. the item's attributes; throws when missing
    virtual FileAttributes attributesOfItem(const QString& path) const = 0;
    // 9. applies the attributes that are set (the engine sets only POSIX permissions)
    virtual void setAttributes(const FileAttributes& attributes, const QString& path) = 0;
    // 10. reads the whole file
    virtual QByteArray readData(const QString& path) const = 0;
    // 11. the current user's home folder
    virtual QString homeDirectory() const = 0;
    // 12. reads the whole file as UTF-8; throws when it is not valid UTF-8
    virtual QString readString(const QString& path) const = 0;
    // 13. writes the text as UTF-8; atomically = temporary file, then one-step replace
    virtual void writeString(const QString& text, const QString& path, bool atomically) = 0;
    // 14. writes the bytes atomically
    virtual void writeData(const QByteArray& data, const QString& path) = 0;
    // 15. the current user's standard folder of that kind, created when asked and missing
    virtual QString urlForDirectory(StandardDirectory which, bool create) = 0;
    // 16. the current user's temporary folder
    virtual QString temporaryDirectory() const = 0;
};

} // namespace qlan
