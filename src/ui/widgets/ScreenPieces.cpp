#include "ui/widgets/ScreenPieces.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

QVBoxLayout* column(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

void addWithSpace(QVBoxLayout* layout, QWidget* widget, int points) {
    if (points > 0) layout->addSpacing(points);
    layout->addWidget(widget, 0, Qt::AlignLeading);
}

QPushButton* borderedButton(const QString& title, ControlSize size) {
    auto* button = new QPushButton(title);
    if (size == ControlSize::large) applyControlSize(button, size);
    return button;
}

QPushButton* borderlessButton(const QString& title) {
    auto* button = new QPushButton(title);
    button->setFlat(true);
    return button;
}

} // namespace qlan
