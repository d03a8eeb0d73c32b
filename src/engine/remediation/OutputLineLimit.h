#pragma once
// How much of one output line the screens keep and show: a line longer than `characters` is cut there and
// ends with a mark that says how much was left out ("… 19,997,000 more characters"). One line without a
// line break (a tool printing megabytes at once) then neither freezes the screen in text layout nor stays
// whole in memory. Lengths are counted in UTF-16 units, so that the cut costs the same for any length: a
// character outside the Basic Multilingual Plane counts as two, and a cut never splits one.

#include <QString>

namespace qlan {

class OutputLineLimit {
public:
    OutputLineLimit() = delete;

    static constexpr qsizetype characters = 3000;

    // The line as the screens keep it: unchanged up to `characters`, else cut with the mark.
    static QString shown(const QString& line);
};

} // namespace qlan
