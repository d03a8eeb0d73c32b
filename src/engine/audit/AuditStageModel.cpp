#include "audit/AuditStageModel.h"

#include "audit/AuditStageOutcomeEvents.h"
#include "diagnosis/DiagnosisEvents.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

#include <QPointer>

namespace qlan {

AuditStageModel::AuditStageModel(Options options, TelemetryService& telemetry, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , telemetry_(telemetry) {}

void AuditStageModel::install(const Remediation& remediation) {
    if (!acts() || advanced_) return;
    telemetry_.track(remediationAppliedEvent(remediation));
    setSheet(remediation);
}

void AuditStageModel::finish(const RemediationOutcome& outcome) {
    const bool refreshes = outcome.kind == RemediationOutcome::Kind::success && options_.onProfileRefresh;
    // The re-probe counts as busy from the moment the sheet closes: no gap in which the flow could pass
    // over the stage under its fix.
    if (refreshes) setRefreshing(true);
    // An end that leaves the stage (it advances, or the flow moves on once the fix is over) holds the
    // controls before the sheet closes, until the stage is gone.
    else if (outcome.kind != RemediationOutcome::Kind::canceled || (leftOnceIdle_ && leftOnceIdle_()))
        setLeaving();
    setSheet(std::nullopt);
    switch (outcome.kind) {
    case RemediationOutcome::Kind::canceled:
        return;
    case RemediationOutcome::Kind::failure:
        advance();
        return;
    case RemediationOutcome::Kind::success:
        break;
    }
    if (!refreshes) {
        advance();
        return;
    }
    QPointer<AuditStageModel> self(this);
    options_.onProfileRefresh([self] {
        if (!self) return;
        self->advance();
        if (self) self->setRefreshing(false);
    });
}

void AuditStageModel::sheetClosed() {
    setSheet(std::nullopt);
}

void AuditStageModel::continueOn() {
    if (!acts()) return;
    advance();
}

void AuditStageModel::skipByUser() {
    if (!acts()) return;
    telemetry_.track(auditStageSkippedByUserEvent(options_.stageID));
    advance();
}

void AuditStageModel::followLink(const QString& tool, const QUrl& url, bool advances) {
    if (!acts()) return;
    telemetry_.track(auditOutboundClickedEvent(tool, url));
    if (options_.openURL) options_.openURL(url);
    if (advances) advance();
}

void AuditStageModel::setSheet(std::optional<Remediation> remediation) {
    if (sheet_ == remediation) return;
    const bool wasBusy = isBusy();
    sheet_ = std::move(remediation);
    emit sheetChanged();
    if (isBusy() != wasBusy) emit busyChanged();
}

void AuditStageModel::setRefreshing(bool refreshing) {
    if (refreshing_ == refreshing) return;
    const bool wasBusy = isBusy();
    const bool wasHeld = isHeld();
    refreshing_ = refreshing;
    if (isHeld() != wasHeld) emit heldChanged();
    if (isBusy() != wasBusy) emit busyChanged();
}

void AuditStageModel::setLeaving() {
    if (leaving_) return;
    const bool wasHeld = isHeld();
    leaving_ = true;
    if (isHeld() != wasHeld) emit heldChanged();
}

void AuditStageModel::advance() {
    // Never under an open sheet: leaving the stage takes its screen away, and the sheet and its job with it.
    if (advanced_ || sheet_) return;
    advanced_ = true;
    if (options_.onAdvance) options_.onAdvance();
}

} // namespace qlan
