#pragma once
// Points the application's standard settings (what product code reads as the user defaults) at a fresh
// temporary folder for the lifetime of the object, so that a test never reads or writes the real
// user's preferences. Afterwards they point at a throw-away folder of the test process, never back at
// the home folder. (On Linux, where the standard settings are files; a Mac keeps its native store in
// the preferences system, which a path cannot redirect.)

#include <QString>
#include <QTemporaryDir>

namespace qlan::test {

// Points the standard settings at `folder` (made when first written).
void pointUserDefaultsAt(const QString& folder);

class IsolatedUserDefaults {
public:
    IsolatedUserDefaults();
    ~IsolatedUserDefaults();
    IsolatedUserDefaults(const IsolatedUserDefaults&) = delete;
    IsolatedUserDefaults& operator=(const IsolatedUserDefaults&) = delete;

    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

} // namespace qlan::test
