#pragma once
// The root of the navigation stack: the edition's headline and explanation, and the button that opens
// the edition's flow (or the goal question, for an edition that asks one).

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

    ScreenScaffold* scaffold() const { return scaffold_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
};

} // namespace qlan
