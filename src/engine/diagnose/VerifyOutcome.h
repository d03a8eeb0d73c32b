#pragma once
// How the check after a Java fix reads: whether it passed, the three outcomes of the result screen with
// their title and explainer, the warning after keeping a legacy JDK, and the one usage event that says
// whether the fix took. Pure functions; the screens only draw them.

#include "diagnose/JavaVerifier.h"
#include "diagnosis/Remediation.h"
#include "telemetry/JSONValue.h"

#include <QString>

namespace qlan {

enum class VerifyOutcome { passed, javaHomeUnset, failed };

// The fixes that set or keep JAVA_HOME; every other fix installs something.
bool isJavaHomeRemediation(const Remediation& remediation);
// The check passed for this fix: a JAVA_HOME fix also needs a JAVA_HOME in the login shell.
bool verificationPassed(const Remediation& remediation, const JavaVerifier::Result& result);
// `failed` when not passed; an install that passed without a JAVA_HOME is `javaHomeUnset`.
VerifyOutcome verifyOutcome(const Remediation& remediation, const JavaVerifier::Result& result);

QString verifyResultTitle(VerifyOutcome outcome, const Remediation& remediation);
QString verifyResultExplainer(VerifyOutcome outcome);
// "JAVA_HOME is now set, but Java 8 cannot run software that requires a newer Java."
QString legacyWarning(const QString& javaVersionOutput);

// "verify_passed_with_legacy" for a kept legacy JDK that passed, "verify_passed" for any other fix
// that passed, "verify_failed" otherwise.
TelemetryEvent verificationEvent(const Remediation& remediation, const JavaVerifier::Result& result);

// The Java major a fix installs; none for a fix that installs no JDK or sets JAVA_HOME.
std::optional<int> installedJavaMajor(const Remediation& remediation);

} // namespace qlan
