#include "ui/widgets/KeyboardFocus.h"

#include "ui/widgets/SystemColors.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QTextEdit>
#include <QWidget>

#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace qlan {
namespace {

constexpr const char* kRadius = "focusRingRadius";
constexpr const char* kTarget = "focusRingTarget";
constexpr const char* kArea = "focusRingArea";
constexpr const char* kAction = "focusAction";
constexpr const char* kHeld = "focusHeld";        // a part whose controls stop for a while
constexpr const char* kRetired = "retiredScreen"; // a screen another took the place of
constexpr qreal kDefaultRadius = 4;

bool keyboardMovedFocus = false;

QWidget* markedBy(QWidget* control) {
    if (auto* marked = control->property(kTarget).value<QWidget*>(); marked && marked->isAncestorOf(control))
        return marked;
    return control;
}

// What a click on `marked` reaches, in its coordinates.
QRect ringEdge(QWidget* marked) {
    if (const QRect area = marked->property(kArea).toRect(); !area.isEmpty()) return area;
    if (auto* box = qobject_cast<QCheckBox*>(marked)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        option.icon = box->icon();
        option.iconSize = box->iconSize();
        return box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    }
    return marked->rect();
}

bool takesText(const QWidget* control) {
    if (const auto* line = qobject_cast<const QLineEdit*>(control)) return !line->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(control)) return !plain->isReadOnly();
    if (const auto* rich = qobject_cast<const QTextEdit*>(control)) return !rich->isReadOnly();
    return false;
}

