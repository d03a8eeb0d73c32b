#pragma once
// Which activation lines of a version manager ~/.zshrc still lacks. Reads the file, writes nothing.

#include "platform/FileSystemOperating.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qlan {

struct ZshrcLine {
    QString line;   // the line offered for ~/.zshrc
    QString needle; // an active line containing it counts as the line being there
};

// The lines, in the given order, whose needle is on no active line of the home folder's ".zshrc". A file
// that is missing, unreadable or not valid UTF-8 holds none of them. Never throws.
QStringList missingZshrcLines(const FileSystemOperating& fs, const QList<ZshrcLine>& lines);

} // namespace qlan
