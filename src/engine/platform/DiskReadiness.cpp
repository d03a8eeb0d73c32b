#include "platform/DiskReadiness.h"

#include <limits>

namespace qlan {

bool needsWarning(DiskVerdict verdict) {
    return verdict == DiskVerdict::low || verdict == DiskVerdict::critical;
}

DiskReadinessResult DiskReadinessResult::evaluate(std::optional<qint64> availableBytes, qint64 worstCaseBytes,
                                                  qint64 headroomBytes, qint64 criticalBytes) {
    DiskVerdict verdict = DiskVerdict::ok;
    if (!availableBytes) {
        verdict = DiskVerdict::unmeasured;
    } else if (*availableBytes < criticalBytes) {
        verdict = DiskVerdict::critical;
    } else {
        qint64 needed = 0;
        // A sum beyond the 64-bit range means "more than any disk holds".
        if (__builtin_add_overflow(worstCaseBytes, headroomBytes, &needed))
            needed =
                headroomBytes > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
        if (*availableBytes < needed) verdict = DiskVerdict::low;
    }
    return {verdict, availableBytes, worstCaseBytes, headroomBytes};
}

} // namespace qlan
