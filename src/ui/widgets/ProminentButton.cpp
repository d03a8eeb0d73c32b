#include "ui/widgets/ProminentButton.h"

#include "ui/widgets/KeyboardFocus.h"
#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TypeScale.h"

#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

namespace qlan {
namespace {

struct Metrics {
    int horizontalPadding;
    int verticalPadding;
    int minimumHeight;
};

Metrics metrics(ControlSize size) {
    switch (size) {
    case ControlSize::small:
        return {8, 1, 20};
    case ControlSize::regular:
        return {12, 3, 24};
    case ControlSize::large:
        return {18, 7, 32};
    }
    return {12, 3, 24};
}

constexpr qreal kCornerRadius = 6.0;
constexpr double kMinimumTextContrast = 4.5;
// A disabled button's title against its fill: still read as a label, not as stray text.
constexpr double kMinimumDisabledTextContrast = 3.0;

} // namespace

int controlHeight(ControlSize size, const QFont& font) {
    return std::max(metrics(size).minimumHeight,
                    QFontMetrics(font).height() + 2 * metrics(size).verticalPadding);
}

int controlSidePadding(ControlSize size) {
    return metrics(size).horizontalPadding;
}

void applyControlSize(QPushButton* button, ControlSize size) {
    button->setMinimumHeight(controlHeight(size, TypeScale::font(TextRole::body)));
    button->setProperty("controlSize", QString::fromLatin1(controlSizeName(size)));
}

ProminentButton::ProminentButton(const QString& title, ControlSize size, QWidget* parent)
    : QPushButton(title, parent)
    , size_(size) {
    TypeScale::apply(this, TextRole::body);
    setProperty("prominent", true);
    setProperty("controlSize", QString::fromLatin1(controlSizeName(size)));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setFocusRingRadius(this, kCornerRadius);
}

QSize ProminentButton::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(text()) + 2 * metrics(size_).horizontalPadding,
            controlHeight(size_, font())};
}

QSize ProminentButton::minimumSizeHint() const {
    return sizeHint();
}

void ProminentButton::paintEvent(QPaintEvent*) {
    // Drawn by hand rather than through a style sheet: the filled accent look at no start-up cost.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    QColor fill = fillColor(pal);
    QColor ink = Qt::white;
    if (!isEnabled()) {
        fill = disabledFillColor(pal);
        ink = disabledTextColor(pal);
    } else if (isDown()) {
        fill = fill.darker(120);
    } else if (underMouse()) {
        fill = fill.lighter(108);
    }
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    painter.fillPath(shape, fill);
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

QColor ProminentButton::fillColor(const QPalette& palette) {
    QColor fill = systemAccentColor(palette).toRgb();
    fill.setAlpha(255);
    for (int step = 0; step < 40 && TypeScale::contrastRatio(Qt::white, fill) < kMinimumTextContrast; ++step)
        fill = fill.darker(105);
    return fill;
}

QColor ProminentButton::disabledFillColor(const QPalette& palette) {
    // The accent gives way to the grey of an ordinary button, a shade off the window.
    return blended(palette.color(QPalette::Active, QPalette::Window),
                   palette.color(QPalette::Active, QPalette::WindowText), 0.12);
}

QColor ProminentButton::disabledTextColor(const QPalette& palette) {
    const QColor fill = disabledFillColor(palette);
    return firstReadableBlend(fill, palette.color(QPalette::Active, QPalette::WindowText), {fill},
                              kMinimumDisabledTextContrast, 0.45, 0.05);
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
