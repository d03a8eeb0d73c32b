#pragma once
// What every screen that hosts the feedback card does around it, and the services the card works with:
// whether to include the card (it has not been answered on this Mac before), "nps_shown" when it first
// comes on screen (once per screen and once per process), the card's own "nps_submitted" and
// "nps_dismissed", the persistent answered marker, and "nps_dismissed" when the user leaves the screen
// without having answered or dismissed the card. One host per hosting screen, used on the GUI thread.

#include "platform/KeyValueStoring.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace qlan {

class TelemetryService;

class NPSFeedbackHost {
public:
    // Waits out the thanks pause after a submission, then calls `resume` on the GUI thread; `resume`
    // is dropped when `context` is destroyed first.
    using Pause = std::function<void(QObject* context, std::function<void()> resume)>;

    static constexpr std::chrono::milliseconds thanksPause{1500};

    // Events go to `telemetry`, which outlives the host; the marker lives in `store` under the
    // application's key prefix. Without a pause the host waits `thanksPause` on a timer.
    NPSFeedbackHost(QString keyPrefix, std::shared_ptr<KeyValueStoring> store, TelemetryService& telemetry,
                    Pause pause = {});

    // The key of the answered marker: the application's key prefix followed by ".nps_submitted".
    static QString submittedKey(const QString& keyPrefix);
    // The card has been answered on this Mac (in this or an earlier run): hosts then leave it out.
    bool wasSubmittedBefore() const;

    // The card came on screen. The first call sends "nps_shown" unless another screen of this run
    // already did; later calls do nothing.
    void cardCameOnScreen();
    // The card's submission: sends "nps_submitted" with the score and reason, then writes the marker.
    void recordSubmission(int score, const QString& reason);
    // The card's Dismiss control: sends "nps_dismissed".
    void recordDismissal();
    // The user leaves the hosting screen: sends "nps_dismissed" when the card came on screen and was
    // neither submitted nor dismissed. Never sends twice.
    void leave();

    bool hasCardCameOnScreen() const { return shown_; }
    bool isSubmitted() const { return submitted_; }
    // Submitted or dismissed.
    bool isResolved() const { return submitted_ || dismissed_; }

    void pause(QObject* context, std::function<void()> resume) const;

private:
    QString keyPrefix_;
    std::shared_ptr<KeyValueStoring> store_;
    TelemetryService& telemetry_;
    Pause pause_;
    bool shown_ = false;
    bool submitted_ = false;
    bool dismissed_ = false;
};

} // namespace qlan
