#include "ui/progress/OutputLinesView.h"

#include "progress/StreamingRemediationModel.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/FramedBox.h"
#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/TypeScale.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

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

qsizetype OutputLinesModel::rowLength(int row) const {
    return lines_->at(row).size();
}

void OutputLinesModel::linesAppended(qsizetype first, qsizetype count) {
    if (count <= 0 || first != rows_) return;
    beginInsertRows({}, rows_, int(first + count - 1));
    rows_ = int(first + count);
    endInsertRows();
}

namespace {

// Where a row's text stands inside the row: within the margins the style gives an item view's text.
QRect textArea(const QRect& row, const QWidget* widget) {
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return row.adjusted(margin, 0, -margin, 0);
}

// Lays the text out in lines of at most `width` pixels, broken between words where the text has them and
// anywhere in a word longer than a line; returns the height of the lines.
qreal wrapLines(QTextLayout& layout, int width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

// The height of a row whose text `layout` holds, wrapped at `width`: whole lines of `lineHeight`.
int wrappedHeight(QTextLayout& layout, int width, int lineHeight) {
    const qreal height = wrapLines(layout, width);
    return std::max(layout.lineCount() * lineHeight, int(std::ceil(height)));
}

// Draws a row as the style draws a row of an item view (the selection, the focus frame), its text
// wrapped to the row's width.
class WrappedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        QTextLayout layout(row.text, row.font);
        row.text.clear();
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);
        const QRect area = textArea(row.rect, widget);
        wrapLines(layout, area.width());
        const QPalette::ColorGroup group = !(row.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : row.state & QStyle::State_Active   ? QPalette::Normal
                                                                                : QPalette::Inactive;
        painter->save();
        painter->setPen(row.palette.color(
            group, row.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        layout.draw(painter, area.topLeft());
        painter->restore();
    }
};

int clampedToInt(qint64 value) {
    return int(
        std::clamp<qint64>(value, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

constexpr int barMaximum = std::numeric_limits<int>::max();

} // namespace

OutputLinesView::OutputLinesView(const QString& sheetTitle, QWidget* parent)
    : QListView(parent) {
    setAccessibleName(sheetTitle + QStringLiteral(" output"));
    setAccessibleRole(this, QAccessible::List); // lines to read: no action on a row
    TypeScale::applyMonospaced(this, TextRole::caption);
    setItemDelegate(new WrappedRowDelegate(this));
    setSpacing(1); // 2 points between rows
    // The vertical scroll bar's value is the offset of the rows in pixels.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    applyTextFrame(this);
    setViewportMargins(textFrameViewportMargins(8));
    setFocusPolicy(Qt::StrongFocus);
    rows_.setMetrics(rowMetrics());
    rowFont_ = font();
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, &OutputLinesView::barAction);
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (scrolling_) return;
        // The scroll bar's ends (dragged there, set, or reached by the wheel) name the first and the last
        // row; a value between them moves the rows there.
        if (value > bar->minimum() && value < bar->maximum()) {
            if (value != toBar(offset_)) moveTo(fromBar(value));
            if (offset_ < scrollRange()) {
                following_ = false;
                placeAtEdge(Place::top);
                syncScrollBar();
                return;
            }
        }
        showEnd(value > bar->minimum());
    });
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
        // With no row selected there is nothing to copy: what the pasteboard holds stays there.
        if (selection_.hasSelection()) DesktopActions::of(this)->copyToPasteboard(selectedText());
        event->accept();
        return;
    }
    // A current row the focus gave follows the view the keys move, and a screen reader is told where it went;
    // at an end of the view, the key moves that row itself.
    keyScrolling_ = true;
    const int before = selection_.current();
    const qint64 from = offset_;
    const bool scrolled = scrollByKey(this, event);
    if (const auto step = keyStep(event->key()); scrolled && step) {
        stepPlace(*step, before);
        // A step that moved the view or the row leaves the reader's place (Home and End leave an edge).
        if (*step != MoveHome && *step != MoveEnd && (offset_ != from || selection_.current() != before))
            keysPlaced_ = true;
    }
    keyScrolling_ = false;
    if (scrolled) return;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ShiftModifier && extendByKey(event->key())) {
        event->accept();
        return;
    }
    // Space selects the current row; with Command its selection turns over.
    if (event->key() == Qt::Key_Space && (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier)) {
        selection_.selectCurrent(modifiers == Qt::ControlModifier);
        showSelection(false);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

std::optional<QAbstractItemView::CursorAction> OutputLinesView::keyStep(int key) {
    static constexpr std::pair<int, CursorAction> steps[] = {
        {Qt::Key_Up, MoveUp},         {Qt::Key_Down, MoveDown},
        {Qt::Key_PageUp, MovePageUp}, {Qt::Key_PageDown, MovePageDown},
        {Qt::Key_Home, MoveHome},     {Qt::Key_End, MoveEnd},
    };
    for (const auto& [each, action] : steps)
        if (each == key) return action;
    return std::nullopt;
}

bool OutputLinesView::extendByKey(int key) {
    const std::optional<CursorAction> step = keyStep(key);
    if (!step) return false;
    if (rows_.count() == 0) return true;
    const int before = selection_.current();
    const OutputRowSelection::Ranges selected = selection_.selected();
    const bool towardEnd = *step == MoveDown || *step == MovePageDown || *step == MoveEnd;
    const int edgeRow = rowAtEdge(towardEnd).row();
    selection_.extendTo(stepFrom(selection_.stepStart(currentInView(), edgeRow), *step));
    // A step that cannot move changes nothing but shows where the reader is; one that started over and came
    // back to its row changed the selection.
    if (selection_.current() == before && selection_.selected() == selected) {
        if (!currentInView()) scrollTo(currentIndex());
        return true;
    }
    showSelection(true);
    scrollTo(currentIndex());
    return true;
}

void OutputLinesView::stepPlace(CursorAction action, int before) {
    const bool up = action == MoveUp || action == MovePageUp;
    if (!up && action != MoveDown && action != MovePageDown) return;
    // Only where the view stands at the end the key moves toward, and the row stayed as it moved there.
    if (!selection_.followsView() || selection_.current() != before ||
        (up ? offset_ > 0 : offset_ < scrollRange()))
        return;
    if (!selection_.viewMoved(stepFrom(before, action))) return;
    place_ = Place::within;
    placeY_ = visualRect(rowIndex(selection_.current())).intersected(viewport()->rect()).center().y();
    showSelection(true);
}

void OutputLinesView::placeAtEdge(Place place) {
    place_ = place;
    keysPlaced_ = false;
}

void OutputLinesView::carryPlace(qint64 moved) {
    const QRect area = viewport()->rect();
    const QRect row = visualRect(rowIndex(selection_.current()));
    const QRect shown = row.intersected(area);
    if (shown.isEmpty()) return placeAtEdge(edgePlace());
    // The point of the row the place stood at (the middle of what the view showed of it at an edge) moves as
    // far as the rows moved, staying on the row.
    const int at = place_ == Place::within
                       ? placeY_
                       : row.translated(0, clampedToInt(moved)).intersected(area).center().y();
    placeY_ = int(std::clamp<qint64>(at - moved, shown.top(), shown.bottom()));
    place_ = Place::within;
}

void OutputLinesView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || rows_.count() == 0) {
        event->ignore();
        return;
    }
    const int row = rowAtPoint(event->position().toPoint());
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (row < 0) {
        if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) selection_.clickOnNoRow();
    } else if (modifiers & Qt::ShiftModifier) {
        selection_.shiftClick(row);
    } else if (modifiers & Qt::ControlModifier) { // Command on a Mac
        selection_.commandClick(row);
    } else {
        selection_.click(row);
    }
    dragging_ = row >= 0;
    dragPointer_ = event->globalPosition().toPoint();
    dragTold_ = selection_.current();
    if (dragging_) setState(DragSelectingState);
    showSelection(true);
    event->accept();
}

