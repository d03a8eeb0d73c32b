#include "ui/appshell/QuillaneBrewApp.h"

#include "editions/EditionTelemetry.h"
#include "editions/ProductConfig.h"
#include "platform/LiveProcessCancellation.h"
#include "platform/SystemProxy.h"
#include "remediation/EditGate.h"
#include "telemetry/TelemetryService.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/widgets/ControlStyle.h"

#include <QApplication>

#include <chrono>

namespace qlan {

QuillaneBrewApp::QuillaneBrewApp() {
    ProductConfig::setCurrent(ProductConfig::homebrewEdition());
    useCurrentEditionForSharedTelemetry();
    useControlStyle();
    const ProductConfig edition = ProductConfig::current();
    QCoreApplication::setOrganizationName(edition.appSupportDirName);
    QCoreApplication::setApplicationName(edition.displayName);
}

std::unique_ptr<QLANRootView> QuillaneBrewApp::makeWindow() const {
    auto window = std::make_unique<QLANRootView>();
    window->setWindowTitle(ProductConfig::current().displayName);
    window->resize(defaultWindowSize.expandedTo(window->minimumSize()));
    return window;
}

int QuillaneBrewApp::main(int argc, char** argv) {
    QApplication application(argc, argv);
    QuillaneBrewApp app;
    auto window = app.makeWindow();
    window->show();
    const int status = QApplication::exec();
    return endRun(std::move(window), status);
}

int QuillaneBrewApp::endRun(std::unique_ptr<QWidget> window, int status) {
    // What the end does before the application object goes: nothing of it touches what a proxy question
    // inside the system's answerer reads. The screens stop their jobs as they go, as a close does: the jobs
    // end, and their children are gone (SIGTERM, then SIGKILL once the grace has passed).
    const auto deadline =
        std::chrono::steady_clock::now() + LiveProcessCancellation::defaultGrace + std::chrono::seconds(1);
    window.reset();
    EditGate::waitForStoppedJobs(deadline);
    LiveProcessCancellation::waitForCanceledChildren(deadline);
    TelemetryService::finishBeforeExit();
    // Such a question would read Qt's state as the application object tears it down.
    SystemProxy::endNowIfAsking(status);
    return status;
}

} // namespace qlan
