#include "ui/widgets/MarkdownLabel.h"

#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/SelectableText.h"

#include <QRegularExpression>
#include <QUrl>

namespace qlan {

MarkdownLabel::MarkdownLabel(const QString& markdown, TextRole role, FontWeight weight, QWidget* parent)
    : QLabel(parent) {
    // Text without any Markdown syntax reads the same as plain text, which lays out much faster.
    setTextFormat(isPlainProse(markdown) ? Qt::PlainText : Qt::MarkdownText);
    setText(markdown);
    setWordWrap(true);
    setAlignment(Qt::AlignLeading | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setOpenExternalLinks(false);
    setSelectable(false);
    TypeScale::apply(this, role, weight);
    connect(this, &QLabel::linkActivated, this,
            [this](const QString& link) { DesktopActions::of(this)->openURL(QUrl(link)); });
}

void MarkdownLabel::setSelectable(bool selectable) {
    Qt::TextInteractionFlags flags = Qt::NoTextInteraction;
    if (hasLink(text())) flags = Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard;
    setTextInteractionFlags(flags); // without keyboard access, no tab focus either
    setSelectableByMouse(this, selectable);
}

bool MarkdownLabel::isPlainProse(const QString& markdown) {
    // Characters that start emphasis, code, links, HTML, entities, headings, tables or escapes, and line
    // breaks (Markdown joins lines); at the start, list and quote markers and indented code.
    static const QRegularExpression syntax(QStringLiteral(R"([\\`*_\[\]<>#~|&\n\r\t]|^\s|^[-+=>]|^\d+[.)])"));
    return !syntax.match(markdown).hasMatch() && !hasLink(markdown);
}

bool MarkdownLabel::hasLink(const QString& markdown) {
    static const QRegularExpression link(
        QStringLiteral(R"(\]\s*[(\[]|<[A-Za-z][A-Za-z0-9+.-]*:|\b[A-Za-z][A-Za-z0-9+.-]*://|\bwww\.|\S@\S)"));
    return link.match(markdown).hasMatch();
}

int MarkdownLabel::heightForWidth(int width) const {
    return heights_.heightForWidth(*this, width, [this](int w) { return QLabel::heightForWidth(w); });
}

} // namespace qlan
