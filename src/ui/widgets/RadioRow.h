#pragma once
// One choice of a list of exclusive choices: a radio mark ("largecircle.fill.circle" in the accent
// colour when chosen, "circle" in the secondary colour otherwise), a title and a description that
// wraps. The whole row takes a click, the empty width beside its texts included, and shows the pointing
// hand over all of it; its focus ring encloses the whole row, outside it. With a description, the title is
// a headline, the description a subheadline in the secondary colour and the mark at the large scale, all
// aligned to the top; without one, the title is body text beside a mark of the text's own scale, centred
// vertically. The row does not select itself when clicked: its owner decides and calls setSelected. A
// screen reader announces the row as a radio button named by its title, with the description as its
// accessible description and the checked state when selected; Tab reaches it (with a focus ring).

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
    void nextCheckState() override {}

private:
    SymbolIcon* mark_ = nullptr;
    TextLabel* title_ = nullptr;
    TextLabel* description_ = nullptr;
};

} // namespace qlan
