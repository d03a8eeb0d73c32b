#include "support/TelemetryEndpoint.h"
#include "editions/EditionTelemetry.h"

#include "support/Wait.h"

#include <QJsonArray>
#include <QJsonDocument>

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
    return editionTelemetryConfiguration(services, server.url(kUsageEventsPath), QStringLiteral("test-key"));
}

TelemetryEndpoint::TelemetryEndpoint() {
    server_.route(kUsageEventsPath, LoopbackResponse{.status = 201});
}

std::unique_ptr<TelemetryService> TelemetryEndpoint::makeService(const AppServices& services,
                                                                 bool disabled) const {
    auto configuration = loopbackTelemetryConfiguration(services, server_);
    configuration.disabled = disabled;
    return std::make_unique<TelemetryService>(std::move(configuration));
}

QList<ReceivedEvent> TelemetryEndpoint::receivedEvents() const {
    return test::receivedEvents(server_);
}

QStringList TelemetryEndpoint::eventNames() const {
    QStringList names;
    for (const ReceivedEvent& event : receivedEvents())
        names.append(event.name);
    return names;
}

bool TelemetryEndpoint::waitForEvents(qsizetype count, int timeoutMs) const {
    return waitUntil([&] { return receivedEvents().size() >= count; }, timeoutMs);
}

} // namespace qlan::test