void OutputLinesView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QListView::mouseMoveEvent(event); // hovering
    event->accept();
    if (!dragging_ || rows_.count() == 0) return;
    dragPointer_ = event->globalPosition().toPoint();
    dragToPointer();
    if (dragScrollStep() == 0)
        dragScroll_.stop();
    else if (!dragScroll_.isActive())
        dragScroll_.start(dragScrollInterval, this);
}

void OutputLinesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->ignore();
    if (std::exchange(dragging_, false)) {
        if (selection_.current() != dragTold_) tellCurrentRow();
        if (following_) updateGeometries(); // shows the rows that arrived during the drag
    }
    dragScroll_.stop();
    setState(NoState);
    event->accept();
}

bool OutputLinesView::dragHeld() const {
    // The button let go where the list did not hear it (another window took the pointer) ends the drag too.
    return dragging_ && (QGuiApplication::mouseButtons() & Qt::LeftButton);
}

int OutputLinesView::dragPointerY() const {
    return viewport()->mapFromGlobal(dragPointer_).y();
}

int OutputLinesView::dragScrollStep() const {
    // Inside the margin at an edge, or past the edge, the rows scroll toward the pointer by a pixel per tick
    // for each pixel it stands into the margin or beyond it, at most a view's height.
    const int y = dragPointerY();
    const int height = viewport()->height();
    const int margin = std::clamp(autoScrollMargin(), 1, std::max(1, height / 3));
    if (y < margin) return -std::min(margin - y, height);
    if (y >= height - margin) return std::min(y - (height - margin) + 1, height);
    return 0;
}

