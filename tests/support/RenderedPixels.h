#pragma once
// What a window shows, read from its rendered pixels as a person sees them.
//
// Texts: every shown text of an enabled control or label reads at 4.5 to 1 against what is drawn behind
// it, in the Mac's light and dark appearance: its strongest pixel against the colour most of its area
// shows. Left out are the texts whose colour a screen names (green, red, orange, yellow, the accent) and
// links, which are the system's colours as they are.

#include <QPalette>

#include <gtest/gtest.h>

class QWidget;

namespace qlan::test {

// The Mac's palette of the light or the dark appearance: window, text, link and accent colours.
QPalette macAppearance(bool dark);

// Renders `window` in the Mac's light and then dark appearance, without a keyboard focus; the palette and
// the focus are put back afterwards.
::testing::AssertionResult textsReadInBothAppearances(QWidget* window);

} // namespace qlan::test
