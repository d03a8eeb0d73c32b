#include "ui/audit/AuditScreenSeams.h"
#include "editions/ProductConfig.h"

#include "ui/progress/RemediationSheet.h"

namespace qlan {

std::shared_ptr<NPSFeedbackHost> AuditScreenSeams::hostFor(const AppServices& services) const {
    if (feedbackHost) return feedbackHost;
    return std::make_shared<NPSFeedbackHost>(ProductConfig::current().userDefaultsPrefix, services.store,
                                             telemetry);
}

FixSheetFactory AuditScreenSeams::sheetFactory() const {
    if (fixSheet) return fixSheet;
    return [telemetry = &telemetry](QWidget* parent, const Remediation& remediation,
                                    std::function<void(RemediationOutcome)> onFinish) {
        return remediationSheet(parent, remediation, std::move(onFinish), *telemetry);
    };
}

QDialog* AuditScreenSeams::remediationSheet(QWidget* parent, const Remediation& remediation,
                                            std::function<void(RemediationOutcome)> onFinish,
                                            TelemetryService& telemetry) {
    return new RemediationSheet(
        remediation,
        [onFinish = std::move(onFinish)](const RemediationOutcome& outcome) {
            if (onFinish) onFinish(outcome);
        },
        telemetry, parent);
}

} // namespace qlan
