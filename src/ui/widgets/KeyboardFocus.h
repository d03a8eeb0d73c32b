#pragma once
// Where the keyboard focus shows and where it goes.
//
// The focus ring: a rounded outline, `focusRingWidth` wide, that stands `focusRingGap` outside the edge
// of the control holding the keyboard focus, as the Mac's ring stands outside its controls. It is drawn
// over the window rather than by the control, so it never covers what the control shows, and every
// control Tab reaches shows the same ring: those drawn by hand, the prominent buttons and those the
// platform's style draws (which mark their focus no other way, ControlStyle.h). A control keeps at
// least `focusRingExtent` free around it, where its neighbours do not reach; inside a scroll view the
// ring shows only as far as the view's edge (and that extent past it). Its colour is the accent,
// darkened or lightened only as far as it needs to read at 3 to 1 against the backgrounds beside it:
// the window, a text field's background and the window under a card's fill.
//
// The ring shows once the keyboard has moved the focus (Tab, Shift-Tab, an arrow key in a group of
// choices; Tab also where it leaves the focus where it is, on a window's only stop) and from then on, in
// every window; before that, as on the Mac for a pointer user, only a text field holding the focus shows it.
// It encloses what a click on the control reaches: a check box's box and title, a part that a control marks
// (setFocusRingArea), or the frame around a text field (setFocusRingTarget); else the whole control. A text
// shows it only around the part it marks (a link): one that a press gave the focus shows none.
//
// When the control that holds the focus goes away (hidden, or disabled once pressed), the focus goes to
// the default button (the one bound to Return) that the window shows instead, else to the push button
// that takes the control's place in its row, as soon as the window shows one, unless the person moves it
// first: a Cancel that a job's end takes away hands it to "Continue", or to "Close" after a failure.
// Until then no control holds it (the window does, as on the Mac): never a link beside the control or a
// control far from it, which Qt would choose. The window takes it as the control goes, before Qt passes it
// on, so that a screen reader hears the window and then where the focus lands, and nothing in between.
// The same holds where the focus leaves by another road: a stack of pages that switches (through
// showPage, the one way a stack switches here, where Qt would hand the focus straight to the first
// control of the page that comes), and a window in the back, which Qt does not ask when its focused
// control goes: the rules run there too, so that the window comes back to the front with the focus where
// they put it, as if it had stayed in front.
//
// When one screen takes the place of another, a focus that was on the old screen starts over: the window
// holds it, as it does wherever no control does (so that a return to the front keeps it there, where Qt would
// give it to the first control by its own Tab rule), and the next Tab goes to the first control of the window
// in reading order (on a pushed screen the Back control, drawn first). Qt would otherwise leave it on the new
// screen's container or move it to the control after the old one, past everything drawn above. Every screen
// switch is heard once, as the window under the title of the screen shown, also where the window held the
// focus already (a screen whose controls stopped while it waited); a screen taken away changes no control.
//
// When a sheet closes, the focus goes back to the control that held it as the sheet opened (the one that
// opened it, pressed by the keyboard, also where it went away while its work ran and the focus waited for
// it), where that control still stands; on a screen rebuilt behind the sheet (while it was open, or as it
// closed), to the control that stands in its place: one that names the same action (setFocusAction), such
// as opening the same sheet under another title, else the same control known by its kind, its
// accessibility identifier and, without one, its title; where that control is disabled for a while of its
// own (its screen reads the Mac again), the window holds the focus until it is enabled and it goes there;
// else to the window's default button; else to no control, so that the next Tab goes to the first one.
// Never to another control, such as the Back control that Qt would choose, which leaves the screen. The
// focus goes there as the window comes to the front, before Qt gives it the control of its own choosing:
// on a Mac that is inside the sheet's hide, before the sheet hears of it. The ring shows there only if it
// showed before the sheet opened. Until the person moves the focus (a key or a click), a screen that
// takes the place of the one the focus went back to hands it on by the same rules.

#include <QtGlobal>

class QAbstractScrollArea;
class QColor;
class QDialog;
class QKeyEvent;
class QLayout;
class QPalette;
class QRect;
class QStackedWidget;
class QWidget;

