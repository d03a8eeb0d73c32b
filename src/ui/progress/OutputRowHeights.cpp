#include "ui/progress/OutputRowHeights.h"

#include <algorithm>
#include <limits>

namespace qlan {

namespace {

constexpr int longest = std::numeric_limits<std::uint16_t>::max();

} // namespace

int OutputRowHeights::estimate(std::uint16_t length) const {
    const int perLine = metrics_.charactersPerLine;
    const int lines = length <= perLine ? 1 : (length + perLine - 1) / perLine;
    return lines * metrics_.lineHeight;
}

int OutputRowHeights::heightIn(const Block& block, int index) const {
    return block.heights ? (*block.heights)[std::size_t(index)] : estimate(block.lengths[std::size_t(index)]);
}

void OutputRowHeights::setMetrics(const Metrics& metrics) {
    const Metrics before = metrics_;
    metrics_ = metrics;
    metrics_.lineHeight = std::max(1, metrics_.lineHeight);
    metrics_.charactersPerLine = std::max(1, metrics_.charactersPerLine);
    // With the same characters per line the estimates hold: only the blocks that keep measured heights of
    // their own are summed again.
    const bool estimatesHold = metrics_.lineHeight == before.lineHeight &&
                               metrics_.charactersPerLine == before.charactersPerLine &&
                               metrics_.gap == before.gap;
    total_ = 0;
    int left = count_;
    for (const auto& block : blocks_) {
        const int rows = std::min(left, blockRows);
        left -= rows;
        block->measured.reset();
        if (!estimatesHold || block->heights) {
            block->heights.reset();
            qint64 sum = qint64(rows) * metrics_.gap;
            for (int i = 0; i < rows; ++i)
                sum += estimate(block->lengths[std::size_t(i)]);
            block->total = sum;
        }
        total_ += block->total;
    }
}

void OutputRowHeights::append(qsizetype length) {
    if (count_ % blockRows == 0) blocks_.push_back(std::make_unique<Block>());
    Block& block = *blocks_.back();
    const int index = count_ % blockRows;
    const auto kept = std::uint16_t(std::min<qsizetype>(length, longest));
    block.lengths[std::size_t(index)] = kept;
    const int height = estimate(kept);
    if (block.heights) (*block.heights)[std::size_t(index)] = height;
    block.total += height + metrics_.gap;
    total_ += height + metrics_.gap;
    ++count_;
}

void OutputRowHeights::clear() {
    blocks_.clear();
    count_ = 0;
    total_ = 0;
}

int OutputRowHeights::height(int row) const {
    return heightIn(*blocks_[std::size_t(row / blockRows)], row % blockRows);
}

qint64 OutputRowHeights::top(int row) const {
    const int blockIndex = row / blockRows;
    qint64 y = 0;
    for (int b = 0; b < blockIndex; ++b)
        y += blocks_[std::size_t(b)]->total;
    const Block& block = *blocks_[std::size_t(blockIndex)];
    for (int i = 0; i < row % blockRows; ++i)
        y += heightIn(block, i) + metrics_.gap;
    return y;
}

int OutputRowHeights::rowAt(qint64 y) const {
    if (count_ == 0) return -1;
    if (y < 0) return 0;
    int row = 0;
    for (const auto& block : blocks_) {
        const int rows = std::min(count_ - row, blockRows);
        if (y >= block->total) {
            y -= block->total;
            row += rows;
            continue;
        }
        for (int i = 0; i < rows; ++i) {
            y -= heightIn(*block, i) + metrics_.gap;
            if (y < 0) return row + i;
        }
        return row + rows - 1;
    }
    return count_ - 1;
}

bool OutputRowHeights::isMeasured(int row) const {
    return blocks_[std::size_t(row / blockRows)]->measured.test(std::size_t(row % blockRows));
}

bool OutputRowHeights::setMeasured(int row, int height) {
    Block& block = *blocks_[std::size_t(row / blockRows)];
    const int index = row % blockRows;
    block.measured.set(std::size_t(index));
    height = std::max(height, 0);
    const int before = heightIn(block, index);
    if (height == before) return false;
    if (!block.heights) {
        block.heights = std::make_unique<std::array<int, blockRows>>();
        for (int i = 0; i < blockRows; ++i)
            (*block.heights)[std::size_t(i)] = estimate(block.lengths[std::size_t(i)]);
    }
    (*block.heights)[std::size_t(index)] = height;
    block.total += height - before;
    total_ += height - before;
    return true;
}

} // namespace qlan
