#pragma once
// An accessibility identifier names a widget for automation and assistive technology: it becomes both
// the widget's objectName (what tests find it by) and its accessible name.

#include <QString>

class QWidget;

namespace qlan {

void setAccessibilityIdentifier(QWidget* widget, const QString& identifier);

} // namespace qlan
