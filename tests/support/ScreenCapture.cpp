#include "support/ScreenCapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace qlan::test {

QString saveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("QLAN_SCREENSHOT_DIR");
    if (folder.isEmpty() || !widget) return {};
    if (!QDir().mkpath(folder)) return {};
    QCoreApplication::processEvents(); // let pending layout requests settle first
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return widget->grab().save(path, "PNG") ? path : QString();
}

} // namespace qlan::test
