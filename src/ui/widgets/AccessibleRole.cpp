#include "ui/widgets/AccessibleRole.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QVariant>

namespace qlan {
namespace {

constexpr char kRoleProperty[] = "qlanAccessibleRole";

class RoledWidget : public QAccessibleWidget {
public:
    RoledWidget(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            if (const QAbstractButton* button = this->button()) text = button->text();
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (const QAbstractButton* button = this->button()) {
            state.checkable = button->isCheckable();
            state.checked = button->isChecked();
            state.pressed = button->isDown();
        }
        state.linked = role() == QAccessible::Link;
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (button() && widget()->isEnabled()) names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction() && button())
            button()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

    int childCount() const override { return readsAsOne() ? 0 : QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override {
        return readsAsOne() ? nullptr : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return readsAsOne() ? -1 : QAccessibleWidget::indexOfChild(child);
    }

private:
    QAbstractButton* button() const { return qobject_cast<QAbstractButton*>(widget()); }
    bool readsAsOne() const { return role() == QAccessible::Link || role() == QAccessible::RadioButton; }
};

QAccessibleInterface* roledWidgetFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    const QVariant role = widget->property(kRoleProperty);
    return role.isValid() ? new RoledWidget(widget, QAccessible::Role(role.toInt())) : nullptr;
}

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    // Installed after the application's own factories, so asked before them.
    static const bool installed = (QAccessible::installFactory(roledWidgetFactory), true);
    Q_UNUSED(installed);
    widget->setProperty(kRoleProperty, int(role));
    // Qt makes a widget's interface as soon as a change of its text or state during construction is
    // announced; one made before the role was set is dropped, so that the next query makes it anew.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && made->role() != role) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace qlan
