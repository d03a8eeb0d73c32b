#pragma once
// Writes below a folder the user chose, never leaving it: each folder below it is opened by its name in
// the folder before it (openat with O_NOFOLLOW), so no link is followed: one met on the way (ELOOP) is
// refused by its path. A file is written as a temporary file in its folder (O_EXCL, O_NOFOLLOW) that is
// then renamed into place; a rename never writes through a link, and with `keepExisting` it never
// replaces anything. With `keepExisting` the folder holds the user's items, links among them: what is at
// the path when it is first looked at, a link included (dangling or not), is kept as it is, never entered
// and never written through; a link that appears at the path after that look, or one on the way, was
// planted in the writer's way and is refused. The folder itself may be reached through links.

#include <QByteArray>
#include <QString>

namespace qlan {

class ConfinedFolderWriter {
public:
    // Makes the folders of `relative` below `root` that are missing; false, entering nothing, when
    // `keepExisting` found a link at `relative` itself.
    static bool createDirectory(const QString& root, const QString& relative, bool keepExisting);
    // Writes the file `relative` below `root` with `permissions`; false when `keepExisting` kept an item
    // that was there.
    static bool writeFile(const QByteArray& data, const QString& root, const QString& relative,
                          int permissions, bool keepExisting);
};

} // namespace qlan
