#pragma once
// A label for text shown exactly as given: never interpreted as HTML or Markdown, wrapped onto as
// many lines as it needs. Text that comes from the machine or the user is always shown through it.

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
};

} // namespace qlan
