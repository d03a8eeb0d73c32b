#include "ui/widgets/TintedLabel.h"

#include <QPainter>
#include <QPainterPath>

namespace qlan {

TintedLabel::TintedLabel(const QString& text, SystemColor tint, float fillOpacity, float borderOpacity,
                         QWidget* parent)
    : TextLabel(text, TextRole::callout, FontWeight::regular, parent)
    , tint_(tint)
    , fillOpacity_(fillOpacity)
    , borderOpacity_(borderOpacity) {
    setContentsMargins(10, 10, 10, 10);
    setProperty("systemColor", QString::fromLatin1(systemColorName(tint)));
}

void TintedLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor colour = systemColor(tint_, palette());
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        colour.setAlphaF(fillOpacity_);
        painter.fillPath(shape, colour);
        colour.setAlphaF(borderOpacity_);
        painter.setPen(QPen(colour, 1));
        painter.drawPath(shape);
    }
    TextLabel::paintEvent(event);
}

} // namespace qlan
