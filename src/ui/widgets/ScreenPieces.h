#pragma once
// Small pieces the screens of every flow are built from: a column of widgets and the buttons in their
// styles.

#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TypeScale.h"

#include <QString>

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace qlan {

// A widget holding a column aligned to the leading edge, `spacing` points apart, without margins.
QVBoxLayout* column(QWidget* owner, int spacing);
// Adds vertical space of `points` and then the widget (a button), aligned to the leading edge.
void addWithSpace(QVBoxLayout* layout, QWidget* widget, int points);

// A bordered button, of regular size unless asked otherwise.
QPushButton* borderedButton(const QString& title, ControlSize size = ControlSize::regular);
// A borderless button of regular size.
QPushButton* borderlessButton(const QString& title);

} // namespace qlan
