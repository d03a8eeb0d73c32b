#pragma once
// The content of the remediation sheet: carries out one Remediation and reports how it ended through
// `onFinish` (on the GUI thread). The two fixes that only add the Java block to ~/.zprofile are shown as
// the reviewed diff of ZprofileDiffSheet; every other fix runs on the streaming screen, which this
// build does not have yet: those show a page that says so and report `canceled` when closed. The view
// never dismisses itself; its owner does when `onFinish` delivers the outcome.

#include "progress/RemediationOutcome.h"

#include <QWidget>

#include <functional>

namespace qlan {

class TelemetryService;
class ZprofileDiffSheet;

class RemediationProgressView : public QWidget {
    Q_OBJECT
public:
    using Outcome = RemediationOutcome;
    using OnFinish = std::function<void(const Outcome&)>;

    RemediationProgressView(Remediation remediation, OnFinish onFinish, TelemetryService* telemetry = nullptr,
                            QWidget* parent = nullptr);

    const Remediation& remediation() const { return remediation_; }
    RemediationScreen screen() const { return remediationScreen(remediation_); }
    // The diff screen, when the remediation is one of the two ~/.zprofile fixes.
    ZprofileDiffSheet* diffSheet() const { return diffSheet_; }

    // A close of the sheet (Esc, the close control): the chosen screen's Cancel.
    void cancel();

    static QString unavailableTitle() { return QStringLiteral("This fix isn’t available in this build"); }

private:
    Remediation remediation_;
    OnFinish onFinish_;
    ZprofileDiffSheet* diffSheet_ = nullptr;
};

} // namespace qlan
