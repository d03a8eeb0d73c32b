#pragma once
// A button in the borderless style: its title alone, no bezel, starting at the leading edge of its
// column like the text above it; as tall as a button of the regular control size, so that it lines up
// with the buttons beside it. Pressed, the title dims; with the keyboard focus the focus ring surrounds
// it, outside the title. The title takes the button's text colour (a secondary style included).

#include "ui/widgets/TypeScale.h"

#include <QPushButton>

namespace qlan {

class BorderlessButton : public QPushButton {
    Q_OBJECT
public:
    explicit BorderlessButton(const QString& title, TextRole role = TextRole::body,
                              QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qlan
