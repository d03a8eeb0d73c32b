#include "ui/widgets/SheetFocusReturn.h"

#include "ui/widgets/KeyboardFocus.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPushButton>
#include <QWidget>

namespace qlan::focusrules {
namespace {

FocusPlace recentDeparture;

} // namespace

SheetFocusReturn::SheetFocusReturn(QDialog* sheet, QWidget* window)
    : QObject(window)
    , window_(window)
    , sheet_(sheet) {
    for (SheetFocusReturn* other : over(window))
        if (other != this) other->end(); // a new sheet over the window
    QWidget* focus = window->focusWidget();
    if (focus && focus != window && (focus->focusPolicy() & Qt::TabFocus))
        opener_ = FocusPlace::of(focus);
    else if (recentDeparture.control && recentDeparture.control->window() == window)
        opener_ = recentDeparture;
    else if (const FocusPlace* waiting = focusWaitingFor(window))
        opener_ = *waiting;
    else
        opener_.ringShown = keyboardHasMovedFocus();
    sheet->installEventFilter(this);
    window->installEventFilter(this);
}

SheetFocusReturn::~SheetFocusReturn() {
    if (closed_ && qApp) qApp->removeEventFilter(this);
}

void SheetFocusReturn::screenReplaced(QWidget* window) {
    for (SheetFocusReturn* each : over(window))
        if (each->closed_) // after Qt shows what a layout was given
            QMetaObject::invokeMethod(
                each, [each] { each->settleSoon(); }, Qt::QueuedConnection);
}

void SheetFocusReturn::noteDeparture(QWidget* control) {
    if (!recentDeparture.control)
        QMetaObject::invokeMethod(
            qApp, [] { recentDeparture = {}; }, Qt::QueuedConnection);
    recentDeparture = FocusPlace::of(control);
}

bool SheetFocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (ended_) return false;
    if (!closed_) {
        if (watched == sheet_.data() && event->type() == QEvent::Show) shown_ = true;
        // On a Mac the window becomes key inside the sheet's hide, before the sheet hears of it, and Qt
        // gives the window its focus back at once: the focus goes where the rules say right there, so
        // that Qt's own choice is never told. Elsewhere the sheet hears of its hide first.
        const bool activated = watched == window_ && event->type() == QEvent::WindowActivate && sheetHiding();
        if (activated || (watched == sheet_.data() && event->type() == QEvent::Hide)) {
            close();
            if (activated) settle();
            settleSoon(); // again once what the screen was given in this turn shows
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
        // The person's own move in the window ends the watch.
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == window_) end();
        break;
    case QEvent::WindowActivate:
        // The window comes to the front before the hand-back ran: it runs now, so that Qt gives the
        // window back the control the rules chose, never one of its own choosing first.
        if (watched == window_ && scheduled_) settle();
        break;
    case QEvent::EnabledChange:
        // The control the focus waits for may be back.
        if (auto* widget = qobject_cast<QWidget*>(watched);
            awaiting_ && widget && widget->window() == window_ && widget->isEnabled())
            settleSoon();
        break;
    default:
        break;
    }
    return false;
}

// The watch ends at once; the object goes once control returns to the event loop.
void SheetFocusReturn::end() {
    ended_ = true;
    deleteLater();
}

bool SheetFocusReturn::sheetHiding() const {
    const auto* sheet = qobject_cast<const QWidget*>(sheet_.data());
    return shown_ && (!sheet || sheet->isHidden());
}

void SheetFocusReturn::close() {
    closed_ = true;
    if (sheet_) sheet_->removeEventFilter(this);
    window_->removeEventFilter(this);
    qApp->installEventFilter(this);
}

void SheetFocusReturn::settleSoon() {
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &SheetFocusReturn::settle, Qt::QueuedConnection);
}

void SheetFocusReturn::settle() {
    scheduled_ = false;
    if (ended_ || !window_->isVisible()) return;
    if (!opener_.ringShown && keyboardHasMovedFocus()) {
        // The ring shows only where it showed before the sheet: a Tab inside it does not bring it here.
        window_->setAttribute(Qt::WA_KeyboardFocusChange, false);
        forgetKeyboardUse();
    }
    QWidget* heir = heirOfOpener(usable);
    // The control that stands for the opener but is disabled for a while of its own is waited for, as
    // a control that went away is; meanwhile the window holds the focus.
    awaiting_ = !heir && heirOfOpener(comingBack);
    if (!heir && !awaiting_) heir = defaultButton();
    if (heir)
        heir->setFocus(Qt::OtherFocusReason);
    else
        window_->setFocus(Qt::OtherFocusReason);
}

// The returns of `window`: its children.
QList<SheetFocusReturn*> SheetFocusReturn::over(const QWidget* window) {
    QList<SheetFocusReturn*> returns;
    for (QObject* child : window->children())
        if (auto* each = dynamic_cast<SheetFocusReturn*>(child)) returns.append(each);
    return returns;
}

// The opener, else what does the same (opens the same sheet, under any title), else what looks the
// same, of the controls that `fits` takes.
template <typename Fits> QWidget* SheetFocusReturn::heirOfOpener(Fits fits) const {
    if (opener_.control && fits(opener_.control, window_)) return opener_.control;
    if (opener_.kind.isEmpty()) return nullptr; // no control held the focus: none does now
    if (QWidget* same =
            nearestTo(fits, [this](const QWidget* widget) { return opener_.doesTheSameAs(widget); }))
        return same;
    return nearestTo(fits, [this](const QWidget* widget) { return opener_.standsFor(widget); });
}

QPushButton* SheetFocusReturn::defaultButton() const {
    if (opener_.kind.isEmpty()) return nullptr;
    for (QPushButton* button : window_->findChildren<QPushButton*>())
        if (usable(button, window_) && button->isDefault()) return button;
    return nullptr;
}

// Of the controls Tab reaches that `fits` and `matches` take, the nearest to where the opener stood.
template <typename Fits, typename Match>
QWidget* SheetFocusReturn::nearestTo(Fits fits, Match matches) const {
    QWidget* nearest = nullptr;
    int distance = 0;
    for (QWidget* widget : window_->findChildren<QWidget*>()) {
        if (!fits(widget, window_) || !(widget->focusPolicy() & Qt::TabFocus) || !matches(widget)) continue;
        const int off = (placeIn(window_, widget).center() - opener_.place.center()).manhattanLength();
        if (!nearest || off < distance) {
            nearest = widget;
            distance = off;
        }
    }
    return nearest;
}

} // namespace qlan::focusrules
