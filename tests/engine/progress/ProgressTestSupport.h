#pragma once
// What the tests of the remediation screens share: a recording telemetry sink.

#include "progress/RemediationTerminalEvent.h"

#include <memory>

namespace qlan::test {

struct RecordedEvents {
    std::shared_ptr<QList<TelemetryEvent>> events = std::make_shared<QList<TelemetryEvent>>();
    RemediationTerminalEvent::Sink sink() const {
        return [events = events](const TelemetryEvent& event) { events->append(event); };
    }
    QStringList names() const {
        QStringList names;
        for (const TelemetryEvent& event : *events)
            names << event.name;
        return names;
    }
};

} // namespace qlan::test
