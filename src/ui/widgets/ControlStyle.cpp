#include "ui/widgets/ControlStyle.h"

#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/ProminentButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QStyleOption>
#include <QWidget>

namespace qlan {
namespace {

ControlSize controlSizeOf(const QWidget* widget) {
    const QString name = widget ? widget->property("controlSize").toString() : QString();
    for (ControlSize size : {ControlSize::small, ControlSize::large})
        if (name == QLatin1String(controlSizeName(size))) return size;
    return ControlSize::regular;
}

// Draws with the focus left out of the option's state: the caller's option, put back as it was after.
template <typename Draw> void withoutFocus(const QStyleOption* option, Draw draw) {
    if (!option || !(option->state & QStyle::State_HasFocus)) {
        draw();
        return;
    }
    auto* unfocused = const_cast<QStyleOption*>(option); // every caller's option is its own, writable copy
    unfocused->state &= ~QStyle::State_HasFocus;
    draw();
    unfocused->state |= QStyle::State_HasFocus;
}

// Between the edge of a push button and its bezel, where the style draws the bezel's outline.
constexpr int kBezelLine = 1;

} // namespace

ControlStyle::ControlStyle() = default;

void ControlStyle::polish(QApplication* application) {
    QProxyStyle::polish(application);
    startFollowingFocus();
}

void ControlStyle::unpolish(QApplication* application) {
    stopFollowingFocus();
    QProxyStyle::unpolish(application);
}

void ControlStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    auto* button = qobject_cast<QPushButton*>(widget);
    if (button) button->setAutoDefault(false);
    // As on the Mac, a click presses a push button or toggles a check box without taking the keyboard
    // focus: a keyboard user's place (a text field too) stays where it was. Tab still reaches them.
    if (button || qobject_cast<QCheckBox*>(widget))
        widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::ClickFocus));
}

QSize ControlStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                     const QWidget* widget) const {
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    if (type == CT_PushButton) {
        const int padded = contents.width() + 2 * (controlSidePadding(controlSizeOf(widget)) + kBezelLine);
        size.setWidth(std::max(size.width(), padded));
    }
    return size;
}

void ControlStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (element == PE_FrameFocusRect) return;
    withoutFocus(option, [&] { QProxyStyle::drawPrimitive(element, option, painter, widget); });
}

void ControlStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    withoutFocus(option, [&] { QProxyStyle::drawControl(element, option, painter, widget); });
}

void ControlStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const {
    withoutFocus(option, [&] { QProxyStyle::drawComplexControl(control, option, painter, widget); });
}

void useControlStyle() {
    if (!qobject_cast<ControlStyle*>(QApplication::style())) QApplication::setStyle(new ControlStyle);
}

} // namespace qlan
