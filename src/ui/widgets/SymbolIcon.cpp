#include "ui/widgets/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPathStroker>

#include <cmath>

namespace qlan {
namespace {

// The line width of the symbols' strokes, as a share of the symbol's side (the regular weight).
constexpr qreal kStroke = 0.085;

QPainterPath ring(const QPointF& centre, qreal outer, qreal width) {
    QPainterPath path;
    path.addEllipse(centre, outer, outer);
    QPainterPath inner;
    inner.addEllipse(centre, outer - width, outer - width);
    return path.subtracted(inner);
}

} // namespace

SymbolIcon::SymbolIcon(Symbol symbol, SystemColor colour, TextRole role, SymbolScale scale, QWidget* parent)
    : QWidget(parent)
    , symbol_(symbol)
    , colour_(colour)
    , role_(role)
    , scale_(scale) {
    setFont(TypeScale::font(role_));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setSymbol(symbol, colour);
}

void SymbolIcon::setSymbol(Symbol symbol, SystemColor colour) {
    symbol_ = symbol;
    colour_ = colour;
    setProperty("symbol", QString::fromLatin1(symbolName(symbol)));
    setProperty("systemColor", QString::fromLatin1(systemColorName(colour)));
    update();
}

qreal SymbolIcon::side() const {
    const qreal capitals = QFontMetricsF(font()).capHeight();
    return std::round(capitals * (scale_ == SymbolScale::large ? 1.75 : 1.35));
}

qreal SymbolIcon::centreY() const {
    // The middle of the capitals of the text's first line, or the middle of the symbol when the symbol
    // is taller than the line.
    const QFontMetricsF metrics(font());
    const qreal middle = metrics.ascent() - metrics.capHeight() / 2;
    return std::max(middle, side() / 2);
}

QSize SymbolIcon::sizeHint() const {
    const qreal line = QFontMetricsF(font()).height();
    const int width = static_cast<int>(std::ceil(side()));
    const int height = static_cast<int>(std::ceil(std::max(line, centreY() + side() / 2)));
    return {width, height};
}

QPainterPath SymbolIcon::shape(Symbol symbol, qreal side) {
    const QPointF centre(side / 2, side / 2);
    const qreal radius = side / 2;
    const qreal width = std::max<qreal>(1.0, side * kStroke);
    switch (symbol) {
    case Symbol::circle:
        return ring(centre, radius - 0.5, width);
    case Symbol::largecircleFillCircle: {
        QPainterPath path = ring(centre, radius - 0.5, width);
        const qreal dot = radius * 0.52;
        path.addEllipse(centre, dot, dot);
        return path;
    }
    case Symbol::checkmarkCircleFill: {
        QPainterPath disc;
        disc.addEllipse(centre, radius - 0.25, radius - 0.25);
        QPainterPath tick;
        tick.moveTo(side * 0.29, side * 0.52);
        tick.lineTo(side * 0.44, side * 0.66);
        tick.lineTo(side * 0.71, side * 0.35);
        QPainterPathStroker stroker;
        stroker.setWidth(side * 0.1);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        return disc.subtracted(stroker.createStroke(tick));
    }
    }
    return {};
}

const char* SymbolIcon::symbolName(Symbol symbol) {
    switch (symbol) {
    case Symbol::circle:
        return "circle";
    case Symbol::largecircleFillCircle:
        return "largecircle.fill.circle";
    case Symbol::checkmarkCircleFill:
        return "checkmark.circle.fill";
    }
    return "circle";
}

void SymbolIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(systemColor(colour_, palette()));
    painter.translate(0, centreY() - side() / 2);
    painter.drawPath(shape(symbol_, side()));
}

} // namespace qlan