// The ring itself: a see-through layer over the window that lets every click through.
class RingLayer : public QWidget {
public:
    RingLayer() {
        setObjectName(QStringLiteral("focus-ring"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    void setRing(const QPainterPath& path, const QColor& colour) {
        path_ = path;
        colour_ = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour_, focusRingWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path_);
    }

private:
    QPainterPath path_;
    QColor colour_;
};

// Where `control` stands in `window`, in the window's coordinates.
QRect placeIn(const QWidget* window, const QWidget* control) {
    return {control->mapTo(window, QPoint(0, 0)), control->size()};
}

// Shown and enabled in `window`.
bool usable(const QWidget* control, const QWidget* window) {
    return control && control->window() == window && control->isVisible() && control->isEnabled();
}

// Inside a widget marked with one of `marks`: a part of a screen that stops for a while (kHeld), a screen
// taken away (kRetired).
bool inMarked(const QWidget* control, std::initializer_list<const char*> marks) {
    for (const QWidget* widget = control; widget && !widget->isWindow(); widget = widget->parentWidget())
        for (const char* mark : marks)
            if (widget->property(mark).toBool()) return true;
    return false;
}

// Shown in `window` but disabled for a while of its own (its screen reads the Mac again, say): not a part
// held as its screen waits, nor a screen taken away.
bool comingBack(const QWidget* control, const QWidget* window) {
    return control && control->window() == window && control->isVisible() && !control->isEnabled() &&
           !inMarked(control, {kHeld, kRetired});
}

// The window a screen reader was last told of as holding the focus in this turn of the event loop, under
// the title it had then: a screen switch tells it once.
struct WindowTold {
    QPointer<QWidget> window;
    QString title;
};
WindowTold windowTold;

void noteWindowTold(QWidget* window) {
    if (!windowTold.window)
        QMetaObject::invokeMethod(
            qApp, [] { windowTold = {}; }, Qt::QueuedConnection);
    windowTold = {window, window->windowTitle()};
}

// Tells a screen reader that `window` holds the focus, where Qt does not because it held it already: once a
// turn under one title, and only in front.
void tellWindow(QWidget* window) {
    if (!window->isActiveWindow() ||
        (windowTold.window == window && windowTold.title == window->windowTitle()))
        return;
    noteWindowTold(window);
    QAccessibleEvent event(window, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

// A control by what it does, so that it is found again, or the one that takes its place on a screen
// built anew: the action it names (setFocusAction), else its kind, its accessibility identifier (the object
// name) and a button's title.
struct FocusPlace {
    QPointer<QWidget> control;
    QByteArray kind;
    QString name;
    QString title;
    QByteArray action;
    QRect place; // where it stood, in its window
    bool ringShown = false;

    static FocusPlace of(QWidget* control) {
        const auto* button = qobject_cast<QAbstractButton*>(control);
        return {control,
                control->metaObject()->className(),
                control->objectName(),
                button ? button->text() : QString(),
                control->property(kAction).toByteArray(),
                placeIn(control->window(), control),
                keyboardMovedFocus};
    }

    bool doesTheSameAs(const QWidget* other) const {
        return !action.isEmpty() && other->property(kAction).toByteArray() == action;
    }

    bool standsFor(const QWidget* other) const {
        if (other->metaObject()->className() != kind || other->objectName() != name) return false;
        if (!name.isEmpty()) return true;
        const auto* button = qobject_cast<const QAbstractButton*>(other);
        return button && button->text() == title;
    }
};

// A focused control that went away (hidden, or disabled once pressed) leaves the focus where Qt moves it
// on: to what follows it, a link beside it or a control at the top of the window. Instead, as soon as the
// window shows one (at once, or when the job that took the control away ends), the focus goes to
// - a default button (the one bound to Return) that came since, the "Continue" after a "Cancel";
// - else a push button that came since in the control's row, the "Close" after a "Cancel";
// - and until one comes, to no control: the window holds it, as a Mac window does, so that no ring shows
//   and neither Space nor Return presses what Qt chose.
// The person's own move (a key or a click) ends the wait, and so does a screen that starts the focus over.
// A window in the back is held to the same rules: Qt moves no focus there when its control is hidden, and
// would pick the next control by its own Tab rule once the window comes to the front; so the control that
// holds a window's focus as the window goes to the back is watched, and when it goes, the focus waits
// and lands as above, out of sight, where the window's return to the front shows it.
class DisplacedFocus : public QObject {
public:
    using QObject::QObject;

    // The focus left `old`, or `old` is going while it holds its window's focus. Whether `old` went away
    // shows once the screen has done what it does: a stack of pages takes the focus off a page before it
    // hides the page. (`old` may be in its destructor: only its place is read.)
    void note(QWidget* old) {
        if (!old || old->isWindow()) return;
        for (const Departure& departure : std::as_const(departures_))
            if (departure.control == old) return;
        if (departures_.isEmpty()) {
            QMetaObject::invokeMethod(this, &DisplacedFocus::review, Qt::QueuedConnection);
            if (!waiting_) arrivals_.clear(); // what came before, while a window was in the back, is no heir
        }
        QWidget* window = old->window();
        departures_.append({old, window, placeIn(window, old)});
        watchEnd(window);
        listen();
    }

    // The focus went from `old` to `now`: a window that `old` leaves in the back is watched until its
    // focus comes back; one under a sheet of its own is not (the sheet gives the focus back as it closes).
    void noteWindowsBehind(QWidget* old, QWidget* now) {
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

    // The control that went away from `window` while the focus waits there: the person has not moved it
    // since, so a sheet that opens now was opened by that control, pressed by the keyboard.
    const FocusPlace* waitingFor(const QWidget* window) const {
        return waiting_ && displaced_.window == window ? &displacedAs_ : nullptr;
    }

    void forget(const QWidget* window) {
        departures_.removeIf([window](const Departure& departure) { return departure.window == window; });
        if (displaced_.window == window) waiting_ = false;
        listen();
    }

    ~DisplacedFocus() override {
        if (filtering_ && qApp) qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
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

private:
    struct Departure {
        QPointer<QWidget> control;
        QPointer<QWidget> window;
        QRect place; // where it stood, in the window
    };

    // A wait for the focus of a window, and the watch on a window in the back, end with their window.
    void watchEnd(QWidget* window) {
        connect(window, &QObject::destroyed, this, &DisplacedFocus::windowGone, Qt::UniqueConnection);
    }

    void windowGone(QObject* gone) {
        // Told from the window's destructor, before or after its guards are cleared.
        const auto ends = [gone](const QPointer<QWidget>& window) {
            return !window || window.data() == gone;
        };
        departures_.removeIf([&ends](const Departure& departure) { return ends(departure.window); });
        behind_.removeIf(ends);
        if (ends(displaced_.window)) waiting_ = false;
        listen();
    }

    // Watches the buttons that come (shown or enabled) from the first departure until no focus waits, and
    // the controls that go while a window is in the back.
    void listen() {
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

    void review() {
        const QList<Departure> departures = std::exchange(departures_, {});
        bool gone = false;
        for (const Departure& departure : departures) {
            if (!departure.control || !departure.window || !departure.window->isVisible()) continue;
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
    void settleSoon() { QMetaObject::invokeMethod(this, &DisplacedFocus::settle, Qt::QueuedConnection); }

    void settle() {
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
    QList<QPushButton*> arrived() const {
        QList<QPushButton*> buttons;
        for (const QPointer<QPushButton>& button : arrivals_)
            if (usable(button, displaced_.window) && (button->focusPolicy() & Qt::TabFocus))
                buttons.append(button);
        return buttons;
    }

    QPushButton* arrivedDefault() const {
        for (QPushButton* button : arrived())
            if (button->isDefault()) return button;
        return nullptr;
    }

    // Of the buttons that came in the row where the control stood, the nearest to its place.
    QPushButton* arrivedInRow() const {
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

    QList<Departure> departures_;           // to look at once the screen has done what it does
    Departure displaced_;                   // the control that went away, while the focus waits (waiting_)
    FocusPlace displacedAs_;                // what that control was
    QList<QPointer<QPushButton>> arrivals_; // shown or enabled since the first departure
    QList<QPointer<QWidget>> behind_;       // windows in the back, watched for their focused control
    bool waiting_ = false;
    bool armed_ = false;
    bool filtering_ = false;
};

// The focused control of a screen taken away in this turn of the event loop (the screen stands in its
// window until the loop deletes it): a sheet that opens over that window in the same turn (the screen
// behind it rebuilt first) was opened from it.
FocusPlace recentDeparture;

void noteDeparture(QWidget* control) {
    if (!recentDeparture.control)
        QMetaObject::invokeMethod(
            qApp, [] { recentDeparture = {}; }, Qt::QueuedConnection);
    recentDeparture = FocusPlace::of(control);
}

const FocusPlace* focusWaitingFor(const QWidget* window);

// Gives the focus back when a sheet closes (KeyboardFocus.h): one per window under a sheet, from the
// sheet's opening until the person moves the focus in the window.
class SheetFocusReturn : public QObject {
public:
    SheetFocusReturn(QDialog* sheet, QWidget* window)
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
            opener_.ringShown = keyboardMovedFocus;
        sheet->installEventFilter(this);
        window->installEventFilter(this);
    }

    ~SheetFocusReturn() override {
        if (closed_ && qApp) qApp->removeEventFilter(this);
    }

    // A screen of `window` took the place of another: once it stands, the focus goes where the rules say.
    static void screenReplaced(QWidget* window) {
        for (SheetFocusReturn* each : over(window))
            if (each->closed_) // after Qt shows what a layout was given
                QMetaObject::invokeMethod(
                    each, [each] { each->settleSoon(); }, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (ended_) return false;
        if (!closed_) {
            if (watched == sheet_.data() && event->type() == QEvent::Show) shown_ = true;
            // On a Mac the window becomes key inside the sheet's hide, before the sheet hears of it, and Qt
            // gives the window its focus back at once: the focus goes where the rules say right there, so
            // that Qt's own choice is never told. Elsewhere the sheet hears of its hide first.
            const bool activated =
                watched == window_ && event->type() == QEvent::WindowActivate && sheetHiding();
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

private:
    // The watch ends at once; the object goes once control returns to the event loop.
    void end() {
        ended_ = true;
        deleteLater();
    }

    bool sheetHiding() const {
        const auto* sheet = qobject_cast<const QWidget*>(sheet_.data());
        return shown_ && (!sheet || sheet->isHidden());
    }

    void close() {
        closed_ = true;
        if (sheet_) sheet_->removeEventFilter(this);
        window_->removeEventFilter(this);
        qApp->installEventFilter(this);
    }

    void settleSoon() {
        if (scheduled_) return;
        scheduled_ = true;
        QMetaObject::invokeMethod(this, &SheetFocusReturn::settle, Qt::QueuedConnection);
    }

    void settle() {
        scheduled_ = false;
        if (ended_ || !window_->isVisible()) return;
        if (!opener_.ringShown && keyboardMovedFocus) {
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
    static QList<SheetFocusReturn*> over(const QWidget* window) {
        QList<SheetFocusReturn*> returns;
        for (QObject* child : window->children())
            if (auto* each = dynamic_cast<SheetFocusReturn*>(child)) returns.append(each);
        return returns;
    }

    // The opener, else what does the same (opens the same sheet, under any title), else what looks the
    // same, of the controls that `fits` takes.
    template <typename Fits> QWidget* heirOfOpener(Fits fits) const {
        if (opener_.control && fits(opener_.control, window_)) return opener_.control;
        if (opener_.kind.isEmpty()) return nullptr; // no control held the focus: none does now
        if (QWidget* same =
                nearestTo(fits, [this](const QWidget* widget) { return opener_.doesTheSameAs(widget); }))
            return same;
        return nearestTo(fits, [this](const QWidget* widget) { return opener_.standsFor(widget); });
    }

    QPushButton* defaultButton() const {
        if (opener_.kind.isEmpty()) return nullptr;
        for (QPushButton* button : window_->findChildren<QPushButton*>())
            if (usable(button, window_) && button->isDefault()) return button;
        return nullptr;
    }

    // Of the controls Tab reaches that `fits` and `matches` take, the nearest to where the opener stood.
    template <typename Fits, typename Match> QWidget* nearestTo(Fits fits, Match matches) const {
        QWidget* nearest = nullptr;
        int distance = 0;
        for (QWidget* widget : window_->findChildren<QWidget*>()) {
            if (!fits(widget, window_) || !(widget->focusPolicy() & Qt::TabFocus) || !matches(widget))
                continue;
            const int off = (placeIn(window_, widget).center() - opener_.place.center()).manhattanLength();
            if (!nearest || off < distance) {
                nearest = widget;
                distance = off;
            }
        }
        return nearest;
    }

    QWidget* window_;
    QPointer<QObject> sheet_; // as an object: it may be in its destructor when events come
    FocusPlace opener_;
    bool shown_ = false;    // the sheet has been shown
    bool closed_ = false;   // and has gone: the focus is handed back
    bool awaiting_ = false; // for the opener's heir, disabled for a while
    bool scheduled_ = false;
    bool ended_ = false;
};

// Keeps the ring on the focused control: it moves to the control's window when the focus moves, and
// follows the control as it and the widgets around it move, resize, show and hide.
class FocusFollower : public QObject {
public:
    FocusFollower()
        : QObject(qApp)
        , displaced_(new DisplacedFocus(this)) {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            if (now && now->isWindow() && now->isActiveWindow()) noteWindowTold(now); // Qt told it
            displaced_->note(old);
            displaced_->noteWindowsBehind(old, now);
            follow(now);
        });
        follow(QApplication::focusWidget());
    }

    void forgetDisplacedFocus(const QWidget* window) { displaced_->forget(window); }
    // `control`, which holds its window's focus, is going (also in a window in the back).
    void noteGoing(QWidget* control) { displaced_->note(control); }
    const FocusPlace* displacedFocusIn(const QWidget* window) const { return displaced_->waitingFor(window); }

    // Places the ring again when `control` holds it (its marked area changed).
    void refresh(const QWidget* control) {
        if (control && control == control_) place();
    }
    void refresh() { place(); }

    ~FocusFollower() override {
        follow(nullptr);
        delete layer_.data();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            // Tab shows the ring also where it leaves the focus where it is (the window's only stop).
            if (watched == control_ && isTabKey(static_cast<QKeyEvent*>(event))) {
                keyboardMovedFocus = true;
                place();
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ParentChange:
        case QEvent::PaletteChange:
            place();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void follow(QWidget* control) {
        // Qt marks the window whose focus Tab, Shift-Tab or an arrow key moved.
        if (control && control->window()->testAttribute(Qt::WA_KeyboardFocusChange))
            keyboardMovedFocus = true;
        for (const QPointer<QWidget>& watched : std::as_const(watched_))
            if (watched) watched->removeEventFilter(this);
        watched_.clear();
        // A container the screen left the focus on is not marked: only what Tab reaches.
        control_ = control && (control->focusPolicy() & Qt::TabFocus) ? control : nullptr;
        for (QWidget* widget = control_; widget;
             widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
            widget->installEventFilter(this);
            watched_.append(widget);
        }
        place();
    }

    void place() {
        if (!control_ || !control_->hasFocus() || !control_->isVisible() ||
            !(keyboardMovedFocus || takesText(control_))) {
            if (layer_) layer_->hide();
            return;
        }
        QWidget* marked = markedBy(control_);
        QWidget* window = marked->window();
        if (!layer_) layer_ = new RingLayer;
        if (layer_->parentWidget() != window) layer_->setParent(window);
        const QRect edge = ringEdge(marked).translated(marked->mapTo(window, QPoint(0, 0)));
        const QMargins extent(focusRingExtent, focusRingExtent, focusRingExtent, focusRingExtent);
        QRect shown = edge + extent;
        // A scroll view shows the ring as far as its edge, and the ring's extent past it.
        for (QWidget* widget = marked->parentWidget(); widget && widget != window;
             widget = widget->parentWidget())
            if (auto* view = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
                view && view->viewport() == widget)
                shown &= QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()) + extent;
        if (shown.isEmpty()) {
            layer_->hide();
            return;
        }
        const QVariant radius = marked->property(kRadius);
        const qreal offset = focusRingGap + focusRingWidth / 2.0;
        const qreal corner = (radius.isValid() ? radius.toReal() : kDefaultRadius) + offset;
        QPainterPath path;
        path.addRoundedRect(
            QRectF(edge.translated(-shown.topLeft())).adjusted(-offset, -offset, offset, offset), corner,
            corner);
        layer_->setGeometry(shown);
        layer_->setRing(path, focusRingColor(marked->palette()));
        layer_->raise();
        layer_->show();
    }

    static bool isTabKey(const QKeyEvent* key) {
        return (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
               !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    }

    QPointer<QWidget> control_;
    QList<QPointer<QWidget>> watched_;
    QPointer<RingLayer> layer_;
    DisplacedFocus* displaced_;
};

QPointer<FocusFollower>& follower() {
    static QPointer<FocusFollower> shared;
    return shared;
}

const FocusPlace* focusWaitingFor(const QWidget* window) {
    return follower() ? follower()->displacedFocusIn(window) : nullptr;
}

// The control that holds the focus of `window` is going: the window takes the focus, and the rules hand it
// on. Told to them directly, since in a window in the back the focus moves without a word to the application.
void holdFocusOfGoingControl(QWidget* window) {
    if (follower()) follower()->noteGoing(window->focusWidget());
    window->setFocus(Qt::OtherFocusReason);
}

} // namespace

QColor focusRingColor(const QPalette& palette) {
    constexpr double kMinimumContrast = 3.0;
    // Towards the text colour: darker on a light window, lighter on a dark one.
    return firstReadableBlend(systemAccentColor(palette),
                              palette.color(QPalette::Active, QPalette::WindowText),
                              {palette.color(QPalette::Active, QPalette::Window),
                               palette.color(QPalette::Active, QPalette::Base), cardBackground(palette)},
                              kMinimumContrast);
}

void setFocusRingRadius(QWidget* control, qreal radius) {
    control->setProperty(kRadius, radius);
}

void setFocusRingTarget(QWidget* control, QWidget* marked) {
    control->setProperty(kTarget, QVariant::fromValue(marked));
}

void setFocusRingArea(QWidget* control, const QRect& area) {
    if (control->property(kArea).toRect() == area) return;
    control->setProperty(kArea, area);
    if (follower()) follower()->refresh(control);
}

void setFocusAction(QWidget* control, const char* action) {
    control->setProperty(kAction, QByteArray(action));
}

void startFollowingFocus() {
    if (!follower()) follower() = new FocusFollower;
}

void stopFollowingFocus() {
    delete follower().data();
}

bool keyboardHasMovedFocus() {
    return keyboardMovedFocus;
}

void forgetKeyboardUse() {
    keyboardMovedFocus = false;
    if (follower()) follower()->refresh();
}

bool scrollByKey(QAbstractScrollArea* view, QKeyEvent* event) {
    struct KeyScroll {
        int key;
        bool sideways;
        QAbstractSlider::SliderAction action;
    };
    static constexpr KeyScroll scrolls[] = {
        {Qt::Key_Left, true, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Right, true, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_Home, false, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, false, QAbstractSlider::SliderToMaximum},
        {Qt::Key_Up, false, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, false, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, false, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, false, QAbstractSlider::SliderPageStepAdd},
    };
    if ((event->modifiers() | Qt::KeypadModifier) != Qt::KeypadModifier) return false;
    for (const KeyScroll& scroll : scrolls)
        if (event->key() == scroll.key) {
            (scroll.sideways ? view->horizontalScrollBar() : view->verticalScrollBar())
                ->triggerAction(scroll.action);
            event->accept();
            return true;
        }
    return false;
}

bool holdFocusOfGoneControl(QWidget* widget) {
    QWidget* window = widget->window();
    QWidget* focus = window->focusWidget();
    if (!focus || focus == window || usable(focus, window)) return false;
    holdFocusOfGoingControl(window);
    return true;
}

void showPage(QStackedWidget* stack, QWidget* page) {
    QWidget* going = stack->currentWidget();
    // Qt hands a focus inside the page that goes to the first control of the one that comes; the window
    // takes it first, as from a control that goes away.
    if (going && going != page && holdsKeyboardFocus(going)) holdFocusOfGoingControl(stack->window());
    stack->setCurrentWidget(page);
}

void setActionsEnabled(QWidget* actions, bool enabled) {
    // A screen taken away keeps its controls as they are: only the screen shown tells of a change.
    if (inMarked(actions, {kRetired})) return;
    if (!enabled && actions->isEnabled() && holdsKeyboardFocus(actions)) {
        // Qt clears a focus inside a part it disables, past the window; the window holds it, waiting for
        // nothing in the part.
        QWidget* window = actions->window();
        window->setFocus(Qt::OtherFocusReason);
        if (follower()) follower()->forgetDisplacedFocus(window);
    }
    actions->setProperty(kHeld, !enabled);
    actions->setEnabled(enabled);
}

bool holdsKeyboardFocus(const QWidget* widget) {
    const QWidget* focus = widget->window()->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

void startFocusOver(QWidget* widget) {
    QWidget* window = widget->window();
    if (follower()) follower()->forgetDisplacedFocus(window);
    // The window holds the focus, as it does wherever no control does, so that a return to the front keeps
    // it there; the next Tab goes to the first control. A screen reader hears the window once.
    if (window->focusWidget() != window)
        window->setFocus(Qt::OtherFocusReason);
    else
        tellWindow(window);
}

void retireScreen(QLayout* layout, QWidget* screen) {
    QWidget* window = screen->window();
    const bool focused = holdsKeyboardFocus(screen);
    // The window holds the focus (the screen's controls stopped, or its focused control went and the focus
    // waits): the screen that comes is told all the same, and what the focus waits for still counts.
    const bool held = window != screen && window->focusWidget() == window;
    if (QWidget* focus = window->focusWidget(); focused && (focus->focusPolicy() & Qt::TabFocus))
        noteDeparture(focus);
    screen->setProperty(kRetired, true);
    layout->removeWidget(screen);
    screen->hide(); // Qt may move the focus on to another control here
    if (focused)
        startFocusOver(screen);
    else if (held)
        tellWindow(window);
    SheetFocusReturn::screenReplaced(window);
    screen->deleteLater();
}

void openSheet(QDialog* sheet) {
    if (QWidget* parent = sheet->parentWidget()) new SheetFocusReturn(sheet, parent->window());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
}

} // namespace qlan
