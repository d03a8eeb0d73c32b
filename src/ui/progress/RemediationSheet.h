#pragma once
// The window-modal sheet that presents a RemediationProgressView over a screen. Any close of the sheet
// (Esc, the window's close control) is the view's Cancel while its job runs, and reports the job's end
// once it has ended, but Esc on a ~/.zshrc change that waits is its Skip; the sheet goes away only when its
// owner calls `dismiss`, normally from `onFinish`. The sheet is named after the heading its screen shows.

#include "ui/progress/RemediationProgressView.h"
#include "ui/widgets/SheetDialog.h"

namespace qlan {

class RemediationSheet : public SheetDialog {
    Q_OBJECT
public:
    RemediationSheet(Remediation remediation, RemediationProgressView::OnFinish onFinish,
                     TelemetryService& telemetry, QWidget* parent = nullptr);

    RemediationProgressView* view() const { return view_; }

private:
    RemediationProgressView* view_;
};

} // namespace qlan
