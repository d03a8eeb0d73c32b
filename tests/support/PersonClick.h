#pragma once
// A person's click on a control: on a check box's box and on a radio row's circle (the middle of either
// may lie past the end of its title, where a click reaches nothing), elsewhere on the middle.

class QAbstractButton;

namespace qlan::test {

void clickAsAPerson(QAbstractButton* control);

} // namespace qlan::test
