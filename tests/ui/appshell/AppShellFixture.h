#pragma once
// What every app-shell screen test stands on: the Homebrew edition made current as the entry does it,
// the standard settings in a temporary folder, a sandboxed Mac with a few stub programs, and a
// telemetry service that delivers to a loopback records endpoint.

#include "editions/ProductConfig.h"
#include "support/IsolatedUserDefaults.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "telemetry/TelemetryService.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <gmock/gmock.h>

#include <memory>

class QWidget;

namespace qlan::test {

// One delivered usage event as the endpoint received it.
struct ReceivedEvent {
    QString name;
    QJsonObject data;
};

// Replaces the current edition for the lifetime of the object, then puts the previous one back.
class ScopedEdition {
public:
    explicit ScopedEdition(const ProductConfig& edition);
    ~ScopedEdition();

private:
    ProductConfig previous_;
};

class AppShellTest : public ::testing::Test {
protected:
    AppShellTest();
    ~AppShellTest() override;

    static QString consentKey();
    // The sandbox's services in fixture mode: the start-up task probes nothing.
    AppServices fixtureServices() const;
    // A telemetry service over the sandbox's services that posts to the loopback endpoint.
    std::unique_ptr<TelemetryService> makeTelemetry(bool disabled = false);
    // The events the endpoint received so far, in order.
    QList<ReceivedEvent> receivedEvents() const;
    // Waits until the endpoint has received `count` events; false on time-out.
    bool waitForEvents(qsizetype count, int timeoutMs = 10000) const;
    // Shows the widget as the active window.
    static void showActive(QWidget* window);
    // Lets queued work (deferred deletions, queued deliveries) run for a moment.
    static void settle(int ms = 200);

    ScopedEdition edition_;
    IsolatedUserDefaults defaults_;
    Sandbox sandbox_;
    LoopbackHttpServer server_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
};

} // namespace qlan::test
