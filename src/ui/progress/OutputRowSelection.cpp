#include "ui/progress/OutputRowSelection.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace qlan {
namespace {

using Range = OutputRowSelection::Range;
using Ranges = OutputRowSelection::Ranges;

// `ranges` with the rows of `added` too.
Ranges joined(const Ranges& ranges, Range added) {
    Ranges result;
    result.reserve(ranges.size() + 1);
    bool placed = false;
    for (const Range& range : ranges) {
        if (range.last + 1 < added.first) {
            result.append(range);
        } else if (added.last + 1 < range.first) {
            if (!placed) result.append(added);
            placed = true;
            result.append(range);
        } else { // touching or overlapping: one range
            added = {std::min(added.first, range.first), std::max(added.last, range.last)};
        }
    }
    if (!placed) result.append(added);
    return result;
}

// `ranges` without the rows of `removed`.
Ranges without(const Ranges& ranges, Range removed) {
    Ranges result;
    result.reserve(ranges.size() + 1);
    for (const Range& range : ranges) {
        if (range.last < removed.first || range.first > removed.last) {
            result.append(range);
            continue;
        }
        if (range.first < removed.first) result.append({range.first, removed.first - 1});
        if (range.last > removed.last) result.append({removed.last + 1, range.last});
    }
    return result;
}

} // namespace

bool OutputRowSelection::isSelected(int row) const {
    const auto after = std::upper_bound(selected_.cbegin(), selected_.cend(), row,
                                        [](int at, const Range& range) { return at < range.first; });
    return after != selected_.cbegin() && std::prev(after)->last >= row;
}

void OutputRowSelection::choose(int row) {
    current_ = row;
    chosen_ = row >= 0;
}

void OutputRowSelection::give(int row) {
    current_ = row;
    chosen_ = false;
    anchor_ = -1;
}

void OutputRowSelection::click(int row) {
    choose(row);
    anchor_ = row;
    selected_ = {{row, row}};
    endRun();
}

void OutputRowSelection::clickOnNoRow() {
    selected_.clear();
    endRun();
}

void OutputRowSelection::commandClick(int row) {
    choose(row);
    anchor_ = row;
    selected_ = isSelected(row) ? without(selected_, {row, row}) : joined(selected_, {row, row});
    endRun();
}

void OutputRowSelection::shiftClick(int row) {
    if (selected_.isEmpty())
        click(row);
    else
        extend(row);
}

void OutputRowSelection::extendTo(int row) {
    if (row != current_) extend(row);
}

void OutputRowSelection::extend(int row) {
    if (row < 0) return;
    if (!inRun_) {
        inRun_ = true;
        kept_ = selected_;
        anchor_ = anchor();
    }
    const int from = anchor_ >= 0 ? anchor_ : row;
    choose(row);
    selected_ = joined(kept_, {std::min(from, row), std::max(from, row)});
}

int OutputRowSelection::stepStart(bool currentInView, int rowAtEdge) {
    if (!chosen_ && !currentInView && rowAtEdge >= 0) click(rowAtEdge);
    return current_;
}

void OutputRowSelection::selectCurrent(bool toggle) {
    if (current_ < 0) return;
    if (toggle && isSelected(current_))
        selected_ = without(selected_, {current_, current_});
    else
        selected_ = joined(selected_, {current_, current_});
    choose(current_);
    anchor_ = current_;
    endRun();
}

void OutputRowSelection::selectAll(int count) {
    if (count <= 0) return;
    selected_ = {{0, count - 1}};
    chosen_ = current_ >= 0;
    endRun();
}

bool OutputRowSelection::focusIn(int rowInView, bool currentInView) {
    if (rowInView < 0 || (current_ >= 0 && (!selected_.isEmpty() || currentInView))) return false;
    give(rowInView);
    return true;
}

bool OutputRowSelection::viewMoved(int rowInView) {
    if (!followsView() || rowInView < 0 || rowInView == current_) return false;
    give(rowInView);
    return true;
}

bool OutputRowSelection::rowsArrived(int rowInView) {
    if (current_ >= 0 || rowInView < 0) return false;
    give(rowInView);
    return true;
}

void OutputRowSelection::clear() {
    *this = OutputRowSelection();
}

void OutputRowSelection::take(int current, Ranges selected) {
    choose(current);
    anchor_ = -1;
    selected_ = std::move(selected);
    endRun();
}

} // namespace qlan
