#include "ui/widgets/LabelHeights.h"

#include <QLabel>

namespace qlan {

bool LabelHeights::matches(const QLabel& label) const {
    return format_ == int(label.textFormat()) && wordWrap_ == label.wordWrap() && margin_ == label.margin() &&
           indent_ == label.indent() && frame_ == label.frameWidth() &&
           contents_ == label.contentsMargins() && text_ == label.text() && font_ == label.font();
}

void LabelHeights::reset(const QLabel& label) {
    text_ = label.text();
    font_ = label.font();
    format_ = int(label.textFormat());
    wordWrap_ = label.wordWrap();
    margin_ = label.margin();
    indent_ = label.indent();
    contents_ = label.contentsMargins();
    frame_ = label.frameWidth();
    answers_.clear();
}

} // namespace qlan
