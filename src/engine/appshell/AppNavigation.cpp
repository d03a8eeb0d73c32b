#include "appshell/AppNavigation.h"

namespace qlan {

AppNavigation::AppNavigation(QObject* parent)
    : QObject(parent) {}

void AppNavigation::setPath(QList<Screen> path) {
    emit willChange();
    path_ = std::move(path);
    emit pathChanged();
}

void AppNavigation::push(const Screen& screen) {
    emit willChange();
    path_.append(screen);
    emit pathChanged();
}

void AppNavigation::setSelectedGoal(std::optional<QString> goal) {
    emit willChange();
    selectedGoal_ = std::move(goal);
    emit selectedGoalChanged();
}

void AppNavigation::setSelectedNextStep(std::optional<QString> nextStep) {
    emit willChange();
    selectedNextStep_ = std::move(nextStep);
    emit selectedNextStepChanged();
}

AppNavigation* AppNavigation::nearest(const QObject* from) {
    for (const QObject* obj = from; obj; obj = obj->parent()) {
        if (auto* self = qobject_cast<AppNavigation*>(const_cast<QObject*>(obj))) return self;
        if (auto* held = obj->findChild<AppNavigation*>(QString(), Qt::FindDirectChildrenOnly)) return held;
    }
    return nullptr;
}

} // namespace qlan
