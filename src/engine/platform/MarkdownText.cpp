#include "platform/MarkdownText.h"

#include "platform/ProbeSupport.h"

namespace qlan {
namespace {

// One line: breaks of any kind become single spaces.
QString oneLine(const QString& text) {
    return probing::splitLines(text).join(u' ');
}

bool isWordCharacter(const QString& text, qsizetype index) {
    return index >= 0 && index < text.size() && text.at(index).isLetterOrNumber();
}

} // namespace

QString markdownEscaped(const QString& text) {
    static const QString alwaysEscaped = QStringLiteral("\\`*[]<>!&|~#:$@");
    const QString line = oneLine(text);
    QString escaped;
    escaped.reserve(line.size() * 2);
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        // An underscore inside a word never starts emphasis ("x86_64", "1.8.0_392" stay as they are).
        const bool intraword = c == u'_' && isWordCharacter(line, i - 1) && isWordCharacter(line, i + 1);
        // "www." would start a web link of its own.
        const bool wwwDot =
            c == u'.' && i >= 3 && line.mid(i - 3, 3).compare(u"www", Qt::CaseInsensitive) == 0;
        if (alwaysEscaped.contains(c) || (c == u'_' && !intraword) || wwwDot) escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString markdownCodeSpan(const QString& text) {
    const QString line = oneLine(text);
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : line) {
        run = c == u'`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const QString fence(longest + 1, u'`');
    const bool pad = line.startsWith(u'`') || line.endsWith(u'`');
    const QString inner = pad ? u' ' + line + u' ' : line;
    return fence + inner + fence;
}

} // namespace qlan