void OutputLinesView::dragToPointer() {
    // Past the first or the last row the selection extends to it; past an edge of the view, to the row
    // shown at that edge, as the view is drawn: the rows in view are measured first.
    measureShown();
    const int height = viewport()->height();
    const int y = std::clamp(dragPointerY(), 0, std::max(0, height - 1));
    int row = rows_.rowAt(offset_ + y);
    if (row < 0) return;
    // The edge's pixel may stand in the gap beside a row whose text is out of view: the drag reaches the
    // row beside it, whose text shows.
    const qint64 textTop = rows_.top(row) + spacing() - offset_;
    if (textTop >= height && row > 0)
        --row;
    else if (textTop + rows_.height(row) <= 0 && row + 1 < rows_.count())
        ++row;
    if (row == selection_.current()) return;
    selection_.extendTo(row);
    showSelection(false); // a screen reader hears where the drag ends
}

void OutputLinesView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != dragScroll_.timerId()) return QListView::timerEvent(event);
    const int step = dragHeld() ? dragScrollStep() : 0;
    if (step == 0) {
        dragScroll_.stop();
        return;
    }
    scrollRowsBy(step);
    dragToPointer();
}

void OutputLinesView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event); // a second press: no row is opened
}

void OutputLinesView::selectAll() {
    selection_.selectAll(model() ? model()->rowCount(rootIndex()) : 0);
    showSelection(false);
}

void OutputLinesView::focusInEvent(QFocusEvent* event) {
    const Place place = edgePlace();
    const int row = rowAtPlace(place).row();
    if (selection_.focusIn(row, currentInView())) placeAtEdge(place);
    showSelection(true);
    QListView::focusInEvent(event);
}

int OutputLinesView::rowAtPoint(const QPoint& point) const {
    const qint64 y = std::max<qint64>(0, offset_ + point.y());
    return y < rows_.total() ? rows_.rowAt(y) : -1;
}

bool OutputLinesView::currentInView() const {
    const int row = selection_.current();
    return row >= 0 && row < rows_.count() && visualRect(rowIndex(row)).intersects(viewport()->rect());
}

void OutputLinesView::showSelection(bool tell) {
    QItemSelectionModel* model = selectionModel();
    if (!model) return;
    const bool was = std::exchange(showing_, true);
    if (const QModelIndex current = rowIndex(selection_.current()); model->currentIndex() != current) {
        // The row the reader acts on is in view already, or brought there by whoever moved it.
        const bool autoScroll = hasAutoScroll();
        setAutoScroll(false);
        model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        setAutoScroll(autoScroll);
    }
    if (selection_.selected() != shownSelection_) {
        QItemSelection rows;
        for (const OutputRowSelection::Range& range : selection_.selected())
            rows.append(QItemSelectionRange(rowIndex(range.first), rowIndex(range.last)));
        model->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        shownSelection_ = selection_.selected();
    }
    showing_ = was;
    if (tell) tellCurrentRow();
}

