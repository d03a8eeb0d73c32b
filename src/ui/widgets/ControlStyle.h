#pragma once
// The controls that the platform's style draws, as the Mac has them: a push button keeps the Mac's
// side padding of its control size (its property "controlSize", regular when none) between its bezel
// and the ends of its title, and no control marks its keyboard focus in a way of its own. The one focus
// ring of every control (KeyboardFocus.h) marks it, outside the control; the style starts it.
//
// No push button becomes a default by taking the focus, as every one in a dialog would (Qt's auto
// default): a window's default is only the button bound to Return (ProminentButton::bindToReturn), so
// Return presses nothing where a screen names no default action, such as a sheet whose work runs. A click
// on a push button or a check box does not move the keyboard focus to it; Tab does.

#include <QProxyStyle>

namespace qlan {

class ControlStyle : public QProxyStyle {
    Q_OBJECT
public:
    ControlStyle(); // over the platform's own style

    void polish(QApplication* application) override;
    void unpolish(QApplication* application) override;
    void polish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};

// Gives the application the control style: once the application exists, before its first window.
void useControlStyle();

} // namespace qlan
