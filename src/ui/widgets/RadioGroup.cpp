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
    choices_.append(Choice{choice, choice});
    choice->installEventFilter(this);
    connect(choice, &QAbstractButton::toggled, this, &RadioGroup::updateTabStop);
    connect(choice, &QAbstractButton::clicked, this, [this, choice] { followClick(choice); });
    // Unless an event of its destruction came first (see eventFilter).
    connect(choice, &QObject::destroyed, this, &RadioGroup::forget);
    updateTabStop();
}

RadioGroup* RadioGroup::of(const QWidget* choice) {
    QWidget* container = choice ? choice->parentWidget() : nullptr;
    if (!container) return nullptr;
    for (auto* group : container->findChildren<RadioGroup*>(Qt::FindDirectChildrenOnly))
        if (group->find(choice)) return group;
    return nullptr;
}

const RadioGroup::Choice* RadioGroup::find(const QObject* object) const {
    for (const Choice& choice : choices_)
        if (choice.object == object) return &choice;
    return nullptr;
}

void RadioGroup::forget(const QObject* gone) {
    const Choice* choice = find(gone);
    if (!choice) return;
    const bool wasStop = stop_ == choice->button; // compares the addresses only
    choices_.removeAt(choice - choices_.constData());
    disconnect(gone, nullptr, this, nullptr);
    // The dying choice leaves the focus chain by itself, and the next stop stands beside it there: the
    // group's choices only ever change places among themselves.
    if (wasStop) stop_ = nullptr;
    updateTabStop();
}

void RadioGroup::updateTabStop() {
    // The focused choice while the focus is in the group, else the chosen one, else the first.
    QAbstractButton* stop = nullptr;
    for (const Choice& each : choices_)
        if (each.button->hasFocus()) stop = each.button;
    for (const Choice& each : choices_)
        if (!stop && each.button->isEnabled() && each.button->isChecked()) stop = each.button;
    for (const Choice& each : choices_)
        if (!stop && each.button->isEnabled()) stop = each.button;
    // The new stop takes the old one's place in the focus chain, so that Tab comes to it in reading order:
    // moved while the old one still takes the focus (Qt moves nothing next to a widget that takes none).
    if (stop && stop_ && stop != stop_ && stop->window() == stop_->window()) {
        stop->setFocusPolicy(Qt::FocusPolicy(stop->focusPolicy() | Qt::TabFocus));
        QWidget::setTabOrder(stop_, stop);
    }
    for (const Choice& each : choices_) {
        QAbstractButton* choice = each.button;
        const int policy =
            choice == stop ? choice->focusPolicy() | Qt::TabFocus : choice->focusPolicy() & ~Qt::TabFocus;
        choice->setFocusPolicy(Qt::FocusPolicy(policy));
    }
    stop_ = stop;
}

void RadioGroup::followClick(QAbstractButton* choice) {
    QWidget* focus = choice->window()->focusWidget();
    if (focus == choice || !find(choice)) return;
    for (const Choice& each : choices_)
        if (each.button == focus) {
            choice->setFocus(Qt::MouseFocusReason);
            return;
        }
}

void RadioGroup::move(QAbstractButton* from, int step) {
    const Choice* at = find(from);
    if (!at) return;
    for (qsizetype i = (at - choices_.constData()) + step; i >= 0 && i < choices_.size(); i += step) {
        QAbstractButton* to = choices_.at(i).button;
        if (!to->isEnabled() || !to->isVisibleTo(container_)) continue;
        to->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        to->click();
        return;
    }
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
    // A choice in ~QWidget (its focus going, its last events) is a button no more: forgotten here.
    auto* choice = qobject_cast<QAbstractButton*>(watched);
    if (!choice || !find(watched)) {
        forget(watched);
        return false;
    }
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
