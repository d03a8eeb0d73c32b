#include "support/TelemetryRecorder.h"

#include "support/Wait.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace qlan::test {

TelemetryEvent ReceivedEvent::event() const {
    const std::optional<JSONValue> properties = JSONValue::fromJson(data);
    return {name, properties ? properties->toObject() : JSONObject()};
}

QList<ReceivedEvent> receivedEvents(const LoopbackHttpServer& server) {
    QList<ReceivedEvent> events;
    for (const LoopbackRequest& request : server.requests()) {
        const QJsonArray body = QJsonDocument::fromJson(request.body).array();
        for (const auto& entry : body) {
            const QJsonObject object = entry.toObject();
            events.append({object.value(QStringLiteral("event_name")).toString(),
                           object.value(QStringLiteral("event_data")).toObject()});
        }
    }
    return events;
}

TelemetryService::Configuration loopbackTelemetryConfiguration(const AppServices& services,
                                                               const LoopbackHttpServer& server) {
    return TelemetryService::Configuration::fromCurrentEdition(services, server.url(kUsageEventsPath),
                                                               QStringLiteral("test-key"));
}

TelemetryRecorder::TelemetryRecorder(const AppServices& services) {
    server_.route(kUsageEventsPath, LoopbackResponse{.status = 201});
    service_ = std::make_unique<TelemetryService>(loopbackTelemetryConfiguration(services, server_));
}

TelemetryRecorder::~TelemetryRecorder() = default;

void TelemetryRecorder::settle() {
    const bool settled = waitUntil(
        [&] { return service_->waitForQueuedOperations(1000) && !service_->isDelivering(); }, 10000);
    EXPECT_TRUE(settled) << "telemetry was still delivering";
}

QList<TelemetryEvent> TelemetryRecorder::events() {
    settle();
    QList<TelemetryEvent> events;
    for (const ReceivedEvent& received : receivedEvents(server_))
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
