#pragma once
// Whether a person can select the texts a screen shows with the mouse, as they can on every screen's content.

#include "ui/widgets/SelectableText.h"

#include <QLabel>
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

} // namespace qlan::test
