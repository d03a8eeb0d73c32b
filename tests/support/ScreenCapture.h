#pragma once
// Saves what a widget shows as a PNG for a person to look at. Only when the environment variable
// QLAN_SCREENSHOT_DIR names a folder; otherwise nothing is written.

#include <QString>

class QWidget;

namespace qlan::test {

// Writes `<QLAN_SCREENSHOT_DIR>/<name>.png` (the folder is created when missing) from QWidget::grab.
// Returns the file's path, or an empty string when no folder is set or the file could not be written.
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace qlan::test
