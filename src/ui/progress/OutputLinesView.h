#pragma once
// The output list of both remediation sheets (the streaming remediation screen and the guided setup's
// action sheet): one row per line, in arrival order, monospaced at caption size, in the shared text
// frame; as rows arrive it keeps the last one at the bottom edge, unless the user scrolled up. A line
// longer than the list is wide is never cut: its row wraps to the list's width, between words where the
// line has them and anywhere in a word or path longer than a line, and wraps again when the list is
// resized; the list never scrolls sideways. Rows are selectable and copied with the platform's copy
// shortcut, each as its whole line; with no row selected, Copy leaves the pasteboard as it is. Several
// selected rows are drawn as one block, and a screen reader hears a selected row as selected.
//
// The list measures only the rows it draws (a row holds at most 3,000 characters, OutputLineLimit): the
// others take a height estimated from their length (OutputRowHeights), which the model tells without
// handing the text over (OutputRowsModel), corrected when they come into view. So a job that prints a
// million lines costs the list a few bytes per row and the rows it shows, and a resize estimates the rows
// again without reading them. A measured height holds for the width and font it was measured at only.
//
// The list holds its place as the row at its top edge and how far into that row the edge is, so what it
// shows stays still when rows above change height: a row that comes into view above is measured before
// the rows move, so a step of the keys or the wheel moves them by the step, and a resize keeps the line
// at the top edge there. Home, End and the scroll bar's ends are no steps but places: the first row at
// the top edge, the last row at the bottom edge (following new rows again), however the rows' heights
// differ from their estimates. Offsets are 64-bit; a list taller than the scroll bar's range maps its
// height onto that range, and the keys still step by pixels.
//
// Tab reaches the list (it shows the focus ring then), and the keys scroll it as a pointer does: Home
// and End to the top and the bottom, Up, Down, Page Up and Page Down through the rows. What is selected
// and which row is current is the reader's selection (OutputRowSelection), which every click, key, drag,
// Select All, focus and arrival of rows goes through; the list shows what it holds. The focus coming to
// the list with no current row, or with nothing selected and its current row out of view, makes the row in
// view current (the row at the top edge, the last row shown while the list follows new rows), scrolling
// and selecting nothing; so do the first rows to arrive in a list that has the focus. Such a row is a
// place, not a choice: while nothing is selected it follows the view as the reader moves it, so that
// Space, Shift and a screen reader act on a row in view. The focus gives it at an edge: the bottom edge
// while the list follows new rows, the top edge once Home or the pointer moved the view. End gives the row
// at the bottom edge, following new rows again, and Home the row at the top edge, also as the view follows
// new rows. The row at an edge is the first (or the last) row of which the view shows the larger part, or
// that fills the larger part of the view. Up, Down, Page Up and Page Down move the view and the row with it,
// from where it stands, an edge staying an edge (Up from the last row gives the row above it); where the view
// cannot move (at the first or the last row), they move the row itself, so that the keys reach every row,
// one after another, each told once. Where these keys left the row, rows arriving that do not move the view
// leave it where it is, and the view following new rows carries it up with its text while it is in view;
// once it leaves the view the row at the edge is current again. A Shift step that cannot move still brings
// the current row into view. With Shift the keys extend the selection from the anchor to the row they step
// to, bringing it into view, when the reader chose the current row or it is in view; from a row the focus
// gave that is out of view, a selection starts at the row in view at the edge the key moves toward, so the
// view never jumps away from where the reader is. A press never schedules a scroll: the row pressed is in
// view already.
//
// A drag from a press selects the rows from the pressed row to the row under the pointer (beside the rows
// a Shift or Command press kept). While the button holds the pointer past an edge of the view, or in the
// margin along it, the rows scroll toward it, the faster the farther it is, and the selection grows to the
// row shown at that edge (the last or the first row with text in view, as the view is drawn), up to the
// first or the last row; the release stops them. Rows arriving while the button holds do not move the view
// to its end: a list that follows new rows shows them once the button is let go.
//
// A screen reader is told the current row as the focused one, after the list itself, once for each move
// of the focus or the current row that the reader made (a key that moves the view moves a row the focus
// gave, and a drag is told where it ends, not on its way); it hears a list named by its sheet's title
// ("Installing VS Code output"), so that no two lists sound alike, each line a list item of plain text.
//
// The streaming screen's list model reads the lines of the screen's state directly and is told of
// appended ranges. The row of the cask recovery's reinstall notice carries the identifier
// "remediation-retry-line" (role `identifierRole`; a screen reader reads only the line).

