#include "ui/widgets/TypeScale.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

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
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, secondaryColor(widget->palette()));
        palette.setColor(group, QPalette::Text, secondaryColor(widget->palette()));
    }
    widget->setPalette(palette);
    widget->setProperty("secondary", true);
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
