// Test entry for engine tests: a core application so that queued delivery and networking have an
// event loop on the main thread.
#include "editions/EditionTelemetry.h"

#include <QCoreApplication>
#include <gmock/gmock.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    // The shared usage-event service runs as the application runs it.
    qlan::useCurrentEditionForSharedTelemetry();
    return RUN_ALL_TESTS();
}