#include "progress/OutputRowsModel.h"
#include "ui/progress/OutputRowHeights.h"
#include "ui/progress/OutputRowSelection.h"

#include <QBasicTimer>
#include <QItemSelectionModel>
#include <QListView>
#include <QStringList>

#include <optional>

namespace qlan {

class OutputLinesModel : public OutputRowsModel {
    Q_OBJECT
public:
    static constexpr int identifierRole = Qt::UserRole + 1;

    explicit OutputLinesModel(const QStringList* lines, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    qsizetype rowLength(int row) const override;

    // `count` lines were appended to the list at `first`.
    void linesAppended(qsizetype first, qsizetype count);

private:
    const QStringList* lines_;
    int rows_ = 0;
};

class OutputLinesView : public QListView {
    Q_OBJECT
public:
    // Named "<sheetTitle> output".
    explicit OutputLinesView(const QString& sheetTitle, QWidget* parent = nullptr);

    // The texts of the selected rows, one per line.
    QString selectedText() const;

    // The list lays its rows out itself, one below the other at the viewport's width, each as high as its
    // wrapped text.
    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;
    void reset() override;
    void selectAll() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Takes in the rows the model appends, and follows them while the list shows its last row and no drag
    // holds the button.
    void rowsInserted(const QModelIndex& parent, int first, int last) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    int textWidth() const;
    OutputRowHeights::Metrics rowMetrics() const;
    QModelIndex rowIndex(int row) const;
    // The step a key takes through the rows: Up, Down, Page Up, Page Down, Home and End.
    static std::optional<CursorAction> keyStep(int key);
    // Shift with `key`: the current row steps as the key moves it (from the row in view at the edge the
    // key moves toward, when the current row is out of view) and the selection extends to it. False for a
    // key that moves no row.
    bool extendByKey(int key);
    // A step of the keys that left a current row the focus gave as it was (`before`), with the view at the
    // end it moves toward, moves that row by the step; the row then keeps its place in the view, and a screen
    // reader is told.
    void stepPlace(CursorAction action, int before);
    // The row a step of `action` from `row` reaches: Page Up and Page Down by the viewport's height from
    // the row's top, and at least one row.
    int stepFrom(int row, CursorAction action) const;
    // The row whose slot holds the point of the viewport; -1 below the last row.
    int rowAtPoint(const QPoint& point) const;
    bool currentInView() const;
    // Whether a drag from a press holds the button.
    bool dragHeld() const;
    // The height of the dragging pointer in the viewport, from where the last move left it on the screen.
    int dragPointerY() const;
    // How far a tick of a drag scrolls the rows toward the pointer past an edge of the view or inside the
    // margin along it: negative up, 0 away from the edges.
    int dragScrollStep() const;
    // Extends the dragged selection to the row under the pointer, or shown at the edge it is past.
    void dragToPointer();
    // Gives the selection model the reader's selection and current row, without scrolling; a screen reader
    // is told the current row when `tell`.
    void showSelection(bool tell);
    // Takes a change that the selection model had from elsewhere as the reader's selection.
    void takeSelectionFromModel();
    // Tells a screen reader the current row as the focused one, once the turn's changes are done.
    void tellCurrentRow();
    // Where a current row the focus gave stands in the view, which it keeps as the view moves: at the top
    // edge, at the bottom edge (while the list follows new rows), or, once a key moved the row where the view
    // could not move, at `placeY_`. As the keys move the view, the row there becomes current.
    enum class Place { top, bottom, within };
    // Puts the place at `place`, an edge, which the view moving by itself does not carry.
    void placeAtEdge(Place place);
    // The view moved by itself by `moved` pixels (it follows new rows): the place the keys left moves with
    // the rows, at `placeY_`, while its row is in view; once it is not, the row at the edge is current again.
    void carryPlace(qint64 moved);
    // The edge a row the focus gives now stands at: the bottom edge while the list follows new rows.
    Place edgePlace() const;
    // The row at the place a current row the focus gave has.
    QModelIndex rowInView();
    QModelIndex rowAtPlace(Place place);
    // The row shown at the top or the bottom edge of the viewport, as the view is drawn: the one beside it
    // when the view shows neither the larger part of the row nor so much of it that it fills the larger
    // part of the view; the last row when the rows end above the bottom edge.
    QModelIndex rowAtEdge(bool bottom);
    // Takes in the rows from `first` to `last`, their lengths told by an OutputRowsModel, else read.
    void appendRows(int first, int last);
    // Measures the rows whose slots reach into [from, to) that are not measured yet; returns whether a
    // height changed.
    bool measureRows(qint64 from, qint64 to);
    // Measures the rows in view, as a paint does.
    void measureShown();
    // Measures the row `last` and the rows above it, as many as fill the viewport.
    bool measureRowsUpTo(int last);
    bool measure(int row);
    // Records a row's height, keeping the rows shown where they are.
    bool setHeight(int row, int height);
    // Takes new metrics or a new font when the width or the font changed; keeps the line at the top
    // edge there unless the list follows its last row. Returns whether anything changed.
    bool rewrap();

