#pragma once
// The rows of an output list (the list of both remediation sheets): a list model that tells the length
// of a row (in UTF-16 units) without handing its text over, so that the list estimates the height of a
// million rows from their lengths as they arrive, at a few nanoseconds a row.

#include <QAbstractListModel>

namespace qlan {

class OutputRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The length of the text of the row at `row`, a valid row.
    virtual qsizetype rowLength(int row) const = 0;
};

} // namespace qlan
