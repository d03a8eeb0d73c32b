#pragma once
// A button in the prominent style, at the large control size unless asked otherwise: filled with the
// system accent colour, its title in white, both read from the live palette when painting. It can be
// bound to Return and Enter: while it is visible and enabled in the active window, either key clicks it.
// A bound button is its window's default action, drawn so and announced as the default button; no other
// button is (see ControlStyle.h).

#include "ui/widgets/ControlSize.h"

#include <QPushButton>

namespace qlan {

// The height of a button of the control size whose title is in `font`.
int controlHeight(ControlSize size, const QFont& font);
// The room the Mac keeps between a push button's bezel and the ends of its title, at the control size.
int controlSidePadding(ControlSize size);

// Gives a button of another style (bordered, borderless) at least the height of a prominent button of
// the same control size, so that buttons of one size line up whatever their style.
void applyControlSize(QPushButton* button, ControlSize size);

class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    explicit ProminentButton(const QString& title, ControlSize size = ControlSize::large,
                             QWidget* parent = nullptr);
    ControlSize controlSize() const { return size_; }

    // Makes Return (and the keypad's Enter) press this button anywhere in its window.
    void bindToReturn();
    bool isBoundToReturn() const { return boundToReturn_; }

    // The fill of an enabled button at rest: the system accent colour, darkened only as far as white
    // text on it needs to reach a contrast of 4.5 to 1.
    static QColor fillColor(const QPalette& palette);
    // A disabled button keeps its shape, dimmed as the Mac dims it: the grey of an ordinary button a
    // shade off the window, its title in the text colour faded only as far as a contrast of 3 to 1 on it.
    static QColor disabledFillColor(const QPalette& palette);
    static QColor disabledTextColor(const QPalette& palette);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ControlSize size_;
    bool boundToReturn_ = false;
};

} // namespace qlan
