#include "ui/widgets/TextLabel.h"

#include "ui/widgets/SelectableText.h"

namespace qlan {

TextLabel::TextLabel(const QString& text, TextRole role, FontWeight weight, QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setWordWrap(true);
    setAlignment(Qt::AlignLeading | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    TypeScale::apply(this, role, weight);
}

void TextLabel::setSelectable(bool selectable) {
    setSelectableByMouse(this, selectable);
}

int TextLabel::heightForWidth(int width) const {
    return heights_.heightForWidth(*this, width, [this](int w) { return QLabel::heightForWidth(w); });
}

} // namespace qlan
