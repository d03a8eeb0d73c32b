#include "support/TelemetryRecorder.h"

#include "support/Wait.h"

#include <gtest/gtest.h>

namespace qlan::test {

TelemetryRecorder::TelemetryRecorder(const AppServices& services) {
    service_ = endpoint_.makeService(services);
}

TelemetryRecorder::~TelemetryRecorder() = default;

void TelemetryRecorder::settle() {
    // The service's own wait a second at a time, until nothing is being delivered either.
    const bool settled =
        waitUntil([&] { return service_->waitForQueuedOperations(1000) && !service_->isDelivering(); });
    EXPECT_TRUE(settled) << "telemetry was still delivering";
}

QList<TelemetryEvent> TelemetryRecorder::events() {
    settle();
    QList<TelemetryEvent> events;
    for (const ReceivedEvent& received : endpoint_.receivedEvents())
        events.append(received.event());
    return events;
}

QList<TelemetryEvent> TelemetryRecorder::events(const QString& name) {
    QList<TelemetryEvent> named;
    for (const TelemetryEvent& event : events())
        if (event.name == name) named.append(event);
    return named;
}

QStringList TelemetryRecorder::names() {
    QStringList names;
    for (const TelemetryEvent& event : events())
        names.append(event.name);
    return names;
}

} // namespace qlan::test
