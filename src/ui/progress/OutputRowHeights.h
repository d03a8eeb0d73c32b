#pragma once
// The heights of the rows of an output list whose rows wrap to its width (OutputLinesView), kept so that
// a list of a million rows measures only the rows it draws. A row's height is estimated from its length
// in characters (the lines that many characters of the fixed-width font fill at the list's width) until
// the list measures it, which it does only for rows it shows; the estimate is exact for a row that fits
// on one line. Each row costs two bytes (its length) and a bit (measured or not); a block of rows keeps
// measured heights of its own (an int each, a width no row's height comes near) only once one of them
// differs from its estimate. Block sums of the heights find a row's offset and the row at an offset by a
// scan of the sums and one block, never of every row.
// New metrics (the list's width or font) forget what was measured, since a height holds only at the
// pixel width it was measured at, and estimate every row again from the lengths, without reading a row;
// a width that fits as many characters per line as before keeps the estimates and forgets the measured
// heights block by block.

#include <QtGlobal>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

namespace qlan {

class OutputRowHeights {
public:
    struct Metrics {
        int lineHeight = 1;        // pixels per line of text
        int charactersPerLine = 1; // characters of the fixed-width font that fill a line
        int gap = 0;               // pixels between two rows, half of it above the first and below the last
        int textWidth = 0;         // pixels a line of text wraps at
        friend bool operator==(const Metrics&, const Metrics&) = default;
    };

    const Metrics& metrics() const { return metrics_; }
    // Estimates every row again with `metrics` and forgets the measured heights.
    void setMetrics(const Metrics& metrics);

    int count() const { return count_; }
    void append(qsizetype length);
    void clear();

    // The height of the rows with their gaps.
    qint64 total() const { return total_; }
    // The height of a row's text, measured or estimated.
    int height(int row) const;
    // Where the row's slot (the row and the gap after it) starts.
    qint64 top(int row) const;
    // The row whose slot holds `y`; the first or the last row for a `y` above or below them; -1 when
    // there are no rows.
    int rowAt(qint64 y) const;

    bool isMeasured(int row) const;
    // Records the measured height of `row`; returns whether it differs from the height held before.
    bool setMeasured(int row, int height);

private:
    static constexpr int blockRows = 1024;
    struct Block {
        std::array<std::uint16_t, blockRows> lengths{};
        std::bitset<blockRows> measured;
        std::unique_ptr<std::array<int, blockRows>> heights; // once a measured row differs
        qint64 total = 0;                                    // slots of the block's rows
    };

    int estimate(std::uint16_t length) const;
    int heightIn(const Block& block, int index) const;

    Metrics metrics_;
    std::vector<std::unique_ptr<Block>> blocks_;
    int count_ = 0;
    qint64 total_ = 0;
};

} // namespace qlan
