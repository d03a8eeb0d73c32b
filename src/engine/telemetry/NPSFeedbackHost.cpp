#include "telemetry/NPSFeedbackHost.h"

#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

#include <QPointer>
#include <QTimer>

namespace qlan {

NPSFeedbackHost::NPSFeedbackHost(QString keyPrefix, std::shared_ptr<KeyValueStoring> store,
                                 TelemetryService& telemetry, Pause pause)
    : keyPrefix_(std::move(keyPrefix))
    , store_(std::move(store))
    , telemetry_(telemetry)
    , pause_(std::move(pause)) {}

QString NPSFeedbackHost::submittedKey(const QString& keyPrefix) {
    return keyPrefix + QStringLiteral(".nps_submitted");
}

bool NPSFeedbackHost::wasSubmittedBefore() const {
    return store_ && store_->boolValue(submittedKey(keyPrefix_));
}

void NPSFeedbackHost::cardCameOnScreen() {
    if (shown_) return;
    shown_ = true;
    if (!TelemetryService::markNPSShown()) telemetry_.track(npsShownEvent());
}

void NPSFeedbackHost::recordSubmission(int score, const QString& reason) {
    submitted_ = true;
    telemetry_.track(npsSubmittedEvent(score, reason));
    if (store_) store_->set(true, submittedKey(keyPrefix_));
}

void NPSFeedbackHost::recordDismissal() {
    dismissed_ = true;
    telemetry_.track(npsDismissedEvent());
}

void NPSFeedbackHost::leave() {
    if (!shown_ || isResolved()) return;
    recordDismissal();
}

void NPSFeedbackHost::pause(QObject* context, std::function<void()> resume) const {
    if (pause_) {
        pause_(context, std::move(resume));
        return;
    }
    QTimer::singleShot(thanksPause, context, std::move(resume));
}

} // namespace qlan
