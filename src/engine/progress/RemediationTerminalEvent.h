#pragma once
// The one usage event that ends a remediation sheet: "remediation_completed", "remediation_failed" or
// "remediation_canceled", whichever the sheet reaches first. Later calls send nothing.

#include "diagnosis/Remediation.h"
#include "telemetry/JSONValue.h"

#include <functional>

namespace qlan {

class RemediationTerminalEvent {
public:
    // Where events go: the sheet's telemetry service.
    using Sink = std::function<void(const TelemetryEvent&)>;

    RemediationTerminalEvent(Remediation remediation, Sink sink);

    // Each returns whether it sent the event (false once any terminal event has been sent).
    bool completed(qint64 exitCode);
    bool failed(qint64 exitCode, const QString& reason);
    bool canceled();

    bool didEmit() const { return didEmit_; }

private:
    bool emitOnce(const TelemetryEvent& event);

    Remediation remediation_;
    Sink sink_;
    bool didEmit_ = false;
};

} // namespace qlan
