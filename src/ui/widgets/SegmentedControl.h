#pragma once
// The Mac's segmented control: its titles side by side in one rounded bezel, the chosen segment raised
// in it, every segment as wide as the widest needs (the control may grow, and shares the width out
// evenly). A screen reader hears a group of radio buttons, each named by its title, in a group named by
// the control's accessible name. Tab reaches the chosen segment, the arrow keys choose the one beside
// it, Space or a click chooses the segment; the focus ring surrounds the focused segment.

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

namespace qlan {

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& titles, QWidget* parent = nullptr);

    int selectedIndex() const;
    // Chooses a segment without telling `chosen`.
    void setSelectedIndex(int index);
    QAbstractButton* segment(int index) const;
    int count() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The user chose the segment (by click, Space or an arrow key).
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void choose(int index);
    void placeSegments();

    QButtonGroup* group_;
};

} // namespace qlan
