#pragma once
// The reader's selection in an output list (OutputLinesView): the selected rows, the current row and
// whether the reader chose it, where a Shift range starts (the anchor), and the rows kept beside that range.
// Every way the selection changes goes through here: a click, a Command-click, a Shift+click, a drag, a key
// with Shift, Space, Select All, the focus coming in, the view moving, rows arriving, the rows cleared, and a
// change made elsewhere (taken as it is). The list forwards each of these and shows what this holds.
//
// A current row the focus gave (not a click, a key step or a selection) is a place, not a choice: while
// nothing is selected it gives way to the row in view whenever the view moves, and a list that takes the
// focus with nothing selected and its current row out of view takes the row in view. A row the reader chose
// keeps its place however far the view moves.
//
// A Shift run (Shift steps, Shift+clicks, a drag from a press) begins at its first step after any other
// change, keeping the selection as it stands then and the anchor; each of its steps selects those kept rows
// plus the rows from the anchor to the new current row, so that rows selected apart from the range (a
// Command-click) stay beside it however it grows, shrinks or turns past them. A Shift step or a drag that
// leaves the current row where it was changes nothing; a Shift+click selects from the anchor to the clicked
// row also when that row is the current one, and with nothing selected selects the clicked row alone.
//
// Rows are indexes from 0; -1 is no row.

#include <QList>

namespace qlan {

class OutputRowSelection {
public:
    // The rows from `first` to `last`, both included.
    struct Range {
        int first = 0;
        int last = 0;
        friend bool operator==(const Range&, const Range&) = default;
    };
    // Sorted, apart from one another (neither overlapping nor touching).
    using Ranges = QList<Range>;

    int current() const { return current_; }
    bool isCurrentChosen() const { return chosen_; }
    // Where a Shift range starts: the anchor, else the current row.
    int anchor() const { return anchor_ >= 0 ? anchor_ : current_; }
    const Ranges& selected() const { return selected_; }
    bool hasSelection() const { return !selected_.isEmpty(); }
    bool isSelected(int row) const;
    // Whether the current row gives way to the row in view when the view moves.
    bool followsView() const { return current_ >= 0 && !chosen_ && selected_.isEmpty(); }

    // A click on `row`: the row alone is selected, current and the anchor.
    void click(int row);
    // A click on no row (below the last): nothing is selected; the current row stays.
    void clickOnNoRow();
    // A Command-click: the row's selection turns over; it becomes current and the anchor.
    void commandClick(int row);
    // A Shift+click: extends to `row`, also when it is the current row; with nothing selected, a click.
    void shiftClick(int row);
    // A Shift step or a drag from a press: the current row moves to `row`, and the selection is the rows
    // kept when the run began plus the rows from the anchor to `row`. Nothing changes when `row` is the
    // current row already.
    void extendTo(int row);
    // Where a Shift step starts: at the current row, unless the focus gave it and it is out of view
    // (`currentInView` false); then the selection starts over at `rowAtEdge`, the row in view at the edge the
    // step moves toward, so that the view never jumps away from where the reader is. A row the reader chose
    // is where the step starts wherever it is. Returns the row the step starts at.
    int stepStart(bool currentInView, int rowAtEdge);
    // Space (`toggle` false: the current row is selected) or Command+Space (its selection turns over).
    void selectCurrent(bool toggle);
    // Select All in a list of `count` rows.
    void selectAll(int count);
    // The focus comes to the list. With no current row, or with nothing selected and the current row out of
    // view (`currentInView` false), `rowInView` becomes the current row, given, not chosen. Returns whether
    // it did.
    bool focusIn(int rowInView, bool currentInView);
    // The view moved: a given current row gives way to `rowInView`. Returns whether the current row changed.
    bool viewMoved(int rowInView);
    // Rows arrived in a list that has the focus: with no current row, `rowInView` becomes the current row,
    // given. Returns whether it did.
    bool rowsArrived(int rowInView);
    // The rows were cleared.
    void clear();
    // The selection and the current row were changed elsewhere (a screen reader, a search by typing): they
    // are taken as the reader's choice, and a Shift run starts from the current row.
    void take(int current, Ranges selected);

private:
    void choose(int row);
    void give(int row);
    // `row` becomes current, and the selection is the rows kept when the run began (beginning it now)
    // plus the rows from the anchor to `row`.
    void extend(int row);
    // Ends a Shift run: the next Shift step starts a new one from the selection as it then stands.
    void endRun() { inRun_ = false; }

    int current_ = -1;
    bool chosen_ = false;
    int anchor_ = -1; // -1: the current row
    Ranges selected_;
    bool inRun_ = false;
    Ranges kept_; // while in a run: the selection when it began
};

} // namespace qlan