void OutputLinesView::takeSelectionFromModel() {
    const QItemSelectionModel* model = selectionModel();
    if (!model || showing_) return;
    OutputRowSelection::Ranges pieces;
    for (const QItemSelectionRange& range : model->selection())
        if (range.isValid() && range.parent() == rootIndex()) pieces.append({range.top(), range.bottom()});
    selection_.take(model->currentIndex().isValid() ? model->currentIndex().row() : -1, pieces);
    shownSelection_ = selection_.selected();
}

void OutputLinesView::tellCurrentRow() {
    if (std::exchange(tellQueued_, true)) return;
    // After the list's own focus event, which the focus coming in sends once this handler returns.
    QMetaObject::invokeMethod(
        this,
        [this] {
            tellQueued_ = false;
            const QModelIndex current = currentIndex();
            if (!QAccessible::isActive() || !hasFocus() || !current.isValid()) return;
            QAccessibleEvent event(this, QAccessible::Focus);
            event.setChild(current.row());
            QAccessible::updateAccessibility(&event);
        },
        Qt::QueuedConnection);
}

OutputLinesView::Place OutputLinesView::edgePlace() const {
    return following_ ? Place::bottom : Place::top;
}

QModelIndex OutputLinesView::rowInView() {
    return rowAtPlace(place_);
}

QModelIndex OutputLinesView::rowAtPlace(Place place) {
    if (place != Place::within) return rowAtEdge(place == Place::bottom);
    measureShown();
    const int y = std::clamp(placeY_, 0, std::max(0, viewport()->height() - 1));
    return rows_.count() == 0 ? QModelIndex() : rowIndex(rows_.rowAt(offset_ + y));
}

QModelIndex OutputLinesView::rowAtEdge(bool bottom) {
    const int count = rows_.count();
    if (count == 0) return {};
    measureShown();
    const qint64 viewTop = offset_;
    const qint64 viewEnd = offset_ + viewport()->height();
    // How many of a row's pixels the view shows.
    const auto shown = [&](int row) {
        const qint64 top = rows_.top(row) + spacing();
        return std::max<qint64>(0, std::min(top + rows_.height(row), viewEnd) - std::max(top, viewTop));
    };
    // The view shows the larger part of the row, or the row fills the larger part of the view.
    const auto mostlyShown = [&](int row) {
        return 2 * shown(row) >= std::min<qint64>(rows_.height(row), viewEnd - viewTop);
    };
    const int row = rows_.rowAt(bottom ? viewEnd - 1 : viewTop);
    // A row that is not mostly shown gives way to the one beside it, inside the view.
    const int beside = row + (bottom ? -1 : 1);
    if (beside >= 0 && beside < count && !mostlyShown(row) && shown(beside) > 0) return rowIndex(beside);
    return rowIndex(row);
}

int OutputLinesView::textWidth() const {
    return textArea(QRect(0, 0, viewport()->width() - 2 * spacing(), 1), this).width();
}

OutputRowHeights::Metrics OutputLinesView::rowMetrics() const {
    const QFontMetricsF metrics(font());
    const qreal advance = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('0')));
    const int width = textWidth();
    return {int(std::ceil(metrics.height())), int(std::max<qreal>(1, width / advance)), 2 * spacing(), width};
}

QModelIndex OutputLinesView::rowIndex(int row) const {
    return model() ? model()->index(row, modelColumn(), rootIndex()) : QModelIndex();
}

void OutputLinesView::appendRows(int first, int last) {
    const auto* lengths = qobject_cast<const OutputRowsModel*>(model());
    for (int row = first; row <= last; ++row)
        rows_.append(lengths ? lengths->rowLength(row) : rowIndex(row).data().toString().size());
}

bool OutputLinesView::measure(int row) {
    if (rows_.isMeasured(row)) return false;
    QTextLayout layout(rowIndex(row).data().toString(), rowFont_);
    return setHeight(row, wrappedHeight(layout, rows_.metrics().textWidth, rows_.metrics().lineHeight));
}

bool OutputLinesView::setHeight(int row, int height) {
    const int before = rows_.height(row);
    if (!rows_.setMeasured(row, height)) return false;
    const int change = rows_.height(row) - before;
    if (row < anchor_) {
        offset_ += change; // what is shown stays where it is
        return true;
    }
    // The rows below move: the rows shown are drawn anew.
    viewport()->update();
    const int slot = rows_.height(row) + rows_.metrics().gap;
    if (row == anchor_ && into_ >= slot) {
        offset_ -= into_ - (slot - 1);
        into_ = slot - 1;
    }
    return true;
}

