#pragma once
// One choice of a list of exclusive choices: a radio mark ("largecircle.fill.circle" in the accent
// colour when chosen, "circle" in the secondary colour otherwise), a title and a description that
// wraps. A click reaches the row on its mark and texts, where its focus ring stands (as a Mac's radio
// button takes clicks on its circle and title), not on the empty width beside them. With a description, the
// title is a headline, the description a subheadline in the secondary colour and the mark at the large scale,
// all aligned to the top; without one, the title is body text beside a mark of the text's own scale, centred
// vertically. The pointing hand shows over the mark and texts only. The row does not select itself when
// clicked: its owner decides and calls setSelected. A screen reader announces the row as a radio button named
// by its title, with the description as its accessible description and the checked state when selected; Tab
// reaches it (with a focus ring).

#include <QAbstractButton>

namespace qlan {

class SymbolIcon;
class TextLabel;

class RadioRow : public QAbstractButton {
    Q_OBJECT
public:
    RadioRow(const QString& title, const QString& description, QWidget* parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }

    TextLabel* titleLabel() const { return title_; }
    TextLabel* descriptionLabel() const { return description_; }
    SymbolIcon* mark() const { return mark_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    bool event(QEvent* event) override;
    void nextCheckState() override {}

private:
    // The mark and the texts as laid out, in the row's coordinates.
    QRect shownArea() const;

    SymbolIcon* mark_ = nullptr;
    TextLabel* title_ = nullptr;
    TextLabel* description_ = nullptr;
};

} // namespace qlan
