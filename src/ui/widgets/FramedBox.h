#pragma once
// The frame of the boxes that hold text to read or type (commands, output, a reason): the system's
// text background inside a rounded border of radius 6 and 1 point, drawn inside the edge, in the
// secondary colour at 30 % opacity. Read from the live palette when painting, so it follows the
// appearance.

#include "ui/widgets/TextLabel.h"

#include <QMargins>
#include <QWidget>

class QAbstractScrollArea;
class QPainter;

namespace qlan {

void paintTextFrame(QPainter& painter, const QRectF& rect, const QPalette& palette);

// Draws a scroll area (a list, rows of text) in the frame: its viewport shows the frame's background and
// its scroll bars stay inside the border; the focus ring follows the frame while the area has the focus. The
// area keeps its content `inset` points inside the edge by setting textFrameViewportMargins(inset) as its
// viewport margins.
void applyTextFrame(QAbstractScrollArea* area);
QMargins textFrameViewportMargins(int inset);

// One widget inside the frame, `inset` points from its edge; its focus ring surrounds the frame.
class FramedBox : public QWidget {
    Q_OBJECT
public:
    FramedBox(QWidget* content, int inset, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A value shown as selectable plain text in the role's monospaced form, 8 points inside the frame and
// stretched to the full width.
class CodeBox : public TextLabel {
    Q_OBJECT
public:
    CodeBox(const QString& text, TextRole role, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qlan
