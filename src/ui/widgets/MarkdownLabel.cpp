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
    // Only web addresses are opened: a link in the text never launches a program or a local file.
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        const QUrl url(link);
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            DesktopActions::of(this)->openURL(url);
    });
}

void MarkdownLabel::setSelectable(bool selectable) {
    Qt::TextInteractionFlags flags = Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard;
    if (selectable) flags |= Qt::TextSelectableByMouse;
    setTextInteractionFlags(flags);
}

} // namespace qlan
