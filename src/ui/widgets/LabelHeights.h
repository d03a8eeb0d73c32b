#pragma once
// The heights a wrapping label needs at given widths. QLabel lays its whole text out anew for every
// such question, and a layout asks the same few widths many times while a window is built; the answers
// are kept while the label's text, font, format, wrapping and margins stay the same.

#include <QFont>
#include <QList>
#include <QMargins>
#include <QString>

#include <utility>

class QLabel;

namespace qlan {

class LabelHeights {
public:
    // The label's height for `width`: a kept answer, or `compute(width)` (QLabel's own), which is kept.
    template <typename Compute> int heightForWidth(const QLabel& label, int width, Compute compute) {
        if (!matches(label)) reset(label);
        for (const auto& [w, h] : answers_)
            if (w == width) return h;
        const int height = compute(width);
        if (answers_.size() >= kKept) answers_.removeFirst();
        answers_.append({width, height});
        return height;
    }

private:
    static constexpr qsizetype kKept = 8;

    bool matches(const QLabel& label) const;
    void reset(const QLabel& label);

    QString text_;
    QFont font_;
    int format_ = -1;
    bool wordWrap_ = false;
    int margin_ = 0;
    int indent_ = 0;
    QMargins contents_;
    int frame_ = 0;
    QList<std::pair<int, int>> answers_;
};

} // namespace qlan
