#pragma once
// What every app-shell screen test stands on: the Homebrew edition made current as the entry does it,
// the standard settings in a temporary folder, a sandboxed Mac with a few stub programs, and a
// telemetry service that delivers to a loopback records endpoint.

#include "editions/ProductConfig.h"
#include "support/CurrentEdition.h"
#include "support/IsolatedUserDefaults.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <QList>
#include <QString>

#include <gmock/gmock.h>

#include <memory>

class QWidget;

namespace qlan::test {

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
    bool waitForEvents(qsizetype count, int timeoutMs = patienceMs) const;
    // Shows the widget as the active window.
    static void showActive(QWidget* window);
    // Runs the calls queued on this thread (deferred deletions, queued deliveries) and what they queue in
    // turn; with `ms`, after that long first, which lets what must not come from a child process or the
    // loopback network have its chance.
    static void settle(int ms = 0);

    CurrentEdition edition_;
    IsolatedUserDefaults defaults_;
    Sandbox sandbox_;
    TelemetryEndpoint endpoint_;
    LoopbackHttpServer& server_ = endpoint_.server();
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
};

} // namespace qlan::test
