#pragma once
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
//
// A part of the focus rules (FocusRulesShared.h): the follower of the focus owns one and tells it where the
// focus goes.

#include "ui/widgets/FocusRulesShared.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QPushButton;
class QWidget;

namespace qlan::focusrules {

class DisplacedFocus : public QObject {
public:
    using QObject::QObject;
    ~DisplacedFocus() override;

    // The focus left `old` for `now`, or `old` is going while it holds its window's focus. Whether `old` went
    // away shows once the screen has done what it does: a stack of pages takes the focus off a page before it
    // hides the page. A focus that went to a widget only a click reaches (a text the person pressed) was
    // moved, not displaced. (`old` may be in its destructor: only its place is read.)
    void note(QWidget* old, QWidget* now = nullptr);
    // The focus went from `old` to `now`: a window that `old` leaves in the back is watched until its
    // focus comes back; one under a sheet of its own is not (the sheet gives the focus back as it closes).
    void noteWindowsBehind(QWidget* old, QWidget* now);
    // The control that went away from `window` while the focus waits there: the person has not moved it
    // since, so a sheet that opens now was opened by that control, pressed by the keyboard.
    const FocusPlace* waitingFor(const QWidget* window) const;
    // What went from `window` is forgotten, and its focus waits for nothing.
    void forget(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Departure {
        QPointer<QWidget> control;
        QPointer<QWidget> window;
        QRect place;        // where it stood, in the window
        bool moved = false; // the focus went where only the person moves it
    };

    void watchEnd(QWidget* window);
    void windowGone(QObject* gone);
    void listen();
    void review();
    void settleSoon();
    void settle();
    QList<QPushButton*> arrived() const;
    QPushButton* arrivedDefault() const;
    QPushButton* arrivedInRow() const;

    QList<Departure> departures_;           // to look at once the screen has done what it does
    Departure displaced_;                   // the control that went away, while the focus waits (waiting_)
    FocusPlace displacedAs_;                // what that control was
    QList<QPointer<QPushButton>> arrivals_; // shown or enabled since the first departure
    QList<QPointer<QWidget>> behind_;       // windows in the back, watched for their focused control
    bool waiting_ = false;
    bool armed_ = false;
    bool filtering_ = false;
};

} // namespace qlan::focusrules
