#pragma once
// The next-step question: the edition's question and lead-in, one row per answer, and "Show next step",
// which records the answer and opens the screen it leads to.

#include "audit/NextStepModel.h"

#include <QWidget>

class QPushButton;

namespace qlan {

class OptionList;
class ProminentButton;

class NextStepView : public QWidget {
    Q_OBJECT
public:
    NextStepView(NextStepPrompt prompt, QPointer<AppNavigation> navigation, TelemetryService& telemetry,
                 QWidget* parent = nullptr);

    NextStepModel& model() { return model_; }
    ProminentButton* continueButton() const { return continue_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSelection();

    NextStepModel model_;
    OptionList* options_ = nullptr;
    ProminentButton* continue_ = nullptr;
};

} // namespace qlan