namespace qlan {

inline constexpr int focusRingGap = 1;
inline constexpr int focusRingWidth = 2;
inline constexpr int focusRingExtent = focusRingGap + focusRingWidth;

QColor focusRingColor(const QPalette& palette);

// The corner radius of the control's outline, which the ring follows at its distance (4 unless set;
// half the control's side makes a circle).
void setFocusRingRadius(QWidget* control, qreal radius);
// The ring of `control` surrounds `marked` instead, an ancestor that frames it (a text field's box).
void setFocusRingTarget(QWidget* control, QWidget* marked);
// The ring of `control` surrounds only `area` (in the control's coordinates), a part it marks as focused
// (a link inside a text); an empty area: the whole control again. The ring moves at once.
void setFocusRingArea(QWidget* control, const QRect& area);

// Names what `control` does with a key that every control doing the same shares, whatever its title or
// screen (the buttons that open one sheet): the focus a closing sheet gives back looks for it first.
void setFocusAction(QWidget* control, const char* action);

// From now on, the control that holds the keyboard focus shows the ring, in whichever window, until
// stopFollowingFocus. The control style starts it.
void startFollowingFocus();
void stopFollowingFocus();
// Whether the keyboard has moved the focus since the program started, or since forgetKeyboardUse, which
// makes the ring wait for the keyboard again (as a new run of the program does).
bool keyboardHasMovedFocus();
void forgetKeyboardUse();

// Scrolls `view` as a key pressed in it asks, as the Mac's scroll views do (they scroll rather than move
// a current row): Left/Right by a step sideways, Home/End to the top and the bottom, Up/Down by a step,
// Page Up/Page Down by a page. True when the key was one of these (without modifiers) and is taken.
bool scrollByKey(QAbstractScrollArea* view, QKeyEvent* event);

// A window's focusNextPrevChild asks this first: when the control that holds the focus of the widget's window
// is going away (hidden, or disabled), the window takes the focus before Qt passes it on to the next
// control. Returns whether it did.
bool holdFocusOfGoneControl(QWidget* widget);

// Shows `page` of `stack`: a focus inside the page that goes leaves it as from a control that goes away.
// Every stack of pages switches through here.
void showPage(QStackedWidget* stack, QWidget* page);
// Enables or disables `actions`, a part of a screen whose controls stop for a while (the screen waits before
// it goes). A focus inside it goes to the window and waits for no control: what follows the screen decides.
// A part of a screen taken away is left as it is.
void setActionsEnabled(QWidget* actions, bool enabled);

// Whether `a` comes before `b` as their window is read: the upper one first, and on one line (the two
// overlap by at least half the lower one's height) the left one.
bool readsBefore(const QWidget* a, const QWidget* b);
// Tab (`next`) or Shift-Tab from `widget`, which holds the focus but is no stop of Tab (a text that a press
// gave it): the focus goes on to the control after or before it in reading order, the one a walk from the
// window reaches after or before the place where it stands. Returns whether a control took it.
bool focusOnFrom(QWidget* widget, bool next);

// Whether the keyboard focus of the widget's window is on the widget or inside it.
bool holdsKeyboardFocus(const QWidget* widget);
// The keyboard focus of the widget's window starts over: the window holds it, told once to a screen reader;
// a focus that a gone button left waits for no default.
void startFocusOver(QWidget* widget);
// Hides `part` of a screen that goes while the screen stands (a card, its controls with it): a focus inside
// it starts over, the window taking it before the part hides, as where a whole screen is taken away. Returns
// whether the focus was there.
bool hideGoingPart(QWidget* part);
// Takes a screen out of `layout`, hides it and deletes it once control returns to the event loop (the
// action that replaced it may still be running inside it); a focus that was on it starts over.
void retireScreen(QLayout* layout, QWidget* screen);
// Puts `screen` in `layout` and shows it at once where the layout's widget is shown, not on the layout's
// next pass: a sheet's end that hands the focus back (on a Mac inside the sheet's hide) finds its controls
// standing.
void placeScreen(QLayout* layout, QWidget* screen);
// Opens `sheet` (window-modal, over the window of its parent) and gives the focus back when it closes.
void openSheet(QDialog* sheet);

} // namespace qlan
