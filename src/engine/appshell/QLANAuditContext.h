#pragma once
// Why the audit follows the next-step question: the chosen next step, the goal chosen earlier, and
// where to go once the audit report is done.

#include "catalog/OfferRoute.h"

#include <QString>

#include <optional>

namespace qlan {

struct QLANAuditContext {
    QString nextStep;                    // key of the chosen next-step option
    std::optional<QString> goal;         // the goal key chosen earlier, if any
    std::optional<OfferRoute> thenRoute; // absent: back to the welcome screen

    friend bool operator==(const QLANAuditContext&, const QLANAuditContext&) = default;
};

// Feeds the fields in order; an optional feeds a presence marker, then its value when present.
size_t qHash(const QLANAuditContext& context, size_t seed = 0);

} // namespace qlan
