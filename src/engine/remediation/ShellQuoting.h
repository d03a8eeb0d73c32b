#pragma once
// Putting a value into a sh/zsh command line as one literal word.

#include <QString>

namespace qlan {

// The text between single quotes, each "'" inside written as '\'' (close, escaped quote, reopen), so
// that the shell passes it on unchanged whatever it holds ("$(...)", backticks, spaces, line feeds).
QString shellQuoted(const QString& text);

} // namespace qlan
