#include "ui/progress/OutputLinesView.h"

#include "progress/StreamingRemediationModel.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace qlan {

OutputLinesModel::OutputLinesModel(const QStringList* lines, QObject* parent)
    : QAbstractListModel(parent)
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
    beginInsertRows({}, rows_, int(first + count - 1));
    rows_ = int(first + count);
    endInsertRows();
}

namespace {

// Sizes every row by the widest text the model has held, measured as the row draws it. The widest row is
// taken as the one with the most characters: in a fixed-width font that is the widest but for lines of
// wide (East Asian) characters.
class WidestRowDelegate : public QStyledItemDelegate {
public:
    explicit WidestRowDelegate(QListView* list)
        : QStyledItemDelegate(list) {}

    void follow(QAbstractItemModel* model) {
        if (model_) disconnect(model_, nullptr, this, nullptr);
        model_ = model;
        widest_.clear();
        if (!model) return;
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex& parent, int first, int last) {
                    if (!parent.isValid()) note(first, last);
                });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                    note(topLeft.row(), bottomRight.row());
                });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            widest_.clear();
            note(0, model_->rowCount() - 1);
        });
        note(0, model->rowCount() - 1);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize hint = QStyledItemDelegate::sizeHint(option, index);
        if (widest_.isEmpty()) return hint;
        QStyleOptionViewItem widest = option;
        initStyleOption(&widest, index);
        widest.text = widest_;
        const QWidget* list = option.widget;
        const QStyle* style = list ? list->style() : QApplication::style();
        hint.setWidth(std::max(
            hint.width(), style->sizeFromContents(QStyle::CT_ItemViewItem, &widest, QSize(), list).width()));
        return hint;
    }

private:
    void note(int first, int last) {
        for (int row = std::max(first, 0); row <= last; ++row) {
            const QString text = model_->index(row, 0).data(Qt::DisplayRole).toString();
            if (text.size() > widest_.size()) widest_ = text;
        }
    }

    QPointer<QAbstractItemModel> model_;
    QString widest_;
};

} // namespace

void scrollLongRowsSideways(QListView* list) {
    auto* delegate = dynamic_cast<WidestRowDelegate*>(list->itemDelegate());
    if (!delegate || delegate->parent() != list) {
        delegate = new WidestRowDelegate(list);
        list->setItemDelegate(delegate);
    }
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    delegate->follow(list->model());
}

OutputLinesView::OutputLinesView(QWidget* parent)
    : QListView(parent) {
    setAccessibleName(QStringLiteral("Output"));
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
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!scrolling_) following_ = value >= bar->maximum();
    });
    connect(bar, &QScrollBar::rangeChanged, this, &OutputLinesView::followOutput);
}

void OutputLinesView::setModel(QAbstractItemModel* model) {
    if (this->model()) disconnect(this->model(), &QAbstractItemModel::rowsInserted, this, nullptr);
    QListView::setModel(model);
    scrollLongRowsSideways(this);
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
    QListView::keyPressEvent(event);
}

} // namespace qlan
