#pragma once
// Whether a person can select the texts a screen shows with the mouse, as they can on every screen's content,
// and copy what they selected.

#include "support/PersonClick.h"
#include "ui/widgets/SelectableText.h"

#include <QLabel>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace qlan::test {

// Every label with text shown below `root` can be selected with the mouse; lists those that cannot.
inline ::testing::AssertionResult textsSelectableByMouse(const QWidget* root) {
    QStringList faults;
    for (const QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty() && !isSelectableByMouse(label))
            faults << label->text();
    if (faults.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "cannot be selected: \"" << faults.join("\", \"").toStdString() << '"';
}

// The label shown below `root` with exactly `text`, or null.
QLabel* textShowing(const QWidget* root, const QString& text);

// Copies `text` (shown, top-aligned, under a recording desktop) every way a person does, through its
// window brought to the front, and lists what went wrong. The focus is first on `control`, a control of the
// same window, as where the person tabbed to it:
// - a drag over the start of its first line (the first press on it) selects a part and gives it the focus;
//   the copy keys put exactly that part on the pasteboard;
// - Select All selects the whole text as shown, and the menu of a right-click offers "Copy", which copies it;
// - after another drag, the menu's "Select All" selects the whole text again;
// - Tab lets the selection go and leaves the text; the menu then offers "Copy" disabled, and Esc closes it.
// The focus is left on the text.
::testing::AssertionResult copiesAsAPerson(QLabel* text, QWidget* control);

} // namespace qlan::test
