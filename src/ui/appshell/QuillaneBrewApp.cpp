#include "ui/appshell/QuillaneBrewApp.h"

#include "editions/EditionTelemetry.h"
#include "editions/ProductConfig.h"
#include "platform/SystemProxy.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/widgets/ControlStyle.h"

#include <QApplication>

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
    // A proxy question still inside the system's answerer would read Qt's state as the application object
    // tears it down.
    SystemProxy::endNowIfAsking(status);
    return status;
}

} // namespace qlan
