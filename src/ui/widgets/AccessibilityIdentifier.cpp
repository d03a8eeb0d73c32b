#include "ui/widgets/AccessibilityIdentifier.h"

#include <QWidget>

namespace qlan {

void setAccessibilityIdentifier(QWidget* widget, const QString& identifier) {
    widget->setObjectName(identifier);
}

} // namespace qlan
