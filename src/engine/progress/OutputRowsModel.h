#pragma once
// The rows of an output list (the list of both remediation sheets): a list model that keeps, as it
// stores rows, which of them is the widest, so that the list makes every row that wide without reading
// them again. A row's width is counted in characters (UTF-16 units): in the list's fixed-width font
// that finds the widest row but for lines of wide (East Asian) characters.

#include <QAbstractListModel>

namespace qlan {

class OutputRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The position of the widest row stored so far; -1 while there is none.
    int widestRow() const { return widestRow_; }

protected:
    // The row at `position`, `width` characters wide, is stored.
    void noteRow(qsizetype position, qsizetype width) {
        if (width <= widestWidth_) return;
        widestWidth_ = width;
        widestRow_ = int(position);
    }

private:
    int widestRow_ = -1;
    qsizetype widestWidth_ = -1;
};

} // namespace qlan