bool OutputLinesView::measureRows(qint64 from, qint64 to) {
    bool changed = false;
    int row = rows_.rowAt(from);
    if (row < 0) return false;
    for (qint64 top = rows_.top(row); row < rows_.count() && top < to; ++row) {
        changed = measure(row) || changed;
        top += rows_.height(row) + rows_.metrics().gap;
    }
    return changed;
}

void OutputLinesView::measureShown() {
    // The rows below a row measured anew are drawn anew; the scroll range takes the heights after this turn.
    if (measureRows(offset_, offset_ + viewport()->height()) && !geometryQueued_) {
        geometryQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            geometryQueued_ = false;
            updateGeometries();
        });
    }
}

bool OutputLinesView::measureRowsUpTo(int last) {
    bool changed = false;
    qint64 filled = 0;
    for (int row = last; row >= 0 && filled < viewport()->height(); --row) {
        changed = measure(row) || changed;
        filled += rows_.height(row) + rows_.metrics().gap;
    }
    return changed;
}

QRect OutputLinesView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex() || index.column() != modelColumn() ||
        index.row() >= rows_.count())
        return {};
    const qint64 top = rows_.top(index.row()) + spacing() - offset_;
    return {spacing(), clampedToInt(top), viewport()->width() - 2 * spacing(), rows_.height(index.row())};
}

QModelIndex OutputLinesView::indexAt(const QPoint& point) const {
    const int row = rows_.rowAt(point.y() + offset_);
    if (row < 0) return {};
    const QModelIndex index = rowIndex(row);
    return visualRect(index).contains(point) ? index : QModelIndex();
}

void OutputLinesView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= rows_.count()) return;
    const int row = index.row();
    measure(row);
    const qint64 page = viewport()->height();
    const auto bottomOf = [&] { return rows_.top(row) + rows_.height(row) + rows_.metrics().gap; };
    // A row shown at the bottom edge lands there: the rows above it in view are measured first.
    if (hint == PositionAtBottom ||
        (hint == EnsureVisible && rows_.top(row) >= offset_ && bottomOf() > offset_ + page))
        measureRowsUpTo(row);
    const qint64 top = rows_.top(row);
    const qint64 bottom = bottomOf();
    qint64 target = offset_;
    switch (hint) {
    case PositionAtTop:
        target = top;
        break;
    case PositionAtBottom:
        target = bottom - page;
        break;
    case PositionAtCenter:
        target = (top + bottom - page) / 2;
        break;
    case EnsureVisible:
        if (top < offset_)
            target = top;
        else if (bottom > offset_ + page)
            target = std::min(top, bottom - page);
        break;
    }
    placeAt(target);
    following_ = offset_ >= scrollRange();
    syncScrollBar();
}

void OutputLinesView::doItemsLayout() {
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    if (count != rows_.count()) {
        rows_.clear();
        appendRows(0, count - 1);
        placeAt(offset_);
    }
    // Heights measured at the same width and font still hold.
    rewrap();
    QAbstractItemView::doItemsLayout();
}

void OutputLinesView::reset() {
    rows_.clear();
    anchor_ = into_ = 0;
    offset_ = shift_ = 0;
    readRow_ = -1;
    const bool was = std::exchange(showing_, true);
    QListView::reset();
    showing_ = was;
    selection_.clear();
    shownSelection_.clear();
}

void OutputLinesView::rowsInserted(const QModelIndex& parent, int first, int last) {
    if (parent != rootIndex() || first != rows_.count()) {
        rows_.clear();
        scheduleDelayedItemsLayout();
    } else {
        const qint64 end = rows_.total();
        appendRows(first, last);
        updateGeometries();
        const qint64 shownFrom = end - offset_;
        if (shownFrom < viewport()->height())
            viewport()->update(QRect(0, clampedToInt(shownFrom), viewport()->width(), viewport()->height()));
        // The first rows to arrive in a list that has the focus give it a current row, told once.
        if (hasFocus() && selection_.current() < 0) {
            const Place place = edgePlace();
            if (selection_.rowsArrived(rowAtPlace(place).row())) {
                placeAtEdge(place);
                showSelection(true);
            }
        }
    }
    QAbstractItemView::rowsInserted(parent, first, last);
}

