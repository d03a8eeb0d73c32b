#pragma once
// What a screen reader announces on a screen. Every shown button (check boxes and radio rows included),
// label and link is announced by the text a person sees; a text field or a button without text has a
// name of its own; and no widget is announced by its accessibility identifier (its object name).

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

class QLabel;
class QObject;
class QWidget;

namespace qlan::test {

// The name assistive technology reads for the widget (its accessible name, or what Qt derives).
QString announcedName(QWidget* widget);

// The text a label shows, as plain text (without its Markdown or HTML).
QString shownText(const QLabel* label);

// A line edit or a text editor.
bool isTextField(const QWidget* widget);

// Checks every visible widget below `screen`, `screen` included; lists each one that reads otherwise.
::testing::AssertionResult announcesShownTexts(QWidget* screen);

// What a screen reader is told while `act` runs, seen through QAccessible::installUpdateHandler with the
// accessibility layer active, as a screen reader makes it: the text of each announcement or alert.
QStringList toldWhile(const std::function<void()>& act);
// What each focus event names while `act` runs, seen as toldWhile sees them: a child (a row of a list), or
// -1 for a widget itself.
QList<int> focusedChildrenWhile(const std::function<void()>& act);
// The widgets that the focus events name while `act` runs, seen as toldWhile sees them.
QList<QObject*> focusedWidgetsWhile(const std::function<void()>& act);

// What a screen reader is told of a widget's focus: the widget, and the name read then (a window's title).
struct Told {
    QObject* widget = nullptr; // may be gone since
    QString name;
    QByteArray kind = {};      // its class, for messages
    QObject* window = nullptr; // the window it was told in
    int child = -1;            // a row of a list, or -1 for the widget itself
    friend bool operator==(const Told& a, const Told& b) { return a.widget == b.widget && a.name == b.name; }
};
// What a screen reader hears while `act` runs, seen as toldWhile sees it: each focus event, the widgets
// whose enabled state it is told changed (each once, in order), and what toldWhile would return.
struct Heard {
    QList<Told> focus;
    QList<QObject*> enabledChanges;
    QStringList announced;
};
Heard heardWhile(const std::function<void()>& act);
// What heardWhile has heard so far while its `act` runs, and all it heard once it has returned.
const Heard& heardSoFar();
void PrintTo(const Told& told, std::ostream* out);

} // namespace qlan::test
