#include "appshell/NavigationValues.h"

namespace qlan {

QString toText(BuildIntentSurface surface) {
    switch (surface) {
    case BuildIntentSurface::postFix:
        return QStringLiteral("post_fix");
    case BuildIntentSurface::modernHomeSet:
        return QStringLiteral("modern_home_set");
    case BuildIntentSurface::noErrorsFound:
        return QStringLiteral("no_errors_found");
    }
    return {};
}

QString toText(AuditEntry entry) {
    switch (entry) {
    case AuditEntry::heuristic:
        return QStringLiteral("heuristic");
    case AuditEntry::buildIntent:
        return QStringLiteral("build_intent");
    case AuditEntry::nextStepCourse:
        return QStringLiteral("next_step_course");
    case AuditEntry::nextStepBuildSoftware:
        return QStringLiteral("next_step_build_software");
    case AuditEntry::nextStepNotSure:
        return QStringLiteral("next_step_not_sure");
    }
    return {};
}

} // namespace qlan
