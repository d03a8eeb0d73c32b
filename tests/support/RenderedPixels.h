#pragma once
// What a window shows, read from its rendered pixels as a person sees them.
//
// The focus ring: the window is rendered around a control with the keyboard focus on it and without;
// what the focus adds must be seen (it reads at 3 to 1 against what it is drawn over) and lie outside
// what the control draws itself (its bezel, mark and texts). A text field's or a label's own marks
// inside it (the selected text, the chosen link) are theirs to draw.
//
// Texts: every shown text of an enabled control or label reads at 4.5 to 1 against what is drawn behind
// it, in the Mac's light and dark appearance: its strongest pixel against the colour most of its area
// shows. Left out are the texts whose colour a screen names (green, red, orange, yellow, the accent) and
// links, which are the system's colours as they are.

#include <QColor>
#include <QPalette>

#include <gtest/gtest.h>

class QWidget;

namespace qlan::test {

// The Mac's palette of the light or the dark appearance: window, text, link, accent (its own unless
// another is given) and selection colours.
QPalette macAppearance(bool dark, const QColor& accent = {});

// For the control that holds the keyboard focus; the focus is put back on it.
::testing::AssertionResult focusRingStandsOutside(QWidget* control);

// Renders `window` in the Mac's light and then dark appearance, without a keyboard focus; the palette and
// the focus are put back afterwards.
::testing::AssertionResult textsReadInBothAppearances(QWidget* window);

} // namespace qlan::test
