#include "appshell/AuditContext.h"

#include <QHashFunctions>

namespace qlan {

size_t qHash(const AuditContext& context, size_t seed) {
    seed = qHashMulti(seed, toText(context.entry), context.completionSurface, context.qlan.has_value());
    if (context.qlan) seed = qHashMulti(seed, *context.qlan);
    return seed;
}

} // namespace qlan
