#pragma once
// What the three parts of the focus rules share, and only they include: the follower of the focus with its
// ring (KeyboardFocus.cpp), the focus displaced when a control goes away (DisplacedFocus.cpp) and the focus
// a closing sheet gives back (SheetFocusReturn.cpp). Screens include KeyboardFocus.h, the rules' one face.

#include <QByteArray>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <initializer_list>

namespace qlan::focusrules {

inline constexpr const char* kAction = "focusAction";
inline constexpr const char* kHeld = "focusHeld";        // a part whose controls stop for a while
inline constexpr const char* kRetired = "retiredScreen"; // a screen another took the place of

// Where `control` stands in `window`, in the window's coordinates.
QRect placeIn(const QWidget* window, const QWidget* control);
// Shown and enabled in `window`.
bool usable(const QWidget* control, const QWidget* window);
// Inside a widget marked with one of `marks`: a part of a screen that stops for a while (kHeld), a screen
// taken away (kRetired).
bool inMarked(const QWidget* control, std::initializer_list<const char*> marks);
// Shown in `window` but disabled for a while of its own (its screen reads the Mac again, say): not a part
// held as its screen waits, nor a screen taken away.
bool comingBack(const QWidget* control, const QWidget* window);

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

    static FocusPlace of(QWidget* control);
    bool doesTheSameAs(const QWidget* other) const;
    bool standsFor(const QWidget* other) const;
};

// The control that went away from `window` while its focus waits there for a control to come, if one does:
// the person has not moved the focus since.
const FocusPlace* focusWaitingFor(const QWidget* window);

} // namespace qlan::focusrules
