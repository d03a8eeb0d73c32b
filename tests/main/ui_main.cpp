// Test entry for widget tests: a full application on the offscreen platform.
#include "editions/EditionTelemetry.h"
#include "support/FreshProcessState.h"
#include "ui/widgets/ControlStyle.h"

#include <QApplication>
#include <gmock/gmock.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    // The shared usage-event service runs as the application runs it.
    qlan::useCurrentEditionForSharedTelemetry();
    // The controls look and show their focus as the application's do.
    qlan::useControlStyle();
    qlan::test::startEveryTestAsANewRun();
    return RUN_ALL_TESTS();
}
