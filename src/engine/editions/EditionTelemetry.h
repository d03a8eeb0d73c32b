#pragma once
// The usage-event service as the current edition runs it: its identifier, folder and key prefix handed
// to the service as plain values.

#include "platform/AppServices.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

// The configuration of the current edition with the given services, endpoint and key.
TelemetryService::Configuration
editionTelemetryConfiguration(const AppServices& services = AppServices::live(),
                              const QUrl& endpoint = TelemetryService::compiledEndpointURL(),
                              const QString& anonKey = TelemetryService::compiledAnonKey());

// Makes the shared service take the current edition's configuration (with the live services and the
// endpoint compiled in) when it first needs one. Called once at start, before any event is tracked.
void useCurrentEditionForSharedTelemetry();

} // namespace qlan
