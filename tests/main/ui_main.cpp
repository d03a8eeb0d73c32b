// Test entry for widget tests: a full application on the offscreen platform.
#include "support/FreshProcessState.h"

#include <QApplication>
#include <gmock/gmock.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    qlan::test::startEveryTestAsANewRun();
    return RUN_ALL_TESTS();
}
