#pragma once
// A label that renders Markdown (emphasis, links). Only for texts written into the application itself;
// text from the machine or the user goes into a TextLabel. Activated links open through the desktop
// actions in effect for the label, and only when they are http or https addresses.

#include "ui/widgets/LabelHeights.h"
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
    // Lets the user select and copy the text with the mouse; links stay active either way. Only a text
    // that shows a link takes the keyboard focus (to reach the link).
    void setSelectable(bool selectable);

    // QLabel's answer, kept while the text, font and wrapping stay the same (see LabelHeights.h).
    int heightForWidth(int width) const override;

    // Whether Markdown text holds a link: an inline link, an autolink or a bare web or mail address (more
    // is taken for a link than Markdown makes one, never less).
    static bool hasLink(const QString& markdown);
    // Whether Markdown text holds no Markdown syntax at all, so that it reads the same as plain text.
    static bool isPlainProse(const QString& markdown);

private:
    bool linked_ = false; // the text as shown holds a link
    mutable LabelHeights heights_;
};

} // namespace qlan
