#pragma once
// The one way the engine adds lines to a user's shell startup file (~/.zprofile, ~/.zshrc): a preview
// that says what the file holds now, what it will hold and which lines are added, then an apply that
// keeps the previous text in a backup beside the file (name + ".bak") and writes the new text. Both
// writes are atomic. Each added block starts with a marker line naming the edition and the block.
//
// The presence tests decide whether a block is already there; the other writers and the probes that
// ask whether a writer's work is done use them directly, as they use `markerLine` for blocks of their
// own.

#include "editions/ProductConfig.h"
#include "platform/FileSystemOperating.h"
#include "platform/PlatformError.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace qlan {

class FileAppendWriter {
public:
    // What an edit will do. A value: it may be shown, kept and applied later.
    struct DiffPreview {
        QString path;             // the target file
        QString backupPath;       // the target's folder + its name + ".bak"
        QString originalContents; // the text at preview time; empty when the file did not exist
        QString proposedContents; // the whole text after apply; the original when `alreadySet`
        QStringList linesAdded;   // the block, marker line first; empty when `alreadySet`
        bool alreadySet = false;  // the presence test found the block: apply writes nothing
        bool wasCreated = false;  // the file did not exist at preview time
        friend bool operator==(const DiffPreview&, const DiffPreview&) = default;
    };

    // The engine's own write error. `underlying` is the platform error that caused it.
    class WriteError : public PlatformError {
    public:
        enum class Kind { backupFailed, writeFailed };
        WriteError(Kind kind, const PlatformError& underlying);

        Kind kind() const { return kind_; }
        const PlatformError& underlying() const { return underlying_; }

    private:
        Kind kind_;
        PlatformError underlying_;
    };

    // The presence test of a block: true when the current text already holds it.
    using PresenceTest = std::function<bool(const QString& text)>;
    // The moment a preview is made (feeds the dated marker line). Tests inject a fixed one.
    using Clock = std::function<QDateTime()>;

    FileAppendWriter(QString target, std::shared_ptr<FileSystemOperating> fs, Clock clock = {});

    QString target;
    std::shared_ptr<FileSystemOperating> fs;
    Clock clock; // absent: the current date and time

    // Previews the block made of the marker line and `line`, with the active-line test
    // (`activeLinesOnly`) or the plain one for `needle`, then applies it. Throws the read error of the
    // preview (PlatformError) or a WriteError; nothing is written then.
    DiffPreview append(const QString& line, const QString& title, const QString& needle,
                       bool activeLinesOnly) const;

    // `makePreview` and `apply` under the file's lock, so that no other edit of the engine's comes
    // between; returns the preview. Throws as the two do.
    DiffPreview appendBlock(const QStringList& lines, const QString& title,
                            const PresenceTest& isPresent) const;

    // The preview half alone, for a block of one or more lines and any presence test. Throws
    // PlatformError when an existing target cannot be read as UTF-8 text (the error names the file).
    DiffPreview makePreview(const QStringList& lines, const QString& title,
                            const PresenceTest& isPresent) const;

    // Writes a preview: nothing when `alreadySet`. Refuses (writeFailed, "changed since the preview",
    // nothing written) when the target no longer holds the preview's original text, tested again at the
    // last moment before the new text takes its place. Otherwise the backup receives the original text
    // byte for byte (with the target's permission bits) and then the target the proposed text, both
    // atomically; a symbolic link at the target stays a link, even a dangling one (the file it names is
    // created), and a link at the backup path is replaced. A target that is not a regular file is
    // refused. A failure leaves the target as it was (backupFailed, writeFailed) and never removes an
    // earlier backup before a new one is in place. The engine's own edits of one file run one at a time
    // (FileEditLock): `append` holds the file from its preview to its write.
    void apply(const DiffPreview& preview) const;

    // "# " + (with the edition's dated marker: the local calendar day "yyyy-MM-dd" + " ") + the
    // edition's marker text + " — " + the title.
    static QString markerLine(const QString& title, const QDateTime& date, const ProductConfig& config);

    // The backup path of a file: the same folder, the file name followed by ".bak".
    static QString backupPathFor(const QString& path);

    // Writes `text` to `backupPath` atomically, as private as `originalPath` (FileWriteOptions::accessLike:
    // its owner, group, access list, extended attributes and permission bits, or `permissions` when
    // given; 0600 when it is no regular file) from its first byte on. A symbolic link at `backupPath` is
    // replaced, never written through; an earlier backup is replaced only once the new text is whole.
    // Throws PlatformError; NotPermittedError, writing nothing, when an edit of `originalPath` would be
    // refused (FileSystemOperating::writeFile).
    static void writeBackup(FileSystemOperating& fs, const QString& originalPath, const QString& backupPath,
                            const QString& text, std::optional<int> permissions = std::nullopt);

    // True when the text holds an active line containing one of the needles (literal, case-sensitive;
    // tried in the given order). The text is split at every line break character (line feed, carriage
    // return, CR LF, vertical tab, form feed, U+0085, U+2028, U+2029); each line is trimmed of spaces and
    // tabs; a line that then begins with "#" is a comment and never counts, even when indented.
    static bool hasActiveLine(const QString& text, const QStringList& needles);
    static bool hasActiveLine(const QString& text, const QString& needle) {
        return hasActiveLine(text, QStringList{needle});
    }

    // True when the text contains the needle anywhere, comment and marker lines included.
    static bool containsText(const QString& text, const QString& needle) {
        return text.contains(needle, Qt::CaseSensitive);
    }
};

} // namespace qlan
