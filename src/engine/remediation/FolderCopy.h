#pragma once
// Copying a folder tree shipped with the application or fetched for the user (a skill, a project
// template) into the user's folders, safely. Every copy into a user's folder goes through this class.
// - a symbolic link inside the source is never followed: it is left out, with a note, so a copy cannot
//   reach outside its source or run round a link cycle;
// - nothing below the folder it fills is reached through a symbolic link (a cloned repository may hold
//   links to anywhere, CLAUDE.md often links to AGENTS.md): every folder and file is created and opened
//   without following one, and nothing is ever written through one. With `keepExisting` a link that is
//   there before the copy is one of the user's items: at a file's name it is an item that exists (it
//   stays, and `onExisting` is told), at a folder's name it is left out with a note and not entered. A
//   link that appears in the copy's way while it runs (planted meanwhile), and any link in a new folder,
//   ends the copy with an error naming its path. The folder itself may be reached through links: the
//   user chose it;
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
        // The folder filled holds the user's items: anything already at a file's target, a link
        // included, stays as it is (and `onExisting` is told), and a link at a folder's target is left
        // out. Otherwise a file there is replaced and a link there is refused.
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
    // the permission bits (0777 part only) from the start; an item already at that name, a link included,
    // stays as it is and nothing is written.
    void writeBeside(const QString& target, const QString& name, const QByteArray& bytes, int permissions);

    // One line per entry left out, in the order met: a symbolic link in the source, named relative to
    // the source, and a link of the user's where a folder would go, named relative to the folder filled.
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
