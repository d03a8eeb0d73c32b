#include "catalog/SpineCopy.h"

namespace qlan {

const SpineCopy::DiagnosisOverride* SpineCopy::overrideFor(const QString& domainID,
                                                           const QString& headline) const {
    for (const DiagnosisOverride& entry : diagnosisOverrides)
        if (entry.domainID == domainID && entry.headline == headline) return &entry;
    return nullptr;
}

std::optional<SpineScreenCopy> SpineCopy::screenCopy(const QString& domainID,
                                                     const std::optional<SetupDiagnosis>& diagnosis) const {
    const auto found = screens.constFind(domainID);
    if (found == screens.cend()) return std::nullopt;
    SpineScreenCopy screen = *found;
    if (diagnosis && overrideFor(domainID, diagnosis->headline)) {
        screen.headline = diagnosis->headline;
        screen.body = diagnosis->detail;
    }
    return screen;
}

QString SpineCopy::statusLabel(const QString& domainID, const SetupDiagnosis& diagnosis) const {
    const DiagnosisOverride* entry = overrideFor(domainID, diagnosis.headline);
    return statusNames.value(domainID, domainID) + QStringLiteral(": ") +
           (entry ? entry->status : statusWord(diagnosis.classification));
}

QString SpineCopy::statusWord(SetupDiagnosisClassification classification) {
    switch (classification) {
    case SetupDiagnosisClassification::ready:
        return QStringLiteral("installed");
    case SetupDiagnosisClassification::fixable:
        return QStringLiteral("not installed");
    case SetupDiagnosisClassification::blocked:
        return QStringLiteral("needs attention");
    case SetupDiagnosisClassification::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

} // namespace qlan
