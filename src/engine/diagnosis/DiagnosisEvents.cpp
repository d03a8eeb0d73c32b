#include "diagnosis/DiagnosisEvents.h"

#include "telemetry/EventValues.h"

namespace qlan {
using namespace eventvalues;

DiagnosisCode diagnosisCode(const Diagnosis& diagnosis) {
    switch (diagnosis.kind) {
    case Diagnosis::Kind::D2_HomeUnset:
        return {QStringLiteral("D2_HomeUnset"), QStringLiteral("JDK installed, JAVA_HOME unset")};
    case Diagnosis::Kind::D3_LegacyOnly:
        return {QStringLiteral("D3_LegacyOnly"), QStringLiteral("only legacy JDK installed")};
    case Diagnosis::Kind::D4_ModernHomeSet:
        return {QStringLiteral("D4_ModernHomeSet"), QStringLiteral("modern JDK installed, JAVA_HOME set")};
    case Diagnosis::Kind::unknown:
        return {QStringLiteral("unknown"), maskedAndCut(diagnosis.reason, kUnknownReasonLimit)};
    case Diagnosis::Kind::D1_NoJDK:
        return {QStringLiteral("D1_NoJDK"), QStringLiteral("no JDK installed")};
    case Diagnosis::Kind::noErrorsFound:
        return {QStringLiteral("no_errors_found"), QStringLiteral("JDK installed, JAVA_HOME set")};
    }
    return {};
}

JSONValue discoveredJDKRecord(const JDKInfo& jdk) {
    return JSONValue::object({
        {QStringLiteral("path"), text(homeMasked(jdk.path))},
        {QStringLiteral("major_version"), optionalInteger(majorOfVersion(jdk.version))},
        {QStringLiteral("vendor"), jdk.vendor.isEmpty() ? JSONValue::null() : text(jdk.vendor)},
    });
}

QString remediationMethod(const Remediation& remediation) {
    using Kind = Remediation::Kind;
    switch (remediation.kind) {
    case Kind::installTemurinViaBrew:
    case Kind::installWarpViaBrew:
        return QStringLiteral("brew");
    case Kind::installViaSDKMAN:
    case Kind::setJavaHomeViaSDKMAN:
        return QStringLiteral("sdkman");
    case Kind::installViaMise:
    case Kind::setJavaHomeViaMise:
        return QStringLiteral("mise");
    case Kind::installViaPKG:
        return QStringLiteral("pkg");
    case Kind::installViaPKGThenJEnv:
        return QStringLiteral("pkg+jenv");
    case Kind::writeJavaHomeToZprofile:
        return QStringLiteral("zprofile_write");
    case Kind::setJavaHomeViaJenv:
        return QStringLiteral("jenv");
    case Kind::keepCurrentLegacyJava:
        return QStringLiteral("zprofile_write_legacy");
    case Kind::installHomebrewThenTemurin:
    case Kind::installHomebrewThenWarp:
        return QStringLiteral("homebrew+brew");
    case Kind::installHomebrew:
        return QStringLiteral("homebrew");
    }
    return {};
}

TelemetryEvent javaDiagnosisReachedEvent(const Diagnosis& diagnosis, const SystemProfile& profile) {
    const ProbeBundle& java = profile.javaState;
    const DiagnosisCode code = diagnosisCode(diagnosis);
    qint64 firstMajor = 0;
    if (!java.installedJDKs.isEmpty())
        firstMajor = majorOfVersion(java.installedJDKs.first().version).value_or(0);
    JSONValue::Array jdks;
    for (const JDKInfo& jdk : java.installedJDKs)
        jdks.append(discoveredJDKRecord(jdk));
    const bool hasHome = java.javaHomeInActiveShell && !java.javaHomeInActiveShell->isEmpty();
    return {QStringLiteral("diagnosis_reached"),
            {
                {QStringLiteral("diagnosis"), text(code.code)},
                {QStringLiteral("reason"), text(code.reason)},
                {QStringLiteral("java_major_version"), integer(firstMajor)},
                {QStringLiteral("discovered_jdks"), JSONValue::array(jdks)},
                {QStringLiteral("current_java_home"),
                 hasHome ? text(homeMasked(*java.javaHomeInActiveShell)) : JSONValue::null()},
            }};
}

TelemetryEvent remediationFailedEvent(const Remediation& remediation, qint64 exitCode,
                                      const QString& reason) {
    return remediationFailed(remediation.id(), exitCode, reason);
}

TelemetryEvent remediationAppliedEvent(const Remediation& remediation) {
    return remediationApplied(remediation.id(), remediationMethod(remediation));
}

TelemetryEvent remediationCompletedEvent(const Remediation& remediation, qint64 exitCode) {
    return remediationCompleted(remediation.id(), exitCode);
}

TelemetryEvent remediationCanceledEvent(const Remediation& remediation) {
    return {QStringLiteral("remediation_canceled"),
            {{QStringLiteral("remediation_id"), text(homeMasked(remediation.id()))}}};
}

TelemetryEvent verifyOfferedFollowupEvent(const Remediation& firstRemediation) {
    return {QStringLiteral("verify_offered_followup"),
            {{QStringLiteral("first_remediation_id"), text(firstRemediation.id())}}};
}

} // namespace qlan
