#pragma once
// How one output line is kept and shown as a row of the remediation sheets. Three rules, applied in one
// pass when the row is stored:
// - Terminal control sequences are not text: colour and cursor codes (CSI), operating system commands
//   such as titles and hyperlinks (OSC; a hyperlink keeps its text), the other escape sequences and
//   strings, and the remaining control characters are removed; a tab stays. The row, what a screen
//   reader says and what Copy takes are then the text that a terminal would have shown.
// - A character keeps at most `marksPerCharacter` combining marks (more than any script needs); the rest
//   are dropped, so that one row of stacked marks cannot freeze the window in text layout.
// - A line longer than `characters` is cut there and ends with a mark that says how much was left out
//   ("… 19,997,000 more characters"). One line without a line break (a tool printing megabytes at once)
//   then neither freezes the screen in text layout nor stays whole in memory. Lengths are counted in
//   UTF-16 units, so that the cut costs the same for any length: a character outside the Basic
//   Multilingual Plane counts as two, and a cut never splits one. The process runner already keeps a
//   child's line only in part while it is read (OutputLineSplitter); what it left out is counted in the
//   mark too.
// A line that none of the rules changes is kept as it is, without a copy.

#include <QString>

namespace qlan {

class OutputLineLimit {
public:
    OutputLineLimit() = delete;

    static constexpr qsizetype characters = 3000;
    static constexpr int marksPerCharacter = 8;

    // The line as the screens keep it; `omitted` UTF-16 units of the line after `line` were never kept.
    static QString shown(const QString& line, qint64 omitted = 0);
};

} // namespace qlan
