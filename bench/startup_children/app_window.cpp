// The application's start-up as the program entry does it, reporting its first frame.
//
// With the argument "--no-probe" the window is built over services in fixture mode, so that the
// start-up task sends its event without probing: the control run that shows what the probe costs the
// first frame.
#include "FirstFrameReporter.h"
#include "telemetry/TelemetryService.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/appshell/QuillaneBrewApp.h"

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    FirstFrameReporter reporter;
    qlan::QuillaneBrewApp app;
    std::unique_ptr<qlan::QLANRootView> window;
    if (argc > 1 && std::strcmp(argv[1], "--no-probe") == 0) {
        qlan::AppServices services = qlan::AppServices::live();
        services.isFixtureMode = true;
        window = std::make_unique<qlan::QLANRootView>(services, qlan::TelemetryService::shared());
        window->resize(qlan::QuillaneBrewApp::defaultWindowSize);
    } else {
        window = app.makeWindow();
    }
    window->show();
    return QApplication::exec();
}
