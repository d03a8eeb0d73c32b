#pragma once
// The Mac's indeterminate progress indicator: a circle of short lines, one of them darkest, turning in
// place. Its side is the control size's (small 16 points, regular 32, large 48). The animation's timer
// runs only while the indicator is visible. A screen reader meets a busy progress indicator named by
// the accessible name (by default "In progress"); the property "controlSize" records the size's name.

#include "ui/widgets/ControlSize.h"

#include <QBasicTimer>
#include <QWidget>

namespace qlan {

class ActivityIndicator : public QWidget {
    Q_OBJECT
public:
    explicit ActivityIndicator(ControlSize size = ControlSize::regular, QWidget* parent = nullptr);

    ControlSize controlSize() const { return size_; }
    // Whether it turns: from its show until its hide.
    bool isAnimating() const { return timer_.isActive(); }
    static int side(ControlSize size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    ControlSize size_;
    QBasicTimer timer_;
    int step_ = 0; // the line drawn darkest, clockwise from the top
};

// A page with an indicator of `size` in its middle and `caption`, when given, centred 12 points under it.
// The page takes ownership of the caption.
QWidget* centredActivityPage(ControlSize size, QWidget* caption = nullptr);

} // namespace qlan
