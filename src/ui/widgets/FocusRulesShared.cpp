#include "ui/widgets/FocusRulesShared.h"

#include "ui/widgets/KeyboardFocus.h"

#include <QAbstractButton>

namespace qlan::focusrules {

QRect placeIn(const QWidget* window, const QWidget* control) {
    return {control->mapTo(window, QPoint(0, 0)), control->size()};
}

bool usable(const QWidget* control, const QWidget* window) {
    return control && control->window() == window && control->isVisible() && control->isEnabled();
}

bool inMarked(const QWidget* control, std::initializer_list<const char*> marks) {
    for (const QWidget* widget = control; widget && !widget->isWindow(); widget = widget->parentWidget())
        for (const char* mark : marks)
            if (widget->property(mark).toBool()) return true;
    return false;
}

bool comingBack(const QWidget* control, const QWidget* window) {
    return control && control->window() == window && control->isVisible() && !control->isEnabled() &&
           !inMarked(control, {kHeld, kRetired});
}

FocusPlace FocusPlace::of(QWidget* control) {
    const auto* button = qobject_cast<QAbstractButton*>(control);
    return {control,
            control->metaObject()->className(),
            control->objectName(),
            button ? button->text() : QString(),
            control->property(kAction).toByteArray(),
            placeIn(control->window(), control),
            keyboardHasMovedFocus()};
}

bool FocusPlace::doesTheSameAs(const QWidget* other) const {
    return !action.isEmpty() && other->property(kAction).toByteArray() == action;
}

bool FocusPlace::standsFor(const QWidget* other) const {
    if (other->metaObject()->className() != kind || other->objectName() != name) return false;
    if (!name.isEmpty()) return true;
    const auto* button = qobject_cast<const QAbstractButton*>(other);
    return button && button->text() == title;
}

} // namespace qlan::focusrules
