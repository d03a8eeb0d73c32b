#include "support/FreshProcessState.h"

#include "editions/ProductConfig.h"
#include "support/IsolatedUserDefaults.h"
#include "telemetry/TelemetryService.h"
#include "ui/widgets/KeyboardFocus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qlan::test {
namespace {

// The process starts clean; each test gets settings of its own, and what else it changed is put back
// for the next one.
class FreshProcessState : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        // One folder per test, all below one that goes when the process exits, even from inside a test
        // (a child run of the test program): nothing of a test is left for the process's exit to undo.
        static QTemporaryDir folders;
        pointUserDefaultsAt(folders.filePath(QString::number(++tests_)));
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        TelemetryService::clearNPSShown();
        forgetKeyboardUse(); // the focus ring waits for the keyboard again
        ProductConfig::setCurrent(edition_);
    }

private:
    const ProductConfig edition_ = ProductConfig::current();
    int tests_ = 0;
};

} // namespace

void startEveryTestAsANewRun() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessState);
}

} // namespace qlan::test
