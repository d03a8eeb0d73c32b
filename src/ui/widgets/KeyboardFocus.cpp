#include "ui/widgets/KeyboardFocus.h"

#include "platform/ContextGuard.h"
#include "ui/widgets/DisplacedFocus.h"
#include "ui/widgets/FocusRulesShared.h"
#include "ui/widgets/SheetFocusReturn.h"
#include "ui/widgets/SystemColors.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleHints>
#include <QStyleOptionButton>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace qlan {

using namespace focusrules;

namespace {

constexpr const char* kRadius = "focusRingRadius";
constexpr const char* kTarget = "focusRingTarget";
constexpr const char* kArea = "focusRingArea";
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

// A text whose focus no part of it marks (no link of it has the focus): the press on it gave it the focus.
bool isTextWithoutMark(const QWidget* control) {
    return qobject_cast<const QLabel*>(control) && control->property(kArea).toRect().isEmpty();
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

// The window a screen reader was last told of as holding the focus in this turn of the event loop, under
// the title it had then: a screen switch tells it once. The turn ends as the loop delivers its next queued
// call: the one queued as the window was told, or one queued before it (a job's result that came in the
// meantime, handed back by the jobs' dispatcher or as a queued call, such as a screen that takes the place
// of the one told), which starts a turn of its own.
struct WindowTold {
    QPointer<QWidget> window;
    QString title;
};
WindowTold windowTold;

// Ends the turn in which a window was told: at the first queued call the loop delivers, whichever it is, a
// job's result included.
class TurnEnd;
QPointer<TurnEnd> turnEnd;

class TurnEnd : public QObject {
public:
    TurnEnd()
        : QObject(qApp) {
        qApp->installEventFilter(this);
        // A queued call of its own, so that the turn ends also where nothing else is queued.
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MetaCall && !handsBackACall(event)) return false;
        windowTold = {};
        turnEnd.clear();
        qApp->removeEventFilter(this); // safe inside the filter: it is not asked again
        deleteLater();
        return false;
    }
};

void noteWindowTold(QWidget* window) {
    if (!turnEnd) turnEnd = new TurnEnd;
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

// Keeps the ring on the focused control: it moves to the control's window when the focus moves, and
// follows the control as it and the widgets around it move, resize, show and hide.
class FocusFollower : public QObject {
public:
    FocusFollower()
        : QObject(qApp)
        , displaced_(new DisplacedFocus(this)) {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            if (now && now->isWindow() && now->isActiveWindow()) noteWindowTold(now); // Qt told it
            displaced_->note(old, now);
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
            !(keyboardMovedFocus || takesText(control_)) || isTextWithoutMark(control_)) {
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

// The control that holds the focus of `window` is going: the window takes the focus, and the rules hand it
// on. Told to them directly, since in a window in the back the focus moves without a word to the application.
void holdFocusOfGoingControl(QWidget* window) {
    if (follower()) follower()->noteGoing(window->focusWidget());
    window->setFocus(Qt::OtherFocusReason);
}

} // namespace

const focusrules::FocusPlace* focusrules::focusWaitingFor(const QWidget* window) {
    return follower() ? follower()->displacedFocusIn(window) : nullptr;
}

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

bool readsBefore(const QWidget* a, const QWidget* b) {
    const QRect ra = placeIn(a->window(), a);
    const QRect rb = placeIn(b->window(), b);
    const int overlap = std::min(ra.bottom(), rb.bottom()) - std::max(ra.top(), rb.top());
    if (overlap > 0 && 2 * overlap >= std::min(ra.height(), rb.height())) return ra.left() < rb.left();
    return ra.top() < rb.top();
}

bool focusOnFrom(QWidget* widget, bool next) {
    QWidget* window = widget->window();
    // The stops of Tab as Qt walks them: every control, or on a Mac whose keyboard navigation is off, only
    // the text fields and lists.
    const Qt::FocusPolicy stop = QGuiApplication::styleHints()->tabFocusBehavior() == Qt::TabFocusAllControls
                                     ? Qt::TabFocus
                                     : Qt::StrongFocus;
    QList<QWidget*> stops;
    for (QWidget* each = window->nextInFocusChain(); each && each != window; each = each->nextInFocusChain())
        if ((each->focusPolicy() & stop) == stop && !each->focusProxy() && each->window() == window &&
            each->isVisibleTo(window) && each->isEnabled())
            stops.append(each);
    if (stops.isEmpty()) return false;
    // The widget stands after the stops that read before it.
    qsizetype after = 0;
    while (after < stops.size() && readsBefore(stops.at(after), widget))
        ++after;
    QWidget* to = next ? stops.value(after, stops.first()) : (after > 0 ? stops.at(after - 1) : stops.last());
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool holdsKeyboardFocus(const QWidget* widget) {
    const QWidget* focus = widget->window()->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

void startFocusOver(QWidget* widget) {
    QWidget* window = widget->window();
    // The window holds the focus, as it does wherever no control does, so that a return to the front keeps
    // it there; the next Tab goes to the first control. A screen reader hears the window once.
    if (window->focusWidget() != window)
        window->setFocus(Qt::OtherFocusReason);
    else
        tellWindow(window);
    // Only once the window holds it is the control it left forgotten, with whatever the focus waited for:
    // nothing that comes in their place (a default button, a button where the control stood) takes it.
    if (follower()) follower()->forgetDisplacedFocus(window);
}

bool hideGoingPart(QWidget* part) {
    QWidget* window = part->window();
    const bool focused = holdsKeyboardFocus(part);
    // The window takes a focus in the part before the part hides, where Qt would move it on to the next
    // control (one below the part, or of a screen that comes), and a screen reader would hear that first.
    if (focused) window->setFocus(Qt::OtherFocusReason);
    part->hide();
    if (focused) startFocusOver(part);
    return focused;
}

void retireScreen(QLayout* layout, QWidget* screen) {
    QWidget* window = screen->window();
    // The window holds the focus (the screen's controls stopped, or its focused control went and the focus
    // waits): the screen that comes is told all the same, and what the focus waits for still counts.
    const bool held = window != screen && window->focusWidget() == window;
    if (QWidget* focus = window->focusWidget();
        holdsKeyboardFocus(screen) && (focus->focusPolicy() & Qt::TabFocus))
        SheetFocusReturn::noteDeparture(focus);
    screen->setProperty(kRetired, true);
    layout->removeWidget(screen);
    if (!hideGoingPart(screen) && held) tellWindow(window);
    SheetFocusReturn::screenReplaced(window);
    screen->deleteLater();
}

void placeScreen(QLayout* layout, QWidget* screen) {
    layout->addWidget(screen);
    if (QWidget* host = layout->parentWidget(); host && host->isVisible()) screen->show();
}

void openSheet(QDialog* sheet) {
    if (QWidget* parent = sheet->parentWidget()) new SheetFocusReturn(sheet, parent->window());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
}

} // namespace qlan