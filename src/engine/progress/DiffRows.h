#pragma once
// How a file edit is shown and checked again: the rows of its diff (only the added lines, or the whole
// resulting file with the new lines marked), and whether two previews were made from the same file.

#include "remediation/FileAppendWriter.h"

#include <QList>
#include <QString>

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

} // namespace qlan
