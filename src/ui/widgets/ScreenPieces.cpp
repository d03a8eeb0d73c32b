#include "ui/widgets/ScreenPieces.h"

#include "ui/widgets/BorderlessButton.h"
#include "ui/widgets/TextLabel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

QVBoxLayout* column(QWidget* owner, int spacing) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

TextLabel* secondaryText(const QString& text, TextRole role) {
    auto* label = new TextLabel(text, role);
    TypeScale::applySecondaryStyle(label);
    return label;
}

void addWithSpace(QVBoxLayout* layout, QWidget* widget, int points) {
    if (points > 0) layout->addSpacing(points);
    layout->addWidget(widget, 0, Qt::AlignLeading);
}

QPushButton* borderedButton(const QString& title, ControlSize size) {
    auto* button = new QPushButton(title);
    applyControlSize(button, size);
    return button;
}

QPushButton* borderlessButton(const QString& title) {
    return new BorderlessButton(title);
}

} // namespace qlan
