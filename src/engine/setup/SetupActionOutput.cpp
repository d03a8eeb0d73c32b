#include "setup/SetupActionOutput.h"

#include "setup/SetupActionBatch.h"

#include <QMetaObject>

#include <chrono>

namespace qlan {

SetupActionOutput::SetupActionOutput(SetupActionBatch* batch, QObject* parent)
    : OutputRowsModel(parent)
    , batch_(batch) {
    connect(batch, &SetupActionBatch::linesAppended, this, &SetupActionOutput::scheduleCatchUp);
    catchUp();
}

int SetupActionOutput::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant SetupActionOutput::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role == Qt::DisplayRole) return row(index.row());
    return {};
}

qsizetype SetupActionOutput::rowLength(int row) const {
    return this->row(row).size();
}

const QString& SetupActionOutput::row(qsizetype position) const {
    static const QString none;
    const std::uint32_t entry = rows_[std::size_t(position)];
    if (entry & 1u) return InstallOutputFilter::oldVersionNote;
    return batch_ ? batch_->lines().at(qsizetype(entry >> 1)) : none;
}

void SetupActionOutput::scheduleCatchUp() {
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &SetupActionOutput::catchUp, Qt::QueuedConnection);
}

void SetupActionOutput::catchUp() {
    scheduled_ = false;
    if (!batch_) return;
    const QStringList& lines = batch_->lines();
    std::vector<std::uint32_t> added;
    // A long backlog is taken in over several turns, so that the thread keeps handling its other events.
    const auto deadline = std::chrono::steady_clock::now() + catchUpSlice;
    for (; linesSeen_ < lines.size(); ++linesSeen_) {
        if ((linesSeen_ & 255) == 0 && !added.empty() && std::chrono::steady_clock::now() >= deadline) {
            scheduleCatchUp();
            break;
        }
        const auto shown = filter_.feed(lines[linesSeen_]);
        if (shown == InstallOutputFilter::Shown::nothing) continue;
        const auto entry = std::uint32_t(linesSeen_) << 1;
        added.push_back(entry);
        if (shown != InstallOutputFilter::Shown::lineAndNote) continue;
        added.push_back(entry | 1u);
    }
    if (added.empty()) return;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    rows_.insert(rows_.end(), added.begin(), added.end());
    endInsertRows();
    emit rowsAppended();
}

} // namespace qlan
