#include "appshell/QLANAuditContext.h"

#include <QHashFunctions>

namespace qlan {

size_t qHash(const QLANAuditContext& context, size_t seed) {
    seed = qHashMulti(seed, context.nextStep, context.goal.has_value());
    if (context.goal) seed = qHashMulti(seed, *context.goal);
    seed = qHashMulti(seed, context.thenRoute.has_value());
    if (context.thenRoute) seed = qHashMulti(seed, *context.thenRoute);
    return seed;
}

} // namespace qlan
