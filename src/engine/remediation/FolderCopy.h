#pragma once
// Copying a folder tree shipped with the application or fetched for the user (a skill, a project
// template) into the user's folders, safely:
// - a symbolic link inside the source is never followed: it is left out, with a note, so a copy cannot
//   reach outside its source or run round a link cycle;
// - a ".git" folder is never copied;
// - every file keeps its permission bits (read, write, execute), so scripts stay executable;
// - a copy into a new folder is made in a hidden sibling that is renamed into place once whole, so a
//   failure never leaves a partial folder behind under the final name.
// Entries are copied in ascending name order; each file is read whole and written atomically.

#include "platform/FileSystemOperating.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace qlan {

class FolderCopy {
public:
    // Called, when `keepExisting` is set, for a file whose target is already taken: the folder, the target
    // name, the source file's bytes and permission bits. The handler may write elsewhere with writeFile.
    using ExistingFileHandler =
        std::function<void(FolderCopy& copy, const QString& targetFolder, const QString& targetName,
                           const QByteArray& bytes, int permissions)>;

    struct Rules {
        // An entry named "dot.<rest>" arrives as ".<rest>" (templates ship hidden files that way).
        bool dotPrefixMeansHidden = false;
        // A file already at the target stays as it is (and `onExisting` is told); otherwise it is replaced.
        bool keepExisting = false;
        ExistingFileHandler onExisting;
    };

    FolderCopy(std::shared_ptr<FileSystemOperating> fs, Rules rules)
        : fs_(std::move(fs))
        , rules_(std::move(rules)) {}

    // Copies the entries of the folder `from` into the existing folder `to`. Throws the first error met;
    // what was copied before it stays.
    void copyContents(const QString& from, const QString& to);

    // Copies the folder `from` to `destination`, which must not exist: into a hidden sibling first
    // (".<name>.incoming-<uuid>"), which is then renamed to `destination` (missing parents are created).
    // On any failure the sibling is removed and the error thrown; `destination` is then untouched. Such
    // siblings left by a copy that was cut short (the program ended) are removed first.
    void copyToNewFolder(const QString& from, const QString& destination);

    // Writes the bytes atomically, the file having the permission bits (0777 part only) from the start.
    void writeFile(const QString& path, const QByteArray& bytes, int permissions);

    const std::shared_ptr<FileSystemOperating>& fileSystem() const { return fs_; }

    // One line per entry left out (symbolic links), in the order met, naming it relative to the source.
    const QStringList& notes() const { return notes_; }

private:
    void copyFolder(const QString& from, const QString& to, const QString& relative);
    void removeLeftovers(const QString& parent, const QString& stagingPrefix);

    std::shared_ptr<FileSystemOperating> fs_;
    Rules rules_;
    QStringList notes_;
};

} // namespace qlan
