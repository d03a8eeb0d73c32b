#pragma once
// The root of the navigation stack: the edition's headline and explanation, and the button that opens
// the edition's flow (or the goal question, for an edition that asks one; until the goal question's
// screen exists, a placeholder stands in for it).

#include <QWidget>

namespace qlan {

class ScreenScaffold;

class WelcomeView : public QWidget {
    Q_OBJECT
public:
    // The navigation model is the one nearest above the view (see AppNavigation::nearest).
    explicit WelcomeView(QWidget* parent = nullptr);

    // Pushes the current edition's flow: the guided setup, or the Java diagnosis.
    void start();
    // The goal question's continue action: records the chosen goal, then opens the diagnosis.
    void goalChosen(const QString& goal);

    ScreenScaffold* scaffold() const { return scaffold_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
};

} // namespace qlan
