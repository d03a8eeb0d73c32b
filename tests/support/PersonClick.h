#pragma once
// A person's click on a control: on a check box's box (its middle may lie past the end of its title,
// where a click reaches nothing), elsewhere on the middle. A person's pointer moving, dragging and
// right-clicking, through the window as the window system delivers it.

#include <QCheckBox>
#include <QCursor>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>

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

// Where `at` of `widget` stands in its window.
inline QPoint inWindow(QWidget* widget, QPoint at) {
    return widget->window()->windowHandle()->mapFromGlobal(widget->mapToGlobal(at));
}

// The pointer goes to `at` of `widget` as the window system moves it, the buttons held as pressed: the
// pointer's position first, then a move through the window.
inline void movePointer(QWidget* widget, QPoint at) {
    QCursor::setPos(widget->mapToGlobal(at));
    QTest::mouseMove(widget->window()->windowHandle(), inWindow(widget, at));
}

// A drag over `widget` from `from` to `to` (in its coordinates): a press, moves on the way and a release.
inline void dragOver(QWidget* widget, QPoint from, QPoint to) {
    QWindow* window = widget->window()->windowHandle();
    QCursor::setPos(widget->mapToGlobal(from));
    QTest::mousePress(window, Qt::LeftButton, {}, inWindow(widget, from));
    movePointer(widget, (from + to) / 2);
    movePointer(widget, to);
    QTest::mouseRelease(window, Qt::LeftButton, {}, inWindow(widget, to));
}

// A right-click on `widget` at `at` (its middle by default).
inline void rightClick(QWidget* widget, QPoint at = {}) {
    if (at.isNull()) at = widget->rect().center();
    QCursor::setPos(widget->mapToGlobal(at));
    QTest::mouseClick(widget->window()->windowHandle(), Qt::RightButton, {}, inWindow(widget, at));
}

} // namespace qlan::test
