#pragma once
// The one way the engine edits a user's shell startup file: preview the block to add, back the file up,
// write it. The presence tests below decide whether a block is already there; the shell and agent
// writers and the probes that ask them whether their work is done use them directly.

#include <QString>
#include <QStringList>

namespace qlan {

class FileAppendWriter {
public:
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
