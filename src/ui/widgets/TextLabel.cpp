#include "ui/widgets/TextLabel.h"

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
    setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
}

} // namespace qlan
