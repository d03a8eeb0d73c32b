#include "ui/progress/RemediationProgressView.h"

#include "ui/progress/StreamingRemediationView.h"
#include "ui/progress/ZprofileDiffSheet.h"

#include <QVBoxLayout>

namespace qlan {

RemediationProgressView::RemediationProgressView(Remediation remediation, OnFinish onFinish,
                                                 TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , onFinish_(std::move(onFinish)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (screen() == RemediationScreen::zprofileDiff) {
        diffSheet_ = new ZprofileDiffSheet(remediation_, onFinish_, telemetry);
        layout->addWidget(diffSheet_);
    } else {
        streamingView_ = new StreamingRemediationView(remediation_, onFinish_, telemetry);
        layout->addWidget(streamingView_);
    }
}

QString RemediationProgressView::title() const {
    return diffSheet_ ? diffSheet_->title() : streamingView_->title();
}

void RemediationProgressView::closeRequested() {
    if (diffSheet_)
        diffSheet_->closeRequested();
    else if (streamingView_)
        streamingView_->closeRequested();
}

void RemediationProgressView::escapePressed() {
    if (diffSheet_)
        diffSheet_->closeRequested();
    else if (streamingView_)
        streamingView_->escapePressed();
}

} // namespace qlan
