#pragma once
// A button in the prominent (filled, accent-coloured) style at the large control size. It can be bound
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool boundToReturn_ = false;
};

} // namespace qlan
