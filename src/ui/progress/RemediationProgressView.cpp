#include "ui/progress/RemediationProgressView.h"

#include "ui/progress/ZprofileDiffSheet.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

namespace {

// Stands in for the streaming screen: names the fix, says it cannot run here, and offers "Close".
QWidget* makeUnavailablePage(const Remediation& remediation, std::function<void()> onClose) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);
    layout->addWidget(
        new TextLabel(RemediationProgressView::unavailableTitle(), TextRole::headline, FontWeight::semibold));
    auto* body = new TextLabel(QStringLiteral("“%1” can’t be carried out from this build of Quillane yet. "
                                              "Nothing was changed on your Mac.")
                                   .arg(remediation.title()),
                               TextRole::body);
    layout->addWidget(body);
    layout->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Close"));
    QObject::connect(close, &QPushButton::clicked, page, std::move(onClose));
    row->addWidget(close);
    layout->addLayout(row);
    return page;
}

} // namespace

RemediationProgressView::RemediationProgressView(Remediation remediation, OnFinish onFinish,
                                                 TelemetryService* telemetry, QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , onFinish_(std::move(onFinish)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (screen() == RemediationScreen::zprofileDiff) {
        diffSheet_ = new ZprofileDiffSheet(remediation_, onFinish_, telemetry);
        layout->addWidget(diffSheet_);
    } else {
        layout->addWidget(makeUnavailablePage(remediation_, [this] { cancel(); }));
    }
}

void RemediationProgressView::cancel() {
    if (diffSheet_)
        diffSheet_->cancel();
    else if (onFinish_)
        onFinish_(Outcome::canceled());
}

} // namespace qlan
