#pragma once
// What a screen reader announces on a screen. Every shown button (check boxes and radio rows included),
// label and link is announced by the text a person sees; a text field or a button without text has a
// name of its own; and no widget is announced by its accessibility identifier (its object name).

#include <QAccessible>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

class QWidget;

namespace qlan::test {

// The name assistive technology reads for the widget (its accessible name, or what Qt derives).
QString announcedName(QWidget* widget);

// A line edit or a text editor.
bool isTextField(const QWidget* widget);

// Checks every visible widget below `screen`, `screen` included; lists each one that reads otherwise.
::testing::AssertionResult announcesShownTexts(QWidget* screen);

// While it lives, the accessibility layer is active, as a screen reader makes it, and what the program
// posts to it is recorded through QAccessible::installUpdateHandler (one recorder at a time).
class AccessibilityEvents {
public:
    AccessibilityEvents();
    ~AccessibilityEvents();
    AccessibilityEvents(const AccessibilityEvents&) = delete;
    AccessibilityEvents& operator=(const AccessibilityEvents&) = delete;

    // What a screen reader was told without a move of the focus, in order: the text of each announcement,
    // and the name of the object of each alert event.
    QStringList told() const { return told_; }
    void clear() { told_.clear(); }

private:
    static void record(QAccessibleEvent* event);
    QStringList told_;
};

} // namespace qlan::test
