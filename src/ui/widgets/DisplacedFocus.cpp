#include "ui/widgets/DisplacedFocus.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QWidget>

#include <cstdlib>
#include <utility>

namespace qlan::focusrules {

DisplacedFocus::~DisplacedFocus() {
    if (filtering_ && qApp) qApp->removeEventFilter(this);
}

void DisplacedFocus::note(QWidget* old, QWidget* now) {
    if (!old || old->isWindow()) return;
    for (const Departure& departure : std::as_const(departures_))
        if (departure.control == old) return;
    if (departures_.isEmpty()) {
        QMetaObject::invokeMethod(this, &DisplacedFocus::review, Qt::QueuedConnection);
        if (!waiting_) arrivals_.clear(); // what came before, while a window was in the back, is no heir
    }
    QWidget* window = old->window();
    // Qt hands a focus that leaves a control going away to a stop of Tab, a container or the window, never to
    // what only a click reaches (a text the person pressed).
    const bool moved =
        now && !now->isWindow() && (now->focusPolicy() & (Qt::TabFocus | Qt::ClickFocus)) == Qt::ClickFocus;
    departures_.append({old, window, placeIn(window, old), moved});
    watchEnd(window);
    listen();
}

void DisplacedFocus::noteWindowsBehind(QWidget* old, QWidget* now) {
    QWidget* front = now ? now->window() : nullptr;
    behind_.removeIf([front](const QPointer<QWidget>& window) {
        return !window || window == front || !window->isVisible();
    });
    if (old && old->window()->isVisible() && !old->window()->isActiveWindow()) {
        QWidget* window = old->window();
        bool ownSheet = false;
        for (QWidget* over = front; over && !ownSheet; over = over->parentWidget())
            ownSheet = over->window() == window;
        if (!ownSheet && !behind_.contains(window)) {
            behind_.append(window);
            watchEnd(window);
        }
    }
    listen();
}

const FocusPlace* DisplacedFocus::waitingFor(const QWidget* window) const {
    return waiting_ && displaced_.window == window ? &displacedAs_ : nullptr;
}

void DisplacedFocus::forget(const QWidget* window) {
    departures_.removeIf([window](const Departure& departure) { return departure.window == window; });
    if (displaced_.window == window) waiting_ = false;
    listen();
}

bool DisplacedFocus::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
        if (waiting_ && armed_) { // the person's own move
            waiting_ = false;
            listen();
        }
        break;
    case QEvent::Show:
    case QEvent::EnabledChange:
        if (!waiting_ && departures_.isEmpty()) break; // only what comes after a control went counts
        if (auto* button = qobject_cast<QPushButton*>(watched)) {
            if (!arrivals_.contains(button)) arrivals_.append(button);
            if (waiting_ && button->window() == displaced_.window) settleSoon();
        }
        break;
    case QEvent::Hide:
        // The focused control of a window in the back goes (a disabled one tells the window itself).
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && !behind_.isEmpty()) {
            QWidget* window = widget->window();
            if (window != widget && window->focusWidget() == widget && !window->isActiveWindow() &&
                behind_.contains(window))
                note(widget);
        }
        break;
    default:
        break;
    }
    return false;
}

// A wait for the focus of a window, and the watch on a window in the back, end with their window.
void DisplacedFocus::watchEnd(QWidget* window) {
    connect(window, &QObject::destroyed, this, &DisplacedFocus::windowGone, Qt::UniqueConnection);
}

void DisplacedFocus::windowGone(QObject* gone) {
    // Told from the window's destructor, before or after its guards are cleared.
    const auto ends = [gone](const QPointer<QWidget>& window) { return !window || window.data() == gone; };
    departures_.removeIf([&ends](const Departure& departure) { return ends(departure.window); });
    behind_.removeIf(ends);
    if (ends(displaced_.window)) waiting_ = false;
    listen();
}

// Watches the buttons that come (shown or enabled) from the first departure until no focus waits, and
// the controls that go while a window is in the back.
void DisplacedFocus::listen() {
    const bool needed = waiting_ || !departures_.isEmpty() || !behind_.isEmpty();
    if (needed == filtering_ || !qApp) return;
    filtering_ = needed;
    if (needed) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
        arrivals_.clear();
    }
}

void DisplacedFocus::review() {
    const QList<Departure> departures = std::exchange(departures_, {});
    bool gone = false;
    for (const Departure& departure : departures) {
        if (!departure.control || !departure.window || !departure.window->isVisible() || departure.moved)
            continue;
        if (departure.control->isEnabled() && departure.control->isVisibleTo(departure.window))
            continue; // the focus moved on; the control stays
        // The first to go is the one the person was on: Qt only passed the focus through the others.
        displaced_ = departure;
        displacedAs_ = FocusPlace::of(departure.control);
        displacedAs_.place = departure.place;
        gone = waiting_ = true;
        armed_ = false; // the key or click that took the control away is no move of the person's
        break;
    }
    if (gone) settle();
    listen();
}

// Once the screen has finished what it does, so that a button it shows after hiding another counts.
void DisplacedFocus::settleSoon() {
    QMetaObject::invokeMethod(this, &DisplacedFocus::settle, Qt::QueuedConnection);
}

void DisplacedFocus::settle() {
    QWidget* window = displaced_.window;
    if (!waiting_ || !window) {
        waiting_ = false;
        listen();
        return;
    }
    armed_ = true;
    // The buttons that came stand where their layouts put them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QPushButton* heir = arrivedDefault();
    if (!heir) heir = arrivedInRow();
    if (heir) {
        waiting_ = false;
        listen();
        heir->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* focus = window->focusWidget(); focus && focus != window) {
        window->setFocus(Qt::OtherFocusReason);
    }
}

// The buttons of the window that came since the control went away and are shown and enabled now.
QList<QPushButton*> DisplacedFocus::arrived() const {
    QList<QPushButton*> buttons;
    for (const QPointer<QPushButton>& button : arrivals_)
        if (usable(button, displaced_.window) && (button->focusPolicy() & Qt::TabFocus))
            buttons.append(button);
    return buttons;
}

QPushButton* DisplacedFocus::arrivedDefault() const {
    for (QPushButton* button : arrived())
        if (button->isDefault()) return button;
    return nullptr;
}

// Of the buttons that came in the row where the control stood, the nearest to its place.
QPushButton* DisplacedFocus::arrivedInRow() const {
    const QRect place = displaced_.place;
    QPushButton* nearest = nullptr;
    int distance = 0;
    for (QPushButton* button : arrived()) {
        const QRect at = placeIn(displaced_.window, button);
        if (at.top() > place.bottom() || at.bottom() < place.top()) continue;
        const int off = std::abs(at.center().x() - place.center().x());
        if (!nearest || off < distance) {
            nearest = button;
            distance = off;
        }
    }
    return nearest;
}

} // namespace qlan::focusrules
