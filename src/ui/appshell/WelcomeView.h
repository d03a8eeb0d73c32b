#pragma once
// The root of the navigation stack: the edition's headline and explanation, and the button that opens
// the edition's flow, or the goal question in its place for an edition that asks one.

#include <QWidget>

namespace qlan {

class GoalPromptView;
class ScreenScaffold;
class TelemetryService;

class WelcomeView : public QWidget {
    Q_OBJECT
public:
    // The navigation model is the one nearest above the view (see AppNavigation::nearest). The goal
    // question reports to `telemetry`, which outlives the view.
    explicit WelcomeView(TelemetryService& telemetry, QWidget* parent = nullptr);

    // Pushes the current edition's flow: the guided setup, or the Java diagnosis.
    void start();
    // The goal question's continue action: records the chosen goal, then opens the diagnosis.
    void goalChosen(const QString& goal);

    ScreenScaffold* scaffold() const { return scaffold_; }
    // The goal question; none when the edition asks none.
    GoalPromptView* goalPrompt() const { return goalPrompt_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
    GoalPromptView* goalPrompt_ = nullptr;
};

} // namespace qlan
