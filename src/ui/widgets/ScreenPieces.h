#pragma once
// Small pieces the screens of every flow are built from: a column of widgets, secondary texts and the
// buttons in their styles.

#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TypeScale.h"

#include <QString>

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace qlan {

class TextLabel;

// The owner's layout: a column without margins, its widgets `spacing` points apart. The column fills the
// owner (a layout aligned to the leading edge would shrink to its size hint and squeeze wrapped texts and
// buttons); a widget added with addWithSpace stands at the leading edge.
QVBoxLayout* column(QWidget* owner, int spacing);
// Adds vertical space of `points` and then the widget (a button), aligned to the leading edge.
void addWithSpace(QVBoxLayout* layout, QWidget* widget, int points);

// A label of `role` in the secondary colour.
TextLabel* secondaryText(const QString& text, TextRole role);

// A bordered button, of regular size unless asked otherwise.
QPushButton* borderedButton(const QString& title, ControlSize size = ControlSize::regular);
// A borderless button of regular size.
QPushButton* borderlessButton(const QString& title);

} // namespace qlan
