#include "editions/brew/HomebrewLocationState.h"

namespace qlan {

HomebrewLocationState HomebrewLocationState::classify(const SystemProfile& profile,
                                                      const SetupProbeBundle& probes) {
    const bool native = probes.installedPrimaryToolLocations.contains(appleSiliconBrew);
    const bool intel = probes.installedPrimaryToolLocations.contains(intelBrew);
    const bool works = probes.versionExitCode == 0 && !probes.pathVisiblePrimaryTools.isEmpty();
    const bool appleSilicon = profile.architecture == Architecture::appleSilicon;

    if (!native && !intel) return notInstalled;
    if (appleSilicon && intel && !native) return wrongChip;
    if (!works) return notOnPath;
    if (native && intel) return installedInTwoPlaces;
    return installed;
}

SetupDiagnosis HomebrewLocationState::diagnosis(HomebrewLocationState state,
                                                const SharedDomainCopy& wording) {
    switch (state) {
    case installed:
        return {wording.homebrewReady.headline, wording.homebrewReady.detail,
                SetupDiagnosisClassification::ready};
    case installedInTwoPlaces:
        return {
            QStringLiteral("Homebrew is installed"),
            QStringLiteral("You have Homebrew in two places (/opt/homebrew and /usr/local). We'll use the "
                           "native /opt/homebrew and leave the other one untouched."),
            SetupDiagnosisClassification::ready};
    case notOnPath:
        return {notOnPathHeadline,
                QStringLiteral("brew is on your Mac but not on your PATH, so your terminal reports \"command "
                               "not found\". We'll add it to ~/.zprofile (backed up first) and re-check in a "
                               "fresh shell."),
                SetupDiagnosisClassification::fixable};
    case wrongChip:
        return {
            wrongChipHeadline,
            QStringLiteral("Your Mac is Apple Silicon, but Homebrew is in the Intel location (/usr/local). "
                           "We'll install the native Homebrew in /opt/homebrew and leave the existing one "
                           "untouched."),
            SetupDiagnosisClassification::fixable};
    case notInstalled:
        break;
    }
    return {wording.homebrewFixable.headline, wording.homebrewFixable.detail,
            SetupDiagnosisClassification::fixable};
}

QString HomebrewLocationState::name() const {
    switch (value_) {
    case installed:
        return QStringLiteral("installed");
    case installedInTwoPlaces:
        return QStringLiteral("installedInTwoPlaces");
    case notOnPath:
        return QStringLiteral("notOnPath");
    case wrongChip:
        return QStringLiteral("wrongChip");
    case notInstalled:
        break;
    }
    return QStringLiteral("notInstalled");
}

} // namespace qlan
