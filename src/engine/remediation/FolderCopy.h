#pragma once
// Copying a folder tree shipped with the application or fetched for the user (a skill, a project
// template) into the user's folders, safely. Every copy into a user's folder goes through this class.
// - a symbolic link inside the source is never followed: it is left out, with a note, so a copy cannot
//   reach outside its source or run round a link cycle;
// - nothing below the folder it fills is reached through a symbolic link (a cloned repository may hold
//   links to anywhere): every folder and file is created and opened without following one, a link in
//   the way ends the copy with an error naming its path, and nothing is ever written through it. The
//   folder itself may be reached through links: the user chose it;
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
    // Called, when `keepExisting` is set, for a file whose target is already taken: the target (for
    // writeBeside), its name, the source file's bytes and permission bits.
    using ExistingFileHandler =
        std::function<void(FolderCopy& copy, const QString& target, const QString& targetName,
                           const QByteArray& bytes, int permissions)>;

    struct Rules {
        // An entry named "dot.<rest>" arrives as ".<rest>" (templates ship hidden files that way).
        bool dotPrefixMeansHidden = false;
        // Anything already at a file's target stays as it is (and `onExisting` is told); otherwise a file
        // there is replaced. A link there is refused either way.
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

    // Writes the bytes atomically to a new file named `name` beside `target` (as the handler got it), with
    // the permission bits (0777 part only) from the start; false, writing nothing, when the name is taken.
    bool writeBeside(const QString& target, const QString& name, const QByteArray& bytes, int permissions);

    // One line per entry left out (symbolic links), in the order met, naming it relative to the source.
    const QStringList& notes() const { return notes_; }

private:
    // Copies the entries of `from` into the folder `target` below `root_` ("" for `root_` itself);
    // `shown` names `from` relative to the source for the notes.
    void copyFolder(const QString& from, const QString& target, const QString& shown);
    void removeLeftovers(const QString& parent, const QString& stagingPrefix);

    std::shared_ptr<FileSystemOperating> fs_;
    Rules rules_;
    QString root_; // the folder being filled, or the new folder's parent
    QStringList notes_;
};

} // namespace qlan
