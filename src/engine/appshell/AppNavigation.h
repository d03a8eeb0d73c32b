#pragma once
// The navigation model of one window: the path of pushed screens over the welcome screen, and the
// goal and next step the user chose. Created by the window's root view, which makes it its child; a
// screen finds it with `nearest`, walking up its parents. Lives on the GUI thread only.

#include "appshell/Screen.h"

#include <QList>
#include <QObject>

#include <optional>

namespace qlan {

class AppNavigation : public QObject {
    Q_OBJECT
public:
    explicit AppNavigation(QObject* parent = nullptr);

    const QList<Screen>& path() const { return path_; }
    // Replaces the path: the empty list returns to the welcome screen in one step; the path without
    // its last entry is the stack's back control.
    void setPath(QList<Screen> path);
    // Appends one screen: the stack shows it on top of the current one.
    void push(const Screen& screen);

    const std::optional<QString>& selectedGoal() const { return selectedGoal_; }
    void setSelectedGoal(std::optional<QString> goal);
    const std::optional<QString>& selectedNextStep() const { return selectedNextStep_; }
    void setSelectedNextStep(std::optional<QString> nextStep);

    // The navigation model held by `from` or by its nearest ancestor that holds one (as a direct
    // child); nullptr when there is none.
    static AppNavigation* nearest(const QObject* from);

signals:
    // Every assignment (the same value included) emits willChange before it stores the value, and the
    // property's own signal after.
    void willChange();
    void pathChanged();
    void selectedGoalChanged();
    void selectedNextStepChanged();

private:
    QList<Screen> path_;
    std::optional<QString> selectedGoal_;
    std::optional<QString> selectedNextStep_;
};

} // namespace qlan
