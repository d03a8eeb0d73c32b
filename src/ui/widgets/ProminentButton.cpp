#include "ui/widgets/ProminentButton.h"

#include "ui/widgets/TypeScale.h"

#include <QShortcut>

namespace qlan {

ProminentButton::ProminentButton(const QString& title, QWidget* parent)
    : QPushButton(title, parent) {
    TypeScale::apply(this, TextRole::body);
    setProperty("prominent", true);
    setCursor(Qt::PointingHandCursor);
    setMinimumHeight(32);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    const QPalette pal = palette();
    const QColor accent = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor text = pal.color(QPalette::Active, QPalette::HighlightedText);
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: none;"
                                 " border-radius: 6px; padding: 6px 18px; }"
                                 "QPushButton:hover { background-color: %3; }"
                                 "QPushButton:pressed { background-color: %4; }"
                                 "QPushButton:disabled { background-color: %5; color: %6; }"
                                 "QPushButton:focus { outline: none; }")
                      .arg(accent.name(), text.name(), accent.lighter(108).name(), accent.darker(120).name(),
                           pal.color(QPalette::Disabled, QPalette::Button).name(),
                           pal.color(QPalette::Disabled, QPalette::ButtonText).name()));
}

void ProminentButton::bindToReturn() {
    if (boundToReturn_) return;
    boundToReturn_ = true;
    setDefault(true);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (isVisible() && isEnabled()) click();
        });
    }
}

} // namespace qlan
