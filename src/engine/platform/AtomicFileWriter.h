#pragma once
// The one way the engine replaces a file: a temporary file beside it, renamed over it in one step.

#include "platform/FileSystemOperating.h"

#include <QByteArray>
#include <QString>

#include <atomic>

namespace qlan {

class AtomicFileWriter {
public:
    // Writes `data` to `path` through a temporary file in the same folder that then replaces the target
    // in one rename. A symbolic link at `path` stays a link (even a dangling one): the file it names is
    // replaced or created, unless `options` ask for the link itself to be replaced; a link that another
    // program replaces with a file while the writer follows it is looked at again. An existing file's
    // permissions are kept unless `options` name others, and so are its extended attributes, its owner and
    // (where this process may set it) its group. Another user's file, and one the system keeps as it is,
    // are refused (NotPermittedError). On failure the old file is untouched and no temporary file remains.
    static void write(const QByteArray& data, const QString& path, const FileWriteOptions& options = {});

    // The one name of the file that a write to `path` replaces, whichever links and folders lead to it:
    // the real path of its nearest existing folder, then the rest of the path.
    static QByteArray replacedFile(const QString& path);

    // Called with a link the writer has just looked at, right before it reads where the link points: a
    // test plays there another program that replaces the link. None in the program.
    static inline std::atomic<void (*)(const QByteArray& link)> beforeLinkIsRead{nullptr};
};

} // namespace qlan
