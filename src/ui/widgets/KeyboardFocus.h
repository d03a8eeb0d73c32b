#pragma once
// Where the keyboard focus shows and where it goes.
//
// The controls drawn by hand show the focus ring: a rounded outline in the system accent colour, at half
// strength as the Mac draws it, just inside the control's edge. Such a control keeps `focusRingWidth`
// free around what it shows, or lets the ring pass over its edge.
//
// When one screen takes the place of another, a focus that was on the old screen starts over: nothing
// keeps it, so the next Tab goes to the first control of the window in reading order (on a pushed screen
// the Back control, drawn first). Qt would otherwise leave it on the new screen's container or move it to
// the control after the old one, past everything drawn above.

#include <QtGlobal>

class QLayout;
class QPainter;
class QRectF;
class QWidget;

namespace qlan {

inline constexpr int focusRingWidth = 2;

// Draws the ring around the whole widget, with corners of `radius` (half the widget's side makes a circle),
// when the widget has the keyboard focus; nothing otherwise.
void drawFocusRing(QPainter& painter, const QWidget* widget, qreal radius = 4);
// Draws the ring around one part of the widget (a link inside a text), just outside `area` as far as the
// widget's edge allows, when the widget has the keyboard focus.
void drawFocusRingAround(QPainter& painter, const QWidget* widget, const QRectF& area, qreal radius = 3);

// Whether the keyboard focus of the widget's window is on the widget or inside it.
bool holdsKeyboardFocus(const QWidget* widget);
// Clears the keyboard focus of the widget's window.
void startFocusOver(QWidget* widget);
// Takes a screen out of `layout`, hides it and deletes it once control returns to the event loop (the
// action that replaced it may still be running inside it); a focus that was on it starts over.
void retireScreen(QLayout* layout, QWidget* screen);

} // namespace qlan
