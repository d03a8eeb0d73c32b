#pragma once
// A label for text shown exactly as given: never interpreted as HTML or Markdown, wrapped onto as
// many lines as it needs. Text that comes from the machine or the user is always shown through it.

#include "ui/widgets/LabelHeights.h"
#include "ui/widgets/TypeScale.h"

#include <QLabel>

namespace qlan {

class TextLabel : public QLabel {
    Q_OBJECT
public:
    explicit TextLabel(const QString& text, TextRole role = TextRole::body,
                       FontWeight weight = FontWeight::regular, QWidget* parent = nullptr);

    // Lets the user select and copy the text with the mouse (see SelectableText.h).
    void setSelectable(bool selectable);

    // QLabel's answer, kept while the text, font and wrapping stay the same (see LabelHeights.h).
    int heightForWidth(int width) const override;

private:
    mutable LabelHeights heights_;
};

} // namespace qlan
