#include "remediation/FileAppendWriter.h"

#include "catalog/SetupFileState.h"
#include "platform/ProbeSupport.h"

#include <QLocale>

#include <cerrno>

namespace qlan {

FileAppendWriter::WriteError::WriteError(Kind kind, const PlatformError& underlying)
    : PlatformError((kind == Kind::backupFailed ? QStringLiteral("Couldn't write backup file: ")
                                                : QStringLiteral("Couldn't write file: ")) +
                        underlying.localizedDescription(),
                    underlying.code())
    , kind_(kind)
    , underlying_(underlying) {}

FileAppendWriter::FileAppendWriter(QString target, std::shared_ptr<FileSystemOperating> fs, Clock clock)
    : target(std::move(target))
    , fs(std::move(fs))
    , clock(std::move(clock)) {}

FileAppendWriter::DiffPreview FileAppendWriter::append(const QString& line, const QString& title,
                                                       const QString& needle, bool activeLinesOnly) const {
    const DiffPreview preview = makePreview({line}, title, [&](const QString& text) {
        return activeLinesOnly ? hasActiveLine(text, needle) : containsText(text, needle);
    });
    apply(preview);
    return preview;
}

FileAppendWriter::DiffPreview FileAppendWriter::makePreview(const QStringList& lines, const QString& title,
                                                            const PresenceTest& isPresent) const {
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    DiffPreview preview;
    preview.path = target;
    preview.backupPath = backupPathFor(target);
    preview.wasCreated = !fs->fileExists(target);
    // A file that is not valid UTF-8 throws here: a rewrite of a lossy reading would corrupt it.
    const QString current = preview.wasCreated ? QString() : fs->readString(target);
    preview.originalContents = current;
    if (isPresent && isPresent(current)) {
        preview.alreadySet = true;
        preview.proposedContents = current;
        return preview;
    }
    preview.linesAdded = QStringList{markerLine(title, now, ProductConfig::current())} + lines;
    QString separator;
    if (current.isEmpty() || current.endsWith(QStringLiteral("\n\n")))
        separator = QString();
    else if (current.endsWith(QLatin1Char('\n')))
        separator = QStringLiteral("\n");
    else
        separator = QStringLiteral("\n\n");
    preview.proposedContents =
        current + separator + preview.linesAdded.join(QLatin1Char('\n')) + QLatin1Char('\n');
    return preview;
}

void FileAppendWriter::apply(const DiffPreview& preview) const {
    if (preview.alreadySet) return;

    // The target must still hold what the preview was made from; otherwise an edit made since would be
    // lost and the backup would hold stale text.
    bool unchanged = false;
    try {
        const bool exists = fs->fileExists(preview.path);
        unchanged = exists ? (!preview.wasCreated && fs->readString(preview.path) == preview.originalContents)
                           : preview.wasCreated;
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
    if (!unchanged)
        throw WriteError(WriteError::Kind::writeFailed,
                         PlatformError(QStringLiteral("“%1” changed since the preview — nothing was written; "
                                                      "review the change again.")
                                           .arg(preview.path),
                                       EAGAIN));

    try {
        writeBackup(*fs, preview.path, preview.backupPath, preview.originalContents);
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::backupFailed, error);
    }
    try {
        fs->writeString(preview.proposedContents, preview.path, true);
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
}

void FileAppendWriter::writeBackup(FileSystemOperating& fs, const QString& originalPath,
                                   const QString& backupPath, const QString& text) {
    // The backup gets the original's permission bits before any text is in it, so a private file's
    // text is never readable by others through its backup. An earlier backup is replaced by the atomic
    // write only once the new text is whole.
    int mode = 0600;
    if (fs.fileExists(originalPath)) {
        const FileAttributes attributes = fs.attributesOfItem(originalPath);
        if (!attributes.isSymbolicLink.value_or(false) && attributes.posixPermissions)
            mode = *attributes.posixPermissions & 0777;
    }
    if (!fs.fileExists(backupPath)) fs.writeString(QString(), backupPath, true);
    FileAttributes permissions;
    permissions.posixPermissions = mode;
    fs.setAttributes(permissions, backupPath);
    fs.writeString(text, backupPath, true);
}

QString FileAppendWriter::markerLine(const QString& title, const QDateTime& date,
                                     const ProductConfig& config) {
    QString line = QStringLiteral("# ");
    if (config.datedShellMarker)
        line +=
            QLocale::c().toString(date.toLocalTime().date(), QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ');
    return line + config.shellConfigMarker + QStringLiteral(" — ") + title;
}

QString FileAppendWriter::backupPathFor(const QString& path) {
    return path + QStringLiteral(".bak");
}

bool FileAppendWriter::hasActiveLine(const QString& text, const QStringList& needles) {
    return SetupFileState::hasActiveLine(text, needles);
}

} // namespace qlan
