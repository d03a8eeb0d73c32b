#include "remediation/FileAppendWriter.h"

#include "catalog/SetupFileState.h"
#include "platform/ProbeSupport.h"
#include "remediation/FileEditLock.h"

#include <QLocale>

#include <cerrno>

namespace qlan {
namespace {

FileAppendWriter::WriteError changedSincePreview(const QString& path) {
    return FileAppendWriter::WriteError(
        FileAppendWriter::WriteError::Kind::writeFailed,
        PlatformError(
            QStringLiteral("“%1” changed since the preview — nothing was written; review the change again.")
                .arg(path),
            EAGAIN));
}

} // namespace

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
    return appendBlock({line}, title, [&](const QString& text) {
        return activeLinesOnly ? hasActiveLine(text, needle) : containsText(text, needle);
    });
}

FileAppendWriter::DiffPreview FileAppendWriter::appendBlock(const QStringList& lines, const QString& title,
                                                            const PresenceTest& isPresent) const {
    const FileEditLock lock(*fs, target); // no other edit of the engine's between the reading and the writing
    const DiffPreview preview = makePreview(lines, title, isPresent);
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
    const FileEditLock lock(*fs, preview.path);

    // The target must still hold what the preview was made from; otherwise an edit made since would be
    // lost and the backup would hold stale text. Tested here, before the backup is touched, and again
    // by the write itself just before the new text takes the file's place.
    bool unchanged = false;
    try {
        const bool exists = fs->fileExists(preview.path);
        unchanged = exists ? (!preview.wasCreated && fs->readString(preview.path) == preview.originalContents)
                           : preview.wasCreated;
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
    if (!unchanged) throw changedSincePreview(preview.path);

    try {
        writeBackup(*fs, preview.path, preview.backupPath, preview.originalContents);
    } catch (const NotPermittedError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error); // the file itself, before any backup
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::backupFailed, error);
    }
    FileWriteOptions options;
    options.onlyIfUnchanged = {!preview.wasCreated, preview.originalContents.toUtf8()};
    try {
        fs->writeFile(preview.proposedContents.toUtf8(), preview.path, options);
    } catch (const FileChangedError&) {
        throw changedSincePreview(preview.path);
    } catch (const PlatformError& error) {
        throw WriteError(WriteError::Kind::writeFailed, error);
    }
}

void FileAppendWriter::writeBackup(FileSystemOperating& fs, const QString& originalPath,
                                   const QString& backupPath, const QString& text,
                                   std::optional<int> permissions) {
    // The backup is as private as the file from its first byte (its mode, owner, group, access list and
    // extended attributes), so a private file's text is never readable by others through its backup; it
    // replaces a link at its path (never writing into the file the link names) and an earlier backup only
    // once it is whole.
    FileWriteOptions options;
    options.replaceLink = true;
    options.permissions = permissions;
    options.accessLike = originalPath;
    fs.writeFile(text.toUtf8(), backupPath, options);
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
