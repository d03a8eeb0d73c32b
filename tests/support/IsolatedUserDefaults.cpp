#include "support/IsolatedUserDefaults.h"

#include <QSettings>

namespace qlan::test {

void pointUserDefaultsAt(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

IsolatedUserDefaults::IsolatedUserDefaults() {
    pointUserDefaultsAt(dir_.path());
}

IsolatedUserDefaults::~IsolatedUserDefaults() {
    static QTemporaryDir afterwards;
    pointUserDefaultsAt(afterwards.path());
}

} // namespace qlan::test
