#include "ui/audit/GoalPromptView.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/TextLabel.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qlan {

GoalPromptView::GoalPromptView(GoalPrompt prompt, const QString& continueLabel,
                               std::function<void(const QString&)> onContinue, TelemetryService& telemetry,
                               QWidget* parent)
    : QWidget(parent)
    , model_(std::move(prompt), std::move(onContinue), telemetry) {
    QVBoxLayout* items = column(this, 8);
    items->addWidget(new TextLabel(model_.prompt().question, TextRole::headline));
    auto* subcopy = new TextLabel(model_.prompt().subcopy, TextRole::subheadline);
    TypeScale::applySecondaryStyle(subcopy);
    items->addWidget(subcopy);

    QList<std::pair<QString, QString>> answers;
    for (const GoalOption& option : model_.prompt().options)
        answers.append({option.key, option.label});
    options_ = new OptionList(model_.prompt().question, answers, QStringLiteral("goal-option-"),
                              [this](const QString& key) {
                                  model_.select(key);
                                  showSelection();
                              });
    items->addSpacing(4);
    items->addWidget(options_);

    detailSection_ = new QWidget;
    QVBoxLayout* detail = column(detailSection_, 4);
    detailCaption_ = new TextLabel(QString(), TextRole::caption);
    TypeScale::applySecondaryStyle(detailCaption_);
    detail->addWidget(detailCaption_);
    field_ = new QLineEdit;
    field_->setMaximumWidth(360);
    field_->setObjectName(QStringLiteral("goal-detail-field"));
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString kept = model_.setDetail(text);
        if (kept == text) return;
        const QSignalBlocker blocker(field_);
        field_->setText(kept);
    });
    detail->addWidget(field_, 0, Qt::AlignLeading);
    items->addSpacing(2);
    items->addWidget(detailSection_);

    continue_ = new ProminentButton(continueLabel);
    continue_->bindToReturn();
    setAccessibilityIdentifier(continue_, QStringLiteral("goal-continue"));
    connect(continue_, &QPushButton::clicked, this, [this] { model_.continueTapped(); });
    addWithSpace(items, continue_, 8);
    auto* footnote = new TextLabel(
        QStringLiteral("Nothing changes on your Mac until you review and approve it."), TextRole::footnote);
    TypeScale::applySecondaryStyle(footnote);
    items->addWidget(footnote);
    showSelection();
}

void GoalPromptView::showSelection() {
    options_->showSelected(model_.selectedKey());
    const GoalOption* option = model_.selectedOption();
    const bool asksDetail = option && option->detailPrompt;
    if (asksDetail) {
        detailCaption_->setText(*option->detailPrompt);
        field_->setPlaceholderText(*option->detailPrompt);
        field_->setAccessibleName(*option->detailPrompt);
    }
    if (field_->text() != model_.detail()) {
        const QSignalBlocker blocker(field_);
        field_->setText(model_.detail());
    }
    detailSection_->setVisible(asksDetail);
    continue_->setEnabled(model_.canContinue());
}

} // namespace qlan