    // How far the top edge can go: the rows' height less the viewport's.
    qint64 scrollRange() const;
    // Puts the top edge at `offset` in the rows.
    void placeAt(qint64 offset);
    // Moves the top edge by `delta` pixels, measuring the rows it passes, so that the rows shown move by
    // `delta` exactly however the rows coming into view above differ from their estimates.
    void scrollByPixels(qint64 delta);
    // Shows the first row at the top edge, or the last row at the bottom edge and follows new rows, however
    // the rows' heights differ from their estimates.
    void showEnd(bool last);
    // Moves the top edge to `offset`: by pixels when near, else at once.
    void moveTo(qint64 offset);
    // The scroll bar's value for an offset, and back: the offset itself while the range fits an int.
    int toBar(qint64 offset) const;
    qint64 fromBar(int value) const;
    // The scroll bar's steps and pages, by pixels.
    void barAction(int action);
    // Moves the rows by `delta` pixels as the reader scrolls them: at the end the list follows new rows.
    void scrollRowsBy(qint64 delta);
    // Gives the scroll bar the range and the value of where the list stands.
    void syncScrollBar();
    // Moves the rows on screen by how far the top edge moved.
    void showShift();

    OutputRowHeights rows_;
    QFont rowFont_;     // the font the heights were measured in
    int anchor_ = 0;    // the row at the top edge
    int into_ = 0;      // how far the top edge is into the anchor's slot
    qint64 offset_ = 0; // where the top edge is: the anchor's top plus into_
    qint64 shift_ = 0;  // how far the top edge moved since the rows were last moved on screen
    int readRow_ = -1;  // the row and the character whose line a resize keeps at the top edge
    int readAt_ = 0;

    bool following_ = true; // the list shows its last row (once a drag lets go); false once scrolled up
    Place place_ = Place::bottom;
    int placeY_ = 0;          // in the viewport, for Place::within
    bool keysPlaced_ = false; // the keys left the place: the view moving by itself carries it
    bool scrolling_ = false;
    bool geometryQueued_ = false; // a paint measured rows anew; the scroll range follows after it

    OutputRowSelection selection_;
    OutputRowSelection::Ranges shownSelection_; // what the selection model was last given
    bool showing_ = false;                      // the selection model takes the reader's selection
    bool dragging_ = false;                     // a press on a row extends the selection as the pointer moves
    QPoint dragPointer_;                        // where the pointer is while it drags, on the screen
    int dragTold_ = -1;                         // the current row a screen reader heard as the drag began
    QBasicTimer dragScroll_;                    // scrolls while the drag holds the pointer at an edge
    static constexpr int dragScrollInterval = 30; // ms
    bool keyScrolling_ = false;                   // a key moves the view
    bool tellQueued_ = false;
};

} // namespace qlan
