#include "progress/RemediationTerminalEvent.h"

#include "telemetry/TelemetryService.h"

namespace qlan {

RemediationTerminalEvent::RemediationTerminalEvent(Remediation remediation, Sink sink)
    : remediation_(std::move(remediation))
    , sink_(sink ? std::move(sink) : Sink(&TelemetryService::send)) {}

bool RemediationTerminalEvent::completed(qint64 exitCode) {
    return emitOnce(TelemetryService::remediationCompletedEvent(remediation_, exitCode));
}

bool RemediationTerminalEvent::failed(qint64 exitCode, const QString& reason) {
    return emitOnce(TelemetryService::remediationFailedEvent(remediation_, exitCode, reason));
}

bool RemediationTerminalEvent::canceled() {
    return emitOnce(canceledEvent(remediation_));
}

TelemetryEvent RemediationTerminalEvent::canceledEvent(const Remediation& remediation) {
    return {QStringLiteral("remediation_canceled"),
            {{QStringLiteral("remediation_id"),
              JSONValue::string(TelemetryService::homeMasked(remediation.id()))}}};
}

bool RemediationTerminalEvent::emitOnce(const TelemetryEvent& event) {
    if (didEmit_) return false;
    didEmit_ = true;
    sink_(event);
    return true;
}

} // namespace qlan
