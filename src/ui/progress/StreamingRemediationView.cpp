#include "ui/progress/StreamingRemediationView.h"

#include "editions/ProductConfig.h"
#include "platform/ServiceContext.h"
#include "progress/ZshrcActivationPreview.h"
#include "telemetry/TelemetryService.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/progress/OutputLinesView.h"
#include "ui/progress/ZshrcActivationCard.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/LinkLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace qlan {

namespace {

QWidget* row(QHBoxLayout** layout) {
    auto* widget = new QWidget;
    *layout = new QHBoxLayout(widget);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    return widget;
}

} // namespace

StreamingRemediationView::StreamingRemediationView(Remediation remediation, OnFinish onFinish,
                                                   TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , onFinish_(std::move(onFinish))
    , telemetry_(telemetry) {
    setAccessibilityIdentifier(this, QStringLiteral("remediation-progress"));
    setAccessibleName(title());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto* header = new QVBoxLayout;
    header->setSpacing(6);
    header->addWidget(new TextLabel(title(), TextRole::title2, FontWeight::semibold));
    auto* subtitle = new TextLabel(StreamingRemediationModel::subtitle(remediation_), TextRole::footnote);
    TypeScale::applySecondaryStyle(subtitle);
    header->addWidget(subtitle);
    layout->addLayout(header);

    output_ = new OutputLinesView(title());
    layout->addWidget(output_, 1);

    cardSlot_ = new QWidget;
    auto* cardLayout = new QVBoxLayout(cardSlot_);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(cardSlot_);

    bottom_ = new QStackedWidget;
    QHBoxLayout* rowLayout = nullptr;

    runningRow_ = row(&rowLayout);
    spinner_ = new ActivityIndicator(ControlSize::small);
    rowLayout->addWidget(spinner_, 0, Qt::AlignVCenter);
    status_ = new TextLabel(QStringLiteral("Running…"), TextRole::footnote);
    TypeScale::applySecondaryStyle(status_);
    rowLayout->addWidget(status_, 0, Qt::AlignVCenter);
    rowLayout->addStretch(1);
    cancel_ = borderedButton(QStringLiteral("Cancel"));
    setAccessibilityIdentifier(cancel_, QStringLiteral("remediation-cancel"));
    rowLayout->addWidget(cancel_);
    bottom_->addWidget(runningRow_);

    // While a ~/.zshrc change waits; the card above shows what it adds.
    pendingRow_ = row(&rowLayout);
    rowLayout->addStretch(1);
    skipZshrc_ = borderedButton(QStringLiteral("Skip"));
    rowLayout->addWidget(skipZshrc_);
    applyZshrc_ = new ProminentButton(QStringLiteral("Apply ~/.zshrc change"), ControlSize::regular);
    applyZshrc_->bindToReturn();
    rowLayout->addWidget(applyZshrc_);
    bottom_->addWidget(pendingRow_);

    succeededRow_ = row(&rowLayout);
    rowLayout->addStretch(1);
    finish_ = new ProminentButton(StreamingRemediationModel::finishLabel(remediation_), ControlSize::regular);
    finish_->bindToReturn();
    rowLayout->addWidget(finish_);
    bottom_->addWidget(succeededRow_);

    failedRow_ = row(&rowLayout);
    article_ =
        new LinkLabel(QStringLiteral("Open the article"), ProductConfig::current().urls.installMethods);
    rowLayout->addWidget(article_);
    rowLayout->addStretch(1);
    close_ = borderedButton(QStringLiteral("Close"));
    rowLayout->addWidget(close_);
    bottom_->addWidget(failedRow_);
    layout->addWidget(bottom_);
    // A row that a job's end shows is named by the outcome, which a screen reader is told then.
    succeededRow_->setAccessibleName(StreamingRemediationModel::successMessage(remediation_));
    pendingRow_->setAccessibleName(succeededRow_->accessibleName());

    connect(cancel_, &QPushButton::clicked, this, [this] { model()->cancel(); });
    connect(skipZshrc_, &QPushButton::clicked, this, [this] { model()->skipZshrc(); });
    connect(applyZshrc_, &QPushButton::clicked, this, [this] { model()->applyZshrc(); });
    connect(finish_, &QPushButton::clicked, this, [this] { model()->finishWithSuccess(); });
    connect(close_, &QPushButton::clicked, this, [this] { model()->finishWithFailure(); });
    refresh();
}

StreamingRemediationModel* StreamingRemediationView::model() {
    if (!model_) {
        model_ = new StreamingRemediationModel(
            remediation_, ServiceContext::services(this),
            [telemetry = &telemetry_](const TelemetryEvent& event) { telemetry->track(event); }, sources_,
            this);
        outputModel_ = new OutputLinesModel(&model_->lines(), this);
        output_->setModel(outputModel_);
        connect(model_, &StreamingRemediationModel::linesAppended, outputModel_,
                &OutputLinesModel::linesAppended);
        card_ = new ZshrcActivationCard(model_->zshrc());
        cardSlot_->layout()->addWidget(card_);
        // Tab reads the card between the output and the bottom row, as it stands.
        QWidget::setTabOrder(output_, card_->rowsView());
        connect(model_, &StreamingRemediationModel::stateChanged, this, &StreamingRemediationView::refresh);
        connect(model_, &StreamingRemediationModel::finished, this,
                [this](const RemediationOutcome& outcome) {
                    if (onFinish_) onFinish_(outcome);
                });
    }
    return model_;
}

void StreamingRemediationView::closeRequested() {
    model()->close();
}

void StreamingRemediationView::escapePressed() {
    model()->escape();
}

QString StreamingRemediationView::statusText() const {
    return status_->text();
}

void StreamingRemediationView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The job starts once the screen is up, from the event loop: a sheet closed in the same turn as it
    // opened reports its cancel without starting anything.
    QMetaObject::invokeMethod(
        this, [this] { model()->start(); }, Qt::QueuedConnection);
    refresh();
}

void StreamingRemediationView::refresh() {
    using Row = StreamingRemediationModel::BottomRow;
    const Row state = model_ ? model_->bottomRow() : Row::running;
    const bool canceling = state == Row::canceling;
    status_->setText(canceling ? QStringLiteral("Canceling…") : QStringLiteral("Running…"));
    cancel_->setEnabled(!canceling);
    // While the write runs it cannot be pressed again; Skip stays, as it ends a wait for another program.
    applyZshrc_->setEnabled(!(model_ && model_->zshrc()->isApplying()));
    QWidget* row = runningRow_;
    switch (state) {
    case Row::running:
    case Row::canceling:
        break;
    case Row::succeededChangePending:
        row = pendingRow_;
        break;
    case Row::succeeded:
        row = succeededRow_;
        break;
    case Row::failed:
        row = failedRow_;
        break;
    }
    showPage(bottom_, row);
    // The end of the job (success, failure or cancel) is told to a screen reader once; the focus stays.
    if (model_ && !model_->isRunning() && model_->exitCode() && !endAnnounced_) {
        endAnnounced_ = true;
        if (state == Row::failed) {
            QTextDocument failure;
            failure.setMarkdown(StreamingRemediationModel::failureText(*model_->exitCode()));
            failedRow_->setAccessibleName(failure.toPlainText().trimmed());
        }
        announceState(canceling ? status_ : bottom_->currentWidget());
    }
}

} // namespace qlan
