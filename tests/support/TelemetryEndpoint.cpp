#include "support/TelemetryEndpoint.h"

#include "support/Wait.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qlan::test {
namespace {
const QString kRecordsPath = QStringLiteral("/api/database/records/usage_events");
}

TelemetryEndpoint::TelemetryEndpoint() {
    server_.route(kRecordsPath, LoopbackResponse{.status = 201});
}

std::unique_ptr<TelemetryService> TelemetryEndpoint::makeService(const AppServices& services,
                                                                 bool disabled) const {
    auto configuration = TelemetryService::Configuration::fromCurrentEdition(
        services, server_.url(kRecordsPath), QStringLiteral("test-key"));
    configuration.disabled = disabled;
    return std::make_unique<TelemetryService>(std::move(configuration));
}

QList<ReceivedEvent> TelemetryEndpoint::receivedEvents() const {
    QList<ReceivedEvent> events;
    for (const LoopbackRequest& request : server_.requests()) {
        const QJsonArray body = QJsonDocument::fromJson(request.body).array();
        for (const auto& entry : body) {
            const QJsonObject object = entry.toObject();
            events.append({object.value(QStringLiteral("event_name")).toString(),
                           object.value(QStringLiteral("event_data")).toObject()});
        }
    }
    return events;
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
