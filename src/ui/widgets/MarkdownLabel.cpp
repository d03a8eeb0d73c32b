#include "ui/widgets/MarkdownLabel.h"

#include "ui/widgets/DesktopActions.h"

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
    Qt::TextInteractionFlags flags = Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard;
    if (selectable) flags |= Qt::TextSelectableByMouse;
    setTextInteractionFlags(flags);
}

} // namespace qlan
