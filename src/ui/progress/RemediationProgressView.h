#pragma once
// The content of the remediation sheet: carries out one Remediation and reports how it ended through
// `onFinish` (on the GUI thread). The two fixes that only add the Java block to ~/.zprofile are shown as
// the reviewed diff of ZprofileDiffSheet; every other fix runs as a job with live output on
// StreamingRemediationView. The view never dismisses itself; its owner does when `onFinish` delivers the
// outcome.

#include "progress/RemediationOutcome.h"

#include <QWidget>

#include <functional>

namespace qlan {

class TelemetryService;
class StreamingRemediationView;
class ZprofileDiffSheet;

class RemediationProgressView : public QWidget {
    Q_OBJECT
public:
    using Outcome = RemediationOutcome;
    using OnFinish = std::function<void(const Outcome&)>;

    RemediationProgressView(Remediation remediation, OnFinish onFinish, TelemetryService& telemetry,
                            QWidget* parent = nullptr);

    const Remediation& remediation() const { return remediation_; }
    RemediationScreen screen() const { return remediationScreen(remediation_); }
    // The diff screen, when the remediation is one of the two ~/.zprofile fixes.
    ZprofileDiffSheet* diffSheet() const { return diffSheet_; }
    // The streaming screen, for every other remediation.
    StreamingRemediationView* streamingView() const { return streamingView_; }
    // The heading of the chosen screen, as plain text.
    QString title() const;

    // A close of the sheet (Esc, the close control): the chosen screen's Cancel while its job runs,
    // afterwards the outcome that job ended with.
    void closeRequested();
    // Esc on the sheet: as a close, but Skip while a ~/.zshrc change waits.
    void escapePressed();

private:
    Remediation remediation_;
    OnFinish onFinish_;
    ZprofileDiffSheet* diffSheet_ = nullptr;
    StreamingRemediationView* streamingView_ = nullptr;
};

} // namespace qlan
