#pragma once
// Capturing usage events in tests: a telemetry service over the test's services that posts every event
// to a loopback records endpoint, and the events that endpoint received, decoded again.
//
//   TelemetryRecorder telemetry(sandbox.services());
//   SomeModel model(..., telemetry.service());
//   ...
//   EXPECT_EQ(telemetry.names(), QStringList{"diagnosis_reached"});

#include "support/TelemetryEndpoint.h"
#include "telemetry/TelemetryService.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace qlan::test {

class TelemetryRecorder {
public:
    // The queue file lives in the Application Support folder of `services.fs`.
    explicit TelemetryRecorder(const AppServices& services);
    ~TelemetryRecorder();

    TelemetryService& service() { return *service_; }

    // Waits until every event tracked so far has been delivered (fails the test after a time-out),
    // then returns every event received, in the order tracked.
    QList<TelemetryEvent> events();
    // The same, only those with this name.
    QList<TelemetryEvent> events(const QString& name);
    QStringList names();

private:
    void settle();

    TelemetryEndpoint endpoint_;
    std::unique_ptr<TelemetryService> service_;
};

} // namespace qlan::test
