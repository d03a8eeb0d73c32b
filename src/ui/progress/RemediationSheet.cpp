#include "ui/progress/RemediationSheet.h"

#include <QVBoxLayout>

namespace qlan {

RemediationSheet::RemediationSheet(Remediation remediation, RemediationProgressView::OnFinish onFinish,
                                   TelemetryService* telemetry, QWidget* parent)
    : QDialog(parent)
    , view_(new RemediationProgressView(std::move(remediation), std::move(onFinish), telemetry)) {
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(560, 520);
}

void RemediationSheet::dismiss() {
    QDialog::done(QDialog::Accepted);
}

void RemediationSheet::reject() {
    view_->cancel();
}

} // namespace qlan
