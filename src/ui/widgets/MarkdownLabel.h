#pragma once
// A label that renders Markdown (emphasis, links). Only for texts written into the application itself;
// text from the machine or the user goes into a TextLabel. Activated links open through the desktop
// actions in effect for the label, and only when they are http or https addresses.

#include "ui/widgets/TypeScale.h"

#include <QLabel>

namespace qlan {

class MarkdownLabel : public QLabel {
    Q_OBJECT
public:
    explicit MarkdownLabel(const QString& markdown, TextRole role = TextRole::body,
                           FontWeight weight = FontWeight::regular, QWidget* parent = nullptr);

    // The Markdown source as given (QLabel::text() holds the same).
    QString markdown() const { return text(); }
    // Lets the user select and copy the text with the mouse; links stay active either way.
    void setSelectable(bool selectable);
};

} // namespace qlan
