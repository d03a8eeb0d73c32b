#pragma once
// How and why the staged audit was entered.

#include "appshell/NavigationValues.h"
#include "appshell/QLANAuditContext.h"

#include <optional>

namespace qlan {

struct AuditContext {
    AuditEntry entry = AuditEntry::heuristic;
    // Whether the audit's short completion screen shows the build-intent prompt, and where.
    CompletionSurface completionSurface = CompletionSurface::excluded();
    // Present when the audit follows the next-step question.
    std::optional<QLANAuditContext> qlan;

    friend bool operator==(const AuditContext&, const AuditContext&) = default;
};

// Feeds the entry's text value, the completion surface, then a presence marker and the context.
size_t qHash(const AuditContext& context, size_t seed = 0);

} // namespace qlan
