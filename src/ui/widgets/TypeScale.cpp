#include "ui/widgets/TypeScale.h"

#include "ui/widgets/SystemColors.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace qlan {
namespace {

constexpr double kBodyPoints = 13.0;

// The Mac's point size of each text style.
double macPoints(TextRole role) {
    switch (role) {
    case TextRole::largeTitle:
        return 26.0;
    case TextRole::title:
        return 22.0;
    case TextRole::title2:
        return 17.0;
    case TextRole::title3:
        return 15.0;
    case TextRole::headline:
    case TextRole::body:
        return 13.0;
    case TextRole::callout:
        return 12.0;
    case TextRole::subheadline:
        return 11.0;
    case TextRole::footnote:
    case TextRole::caption:
    case TextRole::caption2:
        return 10.0;
    }
    return kBodyPoints;
}

FontWeight ownWeight(TextRole role) {
    switch (role) {
    case TextRole::headline:
        return FontWeight::bold;
    case TextRole::caption2:
        return FontWeight::medium;
    default:
        return FontWeight::regular;
    }
}

FontWeight weightOf(TextRole role, FontWeight asked) {
    return std::max(ownWeight(role), asked);
}

QFont::Weight qtWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    }
    return QFont::Normal;
}

double relativeLuminance(const QColor& colour) {
    const auto channel = [](float value) {
        return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

void record(QWidget* widget, TextRole role, FontWeight weight, bool monospaced) {
    widget->setProperty("textRole", QString::fromLatin1(TypeScale::roleName(role)));
    widget->setProperty("semibold", weightOf(role, weight) >= FontWeight::semibold);
    widget->setProperty("monospaced", monospaced);
}

} // namespace

QFont TypeScale::font(TextRole role, FontWeight weight) {
    // The platform's default font is the body; on a Mac it is the body's 13 points.
    QFont font = QApplication::font();
    const double body = font.pointSizeF() > 0 ? font.pointSizeF() : kBodyPoints;
    font.setPointSizeF(body * macPoints(role) / kBodyPoints);
    font.setWeight(qtWeight(weightOf(role, weight)));
    return font;
}

QFont TypeScale::monospaced(TextRole role, FontWeight weight) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font(role).pointSizeF());
    fixed.setWeight(qtWeight(weightOf(role, weight)));
    return fixed;
}

void TypeScale::apply(QWidget* widget, TextRole role, FontWeight weight) {
    widget->setFont(font(role, weight));
    record(widget, role, weight, false);
}

void TypeScale::applyMonospaced(QWidget* widget, TextRole role, FontWeight weight) {
    widget->setFont(monospaced(role, weight));
    record(widget, role, weight, true);
}

QColor TypeScale::secondaryColor(const QPalette& palette) {
    return systemColor(SystemColor::secondary, palette);
}

void TypeScale::applySecondaryStyle(QWidget* widget) {
    applySystemTextColor(widget, SystemColor::secondary);
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
    case TextRole::title:
        return "title";
    case TextRole::title2:
        return "title2";
    case TextRole::title3:
        return "title3";
    case TextRole::headline:
        return "headline";
    case TextRole::subheadline:
        return "subheadline";
    case TextRole::body:
        return "body";
    case TextRole::callout:
        return "callout";
    case TextRole::footnote:
        return "footnote";
    case TextRole::caption:
        return "caption";
    case TextRole::caption2:
        return "caption2";
    }
    return "body";
}

} // namespace qlan
