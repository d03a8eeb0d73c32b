#include "ui/progress/OutputLinesView.h"

#include "progress/StreamingRemediationModel.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace qlan {

OutputLinesModel::OutputLinesModel(const QStringList* lines, QObject* parent)
    : OutputRowsModel(parent)
    , lines_(lines) {}

int OutputLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant OutputLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const QString& line = lines_->at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return line;
    case identifierRole:
        return StreamingRemediationModel::outputRowIdentifier(line);
    default:
        return {};
    }
}

void OutputLinesModel::linesAppended(qsizetype first, qsizetype count) {
    if (count <= 0 || first != rows_) return;
    for (qsizetype row = first; row < first + count; ++row)
        noteRow(row, lines_->at(row).size());
    beginInsertRows({}, rows_, int(first + count - 1));
    rows_ = int(first + count);
    endInsertRows();
}

namespace {

// Sizes every row by the widest row of the model, measured as the row draws it.
class WidestRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize hint = QStyledItemDelegate::sizeHint(option, index);
        const auto* rows = qobject_cast<const OutputRowsModel*>(index.model());
        if (!rows || rows->widestRow() < 0) return hint;
        QStyleOptionViewItem widest = option;
        initStyleOption(&widest, rows->index(rows->widestRow()));
        const QWidget* list = option.widget;
        const QStyle* style = list ? list->style() : QApplication::style();
        hint.setWidth(std::max(
            hint.width(), style->sizeFromContents(QStyle::CT_ItemViewItem, &widest, QSize(), list).width()));
        return hint;
    }
};

} // namespace

void scrollLongRowsSideways(QListView* list) {
    auto* delegate = dynamic_cast<WidestRowDelegate*>(list->itemDelegate());
    if (!delegate || delegate->parent() != list) list->setItemDelegate(new WidestRowDelegate(list));
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

OutputLinesView::OutputLinesView(const QString& sheetTitle, QWidget* parent)
    : QListView(parent) {
    setAccessibleName(sheetTitle + QStringLiteral(" output"));
    setAccessibleRole(this, QAccessible::List); // lines to read: no action on a row
    TypeScale::applyMonospaced(this, TextRole::caption);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setSpacing(1); // 2 points between rows
    // Scrolling by item would have the list map every row to a scroll step each time its geometry is
    // updated, which costs milliseconds per update with a million rows.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    applyTextFrame(this);
    setViewportMargins(textFrameViewportMargins(8));
    scrollLongRowsSideways(this);
    setFocusPolicy(Qt::StrongFocus);
    // A step sideways is a few characters; the list would make it a whole row's width.
    horizontalScrollBar()->setSingleStep(4 * fontMetrics().horizontalAdvance(QLatin1Char('0')));
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!scrolling_) following_ = value >= bar->maximum();
    });
    connect(bar, &QScrollBar::rangeChanged, this, &OutputLinesView::followOutput);
}

void OutputLinesView::setModel(QAbstractItemModel* model) {
    if (this->model()) disconnect(this->model(), &QAbstractItemModel::rowsInserted, this, nullptr);
    QListView::setModel(model);
    if (model) connect(model, &QAbstractItemModel::rowsInserted, this, &OutputLinesView::followOutput);
}

void OutputLinesView::followOutput() {
    if (!following_) return;
    scrolling_ = true;
    scrollToBottom();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
    scrolling_ = false;
}

QString OutputLinesView::selectedText() const {
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList{};
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList texts;
    for (const QModelIndex& row : rows)
        texts << row.data().toString();
    return texts.join(QLatin1Char('\n'));
}

void OutputLinesView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        DesktopActions::of(this)->copyToPasteboard(selectedText());
        event->accept();
        return;
    }
    if (scrollByKey(this, event)) return;
    QListView::keyPressEvent(event);
}

} // namespace qlan
