#pragma once
// A system symbol drawn as a vector icon in a system colour, sized for the text it stands beside: at
// the medium scale about as tall as that text's capitals and ascenders, at the large scale a third
// larger. The icon is as tall as one line of the text and centres the symbol on the middle of the
// capitals, so that placed at the top of a row it lines up with the text's first baseline.

#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TypeScale.h"

#include <QPainterPath>
#include <QWidget>

namespace qlan {

enum class Symbol {
    circle,                // "circle": an empty ring
    largecircleFillCircle, // "largecircle.fill.circle": a ring around a filled disc
    checkmarkCircleFill,   // "checkmark.circle.fill": a filled disc with a tick cut out of it
};
enum class SymbolScale { medium, large };

class SymbolIcon : public QWidget {
    Q_OBJECT
public:
    SymbolIcon(Symbol symbol, SystemColor colour, TextRole role, SymbolScale scale = SymbolScale::medium,
               QWidget* parent = nullptr);

    // Shows another symbol or colour; records the symbol's name as the property "symbol" and the
    // colour's as "systemColor".
    void setSymbol(Symbol symbol, SystemColor colour);
    Symbol symbol() const { return symbol_; }
    SystemColor colour() const { return colour_; }

    // The symbol's shape in a square of `side` at the origin, to be filled.
    static QPainterPath shape(Symbol symbol, qreal side);
    static const char* symbolName(Symbol symbol);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal side() const;
    qreal centreY() const;

    Symbol symbol_;
    SystemColor colour_;
    TextRole role_;
    SymbolScale scale_;
};

} // namespace qlan
