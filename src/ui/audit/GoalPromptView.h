#pragma once
// The goal question on the welcome screen: the question, its sub-copy, one row per option, a short
// free-text detail for options that ask for one, and the edition's call-to-action, which reports the
// choice and hands the chosen key to the host.

#include "audit/GoalPromptModel.h"

#include <QWidget>

class QLineEdit;

namespace qlan {

class OptionList;
class ProminentButton;
class TextLabel;

class GoalPromptView : public QWidget {
    Q_OBJECT
public:
    GoalPromptView(GoalPrompt prompt, std::function<void(const QString&)> onContinue,
                   TelemetryService& telemetry, QWidget* parent = nullptr);

    GoalPromptModel& model() { return model_; }
    QLineEdit* detailField() const { return field_; }
    ProminentButton* continueButton() const { return continue_; }

private:
    void showSelection();

    GoalPromptModel model_;
    OptionList* options_ = nullptr;
    QWidget* detailSection_ = nullptr;
    TextLabel* detailCaption_ = nullptr;
    QLineEdit* field_ = nullptr;
    ProminentButton* continue_ = nullptr;
};

} // namespace qlan
