#include "ui/widgets/MarkdownLabel.h"

#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/SelectableText.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

namespace qlan {
namespace {

// Whether the text as shown holds a link (text that only looks like Markdown's link syntax, escaped or
// not, makes none).
bool holdsLink(const QTextDocument& shown) {
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().isAnchor()) return true;
    return false;
}

} // namespace

MarkdownLabel::MarkdownLabel(const QString& markdown, TextRole role, FontWeight weight, QWidget* parent)
    : QLabel(parent) {
    // Text without any Markdown syntax reads the same as plain text, which lays out much faster.
    const bool plain = isPlainProse(markdown);
    setTextFormat(plain ? Qt::PlainText : Qt::MarkdownText);
    setText(markdown);
    // A screen reader reads the text as shown, never its Markdown source (Qt would give the source).
    if (!plain) {
        QTextDocument shown;
        shown.setMarkdown(markdown);
        setAccessibleName(shown.toPlainText());
        linked_ = holdsLink(shown);
    }
    setWordWrap(true);
    setAlignment(Qt::AlignLeading | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setOpenExternalLinks(false);
    setSelectable(false);
    TypeScale::apply(this, role, weight);
    // Only web addresses are opened: a link in the text never launches a program or a local file.
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        const QUrl url(link);
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            DesktopActions::of(this)->openURL(url);
    });
}

void MarkdownLabel::setSelectable(bool selectable) {
    Qt::TextInteractionFlags flags = Qt::NoTextInteraction;
    if (linked_) flags = Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard;
    setTextInteractionFlags(flags); // without keyboard access, no tab focus either
    setSelectableByMouse(this, selectable);
}

// Both scans below are written out rather than regular expressions: they run for every label a screen
// makes, the first of them while the first window is built.

bool MarkdownLabel::isPlainProse(const QString& markdown) {
    if (markdown.isEmpty()) return true;
    // At the start: indented code, list, quote and heading-underline markers, numbered lists.
    const QChar first = markdown.front();
    if (first.isSpace() || QStringView(u"-+=>").contains(first)) return false;
    qsizetype digits = 0;
    while (digits < markdown.size() && markdown.at(digits).isDigit())
        ++digits;
    if (digits > 0 && digits < markdown.size() && QStringView(u".)").contains(markdown.at(digits)))
        return false;
    // Anywhere: emphasis, code, links, HTML, entities, headings, tables, escapes, and line breaks
    // (Markdown joins lines).
    static constexpr QStringView syntax = u"\\`*_[]<>#~|&\n\r\t";
    for (const QChar c : markdown)
        if (syntax.contains(c)) return false;
    return !hasLink(markdown);
}

bool MarkdownLabel::hasLink(const QString& markdown) {
    const qsizetype n = markdown.size();
    const auto at = [&](qsizetype i) { return i >= 0 && i < n ? markdown.at(i) : QChar(); };
    const auto isSchemeChar = [](QChar c) {
        return c.isLetterOrNumber() || c == u'+' || c == u'.' || c == u'-';
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = markdown.at(i);
        if (c == u']') { // an inline or reference link: "](" or "][", blanks allowed between
            qsizetype j = i + 1;
            while (at(j).isSpace())
                ++j;
            if (at(j) == u'(' || at(j) == u'[') return true;
        } else if (c == u'<' && at(i + 1).isLetter()) { // an autolink: "<scheme:"
            qsizetype j = i + 2;
            while (isSchemeChar(at(j)))
                ++j;
            if (at(j) == u':') return true;
        } else if (c == u':' && at(i + 1) == u'/' && at(i + 2) == u'/' && isSchemeChar(at(i - 1))) {
            return true; // a bare web address
        } else if (c == u'w' && markdown.mid(i, 4) == QLatin1String("www.") &&
                   !at(i - 1).isLetterOrNumber()) {
            return true;
        } else if (c == u'@' && !at(i - 1).isNull() && !at(i - 1).isSpace() && !at(i + 1).isNull() &&
                   !at(i + 1).isSpace()) {
            return true; // a mail address
        }
    }
    return false;
}

int MarkdownLabel::heightForWidth(int width) const {
    return heights_.heightForWidth(*this, width, [this](int w) { return QLabel::heightForWidth(w); });
}

} // namespace qlan
