#include "ui/setup/SetupActionProgressView.h"

#include "setup/SetupActionOutput.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

SetupActionProgressView::SetupActionProgressView(const QString& title, QList<SetupRemediation> remediations,
                                                 SetupActionBatch::RunRemediation runner,
                                                 bool continuesPastFailure, OnFinish onFinish,
                                                 const ProductConfig& edition, TelemetryService& telemetry,
                                                 QWidget* parent)
    : QWidget(parent)
    , batch_(new SetupActionBatch(std::move(remediations), continuesPastFailure, std::move(runner), edition,
                                  telemetry, this))
    , output_(new SetupActionOutput(batch_, this))
    , onFinish_(std::move(onFinish))
    , title_(title) {
    setMinimumSize(560, 360);
    QPointer<SetupActionProgressView> self(this);
    batch_->desktop.copyToPasteboard = [self](const QString& code) {
        if (self) DesktopActions::of(self)->copyToPasteboard(code);
    };
    batch_->desktop.openURL = [self](const QUrl& url) {
        if (self) DesktopActions::of(self)->openURL(url);
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    auto* heading = new TextLabel(title, TextRole::headline);
    setAccessibilityIdentifier(heading, QStringLiteral("setup-action-title"));
    layout->addWidget(heading);

    list_ = new OutputLinesView(title);
    setAccessibilityIdentifier(list_, QStringLiteral("setup-action-output"));
    list_->setModel(output_);
    list_->setMinimumHeight(220);
    layout->addWidget(list_, 1);

    running_ = new QWidget;
    auto* runningRow = new QHBoxLayout(running_);
    runningRow->setContentsMargins(0, 0, 0, 0);
    runningRow->addWidget(new ActivityIndicator(ControlSize::small), 0, Qt::AlignVCenter);
    auto* status = new TextLabel(statusText(), TextRole::caption);
    TypeScale::applySecondaryStyle(status);
    setAccessibilityIdentifier(status, QStringLiteral("setup-action-status"));
    runningRow->addWidget(status, 1, Qt::AlignVCenter);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"));
    setAccessibilityIdentifier(cancelButton, QStringLiteral("setup-action-cancel"));
    connect(cancelButton, &QPushButton::clicked, this, &SetupActionProgressView::cancel);
    runningRow->addWidget(cancelButton);
    layout->addWidget(running_);

    ended_ = new QWidget;
    auto* endedRow = new QHBoxLayout(ended_);
    endedRow->setContentsMargins(0, 0, 0, 0);
    endedRow->addStretch(1);
    continue_ = new ProminentButton(QStringLiteral("Continue"));
    setAccessibilityIdentifier(continue_, QStringLiteral("setup-action-continue"));
    continue_->bindToReturn();
    connect(continue_, &QPushButton::clicked, this, &SetupActionProgressView::finish);
    endedRow->addWidget(continue_);
    layout->addWidget(ended_);

    connect(batch_, &SetupActionBatch::ended, this, &SetupActionProgressView::updateBottomRow);
    connect(batch_, &SetupActionBatch::finished, this, [this](Outcome outcome) {
        if (onFinish_) onFinish_(outcome);
    });
    updateBottomRow();
}

void SetupActionProgressView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    startRun();
}

void SetupActionProgressView::startRun() {
    batch_->start();
}

void SetupActionProgressView::cancel() {
    batch_->cancel();
    batch_->finish(Outcome::canceled);
}

void SetupActionProgressView::finish() {
    batch_->finish(batch_->continueOutcome());
}

void SetupActionProgressView::closeRequested() {
    if (batch_->hasEnded())
        finish();
    else
        cancel();
}

void SetupActionProgressView::updateBottomRow() {
    const bool ended = batch_->hasEnded();
    running_->setVisible(!ended);
    ended_->setVisible(ended);
    // The end is told to a screen reader once, by the row that shows it; the focus stays.
    if (ended && ended_->accessibleName().isEmpty()) {
        ended_->setAccessibleName(outcomeText(title_, batch_->continueOutcome(), batch_->exitCode()));
        announceState(ended_);
    }
}

QString SetupActionProgressView::outcomeText(const QString& title, Outcome outcome,
                                             std::optional<std::int32_t> exitCode) {
    switch (outcome) {
    case Outcome::success:
        return title + QStringLiteral(" — done.");
    case Outcome::failure:
        return title + QStringLiteral(" — failed (exit code %1).").arg(exitCode.value_or(-1));
    case Outcome::canceled:
        break;
    }
    return title + QStringLiteral(" — canceled.");
}

} // namespace qlan
