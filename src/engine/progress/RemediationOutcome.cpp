#include "progress/RemediationOutcome.h"

namespace qlan {

RemediationScreen remediationScreen(const Remediation& remediation) {
    switch (remediation.kind) {
    case Remediation::Kind::writeJavaHomeToZprofile:
    case Remediation::Kind::keepCurrentLegacyJava:
        return RemediationScreen::zprofileDiff;
    default:
        return RemediationScreen::streaming;
    }
}

} // namespace qlan
