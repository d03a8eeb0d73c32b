#pragma once
// A button in the prominent style at the large control size: filled with the system accent colour, its
// title in white, both read from the live palette when painting. It can be bound
// to Return and Enter: while it is visible and enabled in the active window, either key clicks it.

#include <QPushButton>

namespace qlan {

class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    explicit ProminentButton(const QString& title, QWidget* parent = nullptr);

    // Makes Return (and the keypad's Enter) press this button anywhere in its window.
    void bindToReturn();
    bool isBoundToReturn() const { return boundToReturn_; }

    // The fill of an enabled button at rest: the system accent colour, darkened only as far as white
    // text on it needs to reach a contrast of 4.5 to 1.
    static QColor fillColor(const QPalette& palette);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool boundToReturn_ = false;
};

} // namespace qlan
