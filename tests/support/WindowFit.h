#pragma once
// Whether a window shows everything whole at its minimum size. Made as small as it may be, every visible
// control and text of the window (buttons, links, labels, fields, lists, progress indicators) lies whole
// inside it, at least the screens' content margin (32 points) from its right and bottom edges, and no
// button is squeezed below its own height, or below the width its title needs. What sits inside a scroll
// area counts as reachable; the scroll area itself must fit. The window gets its size back afterwards.

#include <QString>

#include <gtest/gtest.h>

class QWidget;

namespace qlan::test {

// Lists each control that is cut off or squeezed, with where it ends.
::testing::AssertionResult fitsAtMinimumSize(QWidget* window);

} // namespace qlan::test
