#include "ui/widgets/KeyboardFocus.h"

#include "ui/widgets/SystemColors.h"

#include <QLayout>
#include <QPainter>
#include <QWidget>

namespace qlan {

void drawFocusRing(QPainter& painter, const QWidget* widget, qreal radius) {
    if (!widget->hasFocus()) return;
    QColor ring = systemAccentColor(widget->palette());
    ring.setAlphaF(0.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, focusRingWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = focusRingWidth / 2.0;
    painter.drawRoundedRect(QRectF(widget->rect()).adjusted(inset, inset, -inset, -inset), radius - inset,
                            radius - inset);
    painter.restore();
}

void drawFocusRingAround(QPainter& painter, const QWidget* widget, const QRectF& area, qreal radius) {
    if (!widget->hasFocus()) return;
    QColor ring = systemAccentColor(widget->palette());
    ring.setAlphaF(0.5);
    const qreal inset = focusRingWidth / 2.0;
    const QRectF around = area.adjusted(-focusRingWidth, -1, focusRingWidth, 1)
                              .intersected(QRectF(widget->rect()).adjusted(inset, inset, -inset, -inset));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, focusRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(around, radius, radius);
    painter.restore();
}

bool holdsKeyboardFocus(const QWidget* widget) {
    const QWidget* focus = widget->window()->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

void startFocusOver(QWidget* widget) {
    if (QWidget* focus = widget->window()->focusWidget()) focus->clearFocus();
}

void retireScreen(QLayout* layout, QWidget* screen) {
    const bool focused = holdsKeyboardFocus(screen);
    layout->removeWidget(screen);
    screen->hide(); // Qt may move the focus on to another control here
    if (focused) startFocusOver(screen);
    screen->deleteLater();
}

} // namespace qlan
