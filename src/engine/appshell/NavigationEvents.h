#pragma once
// The usage events about how the audit is reached and the build-intent prompt. Each builder returns
// the event; its caller hands it to its telemetry service.

#include "appshell/NavigationValues.h"
#include "platform/SystemProfile.h"
#include "telemetry/JSONValue.h"

namespace qlan {

TelemetryEvent auditReachedEvent(const SystemProfile& profile, AuditEntry entry);
TelemetryEvent buildIntentPromptShownEvent(BuildIntentSurface surface);
TelemetryEvent buildIntentOptedInEvent(BuildIntentSurface surface);

} // namespace qlan
