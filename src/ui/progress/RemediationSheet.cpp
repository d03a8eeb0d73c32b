#include "ui/progress/RemediationSheet.h"

namespace qlan {

RemediationSheet::RemediationSheet(Remediation remediation, RemediationProgressView::OnFinish onFinish,
                                   TelemetryService& telemetry, QWidget* parent)
    : SheetDialog(
          new RemediationProgressView(std::move(remediation), std::move(onFinish), telemetry),
          [this] { view_->closeRequested(); }, parent)
    , view_(static_cast<RemediationProgressView*>(content())) {
    setEscapeAction([this] { view_->escapePressed(); });
    // Named after the heading it shows: a screen reader announces the sheet by its window title.
    setWindowTitle(view_->title());
    resize(560, 520);
}

} // namespace qlan
