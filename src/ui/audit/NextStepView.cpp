#include "ui/audit/NextStepView.h"

#include "ui/audit/AuditWidgets.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/AccessibilityIdentifier.h"
#include "ui/widgets/ProminentButton.h"

#include <QVBoxLayout>

namespace qlan {

NextStepView::NextStepView(NextStepPrompt prompt, QPointer<AppNavigation> navigation,
                           TelemetryService& telemetry, QWidget* parent)
    : QWidget(parent)
    , model_(std::move(prompt), std::move(navigation), telemetry) {
    auto* content = new QWidget;
    QVBoxLayout* items = column(content, 10);
    QList<std::pair<QString, QString>> answers;
    for (const NextStepOption& option : model_.prompt().options)
        answers.append({option.key, option.label});
    options_ = new OptionList(model_.prompt().question, answers, QStringLiteral("next-step-option-"),
                              [this](const QString& key) {
                                  model_.select(key);
                                  showSelection();
                              });
    items->addWidget(options_);
    continue_ = new ProminentButton(QStringLiteral("Show next step"));
    continue_->bindToReturn();
    setAccessibilityIdentifier(continue_, QStringLiteral("next-step-continue"));
    connect(continue_, &QPushButton::clicked, this, [this] { model_.continueOn(); });
    addWithSpace(items, continue_, 8);
    showSelection();

    fillScreen(this, new ScreenScaffold(model_.prompt().question, model_.prompt().leadIn, content,
                                        ScreenScaffold::Options::withoutArticleLink()));
}

void NextStepView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.cameOnScreen();
}

void NextStepView::showSelection() {
    options_->showSelected(model_.selectedKey());
    continue_->setEnabled(model_.canContinue());
}

} // namespace qlan
