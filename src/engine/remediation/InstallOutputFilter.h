#pragma once
// The lines of an installation's transcript that are shown to the person: system log lines with a
// date-and-process prefix are hidden, so is the block of follow-up instructions that Homebrew's install
// script prints under "==> Next steps:" (the application carries them out itself), and a note follows
// Homebrew's warning about an old macOS version. Every other line is passed through unchanged.

#include <QRegularExpression>
#include <QStringList>

namespace qlan {

class InstallOutputFilter {
public:
    InstallOutputFilter() = delete;

    // The lines to show. Pure and linear in the number of lines: callers may filter the whole transcript
    // again after each new line.
    static QStringList filter(const QStringList& lines);

    // What one line of a transcript shows, given every line before it.
    enum class Shown {
        nothing,     // the line is hidden
        line,        // the line itself
        lineAndNote, // the line, then `oldVersionNote`
    };

    // The filter fed one line at a time, for a transcript that is still growing: feeding the lines in
    // order shows exactly what `filter` shows for all of them.
    class Incremental {
    public:
        Shown feed(const QString& line);

    private:
        bool inBlock_ = false;
        int blockLine_ = 0;
    };

    // A system log prefix: date, time with at least three fraction digits, process name, "[pid:tid]", a
    // blank. Compiled once, on first use; safe to reach from several threads.
    static const QRegularExpression& timestampPattern();

    static inline const QString blockHeader = QStringLiteral("==> Next steps:");
    // Printed in the documentation link that closes the install script's block.
    static inline const QString documentationMarker = QStringLiteral("docs.brew.sh");
    static inline const QString oldVersionWarning =
        QStringLiteral("do not provide support for this old version");
    static inline const QString oldVersionNote = QStringLiteral(
        "Note: that Homebrew message is about macOS 13 being an older version. It is not an error "
        "— the install continues normally.");
    // A block ends at the latest with this line after its header.
    static constexpr int blockLimit = 31;
};

} // namespace qlan
