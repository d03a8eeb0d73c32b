#include "ui/widgets/LinkLabel.h"

#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/DesktopActions.h"

#include <QKeyEvent>
#include <QPainter>

namespace qlan {
namespace {

bool isReturn(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() | Qt::KeypadModifier) == Qt::KeypadModifier;
}

} // namespace

LinkLabel::LinkLabel(const QString& label, const QUrl& destination, TextRole role, QWidget* parent)
    : QAbstractButton(parent)
    , destination_(destination) {
    setText(label);
    setCursor(Qt::PointingHandCursor);
    // As on the Mac, a click follows the link without taking the focus; Tab reaches it.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setToolTip(destination.toString());
    TypeScale::apply(this, role);
    setForegroundRole(QPalette::Link);
    setAccessibleRole(this, QAccessible::Link);
    connect(this, &QAbstractButton::clicked, this, &LinkLabel::open);
}

void LinkLabel::setDestination(const QUrl& destination) {
    destination_ = destination;
    setToolTip(destination.toString());
}

void LinkLabel::open() {
    if (destination_.isEmpty() || !destination_.isValid()) return;
    DesktopActions::of(this)->openURL(destination_);
    emit activated(destination_);
}

QSize LinkLabel::sizeHint() const {
    // The text alone: it keeps to the column's edge, like the text above it; the focus ring stands outside.
    return fontMetrics().size(Qt::TextSingleLine, text());
}

QSize LinkLabel::minimumSizeHint() const {
    return sizeHint();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    // Return reaches the link only when no default button of the window took it.
    if (isReturn(event) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A link that does nothing for now (its screen's controls are held) is drawn as disabled text is.
    painter.setPen(isEnabled() ? palette().color(foregroundRole())
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

} // namespace qlan
