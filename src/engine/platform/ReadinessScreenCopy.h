#pragma once
// The words of the readiness warning screens.

#include "platform/DiskReadiness.h"
#include "platform/NetworkReadiness.h"

#include <QString>

namespace qlan {

struct ReadinessScreenCopy {
    QString windowTitle;
    QString headline;
    QString body;
    QString continueLabel;
    QString stopLabel;

    static ReadinessScreenCopy network(const NetworkReadinessResult& result);
    static ReadinessScreenCopy disk(const DiskReadinessResult& result);

    friend bool operator==(const ReadinessScreenCopy&, const ReadinessScreenCopy&) = default;
};

} // namespace qlan
