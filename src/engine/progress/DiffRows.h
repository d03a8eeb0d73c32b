#pragma once
// How a file edit is shown and checked again: the rows of its diff (only the added lines, or the whole
// resulting file with the new lines marked), whether two previews were made from the same file, and the
// apply of a preview that the user saw, only while the file still holds what it was made from.

#include "remediation/FileAppendWriter.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace qlan {

struct DiffRow {
    QString text; // "+ " or "  " (two spaces), then the line
    bool added = false;
    friend bool operator==(const DiffRow&, const DiffRow&) = default;
};

// Only changes: "+ " + each added line, in order. Full file: each non-empty line of the proposed text,
// "  " + the line when the same line occurs anywhere in the current text, else "+ " + the line.
QList<DiffRow> diffRows(const FileAppendWriter::DiffPreview& preview, bool showFullFile);

// Both previews saw the same file: equally present or absent, with the same text.
inline bool madeFromSameText(const FileAppendWriter::DiffPreview& a, const FileAppendWriter::DiffPreview& b) {
    return a.wasCreated == b.wasCreated && a.originalContents == b.originalContents;
}

// Applies `preview` with `writer` unless the file changed since the preview was made: then nothing is
// written and the preview of the file as it is now (`remake`) is returned, for the user to review. The
// look and the write are one hold of the file's edit lock (FileEditLock), so a program that the apply
// waits for may change the file: its change is looked at, never overwritten. A file that can no longer
// be read is left to the write, which refuses it and says why. Throws what the lock and the write throw
// (EditStoppedError when the wait was stopped).
std::optional<FileAppendWriter::DiffPreview>
applyUnlessChanged(const FileAppendWriter& writer, const FileAppendWriter::DiffPreview& preview,
                   const std::function<FileAppendWriter::DiffPreview()>& remake);

} // namespace qlan
