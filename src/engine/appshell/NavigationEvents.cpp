#include "appshell/NavigationEvents.h"

#include "telemetry/EventValues.h"

namespace qlan {
using namespace eventvalues;

TelemetryEvent auditReachedEvent(const SystemProfile& profile, AuditEntry entry) {
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

TelemetryEvent buildIntentPromptShownEvent(BuildIntentSurface surface) {
    return {QStringLiteral("build_intent_prompt_shown"),
            {{QStringLiteral("surface"), text(toText(surface))}}};
}

TelemetryEvent buildIntentOptedInEvent(BuildIntentSurface surface) {
    return {QStringLiteral("build_intent_opted_in"), {{QStringLiteral("surface"), text(toText(surface))}}};
}

} // namespace qlan
