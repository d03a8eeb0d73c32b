#include "ui/audit/AuditScreenSeams.h"

#include "ui/widgets/TextLabel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

std::shared_ptr<NPSFeedbackHost> AuditScreenSeams::hostFor(const AppServices& services) const {
    if (feedbackHost) return feedbackHost;
    return std::make_shared<NPSFeedbackHost>(services.store, telemetry);
}

FixSheetFactory AuditScreenSeams::sheetFactory() const {
    return fixSheet ? fixSheet : FixSheetFactory(unavailableFixSheet);
}

QDialog* AuditScreenSeams::unavailableFixSheet(QWidget* parent, const Remediation& remediation,
                                               std::function<void(FixSheetOutcome)> onFinish) {
    auto* sheet = new QDialog(parent);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(new TextLabel(remediation.title(), TextRole::headline));
    layout->addWidget(new TextLabel(QStringLiteral("This fix is not available in this build.")));
    layout->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"));
    layout->addWidget(close, 0, Qt::AlignTrailing);
    // Every way out of this sheet is a cancel, reported once.
    auto reported = std::make_shared<bool>(false);
    auto report = [reported, onFinish = std::move(onFinish)] {
        if (*reported) return;
        *reported = true;
        if (onFinish) onFinish(FixSheetOutcome::canceled());
    };
    QObject::connect(close, &QPushButton::clicked, sheet, report);
    QObject::connect(sheet, &QDialog::rejected, sheet, report);
    return sheet;
}

} // namespace qlan
