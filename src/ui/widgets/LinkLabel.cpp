#include "ui/widgets/LinkLabel.h"

#include "ui/widgets/DesktopActions.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace qlan {

LinkLabel::LinkLabel(const QString& label, const QUrl& destination, TextRole role, QWidget* parent)
    : QLabel(parent)
    , destination_(destination) {
    setTextFormat(Qt::PlainText);
    setText(label);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setToolTip(destination.toString());
    TypeScale::apply(this, role);
    setForegroundRole(QPalette::Link);
}

void LinkLabel::setDestination(const QUrl& destination) {
    destination_ = destination;
    setToolTip(destination.toString());
}

void LinkLabel::activate() {
    if (destination_.isEmpty() || !destination_.isValid()) return;
    DesktopActions::of(this)->openURL(destination_);
    emit activated(destination_);
}

bool LinkLabel::event(QEvent* event) {
    if (event->type() != QEvent::Polish) return QLabel::event(event);
    // QLabel lays out any label that can take the focus through a text document, made when the label is
    // polished; a link's one line of plain text needs none until it gets the focus (QLabel makes it
    // then), so a window with links draws its first frame sooner.
    const Qt::FocusPolicy policy = focusPolicy();
    setFocusPolicy(Qt::NoFocus);
    const bool handled = QLabel::event(event);
    setFocusPolicy(policy);
    return handled;
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace qlan
