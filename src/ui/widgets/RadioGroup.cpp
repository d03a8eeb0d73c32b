#include "ui/widgets/RadioGroup.h"

#include "ui/widgets/AccessibleRole.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace qlan {

RadioGroup::RadioGroup(QWidget* container, const QString& question)
    : QObject(container)
    , container_(container) {
    setAccessibleRole(container, QAccessible::Grouping);
    setQuestion(question);
}

void RadioGroup::setQuestion(const QString& question) {
    container_->setAccessibleName(question);
}

void RadioGroup::addChoice(QAbstractButton* choice) {
    choices_.append(choice);
    choice->installEventFilter(this);
    connect(choice, &QAbstractButton::toggled, this, &RadioGroup::updateTabStop);
    connect(choice, &QObject::destroyed, this, [this, choice] {
        choices_.removeOne(choice);
        updateTabStop();
    });
    updateTabStop();
}

RadioGroup* RadioGroup::of(const QWidget* choice) {
    QWidget* container = choice ? choice->parentWidget() : nullptr;
    if (!container) return nullptr;
    for (auto* group : container->findChildren<RadioGroup*>(Qt::FindDirectChildrenOnly))
        if (group->choices_.contains(choice)) return group;
    return nullptr;
}

void RadioGroup::updateTabStop() {
    // The focused choice while the focus is in the group, else the chosen one, else the first.
    QAbstractButton* stop = nullptr;
    for (QAbstractButton* choice : choices_)
        if (choice->hasFocus()) stop = choice;
    for (QAbstractButton* choice : choices_)
        if (!stop && choice->isEnabled() && choice->isChecked()) stop = choice;
    for (QAbstractButton* choice : choices_)
        if (!stop && choice->isEnabled()) stop = choice;
    for (QAbstractButton* choice : choices_) {
        const int policy =
            choice == stop ? choice->focusPolicy() | Qt::TabFocus : choice->focusPolicy() & ~Qt::TabFocus;
        choice->setFocusPolicy(Qt::FocusPolicy(policy));
    }
    // The new stop takes the old one's place in the focus chain, so that Tab comes to it in reading order.
    if (stop && stop_ && stop != stop_ && stop->window() == stop_->window())
        QWidget::setTabOrder(stop_, stop);
    stop_ = stop;
}

void RadioGroup::move(QAbstractButton* from, int step) {
    for (qsizetype i = choices_.indexOf(from) + step; i >= 0 && i < choices_.size(); i += step) {
        QAbstractButton* to = choices_.at(i);
        if (!to->isEnabled() || !to->isVisibleTo(container_)) continue;
        to->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        to->click();
        return;
    }
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
    auto* choice = static_cast<QAbstractButton*>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
        updateTabStop();
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() | Qt::KeypadModifier) != Qt::KeypadModifier) break;
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left) {
            move(choice, -1);
            return true;
        }
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right) {
            move(choice, +1);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace qlan
