#pragma once
// The rows of the action sheet's output: the batch's lines as the install output filter shows them,
// kept up to date while lines arrive. Each row costs four bytes besides the line it points at (the
// batch keeps the lines); new lines are taken in once per turn of the event loop, as one insertion.

#include "progress/OutputRowsModel.h"
#include "remediation/InstallOutputFilter.h"

#include <QPointer>

#include <chrono>
#include <cstdint>
#include <vector>

namespace qlan {

class SetupActionBatch;

class SetupActionOutput : public OutputRowsModel {
    Q_OBJECT
public:
    explicit SetupActionOutput(SetupActionBatch* batch, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    qsizetype rowLength(int row) const override;

    // The shown text of a row (held by the batch until its lines change).
    const QString& row(qsizetype position) const;
    // Takes in the lines that arrived since the last call (normally done on the next turn of the loop),
    // or as many as fit in `catchUpSlice` when there are more.
    void catchUp();
    static constexpr std::chrono::milliseconds catchUpSlice{4};

signals:
    // Rows were added at the end by catchUp.
    void rowsAppended();

private:
    void scheduleCatchUp();

    QPointer<SetupActionBatch> batch_;
    InstallOutputFilter::Incremental filter_;
    qsizetype linesSeen_ = 0;
    // Per row: the line's position times two, plus one for the note shown after that line.
    std::vector<std::uint32_t> rows_;
    bool scheduled_ = false;
};

} // namespace qlan