void OutputLinesView::rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    QListView::rowsAboutToBeRemoved(parent, first, last);
    rows_.clear(); // the rows are read again in the next layout
    // Rows go only when the output starts over: so does the reader's selection.
    selection_.clear();
    showSelection(false);
}

void OutputLinesView::updateGeometries() {
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(rows_.metrics().lineHeight + rows_.metrics().gap);
    bar->setPageStep(viewport()->height());
    // While a drag holds the button, the rows move only toward the pointer.
    if (following_ && !dragHeld()) placeAt(scrollRange());
    syncScrollBar();
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void OutputLinesView::scrollContentsBy(int, int) {
    // The scroll bar's steps are not the rows' pixels once the list is taller than its range, nor when
    // rows above the top edge changed height: the rows move by what the top edge moved.
    showShift();
}

void OutputLinesView::resizeEvent(QResizeEvent* event) {
    rewrap();
    QAbstractItemView::resizeEvent(event);
}

void OutputLinesView::changeEvent(QEvent* event) {
    // A new font wraps the rows anew before they are drawn again.
    if (event->type() == QEvent::FontChange && rewrap()) updateGeometries();
    QListView::changeEvent(event);
}

bool OutputLinesView::rewrap() {
    const OutputRowHeights::Metrics metrics = rowMetrics();
    if (metrics == rows_.metrics() && font() == rowFont_) return false;
    const QFont before = rowFont_;
    const int beforeWidth = rows_.metrics().textWidth;
    rowFont_ = font();
    viewport()->update(); // every row is drawn anew
    if (following_ || anchor_ >= rows_.count() || into_ < spacing()) {
        rows_.setMetrics(metrics);
        placeAt(following_ || rows_.count() == 0 ? scrollRange()
                                                 : rows_.top(std::min(anchor_, rows_.count() - 1)) + into_);
        shift_ = 0;
        return true;
    }
    // The rows wrap anew; the line of the top row at the top edge stays there, as far into it as before.
    const QString text = rowIndex(anchor_).data().toString();
    QTextLayout was(text, before);
    wrapLines(was, beforeWidth);
    const qreal read = into_ - spacing();
    int start = 0;
    int end = 0;
    qreal within = read;
    for (int i = 0; i < was.lineCount(); ++i) {
        const QTextLine line = was.lineAt(i);
        start = line.textStart();
        end = start + line.textLength();
        within = read - line.y();
        if (read < line.y() + line.height()) break;
    }
    // The character the reader's line started with when the resizing began stays in the top line, so
    // that resizes do not add up to a drift.
    if (readRow_ != anchor_ || readAt_ < start || readAt_ >= end) {
        readRow_ = anchor_;
        readAt_ = start;
    }
    rows_.setMetrics(metrics);
    QTextLayout now(text, rowFont_);
    rows_.setMeasured(anchor_, wrappedHeight(now, metrics.textWidth, metrics.lineHeight));
    const QTextLine line = now.lineForTextPosition(readAt_);
    const qreal lineTop = line.isValid() ? line.y() : 0;
    const qreal lineHeight = line.isValid() ? line.height() : metrics.lineHeight;
    into_ = spacing() + int(lineTop + std::clamp<qreal>(within, 0, lineHeight - 1));
    into_ = std::min(into_, rows_.height(anchor_) + metrics.gap - 1);
    offset_ = rows_.top(anchor_) + into_;
    shift_ = 0;
    return true;
}

qint64 OutputLinesView::scrollRange() const {
    return std::max<qint64>(0, rows_.total() - viewport()->height());
}

void OutputLinesView::placeAt(qint64 offset) {
    offset = std::clamp<qint64>(offset, 0, scrollRange());
    anchor_ = std::max(0, rows_.rowAt(offset));
    into_ = rows_.count() == 0 ? 0 : int(offset - rows_.top(anchor_));
    shift_ += offset - offset_;
    offset_ = offset;
}

void OutputLinesView::scrollByPixels(qint64 delta) {
    if (rows_.count() == 0) return;
    // Walks from the anchor by `delta`, measuring each row passed, so that the anchor ends at a row whose
    // offset no estimate moves.
    const int gap = rows_.metrics().gap;
    qint64 left = delta + into_;
    int row = std::min(anchor_, rows_.count() - 1);
    if (left < 0) {
        while (left < 0 && row > 0) {
            measure(--row);
            left += rows_.height(row) + gap;
        }
        left = std::max<qint64>(left, 0);
    } else {
        for (measure(row); left >= rows_.height(row) + gap && row + 1 < rows_.count(); measure(++row))
            left -= rows_.height(row) + gap;
        left = std::min<qint64>(left, rows_.height(row) + gap - 1);
    }
    const qint64 from = offset_; // where the top edge was, with the heights just measured
    anchor_ = row;
    into_ = int(left);
    offset_ = rows_.top(row) + into_;
    shift_ += offset_ - from;
    if (offset_ > scrollRange()) placeAt(scrollRange());
}

void OutputLinesView::showEnd(bool last) {
    if (last) measureRowsUpTo(rows_.count() - 1);
    placeAt(last ? scrollRange() : 0);
    following_ = offset_ >= scrollRange();
    placeAtEdge(last ? Place::bottom : Place::top);
    syncScrollBar();
}

void OutputLinesView::moveTo(qint64 offset) {
    // A move by a few pages walks there; a longer one (the scroll bar dragged far) jumps.
    if (std::abs(offset - offset_) <= 4 * qint64(viewport()->height()))
        scrollByPixels(offset - offset_);
    else
        placeAt(offset);
}

int OutputLinesView::toBar(qint64 offset) const {
    const qint64 range = scrollRange();
    offset = std::clamp<qint64>(offset, 0, range);
    if (range <= barMaximum) return int(offset);
    if (offset >= range) return barMaximum;
    // Only the ends are the bar's ends.
    return std::clamp(int(double(offset) / double(range) * barMaximum), offset > 0 ? 1 : 0, barMaximum - 1);
}

qint64 OutputLinesView::fromBar(int value) const {
    const qint64 range = scrollRange();
    if (range <= barMaximum) return std::clamp<qint64>(value, 0, range);
    if (value >= barMaximum) return range;
    return std::clamp<qint64>(qint64(double(value) / barMaximum * double(range)), 0, range);
}

void OutputLinesView::barAction(int action) {
    // Steps and pages move the rows by their pixels, however the scroll bar's range maps the list; the
    // scroll bar's ends (Home and End) name the first and the last row.
    const QScrollBar* bar = verticalScrollBar();
    qint64 step = 0;
    switch (action) {
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        showEnd(action == QAbstractSlider::SliderToMaximum);
        return;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
        step = bar->singleStep();
        break;
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
        step = bar->pageStep();
        break;
    default:
        return;
    }
    const bool back =
        action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub;
    scrollRowsBy(back ? -step : step);
}

void OutputLinesView::scrollRowsBy(qint64 delta) {
    scrollByPixels(delta);
    following_ = offset_ >= scrollRange();
    // The keys keep the place of a row the focus gave; the pointer puts it at an edge.
    if (!keyScrolling_) placeAtEdge(edgePlace());
    syncScrollBar();
}

void OutputLinesView::syncScrollBar() {
    // Wherever the list stands at its end, the bar at its maximum, it shows the last row at the bottom edge
    // and follows new rows, however the heights of the rows there differ from their estimates.
    if (offset_ >= scrollRange() && rows_.count() > 0) {
        measureRowsUpTo(rows_.count() - 1);
        placeAt(scrollRange());
        following_ = true;
    }
    const qint64 moved = shift_; // how far the rows shown move on screen now
    QScrollBar* bar = verticalScrollBar();
    const bool was = scrolling_;
    scrolling_ = true;
    bar->setRange(0, int(std::min<qint64>(scrollRange(), barMaximum)));
    bar->setValue(toBar(offset_));
    scrolling_ = was;
    showShift(); // also where the scroll bar's value stayed
    // A current row that the focus gave follows the view. Where the keys left it, the view moving by itself
    // (following new rows) carries it with the rows; rows arriving that do not move the view leave it as is.
    if (!selection_.followsView()) return;
    if (keysPlaced_ && !keyScrolling_ && moved != 0) carryPlace(moved);
    if (selection_.viewMoved(rowInView().row())) showSelection(keyScrolling_);
}

void OutputLinesView::showShift() {
    const qint64 shift = std::exchange(shift_, 0);
    if (shift == 0) return;
    if (std::abs(shift) < viewport()->height())
        viewport()->scroll(0, int(-shift));
    else
        viewport()->update();
}

void OutputLinesView::paintEvent(QPaintEvent* event) {
    if (!model() || rows_.count() == 0) return;
    measureShown();
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    if (state & QStyle::State_Enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selection = selectionModel();
    const auto selected = [&](int row) {
        return selection && row < rows_.count() && selection->isSelected(rowIndex(row));
    };
    const QRect area = event->rect();
    const int gap = rows_.metrics().gap;
    const qint64 offset = offset_;
    int row = rows_.rowAt(offset + area.top());
    bool rowSelected = selected(row);
    for (qint64 top = rows_.top(row) - offset; row < rows_.count() && top <= area.bottom(); ++row) {
        const QModelIndex index = rowIndex(row);
        const int height = rows_.height(row);
        const bool nextSelected = selected(row + 1);
        option.rect = QRect(spacing(), int(top) + spacing(), viewport()->width() - 2 * spacing(), height);
        option.state = state;
        if (rowSelected) option.state |= QStyle::State_Selected;
        if (focus && index == current) option.state |= QStyle::State_HasFocus;
        // Selected rows read as one block: a selected row followed by another is drawn over the gap too.
        if (rowSelected && nextSelected) option.rect.setHeight(height + gap);
        itemDelegateForIndex(index)->paint(&painter, option, index);
        top += height + gap;
        rowSelected = nextSelected;
    }
}

int OutputLinesView::horizontalOffset() const {
    return 0;
}

int OutputLinesView::verticalOffset() const {
    return clampedToInt(offset_);
}

QModelIndex OutputLinesView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    if (rows_.count() == 0) return {};
    const QModelIndex current = currentIndex();
    return current.isValid() ? rowIndex(stepFrom(current.row(), action)) : rowInView();
}

int OutputLinesView::stepFrom(int row, CursorAction action) const {
    const int count = rows_.count();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MovePageUp:
        row = std::min(row - 1, rows_.rowAt(rows_.top(row) - viewport()->height()));
        break;
    case MovePageDown:
        row = std::max(row + 1, rows_.rowAt(rows_.top(row) + viewport()->height()));
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return std::clamp(row, 0, count - 1);
}

void OutputLinesView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    if (!selectionModel()) return;
    const QRect area = rect.normalized();
    const qint64 from = area.top() + offset_;
    const qint64 to = area.bottom() + offset_;
    QItemSelection selection;
    if (rows_.count() > 0 && to >= 0 && from < rows_.total())
        selection.select(rowIndex(rows_.rowAt(from)), rowIndex(rows_.rowAt(to)));
    selectionModel()->select(selection, command);
}

