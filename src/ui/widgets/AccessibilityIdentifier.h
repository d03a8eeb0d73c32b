#pragma once
// An accessibility identifier names a widget for automation: it becomes the widget's objectName (what
// tests find it by) and nothing else. A screen reader never hears it: the accessible name stays the text
// the widget shows, or a person's description given with setAccessibleName for a control without text.

#include <QString>

class QWidget;

namespace qlan {

void setAccessibilityIdentifier(QWidget* widget, const QString& identifier);

} // namespace qlan
