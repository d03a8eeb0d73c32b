#pragma once
// One choice of a list of exclusive choices: a radio mark, a title and a description that wraps, on a
// row whose whole width is clickable. The row does not select itself when clicked: its owner decides
// and calls setSelected, and the row carries the checked (selected) state for assistive technology.

#include <QAbstractButton>

namespace qlan {

class TextLabel;

class RadioRow : public QAbstractButton {
    Q_OBJECT
public:
    RadioRow(const QString& title, const QString& description, QWidget* parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }

    TextLabel* titleLabel() const { return title_; }
    TextLabel* descriptionLabel() const { return description_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}
    void focusInEvent(QFocusEvent* event) override;

private:
    QWidget* mark_ = nullptr;
    TextLabel* title_ = nullptr;
    TextLabel* description_ = nullptr;
    bool keyboardFocus_ = false;
};

} // namespace qlan
