#include "ui/widgets/AccessibleRole.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QScrollArea>
#include <QVariant>

// The Mac's Qt accessibility bridge drops an alert event before Qt 6.8, and only 6.8 has the announcement
// event: with an older Qt, VoiceOver would hear nothing of what announceState tells.
#if defined(__APPLE__) && QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#error "A Mac build needs Qt 6.8 or later, whose announcements VoiceOver hears."
#endif

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

// The rows of a list: those of an item view's model, or the labels a scroll area's content lays out.
class ListRows {
public:
    explicit ListRows(QWidget* list)
        : list_(list) {}

    int count() const {
        if (const QAbstractItemView* view = itemView())
            return view->model() ? view->model()->rowCount(view->rootIndex()) : 0;
        return int(labels().size());
    }
    QString text(int row) const {
        if (const QAbstractItemView* view = itemView()) {
            const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
            const QVariant spoken = index.data(Qt::AccessibleTextRole);
            return spoken.isValid() ? spoken.toString() : index.data().toString();
        }
        return labels().at(row)->text();
    }
    // Whether the row can be selected, and is: an item view's rows as its selection holds them.
    bool selectable() const {
        const QAbstractItemView* view = itemView();
        return view && view->selectionMode() != QAbstractItemView::NoSelection;
    }
    bool selected(int row) const {
        const QAbstractItemView* view = itemView();
        return view && view->selectionModel() &&
               view->selectionModel()->isSelected(view->model()->index(row, 0, view->rootIndex()));
    }
    // Whether a row can hold the focus (an item view's can), and the row that holds it: the current row
    // while the view has the focus; -1 for none.
    bool focusable() const { return itemView() != nullptr; }
    int focusedRow() const {
        const QAbstractItemView* view = itemView();
        return view && view->hasFocus() && view->currentIndex().isValid() ? view->currentIndex().row() : -1;
    }
    // On the screen.
    QRect rect(int row) const {
        if (const QAbstractItemView* view = itemView()) {
            const QRect shown = view->visualRect(view->model()->index(row, 0, view->rootIndex()));
            return QRect(view->viewport()->mapToGlobal(shown.topLeft()), shown.size());
        }
        const QLabel* label = labels().at(row);
        return QRect(label->mapToGlobal(QPoint(0, 0)), label->size());
    }
    // The row at a point on the screen; -1 for none.
    int rowAt(const QPoint& global) const {
        if (const QAbstractItemView* view = itemView()) {
            const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(global));
            return index.isValid() ? index.row() : -1;
        }
        for (int row = 0; row < count(); ++row)
            if (rect(row).contains(global)) return row;
        return -1;
    }

private:
    const QAbstractItemView* itemView() const { return qobject_cast<const QAbstractItemView*>(list_); }
    QList<const QLabel*> labels() const {
        QList<const QLabel*> labels;
        const auto* area = qobject_cast<const QScrollArea*>(list_);
        const QLayout* layout = area && area->widget() ? area->widget()->layout() : nullptr;
        for (int i = 0; layout && i < layout->count(); ++i)
            if (const auto* label = qobject_cast<const QLabel*>(layout->itemAt(i)->widget()))
                labels.append(label);
        return labels;
    }

    QWidget* list_;
};

// One row of a list: its text, and nothing to do with it.
class ListRow : public QAccessibleInterface {
public:
    ListRow(QWidget* list, int row)
        : list_(list)
        , row_(row) {}

    bool isValid() const override { return list_ && row_ < ListRows(list_).count(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(list_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? ListRows(list_).text(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return isValid() ? ListRows(list_).rect(row_) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !isValid() || !list_->isVisible();
        if (!state.invisible) {
            const ListRows rows(list_);
            state.selectable = rows.selectable();
            state.selected = rows.selected(row_);
            state.focusable = rows.focusable();
            state.focused = rows.focusedRow() == row_;
        }
        return state;
    }
    int row() const { return row_; }

private:
    QPointer<QWidget> list_;
    int row_;
};

class RowList : public QAccessibleWidget {
public:
    explicit RowList(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::List) {}
    ~RowList() override {
        for (QAccessible::Id id : std::as_const(rows_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return ListRows(widget()).count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (const auto made = rows_.constFind(index); made != rows_.cend())
            return QAccessible::accessibleInterface(*made);
        auto* row = new ListRow(widget(), index);
        rows_.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* row = dynamic_cast<const ListRow*>(child);
        return row && row->parent() == this ? row->row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return child(ListRows(widget()).rowAt({x, y}));
    }
    // While the list has the focus, the row the keyboard is on has it.
    QAccessibleInterface* focusChild() const override {
        const int row = ListRows(widget()).focusedRow();
        return row >= 0 ? child(row) : QAccessibleWidget::focusChild();
    }

private:
    mutable QHash<int, QAccessible::Id> rows_;
};

QAccessibleInterface* roledWidgetFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    const QVariant role = widget->property(kRoleProperty);
    if (!role.isValid()) return nullptr;
    if (role.toInt() == QAccessible::List) return new RowList(widget);
    return new RoledWidget(widget, QAccessible::Role(role.toInt()));
}

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    // Installed after the application's own factories, so asked before them.
    static const bool installed = (QAccessible::installFactory(roledWidgetFactory), true);
    Q_UNUSED(installed);
    widget->setProperty(kRoleProperty, int(role));
    // Qt makes a widget's interface as soon as a change of its text or state during construction is
    // announced; one made before the role was set (Qt's own, even of the same role) is dropped, so that
    // the next query makes it anew.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && !dynamic_cast<RoledWidget*>(made) && !dynamic_cast<RowList*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void announceState(QWidget* carrier) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(carrier);
    if (!interface) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(carrier, interface->text(QAccessible::Name));
#else // outside a Mac only
    QAccessibleEvent event(carrier, QAccessible::Alert);
#endif
    QAccessible::updateAccessibility(&event);
}

} // namespace qlan
