#pragma once
// A window as a keyboard and screen-reader user meets it. Every control a person can use (a button, a
// link, a radio button, a check box, a text field) that is shown and enabled has a name and the
// accessible role of what it is; radio buttons of one group have at most one checked, and a link offers
// the press action. Tab reaches every control once, in reading order (top to bottom, and left to right
// within a line), starting from the first: pressed from nothing focused, or from a container the screen
// left the focus on; pressed in a text field it moves on and types nothing. Whatever else Tab stops on (a
// list) has a name and reads as a list of plain items. Each link a label shows is a link of its own:
// announced as one with the press action, and a stop of Tab that shows it has the focus (Tab stops on a label
// for its links only). A list or a scroll view wider than it shows is reached by Tab; Left and Right scroll
// what Tab reaches sideways, Home and End to the top and the bottom. Wherever Tab stops, the focus ring is
// seen and stands outside what the control draws (RenderedPixels.h), and a click inside the ring of a check
// box or radio button reaches it; before the first key no ring shows (but on a text field), and Tab from the
// control that holds the focus shows one, also where it leaves the focus there (a window's only stop). Only a
// button bound to Return is a default, drawn and announced so, whoever has the focus; where the window has
// none, Return at any stop presses nothing.
// In a group of exclusive choices with one chosen, a click on a choice while the focus is in the group
// moves the focus there and an arrow key goes on from it (the chosen choice is chosen again after).

#include "support/AccessibleNames.h"

#include <QList>

#include <gtest/gtest.h>

#include <functional>

class QObject;
class QWidget;

namespace qlan::test {

// Walks `window` with Tab key events and lists every fault found. The focus is put back as it was.
::testing::AssertionResult walksByKeyboard(QWidget* window);

// How a window hears of the end of a sheet over it: on Linux the sheet hides, and the window comes to the
// front after; on a Mac the window becomes key inside the sheet's hide, before the sheet hears of its hide.
enum class SheetEnd { hideThenActivate, activateInsideHide };
inline constexpr SheetEnd bothSheetEnds[] = {SheetEnd::hideThenActivate, SheetEnd::activateInsideHide};

// Presses Space on `opener`, reached by Tab from where the focus stands, to open a sheet over `window`;
// `close` ends the sheet, which the window hears of in `order`. Returns where the focus stands once the
// window is active again (as the Mac makes it key) and what the calls the sheet's end left have done:
// `window` itself where no control holds it, whether the ring shows there, and what a screen reader was
// told of the window meanwhile. Of its controls it is told only of that one, once and last.
struct AfterSheet {
    QWidget* focus = nullptr;
    bool ring = false;
    QList<Told> told;
};
// With `pressedText`, the person presses that text (a drag over it) and then clicks `opener` instead.
AfterSheet focusAfterSheet(QWidget* window, QWidget* opener, const std::function<void()>& close,
                           SheetEnd order = SheetEnd::hideThenActivate, QWidget* pressedText = nullptr);

// Where the focus stands when `window`, whose focus was on `control`, comes back to the front after `act`
// ran while another window was active, and what a screen reader was told as it came back. Meanwhile the
// Tab rule is the Mac's with keyboard navigation off (push buttons are skipped), by which Qt would pick
// a control for a window whose focused control went while it was in the back.
struct BackInFront {
    QWidget* focus = nullptr; // `window` where no control holds it
    QList<QObject*> told;
};
BackInFront focusBackInFront(QWidget* window, QWidget* control, const std::function<void()>& act);

} // namespace qlan::test
