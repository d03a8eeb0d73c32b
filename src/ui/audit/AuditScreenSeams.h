#pragma once
// What the audit's screens take besides their own values: where their usage events go, how a fix sheet
// is made, and the feedback card's host. The last two may stay empty: the default fix sheet and a host
// over the given services' store are used then.

#include "audit/AuditStageModel.h"
#include "diagnosis/Remediation.h"
#include "platform/AppServices.h"
#include "telemetry/NPSFeedbackHost.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace qlan {

class TelemetryService;

// Makes the sheet that carries out one remediation, parented to `parent`. The sheet calls `onFinish`
// once, when the user leaves it (a close of the sheet is its Cancel); destroying it stops its job.
using FixSheetFactory = std::function<QDialog*(QWidget* parent, const Remediation& remediation,
                                               std::function<void(RemediationOutcome)> onFinish)>;

struct AuditScreenSeams {
    explicit AuditScreenSeams(TelemetryService& telemetry)
        : telemetry(telemetry) {}

    TelemetryService& telemetry;
    FixSheetFactory fixSheet;
    std::shared_ptr<NPSFeedbackHost> feedbackHost;

    // The host to use: the given one, else one over `services.store` and this telemetry.
    std::shared_ptr<NPSFeedbackHost> hostFor(const AppServices& services) const;
    FixSheetFactory sheetFactory() const;
    // The remediation sheet, its events sent to this telemetry.
    static QDialog* remediationSheet(QWidget* parent, const Remediation& remediation,
                                     std::function<void(RemediationOutcome)> onFinish,
                                     TelemetryService& telemetry);
};

} // namespace qlan
