#include "ui/widgets/FramedBox.h"

#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SystemColors.h"

#include <QAbstractScrollArea>
#include <QEvent>
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
    const QColor border = withAlpha(TypeScale::secondaryColor(palette), 0.3);
    painter.setPen(QPen(border, 1));
    painter.drawPath(shape);
    painter.restore();
}

namespace {

// Paints the frame on the surface of a scroll area, behind its viewport and scroll bars.
class TextFramePainter : public QObject {
public:
    explicit TextFramePainter(QAbstractScrollArea* area)
        : QObject(area) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* area = static_cast<QWidget*>(watched);
        if (event->type() != QEvent::Paint) return false;
        QPainter painter(area);
        paintTextFrame(painter, area->rect(), area->palette());
        return true;
    }
};

} // namespace

// The frame is one point wide: the scroll bars and the viewport keep inside the border painted there.
constexpr int kFrameWidth = 1;

void applyTextFrame(QAbstractScrollArea* area) {
    area->setFrameStyle(QFrame::Box | QFrame::Plain);
    area->setLineWidth(kFrameWidth);
    area->viewport()->setAutoFillBackground(false);
    if (area->property("textFrame").toBool()) return;
    area->setProperty("textFrame", true);
    setFocusRingRadius(area, 6); // the ring follows the frame's corners
    area->installEventFilter(new TextFramePainter(area));
}

QMargins textFrameViewportMargins(int inset) {
    const int margin = std::max(0, inset - kFrameWidth);
    return {margin, margin, margin, margin};
}

FramedBox::FramedBox(QWidget* content, int inset, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->addWidget(content);
    // The content's ring surrounds the frame: no border shows outside it.
    setFocusRingTarget(content, this);
    setFocusRingRadius(this, 6);
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