QRegion OutputLinesView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    if (rows_.count() == 0) return region;
    const int firstShown = rows_.rowAt(offset_);
    const int lastShown = rows_.rowAt(offset_ + viewport()->height());
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex()) continue;
        const int first = std::max(range.top(), firstShown);
        const int last = std::min(range.bottom(), lastShown);
        // With the gaps on either side, which a selected row next to another is drawn over.
        if (first <= last)
            region += visualRect(rowIndex(first))
                          .united(visualRect(rowIndex(last)))
                          .adjusted(0, -rows_.metrics().gap, 0, rows_.metrics().gap);
    }
    return region;
}

void OutputLinesView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (!showing_) {
        takeSelectionFromModel();
        tellCurrentRow();
    }
    QAbstractItemView::currentChanged(current, previous);
}

void OutputLinesView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    if (QAccessible::isActive()) {
        for (const auto& [ranges, kind] : {std::pair{&selected, QAccessible::SelectionAdd},
                                           std::pair{&deselected, QAccessible::SelectionRemove}}) {
            if (ranges->isEmpty()) continue;
            QAccessibleEvent event(this, kind);
            event.setChild(ranges->first().top());
            QAccessible::updateAccessibility(&event);
        }
    }
    takeSelectionFromModel();
    QAbstractItemView::selectionChanged(selected, deselected);
}

} // namespace qlan
