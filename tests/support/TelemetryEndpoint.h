#pragma once
// A loopback records endpoint for usage events, and telemetry services that deliver to it, so that a
// test sees the events exactly as they leave the application.

#include "platform/AppServices.h"
#include "support/LoopbackHttpServer.h"
#include "support/Wait.h"
#include "telemetry/TelemetryService.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace qlan::test {

// One delivered usage event as the endpoint received it.
struct ReceivedEvent {
    QString name;
    QJsonObject data;

    // The name and the properties decoded as typed values.
    TelemetryEvent event() const;
};

// The path the records endpoint is reached at.
inline const QString kUsageEventsPath = QStringLiteral("/api/database/records/usage_events");

// Every event `server` received so far, in arrival order.
QList<ReceivedEvent> receivedEvents(const LoopbackHttpServer& server);

// A telemetry configuration of the current edition over `services`, posting to `server` (which the
// caller routes) with a test key.
TelemetryService::Configuration loopbackTelemetryConfiguration(const AppServices& services,
                                                               const LoopbackHttpServer& server);

class TelemetryEndpoint {
public:
    TelemetryEndpoint();

    // A telemetry service over `services` (its session key and queue file) that posts here.
    std::unique_ptr<TelemetryService> makeService(const AppServices& services, bool disabled = false) const;

    // The events received so far, in order, and their names.
    QList<ReceivedEvent> receivedEvents() const;
    QStringList eventNames() const;
    // Spins the event loop until `count` events have arrived; false on time-out.
    bool waitForEvents(qsizetype count, int timeoutMs = patienceMs) const;

    LoopbackHttpServer& server() { return server_; }

private:
    LoopbackHttpServer server_;
};

} // namespace qlan::test
