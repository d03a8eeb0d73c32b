#pragma once
// The usage events of the Java diagnosis and its fixes, and the codes and methods they send. Each
// builder returns the event; its caller hands it to its telemetry service.

#include "diagnosis/Diagnosis.h"
#include "diagnosis/Remediation.h"
#include "platform/SystemProfile.h"
#include "telemetry/JSONValue.h"

namespace qlan {

TelemetryEvent javaDiagnosisReachedEvent(const Diagnosis& diagnosis, const SystemProfile& profile);
TelemetryEvent remediationAppliedEvent(const Remediation& remediation);
TelemetryEvent remediationCompletedEvent(const Remediation& remediation, qint64 exitCode);
TelemetryEvent remediationFailedEvent(const Remediation& remediation, qint64 exitCode, const QString& reason);
TelemetryEvent remediationCanceledEvent(const Remediation& remediation);
// The verification passed with a legacy JDK and offers the fix that follows it.
TelemetryEvent verifyOfferedFollowupEvent(const Remediation& firstRemediation);

// Pieces of the events above.
struct DiagnosisCode {
    QString code;
    QString reason;
    friend bool operator==(const DiagnosisCode&, const DiagnosisCode&) = default;
};
DiagnosisCode diagnosisCode(const Diagnosis& diagnosis);
QString remediationMethod(const Remediation& remediation);
JSONValue discoveredJDKRecord(const JDKInfo& jdk);

} // namespace qlan
