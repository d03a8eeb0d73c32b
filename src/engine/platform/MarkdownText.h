#pragma once
// Putting text read from the machine (folder names, paths, vendors, versions) into a text that is shown
// as Markdown, so that it reads exactly as it is and never becomes a link, an image, emphasis or code.

#include <QString>

namespace qlan {

// The text with every character that could start inline Markdown (links, images, emphasis, code, HTML,
// entities, autolinks) escaped by a backslash and line breaks turned into spaces, for a value placed
// inside a sentence. Rendered, it shows the text itself.
QString markdownEscaped(const QString& text);

// The text as one inline code span, its fence longer than any run of backticks inside it.
QString markdownCodeSpan(const QString& text);

} // namespace qlan
