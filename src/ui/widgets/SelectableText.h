#pragma once
// Text that a person selects and copies with the mouse, as a Mac's selectable text:
// - The label shows the text cursor. A press on it gives it the keyboard focus (Tab never stops on it for
//   its text), and a drag or a double-click selects.
// - Its selection machinery (a text document behind the label) is made at its first press, before the
//   press is handled, so that a label nobody selects draws as fast as a plain one.
// - The copy keys put exactly the selected text on the pasteboard (nothing selected: the pasteboard keeps
//   what it holds); Select All selects the whole text. A right-click (a Control-click on a Mac) offers
//   "Copy", while something is selected, and "Select All".
// - One selection at a time in a window: a press elsewhere in the window (another text, a control, an
//   empty place) lets it go, and so does the focus leaving the text (Tab), but not a menu or another
//   window coming to the front.
// - Tab and Shift-Tab from the text go on to the control after or before it in reading order; Return,
//   Space and Esc go on to the window as with the focus on no control (a link in the text is not
//   followed by them); no focus ring shows around the text.

class QLabel;

namespace qlan {

void setSelectableByMouse(QLabel* label, bool selectable);
bool isSelectableByMouse(const QLabel* label);

} // namespace qlan
