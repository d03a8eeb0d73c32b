#include "support/IsolatedUserDefaults.h"

#include <QSettings>

namespace qlan::test {
namespace {

void pointSettingsAt(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace

IsolatedUserDefaults::IsolatedUserDefaults() {
    pointSettingsAt(dir_.path());
}

IsolatedUserDefaults::~IsolatedUserDefaults() {
    static QTemporaryDir afterwards;
    pointSettingsAt(afterwards.path());
}

} // namespace qlan::test
