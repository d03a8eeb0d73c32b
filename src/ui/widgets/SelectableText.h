#pragma once
// Mouse selection of a label's text, set up when it is first needed: the label shows the text cursor at
// once and gets its selection machinery (a text document behind the label) at the first press, so that
// a label nobody selects draws as fast as a plain one. Selecting and copying work as usual.

class QLabel;

namespace qlan {

void setSelectableByMouse(QLabel* label, bool selectable);
bool isSelectableByMouse(const QLabel* label);

} // namespace qlan
