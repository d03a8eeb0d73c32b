#include "ui/widgets/MarkdownLabel.h"

#include "ui/widgets/DesktopActions.h"

#include <QRegularExpression>
#include <QUrl>

namespace qlan {

MarkdownLabel::MarkdownLabel(const QString& markdown, TextRole role, FontWeight weight, QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::MarkdownText);
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
    Qt::TextInteractionFlags flags = Qt::LinksAccessibleByMouse;
    if (hasLink(text())) flags |= Qt::LinksAccessibleByKeyboard;
    if (selectable) flags |= Qt::TextSelectableByMouse;
    setTextInteractionFlags(flags); // without keyboard access, no tab focus either
}

bool MarkdownLabel::hasLink(const QString& markdown) {
    static const QRegularExpression link(
        QStringLiteral(R"(\]\s*[(\[]|<[A-Za-z][A-Za-z0-9+.-]*:|\b[A-Za-z][A-Za-z0-9+.-]*://|\bwww\.|\S@\S)"));
    return link.match(markdown).hasMatch();
}

} // namespace qlan
