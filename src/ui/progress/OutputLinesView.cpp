#include "ui/progress/OutputLinesView.h"

#include "progress/StreamingRemediationModel.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/TypeScale.h"

#include <QKeyEvent>
#include <QScrollBar>

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
    setTextElideMode(Qt::ElideNone);
    setStyleSheet(QStringLiteral("QListView { border: 1px solid rgba(128, 128, 128, 77); border-radius: 6px; "
                                 "padding: 8px; background: palette(base); }"));
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
    QListView::keyPressEvent(event);
}

} // namespace qlan
