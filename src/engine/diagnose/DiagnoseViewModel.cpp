#include "diagnose/DiagnoseViewModel.h"

#include "diagnosis/DiagnosisEvents.h"
#include "diagnosis/DiagnosisProfile.h"
#include "editions/ProductConfig.h"
#include "telemetry/TelemetryService.h"

#include <QRegularExpression>

#include <limits>

namespace qlan {

DiagnoseViewModel::DiagnoseViewModel(TelemetryService& telemetry, QObject* parent)
    : QObject(parent)
    , telemetry_(telemetry) {}

void DiagnoseViewModel::setState(State state) {
    state_ = std::move(state);
    emit stateChanged();
}

void DiagnoseViewModel::diagnose(const SystemProfile& profile) {
    const ProductConfig config = ProductConfig::current();
    const Diagnosis diagnosis = config.diagnosisProfile ? config.diagnosisProfile->diagnose(profile.javaState)
                                                        : Diagnosis::noErrors();
    std::optional<Remediation> d2;
    if (diagnosis.kind == Diagnosis::Kind::D2_HomeUnset) d2 = remediation(diagnosis.detectedJDK, profile);
    setState(Diagnosed{diagnosis, std::nullopt, d2});

    telemetry_.track(javaDiagnosisReachedEvent(diagnosis, profile));
}

Remediation DiagnoseViewModel::installRemediation(int major, const SystemProfile& profile) {
    const QString number = QString::number(major);
    if (profile.homebrewPrefix)
        return Remediation::installTemurinViaBrew(QStringLiteral("temurin@") + number);
    if (profile.sdkmanRoot) return Remediation::installViaSDKMAN(number + QStringLiteral("-tem"));
    if (profile.miseExecutable) return Remediation::installViaMise(QStringLiteral("temurin-") + number);
    if (profile.jenvRoot) return Remediation::installViaPKGThenJEnv(major);
    if (profile.hasExistingTooling())
        return Remediation::installHomebrewThenTemurin(QStringLiteral("temurin@") + number);
    return Remediation::installViaPKG(major);
}

Remediation DiagnoseViewModel::remediation(const JDKInfo& jdk, const SystemProfile& profile) {
    if (profile.sdkmanRoot) return Remediation::setJavaHomeViaSDKMAN(jdk.version + QStringLiteral("-tem"));
    if (profile.miseExecutable)
        return Remediation::setJavaHomeViaMise(QStringLiteral("temurin-") + jdk.version);
    if (profile.jenvRoot) return Remediation::setJavaHomeViaJenv(jdk.path, jenvMajor(jdk.version));
    return Remediation::writeJavaHomeToZprofile(jdk.path);
}

int DiagnoseViewModel::jenvMajor(const QString& version) {
    static const QRegularExpression wholeNumber(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    const QStringList pieces = version.split(u'.', Qt::SkipEmptyParts);
    if (!pieces.isEmpty() && wholeNumber.match(pieces.first()).hasMatch()) {
        bool ok = false;
        const qlonglong value = pieces.first().toLongLong(&ok);
        // A number beyond what a major can hold reads as unreadable too.
        if (ok && value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
            return static_cast<int>(value);
    }
    return Diagnosis::recommendedMajor;
}

} // namespace qlan
