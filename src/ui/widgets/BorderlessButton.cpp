#include "ui/widgets/BorderlessButton.h"

#include "ui/widgets/ProminentButton.h"

#include <QPainter>

namespace qlan {

BorderlessButton::BorderlessButton(const QString& title, TextRole role, QWidget* parent)
    : QPushButton(title, parent) {
    TypeScale::apply(this, role);
    setFlat(true);
    setProperty("borderless", true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

QSize BorderlessButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()), controlHeight(ControlSize::regular, font())};
}

void BorderlessButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor ink = pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    if (isDown()) ink.setAlphaF(ink.alphaF() * 0.6f);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
}

} // namespace qlan
