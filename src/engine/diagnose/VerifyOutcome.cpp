#include "diagnose/VerifyOutcome.h"

#include "platform/JavaVersion.h"
#include "telemetry/TelemetryEvents.h"

#include <QRegularExpression>

namespace qlan {

using Kind = Remediation::Kind;

bool isJavaHomeRemediation(const Remediation& remediation) {
    switch (remediation.kind) {
    case Kind::writeJavaHomeToZprofile:
    case Kind::setJavaHomeViaSDKMAN:
    case Kind::setJavaHomeViaMise:
    case Kind::setJavaHomeViaJenv:
    case Kind::keepCurrentLegacyJava:
        return true;
    default:
        return false;
    }
}

bool verificationPassed(const Remediation& remediation, const JavaVerifier::Result& result) {
    return result.containsVersion(isJavaHomeRemediation(remediation));
}

VerifyOutcome verifyOutcome(const Remediation& remediation, const JavaVerifier::Result& result) {
    if (!verificationPassed(remediation, result)) return VerifyOutcome::failed;
    if (isJavaHomeRemediation(remediation)) return VerifyOutcome::passed;
    const bool homeSet = result.javaHomeValue && !result.javaHomeValue->isEmpty();
    return homeSet ? VerifyOutcome::passed : VerifyOutcome::javaHomeUnset;
}

QString verifyResultTitle(VerifyOutcome outcome, const Remediation& remediation) {
    const bool configures = isJavaHomeRemediation(remediation);
    if (outcome == VerifyOutcome::failed)
        return configures ? QStringLiteral("Java configuration incomplete")
                          : QStringLiteral("Java install incomplete");
    return configures ? QStringLiteral("Java configured") : QStringLiteral("Java installed");
}

QString verifyResultExplainer(VerifyOutcome outcome) {
    switch (outcome) {
    case VerifyOutcome::passed:
        return QStringLiteral("Here's the actual output from a fresh `'java -version'`.");
    case VerifyOutcome::javaHomeUnset:
        return QStringLiteral(
            "Java is installed, but your shell doesn't know where to find it yet. One more step.");
    case VerifyOutcome::failed:
        break;
    }
    return QStringLiteral(
        "The remediation completed but Java still isn't running correctly. Read the article.");
}

QString legacyWarning(const QString& javaVersionOutput) {
    const std::optional<qint64> major = JavaVersion::parseMajor(javaVersionOutput);
    const QString version = major ? QString::number(*major) : QStringLiteral("this old version");
    return QStringLiteral("JAVA_HOME is now set, but Java ") + version +
           QStringLiteral(" cannot run software that requires a newer Java.");
}

TelemetryEvent verificationEvent(const Remediation& remediation, const JavaVerifier::Result& result) {
    if (!verificationPassed(remediation, result))
        return verifyFailedEvent(result.javaVersionOutput, result.javaVersionExitCode);
    if (remediation.kind == Kind::keepCurrentLegacyJava)
        return verifyPassedWithLegacyEvent(result.javaVersionOutput, remediation.jdkPath);
    return verifyPassedEvent(result.javaVersionOutput);
}

std::optional<int> installedJavaMajor(const Remediation& remediation) {
    switch (remediation.kind) {
    case Kind::installViaPKG:
    case Kind::installViaPKGThenJEnv:
        return remediation.number;
    case Kind::installTemurinViaBrew:
    case Kind::installViaSDKMAN:
    case Kind::installViaMise:
    case Kind::installHomebrewThenTemurin: {
        // "temurin@25", "25-tem", "temurin-25": the first run of digits.
        static const QRegularExpression digits(QStringLiteral("\\d+"));
        const QRegularExpressionMatch match = digits.match(remediation.name);
        bool ok = false;
        const int major = match.hasMatch() ? match.captured(0).toInt(&ok) : 0;
        if (ok) return major;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace qlan
