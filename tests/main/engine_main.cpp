// Test entry for engine tests: a core application so that queued delivery and networking have an
// event loop on the main thread.
#include <QCoreApplication>
#include <gmock/gmock.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
