// The usage events about how the audit is reached and the build-intent prompt.
#include "appshell/NavigationValues.h"
#include "platform/SystemProfile.h"
#include "telemetry/EventValues.h"
#include "telemetry/TelemetryService.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent TelemetryService::auditReachedEvent(const SystemProfile& profile, AuditEntry entry) {
    const QStringList aiTools = profile.aiTooling.installedIDs();
    const QStringList terminals = profile.terminals.installedIDs();
    return {QStringLiteral("audit_reached"),
            {
                {QStringLiteral("ai_tool_count"), integer(aiTools.size())},
                {QStringLiteral("terminal_count"), integer(terminals.size())},
                {QStringLiteral("ai_tools"), textList(aiTools)},
                {QStringLiteral("terminals"), textList(terminals)},
                {QStringLiteral("entry"), text(toText(entry))},
            }};
}

TelemetryEvent TelemetryService::buildIntentPromptShownEvent(BuildIntentSurface surface) {
    return {QStringLiteral("build_intent_prompt_shown"),
            {{QStringLiteral("surface"), text(toText(surface))}}};
}

TelemetryEvent TelemetryService::buildIntentOptedInEvent(BuildIntentSurface surface) {
    return {QStringLiteral("build_intent_opted_in"), {{QStringLiteral("surface"), text(toText(surface))}}};
}

void TelemetryService::trackBuildIntentPromptShown(BuildIntentSurface surface) {
    send(buildIntentPromptShownEvent(surface));
}

void TelemetryService::trackBuildIntentOptedIn(BuildIntentSurface surface) {
    send(buildIntentOptedInEvent(surface));
}

} // namespace qlan
