#include "ui/widgets/FramedBox.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace qlan {

void paintTextFrame(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(shape, palette.color(QPalette::Active, QPalette::Base));
    QColor border = TypeScale::secondaryColor(palette);
    border.setAlphaF(border.alphaF() * 0.3f);
    painter.setPen(QPen(border, 1));
    painter.drawPath(shape);
    painter.restore();
}

FramedBox::FramedBox(QWidget* content, int inset, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->addWidget(content);
}

void FramedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintTextFrame(painter, rect(), palette());
}

CodeBox::CodeBox(const QString& text, TextRole role, QWidget* parent)
    : TextLabel(text, role, FontWeight::regular, parent) {
    TypeScale::applyMonospaced(this, role);
    setSelectable(true);
    setContentsMargins(8, 8, 8, 8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void CodeBox::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        paintTextFrame(painter, rect(), palette());
    }
    TextLabel::paintEvent(event);
}

} // namespace qlan
