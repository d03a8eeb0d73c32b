#pragma once
// A person's click on a control: on a check box's box (its middle may lie past the end of its title,
// where a click reaches nothing), elsewhere on the middle.

#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace qlan::test {

inline void clickAsAPerson(QAbstractButton* control) {
    QStyleOptionButton box;
    box.initFrom(control);
    QPoint point = control->rect().center();
    if (qobject_cast<QCheckBox*>(control))
        point = control->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &box, control).center();
    QTest::mouseClick(control, Qt::LeftButton, {}, point);
}

// A person who tries a control every way: a click, then Space and Return on it.
inline void pressEveryWay(QAbstractButton* control) {
    clickAsAPerson(control);
    QTest::keyClick(control, Qt::Key_Space);
    QTest::keyClick(control, Qt::Key_Return);
}

} // namespace qlan::test
