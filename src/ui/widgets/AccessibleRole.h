#pragma once
// The role a screen reader announces for a widget whose Qt class would read as something else: a link
// drawn by hand reads as a link, a row or a segment that is one of exclusive choices as a radio button,
// a row of controls that belong together as a group (named with setAccessibleName), and rows of text as
// a list.
//
// A button given a role is named by its accessible name, or else by its text as given (these buttons
// draw no mnemonics); it carries its checked state and offers the press action, which clicks it, so
// that a screen reader's press and a click take one path. A link or a radio button reads as one
// element: the labels drawn inside it are not read again as children of their own.
//
// A list (an item view, or a scroll area that shows rows of labels) reads as a list named by its
// accessible name, each row a list item of plain text: no action, such as the toggle an item view's
// rows otherwise offer, for rows that are there to read. An item view's row reads as selected while
// it is; the row the keyboard is on (its current row, while the view has the focus) is the focused one.
//
// The role is set once, when the widget is made.
//
// A change that a screen reader should hear although the focus stays where it is (a job that ended under
// a list the user reads) is told through announceState: what the carrier says, its accessible name (a
// label's text, or the name a row is given), as an announcement, which Qt has from 6.8 on. Outside a Mac, an
// older Qt posts an alert event on the carrier instead, for the platform's bridge to pass on. The Mac's Qt
// bridge drops an alert before 6.8, so that VoiceOver would hear nothing: a Mac build needs Qt 6.8 or later
// (the configure step and this file's source refuse an older one).

#include <QAccessible>

class QWidget;

namespace qlan {

void setAccessibleRole(QWidget* widget, QAccessible::Role role);
void announceState(QWidget* carrier);

} // namespace qlan
