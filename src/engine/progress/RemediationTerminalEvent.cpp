#include "progress/RemediationTerminalEvent.h"

#include "diagnosis/DiagnosisEvents.h"

namespace qlan {

RemediationTerminalEvent::RemediationTerminalEvent(Remediation remediation, Sink sink)
    : remediation_(std::move(remediation))
    , sink_(std::move(sink)) {}

bool RemediationTerminalEvent::completed(qint64 exitCode) {
    return emitOnce(remediationCompletedEvent(remediation_, exitCode));
}

bool RemediationTerminalEvent::failed(qint64 exitCode, const QString& reason) {
    return emitOnce(remediationFailedEvent(remediation_, exitCode, reason));
}

bool RemediationTerminalEvent::canceled() {
    return emitOnce(remediationCanceledEvent(remediation_));
}

bool RemediationTerminalEvent::emitOnce(const TelemetryEvent& event) {
    if (didEmit_) return false;
    didEmit_ = true;
    sink_(event);
    return true;
}

} // namespace qlan
