#include "ui/widgets/KeyboardFocus.h"

#include "ui/widgets/SystemColors.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
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
#include <QStyleOptionButton>
#include <QTextEdit>
#include <QWidget>

namespace qlan {
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

// The window's default button: the one bound to Return, shown and enabled; null when none is.
QPushButton* shownDefault(QWidget* window) {
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->isDefault() && button->window() == window && button->isVisible() && button->isEnabled())
            return button;
    return nullptr;
}

// A push button that held the focus went away (hidden, or disabled once pressed): Qt has moved the
// focus on to whatever follows it. The focus goes to the window's default button instead, as soon as
// the window shows one (at once, or when the job that took the button away ends), unless the person
// moves on first (a key or a click) or the screen starts the focus over.
class DisplacedFocus : public QObject {
public:
    using QObject::QObject;

    void note(QWidget* old) {
        auto* button = qobject_cast<QPushButton*>(old);
        if (!button || (button->isVisibleTo(button->window()) && button->isEnabled())) return;
        clear();
        window_ = button->window();
        for (QPushButton* candidate : window_->findChildren<QPushButton*>())
            if (candidate->isDefault() && candidate->window() == window_) {
                candidate->installEventFilter(this);
                watched_.append(candidate);
            }
        armed_ = false; // the key or click that took the button away is no move of the person's
        qApp->installEventFilter(this);
        settleSoon();
    }

    void forget(const QWidget* window) {
        if (window_ && window_ == window) clear();
    }

    ~DisplacedFocus() override { clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
            if (armed_) clear(); // the person's own move
            break;
        case QEvent::Show:
        case QEvent::EnabledChange:
            if (watched != qApp && window_) settleSoon();
            break;
        default:
            break;
        }
        return false;
    }

private:
    // Once the screen has finished what it does, so that a button it shows after hiding another counts.
    void settleSoon() { QMetaObject::invokeMethod(this, &DisplacedFocus::settle, Qt::QueuedConnection); }

    void settle() {
        armed_ = true;
        if (!window_) {
            clear();
            return;
        }
        if (QPushButton* button = shownDefault(window_)) {
            clear();
            button->setFocus(Qt::OtherFocusReason);
        }
    }

    void clear() {
        if (!window_ && watched_.isEmpty()) return;
        if (qApp) qApp->removeEventFilter(this);
        for (const QPointer<QPushButton>& button : std::as_const(watched_))
            if (button) button->removeEventFilter(this);
        watched_.clear();
        window_ = nullptr;
    }

    QPointer<QWidget> window_;
    QList<QPointer<QPushButton>> watched_;
    bool armed_ = false;
};

// Keeps the ring on the focused control: it moves to the control's window when the focus moves, and
// follows the control as it and the widgets around it move, resize, show and hide.
class FocusFollower : public QObject {
public:
    FocusFollower()
        : QObject(qApp)
        , displaced_(new DisplacedFocus(this)) {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
            displaced_->note(old);
            follow(now);
        });
        follow(QApplication::focusWidget());
    }

    void forgetDisplacedFocus(const QWidget* window) { displaced_->forget(window); }

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

bool holdsKeyboardFocus(const QWidget* widget) {
    const QWidget* focus = widget->window()->focusWidget();
    return focus && (focus == widget || widget->isAncestorOf(focus));
}

void startFocusOver(QWidget* widget) {
    if (QWidget* focus = widget->window()->focusWidget()) focus->clearFocus();
    if (follower()) follower()->forgetDisplacedFocus(widget->window());
}

void retireScreen(QLayout* layout, QWidget* screen) {
    const bool focused = holdsKeyboardFocus(screen);
    layout->removeWidget(screen);
    screen->hide(); // Qt may move the focus on to another control here
    if (focused) startFocusOver(screen);
    screen->deleteLater();
}

} // namespace qlan
