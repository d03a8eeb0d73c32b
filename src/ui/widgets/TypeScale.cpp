#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace qlan {
namespace {

// Point sizes of the Mac's text styles, over the body's 13 points.
double scale(TextRole role) {
    switch (role) {
    case TextRole::largeTitle:
        return 26.0 / 13.0;
    case TextRole::headline:
    case TextRole::body:
        return 1.0;
    case TextRole::callout:
        return 12.0 / 13.0;
    case TextRole::footnote:
        return 10.0 / 13.0;
    }
    return 1.0;
}

// Keeps a widget's secondary colour in step with the application palette: set when applied, and again
// whenever the application palette changes.
class SecondaryTone : public QObject {
public:
    explicit SecondaryTone(QWidget* widget)
        : QObject(widget) {
        widget->installEventFilter(this);
        apply(widget);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A new application palette reaches the widget as a change of its own palette.
        const QEvent::Type type = event->type();
        if ((type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) && !applying_)
            apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void apply(QWidget* widget) {
        const QColor colour = TypeScale::secondaryColor(QApplication::palette(widget));
        QPalette palette = widget->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::WindowText, colour);
            palette.setColor(group, QPalette::Text, colour);
        }
        applying_ = true;
        widget->setPalette(palette);
        applying_ = false;
    }

    bool applying_ = false;
};

double relativeLuminance(const QColor& colour) {
    const auto channel = [](float value) {
        return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

QFont TypeScale::monospacedCaption() {
    QFont monospaced = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    monospaced.setPointSizeF(font(TextRole::footnote).pointSizeF());
    return monospaced;
}

QFont TypeScale::font(TextRole role, FontWeight weight) {
    QFont font = QApplication::font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 13.0;
    font.setPointSizeF(base * scale(role));
    const bool semibold = weight == FontWeight::semibold || role == TextRole::headline;
    font.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
    return font;
}

void TypeScale::apply(QWidget* widget, TextRole role, FontWeight weight) {
    widget->setFont(font(role, weight));
    widget->setProperty("textRole", QString::fromLatin1(roleName(role)));
    widget->setProperty("semibold", weight == FontWeight::semibold || role == TextRole::headline);
}

QColor TypeScale::secondaryColor(const QPalette& palette) {
    QColor color = palette.color(QPalette::Active, QPalette::WindowText);
    color.setAlphaF(0.55);
    return color;
}

void TypeScale::applySecondaryStyle(QWidget* widget) {
    if (widget->property("secondary").toBool()) return;
    new SecondaryTone(widget);
    widget->setProperty("secondary", true);
}

double TypeScale::contrastRatio(const QColor& foreground, const QColor& background) {
    const QColor back = background.toRgb();
    const QColor fore = foreground.toRgb();
    const float alpha = fore.alphaF();
    const QColor drawn = QColor::fromRgbF(fore.redF() * alpha + back.redF() * (1 - alpha),
                                          fore.greenF() * alpha + back.greenF() * (1 - alpha),
                                          fore.blueF() * alpha + back.blueF() * (1 - alpha));
    const double a = relativeLuminance(drawn);
    const double b = relativeLuminance(back);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

const char* TypeScale::roleName(TextRole role) {
    switch (role) {
    case TextRole::largeTitle:
        return "largeTitle";
    case TextRole::headline:
        return "headline";
    case TextRole::body:
        return "body";
    case TextRole::callout:
        return "callout";
    case TextRole::footnote:
        return "footnote";
    }
    return "body";
}

} // namespace qlan
